#include "app/win32/viewer_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <map>
#include <string>
#include <utility>

#include "app/texts.h"
#include "app/view_layout.h"
#include "app/win32/escaped_error.h"
#include "app/win32/resource_ids.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_ui.h"

namespace velk::win32 {
namespace {

// The viewer's first outer size at 96 pixels per inch (no more than the work
// area), and the least size that still leaves the waveforms some room.
constexpr int kStartWidth = 1000;
constexpr int kStartHeight = 640;
constexpr int kLeastWidth = kPictureGutter + 200;
constexpr int kLeastHeight = 240;
// Each further viewer opens this much lower and to the right, so that none
// hides another whole.
constexpr int kCascade = 24;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

COLORREF ColourOf(const Colour& colour) {
  return RGB(colour.r, colour.g, colour.b);
}

int Pixel(float at) {
  return static_cast<int>(std::lround(at));
}

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The face the picture's texts are laid out for where the system has it,
// else the dialog font of Windows.
const wchar_t* TextFace() {
  static const bool dejavu = [] {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    const std::wstring_view face = L"DejaVu Sans";
    std::copy(face.begin(), face.end(), wanted.lfFaceName);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
  }();
  return dejavu ? L"DejaVu Sans" : L"MS Shell Dlg 2";
}

// The fonts of one painting, one per pixel size and weight.
class Fonts {
 public:
  Fonts() = default;
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  ~Fonts() {
    for (const auto& [key, font] : fonts_) DeleteObject(font);
  }
  HFONT Get(int size, bool bold) {
    HFONT& font = fonts_[{size, bold}];
    if (font == nullptr)
      font = CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, TextFace());
    return font;
  }

 private:
  std::map<std::pair<int, bool>, HFONT> fonts_;
};

void Fill(HDC dc, const RECT& rect, const Colour& colour) {
  HBRUSH brush = CreateSolidBrush(ColourOf(colour));
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

UINT AlignOf(TextAnchor anchor) {
  switch (anchor) {
    case TextAnchor::kMiddle:
      return TA_CENTER;
    case TextAnchor::kEnd:
      return TA_RIGHT;
    case TextAnchor::kStart:
      break;
  }
  return TA_LEFT;
}

// The scene in its order: the background, rectangles, lines, texts.
void DrawScene(HDC dc, const Scene& scene, const RECT& client) {
  Fill(dc, client, scene.background);
  for (const SceneRect& rect : scene.rects)
    Fill(dc,
         {Pixel(rect.x), Pixel(rect.y), Pixel(rect.x + rect.width), Pixel(rect.y + rect.height)},
         rect.fill);
  std::vector<POINT> points;
  for (const ScenePolyline& line : scene.lines) {
    points.clear();
    for (const ScenePoint& point : line.points) points.push_back({Pixel(point.x), Pixel(point.y)});
    HPEN pen = CreatePen(PS_SOLID, 1, ColourOf(line.colour));
    const HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  Fonts fonts;
  const HGDIOBJ old_font = GetCurrentObject(dc, OBJ_FONT);
  SetBkMode(dc, TRANSPARENT);
  for (const SceneText& text : scene.texts) {
    SelectObject(dc, fonts.Get(text.size, text.bold));
    SetTextColor(dc, ColourOf(text.colour));
    SetTextAlign(dc, TA_BASELINE | TA_NOUPDATECP | AlignOf(text.anchor));
    const std::wstring wide = WideFromCp1251(text.text);
    TextOutW(dc, Pixel(text.x), Pixel(text.y), wide.c_str(), static_cast<int>(wide.size()));
  }
  SelectObject(dc, old_font);
}

HMENU MakeViewerMenu() {
  HMENU view = CreatePopupMenu();
  AddMenuItem(view, MF_STRING, kPrimaryCommand, text::kPrimaryItem);
  AddMenuItem(view, MF_STRING, kWholeRecordCommand, text::kWholeRecordItem, L"Home");
  AppendMenuW(view, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(view, MF_STRING, kCloseViewerCommand, text::kCloseViewerItem, L"Esc");
  HMENU bar = CreateMenu();
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), text::kViewMenu);
  return bar;
}

// Right of main_window when the work area has room there, else left of
// it, else over it; moved into the work area.
layout::Box PlaceBeside(HWND main_window, int dpi) {
  RECT main{};
  GetWindowRect(main_window, &main);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromWindow(main_window, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  const layout::Box area{work.left, work.top, work.right - work.left, work.bottom - work.top};
  const int width = std::min(MulDiv(kStartWidth, dpi, 96), area.width);
  const int height = std::min(MulDiv(kStartHeight, dpi, 96), area.height);
  const auto fits = [&](int left) { return left >= work.left && left + width <= work.right; };
  layout::Point wanted{main.left, main.top};
  if (fits(main.right))
    wanted.x = main.right;
  else if (fits(main.left - width))
    wanted.x = main.left - width;
  const int shift = kCascade * static_cast<int>(ViewerWindows().size());
  wanted = {wanted.x + shift, wanted.y + shift};
  const layout::Point at = layout::PlaceOnWorkArea(area, width, height, wanted);
  return {at.x, at.y, width, height};
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

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // Runs a call of the viewer, shows any error that escapes it, then shows
  // the viewer's state: the check of «Первичные значения» and the picture.
  template <typename Step>
  void Forward(Step step);
  bool Key(WPARAM key);
  void Command(int id);
  void Paint();

  HWND hwnd_ = nullptr;
  std::unique_ptr<RecordViewer> viewer_;
  bool owned_by_window_ = false;
  bool pressed_ = false;  // the left button went down here and the window holds the mouse
};

bool RegisterViewerClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hIcon = ProgramIcon(instance);
  window_class.lpszClassName = kViewerClass;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND ViewerWindow::Create(HINSTANCE instance, HWND main_window, int dpi) {
  if (!RegisterViewerClass(instance, WindowProc)) return nullptr;
  const layout::Box at = PlaceBeside(main_window, dpi);
  viewer_->SetScale(static_cast<float>(dpi) / 96.0f);  // texts and margins as the screen's
  HMENU menu = MakeViewerMenu();
  CreateWindowExW(0, kViewerClass, WideFromCp1251(viewer_->Title()).c_str(), WS_OVERLAPPEDWINDOW,
                  at.left, at.top, at.width, at.height, nullptr, menu, instance, this);
  if (hwnd_ == nullptr) {
    DestroyMenu(menu);
    return nullptr;
  }
  owned_by_window_ = true;
  return hwnd_;
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
    if (window->owned_by_window_) delete window;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return window->Handle(message, wparam, lparam);
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
  const UINT check = viewer_->primary() ? MF_CHECKED : MF_UNCHECKED;
  CheckMenuItem(GetMenu(hwnd_), kPrimaryCommand, MF_BYCOMMAND | check);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

// Left and right (with Shift) and Home go to the viewer; Esc closes it.
bool ViewerWindow::Key(WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  switch (key) {
    case VK_LEFT:
      Forward([&] { viewer_->Key(ViewerKey::kLeft, shift); });
      return true;
    case VK_RIGHT:
      Forward([&] { viewer_->Key(ViewerKey::kRight, shift); });
      return true;
    case VK_HOME:
      Forward([&] { viewer_->Key(ViewerKey::kHome, shift); });
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
    case kWholeRecordCommand:
      return Forward([&] { viewer_->Key(ViewerKey::kHome, false); });
    case kCloseViewerCommand:
      PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      return;
    default:
      return;
  }
}

// Drawn into a bitmap first and copied at once, so the picture never flickers.
void ViewerWindow::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  RECT client{};
  GetClientRect(hwnd_, &client);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  const HGDIOBJ old = SelectObject(memory, bitmap);
  try {
    DrawScene(memory, viewer_->Draw(), client);
  } catch (...) {
    // A picture that cannot be drawn leaves the area empty; the next event draws again.
    Fill(memory, client, Scene{}.background);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(hwnd_, &paint);
}

LRESULT ViewerWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SIZE:
      // A minimized window keeps the size it had for the viewer.
      if (wparam != SIZE_MINIMIZED)
        Forward([&] { viewer_->Resize(LOWORD(lparam), HIWORD(lparam)); });
      return 0;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEWHEEL: {
      // The wheel's pointer is in screen coordinates.
      POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      ScreenToClient(hwnd_, &at);
      const double notches = GET_WHEEL_DELTA_WPARAM(wparam) / static_cast<double>(WHEEL_DELTA);
      Forward([&] { viewer_->Wheel(at.x, notches); });
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetCapture(hwnd_);
      pressed_ = true;
      Forward([&] {
        viewer_->Press(GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), PointerButton::kLeft, false);
      });
      return 0;
    case WM_MOUSEMOVE:
      if (pressed_) Forward([&] { viewer_->DragTo(GET_X_LPARAM(lparam)); });
      return 0;
    case WM_LBUTTONUP:
      if (!pressed_) return 0;
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
      if (lparam == 0) Command(LOWORD(wparam));
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

}  // namespace velk::win32
