// velk-convert as a user runs it: exit statuses, messages and the files written.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/fakes.h"
#include "tests/support/run_program.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

FlhRecord SmallRecord() {
  FlhRecord r;
  r.device_type = 31;
  r.Name("ПС Север").Factor(0, 1, 0).Factor(4, 0, 0x8000).Number(12, 1000).Number(14, 600);
  return r.Ramp(4);
}

TEST(CommandLineAnalog, ConvertsSilentlyIntoTheFourFiles) {
  TempDir dir;
  WriteFile(dir / "rec.flh", SmallRecord().Bytes());
  const auto result = RunConvert({"analog", dir / "rec.flh", dir / "out.cfg"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(ReadFile(dir / "out.cfg").substr(0, 20), Cp("ПС Север    ,,1999\r\n"));
  EXPECT_EQ(ReadFile(dir / "outASCII.dat"),
            "1,0,1,2\r\n2,0,101,102\r\n3,0,201,202\r\n4,0,301,302\r\n");
}

TEST(CommandLineAnalog, RejectsWhatTheHeaderCheckRejectsWithStatus2) {
  TempDir dir;
  WriteFile(dir / "bad.flh", SmallRecord().Bytes() + "x");
  auto damaged = RunConvert({"analog", dir / "bad.flh", dir / "out.cfg"});
  EXPECT_EQ(damaged.status, 2);
  EXPECT_EQ(damaged.err, "Поврежден\n");
  auto missing = RunConvert({"analog", dir / "none.flh", dir / "out.cfg"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "Не найден\n");
  EXPECT_FALSE(Exists(dir / "out.cfg"));
}

TEST(CommandLineAnalog, ReportsConversionFailuresWithStatus1) {
  TempDir dir;
  WriteFile(dir / "rec.flh", SmallRecord().Bytes());
  auto no_folder = RunConvert({"analog", dir / "rec.flh", dir / "none/out.cfg"});
  EXPECT_EQ(no_folder.status, 1);
  EXPECT_EQ(no_folder.err, "Ошибка открытия файла\n");
#ifndef _WIN32
  // A disk that fills, for real: the data file is a link to a device that is always full.
  std::filesystem::create_symlink("/dev/full", dir / "out.dat");
  auto full = RunConvert({"analog", dir / "rec.flh", dir / "out.cfg"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "Ошибка записи файла\n");
#endif
}

TEST(CommandLineDiscrete, ChecksThenConverts) {
  TempDir dir;
  WriteFile(dir / "rec.txt", DiscreteRecord().Start().Event("0001.500", "П", "Реле").Bytes());
  const auto result = RunConvert({"discrete", dir / "rec.txt", dir / "out.cfg"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReadFile(dir / "outASCII.dat"), "1,0,1,0\r\n2,1500,1,1\r\n");

  WriteFile(dir / "empty.txt", "");
  const auto empty = RunConvert({"discrete", dir / "empty.txt", dir / "e.cfg"});
  EXPECT_EQ(empty.status, 2);
  EXPECT_EQ(empty.err, "Поврежден1\n");
  EXPECT_FALSE(Exists(dir / "e.cfg"));
  const auto missing = RunConvert({"discrete", dir / "none.txt", dir / "e.cfg"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "Не найден\n");
  const auto unwritable = RunConvert({"discrete", dir / "rec.txt", dir / "none/out.cfg"});
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "Ошибка открытия файла\n");
}

TEST(CommandLineCombined, ConvertsRecordsOfOneStartMomentWithAPrivateStateFile) {
  TempDir dir, temp;
  FlhRecord analog = SmallRecord().Ramp(100);
  analog.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};  // 13.02.2019 16:33:45
  WriteFile(dir / "rec.flh", analog.Bytes());
  WriteFile(dir / "rec.txt", DiscreteRecord().Start().Event("0000.010", "П", "A").Bytes());
  const auto result = RunConvert({"combined", dir / "rec.flh", dir / "rec.txt", dir / "u.cfg"},
                                 "TMPDIR=" + temp.Folder());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_NE(ReadFile(dir / "u.cfg").find("\r\n800.0,87\r\n13/02/2019,16:33:45.000000\r\n"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Folder()));  // the state file is gone
  EXPECT_FALSE(Exists(dir / "tmp.tmp"));
}

TEST(CommandLineCombined, RefusesWhatTheWindowWouldNotAllow) {
  TempDir dir;
  FlhRecord analog = SmallRecord().Ramp(100);
  analog.moment_bcd = {0x24, 0x02, 0x13, 0x16, 0x33, 0x46};  // one second later
  WriteFile(dir / "later.flh", analog.Bytes());
  WriteFile(dir / "bad.flh", "short");
  WriteFile(dir / "rec.txt", DiscreteRecord().Start().Bytes());
  WriteFile(dir / "bad.txt", "");
  const auto differ = RunConvert({"combined", dir / "later.flh", dir / "rec.txt", dir / "u.cfg"});
  EXPECT_EQ(differ.status, 2);
  EXPECT_NE(differ.err.find("не совпадают"), std::string::npos);
  const auto bad_analog = RunConvert({"combined", dir / "bad.flh", dir / "rec.txt", dir / "u.cfg"});
  EXPECT_EQ(bad_analog.status, 2);
  EXPECT_EQ(bad_analog.err, "Поврежден\n");
  const auto bad_discrete =
      RunConvert({"combined", dir / "later.flh", dir / "bad.txt", dir / "u.cfg"});
  EXPECT_EQ(bad_discrete.status, 2);
  EXPECT_EQ(bad_discrete.err, "Поврежден1\n");
  EXPECT_FALSE(Exists(dir / "u.cfg"));
  EXPECT_FALSE(Exists(dir / "u.dat"));
}

TEST(CommandLine, ExplainsItselfAndRefusesWrongUsage) {
  auto help = RunConvert({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("velk-convert analog RECORD.flh OUT.cfg"), std::string::npos);
  EXPECT_NE(help.out.find("аналоговая запись"), std::string::npos);
  // The version is the build's own, the one the window's «О программе» shows.
  auto version = RunConvert({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("velk-convert ") + VELK_VERSION + "\n");
  EXPECT_EQ(RunConvert({"--version", "x.flh"}).status, 64);
  auto wrong = RunConvert({"analog", "only-one-argument"});
  EXPECT_EQ(wrong.status, 64);
  EXPECT_NE(wrong.err.find("velk-convert analog RECORD.flh OUT.cfg"), std::string::npos);
  EXPECT_EQ(RunConvert({}).status, 64);

  // Each command's own help, wherever --help stands among its arguments.
  for (const auto& [command, usage] : std::vector<std::pair<std::string, std::string>>{
           {"analog", "velk-convert analog RECORD.flh OUT.cfg"},
           {"discrete", "velk-convert discrete RECORD.txt OUT.cfg"},
           {"combined", "velk-convert combined RECORD.flh RECORD.txt OUT.cfg"},
           {"batch", "velk-convert batch [--recursive]"},
           {"picture", "velk-convert picture FILE.cfg|FILE.cff OUT.svg"},
           {"readout", "velk-convert readout FILE.cfg|FILE.cff --at MS"},
           {"check", "velk-convert check FILE.cfg|FILE.cff"},
           {"csv", "velk-convert csv SOURCE... OUT.csv"}}) {
    const auto asked = RunConvert({command, "--help"});
    EXPECT_EQ(asked.status, 0) << command;
    EXPECT_EQ(asked.err, "") << command;
    EXPECT_NE(asked.out.find(usage), std::string::npos) << command << ": " << asked.out;
    EXPECT_EQ(asked.out.find("velk-convert --version"), std::string::npos) << command;
    EXPECT_EQ(RunConvert({command, "x.cfg", "-h"}).out, asked.out) << command;
  }
  EXPECT_NE(RunConvert({"analog", "-h"}).out.find("--revision 1999|2013"), std::string::npos);
  EXPECT_EQ(RunConvert({"check", "--", "--help"}).status, 64);  // a file named --help

  const auto unknown = RunConvert({"convert", "rec.flh", "out.cfg"});
  EXPECT_EQ(unknown.status, 64);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(
      unknown.err,
      "Неизвестная команда (unknown command): convert; справка / help: velk-convert --help\n");
}

// Numbers in files never follow the locale: a Russian locale's decimal comma
// would split COMTRADE fields.
TEST(CommandLine, WritesTheSameBytesUnderADecimalCommaLocale) {
  TempDir dir;
  WriteFile(dir / "rec.flh", SmallRecord().Bytes());
  ASSERT_EQ(RunConvert({"analog", dir / "rec.flh", dir / "c.cfg"}, "LC_ALL=C").status, 0);
  const auto ru = RunConvert({"analog", dir / "rec.flh", dir / "ru.cfg"}, "LC_ALL=ru_RU.UTF-8");
  ASSERT_EQ(ru.status, 0) << ru.err;
  ASSERT_EQ(ru.err, "") << "the ru_RU.UTF-8 locale is missing: run scripts/setup.sh";
  EXPECT_EQ(ReadFile(dir / "ru.cfg"), ReadFile(dir / "c.cfg"));
  EXPECT_NE(ReadFile(dir / "ru.cfg").find("5.6400"), std::string::npos);
}

TEST(Examples, ShippedRecordsAreWhatTheGeneratorMakesAndConvert) {
  TempDir dir;
  const std::string examples = std::string(VELK_SOURCE_DIR) + "/examples/";
  const auto combined = RunConvert(
      {"combined", examples + "feeder_type60.flh", examples + "feeder_type60.txt", dir / "u.cfg"});
  EXPECT_EQ(combined.status, 0) << combined.err;
  for (const auto& [name, bytes] : ExampleRecords()) {
    const std::string shipped = std::string(VELK_SOURCE_DIR) + "/examples/" + name;
    EXPECT_EQ(ReadFile(shipped), bytes) << name << ": run make-examples examples";
    const char* kind = name.ends_with(".flh") ? "analog" : "discrete";
    const auto result = RunConvert({kind, shipped, dir / "out.cfg"});
    EXPECT_EQ(result.status, 0) << name << result.err;
  }
}

}  // namespace
}  // namespace velk::testing

namespace velk::testing {
namespace {

// The picture of a small pair of records: as SVG, searchable by its names, and
// answered for with the conversions' exit statuses.
TEST(CommandLinePicture, WritesTheSvgAndAnswersAsTheConversionsDo) {
  TempDir dir;
  FlhRecord analog = SmallRecord().Ramp(100);
  analog.moment_bcd = {0x19, 0x02, 0x13, 0x16, 0x33, 0x45};
  WriteFile(dir / "rec.flh", analog.Bytes());
  WriteFile(dir / "rec.txt", DiscreteRecord().Start().Event("0000.010", "П", "Отключение").Bytes());
  auto done = RunConvert({"picture", dir / "rec.flh", dir / "rec.txt", dir / "p.svg", "--width",
                          "600", "--from", "-5", "--to", "140"});
  ASSERT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(done.err, "");
  const std::string golden = ReadFile(std::string(VELK_SOURCE_DIR) + "/tests/data/small_pair.svg");
  EXPECT_EQ(Mismatch(ReadFile(dir / "p.svg"), golden), "");
  EXPECT_NE(ReadFile(dir / "p.svg").find(">Отключение</text>"), std::string::npos);

  WriteFile(dir / "late.txt",
            DiscreteRecord().Pair("13 02 16:34:45", "Пуск").Event("0000.010", "П", "A").Bytes());
  done = RunConvert({"picture", dir / "rec.flh", dir / "late.txt", dir / "q.svg"});
  EXPECT_EQ(done.status, 2);
  EXPECT_NE(done.err.find("start moments differ"), std::string::npos);
  WriteFile(dir / "bad.flh", analog.Bytes() + "x");
  done = RunConvert({"picture", dir / "bad.flh", dir / "q.svg"});
  EXPECT_EQ(done.status, 2);
  EXPECT_EQ(done.err, "Поврежден\n");
  EXPECT_FALSE(Exists(dir / "q.svg"));
  done = RunConvert({"picture", dir / "rec.flh", dir / "no-such-folder/q.svg"});
  EXPECT_EQ(done.status, 1);
  EXPECT_NE(done.err, "");
  for (const std::vector<std::string>& wrong :
       {std::vector<std::string>{"picture", dir / "rec.flh"},
        {"picture", dir / "rec.txt", dir / "rec.flh", dir / "q.svg"},
        {"picture", dir / "rec.flh", dir / "q.svg", "--width", "20"},
        {"picture", dir / "rec.flh", dir / "q.svg", "--from", "9", "--to", "3"}})
    EXPECT_EQ(RunConvert(wrong).status, 64);
}

}  // namespace
}  // namespace velk::testing
