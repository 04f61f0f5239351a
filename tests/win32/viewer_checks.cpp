// The menu bar with its shortcuts, and record viewers opened by F3, a double
// click and the menu, whose wheel, drag, click and keys move the shown part
// as the viewer's own calls do.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/win32/viewer_window.h"
#include "app/win32/win32_text.h"
#include "comtrade/file_io.h"
#include "tests/win32/checks.h"

namespace velk::win32 {
namespace {

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return text;
}

void CheckMenuBar(const MainWindow& window) {
  HMENU bar = GetMenu(window.hwnd());
  CHECK(GetMenuItemCount(bar) == 4);
  CHECK(MenuText(bar, 0) == L"&Файл" && MenuText(bar, 1) == L"&Вид" &&
        MenuText(bar, 2) == L"П&араметры" && MenuText(bar, 3) == L"&Справка");
  CHECK(MenuText(GetSubMenu(bar, 2), 0) == L"&Формат вывода…");
  HMENU file = GetSubMenu(bar, 0);
  CHECK(MenuText(file, 0) == L"&Открыть запись…\tCtrl+O");
  CHECK(MenuText(file, 1) == L"Преобразовать &папку…\tCtrl+Shift+O");
  CHECK(MenuText(file, 3) == L"В&ыход");
  CHECK(MenuText(GetSubMenu(bar, 1), 0) == L"&Просмотр записи\tF3");
  CHECK(MenuText(GetSubMenu(bar, 3), 0) == L"&О программе");
  // The folder conversion's shortcut is there.
  std::vector<ACCEL> keys(
      static_cast<std::size_t>(CopyAcceleratorTableW(window.accelerators(), nullptr, 0)));
  CopyAcceleratorTableW(window.accelerators(), keys.data(), static_cast<int>(keys.size()));
  CHECK(std::any_of(keys.begin(), keys.end(), [](const ACCEL& key) {
    return key.fVirt == (FVIRTKEY | FCONTROL | FSHIFT) && key.key == 'O' &&
           key.cmd == kConvertFolderCommand;
  }));
  CHECK(std::any_of(keys.begin(), keys.end(), [](const ACCEL& key) {
    return key.fVirt == (FVIRTKEY | FCONTROL) && key.key == 'O' && key.cmd == kOpenRecordCommand;
  }));
}

// «Формат вывода…» shows each of its texts whole.
void CheckOutputDialog(MainWindow& window) {
  Expect(IDCANCEL);
  SendMessageW(window.hwnd(), WM_COMMAND, kOutputFormCommand, 0);
  CHECK(seen.title == L"Формат вывода");
  for (const std::wstring& text : seen.cut) std::printf("cut: %s\n", Utf8FromWide(text).c_str());
  CHECK(seen.found && seen.cut.empty());
}

// The viewer's «Файл» with its shortcuts: Ctrl+S asks where to save the
// picture, under the record's name, then its width with texts shown whole;
// Ctrl+P asks for a printer (or says there is none).
void CheckViewerFileMenu(MainWindow& window, HWND hwnd) {
  HMENU file = GetSubMenu(GetMenu(hwnd), 0);
  CHECK(MenuText(file, 1) == L"Со&хранить рисунок…\tCtrl+S");
  CHECK(MenuText(file, 2) == L"&Печать…\tCtrl+P");
  const auto control_key = [&](WPARAM key) {
    SetKey(VK_CONTROL, true);
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    Pump(window, 30);
    SetKey(VK_CONTROL, false);
  };
  Expect(IDOK, IDCANCEL);
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  seen.type = std::wstring(temp) + L"velk-win32-checks-unsaved.svg";
  control_key('S');
  CHECK(PumpUntil(window, [] { return after.found; }));
  CHECK(seen.title == L"Сохранить рисунок" && seen.file_name == L"feeder_type60.svg");
  CHECK(after.title == L"Сохранить рисунок");
  for (const std::wstring& text : after.cut) std::printf("cut: %s\n", Utf8FromWide(text).c_str());
  CHECK(after.cut.empty());
  CHECK(GetFileAttributesW(seen.type.c_str()) == INVALID_FILE_ATTRIBUTES);
  Expect(IDCANCEL);
  control_key('P');
  CHECK(PumpUntil(window, [] { return seen.found; }));
  StopAnswering();
}

bool SameView(const PictureView& a, const PictureView& b) {
  return a.from_ms == b.from_ms && a.to_ms == b.to_ms && a.cursor_ms == b.cursor_ms &&
         a.width == b.width && a.height == b.height && a.primary == b.primary;
}

void SetShift(bool down) {
  SetKey(VK_SHIFT, down);
}

// The wheel, a drag, a click, the arrow keys, Home and the viewer's menu sent
// to a viewer window, each checked against the same call on a viewer of the
// same records that no window drives; Esc closes the window.
void CheckViewerEvents(MainWindow& window, HWND hwnd) {
  RecordViewer& shown = *ViewerOf(hwnd);
  RecordViewer direct(std::move(RecordPicture::Open(shown.picture().records()).picture));
  RECT client{}, pane{};
  GetClientRect(hwnd, &client);
  // The picture takes the client area left of the pane.
  GetWindowRect(GetDlgItem(hwnd, kReadoutPane), &pane);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&pane), 2);
  direct.Resize(pane.left, client.bottom);
  direct.SetScale(static_cast<float>(window.Dpi()) / 96.0f);
  CHECK(pane.right == client.right && pane.left > client.right / 2);
  CHECK(shown.view().width == pane.left && shown.view().height == client.bottom);
  CHECK(shown.view().scale == static_cast<float>(window.Dpi()) / 96.0f);
  CHECK(SameView(shown.view(), direct.view()));

  const auto step = [&](const char* what, auto send, auto call) {
    const PictureView before = shown.view();
    send();
    Pump(window, 30);
    call();
    const bool moved = !SameView(shown.view(), before);
    const bool same = SameView(shown.view(), direct.view());
    if (!moved || !same) std::printf("viewer: %s moved %d, as the call %d\n", what, moved, same);
    CHECK(moved && same);
  };
  const auto post = [&](UINT message, WPARAM wparam, int x) {
    PostMessageW(hwnd, message, wparam, MAKELPARAM(x, 200));
  };
  const auto key = [&](WPARAM code) { PostMessageW(hwnd, WM_KEYDOWN, code, 1); };
  POINT wheel_at{600, 200};
  ClientToScreen(hwnd, &wheel_at);
  step(
      "wheel",
      [&] {
        PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA),
                     MAKELPARAM(wheel_at.x, wheel_at.y));
      },
      [&] { direct.Wheel(600, 2); });
  step(
      "drag",
      [&] {
        post(WM_LBUTTONDOWN, MK_LBUTTON, 700);
        post(WM_MOUSEMOVE, MK_LBUTTON, 600);
        post(WM_MOUSEMOVE, MK_LBUTTON, 500);
        post(WM_LBUTTONUP, 0, 500);
      },
      [&] {
        direct.Press(700, 200, PointerButton::kLeft, false);
        direct.DragTo(600);
        direct.DragTo(500);
        direct.Release(500);
      });
  step(
      "click",
      [&] {
        post(WM_LBUTTONDOWN, MK_LBUTTON, 650);
        post(WM_LBUTTONUP, 0, 650);
      },
      [&] {
        direct.Press(650, 200, PointerButton::kLeft, false);
        direct.Release(650);
      });
  step(
      "Shift+Right",
      [&] {
        SetShift(true);
        key(VK_RIGHT);
        Pump(window, 30);
        SetShift(false);
      },
      [&] { direct.Key(ViewerKey::kRight, true); });
  step(
      "Left", [&] { key(VK_LEFT); }, [&] { direct.Key(ViewerKey::kLeft, false); });
  step(
      "Shift+Left",
      [&] {
        SetShift(true);
        key(VK_LEFT);
        Pump(window, 30);
        SetShift(false);
      },
      [&] { direct.Key(ViewerKey::kLeft, true); });
  step(
      "Home", [&] { key(VK_HOME); }, [&] { direct.Key(ViewerKey::kHome, false); });
  step(
      "primary values", [&] { PostMessageW(hwnd, WM_COMMAND, kPrimaryCommand, 0); },
      [&] { direct.SetPrimary(true); });
  CHECK((GetMenuState(GetMenu(hwnd), kPrimaryCommand, MF_BYCOMMAND) & MF_CHECKED) != 0);

  key(VK_ESCAPE);
  CHECK(PumpUntil(window, [&] { return !IsWindow(hwnd); }));
}

// The viewer windows that appeared since before.
std::vector<HWND> NewViewers(const std::vector<HWND>& before) {
  std::vector<HWND> found;
  for (HWND hwnd : ViewerWindows())
    if (std::find(before.begin(), before.end(), hwnd) == before.end()) found.push_back(hwnd);
  return found;
}

void DoubleClickRow(HWND list, int row) {
  RECT at{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&at));
  const LPARAM point = MAKELPARAM(at.left + 4, at.top + 4);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  SendMessageW(list, WM_LBUTTONUP, 0, point);
  SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  SendMessageW(list, WM_LBUTTONUP, 0, point);
}

}  // namespace

void SetKey(int key, bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[key] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// The sample records of one moment: F3 in the analog list opens a viewer of
// the analog record; a double click on the discrete record, both selected,
// opens one of both, as «Совместить» would combine them; «Вид» opens another.
// A record damaged since opens none and its label says so. «О программе»
// shows the program's text, «Выход» closes the window and its viewers.
void CheckViewer(const std::string& folder) {
  DropWaitingMessages();
  ShownWindow shown(folder);
  TFComtrade& form = shown.form;
  MainWindow& window = shown.window;
  const HWND hwnd = window.hwnd();
  CheckMenuBar(window);
  CheckOutputDialog(window);

  HWND analog = window.Control(kFileListBox1);
  HWND discrete = window.Control(kFileListBox2);
  SendMessageW(analog, LB_SETCURSEL, 0, 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kFileListBox1, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(analog));
  CHECK(form.controls.FileListBox1.selected_name == "feeder_type60.flh");
  SetForegroundWindow(hwnd);
  SetFocus(analog);
  PostMessageW(analog, WM_KEYDOWN, VK_F3, 0);
  CHECK(PumpUntil(window, [] { return ViewerWindows().size() == 1; }));
  std::vector<HWND> open = ViewerWindows();
  if (open.size() != 1) return;
  const RecordViewer& first = *ViewerOf(open[0]);
  CHECK(first.picture().records().analog == form.controls.FileListBox1.SelectedFile());
  CHECK(first.picture().records().discrete.empty());
  CHECK(TextOf(open[0]) == WideFromUtf8(first.Title()));
  CheckViewerFileMenu(window, open[0]);
  CheckViewerEvents(window, open[0]);

  DoubleClickRow(discrete, 0);
  Pump(window, 50);
  CHECK(IsWindowEnabled(window.Control(kSovmestButton)));
  open = ViewerWindows();
  CHECK(open.size() == 1);
  if (open.size() == 1) {
    const PictureRecords& both = ViewerOf(open[0])->picture().records();
    CHECK(both.analog == form.controls.FileListBox1.SelectedFile());
    CHECK(both.discrete == form.controls.FileListBox2.SelectedFile());
    CheckFaultReading(window, open[0], folder);
  }
  CheckComtradeDrop(window, folder);
  CheckManyBands(window, folder);
  SendMessageW(hwnd, WM_COMMAND, kViewerCommand, 0);
  CHECK(NewViewers(open).size() == 1);

  // Damaged while the window is in front, the record is found so by F3's own check.
  open = ViewerWindows();
  SetForegroundWindow(hwnd);
  SetFocus(analog);
  Pump(window, 50);
  CHECK(TextOf(window.Control(kDateLabel)) == L"12.03.2024 14:27:05");
  std::ofstream(FsPath(form.controls.FileListBox1.SelectedFile()), std::ios::binary) << "damaged";
  PostMessageW(analog, WM_KEYDOWN, VK_F3, 0);
  Pump(window, 100);
  CHECK(NewViewers(open).empty());
  CHECK(TextOf(window.Control(kDateLabel)) == L"Поврежден");

  Expect(IDOK);
  SendMessageW(hwnd, WM_COMMAND, kAboutCommand, 0);
  CHECK(seen.title == L"О программе");
  CHECK(seen.text == WideFromUtf8(form.AboutText()));

  SendMessageW(hwnd, WM_COMMAND, kExitCommand, 0);
  CHECK(PumpUntil(window, [&] { return window.hwnd() == nullptr; }));
  CHECK(ViewerWindows().empty());
  DropWaitingMessages();
}

}  // namespace velk::win32
