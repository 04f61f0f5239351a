// The main window's logic without a toolkit: the last-folders file, choosing
// records, the combined conversion's enabling rule, Enter in a list, the save
// dialog with its overwrite question, and the answer to a second start.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "app/texts.h"
#include "cli/cli_run.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "tests/support/fakes.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

namespace fs = std::filesystem;

// An analog record whose start moment is the given BCD bytes: y m d h m s.
std::string Analog(std::array<std::uint8_t, 6> moment) {
  FlhRecord r;
  r.moment_bcd = moment;
  r.device_type = 60;
  return r.Ramp(3).Bytes();
}

// A discrete record that starts on 15.07 at 09:05:30, in code page 1251.
const std::string kDiscrete = Cp("// 15 07 09:05:30\r\n\\\\ Пуск\r\n");

struct WindowFixture : FormFixture {
  WindowFixture() { form.RestoreLastFolders(); }
  std::string Folder(const std::string& name) const {
    fs::create_directories(FsPath(dir / name));
    return dir / (name + "/");
  }
  // A click in a list on the file at path.
  void ClickAnalog(const std::string& path) {
    Select(form.controls.FileListBox1, path);
    CheckSelected(form, ListBox::kFileListBox1);
  }
  void ClickDiscrete(const std::string& path) {
    Select(form.controls.FileListBox2, path);
    CheckSelected(form, ListBox::kFileListBox2);
  }
  // A discrete record that passed its check at 15.07 09:05:30, set up
  // directly as its header check leaves it.
  void DiscreteChecked() {
    form.controls.ConvertDISButton = true;
    form.discrete = {"15", "07", "", "09", "05", "30"};
  }
};

// A form whose executable's folder holds a last-folders file with the given
// bytes, started the way the window program starts it.
struct StartFixture : FormFixture {
  explicit StartFixture(const std::string& file) {
    WriteFile(dir / "cmtrd.ddt", LastFoldersBytes(file));
    form.RestoreLastFolders();
  }
};

// ---- last-folders file at start ----

TEST(LastFoldersAtStart, NoFileLeavesListsOnWorkingDirectoryAndDialogsInExecutableFolder) {
  WindowFixture f;
  const std::string working = f.system.current_directory;
  EXPECT_EQ(f.form.controls.FileListBox1.folder, working);
  EXPECT_EQ(f.form.controls.FileListBox2.folder, working);
  EXPECT_EQ(f.form.paths.FolderANL, f.dir.Folder());
  EXPECT_EQ(f.form.paths.FolderDIS, f.dir.Folder());
  EXPECT_TRUE(f.system.entered.empty());

  f.form.FLHButtonClick();
  f.form.DISButtonClick();
  ASSERT_EQ(f.ui.open_dialogs.size(), 2u);
  EXPECT_EQ(f.ui.open_dialogs[0].initial_folder, f.dir.Folder());
  EXPECT_EQ(f.ui.open_dialogs[1].initial_folder, f.dir.Folder());
  EXPECT_FALSE(Exists(f.dir / "cmtrd.ddt"));  // cancelled dialogs write nothing
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(LastFoldersAtStart, PlainConstructorNeverReadsTheFile) {
  TempDir exe;
  const std::string rec = exe / "rec/";
  fs::create_directories(rec);
  WriteFile(exe / "cmtrd.ddt", rec + "\r\n" + rec + "\r\n");
  RecordingUi ui;
  FakeSystem system;
  system.executable_folder = exe.Folder();
  TFComtrade form(ui, system);
  EXPECT_EQ(form.paths.FolderANL, exe.Folder());
  EXPECT_EQ(form.paths.FolderDIS, exe.Folder());
  EXPECT_EQ(form.paths.OutPathANL, exe / "comtrade_anl/sample_anl.cfg");
  EXPECT_EQ(form.paths.OutPathUNI, exe / "comtrade_uni/sample_uni.cfg");
  EXPECT_TRUE(system.entered.empty());
}

TEST(LastFoldersAtStart, BothLinesBecomeTheFoldersAndTheListsShowThem) {
  TempDir other;
  const std::string anl = other / "анализ/";  // a Cyrillic folder name
  const std::string dis = other / "dis/";
  fs::create_directories(FsPath(anl));
  fs::create_directories(FsPath(dis));
  StartFixture f(anl + "\r\n" + dis + "\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, anl);
  EXPECT_EQ(f.form.paths.FolderDIS, dis);
  EXPECT_EQ(f.form.controls.FileListBox1.folder, anl);
  EXPECT_EQ(f.form.controls.FileListBox2.folder, dis);
  EXPECT_EQ(f.system.current_directory, dis);  // the last folder entered
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(LastFoldersAtStart, OneLineSetsTheAnalogFolderOnly) {
  TempDir other;
  StartFixture f(other.Folder() + "\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, other.Folder());
  EXPECT_EQ(f.form.paths.FolderDIS, f.dir.Folder());
  EXPECT_EQ(f.form.controls.FileListBox2.folder, f.dir.Folder());
}

TEST(LastFoldersAtStart, BlanksAndControlCharactersAroundAFolderAreTrimmed) {
  TempDir other;
  StartFixture f("  " + other.Folder() + "  \r\n\t" + other.Folder() + "\x01\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, other.Folder());
  EXPECT_EQ(f.form.paths.FolderDIS, other.Folder());
}

TEST(LastFoldersAtStart, FolderWithoutClosingSeparatorLosesItsLastComponent) {
  TempDir other;
  fs::create_directories(other / "rec");
  StartFixture f(other / "rec" + "\r\n" + other / "rec/" + "\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, other.Folder());
  EXPECT_EQ(f.form.paths.FolderDIS, other / "rec/");
}

TEST(LastFoldersAtStart, FolderThatNoLongerExistsFallsBackSilently) {
  TempDir other;
  StartFixture f(other / "gone/" + "\r\n" + "\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, f.dir.Folder());
  EXPECT_EQ(f.form.paths.FolderDIS, f.dir.Folder());
  EXPECT_EQ(f.form.controls.FileListBox1.folder, f.dir.Folder());
  EXPECT_TRUE(f.ui.errors.empty());
  // Each folder is checked by entering it, the analog one first.
  ASSERT_GE(f.system.entered.size(), 2u);
  EXPECT_EQ(f.system.entered[0], other / "gone/");
  EXPECT_EQ(f.system.entered[1], f.dir.Folder());
}

TEST(LastFoldersFile, ReadsLinesAsATextModeFileAndCutsThemAt199Characters) {
  FormFixture f;
  const std::string long_line(250, 'a');
  const std::string file = f.Put("cmtrd.ddt", long_line + "\r\nsecond\rstill\r\n");
  EXPECT_EQ(LastFoldersLine(file, 0), long_line.substr(0, 199));
  EXPECT_EQ(LastFoldersLine(file, 1), "second\rstill");  // a lone CR stays in the line

  f.Put("cmtrd.ddt", "first\r\n\x1Asecond\r\n");  // Ctrl-Z ends the file
  EXPECT_EQ(LastFoldersLine(file, 1), "");
  f.Put("cmtrd.ddt", "only");
  EXPECT_EQ(LastFoldersLine(file, 0), "only");
  EXPECT_EQ(LastFoldersLine(file, 1), "");
  EXPECT_EQ(LastFoldersLine(f.dir / "missing.ddt", 0), std::nullopt);
}

// ---- choosing records through the open dialogs ----

TEST(ChooseRecord, DiscreteRecordIsShownCheckedAndItsFolderRemembered) {
  WindowFixture f;
  const std::string dis = f.Folder("dis");
  const std::string record = dis + "rec.txt";
  WriteFile(record, kDiscrete);
  f.ui.open_answers.push_back(record);
  f.form.DISButtonClick();

  ASSERT_EQ(f.ui.open_dialogs.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8(f.ui.open_dialogs[0].filter), "Дискр файлы (*.txt)|*.TXT");
  EXPECT_EQ(f.ui.open_dialogs[0].default_extension, "txt");
  EXPECT_EQ(f.ui.open_dialogs[0].file_name, "");
  EXPECT_EQ(f.form.paths.FolderDIS, dis);
  EXPECT_EQ(f.form.controls.FileListBox2.folder, dis);
  EXPECT_EQ(f.form.controls.FileListBox2.selected_name, "rec.txt");
  EXPECT_EQ(f.system.current_directory, dis);
  EXPECT_EQ(f.ui.actions, std::vector<std::string>{"focus 2"});
  // The analog line keeps its current value: the executable's folder.
  EXPECT_EQ(ReadFile(f.dir / "cmtrd.ddt"),
            LastFoldersBytes(f.dir.Folder() + "\r\n" + dis + "\r\n"));
  EXPECT_EQ(f.form.controls.DateLabelDIS, "15.07.???? 09:05:30");
  EXPECT_TRUE(f.form.controls.ConvertDISButton);
}

TEST(ChooseRecord, AnalogRecordChosenByARelativePathIsExpandedAndChecked) {
  WindowFixture f;
  const std::string anl = f.Folder("working/anl");
  WriteFile(anl + "a.flh", Analog({0x12, 0x02, 0x13, 0x16, 0x33, 0x45}));
  f.ui.open_answers.push_back("anl/../anl/a.flh");
  f.form.FLHButtonClick();
  EXPECT_EQ(Cp1251ToUtf8(f.ui.open_dialogs[0].filter), "Аналог файлы (*.flh)|*.FLH");
  EXPECT_EQ(f.ui.open_dialogs[0].default_extension, "flh");
  EXPECT_EQ(f.form.paths.FolderANL, anl);
  EXPECT_EQ(f.form.controls.FileListBox1.SelectedFile(), anl + "a.flh");
  EXPECT_EQ(f.form.controls.DateLabel, "13.02.2012 16:33:45");
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
  EXPECT_EQ(ReadFile(f.dir / "cmtrd.ddt"),
            LastFoldersBytes(anl + "\r\n" + f.dir.Folder() + "\r\n"));

  // The next start of the program finds both folders again.
  FormFixture next;
  next.form.paths.LastFoldersPath = f.dir / "cmtrd.ddt";
  next.form.RestoreLastFolders();
  EXPECT_EQ(next.form.paths.FolderANL, anl);
  EXPECT_EQ(next.form.paths.FolderDIS, f.dir.Folder());
}

TEST(ChooseRecord, UnwritableLastFoldersFileIsReportedAndTheCheckStillRuns) {
  WindowFixture f;
  f.form.paths.LastFoldersPath = f.dir / "no-such-folder/cmtrd.ddt";
  WriteFile(f.dir / "a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30}));
  f.ui.open_answers.push_back(f.dir / "a.flh");
  f.form.FLHButtonClick();
  EXPECT_EQ(f.ui.errors, std::vector<std::string>{"Ошибка записи файла"});
  EXPECT_EQ(f.form.paths.FolderANL, f.dir.Folder());
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
}

// ---- the combined conversion's button ----

TEST(SovmestButton, EnabledWhenMonthDayAndTimeAgreeWhateverTheYear) {
  for (std::uint8_t year : std::array<std::uint8_t, 4>{0x24, 0x12, 0x99, 0x00}) {
    WindowFixture f;
    f.DiscreteChecked();
    f.ClickAnalog(f.Put("a.flh", Analog({year, 0x07, 0x15, 0x09, 0x05, 0x30})));
    EXPECT_TRUE(f.form.controls.SovmestButton) << "year byte " << int{year};
  }
}

TEST(SovmestButton, DisabledWhenAnyOfTheFiveFieldsDiffers) {
  const std::array<std::array<std::uint8_t, 6>, 5> differing = {{
      {0x24, 0x08, 0x15, 0x09, 0x05, 0x30},
      {0x24, 0x07, 0x16, 0x09, 0x05, 0x30},
      {0x24, 0x07, 0x15, 0x10, 0x05, 0x30},
      {0x24, 0x07, 0x15, 0x09, 0x06, 0x30},
      {0x24, 0x07, 0x15, 0x09, 0x05, 0x31},
  }};
  for (const auto& moment : differing) {
    WindowFixture f;
    f.DiscreteChecked();
    f.ClickAnalog(f.Put("a.flh", Analog(moment)));
    EXPECT_TRUE(f.form.controls.ConvertANLButton);
    EXPECT_FALSE(f.form.controls.SovmestButton);
  }
}

TEST(SovmestButton, NeedsBothChecksToHaveSucceeded) {
  WindowFixture f;
  f.ClickDiscrete(f.Put("rec.txt", kDiscrete));
  EXPECT_TRUE(f.form.controls.ConvertDISButton);
  EXPECT_FALSE(f.form.controls.SovmestButton);  // no analog record yet
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  EXPECT_TRUE(f.form.controls.SovmestButton);
  f.ClickAnalog(f.Put("bad.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30}) + "x"));
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
  EXPECT_FALSE(f.form.controls.SovmestButton);
}

// A record chosen through a dialog decides the button as a click does, in both
// directions: a pair of two different faults is never combined.
TEST(SovmestButton, DialogChoiceDecidesItAsAListClickDoes) {
  WindowFixture f;
  f.ClickDiscrete(f.Put("rec.txt", kDiscrete));
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  ASSERT_TRUE(f.form.controls.SovmestButton);

  // Another moment through «FLH файл»: the button goes.
  f.ui.open_answers.push_back(f.Put("other.flh", Analog({0x19, 0x02, 0x13, 0x16, 0x33, 0x45})));
  f.form.FLHButtonClick();
  EXPECT_EQ(f.form.controls.DateLabel, "13.02.2019 16:33:45");
  EXPECT_FALSE(f.form.controls.SovmestButton);

  // A discrete record of that moment through «Дискр файл»: the button comes.
  f.ui.open_answers.push_back(f.Put("match.txt", Cp("// 13 02 16:33:45\r\n\\\\ Пуск\r\n")));
  f.form.DISButtonClick();
  EXPECT_TRUE(f.form.controls.SovmestButton);
}

// ---- Enter in a list ----

TEST(EnterInList, IsSwallowedAndDoesNothingWhileTheButtonIsDisabled) {
  WindowFixture f;
  char key = 13;
  f.form.FileListBox1KeyPress(key);
  EXPECT_EQ(key, 0);
  key = 13;
  f.form.FileListBox2KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_TRUE(f.ui.save_dialogs.empty());
}

TEST(EnterInList, RunsTheConvertClickWhenEnabledAndLeavesOtherKeysAlone) {
  WindowFixture f;
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  char key = 'a';
  f.form.FileListBox1KeyPress(key);
  EXPECT_EQ(key, 'a');
  EXPECT_TRUE(f.ui.save_dialogs.empty());
  f.ui.save_answers.push_back(f.dir / "out.cfg");
  key = 13;
  f.form.FileListBox1KeyPress(key);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(f.ui.save_dialogs.size(), 1u);
  EXPECT_TRUE(Exists(f.dir / "out.dat"));
}

// ---- the save dialog of a convert button ----

TEST(ConvertClick, OffersTheDefaultPathAndConvertsIntoTheChosenOne) {
  WindowFixture f;
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  f.Folder("working/out");
  f.ui.save_answers.push_back("out/x.cfg");  // relative to the current directory
  f.form.ConvertANLButtonClick();
  ASSERT_EQ(f.ui.save_dialogs.size(), 1u);
  const FileDialogOptions& offered = f.ui.save_dialogs[0];
  EXPECT_EQ(Cp1251ToUtf8(offered.filter), "COMTRADE файлы (*.cfg)|*.CFG");
  EXPECT_EQ(offered.default_extension, "cfg");
  EXPECT_EQ(offered.initial_folder, f.dir / "comtrade_anl/");
  EXPECT_EQ(offered.file_name, "sample_anl.cfg");
  EXPECT_EQ(f.form.paths.OutPathANL, f.dir / "working/out/x.cfg");
  EXPECT_TRUE(Exists(f.dir / "working/out/xASCII.dat"));
  EXPECT_TRUE(f.ui.questions.empty());

  f.form.ConvertDISButtonClick();
  f.form.SovmestButtonClick();
  EXPECT_EQ(f.ui.save_dialogs[1].file_name, "sample_dis.cfg");
  EXPECT_EQ(f.ui.save_dialogs[2].initial_folder, f.dir / "comtrade_uni/");
  EXPECT_EQ(f.ui.save_dialogs[2].file_name, "sample_uni.cfg");
}

TEST(ConvertClick, NoShowsTheDialogAgainAndCancelKeepsTheRefusedPathForNextTime) {
  WindowFixture f;
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  const std::string refused = f.Put("old.cfg", "keep");
  f.ui.save_answers = {refused, std::nullopt};
  f.ui.answers = {Answer::kNo};
  f.form.ConvertANLButtonClick();
  EXPECT_EQ(f.ui.log, (std::vector<std::string>{"save", "question", "save"}));
  EXPECT_EQ(f.ui.questions, std::vector<std::string>{"Файл уже существует. Перезаписать?"});
  EXPECT_EQ(ReadFile(refused), "keep");
  EXPECT_FALSE(Exists(f.dir / "old.dat"));
  EXPECT_EQ(f.ui.save_dialogs[1].file_name, "old.cfg");  // shown again with the refused name

  f.form.ConvertANLButtonClick();
  EXPECT_EQ(f.ui.save_dialogs[2].initial_folder, f.dir.Folder());
  EXPECT_EQ(f.ui.save_dialogs[2].file_name, "old.cfg");
}

TEST(ConvertClick, YesReplacesTheExistingPair) {
  WindowFixture f;
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  f.Put("old.cfg", "keep");
  f.ui.save_answers = {f.dir / "old.cfg"};
  f.ui.answers = {Answer::kYes};
  f.form.ConvertANLButtonClick();
  EXPECT_EQ(f.ui.questions.size(), 1u);
  EXPECT_NE(ReadFile(f.dir / "old.cfg"), "keep");
  EXPECT_TRUE(Exists(f.dir / "oldASCII.cfg"));
}

TEST(ConvertClick, OnlyTheCfgFileIsAskedAbout) {
  WindowFixture f;
  f.ClickAnalog(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  f.Put("out.dat", "old data");
  f.ui.save_answers = {f.dir / "out.cfg"};
  f.form.ConvertANLButtonClick();
  EXPECT_TRUE(f.ui.questions.empty());
  EXPECT_TRUE(Exists(f.dir / "out.cfg"));
  EXPECT_NE(ReadFile(f.dir / "out.dat"), "old data");
}

// ---- the window itself ----

TEST(MainWindow, AnswersOnlyTheRaiseRequestAndOnlyWhileHooked) {
  WindowFixture f;
  EXPECT_FALSE(f.form.MainWindowHook("OnlyOneKalvenor"));  // before FormCreate
  f.form.FormCreate();
  EXPECT_FALSE(f.form.MainWindowHook("something else"));
  EXPECT_TRUE(f.form.MainWindowHook("OnlyOneKalvenor"));
  f.form.FormDestroy();
  EXPECT_FALSE(f.form.MainWindowHook("OnlyOneKalvenor"));
  EXPECT_EQ(f.ui.actions, std::vector<std::string>{"raise"});
  f.form.CloseButtonClick();
  EXPECT_EQ(f.ui.actions.back(), "close");
}

TEST(MainWindow, ListsShowMatchingOrdinaryFilesInAnyCaseSortedByName) {
  TempDir d;
  for (const char* name : {"b.flh", "A.FLH", "c.Flh", "a.flh.bak", "x.txt", ".flh", "Запись.flh"})
    WriteFile(d / name, "");
  fs::create_directories(d / "folder.flh");
  EXPECT_EQ(ListFolder(d.Folder(), "*.flh"),
            (std::vector<std::string>{".flh", "A.FLH", "b.flh", "c.Flh", "Запись.flh"}));
  EXPECT_EQ(ListFolder(d.Folder(), "*.txt"), std::vector<std::string>{"x.txt"});
  EXPECT_TRUE(ListFolder(d / "missing/", "*.flh").empty());
  EXPECT_TRUE(MatchesMask("rec.TXT", "*.txt"));
  EXPECT_TRUE(MatchesMask("a.b.txt", "*.txt"));
  EXPECT_FALSE(MatchesMask("rec.txt2", "*.txt"));
  EXPECT_TRUE(MatchesMask("r1.flh", "r?.flh"));
}

// ---- what a list shows: its folder's records and the selected name ----

// An analog record of a device type, with a start moment of its own.
std::string AnalogOfType(std::int8_t type, std::uint8_t second) {
  FlhRecord r;
  r.moment_bcd = {0x24, 0x07, 0x15, 0x09, 0x05, second};
  r.device_type = type;
  return r.Ramp(2).Bytes();
}

// A window over its own folder of records "rec/", shown in both lists, with
// d60.flh and rec.txt chosen through the dialogs.
struct ListFixture : WindowFixture {
  ListFixture() : rec(Folder("rec")) {
    WriteFile(rec + "b31.flh", AnalogOfType(31, 0x31));
    WriteFile(rec + "d60.flh", AnalogOfType(60, 0x30));
    WriteFile(rec + "rec.txt", kDiscrete);
    WriteFile(rec + "notes.doc", "");
    ui.open_answers = {rec + "d60.flh", rec + "rec.txt"};
    form.FLHButtonClick();
    form.DISButtonClick();
  }
  std::string rec;
};

using Names = std::vector<std::string>;

TEST(FileListState, RecordsAddedAndDeletedBetweenClicksKeepTheSelectionOnItsName) {
  ListFixture f;
  FileList& list = f.form.controls.FileListBox1;
  ASSERT_EQ(list.names, (Names{"b31.flh", "d60.flh"}));
  ASSERT_EQ(list.selected_name, "d60.flh");
  EXPECT_FALSE(f.form.RefreshLists());  // nothing new: nothing to draw

  WriteFile(f.rec + "a.flh", "");
  WriteFile(f.rec + "C.FLH", "");
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_EQ(list.names, (Names{"a.flh", "b31.flh", "C.FLH", "d60.flh"}));
  EXPECT_EQ(list.selected_name, "d60.flh");
  EXPECT_EQ(list.SelectedRow(), 3);
  EXPECT_EQ(f.form.controls.TipLabel, "60");
  EXPECT_TRUE(f.form.controls.ConvertANLButton);

  fs::remove(f.rec + "b31.flh");
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_EQ(list.SelectedRow(), 2);
  EXPECT_EQ(f.form.controls.TipLabel, "60");

  // The selected record goes: nothing is selected, and the labels say so as
  // a check of a record that cannot be opened does.
  fs::remove(f.rec + "d60.flh");
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_EQ(list.names, (Names{"a.flh", "C.FLH"}));
  EXPECT_EQ(list.selected_name, "");
  EXPECT_EQ(list.SelectedFile(), "");
  EXPECT_EQ(f.form.controls.NameLabel, "");
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "Не найден");
  EXPECT_EQ(f.form.controls.TipLabel, "--");
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
  EXPECT_FALSE(f.form.RefreshLists());

  // The other list is its own: it kept its record.
  EXPECT_EQ(f.form.controls.FileListBox2.selected_name, "rec.txt");
  EXPECT_TRUE(f.form.controls.ConvertDISButton);
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(FileListState, TheRecordClickedIsTheRecordCheckedAndConverted) {
  ListFixture f;
  // A record copied in sorts before the one clicked: the click names its
  // record, so the rows moving under it change nothing.
  WriteFile(f.rec + "a60.flh", AnalogOfType(60, 0x45));
  f.form.ListClick(ListBox::kFileListBox1, "b31.flh");
  EXPECT_EQ(f.form.controls.FileListBox1.selected_name, "b31.flh");
  EXPECT_EQ(f.form.controls.TipLabel, "31");
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_EQ(f.form.controls.FileListBox1.SelectedRow(), 1);

  f.ui.save_answers.push_back(f.dir / "out.cfg");
  f.form.ConvertANLButtonClick();
  const auto cfg = FileLines(f.dir / "out.cfg");
  ASSERT_GE(cfg.size(), 2u);
  // The start moment of the type-31 record, 09:05:31.
  EXPECT_NE(ReadFile(f.dir / "out.cfg").find("15/07/2024,09:05:31"), std::string::npos);

  // A click on a name that went meanwhile checks that name and finds nothing.
  fs::remove(f.rec + "a60.flh");
  f.form.ListClick(ListBox::kFileListBox1, "a60.flh");
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "Не найден");
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
}

TEST(FileListState, SovmestRuleRunsWhenARefreshDropsASelectedRecord) {
  ListFixture f;
  ASSERT_TRUE(f.form.controls.SovmestButton);  // d60.flh starts at 09:05:30 too

  // Records that come and go beside the selected ones decide nothing.
  WriteFile(f.rec + "new.txt", kDiscrete);
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_TRUE(f.form.controls.SovmestButton);

  fs::remove(f.rec + "rec.txt");
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "Не найден");
  EXPECT_FALSE(f.form.controls.ConvertDISButton);
  EXPECT_FALSE(f.form.controls.SovmestButton);
  EXPECT_EQ(f.form.controls.DateLabel, "15.07.2024 09:05:30");  // the analog side stays
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
}

// A record copied over the highlighted one is checked again when the list is
// read again, and a click on the highlighted row checks it too: the labels
// always tell what «Конвертировать» would convert.
TEST(FileListState, ARecordRewrittenInPlaceIsCheckedAgain) {
  ListFixture f;
  f.form.ListClick(ListBox::kFileListBox2, "rec.txt");
  ASSERT_TRUE(f.form.controls.SovmestButton);
  EXPECT_FALSE(f.form.RefreshLists());

  WriteFile(f.rec + "d60.flh", AnalogOfType(31, 0x31) + "x");  // damaged, another size
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "Поврежден");
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
  EXPECT_FALSE(f.form.controls.SovmestButton);
  EXPECT_FALSE(f.form.RefreshLists());  // checked once, not at every refresh

  // Mended under the same name: a click on the row that is still highlighted
  // checks it at once.
  WriteFile(f.rec + "d60.flh", AnalogOfType(60, 0x30));
  f.form.ListClick(ListBox::kFileListBox1, "d60.flh");
  EXPECT_EQ(f.form.controls.TipLabel, "60");
  EXPECT_TRUE(f.form.controls.SovmestButton);
}

// A record copied over the highlighted one in place, of the same size and
// with no click: the views' poll finds it by its time of change, and by its
// bytes where the copy kept the time of the record it replaced.
TEST(FileListState, ThePollFollowsARecordCopiedOverTheHighlightedOne) {
  ListFixture f;
  ASSERT_EQ(f.form.controls.TipLabel, "60");
  EXPECT_FALSE(f.form.RefreshSelected());  // nothing changed: nothing to draw

  const std::string d60 = f.rec + "d60.flh";
  const auto before = fs::last_write_time(FsPath(d60));
  WriteFile(d60, AnalogOfType(31, 0x31));
  fs::last_write_time(FsPath(d60), before + std::chrono::seconds(2));
  EXPECT_TRUE(f.form.RefreshSelected());
  EXPECT_EQ(f.form.controls.TipLabel, "31");
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "15.07.2024 09:05:31");
  EXPECT_FALSE(f.form.controls.SovmestButton);  // 09:05:31 is not the discrete record's moment
  EXPECT_FALSE(f.form.RefreshSelected());

  for (const auto& [name, bytes] :
       {std::pair{d60, AnalogOfType(60, 0x30)},
        std::pair{f.rec + "rec.txt", Cp("// 15 07 09:05:31\r\n\\\\ Пуск\r\n")}}) {
    const auto kept = fs::last_write_time(FsPath(name));
    WriteFile(name, bytes);
    fs::last_write_time(FsPath(name), kept);
    EXPECT_TRUE(f.form.RefreshSelected()) << name;
  }
  EXPECT_EQ(f.form.controls.TipLabel, "60");
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "15.07.???? 09:05:31");
  EXPECT_FALSE(f.form.RefreshSelected());

  // The highlighted discrete record deleted: its list drops it.
  fs::remove(f.rec + "rec.txt");
  EXPECT_TRUE(f.form.RefreshSelected());
  EXPECT_EQ(f.form.controls.FileListBox2.selected_name, "");
  EXPECT_FALSE(f.form.controls.ConvertDISButton);
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(FileListState, AFolderThatGoesEmptiesItsList) {
  ListFixture f;
  fs::remove_all(f.rec);
  EXPECT_TRUE(f.form.RefreshLists());
  EXPECT_TRUE(f.form.controls.FileListBox1.names.empty());
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
  EXPECT_TRUE(f.form.controls.FileListBox2.names.empty());
  EXPECT_FALSE(f.form.controls.ConvertDISButton);
  EXPECT_FALSE(f.form.RefreshLists());
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(FileListState, DialogChoiceSelectsOnlyWhatTheListShows) {
  WindowFixture f;
  const std::string rec = f.Folder("rec");
  WriteFile(rec + "Rec.flh", AnalogOfType(60, 0x30));
  WriteFile(rec + "rec.bin", AnalogOfType(60, 0x30));
  // A name typed in another case is the shown record of that name.
  f.ui.open_answers = {rec + "REC.FLH", rec + "rec.bin"};
  f.form.FLHButtonClick();
  EXPECT_EQ(f.form.controls.FileListBox1.names, Names{"Rec.flh"});
  EXPECT_EQ(f.form.controls.FileListBox1.selected_name, "Rec.flh");
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
  // A file the list does not show is not selected, so no record is checked.
  f.form.FLHButtonClick();
  EXPECT_EQ(f.form.controls.FileListBox1.selected_name, "");
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabel), "Не найден");
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
}

TEST(FileListState, ListsAtStartShowTheirFoldersWithNothingSelected) {
  WindowFixture f;  // no last-folders file: the working directory
  EXPECT_TRUE(f.form.controls.FileListBox1.names.empty());
  const std::string rec = f.Folder("rec");
  WriteFile(rec + "a.flh", "");
  WriteFile(rec + "a.txt", "");
  StartFixture g(rec + "\r\n" + rec + "\r\n");
  EXPECT_EQ(g.form.controls.FileListBox1.names, Names{"a.flh"});
  EXPECT_EQ(g.form.controls.FileListBox2.names, Names{"a.txt"});
  EXPECT_EQ(g.form.controls.FileListBox1.SelectedRow(), -1);
}

// ---- where the last-folders file lives ----

TEST(LastFoldersPlace, BesideTheExecutableWhileItsFolderTakesNewFiles) {
  WindowFixture f;
  EXPECT_EQ(f.form.paths.LastFoldersPath, f.dir / "cmtrd.ddt");
  f.ui.open_answers.push_back(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  f.form.FLHButtonClick();
  EXPECT_TRUE(Exists(f.dir / "cmtrd.ddt"));
  EXPECT_FALSE(Exists(f.dir / "config"));
}

TEST(LastFoldersPlace, UserConfigurationFolderWhenTheExecutablesFolderTakesNone) {
  FormFixture f;
  f.system.executable_folder_writable = false;
  f.form.RestoreLastFolders();
  EXPECT_EQ(f.form.paths.LastFoldersPath, f.dir / "config/cmtrd.ddt");
  const std::string dis = f.dir / "working/";
  f.ui.open_answers.push_back(dis + "rec.txt");
  WriteFile(dis + "rec.txt", kDiscrete);
  f.form.DISButtonClick();
  EXPECT_TRUE(f.ui.errors.empty());  // no "Ошибка записи файла"
  EXPECT_EQ(ReadFile(f.dir / "config/cmtrd.ddt"), f.dir.Folder() + "\r\n" + dis + "\r\n");
  EXPECT_FALSE(Exists(f.dir / "cmtrd.ddt"));

  // The next start reads it from there.
  FormFixture next;
  next.system.executable_folder = f.dir.Folder();
  next.system.config_folder = f.system.config_folder;
  next.system.executable_folder_writable = false;
  next.form.paths.LastFoldersPath = f.dir / "cmtrd.ddt";
  next.form.RestoreLastFolders();
  EXPECT_EQ(next.form.paths.FolderDIS, dis);
  EXPECT_EQ(next.form.controls.FileListBox2.folder, dis);
}

TEST(LastFoldersPlace, AFileBesideAReadOnlyExecutableIsReadUntilTheUserHasOwnOne) {
  TempDir other;
  FormFixture f;
  WriteFile(f.dir / "cmtrd.ddt", other.Folder() + "\r\n" + other.Folder() + "\r\n");
  f.system.executable_folder_writable = false;
  f.form.RestoreLastFolders();
  EXPECT_EQ(f.form.paths.FolderANL, other.Folder());
  EXPECT_EQ(f.form.paths.LastFoldersPath, f.dir / "config/cmtrd.ddt");

  // Once the user's own file exists, it wins.
  FormFixture g;
  g.system.executable_folder_writable = false;
  WriteFile(g.dir / "cmtrd.ddt", other.Folder() + "\r\n" + other.Folder() + "\r\n");
  fs::create_directories(g.dir / "config");
  WriteFile(g.dir / "config/cmtrd.ddt", g.dir / "working/" + "\r\n");
  g.form.RestoreLastFolders();
  EXPECT_EQ(g.form.paths.FolderANL, g.dir / "working/");
  EXPECT_EQ(g.form.paths.FolderDIS, g.dir.Folder());
}

// A program the user may not write beside, or one installed without output
// folders beside it: the save dialogs open in the user's own output folders,
// made when first needed, and a conversion writes there. The unpacked
// program, with its output folders, keeps them.
TEST(OutputFoldersPlace, UserDocumentsWhenTheProgramsFolderTakesNoFileOrHasNoOutputFolders) {
  FormFixture beside;
  beside.system.documents_folder = beside.dir / "docs/";
  fs::create_directories(beside.dir / "comtrade_uni");
  beside.form.RestoreLastFolders();
  EXPECT_EQ(beside.form.paths.OutPathANL, beside.dir / "comtrade_anl/sample_anl.cfg");

  FormFixture installed;
  installed.system.documents_folder = installed.dir / "docs/";
  installed.form.RestoreLastFolders();
  EXPECT_EQ(installed.form.paths.OutPathUNI,
            installed.dir / "docs/velk-comtrade/comtrade_uni/sample_uni.cfg");

  FormFixture f;
  f.system.executable_folder_writable = false;
  f.system.documents_folder = f.dir / "docs/";
  fs::create_directories(f.dir / "comtrade_anl");
  f.form.RestoreLastFolders();
  const std::string own = f.dir / "docs/velk-comtrade/";
  EXPECT_EQ(f.form.paths.OutPathANL, f.dir / "docs/velk-comtrade/comtrade_anl/sample_anl.cfg");
  EXPECT_EQ(f.form.paths.OutPathDIS, f.dir / "docs/velk-comtrade/comtrade_dis/sample_dis.cfg");
  EXPECT_EQ(f.form.paths.OutPathUNI, f.dir / "docs/velk-comtrade/comtrade_uni/sample_uni.cfg");
  EXPECT_FALSE(Exists(own));
  // «Преобразовать папку» offers the folder of those output folders.
  EXPECT_EQ(f.form.FolderChoicesFor().output_folder, own);
  EXPECT_EQ(beside.form.FolderChoicesFor().output_folder, beside.dir.Folder());

  f.ui.open_answers.push_back(f.Put("a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30})));
  f.form.FLHButtonClick();
  f.ui.save_answers.push_back(f.form.paths.OutPathANL);
  f.form.ConvertANLButtonClick();
  ASSERT_EQ(f.ui.save_dialogs.size(), 1u);
  EXPECT_EQ(f.ui.save_dialogs[0].initial_folder, f.dir / "docs/velk-comtrade/comtrade_anl/");
  EXPECT_TRUE(Exists(f.dir / "docs/velk-comtrade/comtrade_anl/sample_anl.dat"));
  EXPECT_FALSE(Exists(f.dir / "docs/velk-comtrade/comtrade_dis"));
  EXPECT_TRUE(f.ui.errors.empty());
#ifndef _WIN32
  EXPECT_EQ(DocumentsFolderFrom("/home/u/Док", "/home/u"), "/home/u/Док/");
  EXPECT_EQ(DocumentsFolderFrom("relative", "/home/u"), "/home/u/Documents/");
  EXPECT_EQ(DocumentsFolderFrom("", ""), "");
#endif
}

TEST(LastFoldersPlace, ConfigurationFolderFollowsTheEnvironment) {
#ifdef _WIN32
  EXPECT_EQ(ConfigFolderFrom("C:\\Users\\u\\AppData\\Roaming", "", ""),
            "C:\\Users\\u\\AppData\\Roaming\\velk-comtrade\\");
  EXPECT_EQ(ConfigFolderFrom("", "/x", "/home/u"), "");
#else
  EXPECT_EQ(ConfigFolderFrom("", "/home/u/.cfg", "/home/u"), "/home/u/.cfg/velk-comtrade/");
  EXPECT_EQ(ConfigFolderFrom("", "/home/u/.cfg/", "/home/u"), "/home/u/.cfg/velk-comtrade/");
  EXPECT_EQ(ConfigFolderFrom("", "relative", "/home/u"), "/home/u/.config/velk-comtrade/");
  EXPECT_EQ(ConfigFolderFrom("", "", "/home/u"), "/home/u/.config/velk-comtrade/");
  EXPECT_EQ(ConfigFolderFrom("C:\\x", "", ""), "");
#endif
}

TEST(LastFoldersPlace, AMachineWithoutAConfigurationFolderKeepsTheFileBesideTheExecutable) {
  FormFixture f;
  f.system.executable_folder_writable = false;
  f.system.config_folder.clear();
  f.form.RestoreLastFolders();
  EXPECT_EQ(f.form.paths.LastFoldersPath, f.dir / "cmtrd.ddt");
}

TEST(DialogFolder, AMissingFolderGivesTheNearestOneAboveThatExists) {
  TempDir d;
  fs::create_directories(d / "a/b");
  EXPECT_EQ(ExistingFolderOf(d / "a/b/"), d / "a/b/");
  EXPECT_EQ(ExistingFolderOf(d / "a/b/c/d/"), d / "a/b/");
  EXPECT_EQ(ExistingFolderOf(d / "a/gone//"), d / "a/");
  WriteFile(d / "a/file", "");
  EXPECT_EQ(ExistingFolderOf(d / "a/file/x/"), d / "a/");  // a file is no folder
  EXPECT_EQ(ExistingFolderOf(""), "");
  EXPECT_EQ(ExistingFolderOf("relative/missing/"), "");
}

// ---- the combined conversion's state file ----

TEST(StateFile, TheWindowsMachineKeepsItPrivateAndRemovesIt) {
  TempDir exe;
  LocalSystem a(exe.Folder()), b(exe.Folder());
  const std::string path = a.StateFilePath();
  EXPECT_EQ(NameOf(path), "tmp.tmp");
  EXPECT_NE(FolderOf(path), exe.Folder());
  EXPECT_EQ(a.StateFilePath(), path);  // one place for the whole conversion
  EXPECT_NE(b.StateFilePath(), path);  // another program's is another
  EXPECT_TRUE(fs::is_directory(FolderOf(path)));
  WriteFile(path, "states");
  a.ReleaseStateFile();
  EXPECT_FALSE(Exists(path));
  EXPECT_FALSE(fs::exists(FolderOf(path)));
  std::string left;
  {
    LocalSystem c(exe.Folder());
    WriteFile(c.StateFilePath(), "states");
    left = FolderOf(c.StateFilePath());
  }
  EXPECT_FALSE(fs::exists(left));  // the end of the program removes it too
}

TEST(StateFile, CombiningWorksWithTheProgramInAFolderThatTakesNoFile) {
  TempDir d;
  RecordingUi ui;
  LocalSystem system(d / "read-only-program/");  // no such folder: nothing can go there
  TFComtrade form(ui, system);
  WriteFile(d / "a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30}));
  WriteFile(d / "rec.txt", kDiscrete);
  Select(form.controls.FileListBox1, d / "a.flh");
  Select(form.controls.FileListBox2, d / "rec.txt");
  CheckSelected(form, ListBox::kFileListBox1);
  CheckSelected(form, ListBox::kFileListBox2);
  ASSERT_TRUE(form.controls.SovmestButton);
  const std::string state = system.StateFilePath();
  ui.save_answers.push_back(d / "uni.cfg");
  form.SovmestButtonClick();
  EXPECT_TRUE(ui.errors.empty());
  EXPECT_TRUE(Exists(d / "uniASCII.dat"));
  EXPECT_FALSE(fs::exists(FolderOf(state)));  // removed once the conversion is over
}

TEST(StateFile, EveryCombinedClickReleasesItAfterwards) {
  WindowFixture f;
  f.form.SovmestButtonClick();  // cancelled: still nothing left behind
  f.ui.save_answers.push_back(f.dir / "uni.cfg");
  f.form.SovmestButtonClick();
  EXPECT_EQ(f.system.state_file_releases, 2);
  f.form.ConvertANLButtonClick();
  EXPECT_EQ(f.system.state_file_releases, 2);
}

// ---- paths whose bytes are no text ----

// A folder name in code page 1251, not UTF-8: "Записи".
const std::string kCp1251Folder = Cp("Записи");

TEST(PathsNotText, NoPathConversionThrows) {
  const std::string bytes = "/tmp/" + kCp1251Folder + "/\xFF\xFE.flh";
  EXPECT_NO_THROW(FsPath(bytes));
  EXPECT_NO_THROW(ExpandPath("/tmp/", kCp1251Folder));
  EXPECT_NO_THROW(ListFolder(bytes, "*.flh"));
  EXPECT_FALSE(FileExists(bytes));
#ifdef _WIN32
  // Windows names files in UTF-16: bytes that are not UTF-8 name no file.
  EXPECT_FALSE(IsPathText(bytes));
  EXPECT_EQ(ExpandPath("C:\\", kCp1251Folder), kCp1251Folder);
#else
  // Elsewhere a name is bytes, and these bytes are a name.
  EXPECT_EQ(FsPath(bytes).string(), bytes);
  EXPECT_EQ(ExpandPath("/tmp/", kCp1251Folder + "/../x"), "/tmp/x");
#endif
}

TEST(PathsNotText, LastFolderThatIsNoTextFallsBackToTheExecutablesFolder) {
  // Written by a program that kept its folders in code page 1251.
  StartFixture f("C:\\" + kCp1251Folder + "\\\r\n/" + kCp1251Folder + "/\xFF/\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, f.dir.Folder());
  EXPECT_EQ(f.form.paths.FolderDIS, f.dir.Folder());
  EXPECT_EQ(f.form.controls.FileListBox2.folder, f.dir.Folder());
  EXPECT_TRUE(f.ui.errors.empty());
}

#ifndef _WIN32
TEST(PathsNotText, RecordsInAFolderNamedInOtherBytesAreListedCheckedAndConverted) {
  TempDir other;
  const std::string rec = other.Folder() + kCp1251Folder + "/";
  fs::create_directories(rec);
  const std::string name = Cp("запись.flh");
  WriteFile(rec + name, Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30}));
  StartFixture f(rec + "\r\n" + rec + "\r\n");
  EXPECT_EQ(f.form.paths.FolderANL, rec);
  ASSERT_EQ(f.form.controls.FileListBox1.names, Names{name});
  f.form.ListClick(ListBox::kFileListBox1, name);
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
  f.ui.save_answers.push_back(rec + Cp("выход.cfg"));
  f.form.ConvertANLButtonClick();
  EXPECT_TRUE(f.ui.errors.empty());
  EXPECT_TRUE(Exists(rec + Cp("выходASCII.dat")));
}
#endif

TEST(PathsNotText, CommandLinePathsThatNameNoFileGetTheSystemsMessage) {
  TempDir d;
  WriteFile(d / "a.flh", Analog({0x24, 0x07, 0x15, 0x09, 0x05, 0x30}));
  std::ostringstream out, err;
  const std::string missing = d / (kCp1251Folder + "/a.flh");
  EXPECT_EQ(RunCommandLine({"analog", missing, d / "o.cfg"}, d.Folder(), out, err),
            kExitHeaderRejected);
  EXPECT_EQ(err.str(), "Не найден\n");
  err.str("");
  EXPECT_EQ(
      RunCommandLine({"analog", d / "a.flh", d / (kCp1251Folder + "/o.cfg")}, d.Folder(), out, err),
      kExitConversionFailed);
  EXPECT_EQ(err.str(), "Ошибка открытия файла\n");
}

}  // namespace
}  // namespace velk::testing
