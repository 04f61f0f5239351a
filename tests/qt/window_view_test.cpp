// The Qt window as a user meets it, offscreen: what it shows at start, what a
// click in a list shows, a disabled button, Enter in a list, and the real
// message box and save dialog.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <functional>
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
    // Keys and focus reach the window that is active, as at a desktop.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
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
  EXPECT_EQ(window->ClientArea()->size(), QSize(587, 494));  // below the menu bar
  EXPECT_EQ(window->minimumSize(), window->maximumSize());   // cannot be resized
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(window->ClientArea()->palette().color(QPalette::Window), QColor(0, 255, 255));
  EXPECT_EQ(window->ClientArea()->cursor().shape(), Qt::PointingHandCursor);

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

TEST_F(WindowView, SaveDialogForAMissingOutputFolderOpensInTheNearestFolderThatExists) {
  // The output folders beside the program are never made by it.
  QtUi ui;
  ui.Attach(window.get());
  QString folder;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    folder = dialog->directory().absolutePath();
    dialog->reject();
  });
  ui.SaveDialog({Cp("COMTRADE файлы (*.cfg)|*.CFG"), "cfg", f.dir / "comtrade_anl/deeper/",
                 "sample_anl.cfg"});
  EXPECT_EQ(folder + "/", QString::fromStdString(f.dir.Folder()));
}

// ---- the lists follow their folders ----

QString CurrentName(const QListWidget* list) {
  const QListWidgetItem* item = list->currentItem();
  return item != nullptr && item->isSelected() ? item->text() : QString();
}

TEST_F(WindowView, ARecordCopiedIntoTheShownFolderAppearsWithoutAClick) {
  QListWidget* list = window->List(ListBox::kFileListBox1);
  ClickRow(ListBox::kFileListBox1, 1);
  ASSERT_EQ(CurrentName(list), "b.flh");

  // Sorts before the highlighted record: the rows move, the highlight stays.
  WriteFile(f.system.current_directory + "0.flh", "");
  ASSERT_TRUE(WaitFor([&] { return list->count() == 3; }));
  EXPECT_EQ(Names(list), QStringList({"0.flh", "A.FLH", "b.flh"}));
  EXPECT_EQ(CurrentName(list), "b.flh");
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_EQ(Text("DateLabel"), "15.07.2024 09:05:30");
  EXPECT_TRUE(Button("ConvertANLButton")->isEnabled());

  // What is highlighted is what is converted.
  QTest::mouseClick(Button("ConvertANLButton"), Qt::LeftButton);
  ASSERT_EQ(f.ui.save_dialogs.size(), 1u);

  // The highlighted record deleted: nothing is highlighted, and the labels
  // say that no record is there.
  std::filesystem::remove(f.system.current_directory + "b.flh");
  ASSERT_TRUE(WaitFor([&] { return list->count() == 2; }));
  EXPECT_EQ(CurrentName(list), "");
  EXPECT_TRUE(list->selectedItems().isEmpty());
  EXPECT_EQ(Text("DateLabel"), "Не найден");
  EXPECT_EQ(Text("TipLabel"), "--");
  EXPECT_FALSE(Button("ConvertANLButton")->isEnabled());
  EXPECT_FALSE(Button("SovmestButton")->isEnabled());
}

TEST_F(WindowView, ComingBackToTheWindowShowsTheFoldersAsTheyAreNow) {
  QListWidget* list = window->List(ListBox::kFileListBox2);
  WriteFile(f.system.current_directory + "y.txt", "");
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(window.get(), &activate);
  EXPECT_EQ(Names(list), QStringList({"x.txt", "y.txt"}));  // at once, not when the watcher says
}

// A user interface whose save dialog lets a record be copied in while it is open.
struct DialogWhileCopying : RecordingUi {
  std::optional<std::string> SaveDialog(const FileDialogOptions& options) override {
    if (while_open) while_open();
    return RecordingUi::SaveDialog(options);
  }
  std::function<void()> while_open;
};

TEST(WindowViewWhileBusy, ListsAreReadAgainOnlyOnceTheHandlerIsOver) {
  FormFixture f;
  DialogWhileCopying ui;
  TFComtrade form(ui, f.system);
  const std::string folder = f.system.current_directory;
  WriteFile(folder + "b.flh", FlhRecord().Ramp(2).Bytes());
  form.RestoreLastFolders();
  ComtradeWindow window(form);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QListWidget* list = window.List(ListBox::kFileListBox1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(0)).center());
  int rows_while_open = -1;
  ui.while_open = [&] {
    WriteFile(folder + "a.flh", "");
    window.RefreshLists();  // as the folder watcher would, in the dialog's own loop
    rows_while_open = list->count();
    QTest::qWait(2 * 150);
  };
  QTest::mouseClick(window.findChild<QPushButton*>("ConvertANLButton"), Qt::LeftButton);
  EXPECT_EQ(rows_while_open, 1);
  EXPECT_TRUE(WaitFor([&] { return list->count() == 2; }));
  EXPECT_EQ(CurrentName(list), "b.flh");
}

TEST_F(WindowView, ARecordNamedInBytesThatAreNoTextIsCheckedByItsOwnName) {
  // A name in code page 1251, as a device's own software writes it: the row
  // cannot show it as text, yet a click must reach that very file.
  const std::string name = Cp("запись.flh");
  FlhRecord record;
  record.moment_bcd = {0x24, 0x01, 0x02, 0x03, 0x04, 0x05};
  WriteFile(f.system.current_directory + name, record.Ramp(2).Bytes());
  QListWidget* list = window->List(ListBox::kFileListBox1);
  ASSERT_TRUE(WaitFor([&] { return list->count() == 3; }));
  ClickRow(ListBox::kFileListBox1, 2);
  EXPECT_EQ(f.form.controls.FileListBox1.selected_name, name);
  EXPECT_EQ(Text("DateLabel"), "02.01.2024 03:04:05");
  EXPECT_TRUE(Button("ConvertANLButton")->isEnabled());
}

// ---- keyboard ----

TEST_F(WindowView, EnterPressesTheFocusedButton) {
  QPushButton* flh = Button("FLHButton");
  flh->setFocus();
  QTest::keyClick(flh, Qt::Key_Return);
  EXPECT_EQ(f.ui.open_dialogs.size(), 1u);
  QTest::keyClick(Button("DISButton"), Qt::Key_Enter);  // the keypad's Enter too
  EXPECT_EQ(f.ui.open_dialogs.size(), 2u);

  ClickRow(ListBox::kFileListBox1, 1);
  Button("ConvertANLButton")->setFocus();
  QTest::keyClick(Button("ConvertANLButton"), Qt::Key_Return);
  EXPECT_EQ(f.ui.save_dialogs.size(), 1u);
  EXPECT_TRUE(f.ui.errors.empty());  // and no message after it
}

// Pixels of a band a few pixels inside a widget's edge that taking the
// focus turned dark: a frame on its face, not only a darker edge against the
// aqua, nor the caption drawn anew.
int DarkenedByFocus(QWidget* widget, QWidget* elsewhere, int from, int to) {
  elsewhere->setFocus();
  const QImage plain = widget->grab().toImage();
  widget->setFocus();
  EXPECT_TRUE(widget->hasFocus());
  const QImage focused = widget->grab().toImage();
  EXPECT_EQ(plain.size(), focused.size());
  const auto in_band = [&](int x, int y) {
    const int from_edge = std::min({x, y, plain.width() - 1 - x, plain.height() - 1 - y});
    return from_edge >= from && from_edge <= to;
  };
  int dark = 0;
  for (int y = 0; y < plain.height(); ++y)
    for (int x = 0; x < plain.width(); ++x)
      if (in_band(x, y) && plain.pixel(x, y) != focused.pixel(x, y) &&
          qGray(focused.pixel(x, y)) < 64)
        ++dark;
  return dark;
}

TEST_F(WindowView, FocusFrameOfAButtonAndOfAListShowsOnTheAquaWindow) {
  QPushButton* button = Button("FLHButton");
  EXPECT_GT(DarkenedByFocus(button, Button("CloseButton"), 3, 6),
            (button->width() + button->height()) / 3);
  QListWidget* list = window->List(ListBox::kFileListBox1);
  EXPECT_GT(DarkenedByFocus(list, Button("CloseButton"), 1, 6),
            (list->width() + list->height()) / 3);
}

// «Совместить» follows a record chosen through the dialog as it follows a
// click, and a click on the highlighted row checks a record rewritten under it.
TEST_F(WindowView, LabelsAndSovmestFollowTheRecordsAsTheyAreNow) {
  ClickRow(ListBox::kFileListBox1, 1);
  ClickRow(ListBox::kFileListBox2, 0);
  ASSERT_TRUE(Button("SovmestButton")->isEnabled());

  FlhRecord other;
  other.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  const std::string path = f.system.current_directory + "c.flh";
  WriteFile(path, other.Ramp(2).Bytes());
  f.ui.open_answers.push_back(path);
  QTest::mouseClick(Button("FLHButton"), Qt::LeftButton);
  EXPECT_EQ(Text("DateLabel"), "13.02.2019 16:33:45");
  EXPECT_FALSE(Button("SovmestButton")->isEnabled());

  QListWidget* list = window->List(ListBox::kFileListBox1);
  ASSERT_EQ(CurrentName(list), "c.flh");
  WriteFile(path, "damaged");
  ClickRow(ListBox::kFileListBox1, list->currentRow());
  EXPECT_EQ(Text("DateLabel"), "Поврежден");
  EXPECT_FALSE(Button("ConvertANLButton")->isEnabled());
}

// A record copied over the highlighted one in place, as a download tool
// writes it: same name, new content, no click. The labels follow within a
// second of the copy's end, and «Конвертировать» converts what they show.
TEST_F(WindowView, ARecordCopiedOverTheHighlightedOneShowsWithoutAClick) {
  ClickRow(ListBox::kFileListBox1, 1);
  ClickRow(ListBox::kFileListBox2, 0);
  ASSERT_TRUE(Button("SovmestButton")->isEnabled());
  QTest::qWait(300);  // the folder watch is quiet again

  FlhRecord other;
  other.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  other.Name("ПС Восток");
  WriteFile(f.system.current_directory + "b.flh", other.Ramp(5).Bytes());
  EXPECT_TRUE(WaitFor([&] { return Text("DateLabel") == "13.02.2019 16:33:45"; }, 1000));
  EXPECT_EQ(Text("NameLabel").trimmed(), "ПС Восток");
  EXPECT_FALSE(Button("SovmestButton")->isEnabled());
  EXPECT_EQ(CurrentName(window->List(ListBox::kFileListBox1)), "b.flh");
}

TEST_F(WindowView, TabIntoAListHighlightsTheSelectedRecordAndChoosesNone) {
  QListWidget* list2 = window->List(ListBox::kFileListBox2);
  Button("DISButton")->setFocus();
  QTest::keyClick(Button("DISButton"), Qt::Key_Tab);  // past the disabled convert button
  ASSERT_TRUE(list2->hasFocus());
  EXPECT_EQ(list2->currentRow(), -1);
  EXPECT_EQ(Text("DateLabelDIS"), "");  // nothing checked behind the user's back
  QTest::keyClick(list2, Qt::Key_Down);
  EXPECT_EQ(CurrentName(list2), "x.txt");  // the first Down takes the first record
  EXPECT_EQ(Text("DateLabelDIS"), "15.07.???? 09:05:30");

  QListWidget* list1 = window->List(ListBox::kFileListBox1);
  ClickRow(ListBox::kFileListBox1, 1);
  Button("ConvertANLButton")->setFocus();
  QTest::keyClick(Button("ConvertANLButton"), Qt::Key_Tab);
  ASSERT_TRUE(list1->hasFocus());
  EXPECT_EQ(CurrentName(list1), "b.flh");
  QTest::keyClick(list1, Qt::Key_Up);
  EXPECT_EQ(CurrentName(list1), "A.FLH");
  EXPECT_EQ(f.form.controls.FileListBox1.selected_name, "A.FLH");
  EXPECT_EQ(Text("DateLabel"), "Поврежден");
}

// ---- on the screen ----

TEST_F(WindowView, TheWholeWindowIsOnItsScreen) {
  const QRect available = window->screen()->availableGeometry();
  EXPECT_TRUE(available.contains(window->frameGeometry()))
      << available.width() << "x" << available.height();
}

}  // namespace
}  // namespace velk::testing
