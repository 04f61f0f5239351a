// The main window's handlers: choosing records, the enabling rule of the
// combined conversion, the convert buttons with their save dialog, and the
// answer to a second start.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/ascii_case.h"
#include "comtrade/file_io.h"
#include "comtrade/file_system.h"
#include "comtrade/pair_paths.h"

namespace velk {
namespace {

constexpr char kEnter = 13;

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask) {
  // Walks both texts; on a mismatch goes back to the last '*' and lets it take
  // one more byte of the name.
  std::size_t n = 0, m = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (m < mask.size() && (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(name[n]))) {
      ++m;
      ++n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::vector<std::string> ListFolder(const std::string& folder, std::string_view mask) {
  // Each name with its letters in one case, so that sorting folds each name once.
  std::vector<std::pair<std::string, std::string>> found;
  if (folder.empty()) return {};
  for (FolderEntry& entry : FolderEntries(folder).value_or(std::vector<FolderEntry>{})) {
    if (entry.kind != FolderEntry::Kind::kFile || entry.name.empty() ||
        !MatchesMask(entry.name, mask))
      continue;
    std::string folded = entry.name;
    std::transform(folded.begin(), folded.end(), folded.begin(), AsciiLower);
    found.emplace_back(std::move(folded), std::move(entry.name));
  }
  // By name with letters in any case; names that differ only in case keep a
  // fixed order among themselves.
  std::sort(found.begin(), found.end());
  std::vector<std::string> names;
  names.reserve(found.size());
  for (auto& [folded, name] : found) names.push_back(std::move(name));
  return names;
}

int FileList::SelectedRow() const {
  if (selected_name.empty()) return -1;
  const auto at = std::find(names.begin(), names.end(), selected_name);
  return at == names.end() ? -1 : static_cast<int>(at - names.begin());
}

// ---- start and end of the window ----

void TFComtrade::FormCreate() {
  controls.RestoreMsg = kRestoreMessageName;
  controls.hooked = true;
}

void TFComtrade::FormDestroy() {
  controls.hooked = false;
}

bool TFComtrade::MainWindowHook(std::string_view message) {
  if (!controls.hooked || message != controls.RestoreMsg) return false;
  ui_.RestoreAndRaise();
  return true;
}

void TFComtrade::CloseButtonClick() {
  ui_.CloseWindow();
}

// ---- choosing records ----

FileList& TFComtrade::List(ListBox box) {
  return box == ListBox::kFileListBox1 ? controls.FileListBox1 : controls.FileListBox2;
}

std::string_view TFComtrade::MaskOf(ListBox box) {
  return box == ListBox::kFileListBox1 ? kAnalogRecordMask : kDiscreteRecordMask;
}

// The list shows folder's records, none of them selected.
void TFComtrade::ShowFolder(ListBox box, const std::string& folder) {
  FileList& list = List(box);
  list.folder = folder;
  list.names = ListFolder(folder, MaskOf(box));
  list.selected_name.clear();
}

// As a file list that is given a folder: it is entered, then listed.
bool TFComtrade::SetListFolder(ListBox box, const std::string& folder) {
  if (!system_.SetCurrentDir(folder)) return false;
  ShowFolder(box, folder);
  return true;
}

bool TFComtrade::RefreshList(ListBox box) {
  FileList& list = List(box);
  std::vector<std::string> names = ListFolder(list.folder, MaskOf(box));
  const bool names_changed = names != list.names;
  if (names_changed) list.names = std::move(names);
  if (list.selected_name.empty()) return names_changed;
  if (list.SelectedRow() < 0) {
    // The selected record is gone: the list selects nothing, and its check, run
    // on no record, shows what it shows for a record that cannot be opened.
    ListClick(box, "");
    return true;
  }
  // A record copied over the selected one: its labels must tell what
  // «Конвертировать» would now convert.
  if (StampOf(list.SelectedFile()) == list.checked_stamp) return names_changed;
  CheckSelected(box);
  return true;
}

bool TFComtrade::RefreshLists() {
  const bool analog_changed = RefreshList(ListBox::kFileListBox1);
  const bool discrete_changed = RefreshList(ListBox::kFileListBox2);
  return analog_changed || discrete_changed;
}

bool TFComtrade::RefreshSelected() {
  bool changed = false;
  for (const ListBox box : {ListBox::kFileListBox1, ListBox::kFileListBox2}) {
    const FileList& list = List(box);
    if (list.selected_name.empty() || StampOf(list.SelectedFile()) == list.checked_stamp) continue;
    changed = RefreshList(box) || changed;
  }
  return changed;
}

void TFComtrade::ListClick(ListBox box, std::string_view name) {
  List(box).selected_name = std::string(name);
  CheckSelected(box);
}

namespace {

// The shown name of the chosen file: as it is written, or else a shown name
// that differs from it only in the case of its letters; empty when the list
// does not show it.
std::string ShownName(const FileList& list, const std::string& name) {
  const auto folds = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), AsciiLower);
    return text;
  };
  if (std::find(list.names.begin(), list.names.end(), name) != list.names.end()) return name;
  const std::string folded = folds(name);
  for (const std::string& shown : list.names)
    if (folds(shown) == folded) return shown;
  return "";
}

}  // namespace

void TFComtrade::ChooseRecord(const FileDialogOptions& options, ListBox box, std::string& folder) {
  const auto chosen = ui_.OpenDialog(options);
  if (!chosen) return;
  TakeRecord(system_.ExpandFileName(*chosen), box, folder);
}

void TFComtrade::TakeRecord(const std::string& full, ListBox box, std::string& folder) {
  folder = FolderOf(full);
  if (!SetListFolder(box, folder)) return;  // the folder vanished after the dialog
  // A file the list does not show leaves it without a selection, and the
  // check then finds no record: what is checked is always what is highlighted.
  List(box).selected_name = ShownName(List(box), NameOf(full));
  ui_.FocusList(box);
  WriteLastFolders();
  // A record chosen here decides «Совместить» as a click in its list does: a
  // button left enabled would combine two records of different moments.
  CheckSelected(box);
}

void TFComtrade::FLHButtonClick() {
  ChooseRecord({std::string(text::kAnalogFilter), "flh", paths.FolderANL, ""},
               ListBox::kFileListBox1, paths.FolderANL);
}

void TFComtrade::DISButtonClick() {
  ChooseRecord({std::string(text::kDiscreteFilter), "txt", paths.FolderDIS, ""},
               ListBox::kFileListBox2, paths.FolderDIS);
}

// The combined conversion needs both records checked and started at the same
// moment by the rule velk-convert combined and the folder run follow: the
// fields the discrete start pair lacks are the analog record's, in whichever
// order the two were chosen.
void TFComtrade::DecideSovmest() {
  controls.SovmestButton = controls.ConvertANLButton && controls.ConvertDISButton &&
                           StartsAgree(analog.Moment(), discrete);
}

// The stamp is taken before the check reads the record, so that a record
// rewritten while it is read is checked again at the next refresh.
void TFComtrade::CheckSelected(ListBox box) {
  FileList& list = List(box);
  list.checked_stamp = StampOf(list.SelectedFile());
  if (box == ListBox::kFileListBox1)
    ReadHeaderANL();
  else
    ReadHeaderDIS();
  DecideSovmest();
}

void TFComtrade::FileListBox1KeyPress(char& key) {
  if (key != kEnter) return;
  key = 0;
  if (controls.ConvertANLShown()) ConvertANLButtonClick();
}

void TFComtrade::FileListBox2KeyPress(char& key) {
  if (key != kEnter) return;
  key = 0;
  if (controls.ConvertDISShown()) ConvertDISButtonClick();
}

// ---- converting ----

// The chosen path is stored before the overwrite question, so a path refused
// and then abandoned by cancelling is the one offered next time.
void TFComtrade::ChooseOutput(std::string& out_path, void (TFComtrade::*convert)()) {
  // The user's own output folders are made when the dialog first opens in one.
  const std::string& user_folder = paths.UserOutputFolder;
  if (!user_folder.empty() && FolderOf(out_path).starts_with(user_folder))
    system_.MakeFolder(FolderOf(out_path));
  // The name is offered, and the dialog filters, as the output form writes it.
  const bool one_file = output_.one_file;
  const auto offered_name = [one_file](const std::string& path) {
    std::string name = NameOf(path);
    if (MatchesMask(name, "*.cfg") || MatchesMask(name, "*.cff")) name.resize(name.size() - 4);
    return name + (one_file ? ".cff" : ".cfg");
  };
  FileDialogOptions options{std::string(one_file ? text::kCffFilter : text::kComtradeFilter),
                            one_file ? "cff" : "cfg", FolderOf(out_path), offered_name(out_path)};
  for (;;) {
    const auto chosen = ui_.SaveDialog(options);
    if (!chosen) return;
    out_path = system_.ExpandFileName(*chosen);
    // Only the .cfg (or the .cff) file is asked about; the other files of the
    // pair are replaced without a question.
    if (FileExists(PairFilesFor(out_path, one_file).front()) &&
        ui_.QuestionBox(text::kOverwriteQuestion) == Answer::kNo) {
      options.initial_folder = FolderOf(out_path);
      options.file_name = offered_name(out_path);
      continue;
    }
    (this->*convert)();
    return;
  }
}

// While a folder is converted the convert buttons do nothing: the window's
// conversions never run beside the batch's.
void TFComtrade::ConvertANLButtonClick() {
  if (controls.FolderConversionRunning) return;
  ChooseOutput(paths.OutPathANL, &TFComtrade::ConvertANL);
}

void TFComtrade::ConvertDISButtonClick() {
  if (controls.FolderConversionRunning) return;
  ChooseOutput(paths.OutPathDIS, &TFComtrade::ConvertDIS);
}

// The combined conversion's state file is of no use once it is over.
void TFComtrade::SovmestButtonClick() {
  if (controls.FolderConversionRunning) return;
  ChooseOutput(paths.OutPathUNI, &TFComtrade::ConvertUNI);
  system_.ReleaseStateFile();
}

}  // namespace velk
