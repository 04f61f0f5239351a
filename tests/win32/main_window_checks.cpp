// The window as a user meets it: the message boxes' words, the window's
// caption, size, style, colour and cursor, every control's place and font at
// the window's pixels per inch, the tab order, the file dialogs' filters, a
// click in a list, Enter in a list, a file appearing in a shown folder, a
// record copied over the highlighted one, the request of a second start,
// Enter on a button, and an error that escapes a handler.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/texts.h"
#include "app/win32/program.h"
#include "app/win32/win32_text.h"
#include "comtrade/file_io.h"
#include "tests/win32/checks.h"
#include "tools/records/record_builder.h"

namespace velk::win32 {
namespace {

RECT ClientRectOf(HWND parent, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
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

}  // namespace

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

  // A record copied over the highlighted one in place, with no click: the
  // labels follow within a second of the copy's end.
  testing::FlhRecord copied;
  copied.moment_bcd = {0x24, 0x03, 0x12, 0x14, 0x27, 0x05};
  Pump(window, 500);  // the dialog's end and the window's activation are over
  const DWORD copied_at = GetTickCount();
  std::ofstream(FsPath(other_path), std::ios::binary) << copied.Ramp(5).Bytes();
  CHECK(PumpUntil(window,
                  [&] { return TextOf(window.Control(kDateLabel)) == L"12.03.2024 14:27:05"; }));
  CHECK(GetTickCount() - copied_at < 1500);
  CHECK(form.controls.FileListBox1.selected_name == "другая.flh");

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

namespace {

// A machine whose paths cannot be expanded: the error escapes the handler.
class FailingSystem : public LocalSystem {
 public:
  using LocalSystem::LocalSystem;
  std::string ExpandFileName(const std::string&) const override {
    throw std::runtime_error("no such path");
  }
};

}  // namespace

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

}  // namespace velk::win32
