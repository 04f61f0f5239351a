// The window's way into whole folders, and files dropped on it.
#include <algorithm>
#include <filesystem>
#include <thread>

#include "app/comtrade_form.h"
#include "comtrade/file_io.h"

namespace velk {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(FsPath(path), error);
}

// The list a dropped file goes to by its name, in any letter case.
std::optional<ListBox> ListOfRecord(const std::string& path) {
  const std::string name = NameOf(path);
  if (MatchesMask(name, kAnalogRecordMask)) return ListBox::kFileListBox1;
  if (MatchesMask(name, kDiscreteRecordMask)) return ListBox::kFileListBox2;
  return std::nullopt;
}

}  // namespace

FolderChoices TFComtrade::FolderChoicesFor(const std::string& records_folder) const {
  FolderChoices choices;
  choices.records_folder = records_folder.empty() ? controls.FileListBox1.folder : records_folder;
  // Where the window's conversions write by default: beside the program, or
  // the user's own folder when the program's folder takes no new file.
  choices.output_folder =
      paths.UserOutputFolder.empty() ? system_.ExecutableFolder() : paths.UserOutputFolder;
  return choices;
}

bool TFComtrade::StartFolderConversion(const FolderChoices& choices) {
  const unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  if (!folder_conversion_.Start(choices, jobs, output_.Form())) return false;
  controls.FolderConversionRunning = true;
  return true;
}

void TFComtrade::FolderConversionEnded() {
  controls.FolderConversionRunning = false;
}

TFComtrade::DropKind TFComtrade::DropKindOf(const std::vector<std::string>& dropped) const {
  if (dropped.size() == 1 && IsFolder(dropped[0])) return DropKind::kFolder;
  if (dropped.empty()) return DropKind::kRefused;
  const bool records = std::all_of(dropped.begin(), dropped.end(), [](const std::string& path) {
    return !IsFolder(path) && ListOfRecord(path).has_value();
  });
  return records ? DropKind::kRecords : DropKind::kRefused;
}

std::string TFComtrade::Drop(const std::vector<std::string>& dropped) {
  switch (DropKindOf(dropped)) {
    case DropKind::kFolder:
      return dropped[0] + (IsPathSeparator(dropped[0].back()) ? "" : std::string(1, kSeparator));
    case DropKind::kRecords:
      for (const std::string& path : dropped) {
        const ListBox box = *ListOfRecord(path);
        const std::string full = system_.ExpandFileName(path);
        TakeRecord(full, box, box == ListBox::kFileListBox1 ? paths.FolderANL : paths.FolderDIS);
      }
      break;
    case DropKind::kRefused:
      break;
  }
  return "";
}

}  // namespace velk
