// The converter's main window with the Windows API: a thin view over
// TFComtrade.
//
// It creates the controls of view_layout.h at the monitor's pixels per inch
// under a menu bar (the window grows by the bar, the client area keeps the
// layout's size), forwards every click, list selection, double click, Enter,
// shortcut and menu command to the matching handler of the logic object, and
// afterwards draws the logic's captions, enabled flags and file lists. It reads the lists' folders
// again when the window becomes active and when Windows reports a change in a shown folder, and
// has the logic look at the highlighted records' stamps on a timer (kSelectedPollTimer). It
// takes files and folders dragged onto it, and converts whole folders with the windows of
// folder_windows.h. It decides nothing itself.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/comtrade_form.h"
#include "app/view_layout.h"
#include "app/win32/escaped_error.h"

namespace velk::win32 {

// The window draws the layout that the Qt view draws too. Its Scale is the
// layout's scaling to pixels per inch, not the analog channels' scale.
using namespace velk::layout;
using layout::Scale;

// The main window's class: a second start finds the running window by it.
inline constexpr wchar_t kWindowClass[] = L"VelkComtradeWindow";

// The menu bar's commands; none is a control's identifier, IDOK or IDCANCEL.
enum MenuCommand : int {
  kConvertFolderCommand = 200,
  kExitCommand,
  kViewerCommand,
  kAboutCommand,
  kOutputFormCommand,
  kOpenRecordCommand,
};
// The timer on which the logic looks at the highlighted records' stamps.
inline constexpr UINT_PTR kSelectedPollTimer = 1;
// Posted by a drop of a folder: opens «Преобразовать папку» over it.
inline constexpr UINT kDroppedFolderMessage = WM_APP + 1;

class MainWindow {
 public:
  explicit MainWindow(TFComtrade& form);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden, sized for the pixels per inch of the monitor
  // it lands on and placed at its position or where it fits whole; false
  // when Windows refuses.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const;
  int Dpi() const { return dpi_; }
  // F3, Ctrl+O and Ctrl+Shift+O, which the message loop turns into menu commands.
  HACCEL accelerators() const { return accelerators_; }

  // Draws the logic's state: captions, enabled flags and the lists as the
  // logic last read their folders (a change notice or coming back to the
  // window reads them again first).
  void ShowState();
  void RestoreAndRaise();
  void FocusList(ListBox box);
  // Asks the window to close; the message loop then ends.
  void Close();

  // Runs the messages of the thread until the window is gone: the menu's
  // shortcuts, Tab, Shift+Tab and Enter as in a dialog, and the folder change
  // notices of the lists.
  // Returns the exit code of WM_QUIT.
  int RunMessageLoop();
  // Runs what is waiting, without blocking: for checks that drive the window.
  void PumpPending();

  // «Преобразовать папку…» (the menu and Ctrl+Shift+O): the dialog with the
  // logic's choices for records_folder (the analog list's when empty) and,
  // once the user pressed «Начать», the run with its progress window. While a
  // run is under way its progress window comes to the front instead.
  void ConvertFolder(const std::string& records_folder = "");
  // Paths dragged onto the window: whether the window would take them (the
  // cursor shows "no" when not; never while a dialog or box of the window is
  // open), and taking them. A dropped folder opens the
  // dialog once the drop is over, so that Explorer is not held meanwhile.
  bool AcceptsDrop(const std::vector<std::string>& paths) const;
  void TakeDrop(const std::vector<std::string>& paths);
  // «Открыть запись…» (the menus of this window and of the viewers, Ctrl+O):
  // the file dialog of records, then a viewer of the chosen file; and a viewer
  // of one file (a chosen or a dropped COMTRADE record), none with a box that
  // says why when the file shows none.
  void OpenRecord();
  void OpenRecordFile(const std::string& path);

 private:
  struct ListView {
    int id;
    ListBox box;
    std::vector<std::string> shown;  // names the list box holds
    std::string watched;             // folder of the change notice
    HANDLE notice = INVALID_HANDLE_VALUE;
  };

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void FitClientArea();
  void Dispatch(MSG& message);
  RECT PlaceOf(std::size_t i) const;
  void LayOut();
  void MakeFonts();
  void FreeFonts();
  HFONT FontOf(Face face) const { return fonts_[static_cast<std::size_t>(face)]; }

  // Runs a handler of the logic, shows any error that escapes it, and draws
  // the state it left.
  template <typename Handler>
  void Run(Handler handler);
  void Command(int id, int code);
  void Enter();
  bool RunMenuCommand(int id);
  void OpenViewer(ListBox box);
  void FolderRunFinished(const FolderRunProgress& over);
  void ShowAbout();
  void ShowCaption(int id, std::string_view caption);
  void ShowList(ListView& list);
  void Watch(ListView& list);
  void FolderChanged(std::size_t which);
  FileList& StateOf(ListBox box);

  TFComtrade& form_;
  HWND hwnd_ = nullptr;
  int dpi_ = kDesignDpi;
  UINT restore_message_ = 0;
  HBRUSH background_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::array<HFONT, 3> fonts_{};
  std::array<std::wstring, kControls.size()> captions_{};
  std::array<ListView, 2> lists_{{{kFileListBox1, ListBox::kFileListBox1, {}, {}},
                                  {kFileListBox2, ListBox::kFileListBox2, {}, {}}}};
  HWND focus_ = nullptr;        // the control that had the focus when the window was left
  std::string dropped_folder_;  // for the dialog that a dropped folder opens
};

}  // namespace velk::win32
