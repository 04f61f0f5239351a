#include "app/qt/comtrade_window.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/texts.h"
#include "comtrade/cp1251.h"

namespace velk {
namespace {

// The window as laid out for 120 pixels per inch: client area, position on
// the screen, and the height of a row of a file list.
constexpr int kClientWidth = 587;
constexpr int kClientHeight = 494;
constexpr int kLeft = 476;
constexpr int kTop = 284;
constexpr int kRowHeight = 20;
constexpr int kFontPixels = 17;
constexpr int kNameFontPixels = 20;
const QColor kAqua(0, 255, 255);
// The selected row and the focus frame in the colours of Windows: both stand
// out on the aqua window, which the toolkit's own light blue does not.
const QColor kHighlight(0, 0, 128);
const QColor kHighlightedText(255, 255, 255);
// The frame that a window manager puts around the window, until the real one
// is known: a title bar and thin borders.
constexpr QMargins kAssumedFrame(8, 32, 8, 8);
// A burst of changes to a shown folder (records being copied) is read once.
constexpr int kRefreshDelayMs = 150;

// "MS Sans Serif" where it exists; elsewhere a narrow sans font with Cyrillic.
// The family is chosen here, once: a widget's font keeps one family only.
QString WindowFamily() {
  static const QString family = [] {
    const QStringList installed = QFontDatabase::families();
    for (const char* wanted : {"MS Sans Serif", "DejaVu Sans Condensed", "DejaVu Sans"})
      if (installed.contains(wanted)) return QString(wanted);
    return QString();  // the toolkit's own default
  }();
  return family;
}

QFont PlainWindowFont(int pixels, bool bold, bool italic) {
  QFont font;
  if (!WindowFamily().isEmpty()) font.setFamily(WindowFamily());
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

// A font wider than the one the layout was drawn for is narrowed until a
// record's start moment fits the date label, so that no caption runs into
// its neighbour.
int WindowStretch() {
  static const int stretch = [] {
    constexpr int kDateLabelWidth = 166;
    const QString widest = "00.00.0000 00:00:00";
    QFont font = PlainWindowFont(kFontPixels, true, false);
    if (QFontMetrics(font).horizontalAdvance(widest) <= kDateLabelWidth) return 0;
    int narrower = 100;
    for (; narrower > 60; --narrower) {
      font.setStretch(narrower);
      if (QFontMetrics(font).horizontalAdvance(widest) <= kDateLabelWidth) break;
    }
    return narrower;
  }();
  return stretch;
}

QFont WindowFont(int pixels, bool bold, bool italic) {
  QFont font = PlainWindowFont(pixels, bold, italic);
  if (WindowStretch() != 0) font.setStretch(WindowStretch());
  return font;
}

class RowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
  }
};

// Enter presses a button that has the keyboard focus, as Space does.
QPushButton* Button(QWidget* parent, const char* name, std::string_view caption, QRect at) {
  auto* button = new QPushButton(FromCp1251(caption), parent);
  button->setObjectName(name);
  button->setGeometry(at);
  button->setAutoDefault(true);
  return button;
}

QGroupBox* GroupBox(QWidget* parent, const char* name, std::string_view caption, QRect at) {
  auto* box = new QGroupBox(FromCp1251(caption), parent);
  box->setObjectName(name);
  box->setGeometry(at);
  box->setFont(WindowFont(kFontPixels, true, false));
  return box;
}

QLabel* Label(QWidget* parent, const char* name, QRect at) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setGeometry(at);
  return label;
}

// A file list that keeps, on getting the keyboard focus, what the logic
// selected: the toolkit would otherwise make its first row current without
// selecting it, and the first Down key would then move to the second row.
class FileListView : public QListWidget {
 public:
  using QListWidget::QListWidget;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    const QSignalBlocker quiet(this);  // no choice of the user
    const bool had_current = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!had_current)
      selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    viewport()->update();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QListWidget::focusOutEvent(event);
    viewport()->update();
  }
  // The list that has the keyboard focus shows it as the buttons do: a dotted
  // frame, which the toolkit's faint tint alone does not make plain on aqua.
  void paintEvent(QPaintEvent* event) override {
    QListWidget::paintEvent(event);
    if (!hasFocus()) return;
    QPainter painter(viewport());
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(viewport()->rect().adjusted(1, 1, -2, -2));
  }
};

// Buttons show the keyboard focus as a dotted frame inside them, as on Windows.
class FocusFrameStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element != CE_PushButton || !(option->state & State_HasFocus)) return;
    painter->save();
    painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(4, 4, -5, -5));
    painter->restore();
  }
};

QListWidget* FileListWidget(QWidget* parent, const char* name, QRect at) {
  auto* list = new FileListView(parent);
  list->setObjectName(name);
  list->setGeometry(at);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  list->setItemDelegate(new RowDelegate(list));
  return list;
}

// A label keeps its place and grows to the right to show its whole text, as
// a label that sizes itself to its caption does.
void SetCaption(QLabel* label, std::string_view text, int width) {
  label->setText(FromCp1251(text));
  label->resize(std::max(width, label->sizeHint().width()), label->height());
}

// A list's rows for names: each row shows its name and keeps its bytes.
void FillList(QListWidget* list, const std::vector<std::string>& names) {
  list->setUpdatesEnabled(false);
  list->clear();
  for (const std::string& name : names) {
    auto* item = new QListWidgetItem(FromPath(name), list);
    item->setData(Qt::UserRole, QByteArray::fromStdString(name));
  }
  list->setUpdatesEnabled(true);
}

// Counts a handler as running while it is, also when it throws.
class Running {
 public:
  explicit Running(int& count) : count_(count) { ++count_; }
  ~Running() { --count_; }
  Running(const Running&) = delete;
  Running& operator=(const Running&) = delete;

 private:
  int& count_;
};

}  // namespace

QPoint FittedPosition(const QRect& available, const QSize& outer, const QPoint& wanted) {
  QPoint at = wanted;
  if (at.x() + outer.width() > available.x() + available.width())
    at.setX(available.x() + available.width() - outer.width());
  if (at.y() + outer.height() > available.y() + available.height())
    at.setY(available.y() + available.height() - outer.height());
  at.setX(std::max(at.x(), available.x()));
  at.setY(std::max(at.y(), available.y()));
  return at;
}

QString FromCp1251(std::string_view text) {
  return QString::fromStdString(Cp1251ToUtf8(text));
}

QString FromPath(std::string_view path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string ToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

ComtradeWindow::ComtradeWindow(TFComtrade& form) : form_(form) {
  setWindowTitle(FromCp1251(text::kWindowCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  PlaceOnScreen();
  QPalette aqua = palette();
  aqua.setColor(QPalette::Window, kAqua);
  aqua.setColor(QPalette::Highlight, kHighlight);
  aqua.setColor(QPalette::HighlightedText, kHighlightedText);
  setPalette(aqua);
  setAutoFillBackground(true);
  setCursor(Qt::PointingHandCursor);
  setFont(WindowFont(kFontPixels, true, true));

  // In the order the window declares them.
  close_button_ = Button(this, "CloseButton", text::kCloseButton, {248, 448, 97, 33});
  close_button_->setFont(WindowFont(kFontPixels, false, false));
  auto* dis_box = GroupBox(this, "DISGroupBox", text::kDISGroupBox, {0, 192, 585, 161});
  dis_button_ = Button(dis_box, "DISButton", text::kDISButton, {8, 32, 113, 41});
  auto* anl_box = GroupBox(this, "ANLGroupBox", text::kANLGroupBox, {0, 16, 585, 153});
  flh_button_ = Button(anl_box, "FLHButton", text::kFLHButton, {8, 24, 113, 41});
  convert_anl_button_ =
      Button(anl_box, "ConvertANLButton", text::kConvertButton, {424, 72, 153, 41});
  convert_dis_button_ =
      Button(dis_box, "ConvertDISButton", text::kConvertButton, {424, 80, 153, 41});
  sovmest_button_ = Button(this, "SovmestButton", text::kSovmestButton, {0, 368, 153, 41});
  sovmest_button_->setFont(WindowFont(kFontPixels, true, false));
  name_label_ = Label(anl_box, "NameLabel", {128, 32, 132, 25});
  name_label_->setFont(WindowFont(kNameFontPixels, false, false));
  date_label_ = Label(anl_box, "DateLabel", {272, 32, 166, 20});
  auto* tip_velk_label = Label(anl_box, "TipVELKLabel", {448, 32, 85, 20});
  SetCaption(tip_velk_label, text::kTipVELKLabel, 85);
  tip_label_ = Label(anl_box, "TipLabel", {544, 32, 21, 20});
  date_label_dis_ = Label(dis_box, "DateLabelDIS", {264, 32, 166, 20});
  list1_ = FileListWidget(anl_box, "FileListBox1", {8, 72, 409, 65});
  list2_ = FileListWidget(dis_box, "FileListBox2", {8, 80, 409, 65});

  // Tab order: the window's controls, each group box's in its own order.
  setTabOrder(close_button_, dis_button_);
  setTabOrder(dis_button_, convert_dis_button_);
  setTabOrder(convert_dis_button_, list2_);
  setTabOrder(list2_, flh_button_);
  setTabOrder(flh_button_, convert_anl_button_);
  setTabOrder(convert_anl_button_, list1_);
  setTabOrder(list1_, sovmest_button_);

  auto* focus_style = new FocusFrameStyle;
  focus_style->setParent(this);
  for (QPushButton* button : {close_button_, dis_button_, flh_button_, convert_anl_button_,
                              convert_dis_button_, sovmest_button_})
    button->setStyle(focus_style);

  connect(close_button_, &QPushButton::clicked, this,
          [this] { Run(&TFComtrade::CloseButtonClick); });
  connect(flh_button_, &QPushButton::clicked, this, [this] { Run(&TFComtrade::FLHButtonClick); });
  connect(dis_button_, &QPushButton::clicked, this, [this] { Run(&TFComtrade::DISButtonClick); });
  connect(convert_anl_button_, &QPushButton::clicked, this,
          [this] { Run(&TFComtrade::ConvertANLButtonClick); });
  connect(convert_dis_button_, &QPushButton::clicked, this,
          [this] { Run(&TFComtrade::ConvertDISButtonClick); });
  connect(sovmest_button_, &QPushButton::clicked, this,
          [this] { Run(&TFComtrade::SovmestButtonClick); });
  connect(list1_, &QListWidget::currentRowChanged, this,
          [this](int row) { Selected(ListBox::kFileListBox1, row); });
  connect(list2_, &QListWidget::currentRowChanged, this,
          [this](int row) { Selected(ListBox::kFileListBox2, row); });
  // A click on the row already highlighted changes no row, yet the record
  // under it may have been rewritten: the click checks it again.
  for (QListWidget* list : {list1_, list2_}) {
    const ListBox box = list == list1_ ? ListBox::kFileListBox1 : ListBox::kFileListBox2;
    connect(list, &QListWidget::pressed, this, [this, box](const QModelIndex& index) {
      if (index.row() == pressed_row_) Selected(box, index.row());
    });
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }

  // Records copied into a shown folder or deleted from it appear and go
  // without a click.
  watcher_ = new QFileSystemWatcher(this);
  refresh_timer_ = new QTimer(this);
  refresh_timer_->setSingleShot(true);
  refresh_timer_->setInterval(kRefreshDelayMs);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
    if (!refresh_timer_->isActive()) refresh_timer_->start();
  });
  connect(refresh_timer_, &QTimer::timeout, this, [this] { RefreshLists(); });

  close_button_->setFocus();
  ShowState();
}

void ComtradeWindow::Run(void (TFComtrade::*handler)()) {
  TFComtrade& form = form_;
  Run([&form, handler] { (form.*handler)(); });
}

void ComtradeWindow::Run(const std::function<void()>& handler) {
  {
    const Running running(running_);
    handler();
  }
  ShowState();
}

// A row chosen by the user names its record; the view keeps no row as truth.
void ComtradeWindow::Selected(ListBox box, int row) {
  const std::vector<std::string>& drawn = box == ListBox::kFileListBox1 ? drawn1_ : drawn2_;
  if (row < 0 || static_cast<std::size_t>(row) >= drawn.size()) return;
  const std::string name = drawn[static_cast<std::size_t>(row)];
  Run([this, box, &name] { form_.ListClick(box, name); });
}

bool ComtradeWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (QListWidget* list : {list1_, list2_})
      if (watched == list->viewport()) pressed_row_ = list->currentRow();
    return QWidget::eventFilter(watched, event);
  }
  if (event->type() != QEvent::KeyPress || (watched != list1_ && watched != list2_))
    return QWidget::eventFilter(watched, event);
  // The character the key types, as the list's key-press handler receives it.
  const auto* key_event = static_cast<QKeyEvent*>(event);
  char key = 0;
  if (key_event->key() == Qt::Key_Return || key_event->key() == Qt::Key_Enter) {
    key = '\r';
  } else if (key_event->text().size() == 1 && key_event->text()[0].unicode() < 0x80) {
    key = static_cast<char>(key_event->text()[0].unicode());
  } else {
    return false;
  }
  Run([this, watched, &key] {
    if (watched == list1_)
      form_.FileListBox1KeyPress(key);
    else
      form_.FileListBox2KeyPress(key);
  });
  return key == 0;  // a key replaced by 0 is swallowed
}

// The list draws the logic's names, filled again only when they changed so
// that the user's place in the list stays, and highlights the logic's
// selected name.
void ComtradeWindow::ShowList(ListBox box) {
  const FileList& state = form_.List(box);
  QListWidget* list = List(box);
  std::vector<std::string>& drawn = box == ListBox::kFileListBox1 ? drawn1_ : drawn2_;
  const QSignalBlocker quiet(list);  // showing the state is no choice of the user
  if (drawn != state.names) {
    drawn = state.names;
    FillList(list, drawn);
  }
  const int selected = state.SelectedRow();
  const bool shown = selected < 0
                         ? list->currentRow() < 0 && list->selectedItems().isEmpty()
                         : list->currentRow() == selected && list->item(selected)->isSelected();
  if (!shown) list->setCurrentRow(selected);
}

void ComtradeWindow::RefreshLists() {
  if (running_ > 0) {  // the handler under way keeps the records it took
    refresh_timer_->start();
    return;
  }
  if (form_.RefreshLists())
    ShowState();
  else
    WatchFolders();
}

void ComtradeWindow::WatchFolders() {
  QStringList wanted;
  for (const ListBox box : {ListBox::kFileListBox1, ListBox::kFileListBox2}) {
    const QString folder = FromPath(form_.List(box).folder);
    if (!folder.isEmpty() && !wanted.contains(folder)) wanted << folder;
  }
  const QStringList watched = watcher_->directories();
  for (const QString& folder : watched)
    if (!wanted.contains(folder)) watcher_->removePath(folder);
  for (const QString& folder : wanted)
    if (!watched.contains(folder) && QFileInfo(folder).isDir()) watcher_->addPath(folder);
}

bool ComtradeWindow::event(QEvent* event) {
  // Back at the window, the user sees the folders as they are now.
  if (event->type() == QEvent::WindowActivate) RefreshLists();
  return QWidget::event(event);
}

// At the window's place where it fits on its screen; elsewhere, where the
// whole window fits. The window manager's frame counts once it is known.
void ComtradeWindow::PlaceOnScreen() {
  QScreen* screen = QGuiApplication::screenAt(QPoint(kLeft, kTop));
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    move(kLeft, kTop);
    return;
  }
  const QRect frame = frameGeometry(), client = geometry();
  const QMargins margins =
      frame == client ? kAssumedFrame
                      : QMargins(client.left() - frame.left(), client.top() - frame.top(),
                                 frame.right() - client.right(), frame.bottom() - client.bottom());
  move(FittedPosition(screen->availableGeometry(), size().grownBy(margins), {kLeft, kTop}));
}

void ComtradeWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!placed_ && frameGeometry() != geometry()) PlaceOnScreen();
  placed_ = true;
}

void ComtradeWindow::ShowState() {
  const WindowControls& c = form_.controls;
  SetCaption(name_label_, c.NameLabel, 132);
  SetCaption(date_label_, c.DateLabel, 166);
  SetCaption(tip_label_, c.TipLabel, 21);
  SetCaption(date_label_dis_, c.DateLabelDIS, 166);
  convert_anl_button_->setEnabled(c.ConvertANLButton);
  convert_dis_button_->setEnabled(c.ConvertDISButton);
  sovmest_button_->setEnabled(c.SovmestButton);
  ShowList(ListBox::kFileListBox1);
  ShowList(ListBox::kFileListBox2);
  WatchFolders();
}

void ComtradeWindow::RestoreAndRaise() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace velk
