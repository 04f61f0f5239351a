// What the converter's logic needs of the operating system beyond plain file
// access: its own folder, today's date, where the combined conversion keeps its
// state file, where the last-folders file can live, and the process's current
// directory, which the window's file lists follow. Tests substitute their own
// answers.
#pragma once

#include <string>
#include <utility>

#include "platform/platform.h"

namespace velk {

// The separator that the window's logic puts between a folder and what is in
// it: the one the file system names its paths with.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

class SystemServices {
 public:
  virtual ~SystemServices() = default;
  // Folder of the running executable, ending with the path separator.
  virtual std::string ExecutableFolder() const = 0;
  // Today's year in the local calendar, such as 2026.
  virtual int CurrentYear() const = 0;
  // Where the combined conversion writes the discrete record's states and reads
  // them back: "tmp.tmp" beside the executable, unless the machine gives a
  // private place of its own.
  virtual std::string StateFilePath() const { return ExecutableFolder() + "tmp.tmp"; }
  // Called once a combined conversion is over: a private state file goes away.
  virtual void ReleaseStateFile() {}
  // The user's own folder for this program's settings, ending with the path
  // separator; empty when the machine names none. It may not exist yet.
  virtual std::string UserConfigFolder() const { return ""; }
  // The user's documents folder, ending with the path separator; empty when
  // the machine names none. Where the window's default output folders go
  // when the program's own folder takes no new file.
  virtual std::string UserDocumentsFolder() const { return ""; }
  // True iff a new file can be created in folder (which ends with the separator).
  virtual bool CanCreateFileIn(const std::string& folder) const;
  // Creates folder with its parents when missing; true when it exists afterwards.
  virtual bool MakeFolder(const std::string& folder);
  // The process's current directory, ending with the path separator.
  virtual std::string CurrentDirectory() const = 0;
  // Makes folder the current directory; false when it cannot be entered.
  virtual bool SetCurrentDir(const std::string& folder) = 0;
  // The full path of path, taken from the current directory when relative.
  virtual std::string ExpandFileName(const std::string& path) const = 0;
};

// The real machine: the executable's folder is given at start-up. The combined
// conversion's state file lives in a private temporary folder.
class LocalSystem : public SystemServices {
 public:
  explicit LocalSystem(std::string executable_folder)
      : executable_folder_(std::move(executable_folder)) {}
  std::string ExecutableFolder() const override { return executable_folder_; }
  int CurrentYear() const override;
  std::string StateFilePath() const override { return state_folder_.StateFilePath(); }
  void ReleaseStateFile() override { state_folder_.Release(); }
  std::string UserConfigFolder() const override;
  std::string UserDocumentsFolder() const override;
  std::string CurrentDirectory() const override;
  bool SetCurrentDir(const std::string& folder) override;
  std::string ExpandFileName(const std::string& path) const override;

 private:
  std::string executable_folder_;
  mutable PrivateStateFolder state_folder_;
};

// The folder for this program's settings under the given environment values
// (each empty when unset): on Windows %APPDATA%, elsewhere $XDG_CONFIG_HOME
// when it is a full path, else ~/.config; then "velk-comtrade". Empty when
// none of them helps.
std::string ConfigFolderFrom(const std::string& appdata, const std::string& xdg_config_home,
                             const std::string& home);

// The user's documents folder under the given environment values (each empty
// when unset): $XDG_DOCUMENTS_DIR when it is a full path, else ~/Documents,
// with its trailing separator. Empty when neither helps. (Windows asks the
// system for its documents folder instead.)
std::string DocumentsFolderFrom(const std::string& xdg_documents_dir, const std::string& home);

// folder when it exists, else the nearest folder above it that does, with
// its trailing separator; empty when none does. Where a dialog opens for a
// folder that is missing, such as an output folder nobody made.
std::string ExistingFolderOf(const std::string& folder);
// path made full against folder (which ends with the separator) when it is
// relative, with "." and ".." steps resolved. A path the file system cannot
// take stays as it is.
std::string ExpandPath(const std::string& folder, const std::string& path);

}  // namespace velk
