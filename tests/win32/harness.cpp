// What the parts of the window checks share.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/win32_text.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "tests/win32/checks.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::win32 {

int failures = 0;
int checks = 0;

void Check(bool ok, const char* what, const char* file, int line) {
  ++checks;
  if (ok) return;
  ++failures;
  std::printf("%s:%d: failed: %s\n", std::filesystem::path(file).filename().string().c_str(), line,
              what);
  std::fflush(stdout);
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

BoxSeen seen;
BoxSeen after;

namespace {

UINT_PTR answer_timer = 0;

// A label's or a check box's text that its control is too narrow to show whole.
BOOL CALLBACK FindCut(HWND control, LPARAM found) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
  const bool check_box =
      std::wstring(name) == L"Button" &&
      ((style & BS_TYPEMASK) == BS_AUTOCHECKBOX || (style & BS_TYPEMASK) == BS_CHECKBOX);
  const bool label = std::wstring(name) == L"Static" && (style & SS_TYPEMASK) <= SS_RIGHT;
  const std::wstring text = TextOf(control);
  if ((!label && !check_box) || text.empty() || !IsWindowVisible(control)) return TRUE;
  HDC dc = GetDC(control);
  const HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  RECT room{};
  GetClientRect(control, &room);
  // A check box draws its box and a gap of about half a box before the text.
  const int box = check_box ? GetSystemMetrics(SM_CXMENUCHECK) * 3 / 2 : 0;
  if (size.cx > room.right - box)
    reinterpret_cast<std::vector<std::wstring>*>(found)->push_back(text);
  return TRUE;
}

BOOL CALLBACK FindBox(HWND hwnd, LPARAM) {
  wchar_t name[32] = {};
  GetClassNameW(hwnd, name, 32);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(hwnd) || hwnd == seen.box) return TRUE;
  BoxSeen& box = seen.found ? after : seen;
  box.found = true;
  box.box = hwnd;
  box.title = TextOf(hwnd);
  if (HWND text = GetDlgItem(hwnd, 0xFFFF)) box.text = TextOf(text);
  if (HWND yes = GetDlgItem(hwnd, IDYES)) box.yes = TextOf(yes);
  if (HWND no = GetDlgItem(hwnd, IDNO)) box.no = TextOf(no);
  box.has_ok = GetDlgItem(hwnd, IDOK) != nullptr;
  EnumChildWindows(hwnd, FindCut, reinterpret_cast<LPARAM>(&box.cut));
  // The file dialog's controls: the type list (cmb1) and the name (cmb13 or edt1).
  if (HWND type = GetDlgItem(hwnd, 0x470)) box.file_type = TextOf(type);
  if (HWND edit = GetDlgItem(hwnd, 0x47c)) box.file_name = TextOf(edit);
  if (HWND edit = GetDlgItem(hwnd, 0x480); box.file_name.empty() && edit != nullptr)
    box.file_name = TextOf(edit);
  if (!box.type.empty()) {
    HWND field = GetDlgItem(hwnd, 0x47c);
    SetWindowTextW(field != nullptr ? field : GetDlgItem(hwnd, 0x480), box.type.c_str());
  }
  PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(box.press, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(hwnd, box.press)));
  return FALSE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
  if (seen.found && (after.press == 0 || after.found)) StopAnswering();
}

}  // namespace

void StopAnswering() {
  if (answer_timer != 0) KillTimer(nullptr, answer_timer);
  answer_timer = 0;
}

void Expect(int press, int then) {
  StopAnswering();
  seen = BoxSeen{};
  seen.press = press;
  after = BoxSeen{};
  after.press = then;
  answer_timer = SetTimer(nullptr, 0, 50, AnswerBox);
}

void Pump(MainWindow& window, int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    window.PumpPending();
    Sleep(10);
  } while (GetTickCount() < end);
}

void DropWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

std::string MakeFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string folder = Utf8FromWide(temp) + "velk-win32-checks записи " +
                             std::to_string(GetCurrentProcessId()) + "\\";
  std::filesystem::create_directories(FsPath(folder + "comtrade_anl"));
  testing::FlhRecord record;
  std::ofstream(FsPath(folder + "запись 1.flh"), std::ios::binary) << record.Ramp(3).Bytes();
  std::ofstream(FsPath(folder + "запись 1.txt"), std::ios::binary)
      << Cp1251("// 15 07 09:05:30\r\n\\\\ Пуск\r\n").view();
  SetCurrentDirectoryW(WideFromUtf8(folder).c_str());
  return folder;
}

std::string MakeExampleFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string folder = Utf8FromWide(temp) + "velk-win32-checks просмотр " +
                             std::to_string(GetCurrentProcessId()) + "\\";
  std::filesystem::create_directories(FsPath(folder));
  for (const auto& [name, bytes] : testing::ExampleRecords())
    std::ofstream(FsPath(folder + name), std::ios::binary) << bytes;
  SetCurrentDirectoryW(WideFromUtf8(folder).c_str());
  return folder;
}

std::string FolderAt(const std::string& name) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string folder = Utf8FromWide(temp) + "velk-win32-checks " + name + " " +
                             std::to_string(GetCurrentProcessId()) + "\\";
  std::filesystem::create_directories(FsPath(folder));
  return folder;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(FsPath(path), std::ios::binary) << bytes;
}

void WriteRecordPairs(const std::string& folder, int pairs) {
  const auto bcd = [](int n) { return static_cast<std::uint8_t>(n / 10 * 16 + n % 10); };
  for (int i = 0; i < pairs; ++i) {
    char name[32], moment[32];
    std::snprintf(name, sizeof name, "пара %04d", i + 1);
    std::snprintf(moment, sizeof moment, "13 02 16:%02d:%02d", i / 60 % 60, i % 60);
    testing::FlhRecord analog;
    analog.moment_bcd = {0x19, 0x02, 0x13, 0x16, bcd(i / 60 % 60), bcd(i % 60)};
    Write(folder + name + ".flh", analog.Ramp(400).Bytes());
    Write(folder + name + ".txt", testing::DiscreteRecord().Pair(moment, "Пуск").Bytes());
  }
}

}  // namespace velk::win32
