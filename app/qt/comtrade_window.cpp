#include "app/qt/comtrade_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/qt/output_dialog.h"
#include "app/qt/viewer_window.h"
#include "app/texts.h"
#include "app/view_layout.h"
#include "comtrade/cp1251.h"

namespace velk {
namespace {

// The window is drawn from the layout that the Windows view draws too, in
// pixels of the layout's own.
using layout::ControlSpec;
using layout::Face;
using layout::Kind;
const QColor kAqua(layout::kAqua.red, layout::kAqua.green, layout::kAqua.blue);
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
    const QString drawn_for = QString::fromLatin1(layout::kFontFamily);
    for (const QString& wanted :
         {drawn_for, QString("DejaVu Sans Condensed"), QString("DejaVu Sans")})
      if (installed.contains(wanted)) return wanted;
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

// A font wider than the one the layout was drawn for is narrowed as the
// layout says, so that no caption runs into its neighbour.
int WindowStretch() {
  static const int stretch = [] {
    const QString widest = QString::fromLatin1(layout::kWidestDate);
    const QFont font = PlainWindowFont(layout::kFontPixels, true, false);
    return layout::FittingStretch(layout::FindControl(layout::kDateLabel)->at.width,
                                  [&](int percent) {
                                    QFont narrowed = font;
                                    if (percent != 100) narrowed.setStretch(percent);
                                    return QFontMetrics(narrowed).horizontalAdvance(widest);
                                  });
  }();
  return stretch;
}

QFont WindowFont(int pixels, bool bold, bool italic) {
  QFont font = PlainWindowFont(pixels, bold, italic);
  if (WindowStretch() != 100) font.setStretch(WindowStretch());
  return font;
}

// The font of a control's face in the layout.
QFont FaceFont(Face face) {
  switch (face) {
    case Face::kRegular:
      return WindowFont(layout::kFontPixels, false, false);
    case Face::kName:
      return WindowFont(layout::kNameFontPixels, false, false);
    case Face::kBold:
      break;
  }
  return WindowFont(layout::kFontPixels, true, false);
}

QRect RectOf(const layout::Box& at) {
  return {at.left, at.top, at.width, at.height};
}

class RowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), layout::kListRowHeight};
  }
};

// Enter presses a button that has the keyboard focus, as Space does.
QPushButton* Button(QWidget* parent, const ControlSpec& entry) {
  auto* button = new QPushButton(FromCp1251(entry.caption), parent);
  button->setAutoDefault(true);
  return button;
}

QGroupBox* GroupBox(QWidget* parent, const ControlSpec& entry) {
  return new QGroupBox(FromCp1251(entry.caption), parent);
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

QListWidget* FileListWidget(QWidget* parent) {
  auto* list = new FileListView(parent);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setUniformItemSizes(true);
  list->setItemDelegate(new RowDelegate(list));
  return list;
}

// A label keeps its place and grows to the right to show its whole text, as
// a label that sizes itself to its caption does.
void SetCaption(QLabel* label, std::string_view text) {
  const int width = layout::FindControl(label->property("control").toInt())->at.width;
  label->setText(FromCp1251(text));
  label->resize(std::max(width, label->sizeHint().width()), label->height());
}

// A control of the layout in its parent, with its name, place and font.
QWidget* MakeControl(QWidget* parent, const ControlSpec& entry) {
  QWidget* control = nullptr;
  switch (entry.kind) {
    case Kind::kButton:
      control = Button(parent, entry);
      break;
    case Kind::kGroupBox:
      control = GroupBox(parent, entry);
      break;
    case Kind::kLabel:
      control = new QLabel(parent);
      break;
    case Kind::kFileList:
      control = FileListWidget(parent);
      break;
  }
  control->setObjectName(QString::fromLatin1(entry.name));
  control->setProperty("control", entry.id);
  control->setGeometry(RectOf(entry.at));
  control->setFont(FaceFont(entry.face));
  if (auto* label = qobject_cast<QLabel*>(control)) SetCaption(label, entry.caption);
  return control;
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

// The files a drag carries, as the file system names them; none when any of
// them is no local file.
std::vector<std::string> DroppedPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths.push_back(ToPath(url.toLocalFile()));
  }
  return paths;
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

ComtradeWindow::ComtradeWindow(TFComtrade& form) : form_(form) {
  setWindowTitle(FromCp1251(text::kWindowCaption));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The client area keeps its size; the menu bar stands above it and the
  // window grows by the bar's height.
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  client_->setFixedSize(layout::kClientWidth, layout::kClientHeight);
  menu_bar_ = MakeMenuBar();
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->setSpacing(0);
  frame->setSizeConstraint(QLayout::SetFixedSize);
  frame->setMenuBar(menu_bar_);
  frame->addWidget(client_);
  frame->activate();
  PlaceOnScreen();
  QPalette aqua = client_->palette();
  aqua.setColor(QPalette::Window, kAqua);
  aqua.setColor(QPalette::Highlight, kHighlight);
  aqua.setColor(QPalette::HighlightedText, kHighlightedText);
  client_->setPalette(aqua);
  client_->setAutoFillBackground(true);
  client_->setCursor(Qt::PointingHandCursor);
  client_->setFont(WindowFont(layout::kFontPixels, true, true));

  // Every control of the layout, a group box before what it frames; the
  // layout's order is also the order Tab walks.
  std::map<int, QWidget*> made;
  QWidget* previous_focusable = nullptr;
  for (const ControlSpec& entry : layout::kControls) {
    QWidget* parent = entry.parent == layout::kNoParent ? client_ : made.at(entry.parent);
    QWidget* control = MakeControl(parent, entry);
    made[entry.id] = control;
    if (entry.kind != Kind::kButton && entry.kind != Kind::kFileList) continue;
    if (previous_focusable != nullptr) setTabOrder(previous_focusable, control);
    previous_focusable = control;
  }
  const auto button_of = [&made](int id) { return static_cast<QPushButton*>(made.at(id)); };
  const auto label_of = [&made](int id) { return static_cast<QLabel*>(made.at(id)); };
  close_button_ = button_of(layout::kCloseButton);
  dis_button_ = button_of(layout::kDISButton);
  flh_button_ = button_of(layout::kFLHButton);
  convert_anl_button_ = button_of(layout::kConvertANLButton);
  convert_dis_button_ = button_of(layout::kConvertDISButton);
  sovmest_button_ = button_of(layout::kSovmestButton);
  name_label_ = label_of(layout::kNameLabel);
  date_label_ = label_of(layout::kDateLabel);
  tip_label_ = label_of(layout::kTipLabel);
  date_label_dis_ = label_of(layout::kDateLabelDIS);
  list1_ = static_cast<QListWidget*>(made.at(layout::kFileListBox1));
  list2_ = static_cast<QListWidget*>(made.at(layout::kFileListBox2));

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
    connect(list, &QListWidget::doubleClicked, this, [this, box] { OpenViewer(box); });
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

  // A record copied over a highlighted one changes no name in its folder: the
  // logic looks at the highlighted records' stamps on a timer of their own,
  // not while a handler keeps the records it took.
  auto* selected_timer = new QTimer(this);
  selected_timer->setInterval(kSelectedPollMs);
  connect(selected_timer, &QTimer::timeout, this, [this] {
    if (running_ == 0 && form_.RefreshSelected()) ShowState();
  });
  selected_timer->start();

  folder_run_ = new FolderRun(form_, this, [this] { ShowState(); });
  setAcceptDrops(true);
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
  QScreen* screen = QGuiApplication::screenAt(QPoint(layout::kWindowLeft, layout::kWindowTop));
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    move(layout::kWindowLeft, layout::kWindowTop);
    return;
  }
  const QRect frame = frameGeometry(), client = geometry();
  const QMargins margins =
      frame == client ? kAssumedFrame
                      : QMargins(client.left() - frame.left(), client.top() - frame.top(),
                                 frame.right() - client.right(), frame.bottom() - client.bottom());
  const QRect work = screen->availableGeometry();
  const QSize outer = size().grownBy(margins);
  const layout::Point at =
      layout::PlaceOnWorkArea({work.x(), work.y(), work.width(), work.height()}, outer.width(),
                              outer.height(), {layout::kWindowLeft, layout::kWindowTop});
  move(at.x, at.y);
}

void ComtradeWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!placed_ && frameGeometry() != geometry()) PlaceOnScreen();
  placed_ = true;
}

void ComtradeWindow::ShowState() {
  const WindowControls& c = form_.controls;
  setWindowTitle(FromCp1251(form_.Caption()));
  SetCaption(name_label_, c.NameLabel);
  SetCaption(date_label_, c.DateLabel);
  SetCaption(tip_label_, c.TipLabel);
  SetCaption(date_label_dis_, c.DateLabelDIS);
  convert_anl_button_->setEnabled(c.ConvertANLShown());
  convert_dis_button_->setEnabled(c.ConvertDISShown());
  sovmest_button_->setEnabled(c.SovmestShown());
  ShowList(ListBox::kFileListBox1);
  ShowList(ListBox::kFileListBox2);
  WatchFolders();
}

QMenuBar* ComtradeWindow::MakeMenuBar() {
  auto* bar = new QMenuBar(this);
  QMenu* file = bar->addMenu(FromCp1251(text::kFileMenu));
  QAction* open = file->addAction(FromCp1251(text::kOpenRecordItem));
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] {
    if (const auto path = AskRecordToOpen(this)) OpenHandedFile(*path);
  });
  QAction* folder = file->addAction(FromCp1251(text::kConvertFolderItem));
  folder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
  connect(folder, &QAction::triggered, this, [this] { folder_run_->OpenDialog(""); });
  file->addSeparator();
  QAction* exit = file->addAction(FromCp1251(text::kExitItem));
  connect(exit, &QAction::triggered, this, [this] { Run(&TFComtrade::CloseButtonClick); });

  QMenu* view = bar->addMenu(FromCp1251(text::kViewMenu));
  QAction* viewer = view->addAction(FromCp1251(text::kViewerItem));
  viewer->setShortcut(Qt::Key_F3);
  connect(viewer, &QAction::triggered, this, [this] { OpenViewer(FocusedList()); });

  QMenu* settings = bar->addMenu(FromCp1251(text::kSettingsMenu));
  QAction* output = settings->addAction(FromCp1251(text::kOutputFormItem));
  connect(output, &QAction::triggered, this, [this] {
    OutputDialog dialog(form_.output(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    Run([this, &dialog] { form_.SetOutput(dialog.Settings()); });
    setWindowTitle(FromCp1251(form_.Caption()));
  });

  QMenu* help = bar->addMenu(FromCp1251(text::kHelpMenu));
  QAction* about = help->addAction(FromCp1251(text::kAboutItem));
  connect(about, &QAction::triggered, this, [this] { ShowAbout(); });
  return bar;
}

// The window remembers its focused control while a menu is open or another
// window is in front.
ListBox ComtradeWindow::FocusedList() const {
  return focusWidget() == list2_ ? ListBox::kFileListBox2 : ListBox::kFileListBox1;
}

// The logic checks the records again (their labels show what they are now)
// and gives a viewer only over records that passed.
void ComtradeWindow::OpenViewer(ListBox box) {
  std::unique_ptr<RecordViewer> viewer;
  Run([this, box, &viewer] { viewer = form_.OpenViewer(box); });
  if (viewer == nullptr) return;
  auto* window = new ViewerWindow(std::move(viewer), this, RecordOpener());
  PlaceViewer(window);
  window->show();
}

ViewerWindow::OpenRecord ComtradeWindow::RecordOpener() {
  return [this](const std::string& path) { OpenHandedFile(path); };
}

// At its opening size where the screen has room, beside this window on its
// screen (right of it where it fits); each further viewer a step down from
// the one before, so that none hides another wholly.
void ComtradeWindow::PlaceViewer(QWidget* viewer) const {
  constexpr int kCascadeStep = 24;
  const QRect work = screen()->availableGeometry();
  const QSize frame(kAssumedFrame.left() + kAssumedFrame.right(),
                    kAssumedFrame.top() + kAssumedFrame.bottom());
  viewer->resize(ViewerWindow::kOpeningSize.boundedTo(work.size() - frame));
  const QSize outer = viewer->size() + frame;
  const QRect main = frameGeometry();
  const layout::Box area{work.x(), work.y(), work.width(), work.height()};
  layout::Point at = layout::PlaceBeside(area, {main.x(), main.y(), main.width(), main.height()},
                                         outer.width(), outer.height());
  const auto others = findChildren<ViewerWindow*>(QString(), Qt::FindDirectChildrenOnly);
  at.y += kCascadeStep * static_cast<int>((others.size() - 1) % 8);
  at = layout::PlaceOnWorkArea(area, outer.width(), outer.height(), at);
  viewer->move(at.x, at.y);
}

void ComtradeWindow::ShowAbout() {
  QMessageBox box(QMessageBox::Information, FromCp1251(text::kAboutTitle),
                  FromUtf8(form_.AboutText()), QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);  // a folder's name is shown as it is
  box.exec();
}

void ComtradeWindow::ConsiderDrag(QDragMoveEvent* event) {
  if (form_.DropKindOf(DroppedPaths(event->mimeData())) == TFComtrade::DropKind::kRefused)
    event->ignore();  // the cursor says no
  else
    event->acceptProposedAction();
}

void ComtradeWindow::dragEnterEvent(QDragEnterEvent* event) {
  ConsiderDrag(event);
}

void ComtradeWindow::dragMoveEvent(QDragMoveEvent* event) {
  ConsiderDrag(event);
}

// Dropped records are chosen as the record buttons choose them; a dropped
// folder opens «Преобразовать папку» over it; dropped COMTRADE records open a
// viewer each.
void ComtradeWindow::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = DroppedPaths(event->mimeData());
  if (form_.DropKindOf(paths) == TFComtrade::DropKind::kComtrade) {
    event->acceptProposedAction();
    for (const std::string& path : paths) OpenHandedFile(path);
    return;
  }
  std::string folder;
  Run([this, &paths, &folder] { folder = form_.Drop(paths); });
  event->acceptProposedAction();
  if (!folder.empty()) folder_run_->OpenDialog(folder);
}

void ComtradeWindow::RestoreAndRaise() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace velk
