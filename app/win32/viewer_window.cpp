#include "app/win32/viewer_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "app/texts.h"
#include "app/view_layout.h"
#include "app/win32/dialog_template.h"
#include "app/win32/escaped_error.h"
#include "app/win32/main_window.h"
#include "app/win32/resource_ids.h"
#include "app/win32/scene_painter.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_ui.h"
#include "comtrade/report.h"
#include "picture/svg.h"

namespace velk::win32 {
namespace {

// The viewer's first outer size at 96 pixels per inch (no more than the work
// area), and the least size that still leaves the waveforms some room.
constexpr int kStartWidth = 1240;
constexpr int kStartHeight = 680;
constexpr int kLeastWidth = kPictureGutter + 200;
constexpr int kLeastHeight = 240;
// The pane right of the picture, in points, and the share of its height the
// events list takes.
constexpr int kPaneWidth = 440;
constexpr int kListShare = 4;  // a quarter
// Each further viewer opens this much lower and to the right, so that none
// hides another whole.
constexpr int kCascade = 24;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif
constexpr wchar_t kPaneClass[] = L"VelkViewerPane";
// The controls of the dialogs «Каналы» and the picture's width.
constexpr int kChannelList = 100;
constexpr int kWidthField = 101;
constexpr int kAllChannelsButton = 102;
constexpr int kNoChannelsButton = 103;
constexpr int kChangingSignalsButton = 104;
constexpr ControlClass kListView{0, WC_LISTVIEWW};

HMENU MakeViewerMenu() {
  HMENU file = CreatePopupMenu();
  AddMenuItem(file, MF_STRING, kOpenAnotherCommand, text::kOpenRecordItem, L"Ctrl+O");
  AddMenuItem(file, MF_STRING, kSavePictureCommand, text::kSavePictureItem, L"Ctrl+S");
  AddMenuItem(file, MF_STRING, kPrintCommand, text::kPrintItem, L"Ctrl+P");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(file, MF_STRING, kCloseViewerCommand, text::kCloseViewerItem, L"Esc");
  HMENU view = CreatePopupMenu();
  AddMenuItem(view, MF_STRING, kPrimaryCommand, text::kPrimaryItem);
  AddMenuItem(view, MF_STRING, kClockTimeCommand, text::kClockTimeItem);
  AddMenuItem(view, MF_STRING, kFitToViewCommand, text::kFitToViewItem);
  AddMenuItem(view, MF_STRING, kChannelsCommand, text::kChannelsItem);
  AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(view, MF_STRING, kPhasorPaneCommand, text::kPhasorPaneItem);
  AddMenuItem(view, MF_STRING, kEventsPaneCommand, text::kEventsPaneItem);
  AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(view, MF_STRING, kWholeRecordCommand, text::kWholeRecordItem, L"Home");
  HMENU bar = CreateMenu();
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), text::kFileMenu);
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), text::kViewMenu);
  return bar;
}

// Beside main_window on its screen (layout::PlaceBeside), each further
// viewer a little lower and to the right.
layout::Box PlaceBeside(HWND main_window, int dpi) {
  RECT main{};
  GetWindowRect(main_window, &main);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(main_window, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  const layout::Box area{work.left, work.top, work.right - work.left, work.bottom - work.top};
  const layout::Box owner{main.left, main.top, main.right - main.left, main.bottom - main.top};
  const int width = std::min(MulDiv(kStartWidth, dpi, 96), area.width);
  const int height = std::min(MulDiv(kStartHeight, dpi, 96), area.height);
  layout::Point at = layout::PlaceBeside(area, owner, width, height);
  const int shift = kCascade * static_cast<int>(ViewerWindows().size());
  if (shift > 0) at = layout::PlaceOnWorkArea(area, width, height, {at.x + shift, at.y + shift});
  return {at.x, at.y, width, height};
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

bool EndsWith(const std::wstring& text, std::wstring_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// «Каналы»: every channel and signal with a check that shows it.
struct ChannelChoice {
  std::vector<std::string> names;  // UTF-8
  std::vector<bool> shown;
  std::size_t channels = 0;   // the channels' rows come first, then the signals'
  std::vector<bool> changes;  // per signal: whether it changes in the record
};

// The buttons above the list: every row ticked or none, or the signals
// ticked that change in the record (the channels as they are).
void TickRows(HWND dialog, int button) {
  const auto& choice =
      *reinterpret_cast<const ChannelChoice*>(GetWindowLongPtrW(dialog, DWLP_USER));
  HWND list = GetDlgItem(dialog, kChannelList);
  for (std::size_t i = 0; i < choice.names.size(); ++i) {
    bool tick = button == kAllChannelsButton;
    if (button == kChangingSignalsButton) {
      if (i < choice.channels) continue;
      tick = choice.changes[i - choice.channels];
    }
    ListView_SetCheckState(list, static_cast<int>(i), tick ? TRUE : FALSE);
  }
}

INT_PTR CALLBACK ChannelsProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    const auto& choice = *reinterpret_cast<const ChannelChoice*>(lparam);
    HWND list = GetDlgItem(dialog, kChannelList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT room{};
    GetClientRect(list, &room);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = room.right - GetSystemMetrics(SM_CXVSCROLL);
    ListView_InsertColumn(list, 0, &column);
    for (std::size_t i = 0; i < choice.names.size(); ++i) {
      std::wstring name = WideFromUtf8(choice.names[i]);
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.pszText = name.data();
      ListView_InsertItem(list, &item);
      ListView_SetCheckState(list, static_cast<int>(i), choice.shown[i] ? TRUE : FALSE);
    }
    PlaceOver(dialog, GetWindow(dialog, GW_OWNER));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  if (id == kAllChannelsButton || id == kNoChannelsButton || id == kChangingSignalsButton) {
    TickRows(dialog, id);
    return TRUE;
  }
  return OkOrCancel(dialog, id, [dialog] {
    auto& choice = *reinterpret_cast<ChannelChoice*>(GetWindowLongPtrW(dialog, DWLP_USER));
    HWND list = GetDlgItem(dialog, kChannelList);
    for (std::size_t i = 0; i < choice.shown.size(); ++i)
      choice.shown[i] = ListView_GetCheckState(list, static_cast<int>(i)) != 0;
    return true;
  });
}

// The picture's width: a whole number of pixels, 0 for the window's width.
INT_PTR CALLBACK WidthProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    SetDlgItemInt(dialog, kWidthField, 0, FALSE);
    PlaceOver(dialog, GetWindow(dialog, GW_OWNER));
    return TRUE;
  }
  if (message != WM_COMMAND) return FALSE;
  return OkOrCancel(dialog, LOWORD(wparam), [dialog] {
    BOOL read = FALSE;
    const UINT width = GetDlgItemInt(dialog, kWidthField, &read, FALSE);
    if (!read || width > 20000) {
      MessageBeep(MB_ICONWARNING);
      return false;
    }
    *reinterpret_cast<int*>(GetWindowLongPtrW(dialog, DWLP_USER)) = static_cast<int>(width);
    return true;
  });
}

class ViewerWindow {
 public:
  explicit ViewerWindow(std::unique_ptr<RecordViewer> viewer) : viewer_(std::move(viewer)) {}
  ViewerWindow(const ViewerWindow&) = delete;
  ViewerWindow& operator=(const ViewerWindow&) = delete;

  // Creates the window; from then on the window owns this object and frees
  // it when it is destroyed.
  HWND Create(HINSTANCE instance, HWND main_window, int dpi);
  RecordViewer& viewer() { return *viewer_; }
  static ViewerWindow* From(HWND hwnd);
  std::string SavePicture(const std::string& path, int width);
  void ChooseBand(double y) { band_ = viewer_->BandAt(y); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandlePane(HWND pane, UINT message, WPARAM wparam, LPARAM lparam);
  void CreatePanes(HINSTANCE instance);
  // Runs a call of the viewer, shows any error that escapes it, then shows
  // the viewer's state: the menu's checks, the events list's rows and
  // selection, the readout's scroll range and every pane.
  template <typename Step>
  void Forward(Step step);
  void ShowState();
  void ShowEvents();
  void LayOut();
  int PaneWidth() const;
  bool Key(WPARAM key);
  void Command(int id);
  void BandMenu(POINT at);
  void AskChannels();
  void AskSavePicture();
  void Print();
  void ScrollReadout(int to);
  // The bands' scroll bar: shown where the bands do not all fit, at the
  // picture's right; and what its arrows, pages and thumb ask.
  void ShowBandScroll();
  void ScrollBands(WPARAM request);
  void Paint();
  void PaintPane(HWND pane);

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;  // the main window, whose «Открыть запись…» the viewer's is
  HWND events_ = nullptr, readout_ = nullptr, phasors_ = nullptr, band_scroll_ = nullptr;
  HFONT list_font_ = nullptr;
  std::unique_ptr<RecordViewer> viewer_;
  bool owned_by_window_ = false;
  bool pressed_ = false;             // a button went down here and the window holds the mouse
  bool events_shown_ = true;         // «Вид → События»
  bool band_scroll_shown_ = false;   // the bands' scroll bar, where they do not all fit
  std::vector<std::string> listed_;  // the events list's rows
  Scene readout_scene_;
  int readout_scroll_ = 0;
  BandUnder band_;  // the band of the last context menu
};

bool RegisterClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, bool icon) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  if (icon) window_class.hIcon = ProgramIcon(instance);
  window_class.lpszClassName = name;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND ViewerWindow::Create(HINSTANCE instance, HWND main_window, int dpi) {
  if (!RegisterClass(instance, kViewerClass, WindowProc, true) ||
      !RegisterClass(instance, kPaneClass, PaneProc, false))
    return nullptr;
  owner_ = main_window;
  const layout::Box at = PlaceBeside(main_window, dpi);
  viewer_->SetScale(static_cast<float>(dpi) / 96.0f);  // texts and margins as the screen's
  HMENU menu = MakeViewerMenu();
  CreateWindowExW(0, kViewerClass, WideFromUtf8(viewer_->Title()).c_str(),
                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, at.left, at.top, at.width, at.height,
                  nullptr, menu, instance, this);
  if (hwnd_ == nullptr) {
    DestroyMenu(menu);
    return nullptr;
  }
  owned_by_window_ = true;
  CreatePanes(instance);
  SetTimer(hwnd_, kRecordPollTimer, kRecordPollMs, nullptr);
  LayOut();
  ShowState();
  return hwnd_;
}

void ViewerWindow::CreatePanes(HINSTANCE instance) {
  const auto id = [](int pane) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(pane)); };
  events_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                            0, 0, 1, 1, hwnd_, id(kEventsList), instance, nullptr);
  readout_ = CreateWindowExW(0, kPaneClass, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 1, 1,
                             hwnd_, id(kReadoutPane), instance, this);
  phasors_ = CreateWindowExW(0, kPaneClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, hwnd_,
                             id(kPhasorPane), instance, this);
  band_scroll_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | SBS_VERT, 0, 0, 1, 1, hwnd_,
                                 id(kBandScrollBar), instance, nullptr);
  const float scale = viewer_->view().scale;
  list_font_ = CreateFontW(-static_cast<int>(std::lround(12 * scale)), 0, 0, 0, FW_NORMAL, FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kDialogFont);
  SendMessageW(events_, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_), FALSE);
}

ViewerWindow* ViewerWindow::From(HWND hwnd) {
  wchar_t name[32] = {};
  if (hwnd == nullptr || GetClassNameW(hwnd, name, 32) == 0 ||
      std::wstring_view(name) != kViewerClass)
    return nullptr;
  return reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK ViewerWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = ObjectOfWindow<ViewerWindow>(hwnd, message, lparam);
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) window->hwnd_ = hwnd;
  if (message == WM_NCDESTROY) {
    window->hwnd_ = nullptr;
    if (window->list_font_ != nullptr) DeleteObject(window->list_font_);
    if (window->owned_by_window_) delete window;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return window->Handle(message, wparam, lparam);
}

LRESULT CALLBACK ViewerWindow::PaneProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = ObjectOfWindow<ViewerWindow>(hwnd, message, lparam);
  if (window == nullptr || window->hwnd_ == nullptr)
    return DefWindowProcW(hwnd, message, wparam, lparam);
  return window->HandlePane(hwnd, message, wparam, lparam);
}

template <typename Step>
void ViewerWindow::Forward(Step step) {
  try {
    step();
  } catch (const std::exception& error) {
    ShowEscapedError(hwnd_, error.what());
  } catch (...) {
    ShowEscapedError(hwnd_, "");
  }
  if (hwnd_ == nullptr) return;
  ShowState();
}

void ViewerWindow::ShowState() {
  HMENU menu = GetMenu(hwnd_);
  const auto check = [&](int id, bool on) {
    CheckMenuItem(menu, static_cast<UINT>(id),
                  static_cast<UINT>(MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)));
  };
  check(kPrimaryCommand, viewer_->primary());
  check(kClockTimeCommand, viewer_->clock_time());
  check(kFitToViewCommand, viewer_->fit_to_view());
  check(kPhasorPaneCommand, viewer_->phasor_pane());
  check(kEventsPaneCommand, events_shown_);
  ShowEvents();
  ShowBandScroll();
  try {
    RECT room{};
    GetClientRect(readout_, &room);
    readout_scene_ = viewer_->DrawReadout(std::max<int>(room.right, 1));
  } catch (...) {
    readout_scene_ = Scene{};  // a readout that cannot be drawn leaves its pane empty
  }
  ScrollReadout(readout_scroll_);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The rows again when they changed (the time mode writes their times
// anew); the selection on the event at cursor A.
void ViewerWindow::ShowEvents() {
  const std::vector<ViewerEvent>& events = viewer_->events();
  const bool same = listed_.size() == events.size() &&
                    std::equal(listed_.begin(), listed_.end(), events.begin(),
                               [](const std::string& row, const ViewerEvent& event) {
                                 return row == event.text;
                               });
  if (!same) {
    SendMessageW(events_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(events_, LB_RESETCONTENT, 0, 0);
    listed_.clear();
    for (const ViewerEvent& event : events) {
      SendMessageW(events_, LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(WideFromUtf8(event.text).c_str()));
      listed_.push_back(event.text);
    }
    SendMessageW(events_, WM_SETREDRAW, TRUE, 0);
  }
  const std::optional<std::size_t> current = viewer_->current_event();
  const WPARAM row = current ? static_cast<WPARAM>(*current) : static_cast<WPARAM>(-1);
  if (SendMessageW(events_, LB_GETCURSEL, 0, 0) != static_cast<LRESULT>(row))
    SendMessageW(events_, LB_SETCURSEL, row, 0);
}

int ViewerWindow::PaneWidth() const {
  return static_cast<int>(std::lround(kPaneWidth * viewer_->view().scale));
}

// The picture left, the pane right: the events list at its top, the phasor
// diagram (a square, at most half the height) at its bottom, the readout
// between them.
void ViewerWindow::LayOut() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right, height = client.bottom;
  const int pane = std::min(PaneWidth(), std::max(width - kLeastWidth / 2, 0));
  const int left = width - pane;
  const int list = events_shown_ ? height / kListShare : 0;
  const int diagram = viewer_->phasor_pane() ? std::min(pane, height / 2) : 0;
  ShowWindow(events_, events_shown_ ? SW_SHOWNA : SW_HIDE);
  ShowWindow(phasors_, viewer_->phasor_pane() ? SW_SHOWNA : SW_HIDE);
  MoveWindow(events_, left, 0, pane, list, TRUE);
  MoveWindow(readout_, left, list, pane, std::max(height - list - diagram, 0), TRUE);
  MoveWindow(phasors_, left, height - diagram, pane, diagram, TRUE);
  viewer_->Resize(std::max(left, 1), std::max(height, 1));
  // Which bands fit depends on the height alone: the bar then takes its
  // width from the picture.
  const bool scrolls = viewer_->band_scroll().last_first > 0;
  const int bar = scrolls ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  MoveWindow(band_scroll_, std::max(left - bar, 0), 0, bar, height, TRUE);
  ShowWindow(band_scroll_, scrolls ? SW_SHOWNA : SW_HIDE);
  band_scroll_shown_ = scrolls;
  viewer_->Resize(std::max(left - bar, 1), std::max(height, 1));
  ShowBandScroll();
}

void ViewerWindow::ShowBandScroll() {
  const BandScroll scroll = viewer_->band_scroll();
  // Bands hidden or shown again may ask for the bar or leave it idle.
  if ((scroll.last_first > 0) != band_scroll_shown_) return LayOut();
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = 0;
  // The page is the bands in view: the range's end is the last first band plus a page.
  info.nPage = static_cast<UINT>(std::max(scroll.fitting, 1));
  info.nMax = scroll.last_first + static_cast<int>(info.nPage) - 1;
  info.nPos = scroll.first;
  SetScrollInfo(band_scroll_, SB_CTL, &info, TRUE);
}

void ViewerWindow::ScrollBands(WPARAM request) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_TRACKPOS;
  GetScrollInfo(band_scroll_, SB_CTL, &info);
  Forward([&] {
    switch (LOWORD(request)) {
      case SB_LINEUP:
        return viewer_->ScrollBands(-1);
      case SB_LINEDOWN:
        return viewer_->ScrollBands(1);
      case SB_PAGEUP:
        return viewer_->Key(ViewerKey::kPageUp, false);
      case SB_PAGEDOWN:
        return viewer_->Key(ViewerKey::kPageDown, false);
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        return viewer_->ScrollBandsTo(info.nTrackPos);
      case SB_TOP:
        return viewer_->ScrollBandsTo(0);
      case SB_BOTTOM:
        return viewer_->ScrollBandsTo(viewer_->band_scroll().last_first);
      default:
        return;
    }
  });
}

void ViewerWindow::ScrollReadout(int to) {
  RECT room{};
  GetClientRect(readout_, &room);
  const int most = std::max(readout_scene_.height - static_cast<int>(room.bottom), 0);
  readout_scroll_ = std::clamp(to, 0, most);
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = std::max(readout_scene_.height - 1, 0);
  info.nPage = static_cast<UINT>(std::max<LONG>(room.bottom, 0));
  info.nPos = readout_scroll_;
  SetScrollInfo(readout_, SB_VERT, &info, TRUE);
  InvalidateRect(readout_, nullptr, FALSE);
}

// Left and right (with Shift, with Ctrl to the signals' changes), Home, Page
// Up, Page Down, Ctrl+O, Ctrl+S and Ctrl+P; Esc closes the window.
bool ViewerWindow::Key(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  switch (key) {
    case VK_LEFT:
      Forward(
          [&] { viewer_->Key(control ? ViewerKey::kPreviousChange : ViewerKey::kLeft, shift); });
      return true;
    case VK_RIGHT:
      Forward([&] { viewer_->Key(control ? ViewerKey::kNextChange : ViewerKey::kRight, shift); });
      return true;
    case VK_HOME:
      Forward([&] { viewer_->Key(ViewerKey::kHome, shift); });
      return true;
    case VK_PRIOR:
    case VK_NEXT:
      Forward([&] {
        viewer_->Key(key == VK_PRIOR ? ViewerKey::kPageUp : ViewerKey::kPageDown, shift);
      });
      return true;
    case 'O':
    case 'S':
    case 'P':
      if (!control) return false;
      Command(key == 'O' ? kOpenAnotherCommand : key == 'S' ? kSavePictureCommand : kPrintCommand);
      return true;
    case VK_ESCAPE:
      PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      return true;
    default:
      return false;
  }
}

void ViewerWindow::Command(int id) {
  switch (id) {
    case kPrimaryCommand:
      return Forward([&] { viewer_->SetPrimary(!viewer_->primary()); });
    case kClockTimeCommand:
      return Forward([&] { viewer_->SetClockTime(!viewer_->clock_time()); });
    case kFitToViewCommand:
      return Forward([&] { viewer_->SetFitToView(!viewer_->fit_to_view()); });
    case kPhasorPaneCommand:
      return Forward([&] {
        viewer_->SetPhasorPane(!viewer_->phasor_pane());
        LayOut();
      });
    case kEventsPaneCommand:
      return Forward([&] {
        events_shown_ = !events_shown_;
        LayOut();
      });
    case kChannelsCommand:
      return AskChannels();
    case kHideBandCommand:
      return Forward([&] {
        if (band_.kind == BandUnder::Kind::kChannel) viewer_->SetChannelShown(band_.index, false);
        if (band_.kind == BandUnder::Kind::kSignal) viewer_->SetSignalShown(band_.index, false);
      });
    case kReferenceCommand:
      return Forward([&] {
        if (band_.kind == BandUnder::Kind::kChannel) viewer_->SetReference(band_.index);
      });
    case kShowAllCommand:
      return Forward([&] {
        const RecordPicture& picture = viewer_->picture();
        for (std::size_t i = 0; i < picture.channels().size(); ++i)
          viewer_->SetChannelShown(static_cast<int>(i), true);
        for (std::size_t i = 0; i < picture.discrete_signals().size(); ++i)
          viewer_->SetSignalShown(static_cast<int>(i), true);
      });
    case kWholeRecordCommand:
      return Forward([&] { viewer_->Key(ViewerKey::kHome, false); });
    case kOpenAnotherCommand:
      if (IsWindow(owner_)) SendMessageW(owner_, WM_COMMAND, kOpenRecordCommand, 0);
      return;
    case kSavePictureCommand:
      return AskSavePicture();
    case kPrintCommand:
      return Print();
    case kCloseViewerCommand:
      PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      return;
    default:
      return;
  }
}

// The band's context menu at a point of the names column (client pixels).
void ViewerWindow::BandMenu(POINT at) {
  ChooseBand(at.y);
  if (band_.kind == BandUnder::Kind::kNone) return;
  HMENU menu = CreatePopupMenu();
  AddMenuItem(menu, MF_STRING, kHideBandCommand, text::kHideChannelItem);
  AddMenuItem(menu, band_.kind == BandUnder::Kind::kChannel ? MF_STRING : MF_STRING | MF_GRAYED,
              kReferenceCommand, text::kReferenceItem);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(menu, MF_STRING, kShowAllCommand, text::kShowAllItem);
  if (band_.kind == BandUnder::Kind::kChannel && viewer_->reference() == band_.index)
    CheckMenuItem(menu, kReferenceCommand, MF_BYCOMMAND | MF_CHECKED);
  ClientToScreen(hwnd_, &at);
  const int chosen = static_cast<int>(
      TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, hwnd_, nullptr));
  DestroyMenu(menu);
  if (chosen != 0) Command(chosen);
}

void ViewerWindow::AskChannels() {
  const RecordPicture& picture = viewer_->picture();
  ChannelChoice choice;
  for (std::size_t i = 0; i < picture.channels().size(); ++i) {
    choice.names.push_back(picture.channels()[i].name);
    choice.shown.push_back(viewer_->channel_shown(static_cast<int>(i)));
  }
  choice.channels = choice.names.size();
  for (std::size_t i = 0; i < picture.discrete_signals().size(); ++i) {
    choice.names.push_back(picture.discrete_signals()[i].name);
    choice.shown.push_back(viewer_->signal_shown(static_cast<int>(i)));
    choice.changes.push_back(viewer_->signal_changes(static_cast<int>(i)));
  }
  DialogTemplate dialog(text::kChannelsTitle, 220, 240);
  dialog.Add(kButton, text::kAllChannelsButton, kAllChannelsButton, {7, 7, 44, 14},
             BS_PUSHBUTTON | WS_TABSTOP);
  dialog.Add(kButton, text::kNoChannelsButton, kNoChannelsButton, {55, 7, 58, 14},
             BS_PUSHBUTTON | WS_TABSTOP);
  dialog.Add(kButton, text::kChangingSignalsButton, kChangingSignalsButton, {117, 7, 96, 14},
             BS_PUSHBUTTON | WS_TABSTOP);
  dialog.Add(
      kListView, "", kChannelList, {7, 25, 206, 186},
      LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP);
  dialog.Add(kButton, text::kOkButton, IDOK, {104, 219, 52, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP);
  dialog.Add(kButton, text::kCancelButton, IDCANCEL, {161, 219, 52, 14},
             BS_PUSHBUTTON | WS_TABSTOP);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  if (DialogBoxIndirectParamW(instance, dialog.get(), hwnd_, ChannelsProcedure,
                              reinterpret_cast<LPARAM>(&choice)) != IDOK)
    return;
  Forward([&] {
    const std::size_t channels = picture.channels().size();
    for (std::size_t i = 0; i < choice.shown.size(); ++i) {
      if (i < channels)
        viewer_->SetChannelShown(static_cast<int>(i), choice.shown[i]);
      else
        viewer_->SetSignalShown(static_cast<int>(i - channels), choice.shown[i]);
    }
  });
}

std::string ViewerWindow::SavePicture(const std::string& path, int width) {
  try {
    const Scene scene = viewer_->DrawForFile(width);
    if (EndsWith(Lower(WideFromUtf8(path)), L".png")) return WritePng(scene, path);
    return MessageText(WriteSvg(scene, path));
  } catch (const std::exception& error) {
    return error.what();
  }
}

// The file dialog (SVG or PNG by the chosen type, or by the name's own
// extension), then the width; a picture that could not be written says why.
void ViewerWindow::AskSavePicture() {
  FileQuestion question;
  question.filter = text::kPictureFilter;
  question.title = WideFromCp1251(text::kSavePictureTitle);
  question.offered = WideFromUtf8(viewer_->PictureFileName(".svg"));
  question.save = true;
  question.flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  const std::optional<ChosenFile> chosen = AskFile(hwnd_, question);
  if (!chosen) return;
  std::wstring path = chosen->path;
  const std::wstring lower = Lower(path);
  if (chosen->filter == 2 && !EndsWith(lower, L".png")) {
    if (EndsWith(lower, L".svg")) path.resize(path.size() - 4);
    path += L".png";
  } else if (!EndsWith(lower, L".png") && !EndsWith(lower, L".svg")) {
    path += L".svg";
  }
  DialogTemplate ask(text::kSavePictureTitle, 250, 50);
  ask.Add(kStatic, text::kPictureWidthLabel, -1, {7, 9, 184, 8}, SS_NOPREFIX);
  ask.Add(kEdit, "", kWidthField, {194, 7, 49, 14}, ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP,
          WS_EX_CLIENTEDGE);
  ask.Add(kButton, text::kOkButton, IDOK, {134, 29, 52, 14}, BS_DEFPUSHBUTTON | WS_TABSTOP);
  ask.Add(kButton, text::kCancelButton, IDCANCEL, {191, 29, 52, 14}, BS_PUSHBUTTON | WS_TABSTOP);
  int width = 0;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  if (DialogBoxIndirectParamW(instance, ask.get(), hwnd_, WidthProcedure,
                              reinterpret_cast<LPARAM>(&width)) != IDOK)
    return;
  const std::string failed = SavePicture(Utf8FromWide(path), width);
  if (failed.empty()) return;
  const std::wstring message =
      WideFromCp1251(text::kPictureNotSaved) + L"\n" + WideFromCp1251(failed);
  MessageBoxW(hwnd_, message.c_str(), WideFromCp1251(text::kErrorTitle).c_str(),
              MB_OK | MB_ICONERROR);
}

// One landscape page of the printer the user chooses. The page is laid out in
// 1/96 inch, as the screen's points, and the printer's own resolution maps it
// onto the paper.
void ViewerWindow::Print() {
  PRINTDLGW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = hwnd_;
  dialog.Flags = PD_RETURNDEFAULT;
  bool failed = false;
  if (!PrintDlgW(&dialog)) {
    failed = true;  // no printer at all
  } else if (dialog.hDevMode != nullptr) {
    if (auto* mode = static_cast<DEVMODEW*>(GlobalLock(dialog.hDevMode))) {
      mode->dmFields |= DM_ORIENTATION;
      mode->dmOrientation = DMORIENT_LANDSCAPE;
      GlobalUnlock(dialog.hDevMode);
    }
  }
  dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  if (failed) {
    // The message below says so.
  } else if (!PrintDlgW(&dialog)) {
    failed = CommDlgExtendedError() != 0;  // no printer, rather than the user's «Отмена»
  } else if (dialog.hDC != nullptr) {
    HDC dc = dialog.hDC;
    const int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
    const int dpi_x = std::max(GetDeviceCaps(dc, LOGPIXELSX), 1);
    const int dpi_y = std::max(GetDeviceCaps(dc, LOGPIXELSY), 1);
    const int page_width = MulDiv(width, 96, dpi_x), page_height = MulDiv(height, 96, dpi_y);
    const std::wstring title = WideFromUtf8(viewer_->Title());
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = title.c_str();
    try {
      const Scene page = viewer_->DrawPage(page_width, page_height);
      if (StartDocW(dc, &document) <= 0) {
        failed = true;
      } else if (StartPage(dc) <= 0) {
        AbortDoc(dc);
        failed = true;
      } else {
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, page_width, page_height, nullptr);
        SetViewportExtEx(dc, width, height, nullptr);
        DrawScene(dc, page, {0, 0, page_width, page_height});
        failed = EndPage(dc) <= 0;
        if (failed)
          AbortDoc(dc);
        else
          failed = EndDoc(dc) <= 0;
      }
    } catch (...) {
      AbortDoc(dc);
      failed = true;
    }
    DeleteDC(dc);
  }
  if (dialog.hDevMode != nullptr) GlobalFree(dialog.hDevMode);
  if (dialog.hDevNames != nullptr) GlobalFree(dialog.hDevNames);
  if (failed)
    MessageBoxW(hwnd_, WideFromCp1251(text::kNotPrinted).c_str(),
                WideFromCp1251(text::kErrorTitle).c_str(), MB_OK | MB_ICONERROR);
}

void ViewerWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  RECT client{};
  GetClientRect(hwnd_, &client);
  client.right = std::min<LONG>(client.right, viewer_->view().width);
  try {
    PaintBuffered(dc, client, viewer_->Draw());
  } catch (...) {
    // A picture that cannot be drawn leaves the area empty; the next event draws again.
    PaintBuffered(dc, client, Scene{});
  }
  EndPaint(hwnd_, &paint);
}

void ViewerWindow::PaintPane(HWND pane) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(pane, &paint);
  RECT client{};
  GetClientRect(pane, &client);
  if (pane == readout_) {
    PaintBuffered(dc, client, readout_scene_, readout_scroll_);
  } else {
    try {
      PaintBuffered(
          dc, client,
          viewer_->DrawPhasors(std::max<int>(client.right, 1), std::max<int>(client.bottom, 1)));
    } catch (...) {
      PaintBuffered(dc, client, Scene{});
    }
  }
  EndPaint(pane, &paint);
}

LRESULT ViewerWindow::HandlePane(HWND pane, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      PaintPane(pane);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (pane == readout_) ShowState();
      return 0;
    case WM_VSCROLL: {
      RECT room{};
      GetClientRect(readout_, &room);
      const int line = static_cast<int>(std::lround(16 * viewer_->view().scale));
      SCROLLINFO info{};
      info.cbSize = sizeof info;
      info.fMask = SIF_TRACKPOS;
      GetScrollInfo(readout_, SB_VERT, &info);
      switch (LOWORD(wparam)) {
        case SB_LINEUP:
          ScrollReadout(readout_scroll_ - line);
          break;
        case SB_LINEDOWN:
          ScrollReadout(readout_scroll_ + line);
          break;
        case SB_PAGEUP:
          ScrollReadout(readout_scroll_ - room.bottom);
          break;
        case SB_PAGEDOWN:
          ScrollReadout(readout_scroll_ + room.bottom);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          ScrollReadout(info.nTrackPos);
          break;
        case SB_TOP:
          ScrollReadout(0);
          break;
        case SB_BOTTOM:
          ScrollReadout(readout_scene_.height);
          break;
        default:
          break;
      }
      return 0;
    }
    case WM_MOUSEWHEEL:
      if (pane == readout_) {
        const int notches = GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA;
        ScrollReadout(readout_scroll_ -
                      notches * 3 * static_cast<int>(std::lround(16 * viewer_->view().scale)));
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd_);  // the keys stay the viewer's
      return 0;
    default:
      break;
  }
  return DefWindowProcW(pane, message, wparam, lparam);
}

LRESULT ViewerWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      // A minimized window keeps the size it had for the viewer.
      if (wparam != SIZE_MINIMIZED) Forward([&] { LayOut(); });
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lparam) == band_scroll_) ScrollBands(wparam);
      return 0;
    case WM_TIMER:
      if (wparam == kRecordPollTimer && viewer_->PollRecord()) Forward([] {});
      return 0;
    case WM_MOUSEWHEEL: {
      // The wheel's pointer is in screen coordinates.
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ScreenToClient(hwnd_, &at);
      const double notches = GET_WHEEL_DELTA_WPARAM(wparam) / static_cast<double>(WHEEL_DELTA);
      if ((GET_KEYSTATE_WPARAM(wparam) & MK_CONTROL) != 0)
        Forward([&] { viewer_->EnlargeBand(at.y, notches); });
      else
        Forward([&] { viewer_->Wheel(at.x, notches); });
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
      const double x = GET_X_LPARAM(lparam), y = GET_Y_LPARAM(lparam);
      SetFocus(hwnd_);
      // A right press over the names column is the band's menu, on release.
      if (message == WM_RBUTTONDOWN && x < PlotLeft(viewer_->view())) return 0;
      SetCapture(hwnd_);
      pressed_ = true;
      const PointerButton button =
          message == WM_LBUTTONDOWN ? PointerButton::kLeft : PointerButton::kRight;
      Forward([&] { viewer_->Press(x, y, button, (wparam & MK_SHIFT) != 0); });
      return 0;
    }
    case WM_MOUSEMOVE:
      if (pressed_) Forward([&] { viewer_->DragTo(GET_X_LPARAM(lparam)); });
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (!pressed_) {
        if (message == WM_RBUTTONUP && GET_X_LPARAM(lparam) < PlotLeft(viewer_->view()))
          BandMenu({GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
        return 0;
      }
      pressed_ = false;
      ReleaseCapture();
      Forward([&] { viewer_->Release(GET_X_LPARAM(lparam)); });
      return 0;
    case WM_CAPTURECHANGED:
      // Another window took the mouse in the middle of a drag: the drag ends where it got to.
      pressed_ = false;
      return 0;
    case WM_KEYDOWN:
      if (Key(wparam)) return 0;
      break;
    case WM_COMMAND:
      if (lparam == 0) {
        Command(LOWORD(wparam));
      } else if (LOWORD(wparam) == kEventsList && HIWORD(wparam) == LBN_SELCHANGE) {
        const LRESULT row = SendMessageW(events_, LB_GETCURSEL, 0, 0);
        if (row >= 0) Forward([&] { viewer_->PickEvent(static_cast<std::size_t>(row)); });
        SetFocus(hwnd_);
      }
      return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMinTrackSize = {kLeastWidth, kLeastHeight};
      return 0;
    }
    case WM_DPICHANGED: {
      viewer_->SetScale(static_cast<float>(HIWORD(wparam)) / 96.0f);
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

BOOL CALLBACK CollectViewer(HWND hwnd, LPARAM found) {
  if (ViewerWindow::From(hwnd) != nullptr)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
  return TRUE;
}

}  // namespace

HWND OpenViewerWindow(HINSTANCE instance, std::unique_ptr<RecordViewer> viewer, HWND main_window,
                      int dpi) {
  auto window = std::make_unique<ViewerWindow>(std::move(viewer));
  HWND hwnd = window->Create(instance, main_window, dpi);
  if (hwnd == nullptr) return nullptr;
  window.release();  // the window frees it
  ShowWindow(hwnd, SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  return hwnd;
}

RecordViewer* ViewerOf(HWND hwnd) {
  ViewerWindow* window = ViewerWindow::From(hwnd);
  return window != nullptr ? &window->viewer() : nullptr;
}

std::vector<HWND> ViewerWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), CollectViewer, reinterpret_cast<LPARAM>(&found));
  return found;
}

void CloseViewerWindows() {
  for (HWND hwnd : ViewerWindows()) DestroyWindow(hwnd);
}

std::string SavePicture(HWND viewer, const std::string& path, int width) {
  ViewerWindow* window = ViewerWindow::From(viewer);
  return window != nullptr ? window->SavePicture(path, width) : std::string();
}

void ChooseBand(HWND viewer, double y) {
  if (ViewerWindow* window = ViewerWindow::From(viewer)) window->ChooseBand(y);
}

}  // namespace velk::win32
