// «Преобразовать папку…» with the Windows API: the dialog that asks for the
// folders, the progress window of a run and the summary window at its end.
//
// All three are dialogs built from templates in memory, in the dialog font of
// Windows, which Windows lays out for the monitor's pixels per inch. The
// dialog is modal over the main window; the progress and the summary window
// are modeless, owned by it, so the main window stays at hand while a folder
// is converted. They draw what the logic says and forward the user's clicks;
// the main window's message loop gives them Tab, Enter and Esc
// (TakeFolderWindowMessage).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "app/comtrade_form.h"

namespace velk::win32 {

// The controls of the three windows. «Начать» is IDOK, «Отмена» IDCANCEL;
// «Закрыть» of the summary is IDOK, and Esc closes it as well.
enum FolderControl : int {
  kRecordsFolderField = 1001,
  kRecordsBrowseButton,
  kOutputFolderField,
  kOutputBrowseButton,
  kRecursiveBox,
  kForceBox,
  kProgressBar,
  kProgressLine,
  kSummaryField,
  kOpenOutputButton,
  kCopyButton,
};

// The dialog «Преобразовать папку» over owner, showing initial. Returns the
// choices when the user pressed «Начать», nothing after «Отмена».
std::optional<FolderChoices> AskFolderChoices(HWND owner, const FolderChoices& initial);

// Opens the progress window of the logic's folder run over owner. Every 50 ms
// it draws the run's progress; «Отмена», Esc or closing it cancels the run.
// Once the run is over the window closes and calls finished with what the
// summary shows.
HWND OpenProgressWindow(HWND owner, TFComtrade& form,
                        std::function<void(const FolderRunProgress&)> finished);

// Opens the summary window over owner: summary (UTF-8) in a read-only text
// field, «Открыть папку вывода» for output_folder, «Копировать» and
// «Закрыть». closed is called when the window goes, however it goes.
HWND OpenSummaryWindow(HWND owner, std::string_view summary, const std::string& output_folder,
                       std::function<void()> closed);

// The progress window and the summary window of this thread; nullptr when
// none is open.
HWND ProgressWindow();
HWND SummaryWindow();

// Takes message when it is for the progress or the summary window, handling
// Tab, Enter and Esc as a dialog does; false for any other message.
bool TakeFolderWindowMessage(MSG& message);

// A folder as the user typed or chose it, as the logic takes it: UTF-8,
// tidied by TypedFolder.
std::string FolderOfField(std::wstring_view text);

// UTF-8 text with CR LF line ends, as an edit field and the clipboard show it.
std::wstring WindowsText(std::string_view utf8);

}  // namespace velk::win32
