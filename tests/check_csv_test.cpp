// velk-convert check and csv as a user runs them, over the pairs our own
// conversions write and over records that depart from the standard, and the
// side csv and readout give values on.
#include <gtest/gtest.h>

#include <sstream>

#include "analog/device_types.h"
#include "cli/cli_run.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tests/support/run_program.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/examples.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Velk(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCommandLine(args, "", out, err);
  return {status, out.str(), err.str()};
}

FlhRecord RecordOfType(int type) {
  FlhRecord r;
  r.device_type = static_cast<std::int8_t>(type);
  r.Name("ПС Север").Factor(0, 1, 0x4000).Factor(4, 0, 0x6C00).Number(12, 1005).Number(14, 600);
  return r.Ramp(40);
}

std::string Examples() {
  return std::string(VELK_SOURCE_DIR) + "/examples/";
}

// Every pair our conversions write, of every device type, in both forms,
// conforms: check says so with exit status 0 and reads every sample.
TEST(CheckCommand, EveryPairOurConversionsWriteConforms) {
  TempDir dir;
  std::vector<std::string> pairs;
  std::vector<int> codes;
  for (const DeviceType& type : DeviceTypes()) codes.push_back(type.code);
  codes.push_back(33);  // a code of no type: the fallback type's channels
  for (int code : codes) {
    const std::string name = "type" + std::to_string(code);
    WriteFile(dir / (name + ".flh"), RecordOfType(code).Bytes());
    ASSERT_EQ(Velk({"analog", dir / (name + ".flh"), dir / (name + ".cfg")}).status, 0);
    pairs.push_back(name);
  }
  WriteFile(dir / "events.txt", DiscreteRecord()
                                    .Pair("Запись", "ВЕЛК")
                                    .Start("Пуск защиты")
                                    .Event("0012.345", "П", "Реле тока 1")
                                    .Event("0020.000", "У", "Реле тока 1")
                                    .Bytes());
  ASSERT_EQ(Velk({"discrete", dir / "events.txt", dir / "events.cfg"}).status, 0);
  pairs.push_back("events");
  ASSERT_EQ(Velk({"combined", Examples() + "feeder_type60.flh", Examples() + "feeder_type60.txt",
                  dir / "both.cfg"})
                .status,
            0);
  pairs.push_back("both");
  for (const std::string& name : pairs) {
    for (const std::string& form : {name, name + "ASCII"}) {
      const CliRun text = Velk({"check", dir / (form + ".cfg")});
      EXPECT_EQ(text.status, 0) << form << "\n" << text.out;
      const CliRun json = Velk({"check", "--json", dir / (form + ".cfg")});
      EXPECT_EQ(json.status, 0) << form;
      EXPECT_NE(json.out.find("\"encoding\":\"cp1251\""), std::string::npos) << form;
      EXPECT_EQ(json.out.find("\"severity\":\"warning\""), std::string::npos) << form;
    }
  }
  const CliRun forty = Velk({"check", "--json", dir / "type31.cfg"});
  EXPECT_NE(forty.out.find("\"samples\":40,\"announced_samples\":40"), std::string::npos)
      << forty.out;
  EXPECT_NE(forty.out.find("\"station\":\"ПС Север\""), std::string::npos) << forty.out;
}

TEST(CheckCommand, ExitStatusSaysWhetherTheRecordConformsReadsOrNot) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RecordOfType(31).Bytes());
  ASSERT_EQ(Velk({"analog", dir / "rec.flh", dir / "out.cfg"}).status, 0);
  std::string cfg = ReadFile(dir / "out.cfg");
  cfg.replace(cfg.find(",1999"), 5, ",2001");
  WriteFile(dir / "old.cfg", cfg);
  std::filesystem::copy(dir / "out.dat", dir / "old.dat");
  const CliRun departs = Velk({"check", dir / "old.cfg"});
  EXPECT_EQ(departs.status, 1);
  EXPECT_NE(departs.out.find("предупреждение: " + dir / "old.cfg" + ":1:3: [rev-year]"),
            std::string::npos)
      << departs.out;
  const CliRun json = Velk({"check", "--json", dir / "old.cfg"});
  EXPECT_NE(json.out.find("{\"severity\":\"warning\",\"code\":\"rev-year\""), std::string::npos);
  const CliRun missing = Velk({"check", dir / "none.cfg"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.out.find("[cfg-open]"), std::string::npos);
  {
    // The configuration opens, the data fails to read part way.
    FaultyFiles faults;
    faults.CutReads("out.dat", 30, /*read_error=*/true);
    const CliRun unread = Velk({"check", dir / "out.cfg"});
    EXPECT_EQ(unread.status, 2);
    EXPECT_NE(unread.out.find("[read-error]"), std::string::npos) << unread.out;
    EXPECT_NE(unread.out.find("Запись не читается"), std::string::npos) << unread.out;
  }
  EXPECT_EQ(Velk({"check"}).status, 64);
  EXPECT_EQ(Velk({"check", dir / "out.cfg", "--encoding", "ebcdic"}).status, 64);
  EXPECT_EQ(Velk({"check", dir / "out.cfg", "--encoding", "utf-8"}).status, 0);
  EXPECT_EQ(Velk({"csv", dir / "out.cfg"}).status, 64);
  EXPECT_EQ(Velk({"csv", dir / "none.cfg", dir / "t.csv"}).status, 2);
}

// csv of a device record is the csv of the pair its conversion writes, in
// either form; the values are a·x + b of the stored ones.
TEST(CsvCommand, WritesOneRowPerSampleOfOurRecordsAndOfTheirPairs) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RecordOfType(31).Bytes());
  ASSERT_EQ(Velk({"analog", dir / "rec.flh", dir / "out.cfg"}).status, 0);
  ASSERT_EQ(Velk({"csv", dir / "rec.flh", dir / "flh.csv"}).status, 0);
  ASSERT_EQ(Velk({"csv", dir / "out.cfg", dir / "bin.csv"}).status, 0);
  ASSERT_EQ(Velk({"csv", dir / "outASCII.cfg", dir / "ascii.csv"}).status, 0);
  const std::string table = ReadFile(dir / "flh.csv");
  EXPECT_EQ(table, ReadFile(dir / "bin.csv"));
  EXPECT_EQ(table, ReadFile(dir / "ascii.csv"));
  const std::vector<std::string> rows = CrLfLines(table);
  ASSERT_EQ(rows.size(), 41u);
  EXPECT_TRUE(rows[0].starts_with("\"Время, мс\",\"Ток I, mA\",\"Напряжение U, mV\"")) << rows[0];
  // Sample 2 of the ramp stores 101 and 102: 1.25 ms, 101 × 4.7587, 102 × 14.1.
  EXPECT_EQ(rows[2], "1.25,480.6287,1438.2") << rows[2];
  ASSERT_EQ(Velk({"csv", dir / "out.cfg", dir / "excel.csv", "--excel", "--primary"}).status, 0);
  const std::vector<std::string> excel = CrLfLines(ReadFile(dir / "excel.csv"));
  EXPECT_TRUE(excel[0].starts_with("\xEF\xBB\xBFВремя, мс;Ток I, A;Напряжение U, kV")) << excel[0];
  // Primary: times 600 and 1005 of the record's transformer ratios, in A and kV.
  EXPECT_EQ(excel[2], "1,25;288,37722;1,445391") << excel[2];

  // A combined record: the analog channels, then the signals as 0 and 1.
  ASSERT_EQ(Velk({"csv", Examples() + "feeder_type60.flh", Examples() + "feeder_type60.txt",
                  dir / "both.csv"})
                .status,
            0);
  const std::vector<std::string> both = CrLfLines(ReadFile(dir / "both.csv"));
  EXPECT_NE(both[0].find(",Пуск регистратора,"), std::string::npos);
  EXPECT_TRUE(both[1].ends_with(",0,0,0,0,0,0,0")) << both[1];
  // A missing value is an empty field.
  WriteFile(dir / "gap.cfg",
            "S,R,1999\r\n1,1A,0D\r\n1,I,,,A,2,0,0,-1,1,1,1,S\r\n50\r\n1\r\n"
            "1000,3\r\n01/01/2024,00:00:00.000000\r\n01/01/2024,00:00:00.000000\r\n"
            "ASCII\r\n1\r\n");
  WriteFile(dir / "gap.dat", "1,0,4\r\n2,1000,99999\r\n3,2000,\r\n");
  ASSERT_EQ(Velk({"csv", dir / "gap.cfg", dir / "gap.csv"}).status, 0);
  EXPECT_EQ(ReadFile(dir / "gap.csv"), "\"Время, мс\",\"I, A\"\r\n0,8\r\n1,\r\n2,\r\n");
  // A record that its check rejects gives no table.
  WriteFile(dir / "bad.flh", "short");
  EXPECT_EQ(Velk({"csv", dir / "bad.flh", dir / "bad.csv"}).status, 2);
}

// A record whose voltage and current are primary in its file, and whose
// residual current is secondary, in mA; a signal's name holds quotes. csv and
// readout give each value on the side asked for (the file's by default) in
// that side's unit, and the header quotes what holds a comma or a quote.
TEST(CsvCommand, EachValueCarriesTheUnitOfItsSideAndTheHeaderItsCells) {
  TempDir dir;
  WriteFile(dir / "side.cfg",
            Cp("ПС,Р,1999\r\n4,3A,1D\r\n1,UA,A,L1,kV,0.001,0,0,-99999,99999,1100,1,P\r\n"
               "2,IA,A,L1,A,0.01,0,0,-99999,99999,120,1,P\r\n"
               "3,3Io,N,L1,mA,1,0,0,-99999,99999,120,1,S\r\n1,Пуск \"МТЗ\",,,0\r\n"
               "50\r\n1\r\n1000,1\r\n01/01/2024,00:00:00.000000\r\n"
               "01/01/2024,00:00:00.000000\r\nASCII\r\n1\r\n"));
  WriteFile(dir / "side.dat", "1,0,23490,30000,1000,1\r\n");
  for (const auto& [side, table] : std::vector<std::pair<std::string, std::string>>{
           {"", R"("Время, мс","UA, kV","IA, A","3Io, mA","Пуск ""МТЗ"""|0,23.49,300,1000,1)"},
           {"--primary",
            R"("Время, мс","UA, kV","IA, A","3Io, A","Пуск ""МТЗ"""|0,23.49,300,120,1)"},
           {"--secondary",
            R"("Время, мс","UA, V","IA, A","3Io, mA","Пуск ""МТЗ"""|0,21.35454545,2.5,1000,1)"}}) {
    std::vector<std::string> args{"csv", dir / "side.cfg", dir / "side.csv"};
    if (!side.empty()) args.push_back(side);
    ASSERT_EQ(Velk(args).status, 0);
    const std::vector<std::string> rows = CrLfLines(ReadFile(dir / "side.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0] + "|" + rows[1], table);
  }

  // readout opens the record on the side most of its channels give.
  const CliRun json = Velk({"readout", dir / "side.cfg", "--at", "0", "--json"});
  EXPECT_NE(json.out.find("\"side\": \"primary\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"unit\": \"A\", \"value\": 120,"), std::string::npos);
  const CliRun text = Velk({"readout", dir / "side.cfg", "--at", "0", "--secondary"});
  EXPECT_TRUE(text.out.starts_with("вторичные значения / secondary values\n")) << text.out;
  EXPECT_NE(text.out.find("  UA, V: 21.355"), std::string::npos);
  EXPECT_NE(text.out.find("  3Io, mA: 1000.000"), std::string::npos);
}

// A decimal comma of the locale changes no number that check or csv prints.
TEST(CheckCommand, PrintsTheSameUnderADecimalCommaLocale) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RecordOfType(14).Bytes());
  ASSERT_EQ(Velk({"analog", dir / "rec.flh", dir / "out.cfg"}).status, 0);
  const auto c = RunConvert({"check", "--json", dir / "out.cfg"}, "LC_ALL=C");
  const auto ru = RunConvert({"check", "--json", dir / "out.cfg"}, "LC_ALL=ru_RU.UTF-8");
  EXPECT_EQ(ru.out, c.out);
  EXPECT_EQ(ru.err, "") << "the ru_RU.UTF-8 locale is missing: run scripts/setup.sh";
  ASSERT_EQ(RunConvert({"csv", dir / "out.cfg", dir / "c.csv"}, "LC_ALL=C").status, 0);
  ASSERT_EQ(RunConvert({"csv", dir / "out.cfg", dir / "ru.csv"}, "LC_ALL=ru_RU.UTF-8").status, 0);
  EXPECT_EQ(ReadFile(dir / "ru.csv"), ReadFile(dir / "c.csv"));
  EXPECT_NE(ReadFile(dir / "c.csv").find("."), std::string::npos);
}

}  // namespace
}  // namespace velk::testing
