// The analog record: header, device types, channel tables and the conversion.
#include <gtest/gtest.h>

#include <filesystem>

#include "analog/analog_record.h"
#include "analog/channel_tables.h"
#include "analog/flh_header.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

// A record header as in the device's example: 15.07.2024 09:05:30, type 60.
FlhRecord Example() {
  FlhRecord r;
  r.moment_bcd = {0x24, 0x07, 0x15, 0x09, 0x05, 0x30};
  r.device_type = 0x3C;
  return r;
}

struct AnalogFixture : FormFixture {
  // Runs the header check of a record with the given bytes.
  void Check(const std::string& bytes) {
    Select(form.controls.FileListBox1, Put("rec.flh", bytes));
    CheckSelected(form, ListBox::kFileListBox1);
  }
  // Converts a record into out.cfg in the test folder.
  void Convert(const std::string& bytes, const std::string& out = "out.cfg") {
    ConvertAnalog(Put("rec.flh", bytes), dir / out, reports);
  }
  Lines CfgLines(const std::string& name = "out.cfg") const { return FileLines(dir / name); }
};

TEST(AnalogHeader, DecodesBcdStartMomentAndDeviceType) {
  AnalogFixture f;
  f.Check(Example().Bytes());
  EXPECT_EQ(f.form.controls.DateLabel, "15.07.2024 09:05:30");
  EXPECT_EQ(f.form.controls.TipLabel, "60");
  EXPECT_EQ(f.form.analog.AnalogCountANL, 8);
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
  EXPECT_EQ(f.form.analog.year, 2024);
  EXPECT_EQ(f.form.analog.second, 30);
}

TEST(AnalogHeader, ShowsTwoDigitTypeOrFallbackForUnknownCodes) {
  AnalogFixture f;
  FlhRecord r = Example();
  r.device_type = 5;
  f.Check(r.Bytes());
  EXPECT_EQ(f.form.controls.TipLabel, "05");
  EXPECT_EQ(f.form.analog.AnalogCountANL, 8);

  r.device_type = 33;
  f.Check(r.Bytes());
  EXPECT_EQ(f.form.controls.TipLabel, "K7R");
  EXPECT_EQ(f.form.analog.DeviceTypeANL, 99);
  EXPECT_EQ(f.form.analog.AnalogCountANL, 8);

  r.device_type = -100;  // "%02d" cut to two characters
  f.Check(r.Bytes());
  EXPECT_EQ(f.form.controls.TipLabel, "K7R");
  EXPECT_EQ(ZeroPaddedCut(-100, 2), "-1");
}

TEST(AnalogHeader, BcdIsDecodedWithoutRangeCheck) {
  AnalogFixture f;
  FlhRecord r = Example();
  r.moment_bcd = {0xFF, 0xA5, 0x99, 0x00, 0x00, 0x00};  // year 2165, month 105
  f.Check(r.Bytes());
  EXPECT_EQ(f.form.controls.DateLabel, "99.10.2165 00:00:00");
}

TEST(AnalogHeader, AcceptsOnlyWholeSamplesAfterTheHeader) {
  AnalogFixture f;
  f.Check(Example().Bytes());  // exactly 72 bytes: valid, no samples
  EXPECT_TRUE(f.form.controls.ConvertANLButton);
  for (std::size_t size : std::vector<std::size_t>{0, 18, 54, 71, 73, 91}) {
    std::string bytes = Example().Ramp(1).Bytes();
    bytes.resize(size);
    f.Check(bytes);
    EXPECT_EQ(f.form.controls.DateLabel, Cp("Поврежден")) << size;
    EXPECT_EQ(f.form.controls.TipLabel, "--") << size;
    EXPECT_EQ(f.form.controls.NameLabel, "") << size;
    EXPECT_FALSE(f.form.controls.ConvertANLButton) << size;
  }
  f.form.controls.FileListBox1.selected_name = "missing.flh";
  CheckSelected(f.form, ListBox::kFileListBox1);
  EXPECT_EQ(f.form.controls.DateLabel, Cp("Не найден"));
  f.form.controls.FileListBox1.selected_name.clear();  // nothing selected
  CheckSelected(f.form, ListBox::kFileListBox1);
  EXPECT_EQ(f.form.controls.DateLabel, Cp("Не найден"));
  EXPECT_FALSE(f.form.controls.ConvertANLButton);
}

TEST(StationName, DecodesDisplayCodeBeforeSwappingPairs) {
  const std::uint8_t stored[12] = {0xA0, 0x41, 0x31, 0x43, 'x', 0xDC,
                                   0xD9, 0xB5, ' ',  ' ',  ' ', ' '};
  // (Б А)(1 С)(х >)(- е) swapped; the digit stays, Latin x shows as Cyrillic х
  EXPECT_EQ(StationName(stored), Cp("АБС1>хе-    "));
}

TEST(StationName, EndsAtItsFirstZeroByte) {
  const std::uint8_t stored[12] = {0x43, 0xA8, 0, '1', 'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A'};
  EXPECT_EQ(StationName(stored), Cp("ПС1"));
}

TEST(Multipliers, PrintFourDecimalsOfTheExtendedValue) {
  EXPECT_EQ(Multiplier(9.87128L), "9.8713");
  EXPECT_EQ(Multiplier(123.4L), "123.4000");
  const std::uint8_t one[4] = {0x01, 0x00, 0x00, 0x00};
  const std::uint8_t half[4] = {0x00, 0x00, 0x00, 0x80};
  const std::uint8_t minus_one[4] = {0xFF, 0xFF, 0x00, 0x00};
  const std::uint8_t k6c00[4] = {0x00, 0x00, 0x00, 0x6C};
  EXPECT_EQ(Multiplier(PhaseMultiplier(FixedPointFactor(one))), "11.2800");
  EXPECT_EQ(Multiplier(PhaseMultiplier(FixedPointFactor(half))), "5.6400");
  EXPECT_EQ(Multiplier(PhaseMultiplier(FixedPointFactor(minus_one))), "-11.2800");
  // 0.421875 * 8 * 1.41 lies a hair below 4.75875 in extended precision.
  EXPECT_EQ(Multiplier(PhaseMultiplier(FixedPointFactor(k6c00))), "4.7587");
  EXPECT_EQ(Multiplier(ResidualMultiplier(10.0f)), "11.2800");
  EXPECT_EQ(Multiplier(ResidualMultiplier(1.0f)), "1.1280");
}

TEST(Multipliers, FactorKeepsSinglePrecision) {
  // 0x1234_5679 / 65536 needs 29 significant bits; a float keeps 24.
  const std::uint8_t bytes[4] = {0x34, 0x12, 0x79, 0x56};
  EXPECT_EQ(FixedPointFactor(bytes), 4660.337890625f);
  EXPECT_EQ(Multiplier(PhaseMultiplier(FixedPointFactor(bytes))), "52568.6114");
}

// Calibration blocks: K1 = 1.0, K2 = 0.5, K3 = 10.0 where the layout has them,
// V1 = 1000, V2 = 600, V3 = 50, V4 = 7.
FlhRecord Calibrated(std::int8_t type) {
  FlhRecord r = Example();
  r.device_type = type;
  r.Factor(0, 1, 0).Factor(4, 0, 0x8000);
  switch (DeviceTypeFor(type).layout) {
    case CalibrationLayout::kL1:
      r.Factor(8, 10, 0).Number(12, 1000).Number(14, 600).Number(16, 50);
      break;
    case CalibrationLayout::kL1WithoutK3:
      r.Number(12, 1000).Number(14, 600);
      break;
    default:
      r.Number(8, 1000).Number(10, 600).Number(12, 50).Number(14, 7);
      break;
  }
  return r;
}

std::string Tail(const char* unit, const char* multiplier, const char* primary) {
  return std::string(",,,") + unit + "," + multiplier + ",0.0,0,-32767,32767," + primary + ",1,S";
}

Lines ChannelLinesOf(std::int8_t type) {
  AnalogFixture f;
  f.Convert(Calibrated(type).Bytes());
  const Lines cfg = f.CfgLines();
  const auto count = static_cast<std::size_t>(DeviceTypeFor(type).analog_count);
  return Lines(cfg.begin() + 2, cfg.begin() + 2 + static_cast<std::ptrdiff_t>(count));
}

TEST(ChannelTables, Types60To81) {
  const Lines expected = {Cp("1,Ток IA") + Tail("mA", "5.6400", "600"),
                          Cp("2,Ток IB") + Tail("mA", "5.6400", "600"),
                          Cp("3,Ток IC") + Tail("mA", "5.6400", "600"),
                          Cp("4,Ток 3I0") + Tail("mA", "11.2800", "50"),
                          Cp("5,Напряжение UAB") + Tail("mV", "11.2800", "1000"),
                          Cp("6,Напряжение UBC") + Tail("mV", "11.2800", "1000"),
                          Cp("7,Напряжение UCA") + Tail("mV", "11.2800", "1000"),
                          Cp("8,Напряжение 3U0") + Tail("mV", "11.2800", "1000")};
  for (int type : {60, 61, 70, 71, 81})
    EXPECT_EQ(ChannelLinesOf(static_cast<std::int8_t>(type)), expected) << type;
}

TEST(ChannelTables, Type14) {
  EXPECT_EQ(ChannelLinesOf(14), (Lines{Cp("1,Ток IA") + Tail("mA", "5.6400", "600"),
                                       Cp("2,Ток IB") + Tail("mA", "5.6400", "600"),
                                       Cp("3,Ток IC") + Tail("mA", "5.6400", "600"),
                                       Cp("4,Ток 3I0") + Tail("mA", "11.2800", "50"),
                                       Cp("5,Напряжение UA") + Tail("mV", "11.2800", "1000"),
                                       Cp("6,Напряжение UB") + Tail("mV", "11.2800", "1000"),
                                       Cp("7,Напряжение UC") + Tail("mV", "11.2800", "1000")}));
}

TEST(ChannelTables, Types32_42_52And31) {
  const Lines expected = {Cp("1,Ток IA") + Tail("mA", "5.6400", "600"),
                          Cp("2,Ток IB") + Tail("mA", "5.6400", "600"),
                          Cp("3,Ток IC") + Tail("mA", "5.6400", "600"),
                          Cp("4,Напряжение 1UA") + Tail("mV", "11.2800", "1000"),
                          Cp("5,Напряжение 1UB") + Tail("mV", "11.2800", "1000"),
                          Cp("6,Напряжение 1UC") + Tail("mV", "11.2800", "1000")};
  for (int type : {32, 42, 52})
    EXPECT_EQ(ChannelLinesOf(static_cast<std::int8_t>(type)), expected) << type;
  EXPECT_EQ(ChannelLinesOf(31), (Lines{Cp("1,Ток I") + Tail("mA", "5.6400", "600"),
                                       Cp("2,Напряжение U") + Tail("mV", "11.2800", "1000")}));
}

TEST(ChannelTables, Types51And5) {
  EXPECT_EQ(ChannelLinesOf(51), (Lines{Cp("1,Ток I") + Tail("mA", "5.6400", "7"),
                                       Cp("2,Ток IP") + Tail("mA", "5.6400", "600"),
                                       Cp("3,Напряжение U") + Tail("mV", "11.2800", "50"),
                                       Cp("4,Напряжение UP") + Tail("mV", "11.2800", "1000")}));
  EXPECT_EQ(ChannelLinesOf(5), (Lines{Cp("1,Ток IA_H") + Tail("mA", "11.2800", "600"),
                                      Cp("2,Ток IA_B") + Tail("mA", "11.2800", "1000"),
                                      Cp("3,Ток IB_H") + Tail("mA", "11.2800", "600"),
                                      Cp("4,Ток IB_B") + Tail("mA", "11.2800", "1000"),
                                      Cp("5,Ток IC_H") + Tail("mA", "11.2800", "600"),
                                      Cp("6,Ток IC_B") + Tail("mA", "11.2800", "1000"),
                                      Cp("7,Напр UA") + Tail("mV", "5.6400", "50"),
                                      Cp("8,Напр UC") + Tail("mV", "5.6400", "50")}));
}

TEST(ChannelTables, FallbackTypeFixesFactorsAndDividesPhasePrimaryByTen) {
  FlhRecord r = Example();
  r.device_type = 33;
  r.Factor(0, 7, 0).Factor(4, 7, 0).Number(8, 1000).Number(10, 1005).Number(12, -1005);
  AnalogFixture f;
  f.Convert(r.Bytes());
  const Lines cfg = f.CfgLines();
  EXPECT_EQ(Lines(cfg.begin() + 2, cfg.begin() + 10),
            (Lines{Cp("1,Ток 3I0") + Tail("mA", "1.1280", "-1005"),
                   Cp("2,Ток IA") + Tail("mA", "11.2800", "100"),
                   Cp("3,Ток IB") + Tail("mA", "11.2800", "100"),
                   Cp("4,Ток IC") + Tail("mA", "11.2800", "100"),
                   Cp("5,Напряжение 3U0") + Tail("mV", "11.2800", "1000"),
                   Cp("6,Напряжение UAB") + Tail("mV", "11.2800", "1000"),
                   Cp("7,Напряжение UBC") + Tail("mV", "11.2800", "1000"),
                   Cp("8,Напряжение UCA") + Tail("mV", "11.2800", "1000")}));
  r.Number(10, -1005);  // truncated toward zero
  f.Convert(r.Bytes());
  EXPECT_EQ(f.CfgLines()[3], Cp("2,Ток IA") + Tail("mA", "11.2800", "-100"));
}

TEST(ChannelTables, WorkedExampleOfType60) {
  FlhRecord r = Example();
  r.Factor(4, 0x0001, 0x4000).Number(14, 600);  // K2 = 1.25, V2 = 600
  AnalogFixture f;
  f.Convert(r.Bytes());
  EXPECT_EQ(f.CfgLines()[2], Cp("1,Ток IA,,,mA,14.1000,0.0,0,-32767,32767,600,1,S"));
}

// Which sample words each device type writes, in channel order.
TEST(AnalogSamples, EachTypeTakesItsWordsInItsOrder) {
  const std::vector<std::pair<std::int8_t, std::vector<std::int16_t>>> cases = {
      {5, {10, 11, 12, 13, 14, 15, 16, 17}},
      {14, {10, 12, 14, 16, 11, 13, 15}},
      {31, {10, 11}},
      {32, {10, 12, 14, 11, 13, 15}},
      {42, {10, 12, 14, 11, 13, 15}},
      {52, {10, 12, 14, 11, 13, 15}},
      {51, {10, 12, 11, 13}},
      {60, {10, 12, 14, 16, 11, 13, 15, 17}},
      {81, {10, 12, 14, 16, 11, 13, 15, 17}},
      {-7, {10, 11, 12, 13, 14, 15, 16, 17}}};
  for (const auto& [type, words] : cases) {
    FlhRecord r = Example();
    r.device_type = type;
    r.samples.push_back({10, 11, 12, 13, 14, 15, 16, 17, 18});
    AnalogFixture f;
    f.Convert(r.Bytes());
    std::string expected = I32(1) + I32(0);
    for (std::int16_t w : words) expected += I16(w);
    EXPECT_EQ(ReadFile(f.dir / "out.dat"), expected) << int{type};
  }
}

TEST(AnalogConversion, WritesWholePairOfType31) {
  FlhRecord r = Example();
  r.device_type = 31;
  r.Name("ПС Север").Factor(0, 1, 0).Factor(4, 0, 0x8000).Number(12, 1000).Number(14, 600);
  r.Ramp(3);
  r.samples[2][1] = -152;
  AnalogFixture f;
  f.Convert(r.Bytes());
  EXPECT_TRUE(f.reports.errors.empty());

  const Lines cfg = {Cp("ПС Север    ,,1999"),
                     "2,2A,0D",
                     Cp("1,Ток I,,,mA,5.6400,0.0,0,-32767,32767,600,1,S"),
                     Cp("2,Напряжение U,,,mV,11.2800,0.0,0,-32767,32767,1000,1,S"),
                     "50.0",
                     "1",
                     "800.0,3",
                     "15/07/2024,09:05:30.000000",
                     "15/07/2024,09:05:30.100000",
                     "BINARY",
                     "1"};
  EXPECT_EQ(ReadFile(f.dir / "out.cfg"), CrLf(cfg));
  EXPECT_EQ(ReadFile(f.dir / "out.dat"), I32(1) + I32(0) + I16(1) + I16(2) + I32(2) + I32(0) +
                                             I16(101) + I16(102) + I32(3) + I32(0) + I16(201) +
                                             I16(-152));
  Lines ascii = cfg;
  ascii[9] = "ASCII";
  ascii.push_back("");
  EXPECT_EQ(ReadFile(f.dir / "outASCII.cfg"), CrLf(ascii));
  EXPECT_EQ(ReadFile(f.dir / "outASCII.dat"), "1,0,1,2\r\n2,0,101,102\r\n3,0,201,-152\r\n");
}

TEST(AnalogConversion, LongRecordAcrossManyBlocksConvertsSampleForSample) {
  // Every file of the pair spans several blocks of file access, and the ramp
  // wraps around the whole 16-bit range many times.
  const int samples = static_cast<int>(3 * kBlockSize / 18 + 7);
  FlhRecord r = Example();
  r.Ramp(samples, -32000);
  AnalogFixture f;
  f.Convert(r.Bytes());
  EXPECT_TRUE(f.reports.errors.empty());
  EXPECT_EQ(f.CfgLines()[12], "800.0," + std::to_string(samples));
  std::string dat;
  for (std::size_t i = 0; i < r.samples.size(); ++i) {
    dat += I32(static_cast<std::int32_t>(i + 1)) + I32(0);
    for (std::size_t word : {0u, 2u, 4u, 6u, 1u, 3u, 5u, 7u}) dat += I16(r.samples[i][word]);
  }
  ASSERT_EQ(Mismatch(ReadFile(f.dir / "out.dat"), dat), "");
  EXPECT_EQ(Mismatch(ReadFile(f.dir / "outASCII.dat"), AsciiDataOf(dat, 8, 0, 0)), "");
}

TEST(AnalogConversion, TenSamplesOfType31GiveTwelveByteRecords) {
  FlhRecord r = Example();
  r.device_type = 31;
  AnalogFixture f;
  f.Convert(r.Ramp(10).Bytes());
  EXPECT_EQ(f.CfgLines()[1], "2,2A,0D");
  EXPECT_EQ(f.CfgLines()[6], "800.0,10");
  const std::string dat = ReadFile(f.dir / "out.dat");
  ASSERT_EQ(dat.size(), 120u);
  for (int n = 0; n < 10; ++n) {
    EXPECT_EQ(dat.substr(12 * static_cast<std::size_t>(n), 8), I32(n + 1) + I32(0));
  }
}

TEST(AnalogConversion, HeaderOnlyRecordGivesEmptyDataFiles) {
  AnalogFixture f;
  f.Convert(Example().Bytes());
  EXPECT_EQ(f.CfgLines()[12], "800.0,0");
  EXPECT_TRUE(Exists(f.dir / "out.dat"));
  EXPECT_EQ(ReadFile(f.dir / "out.dat"), "");
  EXPECT_EQ(ReadFile(f.dir / "outASCII.dat"), "");
  EXPECT_EQ(f.CfgLines("outASCII.cfg").size(), 18u);  // 8 channels, 9 other lines, 1 empty
}

TEST(AnalogConversion, StationCommasAndControlCharactersBecomeSpaces) {
  FlhRecord r = Example();
  r.DisplayName(std::string("A,B\tC\x01") + "D");
  AnalogFixture f;
  f.Check(r.Bytes());
  EXPECT_EQ(f.form.controls.NameLabel, Cp("А,В\tС\x01") + "D     ");  // shown as decoded
  f.Convert(r.Bytes());
  EXPECT_EQ(f.CfgLines()[0], Cp("А В С ") + "D     ,,1999");
}

TEST(AnalogConversion, OutputPathLosesLastFourCharactersWhateverTheyAre) {
  AnalogFixture f;
  f.Convert(Example().Ramp(1).Bytes(), "rec.txt1");
  for (const char* name : {"rec.txt1", "rec..dat", "rec.ASCII.cfg", "rec.ASCII.dat"})
    EXPECT_TRUE(Exists(f.dir / name)) << name;
}

TEST(AnalogConversion, SameRecordTwiceGivesSameFiles) {
  AnalogFixture f;
  const std::string bytes = Calibrated(14).Ramp(5).Bytes();
  f.Convert(bytes);
  const std::string first = ReadFile(f.dir / "out.cfg") + ReadFile(f.dir / "out.dat") +
                            ReadFile(f.dir / "outASCII.cfg") + ReadFile(f.dir / "outASCII.dat");
  f.Convert(bytes);
  EXPECT_EQ(first, ReadFile(f.dir / "out.cfg") + ReadFile(f.dir / "out.dat") +
                       ReadFile(f.dir / "outASCII.cfg") + ReadFile(f.dir / "outASCII.dat"));
}

// ---- failures: each message in order, and exactly the files left ----

struct Outcome {
  std::vector<std::string> errors;
  std::vector<std::string> files;  // of the pair, those that exist as files
};

// The record and the output path of a conversion, which a case may change.
struct Inputs {
  std::string record, out;
};

Outcome ConvertWith(const std::function<void(AnalogFixture&, Inputs&)>& arrange,
                    const std::string& bytes = Example().Ramp(2).Bytes()) {
  AnalogFixture f;
  Inputs in{f.Put("rec.flh", bytes), f.dir / "out.cfg"};
  arrange(f, in);
  ConvertAnalog(in.record, in.out, f.reports);
  Outcome outcome{f.reports.errors, {}};
  for (const char* name : {"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat"})
    if (std::filesystem::is_regular_file(f.dir / name)) outcome.files.push_back(name);
  return outcome;
}

void MakeFolder(AnalogFixture& f, const char* name) {
  std::filesystem::create_directory(f.dir / name);
}

TEST(AnalogConversionFailures, ReportEachOpenFailureAndKeepWhatWasWritten) {
  using V = std::vector<std::string>;
  const V open_error = {"Ошибка открытия файла"};
  auto missing = ConvertWith([](AnalogFixture& f, Inputs& in) { in.record = f.dir / "x.flh"; });
  EXPECT_EQ(missing.errors, V{"Файл не найден"});
  EXPECT_EQ(missing.files, V{});

  auto damaged = ConvertWith([](AnalogFixture&, Inputs&) {}, Example().Bytes() + "x");
  EXPECT_EQ(damaged.errors, V{"Файл поврежден"});
  EXPECT_EQ(damaged.files, V{});

  auto no_folder =
      ConvertWith([](AnalogFixture& f, Inputs& in) { in.out = f.dir / "none/out.cfg"; });
  EXPECT_EQ(no_folder.errors, open_error);

  auto dat = ConvertWith([](AnalogFixture& f, Inputs&) { MakeFolder(f, "out.dat"); });
  EXPECT_EQ(dat.errors, open_error);
  EXPECT_EQ(dat.files, V{"out.cfg"});

  auto ascii_cfg = ConvertWith([](AnalogFixture& f, Inputs&) { MakeFolder(f, "outASCII.cfg"); });
  EXPECT_EQ(ascii_cfg.errors, open_error);
  EXPECT_EQ(ascii_cfg.files, (V{"out.cfg", "out.dat"}));

  auto ascii_dat = ConvertWith([](AnalogFixture& f, Inputs&) { MakeFolder(f, "outASCII.dat"); });
  EXPECT_EQ(ascii_dat.errors, open_error);
  EXPECT_EQ(ascii_dat.files, (V{"out.cfg", "out.dat", "outASCII.cfg"}));
}

// The disk fills at each file in turn: the half-written file goes, the files
// before it stay.
TEST(AnalogConversionFailures, FullDiskStopsWithWriteErrorAtEachFile) {
  using V = std::vector<std::string>;
  const std::vector<std::pair<const char*, V>> cases = {
      {"out.cfg", {}},
      {"out.dat", {"out.cfg"}},
      {"outASCII.cfg", {"out.cfg", "out.dat"}},
      {"outASCII.dat", {"out.cfg", "out.dat", "outASCII.cfg"}}};
  for (const auto& [full, left] : cases) {
    FaultyFiles files;
    files.FillDiskAt(full, 5);
    auto outcome = ConvertWith([](AnalogFixture&, Inputs&) {});
    EXPECT_EQ(outcome.errors, V{"Ошибка записи файла"}) << full;
    EXPECT_EQ(outcome.files, left) << full;
  }
}

}  // namespace
}  // namespace velk::testing
