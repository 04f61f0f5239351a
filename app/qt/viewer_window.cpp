#include "app/qt/viewer_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QInputDialog>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

#include "app/comtrade_form.h"
#include "app/qt/qt_text.h"
#include "app/texts.h"
#include "comtrade/report.h"
#include "picture/svg.h"

namespace velk {
namespace {

// A wheel delta of one notch.
constexpr double kNotchDelta = 120.0;
// The widest picture file a user can ask for, in pixels.
constexpr int kWidestPicture = 20000;

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
  const QString shown = FromUtf8(text.text);
  double x = text.x;
  if (text.anchor != TextAnchor::kStart) {
    const double width = QFontMetricsF(font).horizontalAdvance(shown);
    x -= text.anchor == TextAnchor::kMiddle ? width / 2 : width;
  }
  painter.setFont(font);
  painter.setPen(ColourOf(text.colour));
  painter.drawText(QPointF(x, text.y), shown);  // at its baseline
}

// Where a text of the scene lies on the screen, painted as PaintText paints it.
QRectF TextBox(const SceneText& text) {
  const QFontMetricsF metrics(TextFont(text.size, text.bold));
  const double width = metrics.horizontalAdvance(FromUtf8(text.text));
  double x = text.x;
  if (text.anchor != TextAnchor::kStart)
    x -= text.anchor == TextAnchor::kMiddle ? width / 2 : width;
  return {x, text.y - metrics.ascent(), width, metrics.height()};
}

// The area the picture is drawn in: it paints the logic's scene and hands it
// the mouse and the keys, in the area's own pixel columns; the window then
// shows the logic's state in every pane.
class PictureArea : public QWidget {
 public:
  PictureArea(RecordViewer& viewer, ViewerWindow& window)
      : QWidget(&window), viewer_(viewer), window_(window) {
    setObjectName("PictureArea");
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);  // the scene fills it all
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PaintScene(painter, viewer_.Draw());
  }
  void resizeEvent(QResizeEvent*) override {
    viewer_.Resize(width(), height());
    window_.Refresh();  // the scroll bar follows what the new height holds
  }
  // A name cut short to keep to its column is shown whole under the pointer.
  bool event(QEvent* event) override {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const Scene shown = viewer_.Draw();
    for (const SceneText& text : shown.texts)
      if (!text.whole.empty() && TextBox(text).contains(help->pos())) {
        QToolTip::showText(help->globalPos(), FromUtf8(text.whole), this);
        return true;
      }
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  void wheelEvent(QWheelEvent* event) override {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;  // a sideways wheel
    if (event->modifiers() & Qt::ControlModifier)
      viewer_.EnlargeBand(event->position().y(), delta / kNotchDelta);
    else
      viewer_.Wheel(event->position().x(), delta / kNotchDelta);
    window_.Refresh();
  }
  void mousePressEvent(QMouseEvent* event) override {
    const QPointF at = event->position();
    if (event->button() == Qt::RightButton && at.x() < PlotLeft(viewer_.view())) {
      window_.BandMenu(at.y())->popup(event->globalPosition().toPoint());
      return;
    }
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
    pressed_ = event->button();
    viewer_.Press(at.x(), at.y(),
                  pressed_ == Qt::LeftButton ? PointerButton::kLeft : PointerButton::kRight,
                  event->modifiers() & Qt::ShiftModifier);
    window_.Refresh();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (pressed_ == Qt::NoButton || !(event->buttons() & pressed_)) return;
    viewer_.DragTo(event->position().x());
    window_.Refresh();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (pressed_ == Qt::NoButton || event->button() != pressed_) return;
    pressed_ = Qt::NoButton;
    viewer_.Release(event->position().x());
    window_.Refresh();
  }
  void keyPressEvent(QKeyEvent* event) override {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Left) {
      viewer_.Key(ctrl ? ViewerKey::kPreviousChange : ViewerKey::kLeft, shift);
    } else if (event->key() == Qt::Key_Right) {
      viewer_.Key(ctrl ? ViewerKey::kNextChange : ViewerKey::kRight, shift);
    } else if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
      viewer_.Key(event->key() == Qt::Key_PageUp ? ViewerKey::kPageUp : ViewerKey::kPageDown,
                  shift);
    } else {
      QWidget::keyPressEvent(event);
      return;
    }
    window_.Refresh();
  }

 private:
  RecordViewer& viewer_;
  ViewerWindow& window_;
  Qt::MouseButton pressed_ = Qt::NoButton;
};

// The readout below the events: as wide as its scroll area lets it be (never
// narrower than its two-row table stays legible) and as tall as its rows are.
constexpr int kReadoutLeastWidth = 420;
// The side pane's width as a viewer opens, and the heights of its events
// list and phasor diagram.
constexpr int kSideWidth = 440;
constexpr int kEventsHeight = 150;
constexpr int kPhasorsHeight = 240;

class ReadoutArea : public QWidget {
 public:
  ReadoutArea(const RecordViewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
    setObjectName("Readout");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PaintScene(painter, viewer_.DrawReadout(width()));
  }

 private:
  const RecordViewer& viewer_;
};

class PhasorArea : public QWidget {
 public:
  PhasorArea(const RecordViewer& viewer, QWidget* parent) : QWidget(parent), viewer_(viewer) {
    setObjectName("Phasors");
    setMinimumHeight(160);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PaintScene(painter, viewer_.DrawPhasors(width(), height()));
  }

 private:
  const RecordViewer& viewer_;
};

// A box over parent that says what failed and why.
void Warn(QWidget* parent, std::string_view what, const QString& reason) {
  QMessageBox box(QMessageBox::Warning, parent->windowTitle(),
                  FromCp1251(what) + (reason.isEmpty() ? QString() : "\n" + reason),
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool HasSuffix(const QString& path, const char* suffix) {
  return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}
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

ViewerWindow::ViewerWindow(std::unique_ptr<RecordViewer> viewer, QWidget* owner,
                           OpenRecord open_record)
    : QWidget(owner, Qt::Window), viewer_(std::move(viewer)), open_record_(std::move(open_record)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(FromUtf8(viewer_->Title()));
  splitter_ = new QSplitter(Qt::Horizontal, this);
  // The picture with the scroll bar of its bands at its right.
  auto* picture = new QWidget(splitter_);
  drawing_area_ = new PictureArea(*viewer_, *this);
  drawing_area_->setParent(picture);
  band_scroll_ = new QScrollBar(Qt::Vertical, picture);
  band_scroll_->setObjectName("BandScrollBar");
  connect(band_scroll_, &QScrollBar::valueChanged, this, [this](int first) {
    viewer_->ScrollBandsTo(first);
    Refresh();
  });
  auto* picture_row = new QHBoxLayout(picture);
  picture_row->setContentsMargins(0, 0, 0, 0);
  picture_row->setSpacing(0);
  picture_row->addWidget(drawing_area_, 1);
  picture_row->addWidget(band_scroll_, 0);
  splitter_->addWidget(picture);

  // Beside the picture: the events, the readout and the phasor diagram.
  auto* side = new QSplitter(Qt::Vertical, splitter_);
  side_ = side;
  events_ = new QListWidget(side);
  events_->setObjectName("Events");
  events_->setSelectionMode(QAbstractItemView::SingleSelection);
  events_->setUniformItemSizes(true);
  events_->setToolTip(FromCp1251(text::kEventsTitle));
  const auto pick = [this](int row) {
    if (row < 0) return;
    viewer_->PickEvent(static_cast<std::size_t>(row));
    Refresh();
  };
  connect(events_, &QListWidget::currentRowChanged, this, pick);
  connect(events_, &QListWidget::itemClicked, this,
          [this, pick](QListWidgetItem* item) { pick(events_->row(item)); });
  events_->installEventFilter(this);
  readout_scroll_ = new QScrollArea(side);
  readout_scroll_->setWidgetResizable(true);
  readout_ = new ReadoutArea(*viewer_, readout_scroll_);
  readout_scroll_->setWidget(readout_);
  phasors_ = new PhasorArea(*viewer_, side);
  side->addWidget(events_);
  side->addWidget(readout_scroll_);
  side->addWidget(phasors_);
  // The readout takes what the events and the diagram leave.
  side->setStretchFactor(0, 0);
  side->setStretchFactor(1, 1);
  side->setStretchFactor(2, 0);
  side->setSizes(
      {kEventsHeight, kOpeningSize.height() - kEventsHeight - kPhasorsHeight, kPhasorsHeight});
  splitter_->addWidget(side);
  // The picture takes most of the width; a resized window keeps the side's.
  splitter_->setStretchFactor(0, 1);
  splitter_->setStretchFactor(1, 0);
  splitter_->setChildrenCollapsible(false);
  splitter_->setSizes({kOpeningSize.width() - kSideWidth, kSideWidth});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->setMenuBar(MakeMenuBar());
  layout->addWidget(splitter_);
  resize(kOpeningSize);

  // The record's files are looked at as the main window looks at its own.
  auto* poll = new QTimer(this);
  poll->setInterval(kSelectedPollMs);
  connect(poll, &QTimer::timeout, this, [this] {
    if (viewer_->PollRecord()) Refresh();
  });
  poll->start();
  Refresh();
  drawing_area_->setFocus();
}

// Ctrl+Left and Ctrl+Right jump between the changes from the events list too.
bool ViewerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != events_ || event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if (!(key->modifiers() & Qt::ControlModifier) ||
      (key->key() != Qt::Key_Left && key->key() != Qt::Key_Right))
    return false;
  viewer_->Key(key->key() == Qt::Key_Left ? ViewerKey::kPreviousChange : ViewerKey::kNextChange,
               false);
  Refresh();
  return true;
}

// The panes go while the logic they paint from is still there.
ViewerWindow::~ViewerWindow() {
  delete splitter_;
}

void ViewerWindow::Refresh() {
  if (!phasors_) return;  // a size told while the panes are being made
  drawing_area_->update();
  ShowBandScroll();
  ShowEvents();
  const int width = std::max(readout_scroll_->viewport()->width(), kReadoutLeastWidth);
  readout_->setMinimumSize(kReadoutLeastWidth, viewer_->DrawReadout(width).height);
  readout_->update();
  phasors_->setVisible(viewer_->phasor_pane());
  phasors_->update();
}

// The scroll bar shows which bands the picture holds, where they do not all fit.
void ViewerWindow::ShowBandScroll() {
  const QSignalBlocker quiet(band_scroll_);
  const BandScroll scroll = viewer_->band_scroll();
  band_scroll_->setVisible(scroll.last_first > 0);
  band_scroll_->setRange(0, scroll.last_first);
  band_scroll_->setPageStep(std::max(1, scroll.fitting));
  band_scroll_->setValue(scroll.first);
}

// The list holds the logic's events, filled again when their texts change
// (the time mode), and selects the event at cursor A.
void ViewerWindow::ShowEvents() {
  const QSignalBlocker quiet(events_);  // showing the state is no choice of the user
  const std::vector<ViewerEvent>& events = viewer_->events();
  if (events.size() != listed_events_ || viewer_->clock_time() != listed_clock_) {
    events_->clear();
    for (const ViewerEvent& event : events) events_->addItem(FromUtf8(event.text));
    listed_events_ = events.size();
    listed_clock_ = viewer_->clock_time();
  }
  const std::optional<std::size_t> current = viewer_->current_event();
  if (current && *current < events.size()) {
    const int row = static_cast<int>(*current);
    events_->setCurrentRow(row);
    events_->scrollToItem(events_->item(row));
  } else {
    events_->setCurrentRow(-1);
    events_->clearSelection();
  }
}

QMenu* ViewerWindow::BandMenu(double y) {
  const BandUnder band = viewer_->BandAt(y);
  auto* menu = new QMenu(this);
  menu->setObjectName("BandMenu");
  menu->setAttribute(Qt::WA_DeleteOnClose);
  QAction* hide = menu->addAction(FromCp1251(text::kHideChannelItem));
  hide->setEnabled(band.kind != BandUnder::Kind::kNone);
  connect(hide, &QAction::triggered, this, [this, band] {
    if (band.kind == BandUnder::Kind::kChannel) viewer_->SetChannelShown(band.index, false);
    if (band.kind == BandUnder::Kind::kSignal) viewer_->SetSignalShown(band.index, false);
    Refresh();
  });
  QAction* reference = menu->addAction(FromCp1251(text::kReferenceItem));
  reference->setCheckable(true);
  reference->setEnabled(band.kind == BandUnder::Kind::kChannel);
  reference->setChecked(band.kind == BandUnder::Kind::kChannel &&
                        band.index == viewer_->reference());
  connect(reference, &QAction::triggered, this, [this, band] {
    viewer_->SetReference(band.index);
    Refresh();
  });
  menu->addSeparator();
  QAction* all = menu->addAction(FromCp1251(text::kShowAllItem));
  connect(all, &QAction::triggered, this, [this] {
    for (std::size_t i = 0; i < viewer_->picture().channels().size(); ++i)
      viewer_->SetChannelShown(static_cast<int>(i), true);
    for (std::size_t i = 0; i < viewer_->picture().discrete_signals().size(); ++i)
      viewer_->SetSignalShown(static_cast<int>(i), true);
    Refresh();
  });
  return menu;
}

QMenuBar* ViewerWindow::MakeMenuBar() {
  auto* bar = new QMenuBar(this);
  const auto item = [this](QMenu* menu, std::string_view caption,
                           const std::function<void()>& action) {
    QAction* added = menu->addAction(FromCp1251(caption));
    connect(added, &QAction::triggered, this, [this, action] {
      action();
      Refresh();
    });
    return added;
  };
  const auto mode = [this](QMenu* menu, std::string_view caption, bool on,
                           const std::function<void(bool)>& set) {
    QAction* added = menu->addAction(FromCp1251(caption));
    added->setCheckable(true);
    added->setChecked(on);
    connect(added, &QAction::toggled, this, [this, set](bool checked) {
      set(checked);
      Refresh();
    });
    return added;
  };

  QMenu* file = bar->addMenu(FromCp1251(text::kFileMenu));
  if (open_record_) {
    item(file, text::kOpenRecordItem, [this] {
      if (const auto path = AskRecordToOpen(this)) open_record_(*path);
    })->setShortcut(QKeySequence::Open);
  }
  item(file, text::kSavePictureItem, [this] {
    AskToSavePicture();
  })->setShortcut(QKeySequence::Save);
  item(file, text::kPrintItem, [this] { AskToPrint(); })->setShortcut(QKeySequence::Print);
  file->addSeparator();
  QAction* close_item = file->addAction(FromCp1251(text::kCloseViewerItem));
  close_item->setShortcut(Qt::Key_Escape);
  connect(close_item, &QAction::triggered, this, &QWidget::close);

  QMenu* view = bar->addMenu(FromCp1251(text::kViewMenu));
  mode(view, text::kPrimaryItem, viewer_->primary(), [this](bool on) { viewer_->SetPrimary(on); });
  mode(view, text::kClockTimeItem, viewer_->clock_time(),
       [this](bool on) { viewer_->SetClockTime(on); });
  mode(view, text::kFitToViewItem, viewer_->fit_to_view(),
       [this](bool on) { viewer_->SetFitToView(on); });
  item(view, text::kChannelsItem, [this] { ChooseChannels(); });
  view->addSeparator();
  mode(view, text::kPhasorPaneItem, viewer_->phasor_pane(),
       [this](bool on) { viewer_->SetPhasorPane(on); });
  mode(view, text::kEventsPaneItem, true, [this](bool on) { events_->setVisible(on); });
  view->addSeparator();
  item(view, text::kWholeRecordItem, [this] {
    viewer_->Key(ViewerKey::kHome, false);
  })->setShortcut(Qt::Key_Home);
  return bar;
}

// A checkable row for each channel, then for each signal.
void ViewerWindow::ChooseChannels() {
  QDialog dialog(this);
  dialog.setObjectName("ChannelsDialog");
  dialog.setWindowTitle(FromCp1251(text::kChannelsTitle));
  auto* list = new QListWidget(&dialog);
  const RecordPicture& picture = viewer_->picture();
  const auto add = [list](const std::string& name, bool shown) {
    auto* row = new QListWidgetItem(FromUtf8(name), list);
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
  };
  const int channels = static_cast<int>(picture.channels().size());
  for (int i = 0; i < channels; ++i)
    add(picture.channels()[static_cast<std::size_t>(i)].name, viewer_->channel_shown(i));
  const int signals_count = static_cast<int>(picture.discrete_signals().size());
  for (int i = 0; i < signals_count; ++i)
    add(picture.discrete_signals()[static_cast<std::size_t>(i)].name, viewer_->signal_shown(i));
  // Every row ticked or none, or the signals ticked that change in the
  // record (the channels as they are).
  auto* choices = new QHBoxLayout;
  const auto choice = [&](const char* name, std::string_view caption,
                          const std::function<std::optional<bool>(int row)>& tick) {
    auto* button = new QPushButton(FromCp1251(caption), &dialog);
    button->setObjectName(name);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, &dialog, [list, tick] {
      for (int i = 0; i < list->count(); ++i)
        if (const std::optional<bool> ticked = tick(i))
          list->item(i)->setCheckState(*ticked ? Qt::Checked : Qt::Unchecked);
    });
    choices->addWidget(button);
  };
  choice("AllChannels", text::kAllChannelsButton, [](int) { return true; });
  choice("NoChannels", text::kNoChannelsButton, [](int) { return false; });
  choice("ChangingSignals", text::kChangingSignalsButton,
         [this, channels](int row) -> std::optional<bool> {
           if (row < channels) return std::nullopt;
           return viewer_->signal_changes(row - channels);
         });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(choices);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog.resize(360, 480);
  if (dialog.exec() != QDialog::Accepted) return;
  for (int i = 0; i < list->count(); ++i) {
    const bool shown = list->item(i)->checkState() == Qt::Checked;
    if (i < channels)
      viewer_->SetChannelShown(i, shown);
    else
      viewer_->SetSignalShown(i - channels, shown);
  }
}

std::optional<QString> ViewerWindow::SavePicture(const QString& path, int width) const {
  const Scene scene = viewer_->DrawForFile(width);
  if (HasSuffix(path, ".svg")) {
    const Outcome written = WriteSvg(scene, ToPath(path));
    if (written.ok()) return std::nullopt;
    return FromCp1251(MessageText(written));
  }
  QImage image(scene.width, scene.height, QImage::Format_RGB32);
  if (image.isNull()) return FromCp1251(MessageText({Failure::kWriteError, ToPath(path)}));
  {
    QPainter painter(&image);
    PaintScene(painter, scene);
  }
  if (!image.save(path, "PNG"))
    return FromCp1251(MessageText({Failure::kWriteError, ToPath(path)}));
  return std::nullopt;
}

// The name offered is the record's; the chosen filter gives a name without
// an extension its own. The width asked next is 0 for the window's.
void ViewerWindow::AskToSavePicture() {
  QString filter;
  QString path = QFileDialog::getSaveFileName(this, FromCp1251(text::kSavePictureTitle),
                                              FromPath(viewer_->PictureFileName(".svg")),
                                              DialogFilterOf(text::kPictureFilter), &filter);
  if (path.isEmpty()) return;
  if (!HasSuffix(path, ".svg") && !HasSuffix(path, ".png"))
    path += filter.contains("*.png") ? ".png" : ".svg";
  bool ok = false;
  const int width =
      QInputDialog::getInt(this, FromCp1251(text::kSavePictureTitle),
                           FromCp1251(text::kPictureWidthLabel), 0, 0, kWidestPicture, 1, &ok);
  if (!ok) return;
  if (const auto reason = SavePicture(path, width)) Warn(this, text::kPictureNotSaved, *reason);
}

bool ViewerWindow::Print(QPrinter& printer) const {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  PaintScene(painter, viewer_->DrawPage(page.width(), page.height()));
  return painter.end();
}

// At the screen's resolution the page's texts are as large as the window's.
void ViewerWindow::AskToPrint() {
  QPrinter printer(QPrinter::ScreenResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(windowTitle());
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  if (!Print(printer)) Warn(this, text::kNotPrinted, QString());
}

QString DialogFilterOf(std::string_view filter) {
  const QStringList parts = FromCp1251(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const qsizetype bracket = description.lastIndexOf(" (");
    if (bracket > 0 && description.endsWith(')')) description.truncate(bracket);
    filters << description + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  }
  return filters.join(";;");
}

std::optional<std::string> AskRecordToOpen(QWidget* parent) {
  const QString path = QFileDialog::getOpenFileName(parent, FromCp1251(text::kOpenRecordTitle),
                                                    QString(), DialogFilterOf(text::kRecordFilter));
  if (path.isEmpty()) return std::nullopt;
  return ToPath(path);
}

}  // namespace velk
