// The main window's handlers: choosing records, the enabling rule of the
// combined conversion, the convert buttons with their save dialog, and the
// answer to a second start.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/file_io.h"

namespace velk {
namespace {

constexpr char kEnter = 13;

char FoldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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
    } else if (m < mask.size() && (mask[m] == '?' || FoldCase(mask[m]) == FoldCase(name[n]))) {
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
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(FsPath(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code kind_error;
    if (!it->is_regular_file(kind_error)) continue;
    std::string name = it->path().filename().string();
    if (MatchesMask(name, mask)) names.push_back(std::move(name));
  }
  // By name with letters in any case; names that differ only in case keep a
  // fixed order among themselves.
  const auto folded = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), FoldCase);
    return text;
  };
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const std::string fa = folded(a), fb = folded(b);
    return fa != fb ? fa < fb : a < b;
  });
  return names;
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

bool TFComtrade::SetListFolder(FileList& list, const std::string& folder) {
  if (!system_.SetCurrentDir(folder)) return false;
  list.folder = folder;
  list.selected_name.clear();
  return true;
}

void TFComtrade::ChooseRecord(const FileDialogOptions& options, ListBox box, std::string& folder,
                              void (TFComtrade::*check)()) {
  const auto chosen = ui_.OpenDialog(options);
  if (!chosen) return;
  const std::string full = system_.ExpandFileName(*chosen);
  folder = FolderOf(full);
  FileList& list = box == ListBox::kFileListBox1 ? controls.FileListBox1 : controls.FileListBox2;
  if (!SetListFolder(list, folder)) return;  // the folder vanished after the dialog
  list.selected_name = NameOf(full);
  ui_.FocusList(box);
  WriteLastFolders();
  (this->*check)();
}

void TFComtrade::FLHButtonClick() {
  ChooseRecord({std::string(text::kAnalogFilter), "flh", paths.FolderANL, ""},
               ListBox::kFileListBox1, paths.FolderANL, &TFComtrade::ReadHeaderANL);
}

void TFComtrade::DISButtonClick() {
  ChooseRecord({std::string(text::kDiscreteFilter), "txt", paths.FolderDIS, ""},
               ListBox::kFileListBox2, paths.FolderDIS, &TFComtrade::ReadHeaderDIS);
}

// The combined conversion needs both records checked and started at the same
// moment (SameStartMoment).
void TFComtrade::DecideSovmest() {
  controls.SovmestButton = controls.ConvertANLButton && controls.ConvertDISButton &&
                           SameStartMoment(analog.Numbers(), discrete);
}

void TFComtrade::FileListBox1Click() {
  ReadHeaderANL();
  DecideSovmest();
}

void TFComtrade::FileListBox2Click() {
  ReadHeaderDIS();
  DecideSovmest();
}

void TFComtrade::FileListBox1KeyPress(char& key) {
  if (key != kEnter) return;
  key = 0;
  if (controls.ConvertANLButton) ConvertANLButtonClick();
}

void TFComtrade::FileListBox2KeyPress(char& key) {
  if (key != kEnter) return;
  key = 0;
  if (controls.ConvertDISButton) ConvertDISButtonClick();
}

// ---- converting ----

// The chosen path is stored before the overwrite question, so a path refused
// and then abandoned by cancelling is the one offered next time.
void TFComtrade::ChooseOutput(std::string& out_path, void (TFComtrade::*convert)()) {
  FileDialogOptions options{std::string(text::kComtradeFilter), "cfg", FolderOf(out_path),
                            NameOf(out_path)};
  for (;;) {
    const auto chosen = ui_.SaveDialog(options);
    if (!chosen) return;
    out_path = system_.ExpandFileName(*chosen);
    // Only the .cfg file is asked about; the other three files of the pair
    // are replaced without a question.
    if (FileExists(out_path) && ui_.QuestionBox(text::kOverwriteQuestion) == Answer::kNo) {
      options.initial_folder = FolderOf(out_path);
      options.file_name = NameOf(out_path);
      continue;
    }
    (this->*convert)();
    return;
  }
}

void TFComtrade::ConvertANLButtonClick() {
  ChooseOutput(paths.OutPathANL, &TFComtrade::ConvertANL);
}

void TFComtrade::ConvertDISButtonClick() {
  ChooseOutput(paths.OutPathDIS, &TFComtrade::ConvertDIS);
}

void TFComtrade::SovmestButtonClick() {
  ChooseOutput(paths.OutPathUNI, &TFComtrade::ConvertUNI);
}

}  // namespace velk
