// velk-win32-checks.exe: drives the real Windows window and message boxes
// (under Wine on the build machine) and checks what a user meets. Each
// Check* below is one part of it, in a file of its own:
// main_window_checks.cpp (the boxes, the window, its lists and keys, an error
// that escapes a handler), viewer_checks.cpp (the menu bar and the record
// viewers), folder_checks.cpp («Преобразовать папку…» and drops); this file
// holds what they share: counting checks, answering boxes, pumping the
// window's messages and writing records.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/comtrade_form.h"
#include "app/system_services.h"
#include "app/win32/main_window.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_ui.h"

namespace velk::win32 {

extern int failures;
extern int checks;
void Check(bool ok, const char* what, const char* file, int line);
#define CHECK(condition) Check((condition), #condition, __FILE__, __LINE__)

std::wstring TextOf(HWND hwnd);

// ---- message boxes: what the box showed, then a press on one button ----

struct BoxSeen {
  int press = IDNO;  // the button to press
  bool found = false;
  HWND box = nullptr;
  std::wstring title, text, yes, no;
  bool has_ok = false;
  std::wstring file_type, file_name;  // of a file dialog
  std::wstring type;                  // a name to type into a file dialog before the press
  std::vector<std::wstring> cut;      // labels and check boxes whose text is wider than they are
};
extern BoxSeen seen;   // the first box or dialog
extern BoxSeen after;  // the one after it, when a second press is expected

void StopAnswering();
// The next box or dialog of this thread is answered with the button press,
// and the one after it with then, unless then is 0.
void Expect(int press, int then = 0);

// ---- the window ----

// Runs the window's messages for a while, or until condition holds (at most
// about 3 s, or the given seconds).
void Pump(MainWindow& window, int milliseconds);
template <typename Condition>
bool PumpUntil(MainWindow& window, Condition condition) {
  for (int i = 0; i < 300 && !condition(); ++i) Pump(window, 10);
  return condition();
}
template <typename Condition>
bool PumpSeconds(MainWindow& window, int seconds, Condition condition) {
  for (int i = 0; i < seconds * 50 && !condition(); ++i) Pump(window, 20);
  return condition();
}

// The program's window over folder as the program opens it: its last
// folders restored, created, its state drawn and shown. The folder is an
// unpacked program's, with its output folders, so that the window writes
// there and never into the user's documents.
struct ShownWindow {
  explicit ShownWindow(const std::string& folder)
      : system(WithOutputFolders(folder)), form(ui, system), window(form) {
    ui.Attach(&window);
    form.RestoreLastFolders();
    CHECK(window.Create(GetModuleHandleW(nullptr)));
    form.FormCreate();
    window.ShowState();
    ShowWindow(window.hwnd(), SW_SHOW);
  }
  static std::string WithOutputFolders(const std::string& folder) {
    for (const char* name : {"comtrade_anl", "comtrade_dis", "comtrade_uni"})
      CreateDirectoryW(WideFromUtf8(folder + name).c_str(), nullptr);
    return folder;
  }
  LocalSystem system;
  Win32Ui ui;
  TFComtrade form;
  MainWindow window;
};

// Drops what a window before left waiting, such as its quit, which would end
// the next message box at once.
void DropWaitingMessages();

// ---- records and folders ----

// A folder of the temporary folder, with Russian letters and blanks in its name.
std::string FolderAt(const std::string& name);
void Write(const std::string& path, const std::string& bytes);
// The working folder of the window checks: two records of one moment, made
// the working directory.
std::string MakeFolder();
// The sample records in a folder of their own, made the working directory.
std::string MakeExampleFolder();
// Pairs of an analog and a discrete record of one moment, a second apart:
// "пара 0001.flh" and "пара 0001.txt" on.
void WriteRecordPairs(const std::string& folder, int pairs);

// ---- the parts ----

void CheckBoxes();
void CheckWindow(const std::string& folder);
void CheckEscapedError(const std::string& folder);
void CheckViewer(const std::string& folder);
// Within CheckViewer: a viewer of both sample records, and drops of COMTRADE records.
void CheckFaultReading(MainWindow& window, HWND viewer, const std::string& folder);
void CheckComtradeDrop(MainWindow& window, const std::string& folder);
void CheckManyBands(MainWindow& window, const std::string& folder);
// A key held down (or not) for the keys posted next.
void SetKey(int key, bool down);
void CheckFolderConversion();

}  // namespace velk::win32
