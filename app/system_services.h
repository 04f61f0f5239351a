// What the converter's logic needs of the operating system beyond plain file
// access: its own folder, today's date and where the combined conversion keeps
// its state file. Tests substitute their own answers.
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
};

// The real machine: the executable's folder is given at start-up.
class LocalSystem : public SystemServices {
 public:
  explicit LocalSystem(std::string executable_folder)
      : executable_folder_(std::move(executable_folder)) {}
  std::string ExecutableFolder() const override { return executable_folder_; }
  int CurrentYear() const override;

 private:
  std::string executable_folder_;
};

// The folder part of a path with its trailing separator ("" when it has none).
std::string FolderOf(const std::string& path);

}  // namespace velk
