// File-system faults around a conversion: folders that are missing or
// read-only, disks that fill in the middle of a file, records that change
// between their header check and their conversion (or during it), and paths
// with blanks, Cyrillic letters and great length. Each case states the
// messages in their order and the files left. Read-only folders and full disks
// are those of a FaultyFiles, so that the cases run on every system; one case
// has a real read-only folder. (Missing and blocked files of each pair, and a
// disk that fills at each file, are in the conversions' own tests.)
#include <gtest/gtest.h>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

#include "analog/analog_record.h"
#include "cli/cli_run.h"
#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "discrete/discrete_record.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tests/support/platform.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
const Lines kOpenError = {"Ошибка открытия файла"};
const Lines kWriteError = {"Ошибка записи файла"};

// ---- records and what a conversion leaves ----

FlhRecord Analog(int samples) {
  FlhRecord r;
  r.device_type = 31;  // two channels: w0 and w1
  r.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  return r.Ramp(samples);
}

std::string Discrete(int events = 3) {
  DiscreteRecord r;
  r.Start();
  for (int e = 1; e <= events; ++e) r.Event(TimeWord(10 * e), "П", "K" + std::to_string(e));
  return r.Bytes();
}

// The files in a folder, sorted by name; folders end with "/".
Lines FilesIn(const std::string& folder) {
  Lines names;
  const auto entries = FolderEntries(folder);
  if (!entries) ADD_FAILURE() << folder << " cannot be read";
  for (const FolderEntry& entry : entries.value_or(std::vector<FolderEntry>{}))
    names.push_back(entry.name + (entry.kind == FolderEntry::Kind::kFolder ? "/" : ""));
  std::sort(names.begin(), names.end());
  return names;
}

// The sample-count field of a configuration file ("800.0,N" or "0,N").
std::string SampleCountLine(const std::string& cfg_path) {
  for (const std::string& line : CrLfLines(ReadFile(cfg_path)))
    if (line.starts_with("800.0,") || line.starts_with("0,")) return line;
  return "";
}

// ---- a real read-only folder ----

#ifndef _WIN32
// Root ignores file permissions, so a folder is read-only only for another
// user: runs body in a child process that becomes the user nobody when the test
// runs as root, and returns the lines it returned (through a pipe). A child
// that cannot become nobody, or that does not end normally, fails the test.
Lines AsAnotherUser(const std::function<Lines()>& body) {
  int channel[2];
  if (pipe(channel) != 0) {
    ADD_FAILURE() << "no pipe";
    return {};
  }
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    std::string report;
    const uid_t nobody = 65534;
    if (geteuid() != 0 ||
        (setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0)) {
      for (const std::string& line : body()) report += line + "\n";
    } else {
      report = "!cannot become another user\n";
    }
    const ssize_t written = write(channel[1], report.data(), report.size());
    _exit(written == static_cast<ssize_t>(report.size()) ? 0 : 3);
  }
  close(channel[1]);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(n));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
  Lines lines;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_TRUE(lines.empty() || !lines[0].starts_with("!")) << lines[0];
  return lines;
}

// A folder that every user may read and enter, and write iff writable.
void Permit(const std::string& folder, bool writable) {
  using fs::perms;
  const perms read_and_enter = perms::owner_read | perms::owner_exec | perms::group_read |
                               perms::group_exec | perms::others_read | perms::others_exec;
  fs::permissions(FsPath(folder), writable ? perms::all : read_and_enter);
}
#endif

// A test's folder with the records, an output folder and the executable's folder.
struct Layout {
  Layout() {
    fs::create_directory(FsPath(dir / "out"));
    fs::create_directory(FsPath(dir / "exe"));
    WriteFile(dir / "rec.flh", Analog(100).Bytes());
    WriteFile(dir / "rec.txt", Discrete());
  }
  TempDir dir;
};

// Runs one conversion, the combined one with its state file in exe_folder, and
// returns its messages.
enum class Kind { kAnalog, kDiscrete, kCombined };

Lines Convert(Kind kind, const std::string& flh, const std::string& txt, const std::string& out,
              const std::string& exe_folder) {
  RecordingReporter reports;
  StartMoment moment;
  moment.year = "2026";
  switch (kind) {
    case Kind::kAnalog:
      ConvertAnalog(flh, out, reports);
      break;
    case Kind::kDiscrete:
      ConvertDiscrete(txt, out, moment, reports);
      break;
    case Kind::kCombined:
      ConvertCombined(flh, txt, out, exe_folder + "tmp.tmp", reports);
      break;
  }
  return reports.errors;
}

Lines Convert(Kind kind, const Layout& l, const std::string& out) {
  return Convert(kind, l.dir / "rec.flh", l.dir / "rec.txt", out, l.dir / "exe/");
}

const Lines kPair = {"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat"};

// ---- output folders ----

TEST(FileFaults, OutputFolderMissingStopsEachConversionBeforeItsPair) {
  for (Kind kind : {Kind::kAnalog, Kind::kDiscrete, Kind::kCombined}) {
    Layout l;
    EXPECT_EQ(Convert(kind, l, l.dir / "none/out.cfg"), kOpenError);
    EXPECT_FALSE(Exists(l.dir / "none"));
    // The combined conversion wrote its state file before it met the folder.
    EXPECT_EQ(FilesIn(l.dir / "exe"), kind == Kind::kCombined ? Lines{"tmp.tmp"} : Lines{});
  }
}

#ifndef _WIN32
TEST(FileFaults, RealReadOnlyOutputFolderStopsEachConversionBeforeItsPair) {
  for (Kind kind : {Kind::kAnalog, Kind::kDiscrete, Kind::kCombined}) {
    Layout l;
    Permit(l.dir.Folder(), true);
    Permit(l.dir / "exe", true);
    for (const char* record : {"rec.flh", "rec.txt"})
      fs::permissions(l.dir / record, fs::perms::others_read, fs::perm_options::add);
    Permit(l.dir / "out", false);
    EXPECT_EQ(AsAnotherUser([&] { return Convert(kind, l, l.dir / "out/out.cfg"); }), kOpenError);
    Permit(l.dir / "out", true);
    EXPECT_EQ(FilesIn(l.dir / "out"), Lines{});
    EXPECT_EQ(FilesIn(l.dir / "exe"), kind == Kind::kCombined ? Lines{"tmp.tmp"} : Lines{});
  }
}
#endif

TEST(FileFaults, ReadOnlyOutputFolderStillTakesNewContentIntoFilesThatExist) {
  // A read-only folder keeps its names, but files in it that may be written are
  // rewritten: the BINARY pair of an earlier conversion is replaced, and the
  // ASCII configuration that the folder lacks cannot be created.
  Layout l;
  WriteFile(l.dir / "out/out.cfg", "old");
  WriteFile(l.dir / "out/out.dat", "old");
  FaultyFiles files;
  files.ReadOnlyFolder(l.dir / "out/");
  EXPECT_EQ(Convert(Kind::kAnalog, l, l.dir / "out/out.cfg"), kOpenError);
  EXPECT_EQ(FilesIn(l.dir / "out"), (Lines{"out.cfg", "out.dat"}));
  EXPECT_EQ(SampleCountLine(l.dir / "out/out.cfg"), "800.0,100");
  EXPECT_EQ(ReadFile(l.dir / "out/out.dat").size(), 100u * 12);
}

TEST(FileFaults, ReadOnlyOutputFolderFailsTheCommandLineWithStatus1) {
  Layout l;
  FaultyFiles files;
  files.ReadOnlyFolder(l.dir / "out/");
  std::ostringstream out, err;
  const int status = RunCommandLine({"analog", l.dir / "rec.flh", l.dir / "out/out.cfg"},
                                    l.dir / "exe/", out, err);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err.str(), "Ошибка открытия файла\n");
  EXPECT_EQ(FilesIn(l.dir / "out"), Lines{});
}

TEST(FileFaults, ChosenConfigurationNameThatIsAFolderWritesNothing) {
  for (Kind kind : {Kind::kAnalog, Kind::kDiscrete}) {
    Layout l;
    fs::create_directory(FsPath(l.dir / "out/out.cfg"));
    EXPECT_EQ(Convert(kind, l, l.dir / "out/out.cfg"), kOpenError);
    EXPECT_EQ(FilesIn(l.dir / "out"), Lines{"out.cfg/"});
    EXPECT_TRUE(fs::is_empty(FsPath(l.dir / "out/out.cfg")));
  }
}

// ---- the executable's folder ----

// The last-folders file beside the executable cannot be written: the error is
// shown, the chosen folder is kept in memory and the record is still checked.
TEST(FileFaults, ReadOnlyExecutableFolderKeepsChosenFolderWithoutItsFile) {
  Layout l;
  FaultyFiles files;
  files.ReadOnlyFolder(l.dir / "exe/");
  RecordingUi ui;
  FakeSystem system;
  system.executable_folder = l.dir / "exe/";
  TFComtrade form(ui, system);
  ui.open_answers.push_back(l.dir / "rec.flh");
  form.FLHButtonClick();
  EXPECT_EQ(ui.errors, Lines{"Ошибка записи файла"});
  EXPECT_EQ(Cp1251ToUtf8(form.controls.DateLabel), "13.02.2019 16:33:45");
  EXPECT_EQ(form.paths.FolderANL, l.dir.Folder());
  EXPECT_EQ(FilesIn(l.dir / "exe"), Lines{});
}

TEST(FileFaults, ReadOnlyExecutableFolderReusesAWritableStateFileOnly) {
  // Without a state file the combined conversion stops before its pair.
  Layout k;
  FaultyFiles files;
  files.ReadOnlyFolder(k.dir / "exe/");
  EXPECT_EQ(Convert(Kind::kCombined, k, k.dir / "out/out.cfg"), kOpenError);
  EXPECT_EQ(FilesIn(k.dir / "exe"), Lines{});
  EXPECT_EQ(FilesIn(k.dir / "out"), Lines{});

  // A state file that may be written is rewritten in place, and the conversion succeeds.
  Layout l;
  WriteFile(l.dir / "exe/tmp.tmp", "stale");
  files.ReadOnlyFolder(l.dir / "exe/");
  EXPECT_EQ(Convert(Kind::kCombined, l, l.dir / "out/out.cfg"), Lines{});
  EXPECT_EQ(FilesIn(l.dir / "out"), kPair);
  EXPECT_EQ(ReadFile(l.dir / "exe/tmp.tmp").size(), 4u * (8 + 2));  // four states, one word each

  // A stale state file that may not be written is never merged into a new record.
  Layout m;
  WriteFile(m.dir / "exe/tmp.tmp", "stale state records");
  files.ReadOnlyFolder(m.dir / "exe/");
  files.RefuseCreate(m.dir / "exe/tmp.tmp");
  EXPECT_EQ(Convert(Kind::kCombined, m, m.dir / "out/out.cfg"), kOpenError);
  EXPECT_EQ(ReadFile(m.dir / "exe/tmp.tmp"), "stale state records");
  EXPECT_EQ(FilesIn(m.dir / "out"), Lines{});
}

// ---- a disk that fills in the middle of a file ----

TEST(FileFaults, DiskFullWithinALargeFileRemovesItAndKeepsTheFilesBefore) {
  // 20000 two-channel samples, and states up to 24 s for the combined record:
  // BINARY data files of 240000 bytes (analog, 12-byte records) and about
  // 270000 (combined, 14-byte records), ASCII data files of over 400000 bytes.
  // The disk fills inside one of them, well past the first block that the
  // writer hands to the system.
  DiscreteRecord long_states;
  long_states.Start().Event("0012.000", "П", "A").Event("0024.000", "У", "A");
  struct Case {
    Kind kind;
    const char* full;
    std::int64_t at;
    Lines left;
    std::size_t record;
  };
  const std::vector<Case> cases = {
      {Kind::kAnalog, "out.dat", 200000, {"out.cfg"}, 12},
      {Kind::kAnalog, "outASCII.dat", 300000, {"out.cfg", "out.dat", "outASCII.cfg"}, 12},
      {Kind::kCombined, "out.dat", 200000, {}, 14},
      {Kind::kCombined, "outASCII.dat", 300000, {"out.cfg", "out.dat", "outASCII.cfg"}, 14},
  };
  for (const Case& c : cases) {
    Layout l;
    WriteFile(l.dir / "rec.flh", Analog(20000).Bytes());
    WriteFile(l.dir / "rec.txt", long_states.Bytes());
    FaultyFiles files;
    files.FillDiskAt(c.full, c.at);
    EXPECT_EQ(Convert(c.kind, l, l.dir / "out/out.cfg"), kWriteError) << c.full;
    EXPECT_EQ(FilesIn(l.dir / "out"), c.left) << c.full;
    if (c.left.size() > 1) {  // the BINARY pair is whole
      const std::string count = SampleCountLine(l.dir / "out/out.cfg");
      EXPECT_EQ(ReadFile(l.dir / "out/out.dat").size(), std::stoul(count.substr(6)) * c.record);
    }
  }
}

// A record whose reading ends before its size says, by a read error or as if
// it had been cut: the conversion stops at the sample that cannot be read, and
// its half-written data file goes.
TEST(FileFaults, RecordReadEndsEarlyStopsAsDamagedWithoutItsDataFile) {
  for (const bool read_error : {true, false}) {
    Layout l;
    FaultyFiles files;
    files.CutReads("rec.flh", 72 + 18 * 50 + 5, read_error);
    EXPECT_EQ(Convert(Kind::kAnalog, l, l.dir / "out/out.cfg"), Lines{"Файл поврежден"});
    EXPECT_EQ(FilesIn(l.dir / "out"), Lines{"out.cfg"});
  }
}

// ---- records that change after their header check ----

// The window checks a record's header when it is chosen, and converts it later:
// the conversion reads it again and converts what it finds then.
struct ChangedRecord {
  const char* what;
  std::function<void(const std::string&)> change;
  Lines errors;
  std::string count;  // the sample-count line, when converted
};

TEST(FileFaults, AnalogRecordChangedAfterItsHeaderCheck) {
  const std::string bytes = Analog(100).Bytes();
  const std::vector<ChangedRecord> cases = {
      {"deleted", [](const std::string& p) { fs::remove(p); }, {"Файл не найден"}, ""},
      {"cut inside a sample",
       [&](const std::string& p) { WriteFile(p, bytes.substr(0, bytes.size() - 5)); },
       {"Файл поврежден"},
       ""},
      {"cut inside its header",
       [&](const std::string& p) { WriteFile(p, bytes.substr(0, 50)); },
       {"Файл поврежден"},
       ""},
      {"cut to fewer whole samples",
       [&](const std::string& p) { WriteFile(p, bytes.substr(0, 72 + 18 * 40)); },
       {},
       "800.0,40"},
      {"grown by whole samples",
       [](const std::string& p) { WriteFile(p, Analog(130).Bytes()); },
       {},
       "800.0,130"},
      {"grown by part of a sample",
       [&](const std::string& p) { WriteFile(p, bytes + "tail"); },
       {"Файл поврежден"},
       ""},
  };
  for (const ChangedRecord& c : cases) {
    FormFixture f;
    Select(f.form.controls.FileListBox1, f.Put("rec.flh", bytes));
    CheckSelected(f.form, ListBox::kFileListBox1);
    ASSERT_TRUE(f.form.controls.ConvertANLButton);
    c.change(f.dir / "rec.flh");
    ConvertInto(f.form, f.ui, &TFComtrade::ConvertANLButtonClick, f.dir / "out.cfg");
    EXPECT_EQ(f.ui.errors, c.errors) << c.what;
    if (c.count.empty()) {
      EXPECT_FALSE(Exists(f.dir / "out.cfg")) << c.what;
    } else {
      EXPECT_EQ(SampleCountLine(f.dir / "out.cfg"), c.count) << c.what;
      EXPECT_EQ(CrLfLines(ReadFile(f.dir / "outASCII.dat")).size(), std::stoul(c.count.substr(6)))
          << c.what;
    }
  }
}

TEST(FileFaults, DiscreteRecordChangedAfterItsHeaderCheck) {
  const std::string bytes = Discrete(3);
  const std::vector<ChangedRecord> cases = {
      {"deleted", [](const std::string& p) { fs::remove(p); }, {"Не найден"}, ""},
      {"cut inside its start pair",
       [&](const std::string& p) { WriteFile(p, bytes.substr(0, 10)); },
       {"Поврежден1"},
       ""},
      {"cut after its first event",
       [&](const std::string& p) { WriteFile(p, Discrete(1)); },
       {},
       "0,2"},
      {"grown by events", [](const std::string& p) { WriteFile(p, Discrete(7)); }, {}, "0,8"},
  };
  for (const ChangedRecord& c : cases) {
    FormFixture f;
    Select(f.form.controls.FileListBox2, f.Put("rec.txt", bytes));
    CheckSelected(f.form, ListBox::kFileListBox2);
    ASSERT_TRUE(f.form.controls.ConvertDISButton);
    c.change(f.dir / "rec.txt");
    ConvertInto(f.form, f.ui, &TFComtrade::ConvertDISButtonClick, f.dir / "out.cfg");
    EXPECT_EQ(f.ui.errors, c.errors) << c.what;
    if (c.count.empty()) {
      EXPECT_FALSE(Exists(f.dir / "out.cfg")) << c.what;
    } else {
      EXPECT_EQ(SampleCountLine(f.dir / "out.cfg"), c.count) << c.what;
    }
  }
}

// The combined conversion reads both records, then writes its state file: a
// system whose state-file path is asked for at that moment changes a record
// between the reading and the merge, as another program could.
class ChangingSystem : public FakeSystem {
 public:
  std::string StateFilePath() const override {
    if (change) change();
    return FakeSystem::StateFilePath();
  }
  std::function<void()> change;
};

TEST(FileFaults, RecordsChangedDuringTheCombinedConversion) {
  const std::string flh = Analog(200).Bytes();
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> change;
    Lines errors;
    Lines left;
    std::string count;
  };
  const std::vector<Case> cases = {
      {"analog record cut inside a sample",
       [&](const TempDir& d) { WriteFile(d / "rec.flh", flh.substr(0, 72 + 18 * 90 + 7)); },
       {"Файл поврежден"},
       {"rec.flh", "rec.txt", "tmp.tmp"},
       ""},
      {"analog record cut inside its header",
       [&](const TempDir& d) { WriteFile(d / "rec.flh", flh.substr(0, 10)); },
       {"Файл поврежден"},
       {"rec.flh", "rec.txt", "tmp.tmp"},
       ""},
      {"analog record cut to fewer whole samples",
       [&](const TempDir& d) { WriteFile(d / "rec.flh", flh.substr(0, 72 + 18 * 80)); },
       {},
       {"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat", "rec.flh", "rec.txt", "tmp.tmp"},
       "800.0,80"},
      // An open record that is deleted is read to its end all the same. Windows
      // refuses to delete a file that is open, and the record stays.
      {"analog record deleted",
       [](const TempDir& d) {
         std::error_code refused;
         fs::remove(FsPath(d / "rec.flh"), refused);
         EXPECT_EQ(static_cast<bool>(refused), kWindows) << refused.message();
       },
       {},
       kWindows ? Lines{"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat", "rec.flh", "rec.txt",
                        "tmp.tmp"}
                : Lines{"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat", "rec.txt", "tmp.tmp"},
       "800.0,103"},
      // The discrete record was read whole before.
      {"discrete record deleted",
       [](const TempDir& d) { fs::remove(d / "rec.txt"); },
       {},
       {"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat", "rec.flh", "tmp.tmp"},
       "800.0,103"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    RecordingUi ui;
    ChangingSystem system;
    system.executable_folder = dir.Folder();
    system.change = [&] { c.change(dir); };
    TFComtrade form(ui, system);
    WriteFile(dir / "rec.flh", flh);
    WriteFile(dir / "rec.txt", Discrete());
    Select(form.controls.FileListBox1, dir / "rec.flh");
    Select(form.controls.FileListBox2, dir / "rec.txt");
    ConvertInto(form, ui, &TFComtrade::SovmestButtonClick, dir / "out.cfg");
    EXPECT_EQ(ui.errors, c.errors) << c.what;
    EXPECT_EQ(FilesIn(dir.Folder()), c.left) << c.what;
    if (!c.count.empty()) {
      EXPECT_EQ(SampleCountLine(dir / "out.cfg"), c.count) << c.what;
    }
  }
}

// ---- names of paths ----

TEST(FileFaults, PathsWithBlanksAndCyrillicLettersConvert) {
  TempDir dir;
  const std::string folder = dir / "Записи ПС Северная/12 03 2024";
  const std::string exe = dir / "Программа конвертер/";
  fs::create_directories(FsPath(folder));
  fs::create_directories(FsPath(exe));
  WriteFile(folder + "/Пуск МТЗ.flh", Analog(100).Bytes());
  WriteFile(folder + "/Пуск МТЗ.txt", Discrete());
  const std::vector<std::pair<Kind, std::string>> cases = {{Kind::kAnalog, "Аналог 1"},
                                                           {Kind::kDiscrete, "Дискрет 1"},
                                                           {Kind::kCombined, "Общая запись"}};
  for (const auto& [kind, name] : cases) {
    EXPECT_EQ(Convert(kind, folder + "/Пуск МТЗ.flh", folder + "/Пуск МТЗ.txt",
                      folder + "/" + name + ".cfg", exe),
              Lines{})
        << name;
    for (const char* suffix : {".cfg", ".dat", "ASCII.cfg", "ASCII.dat"})
      EXPECT_TRUE(fs::is_regular_file(FsPath(folder + "/" + name + suffix))) << name << suffix;
  }
  EXPECT_EQ(FilesIn(exe), Lines{"tmp.tmp"});

  // The command line takes such paths as given, relative ones too.
  std::ostringstream out, err;
  const fs::path here = fs::current_path();
  fs::current_path(FsPath(folder));
  const int status = RunCommandLine({"combined", "Пуск МТЗ.flh", "./Пуск МТЗ.txt", "../Итог 2.cfg"},
                                    exe, out, err);
  fs::current_path(here);
  EXPECT_EQ(status, kExitConverted) << err.str();
  EXPECT_TRUE(fs::is_regular_file(FsPath(dir / "Записи ПС Северная/Итог 2ASCII.dat")));
}

TEST(FileFaults, LongPathsConvertUpToTheSystemsLimits) {
  // Folders of 200 bytes each (100 Cyrillic letters), nested to some 2000 bytes.
  TempDir dir;
  std::string folder = dir.Folder();
  for (int depth = 0; depth < 10; ++depth) {
    std::string component;
    for (int i = 0; i < 100; ++i) component += "Я";
    folder += component + std::to_string(depth) + "/";
  }
  fs::create_directories(FsPath(folder));
  WriteFile(folder + "rec.flh", Analog(100).Bytes());
  WriteFile(folder + "rec.txt", Discrete());
  for (Kind kind : {Kind::kAnalog, Kind::kDiscrete, Kind::kCombined}) {
    EXPECT_EQ(Convert(kind, folder + "rec.flh", folder + "rec.txt", folder + "out.cfg", folder),
              Lines{});
    Lines expected = {"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat", "rec.flh", "rec.txt"};
    if (kind == Kind::kCombined) expected.push_back("tmp.tmp");
    EXPECT_EQ(FilesIn(folder), expected);
    for (const std::string& name : kPair) fs::remove(FsPath(folder + name));
  }

  // A chosen name of 255 bytes, the most a folder entry may have: the BINARY
  // pair is written, the ASCII names are five bytes too long.
  const std::string longest(251, 'n');
  Layout l;
  EXPECT_EQ(Convert(Kind::kAnalog, l, l.dir / "out/" + longest + ".cfg"), kOpenError);
  EXPECT_EQ(FilesIn(l.dir / "out"), (Lines{longest + ".cfg", longest + ".dat"}));

  // A path longer than the system takes is a file that cannot be opened.
  Layout m;
  std::string too_long = m.dir / "out/";
  while (too_long.size() < 5000) too_long += std::string(200, 'x') + "/";
  EXPECT_EQ(Convert(Kind::kDiscrete, m, too_long + "out.cfg"), kOpenError);
  EXPECT_EQ(FilesIn(m.dir / "out"), Lines{});
}

}  // namespace
}  // namespace velk::testing
