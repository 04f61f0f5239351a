// A viewer window read the way a fault is read: both cursors by the mouse,
// the jumps to the signals' changes with the events list following them, a
// band's context menu, the panes, the picture saved as PNG and SVG, and a
// COMTRADE record dropped on the main window opening a viewer beside it.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/win32/viewer_window.h"
#include "app/win32/win32_text.h"
#include "comtrade/file_io.h"
#include "tests/win32/checks.h"

namespace velk::win32 {
namespace {

// A digest of what a pane shows on the screen now.
std::uint64_t PixelsOf(HWND pane) {
  RECT room{};
  GetClientRect(pane, &room);
  HDC dc = GetDC(pane);
  HDC memory = CreateCompatibleDC(dc);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = room.right;
  info.bmiHeader.biHeight = -room.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, room.right, room.bottom, dc, 0, 0, SRCCOPY);
  GdiFlush();
  std::uint64_t digest = 1469598103934665603ull;
  const auto* pixel = static_cast<const std::uint32_t*>(bits);
  for (LONG i = 0; bits != nullptr && i < room.right * room.bottom; ++i)
    digest = (digest ^ pixel[i]) * 1099511628211ull;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(pane, dc);
  return digest;
}

std::string TextsOf(const Scene& scene) {
  std::string all;
  for (const SceneText& text : scene.texts) all += text.text + "\n";
  return all;
}

std::string Bytes(const std::string& path) {
  std::ifstream file(FsPath(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = at; i < at + 4 && i < bytes.size(); ++i)
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  return value;
}

// What the band's context menu showed: its items, read while it is open,
// then closed as Esc would close it.
std::vector<std::wstring> menu_seen;

void CALLBACK ReadMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup == nullptr || !IsWindowVisible(popup)) return;
  KillTimer(nullptr, timer);
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
  for (int i = 0; menu != nullptr && i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    menu_seen.push_back(text);
  }
  EndMenu();
}

// «Каналы» while it is open: the first row's check taken off, then «ОК».
bool channels_dialog_seen = false;

void CALLBACK AnswerChannels(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"Каналы");
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  HWND list = FindWindowExW(dialog, nullptr, L"SysListView32", nullptr);
  channels_dialog_seen = list != nullptr && ListView_GetItemCount(list) > 1 &&
                         ListView_GetCheckState(list, 0) && ListView_GetCheckState(list, 1);
  if (list != nullptr) ListView_SetCheckState(list, 0, FALSE);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// A short three-phase COMTRADE record of our own: 20 samples per cycle of
// 50 Hz, currents of 100, 80 and 60 A, 120° apart.
std::string WriteThreePhaseRecord(const std::string& folder) {
  const std::string cfg = folder + "\\трёхфазная.cfg";
  std::string text =
      "Station,Bay 1,1999\r\n3,3A,0D\r\n"
      "1,IA,A,Bay 1,A,0.01,0,0,-32767,32767,1000,1,S\r\n"
      "2,IB,B,Bay 1,A,0.01,0,0,-32767,32767,1000,1,S\r\n"
      "3,IC,C,Bay 1,A,0.01,0,0,-32767,32767,1000,1,S\r\n"
      "50\r\n1\r\n1000,80\r\n01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.020000\r\n"
      "ASCII\r\n1\r\n";
  Write(cfg, text);
  std::string dat;
  for (int n = 0; n < 80; ++n) {
    dat += std::to_string(n + 1) + "," + std::to_string(n * 1000);
    for (const auto& [amplitude, shift] : {std::pair{100.0, 0.0}, {80.0, -120.0}, {60.0, 120.0}}) {
      const double value = amplitude * std::sqrt(2.0) *
                           std::sin(2 * 3.14159265358979 * n / 20 + shift * 3.14159265358979 / 180);
      dat += "," + std::to_string(std::lround(value * 100));
    }
    dat += "\r\n";
  }
  Write(folder + "\\трёхфазная.dat", dat);
  return cfg;
}

}  // namespace

void CheckFaultReading(MainWindow& window, HWND hwnd, const std::string& folder) {
  RecordViewer& shown = *ViewerOf(hwnd);
  RecordViewer direct(std::move(RecordPicture::Open(shown.picture().records()).picture));
  direct.Resize(shown.view().width, shown.view().height);
  direct.SetScale(shown.view().scale);
  const HWND readout = GetDlgItem(hwnd, kReadoutPane);
  const HWND events = GetDlgItem(hwnd, kEventsList);
  const HWND phasors = GetDlgItem(hwnd, kPhasorPane);
  CHECK(IsWindowVisible(readout) && IsWindowVisible(events) && IsWindowVisible(phasors));
  const auto post = [&](UINT message, WPARAM wparam, int x, int y = 200) {
    PostMessageW(hwnd, message, wparam, MAKELPARAM(x, y));
  };
  const auto same_cursors = [&] {
    return shown.cursor_a() == direct.cursor_a() && shown.cursor_b() == direct.cursor_b();
  };

  // A click puts A, Shift+click B: the readout pane shows the change.
  post(WM_LBUTTONDOWN, MK_LBUTTON, 450);
  post(WM_LBUTTONUP, 0, 450);
  Pump(window, 50);
  direct.Press(450, 200, PointerButton::kLeft, false);
  direct.Release(450);
  const std::uint64_t with_a = PixelsOf(readout);
  const std::string readout_a = TextsOf(shown.DrawReadout(300));
  post(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 600);
  post(WM_LBUTTONUP, MK_SHIFT, 600);
  Pump(window, 50);
  direct.Press(600, 200, PointerButton::kLeft, true);
  direct.Release(600);
  CHECK(shown.cursor_b().has_value() && same_cursors());
  CHECK(TextsOf(shown.DrawReadout(300)) != readout_a);
  CHECK(PixelsOf(readout) != with_a);
  // The right button over the plot moves B.
  const std::uint64_t with_b = PixelsOf(readout);
  post(WM_RBUTTONDOWN, MK_RBUTTON, 520);
  post(WM_RBUTTONUP, 0, 520);
  Pump(window, 50);
  direct.Press(520, 200, PointerButton::kRight, false);
  direct.Release(520);
  CHECK(same_cursors() && shown.cursor_b() != std::nullopt);
  CHECK(PixelsOf(readout) != with_b);

  // Ctrl+Right jumps to the next change; the list selects its event.
  CHECK(!shown.events().empty());
  CHECK(SendMessageW(events, LB_GETCOUNT, 0, 0) == static_cast<LRESULT>(shown.events().size()));
  for (int jump = 0; jump < 2; ++jump) {
    SetKey(VK_CONTROL, true);
    PostMessageW(hwnd, WM_KEYDOWN, VK_RIGHT, 1);
    Pump(window, 50);
    SetKey(VK_CONTROL, false);
    direct.Key(ViewerKey::kNextChange, false);
    CHECK(same_cursors() && shown.current_event().has_value());
    CHECK(SendMessageW(events, LB_GETCURSEL, 0, 0) ==
          static_cast<LRESULT>(shown.current_event().value_or(999999)));
  }
  // A row picked in the list puts A on its event.
  const WPARAM last = static_cast<WPARAM>(shown.events().size() - 1);
  SendMessageW(events, LB_SETCURSEL, last, 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kEventsList, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(events));
  Pump(window, 30);
  direct.PickEvent(last);
  CHECK(same_cursors() && shown.current_event() == std::optional<std::size_t>(last));

  // The band's menu over the first channel's name hides it; «Показать все
  // каналы» brings it back.
  double band_y = -1;
  for (int y = 0; y < shown.view().height && band_y < 0; ++y)
    if (shown.BandAt(y).kind == BandUnder::Kind::kChannel && shown.BandAt(y).index == 0) band_y = y;
  CHECK(band_y >= 0);
  menu_seen.clear();
  SetTimer(nullptr, 0, 100, ReadMenu);
  post(WM_RBUTTONDOWN, MK_RBUTTON, 20, static_cast<int>(band_y));
  post(WM_RBUTTONUP, 0, 20, static_cast<int>(band_y));
  Pump(window, 400);
  const std::vector<std::wstring> items{L"&Скрыть канал", L"&Опорный для углов", L"",
                                        L"Показать &все каналы"};
  if (menu_seen != items) std::printf("band menu: %zu items seen\n", menu_seen.size());
  CHECK(menu_seen == items);
  CHECK(shown.cursor_b() == direct.cursor_b());  // the names column puts no cursor
  PostMessageW(hwnd, WM_COMMAND, kHideBandCommand, 0);
  Pump(window, 30);
  CHECK(!shown.channel_shown(0));
  PostMessageW(hwnd, WM_COMMAND, kShowAllCommand, 0);
  Pump(window, 30);
  CHECK(shown.channel_shown(0));

  // «Вид → Каналы…» hides the channel whose check was taken off.
  SetTimer(nullptr, 0, 100, AnswerChannels);
  PostMessageW(hwnd, WM_COMMAND, kChannelsCommand, 0);
  Pump(window, 600);
  CHECK(channels_dialog_seen && !shown.channel_shown(0) && shown.channel_shown(1));
  PostMessageW(hwnd, WM_COMMAND, kShowAllCommand, 0);
  Pump(window, 30);

  // Ctrl+wheel over the first band enlarges its values, as the viewer's call does.
  POINT over{400, static_cast<int>(band_y)};
  ClientToScreen(hwnd, &over);
  PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA),
               MAKELPARAM(over.x, over.y));
  Pump(window, 30);
  direct.EnlargeBand(band_y, 1);
  CHECK(!shown.view().band_gains.empty() && shown.view().band_gains == direct.view().band_gains);

  // The clock time writes the list's rows anew.
  wchar_t row[256] = {};
  SendMessageW(events, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
  const std::wstring in_ms = row;
  PostMessageW(hwnd, WM_COMMAND, kClockTimeCommand, 0);
  Pump(window, 30);
  SendMessageW(events, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(row));
  CHECK(shown.clock_time() && std::wstring(row) != in_ms &&
        std::wstring(row) == WideFromUtf8(shown.events()[0].text));
  PostMessageW(hwnd, WM_COMMAND, kClockTimeCommand, 0);
  Pump(window, 30);

  // «Векторная диаграмма» hides its pane and the readout takes the room.
  RECT before{}, after_hiding{};
  GetClientRect(readout, &before);
  PostMessageW(hwnd, WM_COMMAND, kPhasorPaneCommand, 0);
  Pump(window, 30);
  GetClientRect(readout, &after_hiding);
  CHECK(!shown.phasor_pane() && !IsWindowVisible(phasors));
  CHECK(after_hiding.bottom > before.bottom);
  PostMessageW(hwnd, WM_COMMAND, kPhasorPaneCommand, 0);
  Pump(window, 30);
  CHECK(shown.phasor_pane() && IsWindowVisible(phasors));

  // The picture as PNG at the window's width, and as SVG 800 pixels wide.
  const std::string png = folder + "\\рисунок записи.png";
  const std::string svg = folder + "\\рисунок записи.svg";
  const std::string png_failed = SavePicture(hwnd, png, 0);
  if (!png_failed.empty()) std::printf("PNG: %s\n", png_failed.c_str());
  CHECK(png_failed.empty());
  const std::string png_bytes = Bytes(png);
  CHECK(png_bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && png_bytes.compare(12, 4, "IHDR") == 0);
  CHECK(BigEndian(png_bytes, 16) == static_cast<std::uint32_t>(shown.view().width));
  CHECK(BigEndian(png_bytes, 20) == static_cast<std::uint32_t>(shown.DrawForFile(0).height));
  CHECK(SavePicture(hwnd, svg, 800).empty());
  const std::string svg_bytes = Bytes(svg);
  CHECK(svg_bytes.find("<svg") != std::string::npos &&
        svg_bytes.find("width=\"800\"") != std::string::npos &&
        svg_bytes.find("</svg>") != std::string::npos);
  // A folder that is not there: no file, a reason.
  CHECK(!SavePicture(hwnd, folder + "\\нет такой\\a.png", 0).empty());
}

// A .cfg dropped on the main window opens its viewer, beside the window
// where the screen has room, never outside the screen's work area.
void CheckComtradeDrop(MainWindow& window, const std::string& folder) {
  const std::string cfg = WriteThreePhaseRecord(folder);
  // The first viewer, with no other to cascade from, beside the window at the screen's left.
  CloseViewerWindows();
  SetWindowPos(window.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const std::vector<HWND> before = ViewerWindows();
  CHECK(window.AcceptsDrop({cfg}));
  window.TakeDrop({cfg});
  Pump(window, 50);
  std::vector<HWND> opened;
  for (HWND hwnd : ViewerWindows())
    if (std::find(before.begin(), before.end(), hwnd) == before.end()) opened.push_back(hwnd);
  CHECK(opened.size() == 1);
  if (opened.size() != 1) return;
  const RecordViewer& viewer = *ViewerOf(opened[0]);
  CHECK(viewer.picture().channels().size() == 3);
  RECT main{}, shown{};
  GetWindowRect(window.hwnd(), &main);
  GetWindowRect(opened[0], &shown);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(window.hwnd(), MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  CHECK(shown.left >= work.left && shown.top >= work.top && shown.right <= work.right &&
        shown.bottom <= work.bottom);
  CHECK(shown.top == main.top || shown.bottom == work.bottom);
  // Right of the window where it fits, else left of it, else over the side
  // with more room (at 120 dpi the main window itself takes most of the screen).
  const long width = shown.right - shown.left;
  const long right_room = work.right - main.right, left_room = main.left - work.left;
  if (right_room >= width)
    CHECK(shown.left == main.right);
  else if (left_room >= width)
    CHECK(shown.right == main.left);
  else if (right_room >= left_room)
    CHECK(shown.right == work.right);
  else
    CHECK(shown.left == work.left);
  DestroyWindow(opened[0]);
}

// A record of more signals than the viewer holds: the bands' scroll bar at
// the picture's right, Page Down and the bar's own requests reach the last
// signal, and a saved picture holds every row.
void CheckManyBands(MainWindow& window, const std::string& folder) {
  const std::string cfg = folder + "\\много сигналов.cfg";
  constexpr int kSignals = 150;
  std::string text = "Station,Bay 2,1999\r\n" + std::to_string(1 + kSignals) + ",1A," +
                     std::to_string(kSignals) +
                     "D\r\n1,IA,A,Bay 2,A,0.01,0,0,-32767,32767,1,1,S\r\n";
  for (int s = 1; s <= kSignals; ++s)
    text += std::to_string(s) + ",K" + std::to_string(s) + ",,,0\r\n";
  text +=
      "50\r\n1\r\n1000,40\r\n01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.020000\r\n"
      "ASCII\r\n1\r\n";
  Write(cfg, text);
  std::string dat;
  for (int n = 0; n < 40; ++n) {
    dat += std::to_string(n + 1) + "," + std::to_string(n * 1000) + "," + std::to_string(n * 10);
    for (int s = 1; s <= kSignals; ++s) dat += n >= 20 && s % 7 == 0 ? ",1" : ",0";
    dat += "\r\n";
  }
  Write(folder + "\\много сигналов.dat", dat);
  const std::vector<HWND> before = ViewerWindows();
  window.TakeDrop({cfg});
  Pump(window, 50);
  HWND hwnd = nullptr;
  for (HWND each : ViewerWindows())
    if (std::find(before.begin(), before.end(), each) == before.end()) hwnd = each;
  CHECK(hwnd != nullptr);
  if (hwnd == nullptr) return;
  RecordViewer& shown = *ViewerOf(hwnd);
  HWND bar = GetDlgItem(hwnd, kBandScrollBar);
  RECT at{};
  GetWindowRect(bar, &at);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&at), 2);
  CHECK(IsWindowVisible(bar) && at.left == shown.view().width);
  CHECK(shown.band_scroll().first == 0 && shown.band_scroll().last_first > 0);
  const int page = shown.band_scroll().fitting - 1;  // a page keeps the last band in view
  PostMessageW(hwnd, WM_KEYDOWN, VK_NEXT, 0);
  Pump(window, 30);
  CHECK(shown.band_scroll().first == page);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  GetScrollInfo(bar, SB_CTL, &info);
  CHECK(info.nPos == shown.band_scroll().first);
  SendMessageW(hwnd, WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(bar));
  CHECK(shown.band_scroll().first == shown.band_scroll().last_first);
  int lowest = -1;
  for (int y = 0; y < shown.view().height; ++y)
    if (shown.BandAt(y).kind == BandUnder::Kind::kSignal)
      lowest = std::max(lowest, shown.BandAt(y).index);
  CHECK(lowest == kSignals - 1);
  const std::string svg = folder + "\\много сигналов.svg";
  CHECK(SavePicture(hwnd, svg, 0).empty());
  const std::string svg_bytes = Bytes(svg);
  CHECK(svg_bytes.find(">K1<") != std::string::npos &&
        svg_bytes.find(">K" + std::to_string(kSignals) + "<") != std::string::npos);
  DestroyWindow(hwnd);
}

}  // namespace velk::win32
