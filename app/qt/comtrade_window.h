// The converter's main window as Qt widgets: a thin view over TFComtrade.
//
// It builds the window's components from the layout both views draw
// (app/view_layout.h), with their captions, positions, fonts and tab order, forwards every click,
// list selection and key press to the matching handler of the logic object, and afterwards copies
// the logic's captions, enabled flags and lists back into the widgets. A list draws the names the
// logic holds and highlights the logic's selected name; when a shown folder changes, or the window
// becomes active, the logic reads the lists again, and on a timer it looks at the highlighted
// records' stamps. It decides nothing itself.
//
// Above the layout's fixed client area stands the menu bar: the window is the
// client area and the bar, and nothing in the client area moves. «Просмотр
// записи» (F3, or a double click on a row) opens a viewer window of its own
// each time the logic gives one. «Преобразовать папку…» (Ctrl+Shift+O) opens
// the folder dialog of app/qt/folder_windows.h; «Открыть запись…» (Ctrl+O)
// and a drop of COMTRADE records open a viewer of each file; records and
// folders dropped on the window go to the logic, which says whether it takes them.
#pragma once

#include <QFileSystemWatcher>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/comtrade_form.h"
#include "app/qt/folder_windows.h"
#include "app/qt/qt_text.h"
#include "app/qt/viewer_window.h"

namespace velk {

class ComtradeWindow : public QWidget {
 public:
  explicit ComtradeWindow(TFComtrade& form);

  // Copies the logic's state into the widgets.
  void ShowState();
  QListWidget* List(ListBox box) { return box == ListBox::kFileListBox1 ? list1_ : list2_; }
  // The layout's fixed area, below the menu bar.
  QWidget* ClientArea() const { return client_; }
  QMenuBar* MenuBar() const { return menu_bar_; }
  // Restores the window if it is minimized and brings it to the front.
  void RestoreAndRaise();
  // Has the logic read both lists' folders again and shows what changed; put
  // off while a handler runs (a dialog or message box is open).
  void RefreshLists();
  // The way from the folder dialog to the summary.
  FolderRun& Folders() { return *folder_run_; }
  // Opens a viewer of a file handed to the program (on its command line or by
  // a second start) in front; what cannot be shown says why in a box.
  // (app/qt/handed_files.cpp)
  void OpenHandedFile(const std::string& path);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Runs a handler of the logic, then shows the state it left.
  void Run(void (TFComtrade::*handler)());
  void Run(const std::function<void()>& handler);
  void Selected(ListBox box, int row);
  void ShowList(ListBox box);
  void WatchFolders();
  void PlaceOnScreen();
  QMenuBar* MakeMenuBar();
  // The list F3 and the menu item open the viewer for: the one with the focus.
  ListBox FocusedList() const;
  void OpenViewer(ListBox box);
  void PlaceViewer(QWidget* viewer) const;
  // What a viewer's «Открыть запись…» does: opens the file as a handed one.
  ViewerWindow::OpenRecord RecordOpener();
  void ShowAbout();
  // Accepts a drag the logic would take a drop of.
  void ConsiderDrag(QDragMoveEvent* event);

  TFComtrade& form_;
  QWidget* client_;
  QMenuBar* menu_bar_;
  QPushButton* close_button_;
  QPushButton* dis_button_;
  QPushButton* flh_button_;
  QPushButton* convert_anl_button_;
  QPushButton* convert_dis_button_;
  QPushButton* sovmest_button_;
  QLabel* name_label_;
  QLabel* date_label_;
  QLabel* tip_label_;
  QLabel* date_label_dis_;
  QListWidget* list1_;
  QListWidget* list2_;
  std::vector<std::string> drawn1_, drawn2_;  // the names each list draws, in its rows
  QFileSystemWatcher* watcher_;
  QTimer* refresh_timer_;
  FolderRun* folder_run_;
  int running_ = 0;       // handlers under way, nested ones included
  int pressed_row_ = -1;  // the highlighted row of the list when the mouse was pressed
  bool placed_ = false;
};

}  // namespace velk
