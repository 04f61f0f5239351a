// The last-folders file "cmtrd.ddt" beside the executable, or in the user's
// configuration folder where the executable's folder takes no new file: the
// folder in which the user last chose an analog record and the one of the last
// discrete record, one per line ended by CR LF. On Linux a line holds the
// folder's bytes as the file system names it; on Windows, where paths are UTF-8
// inside the program, the lines are code page 1251, the code of every text file
// of the devices.
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
std::optional<std::string> LastFoldersLine(const std::string& path, int n) {
  InFile file;
  if (!file.Open(path)) return std::nullopt;
  TextReader reader(file);
  std::string line;
  reader.ReadLine(line);
  if (n >= 1) reader.ReadLine(line);
  if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
  return FolderFromLine(std::move(line));
}

std::string TFComtrade::ReadLastFolderAt(const std::string& path, int n) {
  std::optional<std::string> line = LastFoldersLine(path, n);
  if (!line) ui_.ErrorBox(MessageText({Failure::kFileNotFound, path}));
  return line.value_or("");
}

// A folder whose name the code page cannot spell (a Windows folder named in
// another alphabet) is not remembered: the file is left as it was, and the
// message is the one of a file that cannot be written.
void TFComtrade::WriteLastFolders() {
  const std::optional<std::string> analog_line = LineFromFolder(paths.FolderANL);
  const std::optional<std::string> discrete_line = LineFromFolder(paths.FolderDIS);
  // The user's configuration folder is made when the file first goes there.
  const std::string folder = FolderOf(paths.LastFoldersPath);
  if (analog_line && discrete_line && !folder.empty() && folder == system_.UserConfigFolder())
    system_.MakeFolder(folder);
  OutFile file;
  if (!analog_line || !discrete_line || !file.Create(paths.LastFoldersPath)) {
    ui_.ErrorBox(MessageText({Failure::kWriteError, paths.LastFoldersPath}));
    return;
  }
  file.Line(*analog_line);
  file.Line(*discrete_line);
  if (!file.Close()) ui_.ErrorBox(MessageText({Failure::kWriteError, paths.LastFoldersPath}));
}

// The file stays beside the executable where the user may create files there,
// so that the files of earlier runs keep working; otherwise it is the user's
// own, in the configuration folder. A file beside the executable is still read
// while the user's own does not exist yet.
std::string TFComtrade::PlaceLastFoldersFile() {
  const std::string beside = paths.LastFoldersPath;
  const std::string config = system_.UserConfigFolder();
  if (config.empty() || system_.CanCreateFileIn(system_.ExecutableFolder())) return beside;
  paths.LastFoldersPath = config + NameOf(beside);
  return FileExists(paths.LastFoldersPath) || !FileExists(beside) ? paths.LastFoldersPath : beside;
}

void TFComtrade::RestoreLastFolders() {
  PlaceOutputFolders();
  // Before the file is read, both lists show the working directory.
  const std::string working = system_.CurrentDirectory();
  ShowFolder(ListBox::kFileListBox1, working);
  ShowFolder(ListBox::kFileListBox2, working);
  const std::string source = PlaceLastFoldersFile();
  RestoreOutput(source);
  if (!FileExists(source)) return;

  // A line without a closing separator loses its last component here.
  paths.FolderANL = std::string(Trim(FolderOf(ReadLastFolderAt(source, 0))));
  paths.FolderDIS = std::string(Trim(FolderOf(ReadLastFolderAt(source, 1))));
  const std::string executable_folder = system_.ExecutableFolder();
  if (paths.FolderANL.empty()) paths.FolderANL = executable_folder;
  if (paths.FolderDIS.empty()) paths.FolderDIS = executable_folder;
  // A folder that can no longer be entered, or whose name the file system
  // cannot take, falls back without a message.
  if (!system_.SetCurrentDir(paths.FolderANL)) paths.FolderANL = executable_folder;
  if (!system_.SetCurrentDir(paths.FolderDIS)) paths.FolderDIS = executable_folder;
  SetListFolder(ListBox::kFileListBox1, paths.FolderANL);
  SetListFolder(ListBox::kFileListBox2, paths.FolderDIS);
}

}  // namespace velk
