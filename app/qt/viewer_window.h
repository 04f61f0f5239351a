// The record viewer as a Qt window: a thin view over RecordViewer.
//
// The drawing area paints the scene the logic draws at the area's size and
// forwards its size, the wheel, the left button's presses, drags and releases,
// and the Left, Right and Home keys; the window's own menu sets primary
// values, shows the whole record and closes the window (Esc too). After each
// forwarded event the area paints again. It decides nothing itself.
#pragma once

#include <QObject>
#include <QWidget>
#include <memory>

#include "app/record_viewer.h"
#include "picture/scene.h"

class QMenuBar;
class QPainter;

namespace velk {

class ViewerWindow : public QWidget {
  Q_OBJECT

 public:
  // A resizable window over owner (which keeps it in front of itself and ends
  // with it). The window owns viewer and frees it when it is closed.
  ViewerWindow(std::unique_ptr<RecordViewer> viewer, QWidget* owner);

  const RecordViewer& viewer() const { return *viewer_; }
  QWidget* DrawingArea() const { return drawing_area_; }

  // The size a viewer opens at, when the screen has room for it.
  static constexpr QSize kOpeningSize{1000, 640};

 private:
  QMenuBar* MakeMenuBar();

  RecordViewer* viewer_;  // held by the drawing area, which ends with the window
  QWidget* drawing_area_;
};

// Paints a scene: its background, then its rectangles, lines and texts.
void PaintScene(QPainter& painter, const Scene& scene);

}  // namespace velk
