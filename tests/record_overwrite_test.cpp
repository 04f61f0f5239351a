// A conversion never writes over the records it converts: when a file it would
// write is one of them (by name, link or another spelling of its folder), it
// shows "Ошибка открытия файла" and writes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "analog/analog_record.h"
#include "combined/combined.h"
#include "comtrade/same_file.h"
#include "discrete/discrete_record.h"
#include "tests/support/fakes.h"
#include "tests/support/run_program.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
const Lines kOpenError = {"Ошибка открытия файла"};
// The prefix by which Windows takes a full path as it stands.
[[maybe_unused]] const std::string kLongPrefix = "\\\\?\\";

std::string AnalogBytes() {
  FlhRecord r;
  r.device_type = 31;
  return r.Ramp(90).Bytes();
}

std::string DiscreteBytes() {
  return DiscreteRecord().Start().Event("0000.010", "П", "A").Bytes();
}

// The regular files of the folder, sorted, each with its size.
Lines FolderListing(const TempDir& dir) {
  Lines listing;
  for (const auto& entry : fs::directory_iterator(FsPath(dir.Folder()))) {
    const std::string name = PathText(entry.path().filename());
    if (entry.is_symlink()) {
      listing.push_back(name + " -> link");
    } else if (entry.is_regular_file()) {
      listing.push_back(name + " " + std::to_string(entry.file_size()));
    } else {
      listing.push_back(name + "/");
    }
  }
  std::sort(listing.begin(), listing.end());
  return listing;
}

TEST(SameFile, FollowsLinksAndFolderSpellingsButNeedsAnExistingFile) {
  TempDir dir;
  WriteFile(dir / "rec.flh", "x");
  WriteFile(dir / "copy.flh", "x");
  fs::create_directory(dir / "sub");
  fs::create_hard_link(FsPath(dir / "rec.flh"), FsPath(dir / "hard.dat"));
  EXPECT_TRUE(SameFile(dir / "rec.flh", dir / "rec.flh"));
  EXPECT_TRUE(SameFile(dir / "sub/../rec.flh", dir / "rec.flh"));
  EXPECT_TRUE(SameFile(dir / "hard.dat", dir / "rec.flh"));
  EXPECT_FALSE(SameFile(dir / "copy.flh", dir / "rec.flh"));  // equal bytes, another file
  EXPECT_FALSE(SameFile(dir / "new.cfg", dir / "new.cfg"));   // nothing there yet
  EXPECT_FALSE(SameFile("", dir / "rec.flh"));
  EXPECT_TRUE(WritesOverRecord({dir / "a.cfg", dir / "hard.dat"}, {dir / "x", dir / "rec.flh"}));
  EXPECT_FALSE(WritesOverRecord({dir / "a.cfg", dir / "copy.flh"}, {dir / "rec.flh"}));

#ifdef _WIN32
  // Windows names one file also in another letter case and through the \\?\ prefix.
  EXPECT_TRUE(SameFile(dir / "REC.flh", dir / "rec.flh"));
  EXPECT_TRUE(SameFile(kLongPrefix + (dir / "rec.flh"), dir / "rec.flh"));
  EXPECT_TRUE(WritesOverRecord({dir / "a.cfg", dir / "Rec.Flh"}, {dir / "x", dir / "rec.flh"}));
#else
  fs::create_symlink(dir / "rec.flh", dir / "soft.dat");
  fs::create_symlink(dir / "none.flh", dir / "dangling.dat");
  EXPECT_TRUE(SameFile(dir / "soft.dat", dir / "rec.flh"));
  EXPECT_FALSE(SameFile(dir / "dangling.dat", dir / "none.flh"));
  EXPECT_TRUE(WritesOverRecord({dir / "a.cfg", dir / "soft.dat"}, {dir / "x", dir / "rec.flh"}));
#endif
}

// One way in which a file of the pair is the record: the record's name, the
// chosen output path (with prefix before the folder's path), and what is laid
// down beside them first.
struct Clash {
  std::string what;
  std::string record;
  std::string out;
  std::function<void(const TempDir&)> arrange = [](const TempDir&) {};
  std::string prefix{};
};

// For each conversion the record may be reached as any file of the pair.
std::vector<Clash> Clashes(const std::string& record) {
  return {
      {"chosen path is the record", record, record},
      {"data file is the record", "out.dat", "out.cfg"},
      {"data file is a hard link to the record", record, "out.cfg",
       [record](const TempDir& d) {
         fs::create_hard_link(FsPath(d / record), FsPath(d / "out.dat"));
       }},
#ifdef _WIN32
      {"ASCII configuration is the record in another letter case", "OUTascii.CFG", "out.cfg"},
      {"chosen path is the record through the \\\\?\\ prefix", record, record,
       [](const TempDir&) {}, kLongPrefix},
#else
      {"ASCII configuration is a symbolic link to the record", record, "out.cfg",
       [record](const TempDir& d) { fs::create_symlink(d / record, d / "outASCII.cfg"); }},
#endif
      {"ASCII data file is the record by another folder spelling", "outASCII.dat", "sub/../out.cfg",
       [](const TempDir& d) { fs::create_directory(FsPath(d / "sub")); }},
  };
}

TEST(RecordOverwrite, AnalogConversionRefusesEveryFileOfThePairThatIsTheRecord) {
  for (const Clash& c : Clashes("rec.flh")) {
    FormFixture f;
    const std::string record = f.Put(c.record, AnalogBytes());
    c.arrange(f.dir);
    const Lines before = FolderListing(f.dir);
    ConvertAnalog(record, c.prefix + (f.dir / c.out), f.reports);
    EXPECT_EQ(f.reports.errors, kOpenError) << c.what;
    EXPECT_EQ(ReadFile(record), AnalogBytes()) << c.what;
    EXPECT_EQ(FolderListing(f.dir), before) << c.what;
  }
}

TEST(RecordOverwrite, DiscreteConversionRefusesEveryFileOfThePairThatIsTheRecord) {
  for (const Clash& c : Clashes("rec.txt")) {
    FormFixture f;
    const std::string record = f.Put(c.record, DiscreteBytes());
    c.arrange(f.dir);
    const Lines before = FolderListing(f.dir);
    StartMoment moment;
    ConvertDiscrete(record, c.prefix + (f.dir / c.out), moment, f.reports);
    EXPECT_EQ(f.reports.errors, kOpenError) << c.what;
    EXPECT_EQ(ReadFile(record), DiscreteBytes()) << c.what;
    EXPECT_EQ(FolderListing(f.dir), before) << c.what;
  }
}

TEST(RecordOverwrite, CombinedConversionRefusesPairAndStateFileOverEitherRecord) {
  struct Case {
    const char* what;
    std::string out;
    std::function<void(const TempDir&)> arrange;
    std::string state = "tmp.tmp";
  };
  const std::vector<Case> cases = {
      {"chosen path is the analog record", "rec.flh", [](const TempDir&) {}},
      {"chosen path is the discrete record", "rec.txt", [](const TempDir&) {}},
      {"data file is a hard link to the discrete record", "out.cfg",
       [](const TempDir& d) {
         fs::create_hard_link(FsPath(d / "rec.txt"), FsPath(d / "out.dat"));
       }},
#ifdef _WIN32
      {"chosen path is the discrete record in another letter case", "REC.txt",
       [](const TempDir&) {}},
#else
      {"ASCII data file is a symbolic link to the analog record", "out.cfg",
       [](const TempDir& d) { fs::create_symlink(d / "rec.flh", d / "outASCII.dat"); }},
#endif
      {"state file is a hard link to the discrete record", "out.cfg",
       [](const TempDir& d) {
         fs::create_hard_link(FsPath(d / "rec.txt"), FsPath(d / "tmp.tmp"));
       }},
#ifdef _WIN32
      {"state file is the analog record in another letter case", "out.cfg", [](const TempDir&) {},
       "Rec.FLH"},
#else
      {"state file is a symbolic link to the analog record", "out.cfg",
       [](const TempDir& d) { fs::create_symlink(d / "rec.flh", d / "tmp.tmp"); }},
#endif
  };
  for (const Case& c : cases) {
    FormFixture f;
    const std::string flh = f.Put("rec.flh", AnalogBytes());
    const std::string txt = f.Put("rec.txt", DiscreteBytes());
    c.arrange(f.dir);
    const Lines before = FolderListing(f.dir);
    ConvertCombined(flh, txt, f.dir / c.out, f.dir / c.state, f.reports);
    EXPECT_EQ(f.reports.errors, kOpenError) << c.what;
    EXPECT_EQ(ReadFile(f.dir / "rec.flh"), AnalogBytes()) << c.what;
    EXPECT_EQ(ReadFile(f.dir / "rec.txt"), DiscreteBytes()) << c.what;
    EXPECT_EQ(FolderListing(f.dir), before) << c.what;
  }
}

TEST(RecordOverwrite, RecordsOwnFailuresComeFirstAndCommandLineStopsWithStatus1) {
  // A damaged record named as its own output is reported as damaged, and kept.
  FormFixture f;
  const std::string damaged = f.Put("rec.flh", AnalogBytes() + "x");
  ConvertAnalog(damaged, damaged, f.reports);
  EXPECT_EQ(f.reports.errors, Lines{"Файл поврежден"});
  EXPECT_EQ(ReadFile(damaged), AnalogBytes() + "x");

  // The discrete reader's message comes before the refusal, which is then not needed.
  FormFixture g;
  const std::string broken = g.Put("rec.txt", "");
  StartMoment moment;
  ConvertDiscrete(broken, broken, moment, g.reports);
  EXPECT_EQ(g.reports.errors, Lines{"Поврежден1"});

  // velk-convert passes the header check, then refuses to convert the record into itself.
  TempDir dir;
  WriteFile(dir / "rec.flh", AnalogBytes());
  const auto result = RunConvert({"analog", dir / "rec.flh", dir / "rec.flh"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "Ошибка открытия файла\n");
  EXPECT_EQ(ReadFile(dir / "rec.flh"), AnalogBytes());
  EXPECT_EQ(FolderListing(dir), Lines{"rec.flh " + std::to_string(AnalogBytes().size())});
}

}  // namespace
}  // namespace velk::testing
