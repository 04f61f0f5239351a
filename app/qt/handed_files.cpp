// The window's side of the files handed to the program: each opens in a
// viewer window of its own, placed as the menu's viewers are.
#include <QApplication>
#include <memory>

#include "app/qt/comtrade_window.h"
#include "app/qt/viewer_window.h"

namespace velk {

void ComtradeWindow::OpenHandedFile(const std::string& path) {
  std::unique_ptr<RecordViewer> viewer;
  Run([this, &path, &viewer] { viewer = form_.OpenFile(path); });
  if (viewer == nullptr) return;
  auto* window = new ViewerWindow(std::move(viewer), this, RecordOpener());
  PlaceViewer(window);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace velk
