// The combined conversion: discrete states laid onto the analog sample grid.
#include <gtest/gtest.h>

#include <filesystem>

#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

// A type-31 record (two analog channels, w0 and w1) of the given samples,
// started 13.02.2023 at a time of day that differs from the discrete record's.
FlhRecord Analog(int samples) {
  FlhRecord r;
  r.device_type = 31;
  r.moment_bcd = {0x23, 0x02, 0x13, 0x01, 0x02, 0x03};
  r.Name("ПС Север").Factor(0, 1, 0).Factor(4, 0, 0x8000).Number(12, 1000).Number(14, 600);
  return r.Ramp(samples);
}

// States at 0, 10, 12 and 13 ms: Пуск; then A; then B; then A drops out.
DiscreteRecord WorkedStates() {
  return DiscreteRecord()
      .Start()
      .Event("0000.010", "П", "A")
      .Event("0000.012", "П", "B")
      .Event("0000.013", "У", "A");
}

struct CombinedFixture : FormFixture {
  void Convert(const std::string& flh, const std::string& txt, const std::string& out = "out.cfg") {
    ConvertRecords(Put("rec.flh", flh), Put("rec.txt", txt), out);
  }
  // Converts the records at these paths; the state file lies in the test folder.
  void ConvertRecords(const std::string& flh, const std::string& txt,
                      const std::string& out = "out.cfg") {
    ConvertCombined(flh, txt, dir / out, dir / "tmp.tmp", reports);
  }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
  Lines Split(const std::string& name) const { return FileLines(dir / name); }
  // The digital part of each ASCII data line (after the two analog values).
  Lines DigitalColumns() const {
    Lines digital;
    for (const std::string& line : Split("outASCII.dat")) {
      std::size_t at = 0;
      for (int field = 0; field < 4; ++field) at = line.find(',', at) + 1;
      digital.push_back(line.substr(at));
    }
    return digital;
  }
};

// The expected data record of sample n (1-based) of a type-31 ramp.
std::string Record(int n, std::uint16_t status) {
  const auto w0 = static_cast<std::int16_t>(1 + 100 * (n - 1));
  return I32(n) + I32(0) + I16(w0) + I16(static_cast<std::int16_t>(w0 + 1)) +
         I16(static_cast<std::int16_t>(status));
}

// The sample-rate line of a configuration file.
std::string RateLine(const Lines& cfg) {
  for (const auto& line : cfg)
    if (line.starts_with("800.0,")) return line;
  return "";
}

// "first-last:value" runs of the digital columns, for readable expectations.
Lines Runs(const Lines& digital) {
  Lines runs;
  std::size_t first = 0;
  for (std::size_t i = 1; i <= digital.size(); ++i) {
    if (i == digital.size() || digital[i] != digital[first]) {
      runs.push_back(std::to_string(first + 1) + "-" + std::to_string(i) + ":" + digital[first]);
      first = i;
    }
  }
  return runs;
}

TEST(CombinedConversion, WritesTheWorkedExampleWhole) {
  CombinedFixture f;
  f.Convert(Analog(200).Bytes(), WorkedStates().Bytes());
  EXPECT_TRUE(f.reports.errors.empty());
  const Lines cfg = {Cp("ПС Север    ,,1999"),
                     "5,2A,3D",
                     Cp("1,Ток I,,,mA,5.6400,0.0,0,-32767,32767,600,1,S"),
                     Cp("2,Напряжение U,,,mV,11.2800,0.0,0,-32767,32767,1000,1,S"),
                     Cp("3,Пуск,,,0"),
                     "4,A,,,0",
                     "5,B,,,0",
                     "50.0",
                     "1",
                     "800.0,90",
                     "13/02/2023,16:33:45.000000",  // discrete day and time, analog year
                     "13/02/2023,16:33:45.100000",
                     "BINARY",
                     "1"};
  EXPECT_EQ(f.Read("out.cfg"), CrLf(cfg));
  std::string dat;
  for (int n = 1; n <= 90; ++n) {
    const std::uint16_t status = n <= 78   ? 0
                                 : n <= 86 ? 0b001
                                 : n <= 88 ? 0b011
                                 : n == 89 ? 0b111
                                           : 0b101;
    dat += Record(n, status);
  }
  EXPECT_EQ(f.Read("out.dat"), dat);
  Lines ascii = cfg;
  ascii[12] = "ASCII";
  ascii.push_back("");
  EXPECT_EQ(f.Read("outASCII.cfg"), CrLf(ascii));
  const Lines data = f.Split("outASCII.dat");
  ASSERT_EQ(data.size(), 90u);
  EXPECT_EQ(data[0], "1,0,1,2,0,0,0");
  EXPECT_EQ(data[78], "79,0,7801,7802,1,0,0");
  EXPECT_EQ(data[89], "90,0,8901,8902,1,0,1");
  // The state file stays beside the executable.
  EXPECT_EQ(f.Read("tmp.tmp"), I32(1) + I32(0) + I16(1) + I32(2) + I32(10) + I16(3) + I32(3) +
                                   I32(12) + I16(7) + I32(4) + I32(13) + I16(5));
}

TEST(CombinedConversion, EachStateCoversTheSamplesItsDurationReaches) {
  struct Case {
    std::vector<std::string> times;  // of the events of signals A, B, C, D
    Lines runs;
  };
  const std::vector<Case> cases = {
      // 10 ms: 8 samples, 1 ms: 1, 2 ms: 2, 7 ms: 6, then the last state: 1.
      {{"0000.010", "0000.011", "0000.013", "0000.020"},
       {"1-78:0,0,0,0,0", "79-86:1,0,0,0,0", "87-87:1,1,0,0,0", "88-89:1,1,1,0,0",
        "90-95:1,1,1,1,0", "96-96:1,1,1,1,1"}},
      // 3 ms: 2 samples, 8 ms: 6 (a remainder of 0.5 ms covers no further
      // sample), 3 ms: 2, then the last state: 1.
      {{"0000.010", "0000.013", "0000.021", "0000.024"},
       {"1-78:0,0,0,0,0", "79-86:1,0,0,0,0", "87-88:1,1,0,0,0", "89-94:1,1,1,0,0",
        "95-96:1,1,1,1,0", "97-97:1,1,1,1,1"}},
      // 0000.010 and 010 are different texts of one time: a state of 0 ms still
      // covers a sample (the header check would refuse the record; the
      // conversion takes it as it comes).
      {{"0000.005", "0000.010", "010", "0000.012"},
       {"1-78:0,0,0,0,0", "79-82:1,0,0,0,0", "83-86:1,1,0,0,0", "87-87:1,1,1,0,0",
        "88-89:1,1,1,1,0", "90-90:1,1,1,1,1"}}};
  for (const Case& c : cases) {
    DiscreteRecord record;
    record.Start();
    const char* names[] = {"A", "B", "C", "D"};
    for (std::size_t e = 0; e < c.times.size(); ++e) record.Event(c.times[e], "П", names[e]);
    CombinedFixture f;
    f.Convert(Analog(300).Bytes(), record.Bytes());
    EXPECT_EQ(Runs(f.DigitalColumns()), c.runs) << c.times[0];
  }
}

TEST(CombinedConversion, RecordLengthFollowsTheShorterOfBothRecords) {
  struct Case {
    int analog_samples;
    std::string discrete;
    std::string rate_line;
  };
  const std::vector<Case> cases = {
      {100, DiscreteRecord().Start().Bytes(), "800.0,79"},  // one state: lead-in and one sample
      {78, WorkedStates().Bytes(), "800.0,78"},             // no sample for a state
      {85, WorkedStates().Bytes(), "800.0,85"},             // the analog record ends first
      {40, WorkedStates().Bytes(), "800.0,40"},             // shorter than the lead-in
      {0, WorkedStates().Bytes(), "800.0,0"}};
  for (const Case& c : cases) {
    CombinedFixture f;
    f.Convert(Analog(c.analog_samples).Bytes(), c.discrete);
    EXPECT_TRUE(f.reports.errors.empty()) << c.analog_samples;
    EXPECT_EQ(RateLine(f.Split("out.cfg")), c.rate_line) << c.analog_samples;
    const std::size_t samples = std::stoul(c.rate_line.substr(6));
    EXPECT_EQ(f.Read("out.dat").size(), samples * 14) << c.analog_samples;
    EXPECT_EQ(f.Split("outASCII.dat").size(), samples) << c.analog_samples;
    EXPECT_TRUE(Exists(f.dir / "tmp.tmp"));
  }
}

TEST(CombinedConversion, SeventeenDigitalChannelsTakeTwoStatusWords) {
  // 512 channels still make lines short enough to be put in one piece; 513 do not.
  for (int channels : {16, 17, 512, 513}) {
    DiscreteRecord record;
    record.Start();
    for (int c = 2; c <= channels; ++c) record.Event(TimeWord(c), "П", "K" + std::to_string(c));
    CombinedFixture f;
    f.Convert(Analog(1000).Bytes(), record.Bytes());  // long enough for every pick-up
    const auto words = static_cast<std::size_t>((channels + 15) / 16);
    const Lines cfg = f.Split("out.cfg");
    EXPECT_EQ(cfg[1], std::to_string(2 + channels) + ",2A," + std::to_string(channels) + "D");
    const std::size_t samples = std::stoul(RateLine(cfg).substr(6));
    EXPECT_EQ(f.Read("out.dat").size(), samples * (12 + 2 * words));
    std::string all(static_cast<std::size_t>(channels) * 2 - 1, ',');
    for (std::size_t i = 0; i < all.size(); i += 2) all[i] = '1';
    EXPECT_EQ(f.DigitalColumns().back(), all);
  }
}

TEST(CombinedConversion, LongRecordPrintsEveryBinaryRecordInAscii) {
  // Records of 2 analog values and 2 status words: the data files span several
  // blocks of file access. 20 channels change state every 3 seconds, past the
  // end of the analog record.
  const int samples = static_cast<int>(3 * kBlockSize / 16 + 5);
  DiscreteRecord record;
  record.Start();
  for (int e = 1; e <= 99; ++e)
    record.Event(TimeWord(3000 * e), e <= 19 || e % 2 ? "П" : "У",
                 "K" + std::to_string(e % 19 + 2));
  CombinedFixture f;
  f.Convert(Analog(samples).Bytes(), record.Bytes());
  EXPECT_TRUE(f.reports.errors.empty());
  const Lines cfg = f.Split("out.cfg");
  EXPECT_EQ(cfg[1], "22,2A,20D");
  EXPECT_EQ(RateLine(cfg), "800.0," + std::to_string(samples));
  const std::string dat = f.Read("out.dat");
  EXPECT_EQ(dat.size(), static_cast<std::size_t>(samples) * (12 + 2 * 2));
  EXPECT_EQ(Mismatch(f.Read("outASCII.dat"), AsciiDataOf(dat, 2, 2, 20)), "");
}

TEST(CombinedConversion, OnlyAWholeBinaryLineBecomesAscii) {
  CombinedFixture f;
  f.Convert(Analog(100).Bytes(), DiscreteRecord().Start("BINARY").Bytes(), "rec.txt1");
  const std::string cfg = f.Read("rec.ASCII.cfg");
  EXPECT_NE(cfg.find("\r\n3,BINARY,,,0\r\n"), std::string::npos);
  EXPECT_NE(cfg.find("\r\nASCII\r\n1\r\n\r\n"), std::string::npos);  // ends with an empty line
  EXPECT_TRUE(Exists(f.dir / "rec..dat"));
  EXPECT_TRUE(Exists(f.dir / "rec.ASCII.dat"));
}

// ---- failures: messages in order and what is left on disk ----

std::vector<std::string> FilesLeft(const CombinedFixture& f) {
  std::vector<std::string> files;
  for (const char* name : {"tmp.tmp", "out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat"})
    if (std::filesystem::is_regular_file(f.dir / name)) files.push_back(name);
  return files;
}

TEST(CombinedConversionFailures, UnreadableRecordsStopBeforeAnythingIsWritten) {
  const std::string flh = Analog(100).Bytes();
  const std::string txt = WorkedStates().Bytes();
  struct Case {
    std::string analog_name, analog, discrete_name, discrete;
    Lines errors;
  };
  const std::vector<Case> cases = {{"none.flh", flh, "rec.txt", txt, {"Файл не найден"}},
                                   {"rec.flh", flh + "x", "rec.txt", txt, {"Файл поврежден"}},
                                   {"rec.flh", flh, "none.txt", txt, {"Не найден"}},
                                   {"rec.flh", flh, "rec.txt", "", {"Поврежден1"}},
                                   {"rec.flh",
                                    flh,
                                    "rec.txt",
                                    DiscreteRecord().Pair("13 02 16:33", "Пуск").Bytes(),
                                    {"Поврежден2"}}};
  for (const Case& c : cases) {
    CombinedFixture f;
    f.Put("rec.flh", c.analog);
    f.Put("rec.txt", c.discrete);
    f.ConvertRecords(f.dir / c.analog_name, f.dir / c.discrete_name);
    EXPECT_EQ(f.reports.errors, c.errors);
    EXPECT_TRUE(FilesLeft(f).empty());
  }
}

// Each file of the conversion in turn cannot be created (a folder stands in its
// place) or fills the disk: its message, and the files before it stay.
TEST(CombinedConversionFailures, EachFileThatCannotBeCreatedOrWritten) {
  const std::vector<std::pair<const char*, Lines>> cases = {
      {"tmp.tmp", {}},
      {"out.dat", {"tmp.tmp"}},
      {"out.cfg", {"tmp.tmp", "out.dat"}},
      {"outASCII.cfg", {"tmp.tmp", "out.cfg", "out.dat"}},
      {"outASCII.dat", {"tmp.tmp", "out.cfg", "out.dat", "outASCII.cfg"}}};
  for (const bool full_disk : {false, true}) {
    for (const auto& [failing, left] : cases) {
      CombinedFixture f;
      FaultyFiles files;
      if (full_disk) {
        files.FillDiskAt(failing, 5);
      } else {
        std::filesystem::create_directory(f.dir / failing);
      }
      f.Convert(Analog(100).Bytes(), WorkedStates().Bytes());
      EXPECT_EQ(f.reports.errors,
                Lines{full_disk ? "Ошибка записи файла" : "Ошибка открытия файла"})
          << failing;
      EXPECT_EQ(FilesLeft(f), left) << failing;
    }
  }
}

}  // namespace
}  // namespace velk::testing
