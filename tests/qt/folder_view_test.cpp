// «Преобразовать папку…» and drops on the main window as a user meets them,
// offscreen: the dialog from the menu and from Ctrl+Shift+O, a run started
// with Enter through its progress window to the summary and the COMTRADE pairs
// it wrote, «Отмена» in the progress window, and records, folders and other
// files dragged onto the window. The system's folder dialog and file manager
// are stood in for.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/qt/comtrade_window.h"
#include "app/texts.h"
#include "comtrade/cp1251.h"
#include "tests/qt/wait.h"
#include "tests/support/fakes.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// The visible window of that name, once it is open; null after 10 s.
QWidget* OpenWindow(const char* name) {
  QWidget* found = nullptr;
  WaitFor([&] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == name && widget->isVisible()) found = widget;
    return found != nullptr;
  });
  return found;
}

bool Closed(const char* name) {
  return WaitFor([name] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == name && widget->isVisible()) return false;
    return true;
  });
}

QPushButton* ButtonIn(QWidget* window, std::string_view caption) {
  for (QPushButton* button : window->findChildren<QPushButton*>())
    if (button->text() == FromCp1251(caption)) return button;
  ADD_FAILURE() << "no button " << Cp1251ToUtf8(caption);
  return nullptr;
}

QString FieldText(QWidget* dialog, const char* name) {
  return dialog->findChild<QLineEdit*>(name)->text();
}

void Type(QWidget* dialog, const char* name, const std::string& folder) {
  auto* field = dialog->findChild<QLineEdit*>(name);
  field->selectAll();
  QTest::keyClicks(field, FromPath(folder));
}

// The names of the COMTRADE pairs in folder whose data file is there too.
std::vector<std::string> CfgNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder))) {
    std::filesystem::path dat = entry.path();
    if (dat.extension() == ".cfg" && std::filesystem::exists(dat.replace_extension(".dat")))
      names.push_back(PathText(entry.path().filename()));
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct FolderView : ::testing::Test {
  void SetUp() override {
    // The feeder's analog and discrete records of one moment, an analog
    // record of another moment, and a damaged one.
    for (const auto& [name, bytes] : ExampleRecords())
      if (name.starts_with("feeder")) WriteFile(f.system.current_directory + name, bytes);
    WriteFile(f.system.current_directory + "other.flh", FlhRecord().Ramp(40).Bytes());
    WriteFile(f.system.current_directory + "damaged.flh", "damaged");
    f.form.RestoreLastFolders();
    window = std::make_unique<ComtradeWindow>(f.form);
    window->Folders().SetDesktop({[this](QWidget*, const QString& start) {
                                    browsed_from = start;
                                    return FromPath(chosen_folder);
                                  },
                                  [this](const QString& folder) { opened_folders << folder; }});
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  QAction* FolderItem() const {
    return window->MenuBar()->actions().value(0)->menu()->actions().value(0);
  }
  QWidget* OpenDialogByShortcut() const {
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    return OpenWindow("FolderDialog");
  }
  bool ConvertButtonsEnabled() const {
    bool all = true;
    for (const char* name : {"ConvertANLButton", "ConvertDISButton", "SovmestButton"})
      all = all && window->findChild<QPushButton*>(name)->isEnabled();
    return all;
  }
  void ClickRow(ListBox box, const char* name) const {
    QListWidget* list = window->List(box);
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {},
        list->visualItemRect(list->findItems(name, Qt::MatchExactly).value(0)).center());
  }
  // Starts the run in the open dialog with Enter; returns its summary text
  // once the summary window shows it.
  QString RunToSummary(QWidget* dialog) const {
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
    QWidget* summary = OpenWindow("FolderSummary");
    return summary == nullptr ? QString() : summary->findChild<QPlainTextEdit*>()->toPlainText();
  }
  void CloseSummary() const {
    QTest::mouseClick(ButtonIn(OpenWindow("FolderSummary"), text::kCloseSummaryButton),
                      Qt::LeftButton);
    EXPECT_TRUE(Closed("FolderSummary"));
  }
  // Sends a drag of paths onto the first list and, when dropped, the drop;
  // true when the window took the drag.
  bool Drag(const std::vector<std::string>& paths, bool drop) const {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(FromPath(path));
    data.setUrls(urls);
    QWidget* over = window->List(ListBox::kFileListBox1)->viewport();
    const QPoint at = over->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(over, &enter);
    if (!enter.isAccepted() || !drop) return enter.isAccepted();
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(over, &dropped);
    return true;
  }

  FormFixture f;
  std::unique_ptr<ComtradeWindow> window;
  std::string chosen_folder;
  QString browsed_from;
  QStringList opened_folders;
};

TEST_F(FolderView, MenuAndShortcutOpenTheDialogWithTheLogicsFolders) {
  const FolderChoices expected = f.form.FolderChoicesFor();
  ASSERT_TRUE(FolderItem()->isEnabled());
  FolderItem()->trigger();
  QWidget* dialog = OpenWindow("FolderDialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(static_cast<QDialog*>(dialog)->isModal());
  EXPECT_EQ(dialog->windowTitle(), "Преобразовать папку");
  EXPECT_EQ(FieldText(dialog, "RecordsFolder"), FromPath(f.system.current_directory));
  EXPECT_EQ(FieldText(dialog, "OutputFolder"), FromPath(expected.output_folder));
  for (const QCheckBox* box : dialog->findChildren<QCheckBox*>()) EXPECT_FALSE(box->isChecked());
  QPushButton* start = ButtonIn(dialog, text::kStartButton);
  EXPECT_TRUE(start->isDefault());

  // «…» opens the system's dialog at the field's folder and puts the folder
  // chosen there into the field, ended as the logic's folders are; «Начать»
  // waits for both folders.
  chosen_folder = f.dir / "chosen";
  QTest::mouseClick(ButtonIn(dialog, text::kBrowseButton), Qt::LeftButton);
  EXPECT_EQ(browsed_from, FromPath(f.system.current_directory));
  EXPECT_EQ(FieldText(dialog, "RecordsFolder"), FromPath(chosen_folder + "/"));
  EXPECT_TRUE(start->isEnabled());
  dialog->findChild<QLineEdit*>("OutputFolder")->clear();
  EXPECT_FALSE(start->isEnabled());
  QTest::mouseClick(ButtonIn(dialog, text::kCancelButton), Qt::LeftButton);
  ASSERT_TRUE(Closed("FolderDialog"));
  EXPECT_EQ(f.form.folder_conversion().Poll().state, FolderConversion::State::kIdle);

  dialog = OpenDialogByShortcut();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FieldText(dialog, "RecordsFolder"), FromPath(f.system.current_directory));
  EXPECT_EQ(FieldText(dialog, "OutputFolder"), FromPath(expected.output_folder));
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(Closed("FolderDialog"));
}

TEST_F(FolderView, EnterRunsTheFolderToItsSummaryAndThePairsWhileTheButtonsWait) {
  ClickRow(ListBox::kFileListBox1, "feeder_type60.flh");
  ClickRow(ListBox::kFileListBox2, "feeder_type60.txt");
  ASSERT_TRUE(ConvertButtonsEnabled());
  QWidget* dialog = OpenDialogByShortcut();
  ASSERT_NE(dialog, nullptr);
  const std::string out = f.dir / "out/";
  Type(dialog, "OutputFolder", f.dir / "out");  // no separator at its end

  QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(ConvertButtonsEnabled());  // until the run is seen to end
  QWidget* progress = OpenWindow("FolderProgress");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->windowTitle(), "Преобразование папки");
  EXPECT_FALSE(progress->isModal());

  QWidget* summary = OpenWindow("FolderSummary");
  ASSERT_NE(summary, nullptr);
  EXPECT_TRUE(Closed("FolderProgress"));
  EXPECT_EQ(summary->windowTitle(), "Итог преобразования папки");
  const auto* text = summary->findChild<QPlainTextEdit*>();
  EXPECT_TRUE(text->isReadOnly());
  EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_EQ(text->toPlainText(), QString::fromStdString(f.form.folder_conversion().SummaryText()));
  EXPECT_TRUE(text->toPlainText().contains("damaged.flh"));
  EXPECT_EQ(f.form.folder_conversion().choices().output_folder, out);
  EXPECT_TRUE(ConvertButtonsEnabled());
  using Names = std::vector<std::string>;
  const Names feeder = {"feeder_type60.cfg", "feeder_type60ASCII.cfg"};
  EXPECT_EQ(CfgNames(out + "comtrade_anl"),
            Names({"feeder_type60.cfg", "feeder_type60ASCII.cfg", "other.cfg", "otherASCII.cfg"}));
  EXPECT_EQ(CfgNames(out + "comtrade_dis"), feeder);
  EXPECT_EQ(CfgNames(out + "comtrade_uni"), feeder);

  QTest::mouseClick(ButtonIn(summary, text::kCopyButton), Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), text->toPlainText());
  QTest::mouseClick(ButtonIn(summary, text::kOpenOutputButton), Qt::LeftButton);
  EXPECT_EQ(opened_folders, QStringList({FromPath(out)}));
  CloseSummary();
  EXPECT_EQ(f.form.folder_conversion().Poll().state, FolderConversion::State::kIdle);
}

TEST_F(FolderView, CancelInTheProgressWindowStopsTheRunAndTheNextRunConvertsTheRest) {
  const TempDir records;
  constexpr int kRecords = 300;
  for (int i = 0; i < kRecords; ++i)
    WriteFile(records / ("r" + std::to_string(1000 + i) + ".flh"), FlhRecord().Ramp(40).Bytes());
  const TempDir out;
  const auto start = [&] {
    FolderItem()->trigger();
    QWidget* dialog = OpenWindow("FolderDialog");
    EXPECT_NE(dialog, nullptr);
    Type(dialog, "RecordsFolder", records.Folder());
    Type(dialog, "OutputFolder", out.Folder());
    return dialog;
  };

  QTest::keyClick(start()->focusWidget(), Qt::Key_Return);
  QWidget* progress = OpenWindow("FolderProgress");
  ASSERT_NE(progress, nullptr);
  QTest::mouseClick(ButtonIn(progress, text::kCancelButton), Qt::LeftButton);
  QWidget* summary = OpenWindow("FolderSummary");
  ASSERT_NE(summary, nullptr);
  EXPECT_TRUE(summary->findChild<QPlainTextEdit*>()->toPlainText().contains("Отменено"));
  const std::size_t pairs = 2 * kRecords;  // BINARY and ASCII
  EXPECT_LT(CfgNames(out / "comtrade_anl").size(), pairs);
  CloseSummary();

  const QString second = RunToSummary(start());
  EXPECT_FALSE(second.contains("Отменено")) << second.toStdString();
  EXPECT_EQ(CfgNames(out / "comtrade_anl").size(), pairs);
}

TEST_F(FolderView, DroppedRecordsAreChosenAFolderOpensTheDialogAndOtherFilesAreRefused) {
  const TempDir elsewhere;
  for (const auto& [name, bytes] : ExampleRecords())
    if (name.starts_with("feeder")) WriteFile(elsewhere / name, bytes);
  WriteFile(elsewhere / "notes.doc", "notes");

  EXPECT_FALSE(Drag({elsewhere / "notes.doc"}, false));
  EXPECT_FALSE(Drag({elsewhere / "feeder_type60.flh", elsewhere / "notes.doc"}, false));

  ASSERT_TRUE(Drag({elsewhere / "feeder_type60.flh", elsewhere / "feeder_type60.txt"}, true));
  for (const ListBox box : {ListBox::kFileListBox1, ListBox::kFileListBox2}) {
    const FileList& list = f.form.List(box);
    EXPECT_EQ(list.folder, elsewhere.Folder());
    EXPECT_EQ(window->List(box)->currentItem()->text(), FromPath(list.selected_name));
  }
  EXPECT_EQ(f.form.List(ListBox::kFileListBox1).selected_name, "feeder_type60.flh");
  EXPECT_EQ(f.form.List(ListBox::kFileListBox2).selected_name, "feeder_type60.txt");
  EXPECT_TRUE(ConvertButtonsEnabled());  // both records checked: «Совместить» too

  ASSERT_TRUE(Drag({f.dir / "working"}, true));
  QWidget* dialog = OpenWindow("FolderDialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FieldText(dialog, "RecordsFolder"), FromPath(f.dir / "working/"));
  QTest::keyClick(dialog, Qt::Key_Escape);
}

}  // namespace
}  // namespace velk::testing
