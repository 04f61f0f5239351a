#include "app/qt/comtrade_window.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QSignalBlocker>
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

QPushButton* Button(QWidget* parent, const char* name, std::string_view caption, QRect at) {
  auto* button = new QPushButton(FromCp1251(caption), parent);
  button->setObjectName(name);
  button->setGeometry(at);
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

QListWidget* FileListWidget(QWidget* parent, const char* name, QRect at) {
  auto* list = new QListWidget(parent);
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

}  // namespace

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
  move(kLeft, kTop);
  QPalette aqua = palette();
  aqua.setColor(QPalette::Window, kAqua);
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
  connect(list1_, &QListWidget::currentRowChanged, this, [this](int row) {
    Selected(list1_, form_.controls.FileListBox1, row, &TFComtrade::FileListBox1Click);
  });
  connect(list2_, &QListWidget::currentRowChanged, this, [this](int row) {
    Selected(list2_, form_.controls.FileListBox2, row, &TFComtrade::FileListBox2Click);
  });
  list1_->installEventFilter(this);
  list2_->installEventFilter(this);
  close_button_->setFocus();
  ShowState();
}

void ComtradeWindow::Run(void (TFComtrade::*handler)()) {
  (form_.*handler)();
  ShowState();
}

void ComtradeWindow::Selected(QListWidget* list, FileList& state, int row,
                              void (TFComtrade::*click)()) {
  const QListWidgetItem* item = list->item(row);
  state.selected_name = item ? item->data(Qt::UserRole).toByteArray().toStdString() : "";
  Run(click);
}

bool ComtradeWindow::eventFilter(QObject* watched, QEvent* event) {
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
  if (watched == list1_)
    form_.FileListBox1KeyPress(key);
  else
    form_.FileListBox2KeyPress(key);
  ShowState();
  return key == 0;  // a key replaced by 0 is swallowed
}

// The list is filled again only when its folder holds other records than it
// shows, so that the user's place in a list that has not changed stays.
void ComtradeWindow::ShowList(const FileList& state, std::string_view mask, QListWidget* list) {
  const QSignalBlocker quiet(list);  // showing the state is no choice of the user
  const std::vector<std::string> names = ListFolder(state.folder, mask);
  bool same = static_cast<qsizetype>(names.size()) == list->count();
  for (int row = 0; same && row < list->count(); ++row)
    same = list->item(row)->data(Qt::UserRole).toByteArray().toStdString() ==
           names[static_cast<std::size_t>(row)];
  if (!same) {
    list->clear();
    for (const std::string& name : names) {
      auto* item = new QListWidgetItem(FromPath(name), list);
      item->setData(Qt::UserRole, QByteArray::fromStdString(name));
    }
  }
  int selected = -1;
  for (int row = 0; row < list->count() && !state.selected_name.empty(); ++row) {
    if (list->item(row)->data(Qt::UserRole).toByteArray().toStdString() == state.selected_name)
      selected = row;
  }
  if (list->currentRow() != selected) list->setCurrentRow(selected);
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
  ShowList(c.FileListBox1, kAnalogRecordMask, list1_);
  ShowList(c.FileListBox2, kDiscreteRecordMask, list2_);
}

void ComtradeWindow::RestoreAndRaise() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace velk
