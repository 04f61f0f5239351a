#include "app/win32/file_handoff.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <deque>
#include <exception>
#include <string_view>
#include <utility>

#include "app/opened_files.h"
#include "app/win32/main_window.h"
#include "app/win32/viewer_window.h"
#include "app/win32/win32_text.h"

namespace velk::win32 {
namespace {

// The mark of a WM_COPYDATA block of handed files ("VLKF"), and its largest size.
constexpr ULONG_PTR kHandedFilesMark = 0x564C4B46;
constexpr DWORD kMaxBlockBytes = 1 << 20;
constexpr UINT_PTR kSubclassId = 1;
// How long a second start waits for the running window to appear and answer.
constexpr DWORD kWaitMs = 5000;
constexpr DWORD kPollMs = 100;

// What the running window keeps between taking a block and opening its files.
struct Handoff {
  MainWindow* window;
  UiServices* ui;
  UINT open_message;
  std::deque<std::string> pending;
};

// The block is taken while the sender waits; the viewers open afterwards, on
// a posted message, so that reading a long record never holds the sender up.
LRESULT CALLBACK HandoffProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                             DWORD_PTR data) {
  auto* handoff = reinterpret_cast<Handoff*>(data);
  if (message == WM_COPYDATA) {
    const auto* copied = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (copied == nullptr || copied->dwData != kHandedFilesMark)
      return DefSubclassProc(hwnd, message, wparam, lparam);
    if (copied->lpData == nullptr || copied->cbData % sizeof(char16_t) != 0 ||
        copied->cbData > kMaxBlockBytes)
      return FALSE;
    std::u16string block(copied->cbData / sizeof(char16_t), u'\0');
    CopyMemory(block.data(), copied->lpData, copied->cbData);
    for (std::string& path : SplitHandedPaths(block)) handoff->pending.push_back(std::move(path));
    PostMessageW(hwnd, handoff->open_message, 0, 0);
    return TRUE;
  }
  if (message == handoff->open_message) {
    std::vector<std::string> files(handoff->pending.begin(), handoff->pending.end());
    handoff->pending.clear();
    OpenHandedFiles(*handoff->window, *handoff->ui, files);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, HandoffProc, kSubclassId);
    delete handoff;
  }
  return DefSubclassProc(hwnd, message, wparam, lparam);
}

}  // namespace

std::vector<std::string> CommandLineFiles() {
  std::vector<std::string> arguments;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return {};
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  std::vector<std::string> files;
  for (const std::string& file : HandedFilesOf(arguments, "")) {
    // GetFullPathNameW: the path against the current folder, also "D:name".
    const std::wstring given = WideFromUtf8(file);
    const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length =
        size == 0 ? 0 : GetFullPathNameW(given.c_str(), size, full.data(), nullptr);
    files.push_back(length == 0 || length >= size ? file : Utf8FromWide({full.data(), length}));
  }
  return files;
}

bool HandFilesToRunningWindow(const std::vector<std::string>& files) {
  std::vector<std::string> handed(
      files.begin(),
      files.begin() + static_cast<std::ptrdiff_t>(std::min(files.size(), kMaxHandedFiles)));
  const std::u16string block = JoinHandedPaths(handed);
  if (block.empty() || block.size() * sizeof(char16_t) > kMaxBlockBytes) return false;
  // The running program holds its mutex from its first moment: its window
  // may still be on its way.
  HWND running = nullptr;
  for (DWORD waited = 0; running == nullptr && waited < kWaitMs; waited += kPollMs) {
    running = FindWindowW(kWindowClass, nullptr);
    if (running == nullptr) Sleep(kPollMs);
  }
  if (running == nullptr) return false;
  // Only the program the user just started may hand the foreground on.
  DWORD process = 0;
  GetWindowThreadProcessId(running, &process);
  if (process != 0) AllowSetForegroundWindow(process);
  COPYDATASTRUCT copied{};
  copied.dwData = kHandedFilesMark;
  copied.cbData = static_cast<DWORD>(block.size() * sizeof(char16_t));
  copied.lpData = const_cast<char16_t*>(block.data());
  DWORD_PTR taken = FALSE;
  const LRESULT sent =
      SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copied),
                          SMTO_ABORTIFHUNG | SMTO_BLOCK, kWaitMs, &taken);
  return sent != 0 && taken == TRUE;
}

void TakeHandedFiles(MainWindow& window, UiServices& ui) {
  const UINT open_message = RegisterWindowMessageW(L"VelkComtradeOpenHandedFiles");
  if (window.hwnd() == nullptr || open_message == 0) return;
  auto* handoff = new Handoff{&window, &ui, open_message, {}};
  if (!SetWindowSubclass(window.hwnd(), HandoffProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(handoff))) {
    delete handoff;
    return;
  }
  // A window of a program run as administrator takes the files of a start run
  // without (Windows 7 on).
  using FilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto allow = user32 == nullptr
                         ? nullptr
                         : reinterpret_cast<FilterFunction>(reinterpret_cast<void*>(
                               GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  if (allow != nullptr) allow(window.hwnd(), WM_COPYDATA, kAllow, nullptr);
}

void OpenHandedFiles(MainWindow& window, UiServices& ui, const std::vector<std::string>& files) {
  if (files.empty() || window.hwnd() == nullptr) return;
  window.RestoreAndRaise();
  const auto instance =
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window.hwnd(), GWLP_HINSTANCE));
  for (const std::string& file : files) {
    try {
      std::unique_ptr<RecordViewer> viewer = OpenHandedFile(file, ui);
      if (viewer != nullptr)
        OpenViewerWindow(instance, std::move(viewer), window.hwnd(), window.Dpi());
    } catch (const std::exception& error) {
      ShowEscapedError(window.hwnd(), error.what());
    } catch (...) {
      ShowEscapedError(window.hwnd(), "");
    }
  }
}

}  // namespace velk::win32
