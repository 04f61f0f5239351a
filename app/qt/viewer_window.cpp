#include "app/qt/viewer_window.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <vector>

#include "app/qt/qt_text.h"
#include "app/texts.h"

namespace velk {
namespace {

// A wheel delta of one notch.
constexpr double kNotchDelta = 120.0;

QColor ColourOf(const Colour& colour) {
  return {colour.r, colour.g, colour.b};
}

// The picture's texts are sans serif: DejaVu Sans where it is installed,
// else the toolkit's own face.
QFont TextFont(int pixels, bool bold) {
  static const bool dejavu = QFontDatabase::families().contains("DejaVu Sans");
  QFont font;
  if (dejavu) font.setFamily("DejaVu Sans");
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void PaintText(QPainter& painter, const SceneText& text) {
  const QFont font = TextFont(text.size, text.bold);
  const QString shown = FromCp1251(text.text);
  double x = text.x;
  if (text.anchor != TextAnchor::kStart) {
    const double width = QFontMetricsF(font).horizontalAdvance(shown);
    x -= text.anchor == TextAnchor::kMiddle ? width / 2 : width;
  }
  painter.setFont(font);
  painter.setPen(ColourOf(text.colour));
  painter.drawText(QPointF(x, text.y), shown);  // at its baseline
}

// The area the picture is drawn in: it holds the logic, paints its scene and
// hands it the mouse and the keys, in the area's own pixel columns.
class PictureArea : public QWidget {
 public:
  PictureArea(std::unique_ptr<RecordViewer> viewer, QWidget* parent)
      : QWidget(parent), viewer_(std::move(viewer)) {
    setObjectName("PictureArea");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the scene fills it all
  }
  RecordViewer& viewer() { return *viewer_; }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PaintScene(painter, viewer_->Draw());
  }
  void resizeEvent(QResizeEvent*) override { viewer_->Resize(width(), height()); }
  void wheelEvent(QWheelEvent* event) override {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;  // a sideways wheel
    viewer_->Wheel(event->position().x(), delta / kNotchDelta);
    update();
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    viewer_->Press(event->position().x(), event->position().y(), PointerButton::kLeft, false);
    update();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton)) return;
    viewer_->DragTo(event->position().x());
    update();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    viewer_->Release(event->position().x());
    update();
  }
  void keyPressEvent(QKeyEvent* event) override {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->key() == Qt::Key_Left) {
      viewer_->Key(ViewerKey::kLeft, shift);
    } else if (event->key() == Qt::Key_Right) {
      viewer_->Key(ViewerKey::kRight, shift);
    } else {
      QWidget::keyPressEvent(event);
      return;
    }
    update();
  }

 private:
  std::unique_ptr<RecordViewer> viewer_;
};

}  // namespace

void PaintScene(QPainter& painter, const Scene& scene) {
  painter.fillRect(QRectF(0, 0, scene.width, scene.height), ColourOf(scene.background));
  for (const SceneRect& rect : scene.rects)
    painter.fillRect(QRectF(rect.x, rect.y, rect.width, rect.height), ColourOf(rect.fill));
  std::vector<QPointF> points;
  for (const ScenePolyline& line : scene.lines) {
    points.assign(line.points.size(), {});
    for (std::size_t i = 0; i < points.size(); ++i)
      points[i] = QPointF(line.points[i].x, line.points[i].y);
    painter.setPen(QPen(ColourOf(line.colour), 1));
    painter.drawPolyline(points.data(), static_cast<int>(points.size()));
  }
  for (const SceneText& text : scene.texts) PaintText(painter, text);
}

ViewerWindow::ViewerWindow(std::unique_ptr<RecordViewer> viewer, QWidget* owner)
    : QWidget(owner, Qt::Window) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(FromCp1251(viewer->Title()));
  auto* area = new PictureArea(std::move(viewer), this);
  viewer_ = &area->viewer();
  drawing_area_ = area;
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(MakeMenuBar());
  layout->addWidget(drawing_area_);
  resize(kOpeningSize);
  drawing_area_->setFocus();
}

QMenuBar* ViewerWindow::MakeMenuBar() {
  auto* bar = new QMenuBar(this);
  QMenu* view = bar->addMenu(FromCp1251(text::kViewMenu));
  QAction* primary = view->addAction(FromCp1251(text::kPrimaryItem));
  primary->setCheckable(true);
  primary->setChecked(viewer_->primary());
  connect(primary, &QAction::toggled, this, [this](bool on) {
    viewer_->SetPrimary(on);
    drawing_area_->update();
  });
  QAction* whole = view->addAction(FromCp1251(text::kWholeRecordItem));
  whole->setShortcut(Qt::Key_Home);
  connect(whole, &QAction::triggered, this, [this] {
    viewer_->Key(ViewerKey::kHome, false);
    drawing_area_->update();
  });
  view->addSeparator();
  QAction* close_item = view->addAction(FromCp1251(text::kCloseViewerItem));
  close_item->setShortcut(Qt::Key_Escape);
  connect(close_item, &QAction::triggered, this, &QWidget::close);
  return bar;
}

}  // namespace velk
