// The converter's main window as Qt widgets: a thin view over TFComtrade.
//
// It builds the window's components with their captions, positions, fonts and
// tab order, forwards every click, list selection and key press to the
// matching handler of the logic object, and afterwards copies the logic's
// captions, enabled flags and list selections back into the widgets, reading
// the lists' folders again each time. It decides nothing itself.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <string>
#include <string_view>

#include "app/comtrade_form.h"

namespace velk {

// Text of the logic (code page 1251) for the screen.
QString FromCp1251(std::string_view text);
// A path as the file system names it, for the screen, and back.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);

class ComtradeWindow : public QWidget {
 public:
  explicit ComtradeWindow(TFComtrade& form);

  // Copies the logic's state into the widgets.
  void ShowState();
  QListWidget* List(ListBox box) { return box == ListBox::kFileListBox1 ? list1_ : list2_; }
  // Restores the window if it is minimized and brings it to the front.
  void RestoreAndRaise();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Run(void (TFComtrade::*handler)());
  void Selected(QListWidget* list, FileList& state, int row, void (TFComtrade::*click)());
  static void ShowList(const FileList& state, std::string_view mask, QListWidget* list);

  TFComtrade& form_;
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
};

}  // namespace velk
