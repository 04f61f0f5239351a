// What the converter's logic needs of the operating system beyond plain file
// access: its own folder, today's date, where the combined conversion keeps its
// state file, and the process's current directory, which the window's file
// lists follow. Tests substitute their own answers.
#pragma once

#include <string>
#include <utility>

namespace velk {

class SystemServices {
 public:
  virtual ~SystemServices() = default;
  // Folder of the running executable, ending with the path separator.
  virtual std::string ExecutableFolder() const = 0;
  // Today's year in the local calendar, such as 2026.
  virtual int CurrentYear() const = 0;
  // Where the combined conversion writes the discrete record's states and reads
  // them back: "tmp.tmp" beside the executable.
  virtual std::string StateFilePath() const { return ExecutableFolder() + "tmp.tmp"; }
  // The process's current directory, ending with the path separator.
  virtual std::string CurrentDirectory() const = 0;
  // Makes folder the current directory; false when it cannot be entered.
  virtual bool SetCurrentDir(const std::string& folder) = 0;
  // The full path of path, taken from the current directory when relative.
  virtual std::string ExpandFileName(const std::string& path) const = 0;
};

// The real machine: the executable's folder is given at start-up.
class LocalSystem : public SystemServices {
 public:
  explicit LocalSystem(std::string executable_folder)
      : executable_folder_(std::move(executable_folder)) {}
  std::string ExecutableFolder() const override { return executable_folder_; }
  int CurrentYear() const override;
  std::string CurrentDirectory() const override;
  bool SetCurrentDir(const std::string& folder) override;
  std::string ExpandFileName(const std::string& path) const override;

 private:
  std::string executable_folder_;
};

// The folder part of a path with its trailing separator ("" when it has none).
std::string FolderOf(const std::string& path);
// The name part of a path: what follows its last separator.
std::string NameOf(const std::string& path);
// path made full against folder (which ends with the separator) when it is
// relative, with "." and ".." steps resolved.
std::string ExpandPath(const std::string& folder, const std::string& path);

}  // namespace velk
