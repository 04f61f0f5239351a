// The Qt window as a user meets it, offscreen: what it shows at start, what a
// click in a list shows, a disabled button, Enter in a list, and the real
// message box and save dialog.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "app/qt/comtrade_window.h"
#include "app/qt/qt_ui.h"
#include "tests/qt/wait.h"
#include "tests/support/fakes.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

struct WindowView : ::testing::Test {
  void SetUp() override {
    FlhRecord record;
    record.moment_bcd = {0x24, 0x07, 0x15, 0x09, 0x05, 0x30};
    record.Name("ПС Север");
    WriteFile(f.system.current_directory + "b.flh", record.Ramp(2).Bytes());
    WriteFile(f.system.current_directory + "A.FLH", "damaged");
    WriteFile(f.system.current_directory + "x.txt", Cp("// 15 07 09:05:30\r\n\\\\ Пуск\r\n"));
    f.form.RestoreLastFolders();
    window = std::make_unique<ComtradeWindow>(f.form);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  template <typename Widget>
  Widget* Find(const char* name) const {
    auto* widget = window->findChild<Widget*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString Text(const char* label) const { return Find<QLabel>(label)->text(); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  void ClickRow(ListBox box, int row) const {
    QListWidget* list = window->List(box);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
  }

  FormFixture f;
  std::unique_ptr<ComtradeWindow> window;
};

QStringList Names(const QListWidget* list) {
  QStringList names;
  for (int row = 0; row < list->count(); ++row) names << list->item(row)->text();
  return names;
}

TEST_F(WindowView, StartsWithTheCaptionsSizesAndStatesOfItsComponents) {
  EXPECT_EQ(window->windowTitle(), "COMTRADE конвертер для ВЕЛК");
  EXPECT_EQ(window->size(), QSize(587, 494));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());  // cannot be resized
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0, 255, 255));
  EXPECT_EQ(window->cursor().shape(), Qt::PointingHandCursor);

  EXPECT_EQ(Find<QGroupBox>("ANLGroupBox")->title(), " Аналоговый регистратор ");
  EXPECT_EQ(Find<QGroupBox>("DISGroupBox")->geometry(), QRect(0, 192, 585, 161));
  EXPECT_EQ(Button("FLHButton")->text(), "FLH файл");
  EXPECT_EQ(Button("DISButton")->text(), "Дискр файл");
  EXPECT_EQ(Button("SovmestButton")->text(), "Совместить");
  EXPECT_EQ(Button("CloseButton")->geometry(), QRect(248, 448, 97, 33));
  EXPECT_EQ(Button("ConvertANLButton")->geometry(), QRect(424, 72, 153, 41));
  for (const char* name : {"ConvertANLButton", "ConvertDISButton", "SovmestButton"})
    EXPECT_FALSE(Button(name)->isEnabled()) << name;
  EXPECT_EQ(Text("TipVELKLabel"), "Тип ВЕЛК");
  EXPECT_EQ(Text("TipLabel"), "--");
  EXPECT_EQ(Text("DateLabel"), "");

  // Cyrillic captions have glyphs: a font without them draws empty boxes.
  const QFont font = Button("ConvertANLButton")->font();
  EXPECT_FALSE(QFontInfo(font).family().isEmpty());
  EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x0416)));  // Ж
  EXPECT_TRUE(font.bold());
  EXPECT_LE(QFontMetrics(font).horizontalAdvance("Конвертировать"), 153 - 8);

  // The lists show the working directory's records in any case, by name.
  EXPECT_EQ(Names(window->List(ListBox::kFileListBox1)), QStringList({"A.FLH", "b.flh"}));
  EXPECT_EQ(Names(window->List(ListBox::kFileListBox2)), QStringList({"x.txt"}));

  // Tab order: the close button, the discrete controls, the analog ones.
  QStringList order;
  QWidget* at = Button("CloseButton");
  for (int i = 0; i < 8; ++i, at = at->nextInFocusChain()) {
    while (at->focusPolicy() == Qt::NoFocus || at->objectName().isEmpty())
      at = at->nextInFocusChain();
    order << at->objectName();
  }
  EXPECT_EQ(order, QStringList({"CloseButton", "DISButton", "ConvertDISButton", "FileListBox2",
                                "FLHButton", "ConvertANLButton", "FileListBox1", "SovmestButton"}));
}

TEST_F(WindowView, ClickingARecordShowsWhatItsCheckRead) {
  ClickRow(ListBox::kFileListBox1, 1);
  EXPECT_EQ(Text("NameLabel").trimmed(), "ПС Север");
  EXPECT_EQ(Text("DateLabel"), "15.07.2024 09:05:30");
  EXPECT_EQ(Text("TipLabel"), "60");
  EXPECT_TRUE(Button("ConvertANLButton")->isEnabled());
  EXPECT_FALSE(Button("SovmestButton")->isEnabled());

  ClickRow(ListBox::kFileListBox2, 0);
  EXPECT_EQ(Text("DateLabelDIS"), "15.07.???? 09:05:30");
  EXPECT_TRUE(Button("SovmestButton")->isEnabled());

  ClickRow(ListBox::kFileListBox1, 0);  // the damaged record
  EXPECT_EQ(Text("DateLabel"), "Поврежден");
  EXPECT_EQ(Text("TipLabel"), "--");
  EXPECT_FALSE(Button("ConvertANLButton")->isEnabled());
  EXPECT_FALSE(Button("SovmestButton")->isEnabled());
  // The label grew to show its whole text, from where it stands.
  EXPECT_EQ(Find<QLabel>("DateLabel")->x(), 272);
}

TEST_F(WindowView, DisabledButtonTakesNoClickAndEnterInItsListDoesNothing) {
  QListWidget* list = window->List(ListBox::kFileListBox1);
  QTest::mouseClick(Button("ConvertANLButton"), Qt::LeftButton);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_TRUE(f.ui.save_dialogs.empty());

  ClickRow(ListBox::kFileListBox1, 1);
  QTest::mouseClick(Button("ConvertANLButton"), Qt::LeftButton);
  EXPECT_EQ(f.ui.save_dialogs.size(), 1u);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(f.ui.save_dialogs.size(), 2u);
  EXPECT_EQ(list->currentRow(), 1);  // Enter moved nothing
}

// Closes the modal widget that appears with check, or rejects whatever is
// still open after a while so that a missed dialog cannot hang the test.
void WhenModal(const std::function<void(QWidget*)>& check) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, check] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      poll->stop();
      poll->deleteLater();
      check(modal);
    }
  });
  poll->start(20);
  QTimer::singleShot(15000, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
}

TEST_F(WindowView, RealBoxesAndDialogsSpeakRussianAndTakeTheLogicsOptions) {
  QtUi ui;
  ui.Attach(window.get());
  QStringList buttons;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    icon = box->icon();
    for (QAbstractButton* button : box->buttons()) buttons << button->text().remove('&');
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(ui.QuestionBox(Cp("Файл уже существует. Перезаписать?")), Answer::kNo);
  EXPECT_EQ(icon, QMessageBox::Information);
  buttons.sort();
  EXPECT_EQ(buttons, QStringList({"Да", "Нет"}));

  bool asks_itself = true;
  QString suffix, folder, filter;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    asks_itself = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    suffix = dialog->defaultSuffix();
    folder = dialog->directory().absolutePath();
    filter = dialog->selectedNameFilter();
    dialog->reject();
  });
  const auto chosen = ui.SaveDialog(
      {Cp("COMTRADE файлы (*.cfg)|*.CFG"), "cfg", f.system.current_directory, "sample_anl.cfg"});
  EXPECT_FALSE(chosen.has_value());
  EXPECT_FALSE(asks_itself);
  EXPECT_EQ(suffix, "cfg");
  EXPECT_EQ(folder + "/", QString::fromStdString(f.system.current_directory));
  EXPECT_EQ(filter, "COMTRADE файлы (*.cfg)");
}

}  // namespace
}  // namespace velk::testing
