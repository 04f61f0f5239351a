#include "app/win32/main_window.h"

#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>

#include "app/win32/drop_target.h"
#include "app/win32/folder_windows.h"
#include "app/win32/output_dialog.h"
#include "app/win32/resource_ids.h"
#include "app/win32/viewer_window.h"
#include "app/win32/win32_text.h"
#include "app/win32/win32_ui.h"

namespace velk::win32 {
namespace {

// A fixed single border with the system menu and the minimize box only.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kWindowExStyle = 0;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

// A function of user32.dll that older Windows lacks; nullptr there.
template <typename Function>
Function User32(const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// Pixels per inch of the monitor the window is on (Windows 10 1607 on), or
// of the screen as older Windows reports it.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
  static const auto get_dpi = User32<GetDpiForWindowFunction>("GetDpiForWindow");
  if (get_dpi != nullptr) {
    const UINT dpi = get_dpi(hwnd);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(hwnd);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(hwnd, screen);
  return dpi > 0 ? dpi : 96;
}

// The outer size of the window whose client area is width by height at dpi,
// under its menu bar.
SIZE OuterSize(int width, int height, int dpi) {
  using AdjustFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = User32<AdjustFunction>("AdjustWindowRectExForDpi");
  RECT rect{0, 0, width, height};
  if (adjust_for_dpi != nullptr)
    adjust_for_dpi(&rect, kWindowStyle, TRUE, kWindowExStyle, static_cast<UINT>(dpi));
  else
    AdjustWindowRectEx(&rect, kWindowStyle, TRUE, kWindowExStyle);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

Box WorkAreaAround(POINT point) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
  const RECT& work = info.rcWork;
  return {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

// «Файл», «Вид» and «Справка», each item with the shortcut that reaches it.
HMENU MakeMenuBar() {
  HMENU file = CreatePopupMenu();
  AddMenuItem(file, MF_STRING, kOpenRecordCommand, text::kOpenRecordItem, L"Ctrl+O");
  AddMenuItem(file, MF_STRING, kConvertFolderCommand, text::kConvertFolderItem, L"Ctrl+Shift+O");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AddMenuItem(file, MF_STRING, kExitCommand, text::kExitItem);
  HMENU view = CreatePopupMenu();
  AddMenuItem(view, MF_STRING, kViewerCommand, text::kViewerItem, L"F3");
  HMENU settings = CreatePopupMenu();
  AddMenuItem(settings, MF_STRING, kOutputFormCommand, text::kOutputFormItem);
  HMENU help = CreatePopupMenu();
  AddMenuItem(help, MF_STRING, kAboutCommand, text::kAboutItem);
  HMENU bar = CreateMenu();
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), text::kFileMenu);
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), text::kViewMenu);
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(settings), text::kSettingsMenu);
  AddMenuItem(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), text::kHelpMenu);
  return bar;
}

HACCEL MakeAccelerators() {
  ACCEL keys[] = {
      {FVIRTKEY, VK_F3, kViewerCommand},
      {FVIRTKEY | FCONTROL, 'O', kOpenRecordCommand},
      {FVIRTKEY | FCONTROL | FSHIFT, 'O', kConvertFolderCommand},
  };
  return CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
}

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassOf(Kind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
  constexpr DWORD kFocusable = WS_TABSTOP | WS_GROUP;
  switch (kind) {
    case Kind::kButton:
      return {L"BUTTON", kChild | kFocusable | BS_PUSHBUTTON, 0};
    case Kind::kGroupBox:
      return {L"BUTTON", kChild | BS_GROUPBOX, 0};
    case Kind::kLabel:
      return {L"STATIC", kChild | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case Kind::kFileList:
      return {L"LISTBOX",
              kChild | kFocusable | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
              WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", kChild, 0};
}

std::size_t IndexOf(int id) {
  for (std::size_t i = 0; i < kControls.size(); ++i)
    if (kControls[i].id == id) return i;
  return 0;
}

LOGFONTW FontSpec(Face face, int dpi) {
  LOGFONTW font{};
  font.lfHeight = -FontPixels(face, dpi);
  font.lfWeight = face == Face::kBold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = RUSSIAN_CHARSET;
  const std::wstring family = WideFromCp1251(kFontFamily);
  std::copy(family.begin(), family.end(), font.lfFaceName);
  return font;
}

// Average character width of a font and the width of text in it.
struct Measure {
  int average = 0;
  int text = 0;
};

Measure MeasureFont(const LOGFONTW& logfont, std::wstring_view text) {
  HDC screen = GetDC(nullptr);
  HFONT font = CreateFontIndirectW(&logfont);
  const HGDIOBJ old = SelectObject(screen, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SIZE extent{};
  GetTextExtentPoint32W(screen, text.data(), static_cast<int>(text.size()), &extent);
  SelectObject(screen, old);
  DeleteObject(font);
  ReleaseDC(nullptr, screen);
  return {static_cast<int>(metrics.tmAveCharWidth), static_cast<int>(extent.cx)};
}

// Where "MS Sans Serif" is missing, Windows takes another sans font, often a
// wider one. Such a font is narrowed until a record's start moment fits the
// date label, so that no caption runs into its neighbour. Returns the
// characters' width in percent of the font's own; 100 when it fits as it is.
int FontStretch(int dpi) {
  const std::wstring widest = WideFromCp1251(kWidestDate);
  const LOGFONTW bold = FontSpec(Face::kBold, dpi);
  const int average = MeasureFont(bold, L"").average;
  return FittingStretch(Scale(FindControl(kDateLabel)->at.width, dpi), [&](int percent) {
    LOGFONTW narrowed = bold;
    if (percent != 100 && average > 0) narrowed.lfWidth = average * percent / 100;
    return MeasureFont(narrowed, widest).text;
  });
}

}  // namespace

MainWindow::MainWindow(TFComtrade& form) : form_(form) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (ListView& list : lists_)
    if (list.notice != INVALID_HANDLE_VALUE) FindCloseChangeNotification(list.notice);
  FreeFonts();
  if (background_ != nullptr) DeleteObject(background_);
  if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

bool MainWindow::Create(HINSTANCE instance) {
  background_ = CreateSolidBrush(RGB(kAqua.red, kAqua.green, kAqua.blue));
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_HAND);
  window_class.hIcon = ProgramIcon(instance);
  window_class.hbrBackground = background_;
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    return false;

  const SIZE outer = OuterSize(kClientWidth, kClientHeight, kDesignDpi);
  HMENU menu = MakeMenuBar();
  CreateWindowExW(kWindowExStyle, kWindowClass, WideFromCp1251(text::kWindowCaption).c_str(),
                  kWindowStyle, kWindowLeft, kWindowTop, outer.cx, outer.cy, nullptr, menu,
                  instance, this);
  if (hwnd_ == nullptr) {
    DestroyMenu(menu);
    return false;
  }
  accelerators_ = MakeAccelerators();
  dpi_ = WindowDpi(hwnd_);
  MakeFonts();
  CreateControls();
  LayOut();

  const SIZE size = OuterSize(Scale(kClientWidth, dpi_), Scale(kClientHeight, dpi_), dpi_);
  const Point at = PlaceOnWorkArea(WorkAreaAround({kWindowLeft, kWindowTop}), size.cx, size.cy,
                                   {kWindowLeft, kWindowTop});
  SetWindowPos(hwnd_, nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientArea();

  restore_message_ = RegisterWindowMessageW(WideFromCp1251(kRestoreMessageName).c_str());
  // A window of a program run as administrator takes the request of a second
  // start run without (Windows 7 on).
  using FilterFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const auto allow = User32<FilterFunction>("ChangeWindowMessageFilterEx");
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  if (allow != nullptr && restore_message_ != 0) allow(hwnd_, restore_message_, kAllow, nullptr);
  focus_ = Control(kCloseButton);
  // A record copied over a highlighted one changes no name in its folder: the
  // logic looks at the highlighted records' stamps on this timer.
  SetTimer(hwnd_, kSelectedPollTimer, kSelectedPollMs, nullptr);
  AcceptDrops(
      hwnd_, [this](const DroppedPaths& paths) { return AcceptsDrop(paths); },
      [this](const DroppedPaths& paths) { TakeDrop(paths); });
  return true;
}

// The menu bar's height is the system's, which the outer size only foresees:
// the window grows or shrinks by what the client area lacks or has over the
// layout's size, its top left corner staying.
void MainWindow::FitClientArea() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int wider = Scale(kClientWidth, dpi_) - client.right;
  const int taller = Scale(kClientHeight, dpi_) - client.bottom;
  if (wider == 0 && taller == 0) return;
  RECT outer{};
  GetWindowRect(hwnd_, &outer);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + wider,
               outer.bottom - outer.top + taller, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND MainWindow::Control(int id) const {
  return hwnd_ != nullptr ? GetDlgItem(hwnd_, id) : nullptr;
}

void MainWindow::MakeFonts() {
  const int stretch = FontStretch(dpi_);
  for (const Face face : {Face::kBold, Face::kRegular, Face::kName}) {
    LOGFONTW font = FontSpec(face, dpi_);
    if (stretch != 100) font.lfWidth = MeasureFont(font, L"").average * stretch / 100;
    fonts_[static_cast<std::size_t>(face)] = CreateFontIndirectW(&font);
  }
}

void MainWindow::FreeFonts() {
  for (HFONT& font : fonts_) {
    if (font != nullptr) DeleteObject(font);
    font = nullptr;
  }
}

void MainWindow::CreateControls() {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const ControlSpec& entry = kControls[i];
    const ControlClass kind = ClassOf(entry.kind);
    captions_[i] = WideFromCp1251(entry.caption);
    CreateWindowExW(kind.ex_style, kind.name, captions_[i].c_str(), kind.style, 0, 0, 0, 0, hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance, nullptr);
  }
}

// Where control i goes at the window's pixels per inch: a label as wide as
// its caption needs, at least as wide as laid out.
RECT MainWindow::PlaceOf(std::size_t i) const {
  const ControlSpec& entry = kControls[i];
  Box at = Scale(OnClient(entry), dpi_);
  HWND control = Control(entry.id);
  if (entry.kind == Kind::kLabel && control != nullptr) {
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, FontOf(entry.face));
    SIZE extent{};
    GetTextExtentPoint32W(dc, captions_[i].c_str(), static_cast<int>(captions_[i].size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    at.width = std::max(at.width, static_cast<int>(extent.cx));
  }
  return {at.left, at.top, at.left + at.width, at.top + at.height};
}

// Every control at its place, with its font.
void MainWindow::LayOut() {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    const ControlSpec& entry = kControls[i];
    HWND control = Control(entry.id);
    if (control == nullptr) continue;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(entry.face)), FALSE);
    const RECT at = PlaceOf(i);
    MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    if (entry.kind == Kind::kFileList)
      SendMessageW(control, LB_SETITEMHEIGHT, 0, Scale(kListRowHeight, dpi_));
  }
  InvalidateRect(hwnd_, nullptr, TRUE);
}

FileList& MainWindow::StateOf(ListBox box) {
  return box == ListBox::kFileListBox1 ? form_.controls.FileListBox1 : form_.controls.FileListBox2;
}

void MainWindow::ShowCaption(int id, std::string_view caption) {
  const std::size_t i = IndexOf(id);
  std::wstring text = WideFromCp1251(caption);
  if (text == captions_[i]) return;
  captions_[i] = std::move(text);
  HWND control = Control(id);
  SetWindowTextW(control, captions_[i].c_str());
  const RECT at = PlaceOf(i);
  MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
}

// The list box is filled again only when the logic lists other names than it
// holds, so the user's place in a list that has not changed stays.
void MainWindow::ShowList(ListView& list) {
  const FileList& state = StateOf(list.box);
  HWND box = Control(list.id);
  if (state.names != list.shown) {
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    for (const std::string& name : state.names)
      SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(name).c_str()));
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
    list.shown = state.names;
  }
  LRESULT selected = LB_ERR;
  if (!state.selected_name.empty()) {
    const auto found = std::find(list.shown.begin(), list.shown.end(), state.selected_name);
    if (found != list.shown.end()) selected = found - list.shown.begin();
  }
  if (SendMessageW(box, LB_GETCURSEL, 0, 0) != selected)
    SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// Windows signals a change notice when a file of the folder is created,
// deleted or renamed; the notice follows the folder the list shows.
void MainWindow::Watch(ListView& list) {
  const std::string& folder = StateOf(list.box).folder;
  if (folder == list.watched && list.notice != INVALID_HANDLE_VALUE) return;
  if (list.notice != INVALID_HANDLE_VALUE) FindCloseChangeNotification(list.notice);
  list.watched = folder;
  list.notice = folder.empty() ? INVALID_HANDLE_VALUE
                               : FindFirstChangeNotificationW(WideFromUtf8(folder).c_str(), FALSE,
                                                              FILE_NOTIFY_CHANGE_FILE_NAME);
}

void MainWindow::ShowState() {
  if (hwnd_ == nullptr) return;
  SetWindowTextW(hwnd_, WideFromCp1251(form_.Caption()).c_str());
  const WindowControls& c = form_.controls;
  const HWND focus = GetFocus();
  ShowCaption(kNameLabel, c.NameLabel);
  ShowCaption(kDateLabel, c.DateLabel);
  ShowCaption(kTipLabel, c.TipLabel);
  ShowCaption(kDateLabelDIS, c.DateLabelDIS);
  EnableWindow(Control(kConvertANLButton), c.ConvertANLShown());
  EnableWindow(Control(kConvertDISButton), c.ConvertDISShown());
  EnableWindow(Control(kSovmestButton), c.SovmestShown());
  for (ListView& list : lists_) {
    ShowList(list);
    Watch(list);
  }
  // A button that was disabled under the keyboard focus hands it on.
  if (focus != nullptr && IsChild(hwnd_, focus) && !IsWindowEnabled(focus))
    SetFocus(GetNextDlgTabItem(hwnd_, focus, FALSE));
}

void MainWindow::RestoreAndRaise() {
  if (hwnd_ == nullptr) return;
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
  BringWindowToTop(hwnd_);
}

void MainWindow::FocusList(ListBox box) {
  SetFocus(Control(box == ListBox::kFileListBox1 ? kFileListBox1 : kFileListBox2));
}

void MainWindow::Close() {
  if (hwnd_ != nullptr) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

template <typename Handler>
void MainWindow::Run(Handler handler) {
  // Nothing may cross the window procedure: an error is shown and the window
  // goes on.
  const auto guarded = [this](auto&& step) {
    try {
      step();
    } catch (const std::exception& error) {
      ShowEscapedError(hwnd_, error.what());
    } catch (...) {
      ShowEscapedError(hwnd_, "");
    }
  };
  guarded(handler);
  if (hwnd_ != nullptr) guarded([this] { ShowState(); });
}

void MainWindow::Command(int id, int code) {
  if (id == kFileListBox1 || id == kFileListBox2) {
    ListView& list = lists_[id == kFileListBox1 ? 0 : 1];
    // The first click of a double click has selected the row already.
    if (code == LBN_DBLCLK) return OpenViewer(list.box);
    if (code != LBN_SELCHANGE) return;
    const LRESULT row = SendMessageW(Control(id), LB_GETCURSEL, 0, 0);
    std::string name;
    if (row >= 0 && static_cast<std::size_t>(row) < list.shown.size())
      name = list.shown[static_cast<std::size_t>(row)];
    Run([&] { form_.ListClick(list.box, name); });
    return;
  }
  if (code != BN_CLICKED) return;
  switch (id) {
    case kCloseButton:
      return Run([this] { form_.CloseButtonClick(); });
    case kFLHButton:
      return Run([this] { form_.FLHButtonClick(); });
    case kDISButton:
      return Run([this] { form_.DISButtonClick(); });
    case kConvertANLButton:
      return Run([this] { form_.ConvertANLButtonClick(); });
    case kConvertDISButton:
      return Run([this] { form_.ConvertDISButtonClick(); });
    case kSovmestButton:
      return Run([this] { form_.SovmestButtonClick(); });
    default:
      return;
  }
}

// Enter: a focused list runs its key-press handler with carriage return; a
// focused button is pressed.
void MainWindow::Enter() {
  const HWND focus = GetFocus();
  if (focus == nullptr || !IsChild(hwnd_, focus)) return;
  const int id = GetDlgCtrlID(focus);
  char key = '\r';
  if (id == kFileListBox1) return Run([&] { form_.FileListBox1KeyPress(key); });
  if (id == kFileListBox2) return Run([&] { form_.FileListBox2KeyPress(key); });
  const ControlSpec* entry = FindControl(id);
  if (entry != nullptr && entry->kind == Kind::kButton && IsWindowEnabled(focus))
    SendMessageW(focus, BM_CLICK, 0, 0);
}

bool MainWindow::RunMenuCommand(int id) {
  switch (id) {
    case kExitCommand:
      Run([this] { form_.CloseButtonClick(); });
      return true;
    case kViewerCommand:
      OpenViewer(GetFocus() == Control(kFileListBox2) ? ListBox::kFileListBox2
                                                      : ListBox::kFileListBox1);
      return true;
    case kAboutCommand:
      ShowAbout();
      return true;
    case kConvertFolderCommand:
      ConvertFolder();
      return true;
    case kOpenRecordCommand:
      OpenRecord();
      return true;
    case kOutputFormCommand:
      if (const auto chosen = AskOutputSettings(hwnd_, form_.output())) {
        Run([&] { form_.SetOutput(*chosen); });
        SetWindowTextW(hwnd_, WideFromCp1251(form_.Caption()).c_str());
      }
      return true;
    default:
      return false;
  }
}

// A new viewer window for each opening; none when the records failed their
// check, whose labels then say why.
void MainWindow::OpenViewer(ListBox box) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  Run([&] {
    std::unique_ptr<RecordViewer> viewer = form_.OpenViewer(box);
    if (viewer != nullptr) OpenViewerWindow(instance, std::move(viewer), hwnd_, dpi_);
  });
}

void MainWindow::OpenRecord() {
  FileQuestion question;
  question.filter = text::kRecordFilter;
  question.title = WideFromCp1251(text::kOpenRecordTitle);
  question.flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (const std::optional<ChosenFile> chosen = AskFile(hwnd_, question))
    OpenRecordFile(Utf8FromWide(chosen->path));
}

void MainWindow::OpenRecordFile(const std::string& path) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  Run([&] {
    std::unique_ptr<RecordViewer> viewer = form_.OpenFile(path);
    if (viewer != nullptr) OpenViewerWindow(instance, std::move(viewer), hwnd_, dpi_);
  });
}

void MainWindow::ShowAbout() {
  std::string about;
  Run([&] { about = form_.AboutText(); });
  MessageBoxW(hwnd_, WideFromUtf8(about).c_str(), WideFromCp1251(text::kAboutTitle).c_str(),
              MB_OK | MB_ICONINFORMATION);
}

void MainWindow::ConvertFolder(const std::string& records_folder) {
  if (HWND progress = ProgressWindow()) {
    SetForegroundWindow(progress);
    return;
  }
  FolderChoices initial;
  Run([&] { initial = form_.FolderChoicesFor(records_folder); });
  const std::optional<FolderChoices> choices = AskFolderChoices(hwnd_, initial);
  if (!choices) return;
  bool started = false;
  Run([&] { started = form_.StartFolderConversion(*choices); });
  if (!started) return;
  // The summary of the run before has been seen once a new run starts.
  if (HWND summary = SummaryWindow()) DestroyWindow(summary);
  OpenProgressWindow(hwnd_, form_,
                     [this](const FolderRunProgress& over) { FolderRunFinished(over); });
}

// The run is over: the convert buttons came back, and the summary shows
// until the user closes it.
void MainWindow::FolderRunFinished(const FolderRunProgress& over) {
  ShowState();
  OpenSummaryWindow(hwnd_, over.summary, over.output_folder,
                    [this] { Run([this] { form_.FolderSummaryClosed(); }); });
}

// A window under a dialog or a message box of its own takes no drop: the
// handler that opened it has not finished.
bool MainWindow::AcceptsDrop(const std::vector<std::string>& paths) const {
  if (hwnd_ == nullptr || !IsWindowEnabled(hwnd_)) return false;
  return form_.DropKindOf(paths) != TFComtrade::DropKind::kRefused;
}

void MainWindow::TakeDrop(const std::vector<std::string>& paths) {
  if (form_.DropKindOf(paths) == TFComtrade::DropKind::kComtrade) {
    for (const std::string& path : paths) OpenRecordFile(path);
    return;
  }
  std::string folder;
  Run([&] { folder = form_.Drop(paths); });
  if (folder.empty() || hwnd_ == nullptr) return;
  dropped_folder_ = folder;
  PostMessageW(hwnd_, kDroppedFolderMessage, 0, 0);
}

void MainWindow::FolderChanged(std::size_t which) {
  ListView& list = lists_[which];
  if (!FindNextChangeNotification(list.notice)) {
    FindCloseChangeNotification(list.notice);
    list.notice = INVALID_HANDLE_VALUE;
  }
  Run([this] { form_.RefreshLists(); });
}

int MainWindow::RunMessageLoop() {
  for (;;) {
    std::array<HANDLE, 2> notices{};
    std::array<std::size_t, 2> which{};
    DWORD count = 0;
    for (std::size_t i = 0; i < lists_.size(); ++i) {
      if (lists_[i].notice == INVALID_HANDLE_VALUE) continue;
      notices[count] = lists_[i].notice;
      which[count++] = i;
    }
    const DWORD woken = MsgWaitForMultipleObjectsEx(count, notices.data(), INFINITE, QS_ALLINPUT,
                                                    MWMO_INPUTAVAILABLE);
    if (woken < WAIT_OBJECT_0 + count) {
      FolderChanged(which[woken - WAIT_OBJECT_0]);
      continue;
    }
    if (woken == WAIT_FAILED) {
      // A notice that Windows no longer knows: wait for messages alone.
      for (ListView& list : lists_) list.notice = INVALID_HANDLE_VALUE;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      Dispatch(message);
    }
  }
}

// The menu's shortcuts, then Tab and Enter as in a dialog, for the window and
// its controls; a viewer window takes its own keys.
void MainWindow::Dispatch(MSG& message) {
  if (TakeFolderWindowMessage(message)) return;
  const bool ours = hwnd_ != nullptr && (message.hwnd == hwnd_ || IsChild(hwnd_, message.hwnd));
  if (ours && TranslateAcceleratorW(hwnd_, accelerators_, &message)) return;
  if (ours && IsDialogMessageW(hwnd_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void MainWindow::PumpPending() {
  for (std::size_t i = 0; i < lists_.size(); ++i)
    if (lists_[i].notice != INVALID_HANDLE_VALUE &&
        WaitForSingleObject(lists_[i].notice, 0) == WAIT_OBJECT_0)
      FolderChanged(i);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    Dispatch(message);
  }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = ObjectOfWindow<MainWindow>(hwnd, message, lparam);
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCCREATE) window->hwnd_ = hwnd;
  if (message == WM_NCDESTROY) {
    window->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return window->Handle(message, wparam, lparam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (restore_message_ != 0 && message == restore_message_) {
    Run([this] { form_.MainWindowHook(kRestoreMessageName); });
    return 0;
  }
  switch (message) {
    case WM_TIMER:
      // Not while a dialog or box of the window is open: its handler keeps
      // the records it took.
      if (wparam == kSelectedPollTimer && IsWindowEnabled(hwnd_))
        Run([this] { form_.RefreshSelected(); });
      return 0;
    case kDroppedFolderMessage:
      ConvertFolder(std::exchange(dropped_folder_, {}));
      return 0;
    case WM_COMMAND:
      // A menu item or its shortcut.
      if (lparam == 0 && RunMenuCommand(LOWORD(wparam))) return 0;
      if (LOWORD(wparam) == IDOK && lparam == 0) {
        Enter();
      } else if (LOWORD(wparam) != IDCANCEL) {
        Command(LOWORD(wparam), HIWORD(wparam));
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const auto dc = reinterpret_cast<HDC>(wparam);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(background_);
    }
    case WM_SETCURSOR:
      // A pointing hand over the whole client area, controls included.
      if (LOWORD(lparam) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
        return 0;
      }
      // Back in the window: the folders may have changed meanwhile.
      Run([this] { form_.RefreshLists(); });
      if (hwnd_ != nullptr && !HIWORD(wparam)) {
        if (focus_ == nullptr || !IsWindowEnabled(focus_))
          focus_ = GetNextDlgTabItem(hwnd_, focus_, FALSE);
        SetFocus(focus_);
      }
      return 0;
    case WM_SETFOCUS:
      if (focus_ != nullptr && IsWindowEnabled(focus_)) SetFocus(focus_);
      return 0;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wparam);
      const auto old_fonts = fonts_;
      MakeFonts();
      LayOut();
      for (HFONT font : old_fonts)
        if (font != nullptr) DeleteObject(font);
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      FitClientArea();
      return 0;
    }
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      StopDrops(hwnd_);
      CloseViewerWindows();
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace velk::win32
