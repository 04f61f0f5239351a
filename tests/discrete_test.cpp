// The discrete record: header check, reader and the discrete conversion.
#include <gtest/gtest.h>

#include <filesystem>

#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "discrete/discrete_record.h"
#include "discrete/record_text.h"
#include "discrete/status_words.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

struct DiscreteFixture : FormFixture {
  // Runs the header check on a record with these bytes; returns DateLabelDIS as UTF-8.
  std::string Check(const std::string& bytes) {
    Select(form.controls.FileListBox2, Put("rec.txt", bytes));
    CheckSelected(form, ListBox::kFileListBox2);
    return Cp1251ToUtf8(form.controls.DateLabelDIS);
  }
  // Converts a record with these bytes, in the year of the test's machine.
  void Convert(const std::string& bytes, const std::string& out = "out.cfg") {
    ConvertRecord(Put("rec.txt", bytes), dir / out);
  }
  void ConvertRecord(const std::string& record, const std::string& out) {
    StartMoment moment;
    moment.year = std::to_string(system.year);
    ConvertDiscrete(record, out, moment, reports);
  }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
  Lines CfgLines() const { return FileLines(dir / "out.cfg"); }
  Lines AsciiData() const { return FileLines(dir / "outASCII.dat"); }
};

// ",1" for each of n active channels.
std::string AllActive(int n) {
  std::string values;
  for (int c = 0; c < n; ++c) values += ",1";
  return values;
}

// ---- text of a record ----

TEST(DiscreteText, TimeWordsLoseTheirFifthCharacterAndAreCutToSeven) {
  EXPECT_EQ(TimeText("0012.345"), "0012345");
  EXPECT_EQ(TimeValue(TimeText("0012.345")), 12345);
  EXPECT_EQ(TimeValue(TimeText("12345")), 1234);
  EXPECT_EQ(TimeValue(TimeText("123")), 123);
  EXPECT_EQ(TimeText("0012.34567"), "0012345");  // same time as 0012.345
  EXPECT_EQ(TimeValue(TimeText("99999999999")), 9999999);
}

TEST(DiscreteText, ClassifiesWordsOfAnEventLine) {
  const std::string two_times = Cp("   0001.000 0002.000 П");
  EventLine line = ReadEventLine(two_times);
  EXPECT_EQ(line.time_texts, (std::vector<std::string>{"0001000", "0002000"}));
  EXPECT_EQ(line.state_word, "\xCF");
  line = ReadEventLine("   16:33:45 0001.000 X");
  EXPECT_TRUE(line.time_of_day);
  EXPECT_TRUE(line.time_texts.empty());
  EXPECT_EQ(line.state_word, "16:33:45");
  EXPECT_TRUE(ReadEventLine("   0030.000 " + Cp("Запись")).ends_record);
  EXPECT_TRUE(ReadEventLine("  ======== x").ends_record);
  EXPECT_FALSE(ReadEventLine("  =====  x").ends_record);  // "=" must be the eighth character
  EXPECT_EQ(Words(" a\tb \r c\x0b"), (std::vector<std::string_view>{"a", "b", "c"}));
  EXPECT_EQ(Trim("\t x y \r"), "x y");
  EXPECT_TRUE(IsBlank(" \t\x01\r"));
  EXPECT_FALSE(IsBlank(" \xC0"));  // a Cyrillic letter is above the space
}

TEST(StatusWords, CountAndDigitalChannelsOfLineTwo) {
  EXPECT_EQ(StatusWordCount(0), 1);
  EXPECT_EQ(StatusWordCount(15), 1);
  EXPECT_EQ(StatusWordCount(16), 1);
  EXPECT_EQ(StatusWordCount(17), 2);
  EXPECT_EQ(StatusWordCount(200), 13);
  EXPECT_EQ(ReadDigitalCount("16,0A,16D"), 16);
  EXPECT_EQ(ReadDigitalCount("1234,8A,1226D"), 1226);  // every digit of the count
  EXPECT_EQ(ReadDigitalCount("5,0A,D"), 0);
  EXPECT_EQ(ReadDigitalCount("nothing"), 0);
  EXPECT_EQ(ReadDigitalCount("1,0A,99999999999999D"), 2147483647);
}

// ---- header check ----

TEST(DiscreteHeader, ShowsTheStartMomentWithUnknownYear) {
  DiscreteFixture f;
  const std::string label =
      f.Check(DiscreteRecord()
                  .Line("// Запись дискретного регистратора")
                  .Line("\\\\ ВЕЛК-2")
                  .Line("//=======================================================================")
                  .Line("\\\\ -")
                  .Line("")
                  .Start()
                  .Event("0012.345", "П", "Реле 1")
                  .Bytes());
  EXPECT_EQ(label, "13.02.???? 16:33:45");
  EXPECT_TRUE(f.form.controls.ConvertDISButton);
  EXPECT_EQ(MomentLabel(f.form.discrete), "13.02. 16:33:45");
}

TEST(DiscreteHeader, NamesTheLineWhereTheRecordIsDamaged) {
  DiscreteFixture f;
  EXPECT_EQ(f.Check(""), "Поврежден1");
  EXPECT_FALSE(f.form.controls.ConvertDISButton);
  EXPECT_EQ(f.Check(DiscreteRecord().Pair("3 02 16:33:45", "Пуск").Bytes()), "Поврежден2");
  EXPECT_EQ(f.Check(DiscreteRecord().Pair("13 02 16-33-45", "Пуск").Bytes()), "Поврежден2");
  EXPECT_EQ(f.Check(DiscreteRecord().Pair("13 02 16:33:45 X", "Пуск").Bytes()), "Поврежден2");
  EXPECT_EQ(f.Check(DiscreteRecord().Line("// 13 02 16:33:45").Line("\\ Пуск").Bytes()),
            "Поврежден2");  // one backslash
  EXPECT_EQ(f.Check(DiscreteRecord().Start().Event("0000.000", "П", "Реле").Bytes()),
            "Поврежден4");  // times rise from above 0
  EXPECT_EQ(f.Check(DiscreteRecord()
                        .Start()
                        .Event("0010.000", "П", "Реле")
                        .Event("0005.000", "П", "Реле")
                        .Bytes()),
            "Поврежден6");
  EXPECT_EQ(f.Check(DiscreteRecord().Start().Line("// 0010.000 П").Bytes()),
            "Поврежден4");  // the read meeting the end counts as line 4
  EXPECT_EQ(f.Check(DiscreteRecord().Start().Bytes() + Cp("// 0010.000 П\r\n\\\\ Реле")),
            "Поврежден4");  // last line without a line end
  EXPECT_EQ(f.Check(DiscreteRecord().Start().Event("0010.000", "Да", "Реле").Bytes()),
            "Поврежден4");  // state word
  EXPECT_EQ(f.Check(DiscreteRecord().Start().Event("0010.000", "П", "").Bytes()),
            "Поврежден4");  // no name
}

// A record copied short ends inside an event pair. After the pair's first line
// the check reads once more for its second line, also when that first line
// ended the file, and counts the read: each cut below names line 8. The start
// search fails at a cut first line before any further read.
TEST(DiscreteHeader, RecordCutInsideAnEventPairNamesTheLineAfterItsFirstLine) {
  DiscreteFixture f;
  const std::string six_lines =
      DiscreteRecord().Start().Event("0010.000", "П", "A").Event("0020.000", "П", "B").Bytes();
  EXPECT_EQ(f.Check(six_lines + Cp("// 0030.000 П")), "Поврежден8");      // cut first line 7
  EXPECT_EQ(f.Check(six_lines + Cp("// 0030.000 П\r\n")), "Поврежден8");  // line 7 ends the file
  EXPECT_EQ(f.Check(six_lines + Cp("// 0030.000 П\r\n\\\\ C")), "Поврежден8");  // cut line 8
  EXPECT_FALSE(f.form.controls.ConvertDISButton);
  EXPECT_EQ(CheckDiscreteRecord(f.dir / "rec.txt").outcome.line, 8);

  const std::string separator = DiscreteRecord().Pair("======", "-").Bytes();
  EXPECT_EQ(f.Check(separator + "// 13 02 16:33:45"), "Поврежден3");
  EXPECT_EQ(f.Check(separator + "// 13 02 16:33:45\r\n"), "Поврежден4");

  // The reader drops the cut pair and converts the events before it.
  f.Convert(six_lines + Cp("// 0030.000 П"));
  EXPECT_TRUE(f.reports.errors.empty());
  EXPECT_EQ(f.CfgLines()[1], "3,0A,3D");
}

TEST(DiscreteHeader, FileThatCannotBeOpenedIsNotFound) {
  DiscreteFixture f;
  f.form.controls.FileListBox2 = {f.dir.Folder(), {}, "none.txt", {}};
  CheckSelected(f.form, ListBox::kFileListBox2);
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "Не найден");
  f.form.controls.FileListBox2.selected_name.clear();
  CheckSelected(f.form, ListBox::kFileListBox2);
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "Не найден");
  EXPECT_FALSE(f.form.controls.ConvertDISButton);
}

TEST(DiscreteHeader, RepeatedTimeTextIsAcceptedAndEndSectionIsNotExamined) {
  DiscreteFixture f;
  const auto record = DiscreteRecord()
                          .Start()
                          .Event("0010.000", "П", "A")
                          .Event("0010.000", "У", "B")
                          .Event("16:34:00", "П", "C")  // a time of day: at the start
                          .Pair("Частота 50.0 Гц", "x")
                          .Line("garbage that is never read");
  EXPECT_EQ(f.Check(record.Bytes()), "13.02.???? 16:33:45");
  EXPECT_EQ(f.Check(DiscreteRecord()
                        .Start()
                        .Event("0010.000", "П", "A")
                        .Line("//====== =")
                        .Line("\\\\ x")
                        .Line("junk")
                        .Bytes()),
            "13.02.???? 16:33:45");
}

TEST(DiscreteHeader, InformationPairKeepsWhatItTookUntilTheStartPair) {
  DiscreteFixture f;
  EXPECT_EQ(f.Check(DiscreteRecord()
                        .Pair("01 01 01:01:01 Суммарный", "x")
                        .Pair("14 03", "Пуск")  // fewer words: time of day stays
                        .Bytes()),
            "14.03.???? 01:01:01");
}

TEST(DiscreteHeader, StartSearchGivesUpAfterAThousandPasses) {
  DiscreteRecord fits, too_many;
  for (int i = 0; i < 999; ++i) fits.Pair("======", "sep");
  for (int i = 0; i < 1000; ++i) too_many.Pair("======", "sep");
  DiscreteFixture f;
  EXPECT_EQ(f.Check(fits.Start().Bytes()), "13.02.???? 16:33:45");
  EXPECT_EQ(f.Check(too_many.Start().Bytes()), "Поврежден2000");
}

TEST(DiscreteHeader, CheckReadsAtMostTenThousandLinesAfterTheStart) {
  DiscreteRecord fits, too_many;
  fits.Start();
  too_many.Start();
  for (int i = 1; i <= 4999; ++i) fits.Event(TimeWord(i), "П", "A");
  for (int i = 1; i <= 5000; ++i) too_many.Event(TimeWord(i), "П", "A");
  DiscreteFixture f;
  EXPECT_EQ(f.Check(fits.Bytes()), "13.02.???? 16:33:45");  // 9998 lines and the end
  EXPECT_EQ(f.Check(too_many.Bytes()), "Поврежден10002");
}

TEST(DiscreteHeader, TextModeLineEnds) {
  DiscreteFixture f;
  const auto record = DiscreteRecord().Start().Event("0010.000", "П", "A");
  EXPECT_EQ(f.Check(record.Bytes("\n")), "13.02.???? 16:33:45");
  EXPECT_EQ(f.Check(record.Bytes() + "\x1A" + "garbage"), "13.02.???? 16:33:45");  // Ctrl-Z
}

// A line longer than kLongestRecordLine is damage at its number wherever it
// stands, for the header check and both conversions alike, also a comment line
// before the start pair; a line of exactly that length (its CR LF not counted)
// is read like any other. So are names that together pass kMostNameBytes, at
// the line of the name that passes it. The long records are built in the
// test's folder.
TEST(DiscreteHeader, LineLongerThanTheLongestIsDamageAtItsNumberInEveryPath) {
  for (const std::size_t length : {kLongestRecordLine, kLongestRecordLine + 1}) {
    const bool too_long = length > kLongestRecordLine;
    const std::string name(length - 3, 'x');  // after the "\\ " of the builder
    // Sixteen names fill kMostNameBytes exactly; a byte more passes it.
    DiscreteRecord many_names;
    many_names.Start();
    for (int i = 0; i < 16; ++i) {
      std::string part(kMostNameBytes / 16 - 1, 'y');
      part += static_cast<char>('a' + i);
      if (too_long && i == 15) part += 'z';
      many_names.Event(std::to_string(1000 + i) + ".000", "П", part);
    }
    const std::vector<std::pair<std::string, std::string>> records = {
        {DiscreteRecord().Line(";" + std::string(length - 1, ' ')).Start().Bytes(), "1"},
        {DiscreteRecord().Start().Event("0001.000", "П", "A").Event("0002.000", "П", name).Bytes(),
         "6"},
        {many_names.Bytes(), "34"}};
    for (const auto& [bytes, line] : records) {
      const Lines damaged = {"Поврежден" + line};
      DiscreteFixture f;
      EXPECT_EQ(f.Check(bytes), too_long ? damaged[0] : "13.02.???? 16:33:45") << length;
      f.Convert(bytes);
      ConvertCombined(f.Put("rec.flh", FlhRecord().Ramp(100).Bytes()), f.dir / "rec.txt",
                      f.dir / "uni.cfg", f.dir / "tmp.tmp", f.reports);
      EXPECT_EQ(f.reports.errors, too_long ? (Lines{damaged[0], damaged[0]}) : Lines{}) << length;
      EXPECT_EQ(Exists(f.dir / "out.cfg"), !too_long);
    }
  }
}

TEST(DiscreteConversion, LoneCarriageReturnStaysInTheLine) {
  DiscreteFixture f;
  f.Convert(Cp("// 13 02 16:33:45\r\n\\\\ Пуск\rзащиты\r\r\n"));
  EXPECT_EQ(f.CfgLines()[2], Cp("1,Пуск защиты,,,0"));
}

// ---- conversion ----

TEST(DiscreteConversion, WritesWholePairOfAWorkedRecord) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord()
                .Pair("Запись дискретного регистратора", "ВЕЛК")
                .Pair("==============================", "----")
                .Start("Пуск защиты")
                .Event("0012.345", "П", "Реле тока 1 ; срабатывание")
                .Event("0012.345", "П", "Реле тока 2")
                .Event("0020.000", "У", "Реле тока 1")
                .Event("0025.500", "У", "Выключатель")
                .Pair("==============================", "конец")
                .Bytes());
  EXPECT_TRUE(f.reports.errors.empty());
  const Lines cfg = {Cp("имя ячейки,,1999"),
                     "4,0A,4D",
                     Cp("1,Пуск защиты,,,0"),
                     Cp("2,Реле тока 1,,,0"),
                     Cp("3,Реле тока 2,,,0"),
                     Cp("4,Выключатель,,,0"),
                     "50.0",
                     "0",
                     "0,4",
                     "13/02/2026,16:33:45.000000",
                     "13/02/2026,16:33:45.000000",
                     "BINARY",
                     "1000"};
  EXPECT_EQ(f.Read("out.cfg"), CrLf(cfg));
  // The breaker dropped out first: active from the start until its event.
  EXPECT_EQ(f.Read("out.dat"), I32(1) + I32(0) + I16(0b1001) + I32(2) + I32(12345) + I16(0b1111) +
                                   I32(3) + I32(20000) + I16(0b1101) + I32(4) + I32(25500) +
                                   I16(0b0101));
  Lines ascii = cfg;
  ascii[11] = "ASCII";
  ascii.push_back("");
  EXPECT_EQ(f.Read("outASCII.cfg"), CrLf(ascii));
  EXPECT_EQ(f.Read("outASCII.dat"),
            "1,0,1,0,0,1\r\n2,12345,1,1,1,1\r\n3,20000,1,0,1,1\r\n4,25500,1,0,1,0\r\n");
}

TEST(DiscreteConversion, StartPairAloneGivesOneActiveChannelAtTimeZero) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord().Start().Bytes());
  EXPECT_EQ(f.CfgLines()[1], "1,0A,1D");
  EXPECT_EQ(f.CfgLines()[2], Cp("1,Пуск,,,0"));
  EXPECT_EQ(f.CfgLines()[5], "0,1");
  EXPECT_EQ(f.Read("out.dat"), I32(1) + I32(0) + I16(1));
  EXPECT_EQ(f.Read("outASCII.dat"), "1,0,1\r\n");
}

TEST(DiscreteConversion, SixteenChannelsFitOneStatusWordSeventeenNeedTwo) {
  for (int channels : {16, 17}) {
    DiscreteRecord record;
    record.Start();
    for (int c = 2; c <= channels; ++c) record.Event(TimeWord(c), "П", "K" + std::to_string(c));
    DiscreteFixture f;
    f.Convert(record.Bytes());
    const std::size_t words = channels == 16 ? 1 : 2;
    EXPECT_EQ(f.Read("out.dat").size(), static_cast<std::size_t>(channels) * (8 + 2 * words));
    const Lines data = f.AsciiData();
    ASSERT_EQ(data.size(), static_cast<std::size_t>(channels));
    EXPECT_EQ(data.back(),
              std::to_string(channels) + "," + std::to_string(channels) + AllActive(channels));
  }
}

TEST(DiscreteConversion, FirstListedChangeOfAChannelAtOneTimeDecides) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord()
                .Start()
                .Event("0001.000", "П", "A")
                .Event("0002.000", "П", "B")
                .Event("0002.000", "У", "B")  // same time: the pick-up listed first wins
                .Event("0003.000", "У", "A")
                .Event("0003.000", "П", "A")  // the drop-out listed first wins
                .Bytes());
  EXPECT_EQ(f.AsciiData(), (Lines{"1,0,1,0,0", "2,1000,1,1,0", "3,2000,1,1,1", "4,3000,1,0,1"}));
}

TEST(DiscreteConversion, NamesMapToChannelsExactly) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord()
                .Start()
                .Event("0001.000", "У", "Реле")  // first event a drop-out: "~Реле"
                .Event("0002.000", "П", "Реле")  // a channel of its own
                .Event("0003.000", "П", "реле")  // case differs: another channel
                .Event("0004.000", "П", "Реле")  // the second channel again
                .Event("0005.000", "У", "Пуск")  // the start pair's signal drops out
                .Bytes());
  const Lines cfg = f.CfgLines();
  EXPECT_EQ(
      Lines(cfg.begin() + 1, cfg.begin() + 6),
      (Lines{"4,0A,4D", Cp("1,Пуск,,,0"), Cp("2,Реле,,,0"), Cp("3,Реле,,,0"), Cp("4,реле,,,0")}));
  EXPECT_EQ(f.AsciiData(), (Lines{"1,0,1,1,0,0", "2,1000,1,0,0,0", "3,2000,1,0,1,0",
                                  "4,3000,1,0,1,1", "5,4000,1,0,1,1", "6,5000,0,0,1,1"}));
}

TEST(DiscreteConversion, CommentsLineEndsAndTimeWordForms) {
  const auto record = DiscreteRecord()
                          .Line("; a comment line")
                          .Start("Пуск ; the start signal")
                          .Line("// 12345 П ; five characters: 1234 ms")
                          .Line("\\\\ Реле;comment")
                          .Event("0012.345", "П", "Другое");
  DiscreteFixture crlf, lf;
  crlf.Convert(record.Bytes());
  lf.Convert(record.Bytes("\n"));
  EXPECT_EQ(crlf.AsciiData(), (Lines{"1,0,1,0,0", "2,1234,1,1,0", "3,12345,1,1,1"}));
  EXPECT_EQ(crlf.CfgLines()[3], Cp("2,Реле,,,0"));
  EXPECT_EQ(lf.Read("out.cfg"), crlf.Read("out.cfg"));
  EXPECT_EQ(lf.Read("out.dat"), crlf.Read("out.dat"));
}

TEST(DiscreteConversion, SampleCountLineCountsTheRecordsWritten) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord()
                .Start()
                .Event("0010.000", "П", "A")
                .Event("16:33:50", "П", "B")  // back at time index 0
                .Event("0020.000", "П", "C")
                .Bytes());
  EXPECT_EQ(f.CfgLines()[8], "0,4");
  EXPECT_EQ(f.AsciiData(),
            (Lines{"1,0,1,0,0,0", "2,10000,1,1,0,0", "3,0,1,1,1,0", "4,20000,1,1,1,1"}));
}

TEST(DiscreteConversion, EndSectionBecomesNeitherEventsNorChannels) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord()
                .Start()
                .Event("0010.000", "П", "A")
                .Pair("0030.000 Запись 2", "Итог")
                .Pair("0040.000 П", "после конца")
                .Bytes());
  EXPECT_EQ(f.CfgLines()[1], "2,0A,2D");
  EXPECT_EQ(f.AsciiData(), (Lines{"1,0,1,0", "2,10000,1,1"}));
}

TEST(DiscreteConversion, CommasAndControlCharactersInNamesBecomeSpaces) {
  DiscreteFixture f;
  f.Convert(DiscreteRecord()
                .Start("Пуск,")
                .Event("0001.000", "П",
                       "A,B\x01"
                       "C")
                .Bytes());
  EXPECT_EQ(f.CfgLines()[2], Cp("1,Пуск,,,0"));
  EXPECT_EQ(f.CfgLines()[3], "2,A B C,,,0");
}

TEST(DiscreteConversion, RecordsBeyondTheDevicesUsualSizeConvertWhole) {
  const std::string long_tail(300, 'x');
  DiscreteRecord record;
  record.Start();
  for (int i = 1; i < 500; ++i)
    record.Line("// " + TimeWord(i) + " П ; " + long_tail)
        .Line("\\\\ S" + std::to_string(i % 199 + 1) + long_tail);
  DiscreteFixture f;
  f.Convert(record.Bytes());
  ASSERT_TRUE(f.reports.errors.empty());
  const Lines cfg = f.CfgLines();
  EXPECT_EQ(cfg[1], "200,0A,200D");
  EXPECT_EQ(cfg[200], "199,S199" + long_tail + ",,,0");
  EXPECT_EQ(cfg[201], "200,S1" + long_tail + ",,,0");  // S1 first appears at the 199th event
  EXPECT_EQ(cfg[204], "0,500");
  const Lines data = f.AsciiData();
  ASSERT_EQ(data.size(), 500u);
  EXPECT_EQ(data.back(), "500,499" + AllActive(200));
  EXPECT_EQ(f.Read("out.dat").size(), 500u * (8 + 2 * 13));
}

// ---- failures: messages in order and the files left ----

std::vector<std::string> PairFiles(const DiscreteFixture& f) {
  std::vector<std::string> files;
  for (const char* name : {"out.cfg", "out.dat", "outASCII.cfg", "outASCII.dat"})
    if (std::filesystem::is_regular_file(f.dir / name)) files.push_back(name);
  return files;
}

TEST(DiscreteConversionFailures, ReaderFailureStopsBeforeAnythingIsWritten) {
  DiscreteFixture f;
  f.ConvertRecord(f.dir / "none.txt", f.dir / "out.cfg");
  EXPECT_EQ(f.reports.errors, Lines{"Не найден"});
  EXPECT_TRUE(PairFiles(f).empty());

  f.reports.errors.clear();
  f.Convert(DiscreteRecord().Line("").Pair("13 2 16:33:45", "Пуск").Bytes());
  EXPECT_EQ(f.reports.errors, Lines{"Поврежден3"});
  EXPECT_TRUE(PairFiles(f).empty());
}

TEST(DiscreteConversionFailures, EachFileThatCannotBeOpened) {
  const auto bytes = DiscreteRecord().Start().Event("0001.000", "П", "A").Bytes();
  const Lines open_error = {"Ошибка открытия файла"};
  const std::vector<std::tuple<const char*, Lines, Lines>> cases = {
      {"none/out.cfg", open_error, {}},
      // the data file is reported, the ASCII pair attempted, its data then reported
      {"out.dat", {"Ошибка открытия файла", "Ошибка открытия файла"}, {"out.cfg", "outASCII.cfg"}},
      {"outASCII.cfg", open_error, {"out.cfg", "out.dat"}},
      {"outASCII.dat", open_error, {"out.cfg", "out.dat", "outASCII.cfg"}}};
  for (const auto& [blocked, errors, left] : cases) {
    DiscreteFixture f;
    const bool missing_folder = std::string(blocked) == "none/out.cfg";
    if (!missing_folder) std::filesystem::create_directory(f.dir / blocked);
    f.Convert(bytes, missing_folder ? blocked : "out.cfg");
    EXPECT_EQ(f.reports.errors, errors) << blocked;
    EXPECT_EQ(PairFiles(f), left) << blocked;
  }
}

TEST(DiscreteConversionFailures, FullDiskAtEachFile) {
  const auto bytes = DiscreteRecord().Start().Event("0001.000", "П", "A").Bytes();
  const std::vector<std::pair<const char*, Lines>> cases = {
      {"out.cfg", {}},
      {"out.dat", {"out.cfg"}},
      {"outASCII.cfg", {"out.cfg", "out.dat"}},
      {"outASCII.dat", {"out.cfg", "out.dat", "outASCII.cfg"}}};
  for (const auto& [full, left] : cases) {
    DiscreteFixture f;
    FaultyFiles files;
    files.FillDiskAt(full, 5);
    f.Convert(bytes);
    EXPECT_EQ(f.reports.errors, Lines{"Ошибка записи файла"}) << full;
    EXPECT_EQ(PairFiles(f), left) << full;
  }
}

}  // namespace
}  // namespace velk::testing
