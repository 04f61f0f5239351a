// Faults that fuzzing found, each kept as a test of the behaviour that mends it.
// The inputs themselves stay in fuzz/regressions/ and replay in FuzzReplay.*.
#include <gtest/gtest.h>

#include <algorithm>

#include "combined/combined.h"
#include "comtrade/record_reader.h"
#include "discrete/discrete_record.h"
#include "picture/comtrade_source.h"
#include "picture/record_picture.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

// The start pair gives day, month and time of day as the device wrote them; a
// comma or a control character there split the time lines of the configuration
// file (found by discrete_convert and combined_convert: a zero byte in the hour).
TEST(FuzzFindings, StartMomentTextCannotSplitTheTimeLines) {
  const std::string record =
      DiscreteRecord().Pair("1, 02 1\x01:3\x1f:45", "Пуск").Event("0000.010", "П", "A").Bytes();

  FormFixture discrete;
  StartMoment moment;
  moment.year = "2026";
  ConvertDiscrete(discrete.Put("rec.txt", record), discrete.dir / "out.cfg", moment,
                  discrete.reports);
  EXPECT_EQ(discrete.reports.errors, Lines{});
  const Lines cfg = CrLfLines(ReadFile(discrete.dir / "out.cfg"));
  ASSERT_EQ(cfg.size(), 11u);
  EXPECT_EQ(cfg[7], "1 /02/2026,1 :3 :45.000000");
  EXPECT_EQ(cfg[8], "1 /02/2026,1 :3 :45.000000");

  FormFixture combined;
  FlhRecord analog;
  ConvertCombined(combined.Put("rec.flh", analog.Ramp(80).Bytes()), combined.Put("rec.txt", record),
                  combined.dir / "out.cfg", combined.dir / "tmp.tmp", combined.reports);
  EXPECT_EQ(combined.reports.errors, Lines{});
  const Lines both = CrLfLines(ReadFile(combined.dir / "out.cfg"));
  ASSERT_EQ(both.size(), 19u);  // 8 analog and 2 digital channels
  EXPECT_EQ(both[15], "1 /02/2024,1 :3 :45.000000");
  EXPECT_EQ(both[16], "1 /02/2024,1 :3 :45.100000");
}

// An event pair whose first line holds no time word is at the record's start
// (time 0) wherever it stands: the pair bears that time, and the picture drew
// its step before the steps above it, out of the order of time (found by
// picture). It is drawn at the time of the state before it.
TEST(FuzzFindings, AStateWithoutATimeKeepsThePictureInTimeOrder) {
  FormFixture f;
  const std::string path = f.Put("rec.txt", DiscreteRecord()
                                                .Start()
                                                .Event("0000.125", "П", "A")
                                                .Pair("=00.415 У", "A")
                                                .Event("0000.480", "П", "B")
                                                .Bytes());
  const PictureOpening opening = RecordPicture::Open({"", path});
  ASSERT_TRUE(opening.picture);
  const PictureSignal& a = opening.picture->discrete_signals()[1];
  ASSERT_EQ(a.steps.size(), 3u);
  EXPECT_EQ(a.steps[1].time_ms, 125);
  EXPECT_EQ(a.steps[2].time_ms, 125);  // dropped out "at 0", drawn where it stands
  EXPECT_FALSE(a.ActiveAt(300));
  EXPECT_EQ(opening.picture->DurationMs(), 480);
}

// A COMTRADE record timed by its stamps whose stamps step back: each state
// took its sample's stamp, the steps fell out of time order, and the states
// at a time were looked up in them as if they were in order (found by
// comtrade_picture). A change is drawn at the time of the one before it.
TEST(FuzzFindings, StampsThatStepBackKeepTheSignalsInTimeOrder) {
  TempDir dir;
  WriteFile(dir / "back.cfg",
            CrLf({"S,R,1999", "1,0A,1D", "1,Trip,,,0", "50", "0", "0,5",
                  "01/02/2024,10:00:00.000000", "01/02/2024,10:00:00.000000", "ASCII", "1"}));
  WriteFile(dir / "back.dat", CrLf({"1,0,0", "2,1000,1", "3,3000,0", "4,2000,1", "5,500,0"}));
  const ComtradePicture opened = OpenComtradePicture(dir / "back.cfg");
  ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
  const std::vector<SignalStep>& steps = opened.picture->discrete_signals().at(0).steps;
  ASSERT_EQ(steps.size(), 5u);
  EXPECT_TRUE(std::is_sorted(
      steps.begin(), steps.end(),
      [](const SignalStep& a, const SignalStep& b) { return a.time_ms < b.time_ms; }));
  EXPECT_EQ(steps[3].time_ms, 3);  // stamped 2 ms, after the change at 3 ms
  EXPECT_TRUE(opened.picture->discrete_signals()[0].ActiveAt(2.5));
  EXPECT_FALSE(opened.picture->discrete_signals()[0].ActiveAt(3.5));
}

// An ASCII record without samples kept no place to read from, so reading
// none of its samples failed as if the record had changed (found by
// comtrade_picture). Nothing to read reads.
TEST(FuzzFindings, AnAsciiRecordWithoutSamplesReadsAsUnchanged) {
  TempDir dir;
  WriteFile(dir / "empty.cfg",
            CrLf({"S,R,1999", "1,0A,1D", "1,Trip,,,0", "50", "1", "1000,0",
                  "01/02/2024,10:00:00.000000", "01/02/2024,10:00:00.000000", "ASCII", "1"}));
  WriteFile(dir / "empty.dat", "");
  const ComtradePicture opened = OpenComtradePicture(dir / "empty.cfg");
  ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
  std::vector<double> none;
  EXPECT_TRUE(opened.picture->ReadSamples(0, 0, none));
  EXPECT_TRUE(none.empty() && opened.picture->record_unchanged());
}

// A field of dozens of digits in ASCII data: check's quick pass took them
// into a 64-bit number before refusing the field, which overflowed (found by
// check_rest under the undefined-behaviour sanitizer). Both ways of reading
// refuse it alike.
TEST(FuzzFindings, ADataFieldOfManyDigitsIsToldAlikeByBothWaysOfReading) {
  TempDir dir;
  WriteFile(dir / "long.cfg", CrLf({"S,R,1999", "2,1A,1D", "1,IA,A,,A,1,0,0,-99,99,1,1,S",
                                    "1,Trip,,,0", "50", "1", "1000,3", "01/02/2024,10:00:00.000000",
                                    "01/02/2024,10:00:00.000000", "ASCII", "1"}));
  WriteFile(dir / "long.dat", CrLf({"1,0,5,0", "2,1000,5," + std::string(33, '7'), "3,2000,5,1"}));
  DiagnosticList by_sample, by_check;
  RecordReader next(by_sample), quick(by_check);
  ASSERT_TRUE(next.Open(dir / "long.cfg") && quick.Open(dir / "long.cfg"));
  Sample sample;
  while (next.Next(sample)) {
  }
  std::optional<double> first_us, last_us;
  quick.CheckRest(first_us, last_us);
  EXPECT_EQ(quick.samples_read(), next.samples_read());
  ASSERT_FALSE(by_check.all.empty());
  ASSERT_EQ(by_check.all.size(), by_sample.all.size());
  for (std::size_t i = 0; i < by_check.all.size(); ++i) {
    EXPECT_EQ(by_check.all[i].code, by_sample.all[i].code);
    EXPECT_EQ(by_check.all[i].line, by_sample.all[i].line);
  }
}

}  // namespace
}  // namespace velk::testing
