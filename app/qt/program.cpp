#include "app/qt/program.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/comtrade_form.h"
#include "app/opened_files.h"
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

// The files named on the command line, as full paths.
std::vector<std::string> HandedFiles(int argc, char** argv) {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  return HandedFilesOf({argv + std::min(argc, 1), argv + argc},
                       error ? std::string() : PathText(current) + "/");
}

void RunWindow(SingleInstance& instance, const std::vector<std::string>& files) {
  InstallRussianTranslation();
  LocalSystem system(ProgramFolder(ToPath(QCoreApplication::applicationFilePath())));
  QtUi ui;
  TFComtrade form(ui, system);
  ComtradeWindow window(form);
  ui.Attach(&window);
  form.RestoreLastFolders();
  form.FormCreate();
  window.ShowState();
  instance.Listen([&form, &window](std::string_view message) {
    const std::optional<std::string> path = PathOfOpenRequest(message);
    if (!path) return form.MainWindowHook(message);
    window.OpenHandedFile(*path);
    return true;
  });
  window.show();
  for (const std::string& file : files) window.OpenHandedFile(file);
  QApplication::exec();
  instance.StopListening();
  form.FormDestroy();
}

}  // namespace

int RunWindowProgram(int& argc, char** argv) {
  const std::vector<std::string> files = HandedFiles(argc, argv);
  SingleInstance instance(RuntimeFolder());
  if (!instance.Acquire()) {
    // The running window opens the files, or only comes to the front.
    const QCoreApplication channel_only(argc, argv);
    if (files.empty()) instance.Send(kRestoreMessageName);
    for (std::size_t i = 0; i < files.size() && i < kMaxHandedFiles; ++i)
      instance.Send(OpenRequest(files[i]));
    return 0;
  }
  std::unique_ptr<GuardedApplication> application;
  try {
    application = std::make_unique<GuardedApplication>(argc, argv);
    RunWindow(instance, files);
  } catch (const std::exception& error) {
    ShowError(error.what());
  } catch (...) {
    ShowError("");
  }
  return 0;
}

}  // namespace velk
