#include "app/win32/win32_ui.h"

#include <commdlg.h>

#include <vector>

#include "app/texts.h"
#include "app/view_layout.h"
#include "app/win32/main_window.h"
#include "app/win32/win32_text.h"

namespace velk::win32 {
namespace {

// MessageBoxW labels its buttons in the system's language. A hook on the
// calling thread sees the box just before it first shows and renames Yes and
// No; it is removed as soon as the box returns.
thread_local bool renamed_box = false;

LRESULT CALLBACK RenameYesNo(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && !renamed_box) {
    const auto box = reinterpret_cast<HWND>(wparam);
    if (GetDlgItem(box, IDYES) != nullptr && GetDlgItem(box, IDNO) != nullptr) {
      SetDlgItemTextW(box, IDYES, WideFromCp1251(text::kYesButton).c_str());
      SetDlgItemTextW(box, IDNO, WideFromCp1251(text::kNoButton).c_str());
      renamed_box = true;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The longest path a dialog may return, in UTF-16 units.
constexpr DWORD kPathRoom = 32768;

}  // namespace

void AddMenuItem(HMENU menu, UINT flags, UINT_PTR id, std::string_view caption,
                 std::wstring_view shortcut) {
  std::wstring text = WideFromCp1251(caption);
  if (!shortcut.empty()) text.append(L"\t").append(shortcut);
  AppendMenuW(menu, flags, id, text.c_str());
}

int RussianMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT type) {
  renamed_box = false;
  HHOOK hook = SetWindowsHookExW(WH_CBT, RenameYesNo, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxW(owner, text, title, type);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return answer;
}

HWND Win32Ui::BeforeModal() {
  if (window_ == nullptr) return nullptr;
  window_->ShowState();
  return window_->hwnd();
}

void Win32Ui::ErrorBox(std::string_view text) {
  HWND owner = BeforeModal();
  MessageBoxW(owner, WideFromCp1251(text).c_str(), WideFromCp1251(text::kErrorTitle).c_str(),
              MB_OK | MB_ICONERROR);
}

Answer Win32Ui::QuestionBox(std::string_view text) {
  HWND owner = BeforeModal();
  const int answer = RussianMessageBox(owner, WideFromCp1251(text).c_str(),
                                       WideFromCp1251(text::kInformationTitle).c_str(),
                                       MB_YESNO | MB_ICONINFORMATION);
  return answer == IDNO ? Answer::kNo : Answer::kYes;
}

void Win32Ui::InformationBox(std::string_view text) {
  HWND owner = BeforeModal();
  MessageBoxW(owner, WideFromCp1251(text).c_str(), WideFromCp1251(text::kInformationTitle).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

std::optional<std::string> Win32Ui::FileDialog(const FileDialogOptions& options, bool save) {
  HWND owner = BeforeModal();
  // An open dialog takes an existing file of an existing folder; a save
  // dialog asks nothing about an existing file, the logic does.
  FileQuestion question{options.filter,
                        {},
                        WideFromUtf8(options.file_name),
                        WideFromUtf8(options.initial_folder),
                        WideFromUtf8(options.default_extension),
                        save,
                        save ? 0u : static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)};
  const std::optional<ChosenFile> chosen = AskFile(owner, question);
  if (!chosen) return std::nullopt;
  return Utf8FromWide(chosen->path);
}

std::optional<ChosenFile> AskFile(HWND owner, const FileQuestion& question) {
  const std::wstring filter = WideFromUtf16(DialogFilter(question.filter));
  std::vector<wchar_t> file(kPathRoom, L'\0');
  if (question.offered.size() < file.size())
    std::copy(question.offered.begin(), question.offered.end(), file.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kPathRoom;
  dialog.lpstrTitle = question.title.empty() ? nullptr : question.title.c_str();
  dialog.lpstrInitialDir = question.folder.empty() ? nullptr : question.folder.c_str();
  dialog.lpstrDefExt = question.extension.empty() ? nullptr : question.extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | question.flags;
  const BOOL chosen = question.save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return ChosenFile{file.data(), dialog.nFilterIndex};
}

std::optional<std::string> Win32Ui::OpenDialog(const FileDialogOptions& options) {
  return FileDialog(options, false);
}

std::optional<std::string> Win32Ui::SaveDialog(const FileDialogOptions& options) {
  return FileDialog(options, true);
}

void Win32Ui::CloseWindow() {
  if (window_ != nullptr) window_->Close();
}

void Win32Ui::RestoreAndRaise() {
  if (window_ != nullptr) window_->RestoreAndRaise();
}

void Win32Ui::FocusList(ListBox box) {
  if (window_ != nullptr) window_->FocusList(box);
}

}  // namespace velk::win32
