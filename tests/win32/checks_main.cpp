// velk-win32-checks.exe: drives the real Windows window and message boxes
// (under Wine on the build machine) and checks what a user meets, part by
// part (checks.h). The records lie in a folder whose name, like theirs, has
// Russian letters and blanks. Prints each failed check and exits with 1 when
// any failed.
//
// With an argument it acts on a running velk-comtrade.exe instead, for the
// test of two starts: "state" prints how many converter windows there are,
// whether the first is minimized and whether it is in front; "client" prints
// where its client area is on the screen and its size; "minimize" and "close"
// do that to it. "records FOLDER N" writes N pairs of records of one moment
// into FOLDER, for a folder conversion that lasts a while.
#include <windows.h>

#include <ole2.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/folder_windows.h"
#include "comtrade/file_io.h"
#include "tests/win32/checks.h"

namespace velk::win32 {
namespace {

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (std::wstring(name) == L"VelkComtradeWindow") {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(found);
    windows->push_back(hwnd);
  }
  return TRUE;
}

int ActOnRunningWindow(std::wstring_view action) {
  std::vector<HWND> windows;
  EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
  if (windows.empty()) {
    std::printf("windows 0\n");
    return 1;
  }
  HWND window = windows.front();
  if (action == L"client") {
    RECT client{};
    GetClientRect(window, &client);
    POINT at{0, 0};
    ClientToScreen(window, &at);
    std::printf("%ld %ld %ld %ld\n", at.x, at.y, client.right, client.bottom);
  } else if (action == L"minimize") {
    ShowWindow(window, SW_MINIMIZE);
  } else if (action == L"close") {
    PostMessageW(window, WM_CLOSE, 0, 0);
  } else {
    std::printf("windows %zu %s %s\n", windows.size(), IsIconic(window) ? "minimized" : "restored",
                GetForegroundWindow() == window ? "foreground" : "background");
  }
  return 0;
}

}  // namespace
}  // namespace velk::win32

int wmain(int argc, wchar_t** argv) {
  using namespace velk::win32;
  if (argc == 4 && std::wstring_view(argv[1]) == L"records") {
    WriteRecordPairs(FolderOfField(argv[2]), std::stoi(argv[3]));
    return 0;
  }
  if (argc > 1) return ActOnRunningWindow(argv[1]);
  OleInitialize(nullptr);
  CheckBoxes();
  const std::string folder = MakeFolder();
  CheckWindow(folder);
  CheckEscapedError(folder);
  const std::string examples = MakeExampleFolder();
  CheckViewer(examples);
  CheckFolderConversion();
  SetCurrentDirectoryW(L"C:\\");
  std::error_code ignored;
  std::filesystem::remove_all(velk::FsPath(folder), ignored);
  std::filesystem::remove_all(velk::FsPath(examples), ignored);
  std::printf("%s: %d of %d checks failed\n", failures == 0 ? "passed" : "FAILED", failures,
              checks);
  return failures == 0 ? 0 : 1;
}
