// «Преобразовать папку…» and drops on the main window as a user meets them,
// offscreen: the dialog from the menu, Ctrl+Shift+O and a dropped folder, a
// run started with Enter through its progress window to the summary and the
// COMTRADE pairs it wrote, «Отмена» in the progress window, and records and
// other files dragged onto the window. The system's folder dialog and file
// manager are stood in for.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/qt/comtrade_window.h"
#include "app/texts.h"
#include "tests/qt/wait.h"
#include "tests/support/fakes.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

QWidget* Shown(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == name && widget->isVisible()) return widget;
  return nullptr;
}

// The window of that name once it is shown; null when it is not within 10 s.
QWidget* OpenWindow(const char* name) {
  WaitFor([name] { return Shown(name) != nullptr; });
  return Shown(name);
}

bool Closed(const char* name) {
  return WaitFor([name] { return Shown(name) == nullptr; });
}

QPushButton* ButtonIn(QWidget* window, std::string_view caption) {
  for (QPushButton* button : window->findChildren<QPushButton*>())
    if (button->text() == FromCp1251(caption)) return button;
  return nullptr;
}

QLineEdit* Field(QWidget* dialog, const char* name) {
  return dialog->findChild<QLineEdit*>(name);
}

void Type(QWidget* dialog, const char* name, const std::string& folder) {
  Field(dialog, name)->selectAll();
  QTest::keyClicks(Field(dialog, name), FromPath(folder));
}

// The COMTRADE pairs of folder by their .cfg files, sorted.
std::vector<std::string> CfgNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder)))
    if (entry.path().extension() == ".cfg") names.push_back(PathText(entry.path().filename()));
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
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  QWidget* OpenDialogFromMenu() const {
    window->MenuBar()->actions().value(0)->menu()->actions().value(1)->trigger();
    return OpenWindow("FolderDialog");
  }
  bool ConvertButtonsEnabled() const {
    bool all = true;
    for (const char* name : {"ConvertANLButton", "ConvertDISButton", "SovmestButton"})
      all = all && window->findChild<QPushButton*>(name)->isEnabled();
    return all;
  }
  // The text of the summary window once it is shown.
  static QString SummaryShown() {
    QWidget* summary = OpenWindow("FolderSummary");
    return summary == nullptr ? "" : summary->findChild<QPlainTextEdit*>()->toPlainText();
  }
  static void CloseSummary() {
    QTest::mouseClick(ButtonIn(Shown("FolderSummary"), text::kCloseSummaryButton), Qt::LeftButton);
    EXPECT_TRUE(Closed("FolderSummary"));
  }
  // Drags paths over the first list and drops them there when the window
  // takes them; true when it took them.
  bool Drag(const std::vector<std::string>& paths) const {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(FromPath(path));
    data.setUrls(urls);
    QWidget* over = window->List(ListBox::kFileListBox1)->viewport();
    QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(over, &enter);
    QDropEvent dropped({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(over, &dropped);
    return enter.isAccepted();
  }

  FormFixture f;
  std::unique_ptr<ComtradeWindow> window;
  std::string chosen_folder;
  QString browsed_from;
  QStringList opened_folders;
};

TEST_F(FolderView, MenuAndDropsOpenTheDialogOrChooseRecordsOrAreRefused) {
  const std::string records = f.system.current_directory;
  QWidget* dialog = OpenDialogFromMenu();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Преобразовать папку");
  EXPECT_EQ(Field(dialog, "RecordsFolder")->text(), FromPath(records));
  EXPECT_EQ(Field(dialog, "OutputFolder")->text(), FromPath(f.system.executable_folder));
  for (const QCheckBox* box : dialog->findChildren<QCheckBox*>()) EXPECT_FALSE(box->isChecked());
  QPushButton* start = ButtonIn(dialog, text::kStartButton);
  EXPECT_TRUE(start->isDefault());
  // «…» opens the system's dialog at the field's folder, and the folder
  // chosen there is ended as the logic's folders are; «Начать» waits for
  // both folders.
  chosen_folder = f.dir / "chosen";
  QTest::mouseClick(ButtonIn(dialog, text::kBrowseButton), Qt::LeftButton);
  EXPECT_EQ(browsed_from, FromPath(records));
  EXPECT_EQ(Field(dialog, "RecordsFolder")->text(), FromPath(chosen_folder + "/"));
  Field(dialog, "OutputFolder")->clear();
  EXPECT_FALSE(start->isEnabled());
  QTest::mouseClick(ButtonIn(dialog, text::kCancelButton), Qt::LeftButton);
  ASSERT_TRUE(Closed("FolderDialog"));

  // Records dropped from elsewhere are chosen, each in its list; a drag with
  // any other file is refused; a dropped folder opens the dialog over it.
  const TempDir elsewhere;
  for (const auto& [name, bytes] : ExampleRecords())
    if (name.starts_with("feeder")) WriteFile(elsewhere / name, bytes);
  WriteFile(f.dir / "notes.doc", "notes");
  EXPECT_FALSE(Drag({elsewhere / "feeder_type60.flh", f.dir / "notes.doc"}));
  ASSERT_TRUE(Drag({elsewhere / "feeder_type60.flh", elsewhere / "feeder_type60.txt"}));
  EXPECT_EQ(f.form.List(ListBox::kFileListBox2).folder, elsewhere.Folder());
  EXPECT_EQ(window->List(ListBox::kFileListBox1)->currentItem()->text(), "feeder_type60.flh");
  EXPECT_EQ(window->List(ListBox::kFileListBox2)->currentItem()->text(), "feeder_type60.txt");
  EXPECT_TRUE(ConvertButtonsEnabled());  // both checked: «Совместить» too
  ASSERT_TRUE(Drag({f.dir / "working"}));
  dialog = OpenWindow("FolderDialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Field(dialog, "RecordsFolder")->text(), FromPath(records));
  QTest::keyClick(dialog, Qt::Key_Escape);
}

// A program the user may not write beside: the dialog offers the user's own
// output folder, where the window's conversions write too.
TEST_F(FolderView, TheDialogOffersTheUsersOwnOutputFolder) {
  f.system.executable_folder_writable = false;
  f.system.documents_folder = f.dir / "docs/";
  f.form.RestoreLastFolders();
  QWidget* dialog = OpenDialogFromMenu();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Field(dialog, "OutputFolder")->text(), FromPath(f.dir / "docs/velk-comtrade/"));
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(Closed("FolderDialog"));
}

TEST_F(FolderView, ShortcutAndEnterRunTheFolderToItsSummaryAndPairsWhileTheButtonsWait) {
  f.form.ListClick(ListBox::kFileListBox1, "feeder_type60.flh");
  f.form.ListClick(ListBox::kFileListBox2, "feeder_type60.txt");
  window->ShowState();
  ASSERT_TRUE(ConvertButtonsEnabled());
  window->activateWindow();
  QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
  QWidget* dialog = OpenWindow("FolderDialog");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Field(dialog, "RecordsFolder")->text(), FromPath(f.system.current_directory));
  const std::string out = f.dir / "out/";
  Type(dialog, "OutputFolder", f.dir / "out");  // no separator at its end

  QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(ConvertButtonsEnabled());  // until the run is seen to end
  QWidget* progress = Shown("FolderProgress");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->windowTitle(), "Преобразование папки");
  EXPECT_FALSE(progress->isModal());

  const QString summary = SummaryShown();
  EXPECT_TRUE(summary.startsWith(
      "Папка записей (records folder): " + FromPath(f.system.current_directory) + "\n"));
  EXPECT_TRUE(summary.contains("damaged.flh"));
  EXPECT_TRUE(Closed("FolderProgress"));
  EXPECT_TRUE(ConvertButtonsEnabled());
  QWidget* window_shown = Shown("FolderSummary");
  EXPECT_EQ(window_shown->windowTitle(), "Итог преобразования папки");
  const auto* text = window_shown->findChild<QPlainTextEdit*>();
  EXPECT_TRUE(text->isReadOnly() && (text->textInteractionFlags() & Qt::TextSelectableByMouse));
  using Names = std::vector<std::string>;
  const Names feeder = {"feeder_type60.cfg", "feeder_type60ASCII.cfg"};
  EXPECT_EQ(CfgNames(out + "comtrade_anl"),
            Names({"feeder_type60.cfg", "feeder_type60ASCII.cfg", "other.cfg", "otherASCII.cfg"}));
  EXPECT_EQ(CfgNames(out + "comtrade_dis"), feeder);
  EXPECT_EQ(CfgNames(out + "comtrade_uni"), feeder);

  QTest::mouseClick(ButtonIn(window_shown, text::kCopyButton), Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), summary);
  QTest::mouseClick(ButtonIn(window_shown, text::kOpenOutputButton), Qt::LeftButton);
  EXPECT_EQ(opened_folders, QStringList({FromPath(out)}));
  CloseSummary();
  EXPECT_EQ(f.form.PollFolderConversion().status.state, FolderConversion::State::kIdle);
}

TEST_F(FolderView, CancelInTheProgressWindowStopsTheRunAndTheNextRunConvertsTheRest) {
  const TempDir records, out;
  constexpr std::size_t kRecords = 300;
  for (std::size_t i = 0; i < kRecords; ++i)
    WriteFile(records / ("r" + std::to_string(1000 + i) + ".flh"), FlhRecord().Ramp(40).Bytes());
  const auto start = [&] {
    QWidget* dialog = OpenDialogFromMenu();
    Type(dialog, "RecordsFolder", records.Folder());
    Type(dialog, "OutputFolder", out.Folder());
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
  };

  start();
  QTest::mouseClick(ButtonIn(Shown("FolderProgress"), text::kCancelButton), Qt::LeftButton);
  EXPECT_TRUE(SummaryShown().contains("Отменено"));
  EXPECT_LT(CfgNames(out / "comtrade_anl").size(), 2 * kRecords);  // BINARY and ASCII
  CloseSummary();

  start();
  EXPECT_FALSE(SummaryShown().contains("Отменено"));
  EXPECT_EQ(CfgNames(out / "comtrade_anl").size(), 2 * kRecords);
}

}  // namespace
}  // namespace velk::testing
