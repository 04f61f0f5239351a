// The window's way into whole folders, and files dropped on it.
#include <algorithm>
#include <filesystem>
#include <thread>

#include "app/comtrade_form.h"

#include "app/opened_files.h"
#include "comtrade/file_io.h"

namespace velk {
namespace {

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
  // the user's own folder (PlaceOutputFolders).
  choices.output_folder =
      paths.UserOutputFolder.empty() ? system_.ExecutableFolder() : paths.UserOutputFolder;
  return choices;
}

bool TFComtrade::StartFolderConversion(FolderChoices choices) {
  if (controls.FolderConversionRunning) return false;
  choices.records_folder = TypedFolder(choices.records_folder);
  choices.output_folder = TypedFolder(choices.output_folder);
  if (!choices.CanStart()) return false;
  // A summary still open belongs to a run that is over.
  folder_conversion_.Reset();
  const unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
  if (!folder_conversion_.Start(choices, jobs, output_.Form())) return false;
  controls.FolderConversionRunning = true;
  return true;
}

FolderRunProgress TFComtrade::PollFolderConversion() {
  FolderRunProgress progress;
  progress.status = folder_conversion_.Poll();
  if (progress.status.state != FolderConversion::State::kFinished ||
      !controls.FolderConversionRunning)
    return progress;
  controls.FolderConversionRunning = false;
  progress.finished = true;
  progress.summary = folder_conversion_.SummaryText();
  progress.output_folder = folder_conversion_.choices().output_folder;
  return progress;
}

void TFComtrade::CancelFolderConversion() {
  folder_conversion_.Cancel();
}

void TFComtrade::FolderSummaryClosed() {
  if (!controls.FolderConversionRunning) folder_conversion_.Reset();
}

TFComtrade::DropKind TFComtrade::DropKindOf(const std::vector<std::string>& dropped) const {
  if (dropped.size() == 1 && IsFolder(dropped[0])) return DropKind::kFolder;
  if (dropped.empty()) return DropKind::kRefused;
  const bool comtrade = std::all_of(dropped.begin(), dropped.end(), [](const std::string& path) {
    return !IsFolder(path) && KindOfHandedFile(path) == HandedKind::kComtrade;
  });
  if (comtrade) return DropKind::kComtrade;
  const bool records = std::all_of(dropped.begin(), dropped.end(), [](const std::string& path) {
    return !IsFolder(path) && ListOfRecord(path).has_value();
  });
  return records ? DropKind::kRecords : DropKind::kRefused;
}

std::string TFComtrade::Drop(const std::vector<std::string>& dropped) {
  switch (DropKindOf(dropped)) {
    case DropKind::kFolder:
      return dropped[0] +
             (IsPathSeparator(dropped[0].back()) ? "" : std::string(1, kPathSeparator));
    case DropKind::kRecords:
      for (const std::string& path : dropped) {
        const ListBox box = *ListOfRecord(path);
        const std::string full = system_.ExpandFileName(path);
        TakeRecord(full, box, box == ListBox::kFileListBox1 ? paths.FolderANL : paths.FolderDIS);
      }
      break;
    case DropKind::kComtrade:
    case DropKind::kRefused:
      break;
  }
  return "";
}

}  // namespace velk
