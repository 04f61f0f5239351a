// The last-folders file "cmtrd.ddt" beside the executable: the folder in which
// the user last chose an analog record and the one of the last discrete record,
// one per line ended by CR LF, as the file system names them.
#include "app/comtrade_form.h"
#include "comtrade/file_io.h"
#include "comtrade/report.h"
#include "comtrade/text_reader.h"

namespace velk {
namespace {

constexpr std::size_t kMaxLineLength = 199;

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
  return line;
}

void TFComtrade::WriteLastFolders() {
  OutFile file;
  if (!file.Create(paths.LastFoldersPath)) {
    ui_.ErrorBox(MessageText({Failure::kWriteError, paths.LastFoldersPath}));
    return;
  }
  file.Line(paths.FolderANL);
  file.Line(paths.FolderDIS);
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
