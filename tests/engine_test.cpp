// The record engine as its callers see it: outcomes and reports, the rule that
// pairs an analog and a discrete record, and the pair of a start pair that
// gives no time of day.
#include <gtest/gtest.h>

#include <sstream>

#include "analog/analog_record.h"
#include "batch/folder_batch.h"
#include "cli/cli_run.h"
#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "comtrade/start_moment.h"
#include "discrete/discrete_record.h"
#include "platform/platform.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

// An analog record of 15.07.2024 09:05:30 with a few samples.
FlhRecord Analog() {
  FlhRecord r;
  r.moment_bcd = {0x24, 0x07, 0x15, 0x09, 0x05, 0x30};
  r.device_type = 31;
  return r.Ramp(100);
}

// ---- outcomes and reports ----

TEST(EngineOutcome, NamesTheFailureAndTheFileItConcerns) {
  FormFixture f;
  const std::string flh = f.Put("rec.flh", Analog().Bytes());
  const std::string txt = f.Put("rec.txt", DiscreteRecord().Start().Bytes());

  Outcome missing = ConvertAnalog(f.dir / "none.flh", f.dir / "out.cfg", f.reports);
  EXPECT_EQ(missing.failure, Failure::kFileNotFound);
  EXPECT_EQ(missing.file, f.dir / "none.flh");
  Outcome no_folder = ConvertAnalog(flh, f.dir / "none/out.cfg", f.reports);
  EXPECT_EQ(no_folder.failure, Failure::kOpenError);
  EXPECT_EQ(no_folder.file, f.dir / "none/out.cfg");
  StartMoment moment;
  Outcome damaged =
      ConvertDiscrete(f.Put("bad.txt", "\r\n\r\n// 3"), f.dir / "d.cfg", moment, f.reports);
  EXPECT_EQ(damaged.failure, Failure::kDamagedAtLine);
  EXPECT_EQ(damaged.line, 3);
  EXPECT_EQ(damaged.file, f.dir / "bad.txt");
  EXPECT_EQ(f.reports.errors, (Lines{"Файл не найден", "Ошибка открытия файла", "Поврежден3"}));
  EXPECT_FALSE(Exists(f.dir / "d.cfg"));

  // Every report reaches the reporter in order; the outcome is the first.
  f.reports = {};
  std::filesystem::create_directory(f.dir / "out.dat");
  const Outcome no_data = ConvertDiscrete(txt, f.dir / "out.cfg", moment, f.reports);
  EXPECT_EQ(f.reports.errors, (Lines{"Ошибка открытия файла", "Ошибка открытия файла"}));
  EXPECT_EQ(no_data.file, f.dir / "out.dat");
  EXPECT_EQ(f.reports.outcomes.back().file, f.dir / "out.dat");

  f.reports = {};
  EXPECT_TRUE(ConvertCombined(flh, txt, f.dir / "u.cfg", f.dir / "tmp.tmp", f.reports).ok());
  EXPECT_TRUE(f.reports.errors.empty());
}

TEST(EngineOutcome, HeaderChecksGiveTheLabelTextsAndReportNothing) {
  FormFixture f;
  EXPECT_EQ(Cp1251ToUtf8(MessageText(ReadAnalogHeader(f.dir / "none.flh").outcome)), "Не найден");
  EXPECT_EQ(Cp1251ToUtf8(MessageText(ReadAnalogHeader(f.Put("a.flh", "x")).outcome)), "Поврежден");
  const AnalogHeaderCheck sound = ReadAnalogHeader(f.Put("b.flh", Analog().Bytes()));
  EXPECT_TRUE(sound.outcome.ok());
  EXPECT_EQ(MomentLabel(sound.header.Moment()), "15.07.2024 09:05:30");
  EXPECT_EQ(DeviceTypeText(sound.header), "31");

  EXPECT_EQ(Cp1251ToUtf8(MessageText(CheckDiscreteRecord(f.dir / "none.txt").outcome)),
            "Не найден");
  const DiscreteCheck check = CheckDiscreteRecord(f.Put("c.txt", DiscreteRecord().Start().Bytes()));
  EXPECT_TRUE(check.outcome.ok());
  EXPECT_EQ(MomentLabel(check.moment), "13.02. 16:33:45");  // the record names no year
  EXPECT_EQ(check.numbers.second, 45);
}

// ---- which records belong together ----

TEST(StartMoments, AgreeInMonthDayHourMinuteAndSecondWhateverTheYear) {
  const MomentNumbers a{7, 15, 9, 5, 30};
  EXPECT_TRUE(SameStartMoment(a, a));
  for (int field = 0; field < 5; ++field) {
    MomentNumbers d = a;
    int* fields[] = {&d.month, &d.day, &d.hour, &d.minute, &d.second};
    *fields[field] += 1;
    EXPECT_FALSE(SameStartMoment(a, d)) << field;
  }
  FlhRecord other_year = Analog();
  other_year.moment_bcd[0] = 0x19;
  FormFixture f;
  const AnalogHeaderCheck check = ReadAnalogHeader(f.Put("rec.flh", other_year.Bytes()));
  EXPECT_TRUE(SameStartMoment(check.header.Numbers(), a));
}

// A start pair may name the day, the month and the time of day, or fewer of
// them: what it lacks is the analog record's, and the year never counts.
TEST(StartMoments, AStartPairAgreesOnTheFieldsItNames) {
  FormFixture f;
  const StartMoment analog = ReadAnalogHeader(f.Put("rec.flh", Analog().Bytes())).header.Moment();
  const auto agrees = [&](const std::string& start_words, const StartMoment& with = {}) {
    const std::string txt = f.Put("rec.txt", DiscreteRecord().Pair(start_words, "Пуск").Bytes());
    const DiscreteCheck check = CheckDiscreteRecord(txt);
    EXPECT_TRUE(check.outcome.ok()) << start_words;
    return StartsAgree(with.year.empty() ? analog : with, check.moment);
  };
  EXPECT_TRUE(agrees("15 07 09:05:30"));
  EXPECT_FALSE(agrees("15 07 09:05:31"));
  EXPECT_FALSE(agrees("15 08 09:05:30"));
  EXPECT_TRUE(agrees("15 07"));
  EXPECT_FALSE(agrees("16 07"));
  EXPECT_TRUE(agrees("15"));
  EXPECT_FALSE(agrees("14"));
  StartMoment other_year = analog;
  other_year.year = "2019";
  EXPECT_TRUE(agrees("15 07 09:05:30", other_year));
}

// Whether a front end combines an analog and a discrete record, and the bytes
// of the combined pair it writes.
struct Combination {
  bool combined = false;
  std::string cfg, dat;
  friend bool operator==(const Combination&, const Combination&) = default;
  friend void PrintTo(const Combination& c, std::ostream* out) {
    *out << (c.combined ? "combined, " : "not combined, ") << c.cfg.size() << " + " << c.dat.size()
         << " bytes";
  }
};

Combination Written(bool combined, const std::string& cfg) {
  if (!combined) return {};
  const std::string dat = cfg.substr(0, cfg.size() - 4) + ".dat";
  return {true, ReadFile(cfg), ReadFile(dat)};
}

// The window on a fresh start, the records clicked in the given order, then
// «Совместить» when it is enabled.
Combination ThroughWindow(const std::string& flh, const std::string& txt, bool discrete_first) {
  FormFixture f;
  const auto click = [&](ListBox box, const std::string& path) {
    Select(f.form.List(box), path);
    f.form.ListClick(box, f.form.List(box).selected_name);
  };
  if (discrete_first) click(ListBox::kFileListBox2, txt);
  click(ListBox::kFileListBox1, flh);
  if (!discrete_first) click(ListBox::kFileListBox2, txt);
  const bool enabled = f.form.controls.SovmestButton;
  if (enabled) {
    f.ui.save_answers.push_back(f.dir / "u.cfg");
    f.form.SovmestButtonClick();
  }
  EXPECT_TRUE(f.ui.errors.empty());
  return Written(enabled, f.dir / "u.cfg");
}

Combination ThroughCommandLine(const std::string& flh, const std::string& txt) {
  TempDir out;
  std::ostringstream said, err;
  const int status = RunCommandLine({"combined", flh, txt, out / "u.cfg"}, out.Folder(), said, err);
  return Written(status == kExitConverted, out / "u.cfg");
}

Combination ThroughFolder(const std::string& folder) {
  TempDir out;
  const batch::FolderResult result = batch::ConvertFolder({folder, out.Folder(), false, false, 1});
  return Written(result.Converted(batch::Kind::kCombined) == 1, out / "comtrade_uni/rec.cfg");
}

// The window's «Совместить», velk-convert combined and the folder run pair the
// same records, in whichever order the window's lists were clicked, and write
// the same pair; a part of the moment that the discrete start pair lacks is
// the analog record's.
TEST(StartMoments, CommandLineFolderAndWindowPairRecordsAlike) {
  TempDir dir;
  const std::string flh = dir / "rec.flh", txt = dir / "rec.txt";
  WriteFile(flh, Analog().Bytes());
  const auto verdicts = [&](const std::string& start_words) {
    WriteFile(txt, DiscreteRecord()
                       .Pair(start_words, "Пуск")
                       .Event("0000.010", "П", "Пуск МТЗ")
                       .Event("0000.040", "У", "Пуск МТЗ")
                       .Bytes());
    const Combination command_line = ThroughCommandLine(flh, txt);
    EXPECT_EQ(ThroughWindow(flh, txt, false), command_line) << start_words << ", analog first";
    EXPECT_EQ(ThroughWindow(flh, txt, true), command_line) << start_words << ", discrete first";
    EXPECT_EQ(ThroughFolder(dir.Folder()), command_line) << start_words << ", folder";
    return command_line;
  };
  EXPECT_TRUE(verdicts("15 07 09:05:30").combined);
  EXPECT_FALSE(verdicts("15 07 09:05:31").combined);
  EXPECT_FALSE(verdicts("16 07 09:05:30").combined);
  EXPECT_FALSE(verdicts("16 07").combined);
  const Combination cut = verdicts("15 07");
  ASSERT_TRUE(cut.combined);
  const Lines cfg = CrLfLines(cut.cfg);
  ASSERT_GE(cfg.size(), 4u);
  EXPECT_EQ(cfg[cfg.size() - 4], "15/07/2024,09:05:30.000000");  // the first sample's time
}

// ---- a start pair without its time of day ----

// A start pair that gives the day and the month alone ("// 15 07"): velk-convert
// discrete, the folder run and the window write one pair, which starts at
// 00:00:00 of that day and passes check, and each tells the person so. The
// window's label says what the record says, whatever was checked before; the
// combined pair still takes the analog record's time.
TEST(StartMoments, AStartPairWithoutATimeStartsItsPairAtMidnightEverywhere) {
  TempDir in, out;
  const std::string txt = in / "rec.txt";
  WriteFile(txt, DiscreteRecord().Pair("15 07", "Пуск").Event("0000.010", "П", "Реле").Bytes());
  std::ostringstream said, err;
  ASSERT_EQ(RunCommandLine({"discrete", txt, out / "d.cfg"}, out.Folder(), said, err),
            kExitConverted);
  EXPECT_EQ(err.str(), std::string(kStartLacksTime) + "\n");
  const std::string pair = ReadFile(out / "d.cfg") + ReadFile(out / "d.dat");
  const Lines cfg = FileLines(out / "d.cfg");
  ASSERT_GE(cfg.size(), 4u);
  const std::string midnight = "15/07/" + std::to_string(CurrentYear()) + ",00:00:00.000000";
  EXPECT_EQ(cfg[cfg.size() - 4], midnight);
  EXPECT_EQ(cfg[cfg.size() - 3], midnight);
  for (const char* name : {"d.cfg", "dASCII.cfg"}) {
    std::ostringstream report, check_err;
    EXPECT_EQ(RunCommandLine({"check", out / name}, out.Folder(), report, check_err), 0)
        << report.str();
  }
  // The picture of the record alone titles its start as the window's label does.
  ASSERT_EQ(RunCommandLine({"picture", txt, out / "d.svg"}, out.Folder(), said, err),
            kExitConverted);
  EXPECT_NE(ReadFile(out / "d.svg").find("15.07.???? время не указано"), std::string::npos);

  const batch::FolderResult run = batch::ConvertFolder({in.Folder(), out / "run", false, false, 1});
  EXPECT_EQ(ReadFile(out / "run/comtrade_dis/rec.cfg") + ReadFile(out / "run/comtrade_dis/rec.dat"),
            pair);
  EXPECT_NE(batch::SummaryText(run).find(
                "Без времени пуска, начало в 00:00:00 (no start time, starting at 00:00:00): 1\n"
                "  rec.txt -> comtrade_dis/rec.cfg\n"),
            std::string::npos)
      << batch::SummaryText(run);

  FormFixture f;
  f.system.year = CurrentYear();
  const auto click = [&](ListBox box, const std::string& path) {
    Select(f.form.List(box), path);
    f.form.ListClick(box, f.form.List(box).selected_name);
  };
  click(ListBox::kFileListBox2, f.Put("full.txt", DiscreteRecord().Start().Bytes()));
  click(ListBox::kFileListBox1, f.Put("rec.flh", Analog().Bytes()));
  click(ListBox::kFileListBox2, f.Put("rec.txt", ReadFile(txt)));
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "15.07.???? время не указано");
  ConvertInto(f.form, f.ui, &TFComtrade::ConvertDISButtonClick, f.dir / "d.cfg");
  EXPECT_EQ(ReadFile(f.dir / "d.cfg") + ReadFile(f.dir / "d.dat"), pair);
  EXPECT_EQ(f.ui.informations,
            Lines{"В строке пуска записи нет времени: пара начинается в 00:00:00."});
  ASSERT_TRUE(f.form.controls.SovmestButton);
  ConvertInto(f.form, f.ui, &TFComtrade::SovmestButtonClick, f.dir / "u.cfg");
  const Lines combined = FileLines(f.dir / "u.cfg");
  ASSERT_GE(combined.size(), 4u);
  EXPECT_EQ(combined[combined.size() - 4], "15/07/2024,09:05:30.000000");
  EXPECT_EQ(f.ui.informations.size(), 1u);
  EXPECT_TRUE(f.ui.errors.empty());

  // A start pair of the day alone, or of nothing, lacks the date as well.
  click(ListBox::kFileListBox2, f.Put("day.txt", DiscreteRecord().Pair("15", "Пуск").Bytes()));
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "15.??.???? время не указано");
  ConvertInto(f.form, f.ui, &TFComtrade::ConvertDISButtonClick, f.dir / "day.cfg");
  EXPECT_EQ(FileLines(f.dir / "day.cfg")[6],
            "15/01/" + std::to_string(CurrentYear()) + ",00:00:00.000000");
  // A failed discrete check keeps the start fields of the last one that passed.
  click(ListBox::kFileListBox2, f.Put("bad.txt", ""));
  EXPECT_EQ(f.form.discrete.day, "15");
  click(ListBox::kFileListBox2, f.Put("none.txt", DiscreteRecord().Pair("", "Пуск").Bytes()));
  EXPECT_EQ(Cp1251ToUtf8(f.form.controls.DateLabelDIS), "??.??.???? время не указано");
}

}  // namespace
}  // namespace velk::testing
