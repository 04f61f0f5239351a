#include "app/win32/program.h"

#include <commctrl.h>
#include <ole2.h>

#include <exception>
#include <vector>

#include "app/comtrade_form.h"
#include "app/system_services.h"
#include "app/win32/file_handoff.h"
#include "app/win32/main_window.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_ui.h"

namespace velk::win32 {
namespace {

// The mutex is created in one step, so of two programs started at the same
// moment exactly one sees ERROR_ALREADY_EXISTS. A name without a prefix
// lives in the session's own ("Local\") namespace: one window per logon
// session, another user's session runs its own.
class InstanceGuard {
 public:
  InstanceGuard() {
    mutex_ = CreateMutexW(nullptr, TRUE, kInstanceMutex);
    const DWORD error = GetLastError();
    // A mutex of the same name that this process may not open is held by
    // another instance too.
    running_elsewhere_ = (mutex_ != nullptr && error == ERROR_ALREADY_EXISTS) ||
                         (mutex_ == nullptr && error == ERROR_ACCESS_DENIED);
  }
  ~InstanceGuard() {
    if (mutex_ == nullptr) return;
    if (!running_elsewhere_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }
  InstanceGuard(const InstanceGuard&) = delete;
  InstanceGuard& operator=(const InstanceGuard&) = delete;
  bool RunningElsewhere() const { return running_elsewhere_; }

 private:
  HANDLE mutex_ = nullptr;
  bool running_elsewhere_ = false;
};

// Posted, not sent: a running window that does not answer cannot hold up the
// second start. Windows lets only the foreground program hand the foreground
// on, so this start, which the user just made, allows it first.
void AskRunningWindowToFront() {
  AllowSetForegroundWindow(ASFW_ANY);
  const UINT message = RegisterWindowMessageW(kRestoreMessage);
  if (message != 0) PostMessageW(HWND_BROADCAST, message, 0, 0);
}

// OLE for files dragged from Explorer and for the folder dialog of
// «Преобразовать папку».
class OleSession {
 public:
  OleSession() : ready_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ready_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool ready_;
};

void RunWindow(HINSTANCE instance, int show, const std::vector<std::string>& files) {
  const OleSession ole;
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);

  LocalSystem system(ProgramFolder(""));
  Win32Ui ui;
  TFComtrade form(ui, system);
  MainWindow window(form);
  ui.Attach(&window);
  form.RestoreLastFolders();
  if (!window.Create(instance)) return;
  form.FormCreate();
  window.ShowState();
  ShowWindow(window.hwnd(), show);
  SetFocus(window.Control(kCloseButton));
  TakeHandedFiles(window, ui);
  OpenHandedFiles(window, ui, files);
  window.RunMessageLoop();
  form.FormDestroy();
}

}  // namespace

int RunWindowProgram(HINSTANCE instance, int show) {
  const std::vector<std::string> files = CommandLineFiles();
  const InstanceGuard guard;
  if (guard.RunningElsewhere()) {
    // The running window opens the files, or only comes to the front.
    if (files.empty() || !HandFilesToRunningWindow(files)) AskRunningWindowToFront();
    return 0;
  }
  try {
    RunWindow(instance, show, files);
  } catch (const std::exception& error) {
    ShowEscapedError(nullptr, error.what());
  } catch (...) {
    ShowEscapedError(nullptr, "");
  }
  return 0;
}

}  // namespace velk::win32
