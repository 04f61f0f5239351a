// «Преобразовать папку…» as Qt windows over the logic's FolderConversion: the
// dialog that names the records and output folders, the progress window of a
// run under way and the summary window at its end, and FolderRun, which leads
// the user from one to the next.
//
// The main window stays usable meanwhile: the dialog is modal to it only while
// it is open, the progress and summary windows are not modal at all.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "app/comtrade_form.h"

namespace velk {

// What the folder windows ask of the desktop: a folder chosen in the system's
// folder dialog (empty when the user cancels), and a folder shown in the
// system's file manager. Tests put in their own.
struct DesktopActions {
  std::function<QString(QWidget* parent, const QString& start)> choose_folder;
  std::function<void(const QString& folder)> open_folder;
};
DesktopActions SystemDesktop();

// A folder's text as the logic takes it (TypedFolder).
std::string FolderPath(const QString& text);

// «Преобразовать папку»: the two folders, the two check boxes, «Начать» (the
// default button, enabled only while both folders are named) and «Отмена».
class FolderDialog : public QDialog {
 public:
  FolderDialog(const FolderChoices& choices, const DesktopActions& desktop, QWidget* parent);
  FolderChoices Choices() const;

 private:
  QLineEdit* AddFolderRow(int row, std::string_view label, const std::string& folder);
  void ShowStartEnabled();

  DesktopActions desktop_;
  QLineEdit* records_;
  QLineEdit* output_;
  QCheckBox* recursive_;
  QCheckBox* force_;
  QPushButton* start_;
};

// The run under way: a bar of pairs done of all, the line of the pair finished
// last, and «Отмена». Closing the window asks to cancel as «Отмена» does.
class ProgressWindow : public QWidget {
 public:
  ProgressWindow(std::function<void()> cancel, QWidget* parent);
  void Show(const FolderConversion::Status& status);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> cancel_;
  QProgressBar* bar_;
  QLabel* line_;
  QPushButton* cancel_button_;
};

// The summary of a finished run: its text to read, select and copy,
// «Открыть папку вывода», «Копировать» and «Закрыть».
class SummaryWindow : public QDialog {
 public:
  SummaryWindow(const QString& text, const QString& output_folder, const DesktopActions& desktop,
                QWidget* parent);
};

// Leads a folder conversion from the dialog through the progress window to
// the summary; show_state draws the main window again after each change of
// the logic's state.
class FolderRun : public QObject {
 public:
  FolderRun(TFComtrade& form, QWidget* window, std::function<void()> show_state);
  // Opens the dialog with the logic's choices for records_folder; while the
  // dialog or a run is open, brings that window to the front instead.
  void OpenDialog(const std::string& records_folder);
  void SetDesktop(DesktopActions desktop) { desktop_ = std::move(desktop); }

 private:
  void Start(const FolderChoices& choices);
  void Poll();

  TFComtrade& form_;
  QWidget* window_;
  std::function<void()> show_state_;
  DesktopActions desktop_;
  QTimer* poll_timer_;
  QPointer<QWidget> dialog_;  // each of the three windows while it is open
  QPointer<ProgressWindow> progress_;
  QPointer<QWidget> summary_;
};

}  // namespace velk
