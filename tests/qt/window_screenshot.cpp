// window-screenshot OUT.png: draws the converter's window offscreen as a new
// user first sees it over the records of the current directory (no
// last-folders file), with the first record of each list chosen as a click
// would, and saves the picture.
#include <QApplication>
#include <QTemporaryDir>
#include <iostream>

#include "app/comtrade_form.h"
#include "app/qt/comtrade_window.h"
#include "app/qt/qt_ui.h"
#include "app/system_services.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: window-screenshot OUT.png\n";
    return 64;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  velk::InstallRussianTranslation();
  const QTemporaryDir executable_folder;  // holds no last-folders file
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
  QApplication::processEvents();
  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::cerr << "cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
