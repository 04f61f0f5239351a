#include "app/qt/program.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "app/comtrade_form.h"
#include "app/qt/comtrade_window.h"
#include "app/qt/qt_ui.h"
#include "app/qt/single_instance.h"
#include "app/system_services.h"
#include "comtrade/file_io.h"

namespace velk {
namespace {

// An error that escaped a handler or the window: shown with its text, as it
// stands, and the program goes on (or ends when the window is gone).
void ShowError(const char* what) {
  const QString text = QString::fromLocal8Bit(what);
  if (QApplication::instance() == nullptr) {
    std::cerr << text.toStdString() << '\n';
    return;
  }
  QMessageBox::critical(nullptr, QString(), text);
}

// Errors thrown while an event is handled are shown there, so that they
// never cross the event loop.
class GuardedApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
      ShowError(error.what());
    } catch (...) {
      ShowError("");
    }
    return false;
  }
};

void RunWindow(SingleInstance& instance) {
  InstallRussianTranslation();
  LocalSystem system(ProgramFolder(ToPath(QCoreApplication::applicationFilePath())));
  QtUi ui;
  TFComtrade form(ui, system);
  ComtradeWindow window(form);
  ui.Attach(&window);
  form.RestoreLastFolders();
  form.FormCreate();
  window.ShowState();
  instance.Listen([&form](std::string_view message) { return form.MainWindowHook(message); });
  window.show();
  QApplication::exec();
  instance.StopListening();
  form.FormDestroy();
}

}  // namespace

int RunWindowProgram(int& argc, char** argv) {
  SingleInstance instance(RuntimeFolder());
  if (!instance.Acquire()) {
    const QCoreApplication channel_only(argc, argv);
    instance.Send(kRestoreMessageName);
    return 0;
  }
  std::unique_ptr<GuardedApplication> application;
  try {
    application = std::make_unique<GuardedApplication>(argc, argv);
    RunWindow(instance);
  } catch (const std::exception& error) {
    ShowError(error.what());
  } catch (...) {
    ShowError("");
  }
  return 0;
}

}  // namespace velk
