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
// shown when «Совместить» is enabled), the viewer opened from the menu, cursor
// A put by a click inside the fault and cursor B by a Shift+click later in it,
// and the viewer window saved with its events, readout and phasor diagram.
//
// window-screenshot --viewer-comtrade RECORD.cfg A_MS B_MS OUT.png: the same
// over the viewer of a COMTRADE record, opened as a file handed to the
// program, with cursors A and B at the given milliseconds.
//
// window-screenshot --folder-progress OUT.png: «Преобразовать папку…» over a
// folder of the current directory's records and a few hundred records of
// feeder bays, started as «Начать» starts it; the progress window is saved
// once a third of the run is done.
//
// window-screenshot --folder-summary OUT.png: the same run to its end, and
// the summary window saved.
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <utility>

#include "app/comtrade_form.h"
#include "app/qt/comtrade_window.h"
#include "app/qt/qt_ui.h"
#include "app/qt/viewer_window.h"
#include "app/system_services.h"
#include "tools/records/record_builder.h"

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

// Two moments inside the record's fault: halfway through the span in which
// the protection's signals are active and three quarters through it, or three
// fifths and seven tenths into a record without them.
std::pair<double, double> FaultMoments(const velk::RecordPicture& picture) {
  double first = -1, last = -1;
  for (const velk::PictureSignal& signal : picture.discrete_signals())
    for (std::size_t i = 1; i < signal.steps.size(); ++i) {
      const velk::SignalStep& step = signal.steps[i];
      if (step.active && (first < 0 || step.time_ms < first)) first = step.time_ms;
      if (!step.active) last = std::max(last, step.time_ms);
    }
  if (first >= 0 && last > first) return {(first + last) / 2, first + (last - first) * 0.75};
  return {picture.DurationMs() * 0.6, picture.DurationMs() * 0.7};
}

// A left click at pixel column x of the viewer's drawing area, with Shift
// for cursor B.
void ClickAt(QWidget* area, double x, bool shift) {
  const QPointF at(x, area->height() / 2.0);
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent click(type, at, area->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      shift ? Qt::ShiftModifier : Qt::NoModifier);
    QApplication::sendEvent(area, &click);
  }
}

// The size of the viewer's pictures: larger than the offscreen screen, so
// that the readout beside the picture is legible.
constexpr QSize kShotSize{1280, 800};

// The viewer the main window opened last, at kShotSize, with both cursors
// put in the fault; null when none was opened.
velk::ViewerWindow* WithCursors(velk::ComtradeWindow& window,
                                std::optional<std::pair<double, double>> moments = {}) {
  const auto viewers = window.findChildren<velk::ViewerWindow*>();
  if (viewers.isEmpty()) return nullptr;
  velk::ViewerWindow* viewer = viewers.last();
  viewer->resize(kShotSize);
  QApplication::processEvents();
  const velk::RecordViewer& logic = viewer->viewer();
  const auto [a, b] = moments.value_or(FaultMoments(logic.picture()));
  ClickAt(viewer->DrawingArea(), velk::XAtTime(logic.view(), a), false);
  ClickAt(viewer->DrawingArea(), velk::XAtTime(logic.view(), b), true);
  QApplication::processEvents();
  return viewer;
}

// Opens the viewer from the «Вид» menu over the chosen records.
velk::ViewerWindow* OpenViewer(velk::ComtradeWindow& window) {
  window.MenuBar()->actions().value(1)->menu()->actions().value(0)->trigger();
  return WithCursors(window);
}

// Writes `count` analog records of feeder bays into folder, each of its own
// moment, so that a run over them lasts long enough to be seen.
void WriteBayRecords(const QString& folder, int count) {
  const auto bcd = [](int value) {
    return static_cast<std::uint8_t>(value / 10 * 16 + value % 10);
  };
  for (int i = 0; i < count; ++i) {
    velk::testing::FlhRecord record;
    record.moment_bcd[4] = bcd(i / 60);
    record.moment_bcd[5] = bcd(i % 60);
    record.Name("ПС Северная");
    QFile file(QDir(folder).filePath(QString("bay_%1.flh").arg(i + 1, 3, 10, QChar('0'))));
    const std::string bytes = record.Ramp(480).Bytes();
    if (file.open(QIODevice::WriteOnly))
      file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
}

// The top-level window of that name once it is shown and ready() holds;
// null after 30 s.
QWidget* WaitForWindow(const char* name, const std::function<bool()>& ready) {
  const QDeadlineTimer deadline(30000);
  while (!deadline.hasExpired()) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == name && widget->isVisible() && ready()) return widget;
    QThread::msleep(10);
  }
  return nullptr;
}

// Opens «Преобразовать папку…» from the menu, names folder as the records
// folder and starts the run as «Начать» does; the progress window, or the
// summary window once the run ends, is returned when shown.
QWidget* RunFolder(velk::ComtradeWindow& window, const QString& folder, bool progress) {
  window.MenuBar()->actions().value(0)->menu()->actions().value(1)->trigger();
  QWidget* dialog = WaitForWindow("FolderDialog", [] { return true; });
  if (dialog == nullptr) return nullptr;
  dialog->findChild<QLineEdit*>("RecordsFolder")->setText(folder);
  static_cast<QDialog*>(dialog)->accept();
  if (!progress) return WaitForWindow("FolderSummary", [] { return true; });
  // A third of the way, as the progress window's bar shows it.
  const auto bar = [] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == "FolderProgress" && widget->isVisible())
        return widget->findChild<QProgressBar*>();
    return static_cast<QProgressBar*>(nullptr);
  };
  return WaitForWindow("FolderProgress", [&bar] {
    const QProgressBar* shown = bar();
    return shown != nullptr && shown->maximum() > 1 && shown->value() * 3 >= shown->maximum();
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 3 ? argv[1] : "";
  const bool comtrade = mode == "--viewer-comtrade" && argc == 6;
  const bool added = mode == "--added-record" && argc == 3;
  const bool viewer = mode == "--viewer" && argc == 3;
  const bool folder_progress = mode == "--folder-progress" && argc == 3;
  const bool folder_summary = mode == "--folder-summary" && argc == 3;
  if (argc != 2 && !added && !viewer && !comtrade && !folder_progress && !folder_summary) {
    std::cerr << "usage: window-screenshot [--added-record | --viewer | --folder-progress | "
                 "--folder-summary] OUT.png\n"
                 "       window-screenshot --viewer-comtrade RECORD.cfg A_MS B_MS OUT.png\n";
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
  if (folder_progress || folder_summary) {
    const QString folder = records.filePath("records");
    QDir().mkpath(folder);
    for (const QString& name : QDir::current().entryList(QDir::Files))
      QFile::copy(name, QDir(folder).filePath(name));
    WriteBayRecords(folder, 400);
    shown = RunFolder(window, folder, folder_progress);
    if (shown == nullptr) {
      std::cerr << "the folder's run showed no " << (folder_progress ? "progress" : "summary")
                << " window\n";
      return 1;
    }
  }
  if (comtrade) {
    window.OpenHandedFile(velk::ToPath(QDir::current().absoluteFilePath(argv[2])));
    shown = WithCursors(window, std::pair(std::atof(argv[3]), std::atof(argv[4])));
    if (shown == nullptr) {
      std::cerr << "the COMTRADE record opens no viewer\n";
      return 1;
    }
  }
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
