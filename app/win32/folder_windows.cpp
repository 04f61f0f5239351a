#include "app/win32/folder_windows.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "app/texts.h"
#include "app/view_layout.h"
#include "app/win32/dialog_template.h"
#include "app/win32/win32_text.h"

namespace velk::win32 {
namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMilliseconds = 50;

HWND progress_window = nullptr;
HWND summary_window = nullptr;

constexpr ControlClass kProgress{0, PROGRESS_CLASSW};

constexpr DWORD kTabStop = WS_TABSTOP;
constexpr DWORD kPushButton = BS_PUSHBUTTON | kTabStop;

std::wstring FieldText(HWND dialog, int id) {
  HWND field = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return text;
}

// ---- «Преобразовать папку» ----

// The system's folder dialog, starting at start; the folder chosen, or
// nothing when the user cancelled.
std::optional<std::wstring> PickFolder(HWND owner, std::wstring start) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog))))
    return std::nullopt;
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  // "C:\records\" is parsed as "C:\records"; a drive's root keeps its backslash.
  if (start.size() > 3 && (start.back() == L'\\' || start.back() == L'/')) start.pop_back();
  IShellItem* folder = nullptr;
  if (!start.empty() &&
      SUCCEEDED(SHCreateItemFromParsingName(start.c_str(), nullptr, IID_IShellItem,
                                            reinterpret_cast<void**>(&folder)))) {
    dialog->SetFolder(folder);
    folder->Release();
  }
  std::optional<std::wstring> chosen;
  IShellItem* item = nullptr;
  if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
    PWSTR path = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
      chosen = path;
      CoTaskMemFree(path);
    }
    item->Release();
  }
  dialog->Release();
  return chosen;
}

FolderChoices ChoicesOf(HWND dialog) {
  FolderChoices choices;
  choices.records_folder = FolderOfField(FieldText(dialog, kRecordsFolderField));
  choices.output_folder = FolderOfField(FieldText(dialog, kOutputFolderField));
  choices.recursive = IsDlgButtonChecked(dialog, kRecursiveBox) == BST_CHECKED;
  choices.force = IsDlgButtonChecked(dialog, kForceBox) == BST_CHECKED;
  return choices;
}

void ShowCanStart(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDOK), ChoicesOf(dialog).CanStart());
}

// «…»: the folder dialog opens at the field's folder.
void Browse(HWND dialog, int field) {
  const auto chosen = PickFolder(dialog, WideFromUtf8(FolderOfField(FieldText(dialog, field))));
  if (chosen) SetDlgItemTextW(dialog, field, chosen->c_str());
}

INT_PTR AskCommand(HWND dialog, int id, int code) {
  switch (id) {
    case kRecordsFolderField:
    case kOutputFolderField:
      if (code == EN_CHANGE) ShowCanStart(dialog);
      return TRUE;
    case kRecordsBrowseButton:
      Browse(dialog, kRecordsFolderField);
      return TRUE;
    case kOutputBrowseButton:
      Browse(dialog, kOutputFolderField);
      return TRUE;
    default:
      return OkOrCancel(dialog, id, [dialog] {
        const FolderChoices choices = ChoicesOf(dialog);
        if (!choices.CanStart()) return false;  // Enter while «Начать» is disabled
        *reinterpret_cast<FolderChoices*>(GetWindowLongPtrW(dialog, DWLP_USER)) = choices;
        return true;
      });
  }
}

INT_PTR CALLBACK AskProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    const auto& choices = *reinterpret_cast<const FolderChoices*>(lparam);
    SetDlgItemTextW(dialog, kRecordsFolderField, WideFromUtf8(choices.records_folder).c_str());
    SetDlgItemTextW(dialog, kOutputFolderField, WideFromUtf8(choices.output_folder).c_str());
    CheckDlgButton(dialog, kRecursiveBox, choices.recursive ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kForceBox, choices.force ? BST_CHECKED : BST_UNCHECKED);
    ShowCanStart(dialog);
    PlaceOver(dialog, GetWindow(dialog, GW_OWNER));
    return TRUE;  // the focus goes to the records folder
  }
  if (message == WM_COMMAND) return AskCommand(dialog, LOWORD(wparam), HIWORD(wparam));
  return FALSE;
}

// ---- the progress window ----

struct ProgressState {
  TFComtrade& form;
  std::function<void(const FolderRunProgress&)> finished;
  std::wstring line;  // the line shown, drawn again only when it changes
};

ProgressState* ProgressOf(HWND window) {
  return reinterpret_cast<ProgressState*>(GetWindowLongPtrW(window, DWLP_USER));
}

void DrawProgress(HWND window, const FolderConversion::Status& status) {
  ProgressState& state = *ProgressOf(window);
  const auto total = static_cast<LPARAM>(std::max<std::size_t>(status.total, 1));
  SendDlgItemMessageW(window, kProgressBar, PBM_SETRANGE32, 0, total);
  SendDlgItemMessageW(window, kProgressBar, PBM_SETPOS, status.done, 0);
  std::wstring line = WideFromUtf8(FolderConversion::ProgressText(status));
  if (line != state.line) {
    state.line = std::move(line);
    SetDlgItemTextW(window, kProgressLine, state.line.c_str());
  }
  // Cancelled, the run finishes the conversions under way.
  EnableWindow(GetDlgItem(window, IDCANCEL), status.state == FolderConversion::State::kRunning);
}

// Draws the run's progress; once the run is finished, closes the window and
// tells the main window.
void PollRun(HWND window) {
  ProgressState& state = *ProgressOf(window);
  const FolderRunProgress progress = state.form.PollFolderConversion();
  if (!progress.finished) return DrawProgress(window, progress.status);
  KillTimer(window, kPollTimer);
  const auto finished = std::move(state.finished);
  DestroyWindow(window);
  if (finished) finished(progress);
}

INT_PTR CALLBACK ProgressProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(window, DWLP_USER, lparam);
      PlaceOver(window, GetWindow(window, GW_OWNER));
      SetTimer(window, kPollTimer, kPollMilliseconds, nullptr);
      DrawProgress(window, ProgressOf(window)->form.PollFolderConversion().status);
      return TRUE;
    case WM_TIMER:
      if (wparam == kPollTimer) PollRun(window);
      return TRUE;
    case WM_COMMAND:
      // «Отмена», Esc and the close box alike.
      if (LOWORD(wparam) != IDCANCEL) return FALSE;
      ProgressOf(window)->form.CancelFolderConversion();
      PollRun(window);
      return TRUE;
    case WM_DESTROY:
      delete ProgressOf(window);
      SetWindowLongPtrW(window, DWLP_USER, 0);
      progress_window = nullptr;
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- the summary window ----

struct SummaryState {
  std::wstring text;
  std::string output_folder;
  std::function<void()> closed;
};

SummaryState* SummaryOf(HWND window) {
  return reinterpret_cast<SummaryState*>(GetWindowLongPtrW(window, DWLP_USER));
}

// A read-only text of many lines keeps the arrow keys and selection, and
// leaves Tab, Enter and Esc to the window, as a dialog's other controls do.
LRESULT CALLBACK KeysAsInDialog(HWND field, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(field, KeysAsInDialog, id);
  const LRESULT result = DefSubclassProc(field, message, wparam, lparam);
  return message == WM_GETDLGCODE ? result & ~static_cast<LRESULT>(DLGC_WANTALLKEYS) : result;
}

void CopyToClipboard(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

INT_PTR SummaryCommand(HWND window, int id) {
  const SummaryState& state = *SummaryOf(window);
  switch (id) {
    case kOpenOutputButton:
      // Explorer, or whatever the user opens folders with.
      ShellExecuteW(window, L"open", WideFromUtf8(state.output_folder).c_str(), nullptr, nullptr,
                    SW_SHOWNORMAL);
      return TRUE;
    case kCopyButton:
      CopyToClipboard(window, state.text);
      return TRUE;
    case IDOK:
    case IDCANCEL:
      DestroyWindow(window);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SummaryProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(window, DWLP_USER, lparam);
      HWND field = GetDlgItem(window, kSummaryField);
      SetWindowTextW(field, SummaryOf(window)->text.c_str());
      SetWindowSubclass(field, KeysAsInDialog, 0, 0);
      PlaceOver(window, GetWindow(window, GW_OWNER));
      SetFocus(GetDlgItem(window, IDOK));
      return FALSE;
    }
    case WM_CTLCOLORSTATIC:
      // The text on the background of text to read, though it is read-only.
      if (reinterpret_cast<HWND>(lparam) != GetDlgItem(window, kSummaryField)) return FALSE;
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    case WM_COMMAND:
      return SummaryCommand(window, LOWORD(wparam));
    case WM_DESTROY: {
      SummaryState* state = SummaryOf(window);
      SetWindowLongPtrW(window, DWLP_USER, 0);
      summary_window = nullptr;
      const std::function<void()> closed = std::move(state->closed);
      delete state;
      if (closed) closed();
      return TRUE;
    }
    default:
      return FALSE;
  }
}

HINSTANCE InstanceOf(HWND window) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
}

}  // namespace

std::optional<FolderChoices> AskFolderChoices(HWND owner, const FolderChoices& initial) {
  DialogTemplate dialog(text::kFolderDialogTitle, 300, 100);
  dialog.Add(kStatic, text::kRecordsFolderLabel, -1, {7, 9, 64, 8}, SS_NOPREFIX);
  dialog.Add(kEdit, "", kRecordsFolderField, {74, 7, 198, 14}, ES_AUTOHSCROLL | kTabStop,
             WS_EX_CLIENTEDGE);
  dialog.Add(kButton, text::kBrowseButton, kRecordsBrowseButton, {275, 7, 18, 14}, kPushButton);
  dialog.Add(kStatic, text::kOutputFolderLabel, -1, {7, 28, 64, 8}, SS_NOPREFIX);
  dialog.Add(kEdit, "", kOutputFolderField, {74, 26, 198, 14}, ES_AUTOHSCROLL | kTabStop,
             WS_EX_CLIENTEDGE);
  dialog.Add(kButton, text::kBrowseButton, kOutputBrowseButton, {275, 26, 18, 14}, kPushButton);
  dialog.Add(kButton, text::kRecursiveBox, kRecursiveBox, {74, 46, 198, 10},
             BS_AUTOCHECKBOX | kTabStop);
  dialog.Add(kButton, text::kForceBox, kForceBox, {74, 60, 198, 10}, BS_AUTOCHECKBOX | kTabStop);
  dialog.Add(kButton, text::kStartButton, IDOK, {186, 79, 52, 14}, BS_DEFPUSHBUTTON | kTabStop);
  dialog.Add(kButton, text::kCancelButton, IDCANCEL, {241, 79, 52, 14}, kPushButton);

  FolderChoices choices = initial;
  const INT_PTR pressed = DialogBoxIndirectParamW(InstanceOf(owner), dialog.get(), owner,
                                                  AskProcedure, reinterpret_cast<LPARAM>(&choices));
  if (pressed != IDOK) return std::nullopt;
  return choices;
}

HWND OpenProgressWindow(HWND owner, TFComtrade& form,
                        std::function<void(const FolderRunProgress&)> finished) {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&controls);

  DialogTemplate window(text::kProgressTitle, 250, 58);
  window.Add(kProgress, "", kProgressBar, {7, 7, 236, 11}, PBS_SMOOTH);
  window.Add(kStatic, "", kProgressLine, {7, 23, 236, 9}, SS_NOPREFIX | SS_ENDELLIPSIS);
  window.Add(kButton, text::kCancelButton, IDCANCEL, {191, 37, 52, 14}, kPushButton);
  auto* state = new ProgressState{form, std::move(finished), {}};
  HWND hwnd = CreateDialogIndirectParamW(InstanceOf(owner), window.get(), owner, ProgressProcedure,
                                         reinterpret_cast<LPARAM>(state));
  if (hwnd == nullptr) {
    delete state;
    return nullptr;
  }
  progress_window = hwnd;
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

HWND OpenSummaryWindow(HWND owner, std::string_view summary, const std::string& output_folder,
                       std::function<void()> closed) {
  DialogTemplate window(text::kSummaryTitle, 360, 230);
  window.Add(kEdit, "", kSummaryField, {7, 7, 346, 196},
             ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | kTabStop, WS_EX_CLIENTEDGE);
  window.Add(kButton, text::kOpenOutputButton, kOpenOutputButton, {7, 209, 100, 14}, kPushButton);
  window.Add(kButton, text::kCopyButton, kCopyButton, {111, 209, 60, 14}, kPushButton);
  window.Add(kButton, text::kCloseSummaryButton, IDOK, {301, 209, 52, 14},
             BS_DEFPUSHBUTTON | kTabStop);
  auto* state = new SummaryState{WindowsText(summary), output_folder, std::move(closed)};
  HWND hwnd = CreateDialogIndirectParamW(InstanceOf(owner), window.get(), owner, SummaryProcedure,
                                         reinterpret_cast<LPARAM>(state));
  if (hwnd == nullptr) {
    delete state;
    return nullptr;
  }
  summary_window = hwnd;
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

HWND ProgressWindow() {
  return progress_window;
}

HWND SummaryWindow() {
  return summary_window;
}

bool TakeFolderWindowMessage(MSG& message) {
  for (HWND window : {progress_window, summary_window})
    if (window != nullptr && (message.hwnd == window || IsChild(window, message.hwnd)))
      return IsDialogMessageW(window, &message);
  return false;
}

std::string FolderOfField(std::wstring_view text) {
  return TypedFolder(Utf8FromWide(text));
}

std::wstring WindowsText(std::string_view utf8) {
  std::string text;
  text.reserve(utf8.size() + utf8.size() / 16);
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\n' && (i == 0 || utf8[i - 1] != '\r')) text += '\r';
    text += utf8[i];
  }
  return WideFromUtf8(text);
}

}  // namespace velk::win32
