// velk-convert as a user runs it: exit statuses, messages and the files written.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/discrete_builder.h"
#include "tests/support/examples.h"
#include "tests/support/fakes.h"
#include "tests/support/record_builder.h"
#include "tests/support/run_program.h"

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
  std::filesystem::create_symlink("/dev/full", dir / "out.dat");
  auto full = RunConvert({"analog", dir / "rec.flh", dir / "out.cfg"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "Ошибка записи файла\n");
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

TEST(CommandLine, ExplainsItselfAndRefusesWrongUsage) {
  auto help = RunConvert({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("velk-convert analog RECORD.flh OUT.cfg"), std::string::npos);
  EXPECT_NE(help.out.find("аналоговая запись"), std::string::npos);
  auto wrong = RunConvert({"analog", "only-one-argument"});
  EXPECT_EQ(wrong.status, 64);
  EXPECT_EQ(RunConvert({}).status, 64);
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
