// velk-win32-checks.exe: drives the real Windows window and message boxes
// (under Wine on the build machine) and checks what a user meets: the
// question's buttons «Да» and «Нет», the error box, the window's caption,
// size, style, colour and cursor, every control's place and font at the
// window's pixels per inch, the tab order, the file dialogs' filters, a click
// in a list, Enter in a list, a file appearing in a shown folder, the request
// of a second start, Enter on a button, and an error that escapes a handler;
// the menu bar with its shortcuts, and record viewers opened by F3, a double
// click and the menu, whose wheel, drag, click and keys move the shown part
// as the viewer's own calls do; «Преобразовать папку…» opened by the menu and
// by Ctrl+Shift+O, runs started with Enter that finish with their summary and
// pairs or are cancelled, and files and folders dropped from Explorer.
// The records lie in a folder whose name, like theirs, has Russian letters
// and blanks.
// Prints each failed check and exits with 1 when any failed.
//
// With an argument it acts on a running velk-comtrade.exe instead, for the
// test of two starts: "state" prints how many converter windows there are,
// whether the first is minimized and whether it is in front; "client" prints
// where its client area is on the screen and its size; "minimize" and "close"
// do that to it. "records FOLDER N" writes N pairs of records of one moment
// into FOLDER, for a folder conversion that lasts a while.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/comtrade_form.h"
#include "app/system_services.h"
#include "app/win32/drop_target.h"
#include "app/win32/folder_windows.h"
#include "app/win32/main_window.h"
#include "app/win32/program.h"
#include "app/win32/viewer_window.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_ui.h"
#include "comtrade/file_io.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::win32 {
namespace {

int failures = 0;
int checks = 0;

void Check(bool ok, const char* what, int line) {
  ++checks;
  if (ok) return;
  ++failures;
  std::printf("window_checks.cpp:%d: failed: %s\n", line, what);
  std::fflush(stdout);
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

// ---- message boxes: what the box showed, then a press on one button ----

struct BoxSeen {
  int press = IDNO;  // the button to press
  bool found = false;
  HWND box = nullptr;
  std::wstring title, text, yes, no;
  bool has_ok = false;
  std::wstring file_type, file_name;  // of a file dialog
  std::wstring type;                  // a name to type into a file dialog before the press
};
BoxSeen seen;   // the first box or dialog
BoxSeen after;  // the one after it, when a second press is expected
UINT_PTR answer_timer = 0;

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

void StopAnswering() {
  if (answer_timer != 0) KillTimer(nullptr, answer_timer);
  answer_timer = 0;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
  if (seen.found && (after.press == 0 || after.found)) StopAnswering();
}

// The next box or dialog of this thread is answered with the button press,
// and the one after it with then, unless then is 0.
void Expect(int press, int then = 0) {
  StopAnswering();
  seen = BoxSeen{};
  seen.press = press;
  after = BoxSeen{};
  after.press = then;
  answer_timer = SetTimer(nullptr, 0, 50, AnswerBox);
}

void CheckBoxes() {
  Win32Ui ui;  // no window: the boxes have no owner
  Expect(IDNO);
  CHECK(ui.QuestionBox(text::kOverwriteQuestion) == Answer::kNo);
  CHECK(seen.found);
  CHECK(seen.yes == L"Да");
  CHECK(seen.no == L"Нет");
  CHECK(seen.title == L"Информация");

  Expect(IDYES);
  CHECK(ui.QuestionBox(text::kOverwriteQuestion) == Answer::kYes);
  CHECK(seen.yes == L"Да");

  Expect(IDOK);
  static constexpr auto kOpenError = Cp1251("Ошибка открытия файла");
  ui.ErrorBox(kOpenError);
  CHECK(seen.found);
  CHECK(seen.title == L"Ошибка");
  CHECK(seen.text == L"Ошибка открытия файла");
  CHECK(seen.has_ok);
  CHECK(seen.yes.empty() && seen.no.empty());

  // Only the box asked for is renamed: a later plain box keeps the system's words.
  Expect(IDNO);
  MessageBoxW(nullptr, L"?", L"", MB_YESNO);
  CHECK(seen.found);
  CHECK(seen.yes != L"Да");
}

// ---- the window ----

RECT ClientRectOf(HWND parent, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void Pump(MainWindow& window, int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  do {
    window.PumpPending();
    Sleep(10);
  } while (GetTickCount() < end);
}

template <typename Condition>
bool PumpUntil(MainWindow& window, Condition condition) {
  for (int i = 0; i < 300 && !condition(); ++i) Pump(window, 10);
  return condition();
}

std::vector<int> TabOrder(HWND window, HWND first) {
  std::vector<int> order;
  HWND at = first;
  do {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(window, at, FALSE);
  } while (at != nullptr && at != first && order.size() < 20);
  return order;
}

void CheckGeometry(HWND hwnd, int dpi) {
  RECT client{};
  GetClientRect(hwnd, &client);
  CHECK(client.right == Scale(kClientWidth, dpi));
  CHECK(client.bottom == Scale(kClientHeight, dpi));
  for (const ControlSpec& entry : kControls) {
    HWND control = GetDlgItem(hwnd, entry.id);
    CHECK(control != nullptr);
    if (control == nullptr) continue;
    const Box want = Scale(OnClient(entry), dpi);
    const RECT at = ClientRectOf(hwnd, control);
    const bool placed = at.left == want.left && at.top == want.top &&
                        at.bottom - at.top == want.height &&
                        (entry.kind == Kind::kLabel ? at.right - at.left >= want.width
                                                    : at.right - at.left == want.width);
    if (!placed)
      std::printf("control %d at %ld,%ld,%ld,%ld\n", entry.id, at.left, at.top, at.right,
                  at.bottom);
    CHECK(placed);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    CHECK(font.lfHeight == -FontPixels(entry.face, dpi));
    CHECK((font.lfWeight == FW_BOLD) == (entry.face == Face::kBold));
    CHECK(!font.lfItalic);
    CHECK(std::wstring(font.lfFaceName) == L"MS Sans Serif");
  }
}

// The program's window over folder as the program opens it: its last
// folders restored, created, its state drawn and shown.
struct ShownWindow {
  explicit ShownWindow(const std::string& folder) : system(folder), form(ui, system), window(form) {
    ui.Attach(&window);
    form.RestoreLastFolders();
    CHECK(window.Create(GetModuleHandleW(nullptr)));
    form.FormCreate();
    window.ShowState();
    ShowWindow(window.hwnd(), SW_SHOW);
  }
  LocalSystem system;
  Win32Ui ui;
  TFComtrade form;
  MainWindow window;
};

// Drops what a window before left waiting, such as its quit, which would end
// the next message box at once.
void DropWaitingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

void CheckWindow(const std::string& folder) {
  ShownWindow shown(folder);
  TFComtrade& form = shown.form;
  MainWindow& window = shown.window;
  SetFocus(window.Control(kCloseButton));
  Pump(window, 100);
  const HWND hwnd = window.hwnd();

  CHECK(TextOf(hwnd) == L"COMTRADE конвертер для ВЕЛК");
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  CHECK((style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION)) ==
        (WS_SYSMENU | WS_MINIMIZEBOX | WS_CAPTION));
  CHECK((style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);
  LOGBRUSH brush{};
  GetObjectW(reinterpret_cast<HBRUSH>(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND)), sizeof brush,
             &brush);
  CHECK(brush.lbColor == RGB(0, 255, 255));
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(window.Control(kFLHButton)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  CHECK(GetCursor() == LoadCursorW(nullptr, IDC_HAND));
  CheckGeometry(hwnd, window.Dpi());

  // Moved to a monitor of 144 pixels per inch, the window lays itself out
  // again for it, in the place Windows suggests.
  {
    RECT outer{0, 0, Scale(kClientWidth, 144), Scale(kClientHeight, 144)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    OffsetRect(&outer, 100 - outer.left, 50 - outer.top);
    SendMessageW(hwnd, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144),
                 reinterpret_cast<LPARAM>(&outer));
    CHECK(window.Dpi() == 144);
    CheckGeometry(hwnd, 144);
    RECT at{};
    GetWindowRect(hwnd, &at);
    CHECK(at.left == 100 && at.top == 50);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT back{0, 0, Scale(kClientWidth, dpi), Scale(kClientHeight, dpi)};
    AdjustWindowRectEx(&back, style, FALSE, 0);
    SendMessageW(hwnd, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&back));
    CheckGeometry(hwnd, dpi);
  }

  // Disabled buttons take no focus; enabled, Tab walks every focusable control.
  CHECK(TabOrder(hwnd, window.Control(kCloseButton)) ==
        (std::vector<int>{kCloseButton, kDISButton, kFileListBox2, kFLHButton, kFileListBox1}));
  form.controls.ConvertANLButton = form.controls.ConvertDISButton = true;
  form.controls.SovmestButton = true;
  window.ShowState();
  CHECK(TabOrder(hwnd, window.Control(kCloseButton)) ==
        (std::vector<int>{kCloseButton, kDISButton, kConvertDISButton, kFileListBox2, kFLHButton,
                          kConvertANLButton, kFileListBox1, kSovmestButton}));
  form.controls.ConvertANLButton = form.controls.ConvertDISButton = false;
  form.controls.SovmestButton = false;
  window.ShowState();

  // The list shows the working folder's analog records; a click checks one.
  HWND list = window.Control(kFileListBox1);
  CHECK(SendMessageW(list, LB_GETCOUNT, 0, 0) == 1);
  SendMessageW(list, LB_SETCURSEL, 0, 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kFileListBox1, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  CHECK(IsWindowEnabled(window.Control(kConvertANLButton)));
  CHECK(TextOf(window.Control(kDateLabel)) == L"15.07.2024 09:05:30");
  CHECK(form.controls.FileListBox1.selected_name == "запись 1.flh");
  wchar_t row[64] = {};
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
  CHECK(std::wstring(row) == L"запись 1.flh");

  // A record that appears in the shown folder appears in the list, and the
  // selection stays.
  { std::ofstream(FsPath(folder + "0.flh"), std::ios::binary) << "x"; }
  CHECK(PumpUntil(window, [&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; }));
  CHECK(SendMessageW(list, LB_GETCURSEL, 0, 0) == 1);

  // FLHButton opens the dialog for analog records; cancelled, it changes nothing.
  Expect(IDCANCEL);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kFLHButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(kFLHButton)));
  CHECK(seen.found);
  CHECK(seen.file_type == L"Аналог файлы (*.flh)");
  CHECK(form.controls.FileListBox1.selected_name == "запись 1.flh");

  // Enter in a list whose convert button is enabled asks where to write the
  // pair; with the button disabled it does nothing.
  SetForegroundWindow(hwnd);
  const std::string out_path = form.paths.OutPathANL;
  Expect(IDCANCEL);
  SetFocus(list);
  PostMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
  CHECK(PumpUntil(window, [&] { return seen.found; }));
  CHECK(seen.file_type == L"COMTRADE файлы (*.cfg)");
  CHECK(seen.file_name == L"sample_anl.cfg");
  CHECK(form.paths.OutPathANL == out_path);
  CHECK(!IsWindowEnabled(window.Control(kConvertDISButton)));
  Expect(IDCANCEL);
  SetFocus(window.Control(kFileListBox2));
  PostMessageW(window.Control(kFileListBox2), WM_KEYDOWN, VK_RETURN, 0);
  Pump(window, 300);
  CHECK(!seen.found);
  StopAnswering();

  // A record of another moment chosen through «FLH файл» disables
  // «Совместить», as a click in the list would.
  HWND list2 = window.Control(kFileListBox2);
  SendMessageW(list2, LB_SETCURSEL, 0, 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kFileListBox2, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list2));
  CHECK(IsWindowEnabled(window.Control(kSovmestButton)));
  testing::FlhRecord other;
  other.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  const std::string other_path = folder + "другая.flh";
  std::ofstream(FsPath(other_path), std::ios::binary) << other.Ramp(3).Bytes();
  Expect(IDOK);
  seen.type = WideFromUtf8(other_path);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kFLHButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(kFLHButton)));
  CHECK(TextOf(window.Control(kDateLabel)) == L"13.02.2019 16:33:45");
  CHECK(!IsWindowEnabled(window.Control(kSovmestButton)));

  // Rewritten in place, a click on its highlighted row checks it again.
  std::ofstream(FsPath(other_path), std::ios::binary) << "damaged";
  RECT row_at{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(SendMessageW(list, LB_GETCURSEL, 0, 0)),
               reinterpret_cast<LPARAM>(&row_at));
  const LPARAM on_row = MAKELPARAM(row_at.left + 4, row_at.top + 4);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, on_row);
  SendMessageW(list, WM_LBUTTONUP, 0, on_row);
  CHECK(PumpUntil(window, [&] { return TextOf(window.Control(kDateLabel)) == L"Поврежден"; }));

  // Deleted, its labels say so in the same moment the list drops it.
  std::filesystem::remove(FsPath(other_path));
  // One pass of the loop at a time: what the window drew when it took the
  // notice, not what a later notice mended.
  for (int i = 0; i < 300 && SendMessageW(list, LB_GETCOUNT, 0, 0) != 2; ++i) {
    window.PumpPending();
    Sleep(10);
  }
  CHECK(SendMessageW(list, LB_GETCOUNT, 0, 0) == 2);
  CHECK(TextOf(window.Control(kDateLabel)) == L"Не найден");
  CHECK(!IsWindowEnabled(window.Control(kConvertANLButton)));

  // Tab moves the focus on in the tab order.
  SetFocus(window.Control(kFileListBox1));
  PostMessageW(window.Control(kFileListBox1), WM_KEYDOWN, VK_TAB, 0);
  Pump(window, 50);
  CHECK(GetFocus() == window.Control(kCloseButton));
  PostMessageW(window.Control(kCloseButton), WM_KEYDOWN, VK_TAB, 0);
  SetFocus(window.Control(kCloseButton));
  Pump(window, 50);
  CHECK(GetFocus() == window.Control(kDISButton));

  // The request of a second start restores the minimized window.
  ShowWindow(hwnd, SW_MINIMIZE);
  Pump(window, 50);
  CHECK(IsIconic(hwnd));
  PostMessageW(hwnd, RegisterWindowMessageW(kRestoreMessage), 0, 0);
  CHECK(PumpUntil(window, [&] { return !IsIconic(hwnd); }));

  // Enter on the focused CloseButton presses it: the window closes.
  SetForegroundWindow(hwnd);
  SetFocus(window.Control(kCloseButton));
  PostMessageW(window.Control(kCloseButton), WM_KEYDOWN, VK_RETURN, 0);
  CHECK(PumpUntil(window, [&] { return window.hwnd() == nullptr; }));
  DropWaitingMessages();
}

// ---- the menu bar and the record viewer ----

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
  CHECK(MenuText(file, 0) == L"Преобразовать &папку…\tCtrl+Shift+O");
  CHECK(MenuText(file, 2) == L"В&ыход");
  CHECK(MenuText(GetSubMenu(bar, 1), 0) == L"&Просмотр записи\tF3");
  CHECK(MenuText(GetSubMenu(bar, 2), 0) == L"&О программе");
  // The folder conversion's shortcut is there.
  std::vector<ACCEL> keys(
      static_cast<std::size_t>(CopyAcceleratorTableW(window.accelerators(), nullptr, 0)));
  CopyAcceleratorTableW(window.accelerators(), keys.data(), static_cast<int>(keys.size()));
  CHECK(std::any_of(keys.begin(), keys.end(), [](const ACCEL& key) {
    return key.fVirt == (FVIRTKEY | FCONTROL | FSHIFT) && key.key == 'O' &&
           key.cmd == kConvertFolderCommand;
  }));
}

bool SameView(const PictureView& a, const PictureView& b) {
  return a.from_ms == b.from_ms && a.to_ms == b.to_ms && a.cursor_ms == b.cursor_ms &&
         a.width == b.width && a.height == b.height && a.primary == b.primary;
}

void SetShift(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// The wheel, a drag, a click, the arrow keys, Home and the viewer's menu sent
// to a viewer window, each checked against the same call on a viewer of the
// same records that no window drives; Esc closes the window.
void CheckViewerEvents(MainWindow& window, HWND hwnd) {
  RecordViewer& shown = *ViewerOf(hwnd);
  RecordViewer direct(std::move(RecordPicture::Open(shown.picture().records()).picture));
  RECT client{};
  GetClientRect(hwnd, &client);
  direct.Resize(client.right, client.bottom);
  direct.SetScale(static_cast<float>(window.Dpi()) / 96.0f);
  CHECK(shown.view().width == client.right && shown.view().height == client.bottom);
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
        direct.Press(700);
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
        direct.Press(650);
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
  CHECK(TextOf(open[0]) == WideFromCp1251(first.Title()));
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
  }
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
  CHECK(seen.text == WideFromCp1251(form.AboutText()));

  SendMessageW(hwnd, WM_COMMAND, kExitCommand, 0);
  CHECK(PumpUntil(window, [&] { return window.hwnd() == nullptr; }));
  CHECK(ViewerWindows().empty());
  DropWaitingMessages();
}

// A machine whose paths cannot be expanded: the error escapes the handler.
class FailingSystem : public LocalSystem {
 public:
  using LocalSystem::LocalSystem;
  std::string ExpandFileName(const std::string&) const override {
    throw std::runtime_error("no such path");
  }
};

void CheckEscapedError(const std::string& folder) {
  FailingSystem system(folder);
  Win32Ui ui;
  TFComtrade form(ui, system);
  MainWindow window(form);
  ui.Attach(&window);
  CHECK(window.Create(GetModuleHandleW(nullptr)));
  form.controls.ConvertANLButton = true;
  window.ShowState();
  ShowWindow(window.hwnd(), SW_SHOW);
  // The save dialog is confirmed with the name it offers; the error that
  // follows is shown in a box, and the window stays.
  Expect(IDOK, IDOK);
  SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kConvertANLButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(window.Control(kConvertANLButton)));
  CHECK(seen.found);
  CHECK(after.found);
  CHECK(after.text == L"no such path");
  CHECK(IsWindow(window.hwnd()));
  StopAnswering();
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

// The sample records in a folder of their own, made the working directory.
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

// ---- «Преобразовать папку…» and drops ----

// What the dialog «Преобразовать папку» showed, and what a check does in it:
// the folders it types, then Enter in the records field or «Отмена».
struct FolderDialogSeen {
  bool found = false;
  std::wstring records, output;
  bool boxes_checked = true;
  bool starts_without_records = true;
  bool starts = false;
  std::wstring type_records, type_output;
  bool enter = false;
};
FolderDialogSeen folder_dialog;
UINT_PTR folder_dialog_timer = 0;

BOOL CALLBACK AnswerFolderDialog(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd) || TextOf(hwnd) != L"Преобразовать папку") return TRUE;
  FolderDialogSeen& dialog = folder_dialog;
  dialog.found = true;
  dialog.records = TextOf(GetDlgItem(hwnd, kRecordsFolderField));
  dialog.output = TextOf(GetDlgItem(hwnd, kOutputFolderField));
  dialog.boxes_checked =
      IsDlgButtonChecked(hwnd, kRecursiveBox) || IsDlgButtonChecked(hwnd, kForceBox);
  SetDlgItemTextW(hwnd, kRecordsFolderField, L"");
  dialog.starts_without_records = IsWindowEnabled(GetDlgItem(hwnd, IDOK));
  SetDlgItemTextW(hwnd, kRecordsFolderField,
                  (dialog.type_records.empty() ? dialog.records : dialog.type_records).c_str());
  if (!dialog.type_output.empty())
    SetDlgItemTextW(hwnd, kOutputFolderField, dialog.type_output.c_str());
  dialog.starts = IsWindowEnabled(GetDlgItem(hwnd, IDOK));
  if (dialog.enter)
    PostMessageW(GetDlgItem(hwnd, kRecordsFolderField), WM_KEYDOWN, VK_RETURN, 0);
  else
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
  KillTimer(nullptr, folder_dialog_timer);
  folder_dialog_timer = 0;
  return FALSE;
}

void CALLBACK LookForFolderDialog(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), AnswerFolderDialog, 0);
}

// The next dialog «Преобразовать папку» is cancelled, or, given the folders,
// started with Enter.
void ExpectFolderDialog(const std::string& records = "", const std::string& output = "") {
  if (folder_dialog_timer != 0) KillTimer(nullptr, folder_dialog_timer);
  folder_dialog = FolderDialogSeen{};
  folder_dialog.type_records = WideFromUtf8(records);
  folder_dialog.type_output = WideFromUtf8(output);
  folder_dialog.enter = !records.empty();
  folder_dialog_timer = SetTimer(nullptr, 0, 50, LookForFolderDialog);
}

template <typename Condition>
bool PumpSeconds(MainWindow& window, int seconds, Condition condition) {
  for (int i = 0; i < seconds * 50 && !condition(); ++i) Pump(window, 20);
  return condition();
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

// Pairs of an analog and a discrete record of one moment, a second apart:
// "пара 0001.flh" and "пара 0001.txt" on.
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

// The whole text of the summary, however long.
std::wstring SummaryShown() {
  HWND field = GetDlgItem(SummaryWindow(), kSummaryField);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return text;
}

void PressButton(HWND window, int id) {
  SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

// NAME.cfg, NAME.dat and their ASCII copies NAMEASCII.cfg and NAMEASCII.dat.
bool HasPair(const std::string& output, const char* kind, const std::string& name) {
  const std::string base = output + kind + "\\" + name;
  for (const char* file : {".cfg", ".dat", "ASCII.cfg", "ASCII.dat"})
    if (!std::filesystem::is_regular_file(FsPath(base + file))) return false;
  return true;
}

// The pairs of the output folder, each counted once by its NAMEASCII.cfg.
std::size_t PairsIn(const std::string& output) {
  std::size_t pairs = 0;
  for (const char* kind : {"comtrade_anl", "comtrade_dis", "comtrade_uni"}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(FsPath(output + kind), error))
      if (PathText(entry.path()).ends_with("ASCII.cfg")) ++pairs;
  }
  return pairs;
}

// The menu and Ctrl+Shift+O open the dialog over the analog list's folder
// and the folder of the window's own output folders, check boxes off; with
// no records folder «Начать» is disabled.
void CheckFolderDialog(MainWindow& window, const std::string& records, const std::string& program) {
  HMENU file = GetSubMenu(GetMenu(window.hwnd()), 0);
  CHECK((GetMenuState(file, kConvertFolderCommand, MF_BYCOMMAND) & MF_GRAYED) == 0);
  const auto opened_right = [&] {
    return folder_dialog.found && folder_dialog.records == WideFromUtf8(records) &&
           folder_dialog.output == WideFromUtf8(program) && !folder_dialog.boxes_checked &&
           !folder_dialog.starts_without_records && folder_dialog.starts;
  };
  ExpectFolderDialog();
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  CHECK(opened_right());

  ExpectFolderDialog();
  SetForegroundWindow(window.hwnd());
  SetFocus(window.Control(kFileListBox1));
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(window.Control(kFileListBox1), WM_KEYDOWN, 'O', 0);
  PumpUntil(window, [] { return folder_dialog.found; });
  keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  CHECK(opened_right());
}

// A run over a small folder, started with Enter (the output folder typed
// without its last backslash, as Explorer names it): the convert buttons wait
// while it runs; at its end the summary shows the logic's summary, which
// «Копировать» copies, and the output folder holds the pairs of the sound
// records; Esc closes the summary.
void CheckFolderRun(MainWindow& window, TFComtrade& form, const std::string& records) {
  const std::string output = FolderAt("вывод");
  ExpectFolderDialog(records, output.substr(0, output.size() - 1));
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  CHECK(folder_dialog.found);
  CHECK(form.folder_conversion().choices().output_folder == output);
  CHECK(ProgressWindow() != nullptr);
  CHECK(TextOf(ProgressWindow()) == L"Преобразование папки");
  for (const int id : {kConvertANLButton, kConvertDISButton, kSovmestButton})
    CHECK(!IsWindowEnabled(window.Control(id)));
  CHECK(PumpSeconds(window, 30, [] { return SummaryWindow() != nullptr; }));
  CHECK(ProgressWindow() == nullptr);
  CHECK(IsWindowEnabled(window.Control(kSovmestButton)));
  CHECK(TextOf(SummaryWindow()) == L"Итог преобразования папки");
  const std::wstring summary = SummaryShown();
  CHECK(summary == WindowsText(form.folder_conversion().SummaryText()));
  CHECK(summary.find(L"повреждена.flh") != std::wstring::npos);
  CHECK(HasPair(output, "comtrade_anl", "запись 1") && HasPair(output, "comtrade_anl", "другая"));
  CHECK(HasPair(output, "comtrade_dis", "запись 1") && HasPair(output, "comtrade_uni", "запись 1"));
  CHECK(PairsIn(output) == 4);
  PressButton(SummaryWindow(), kCopyButton);
  CHECK(ClipboardText() == summary);
  PostMessageW(GetDlgItem(SummaryWindow(), IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  CHECK(PumpUntil(window, [] { return SummaryWindow() == nullptr; }));
  CHECK(form.folder_conversion().Poll().state == FolderConversion::State::kIdle);
}

// «Отмена» stops a run of a few hundred records: the summary says so and not
// every pair is made; a second run makes the rest.
void CheckFolderCancel(MainWindow& window, TFComtrade& form) {
  const std::string records = FolderAt("много записей");
  constexpr std::size_t kPairs = 150;  // 450 pairs: analog, discrete and combined
  WriteRecordPairs(records, static_cast<int>(kPairs));
  const std::string output = FolderAt("вывод отмены");
  ExpectFolderDialog(records, output);
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  const auto bar_moved = [] {
    return ProgressWindow() != nullptr &&
           SendDlgItemMessageW(ProgressWindow(), kProgressBar, PBM_GETPOS, 0, 0) > 0;
  };
  CHECK(PumpSeconds(window, 30, bar_moved));
  if (ProgressWindow() != nullptr) PressButton(ProgressWindow(), IDCANCEL);
  CHECK(PumpSeconds(window, 30, [] { return SummaryWindow() != nullptr; }));
  CHECK(SummaryShown().find(L"Отменено") != std::wstring::npos);
  CHECK(PairsIn(output) < 3 * kPairs);
  PressButton(SummaryWindow(), IDOK);
  CHECK(SummaryWindow() == nullptr);

  ExpectFolderDialog(records, output);
  SendMessageW(window.hwnd(), WM_COMMAND, kConvertFolderCommand, 0);
  CHECK(PumpSeconds(window, 60, [] { return SummaryWindow() != nullptr; }));
  CHECK(SummaryShown().find(L"Отменено") == std::wstring::npos);
  CHECK(PairsIn(output) == 3 * kPairs);
  CHECK(!form.folder_conversion().result().cancelled);
  PressButton(SummaryWindow(), IDOK);
}

// A drop as Explorer hands it over: a DROPFILES block of wide paths.
HGLOBAL DropOf(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  list += L'\0';
  const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(memory);
  return memory;
}

// Explorer's paths reach the window whole; a dropped record is chosen, a
// dropped folder opens the dialog over it, any other file is refused, and so
// is any drop while a box of the window is open.
void CheckDrops(MainWindow& window, TFComtrade& form, const std::string& records) {
  HGLOBAL drop = DropOf({WideFromUtf8(records + "другая.flh"), L"C:\\записи\\a b.txt"});
  CHECK(PathsOfDrop(static_cast<HDROP>(drop)) ==
        (DroppedPaths{records + "другая.flh", "C:\\записи\\a b.txt"}));
  GlobalFree(drop);

  CHECK(window.AcceptsDrop({records + "другая.flh"}));
  EnableWindow(window.hwnd(), FALSE);  // as under a message box
  CHECK(!window.AcceptsDrop({records + "другая.flh"}));
  EnableWindow(window.hwnd(), TRUE);
  window.TakeDrop({records + "другая.flh"});
  CHECK(form.controls.FileListBox1.selected_name == "другая.flh");
  CHECK(TextOf(window.Control(kDateLabel)) == L"13.02.2019 16:33:46");

  Write(records + "заметки.doc", "x");
  CHECK(!window.AcceptsDrop({records + "заметки.doc"}));
  CHECK(!window.AcceptsDrop({records + "другая.flh", records + "заметки.doc"}));

  const std::string dropped = records.substr(0, records.size() - 1);  // as Explorer names it
  CHECK(window.AcceptsDrop({dropped}));
  ExpectFolderDialog();
  window.TakeDrop({dropped});
  CHECK(PumpUntil(window, [] { return folder_dialog.found; }));
  CHECK(folder_dialog.records == WideFromUtf8(records));
}

// A window over a folder of records: the analog and discrete record of one
// moment chosen, so that every convert button is enabled; a record of
// another moment and a damaged one beside them.
void CheckFolderConversion() {
  DropWaitingMessages();
  const std::string records = FolderAt("папка записей");
  const std::string program = FolderAt("программа");
  testing::FlhRecord one, other;
  one.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  other.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x46};
  Write(records + "запись 1.flh", one.Ramp(3).Bytes());
  Write(records + "запись 1.txt", testing::DiscreteRecord().Start().Bytes());
  Write(records + "другая.flh", other.Ramp(3).Bytes());
  Write(records + "повреждена.flh", "damaged");
  SetCurrentDirectoryW(WideFromUtf8(records).c_str());

  ShownWindow shown(program);
  TFComtrade& form = shown.form;
  MainWindow& window = shown.window;
  form.ListClick(ListBox::kFileListBox1, "запись 1.flh");
  form.ListClick(ListBox::kFileListBox2, "запись 1.txt");
  window.ShowState();
  CHECK(IsWindowEnabled(window.Control(kSovmestButton)));

  CheckFolderDialog(window, records, program);
  CheckFolderRun(window, form, records);
  CheckFolderCancel(window, form);
  CheckDrops(window, form, records);

  SendMessageW(window.hwnd(), WM_COMMAND, kExitCommand, 0);
  CHECK(PumpUntil(window, [&] { return window.hwnd() == nullptr; }));
  DropWaitingMessages();
  SetCurrentDirectoryW(L"C:\\");
  std::error_code ignored;
  for (const char* name : {"папка записей", "программа", "вывод", "много записей", "вывод отмены"})
    std::filesystem::remove_all(FsPath(FolderAt(name)), ignored);
}

// ---- a running program ----

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
