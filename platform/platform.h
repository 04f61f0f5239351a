// What the converter's programs ask of the machine beyond reading and writing
// records: a private folder for the combined conversion's state file, the
// program's own folder, today's year, and the texts of paths. The window and
// the command line share it; the record engine itself needs none of it.
#pragma once

#include <filesystem>
#include <string>

namespace velk {

// A private folder for one run's state file, made under the system's folder
// for temporary files at first use and removed with all it holds on Release
// and at the end. Several runs, also of several programs, never share one.
class PrivateStateFolder {
 public:
  PrivateStateFolder() = default;
  PrivateStateFolder(const PrivateStateFolder&) = delete;
  PrivateStateFolder& operator=(const PrivateStateFolder&) = delete;
  ~PrivateStateFolder() { Release(); }
  // "tmp.tmp" in the private folder. Without one, a path in a folder that does
  // not exist, so that the conversion reports it cannot create the file.
  std::string StateFilePath();
  void Release();

 private:
  std::filesystem::path folder_;
};

// prefix followed by a name that no other run picks at the same moment.
std::string UniqueName(const char* prefix);

// Today's year in the local calendar, such as 2026: the year a discrete
// record's pair bears, since the record names none.
int CurrentYear();

// The computer's local time's offset from UTC now, in minutes east of UTC
// (+180 in Moscow): the first guess at a device clock's offset.
int LocalUtcOffsetMinutes();

// The folder of the running program, ending with the path separator: where
// the command line and both windows find their program's folder. On Windows
// and Linux it is asked of the system; elsewhere it is the folder of argv0,
// the path the program was started by.
std::string ProgramFolder(const std::string& argv0);

// True iff c separates the folders of a path: '/', and on Windows also '\'
// and the drive's ':'.
bool IsPathSeparator(char c);
// The folder part of a path with its trailing separator ("" when it has none).
std::string FolderOf(const std::string& path);
// The name part of a path: what follows its last separator.
std::string NameOf(const std::string& path);

// A path given to a program (its arguments, a folder found) made full against
// the current directory, with "." and ".." steps resolved; as it was given when
// that cannot be done (a name that is no text of the file system, a current
// directory that is gone), so that the check or conversion reports a file it
// cannot open.
std::string FullPath(const std::string& path);

}  // namespace velk
