// The main of the window's tests: a QApplication offscreen when there is no
// display, Qt's own buttons in Russian, and a private runtime folder, so that
// the single-instance lock and channel of a test never meet a window that the
// user runs, nor those of another test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "app/qt/qt_ui.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  const QTemporaryDir runtime;  // mode 0700, as a runtime folder must be
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  QApplication app(argc, argv);
  velk::InstallRussianTranslation();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
