// window-screenshot OUT.png: draws the converter's window offscreen as a new
// user first sees it over the records of the current directory (no
// last-folders file), with the first record of each list chosen as a click
// would, and saves the picture.
//
// window-screenshot --added-record OUT.png: the same over a copy of the
// current directory's records; then a record arrives in the shown folder, as
// from a device (a copy of the first analog record, named to sort right after
// it), and the picture is taken once the list shows it, without a click.
//
// window-screenshot --viewer OUT.png: the same first records chosen (both
// shown when «Совместить» is enabled), the viewer opened from the menu at its
// opening size, the cursor put by a click somewhere inside the fault, and the
// viewer window saved.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/comtrade_form.h"
#include "app/qt/comtrade_window.h"
#include "app/qt/qt_ui.h"
#include "app/qt/viewer_window.h"
#include "app/system_services.h"

namespace {

// Runs the event loop until the analog list shows count rows or 5 s passed.
bool WaitForRows(QListWidget* list, int count) {
  const QDeadlineTimer deadline(5000);
  while (list->count() != count && !deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return list->count() == count;
}

// A moment inside the record's fault: halfway through the span in which the
// protection's signals are active, or three fifths into a record without them.
double FaultMoment(const velk::RecordPicture& picture) {
  double first = -1, last = -1;
  for (const velk::PictureSignal& signal : picture.discrete_signals())
    for (std::size_t i = 1; i < signal.steps.size(); ++i) {
      const velk::SignalStep& step = signal.steps[i];
      if (step.active && (first < 0 || step.time_ms < first)) first = step.time_ms;
      if (!step.active) last = std::max(last, step.time_ms);
    }
  return first >= 0 && last > first ? (first + last) / 2 : picture.DurationMs() * 0.6;
}

// A left click at pixel column x of the viewer's drawing area.
void ClickAt(QWidget* area, double x) {
  const QPointF at(x, area->height() / 2.0);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, at, area->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(area, &click);
  }
}

// Opens the viewer from the «Вид» menu over the chosen records; null when the
// logic gave none.
velk::ViewerWindow* OpenViewer(velk::ComtradeWindow& window) {
  window.MenuBar()->actions().value(1)->menu()->actions().value(0)->trigger();
  auto* viewer = window.findChild<velk::ViewerWindow*>();
  if (viewer == nullptr) return nullptr;
  viewer->resize(velk::ViewerWindow::kOpeningSize);  // the offscreen screen is smaller
  QApplication::processEvents();
  const velk::RecordViewer& logic = viewer->viewer();
  ClickAt(viewer->DrawingArea(), velk::XAtTime(logic.view(), FaultMoment(logic.picture())));
  QApplication::processEvents();
  return viewer;
}

}  // namespace

int main(int argc, char** argv) {
  const bool added = argc == 3 && std::string(argv[1]) == "--added-record";
  const bool viewer = argc == 3 && std::string(argv[1]) == "--viewer";
  if (argc != 2 && !added && !viewer) {
    std::cerr << "usage: window-screenshot [--added-record | --viewer] OUT.png\n";
    return 64;
  }
  const QString out = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[argc - 1]));
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  velk::InstallRussianTranslation();
  const QTemporaryDir executable_folder;  // holds no last-folders file
  const QTemporaryDir records;
  if (added) {  // the records of the current directory, in a folder of our own
    for (const QString& name : QDir::current().entryList(QDir::Files))
      QFile::copy(name, records.filePath(name));
    QDir::setCurrent(records.path());
  }
  velk::LocalSystem system(velk::ToPath(executable_folder.path()) + "/");
  velk::QtUi ui;
  velk::TFComtrade form(ui, system);
  velk::ComtradeWindow window(form);
  ui.Attach(&window);
  form.RestoreLastFolders();
  window.ShowState();
  window.show();
  for (auto box : {velk::ListBox::kFileListBox1, velk::ListBox::kFileListBox2})
    if (window.List(box)->count() > 0) window.List(box)->setCurrentRow(0);
  if (added) {
    QListWidget* list = window.List(velk::ListBox::kFileListBox1);
    const int before = list->count();
    const QString first = before == 0 ? QString() : list->item(0)->text();
    QString arrived = first;
    arrived.replace(".flh", "_new.flh", Qt::CaseInsensitive);
    if (before == 0 || !QFile::copy(first, arrived) || !WaitForRows(list, before + 1)) {
      std::cerr << "the added record did not appear in the list\n";
      return 1;
    }
  }
  QWidget* shown = &window;
  if (viewer) {
    shown = OpenViewer(window);
    if (shown == nullptr) {
      std::cerr << "the first records open no viewer\n";
      return 1;
    }
  }
  QApplication::processEvents();
  if (!shown->grab().save(out)) {
    std::cerr << "cannot write " << argv[argc - 1] << "\n";
    return 1;
  }
  return 0;
}
