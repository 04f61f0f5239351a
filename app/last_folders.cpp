// The last-folders file "cmtrd.ddt" beside the executable: the folder in which
// the user last chose an analog record and the one of the last discrete record,
// one per line ended by CR LF. On Linux a line holds the folder's bytes as the
// file system names it; on Windows, where paths are UTF-8 inside the program,
// the lines are code page 1251, the code of every text file of the devices.
#include <optional>
#include <string>

#include "app/comtrade_form.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/report.h"
#include "comtrade/text_reader.h"

namespace velk {
namespace {

constexpr std::size_t kMaxLineLength = 199;

// A line of the file as a folder's path text.
std::string FolderFromLine(std::string line) {
#ifdef _WIN32
  return Cp1251ToUtf8(line);
#else
  return line;
#endif
}

// A folder's path text as a line of the file; nothing when the code page
// cannot spell it.
std::optional<std::string> LineFromFolder(const std::string& folder) {
#ifdef _WIN32
  return Utf8ToCp1251(folder);
#else
  return folder;
#endif
}

}  // namespace

// Lines are read whole and then cut, so a first line longer than the limit
// never shifts what the second line yields.
std::string TFComtrade::ReadLastFolder(int n) {
  InFile file;
  if (!file.Open(paths.LastFoldersPath)) {
    ui_.ErrorBox(MessageText({Failure::kFileNotFound, paths.LastFoldersPath}));
    return "";
  }
  TextReader reader(file);
  std::string line;
  reader.ReadLine(line);
  if (n >= 1) reader.ReadLine(line);
  if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
  return FolderFromLine(std::move(line));
}

// A folder whose name the code page cannot spell (a Windows folder named in
// another alphabet) is not remembered: the file is left as it was, and the
// message is the one of a file that cannot be written.
void TFComtrade::WriteLastFolders() {
  const std::optional<std::string> analog_line = LineFromFolder(paths.FolderANL);
  const std::optional<std::string> discrete_line = LineFromFolder(paths.FolderDIS);
  OutFile file;
  if (!analog_line || !discrete_line || !file.Create(paths.LastFoldersPath)) {
    ui_.ErrorBox(MessageText({Failure::kWriteError, paths.LastFoldersPath}));
    return;
  }
  file.Line(*analog_line);
  file.Line(*discrete_line);
  if (!file.Close()) ui_.ErrorBox(MessageText({Failure::kWriteError, paths.LastFoldersPath}));
}

void TFComtrade::RestoreLastFolders() {
  // Before the file is read, both lists show the working directory.
  const std::string working = system_.CurrentDirectory();
  controls.FileListBox1.folder = working;
  controls.FileListBox2.folder = working;
  if (!FileExists(paths.LastFoldersPath)) return;

  // A line without a closing separator loses its last component here.
  paths.FolderANL = std::string(Trim(FolderOf(ReadLastFolder(0))));
  paths.FolderDIS = std::string(Trim(FolderOf(ReadLastFolder(1))));
  const std::string executable_folder = system_.ExecutableFolder();
  if (paths.FolderANL.empty()) paths.FolderANL = executable_folder;
  if (paths.FolderDIS.empty()) paths.FolderDIS = executable_folder;
  // A folder that can no longer be entered falls back without a message.
  if (!system_.SetCurrentDir(paths.FolderANL)) paths.FolderANL = executable_folder;
  if (!system_.SetCurrentDir(paths.FolderDIS)) paths.FolderDIS = executable_folder;
  SetListFolder(controls.FileListBox1, paths.FolderANL);
  SetListFolder(controls.FileListBox2, paths.FolderDIS);
}

}  // namespace velk
