// What the logic asks of the window toolkit, done with the Windows API: modal
// message boxes and common file dialogs owned by the main window, and the
// window's own actions.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/ui_services.h"

namespace velk::win32 {

class MainWindow;

class Win32Ui : public UiServices {
 public:
  // The window the boxes and dialogs belong to; before each of them it shows
  // the logic's state, so the user sees what the handler did so far.
  void Attach(MainWindow* window) { window_ = window; }

  void ErrorBox(std::string_view text) override;
  Answer QuestionBox(std::string_view text) override;
  void InformationBox(std::string_view text) override;
  std::optional<std::string> OpenDialog(const FileDialogOptions& options) override;
  std::optional<std::string> SaveDialog(const FileDialogOptions& options) override;
  void CloseWindow() override;
  void RestoreAndRaise() override;
  void FocusList(ListBox box) override;

 private:
  HWND BeforeModal();
  std::optional<std::string> FileDialog(const FileDialogOptions& options, bool save);

  MainWindow* window_ = nullptr;
};

// A question for the system's open or save dialog: the filter as
// "description|pattern|…" (code page 1251), the dialog's title (the system's
// own when empty), the name offered, the folder it opens in, the extension a
// typed name without one gets, and flags beyond the Explorer look.
struct FileQuestion {
  std::string_view filter;
  std::wstring title, offered, folder, extension;
  bool save = false;
  DWORD flags = 0;
};
// The path chosen and the filter it was chosen under (1 for the first);
// nothing when the user cancelled.
struct ChosenFile {
  std::wstring path;
  DWORD filter = 1;
};
std::optional<ChosenFile> AskFile(HWND owner, const FileQuestion& question);

// Appends an item of a menu: caption in code page 1251 ("&" before the letter
// Alt reaches it by), and the shortcut that the menu shows right of it.
void AddMenuItem(HMENU menu, UINT flags, UINT_PTR id, std::string_view caption,
                 std::wstring_view shortcut = {});

// A message box whose Yes and No buttons read «Да» and «Нет» whatever the
// system's language; otherwise MessageBoxW.
int RussianMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT type);

// The object behind one of our windows: CreateWindowExW's last argument, kept
// in the window's user data from WM_NCCREATE until WM_NCDESTROY; nullptr
// before and after.
template <typename Window>
Window* ObjectOfWindow(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return window;
}

}  // namespace velk::win32
