// velk-convert batch: whole folders of records, each pair the single
// conversion's bytes, pairs found by start moment, reruns that convert nothing
// new, names that never overwrite, exit statuses and the JSON report.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "batch/batch_engine.h"
#include "batch/batch_plan.h"
#include "batch/folder_batch.h"
#include "cli/batch.h"
#include "platform/platform.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tests/support/run_program.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

namespace fs = std::filesystem;

// An analog record of type 60 starting at the given day and hour, 13.02 by
// default: 16:33:45, the moment of DiscreteRecord::Start.
FlhRecord Analog(std::uint8_t hour = 0x16, std::uint8_t year = 0x19, int samples = 40) {
  FlhRecord r;
  r.Name("ПС Север").Factor(0, 1, 0).Factor(4, 0, 0x8000).Number(12, 1000).Number(14, 600);
  r.moment_bcd = {year, 0x02, 0x13, hour, 0x33, 0x45};
  return r.Ramp(samples);
}

std::string Discrete(const std::string& start_words = "13 02 16:33:45") {
  return DiscreteRecord()
      .Pair(start_words, "Пуск")
      .Event("0000.010", "П", "Реле 1")
      .Event("0000.020", "У", "Реле 1")
      .Bytes();
}

// Every file below folder: its path below it and its bytes.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  const fs::path root = FsPath(folder);
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file())
      files[entry.path().lexically_relative(root).generic_string()] =
          ReadFile(PathText(entry.path()));
  return files;
}

// The four files of the pair at folder/name.cfg.
std::vector<std::string> PairOf(const std::string& base) {
  return {base + ".cfg", base + ".dat", base + "ASCII.cfg", base + "ASCII.dat"};
}

void ExpectSamePair(const std::string& batch_base, const std::string& single_base) {
  const auto batch = PairOf(batch_base), single = PairOf(single_base);
  for (std::size_t i = 0; i < batch.size(); ++i) {
    ASSERT_TRUE(Exists(batch[i])) << batch[i];
    EXPECT_EQ(Mismatch(ReadFile(batch[i]), ReadFile(single[i])), "") << batch[i];
  }
}

ProgramResult Batch(std::vector<std::string> args) {
  args.insert(args.begin(), "batch");
  return RunConvert(args);
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ---- what the batch writes ----

TEST(BatchConversion, EveryPairEqualsItsSingleConversion) {
  TempDir in, out, single;
  WriteFile(in / "fault.flh", Analog().Bytes());
  WriteFile(in / "fault.txt", Discrete());
  WriteFile(in / "lone.FLH", Analog(0x10).Bytes());  // no discrete record at 10:33:45
  WriteFile(in / "other.txt", Discrete("14 03 09:00:01"));
  WriteFile(in / "notes.cfg", "not a record");
  const auto run = Batch({"--jobs", "2", in.Folder(), out.Folder()});
  ASSERT_EQ(run.status, 0) << run.err << run.out;

  ASSERT_EQ(RunConvert({"analog", in / "fault.flh", single / "a1.cfg"}).status, 0);
  ASSERT_EQ(RunConvert({"analog", in / "lone.FLH", single / "a2.cfg"}).status, 0);
  ASSERT_EQ(RunConvert({"discrete", in / "fault.txt", single / "d1.cfg"}).status, 0);
  ASSERT_EQ(RunConvert({"discrete", in / "other.txt", single / "d2.cfg"}).status, 0);
  ASSERT_EQ(RunConvert({"combined", in / "fault.flh", in / "fault.txt", single / "u.cfg"}).status,
            0);
  ExpectSamePair(out / "comtrade_anl/fault", single / "a1");
  ExpectSamePair(out / "comtrade_anl/lone", single / "a2");
  ExpectSamePair(out / "comtrade_dis/fault", single / "d1");
  ExpectSamePair(out / "comtrade_dis/other", single / "d2");
  ExpectSamePair(out / "comtrade_uni/fault", single / "u");
  // Four pairs and one combined pair, and nothing else but the list of pairs.
  EXPECT_EQ(Tree(out.Folder()).size(), 5u * 4 + 1);
  EXPECT_TRUE(Has(run.out, "2 аналоговых (analog), 2 дискретных (discrete), 1 совмещенных"));
}

TEST(BatchConversion, OneJobAndTwoJobsWriteTheSameFiles) {
  TempDir in, one, two;
  for (int i = 0; i < 6; ++i) {
    const std::string hour_words = "13 02 1" + std::to_string(i) + ":33:45";
    WriteFile(in / ("r" + std::to_string(i) + ".flh"),
              Analog(static_cast<std::uint8_t>(0x10 + i), 0x19, 200 + 50 * i).Bytes());
    WriteFile(in / ("r" + std::to_string(i) + ".txt"), Discrete(hour_words));
  }
  const auto a = Batch({"--jobs", "1", in.Folder(), one.Folder()});
  const auto b = Batch({"--jobs", "2", in.Folder(), two.Folder()});
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.out, b.out);
  const auto tree_one = Tree(one.Folder()), tree_two = Tree(two.Folder());
  EXPECT_EQ(tree_one.size(), 6u * 3 * 4 + 1);
  EXPECT_EQ(tree_one, tree_two);
}

// ---- pairing ----

// A start moment as a record gives it; an empty field is one it does not name.
StartMoment At(const std::string& day, const std::string& month, const std::string& time = "") {
  StartMoment m{day, month, "", "", "", ""};
  if (!time.empty()) {
    m.hour = time.substr(0, 2);
    m.minute = time.substr(3, 2);
    m.second = time.substr(6, 2);
  }
  return m;
}

TEST(BatchPairing, PairsOneToOneByMomentWithoutYearAndNeverGuesses) {
  StartMoment noon = At("13", "02", "12:00:00"), one = At("13", "02", "13:00:00");
  const StartMoment two = At("13", "02", "14:00:00"), other_second = At("13", "02", "12:00:01");
  noon.year = "2019";
  one.year = "2024";
  // analog: noon, one, one, two; discrete: noon, one, two, two, other_second
  const auto p = batch::PairByStart({noon, one, one, two}, {other_second, one, two, noon, two});
  ASSERT_EQ(p.pairs.size(), 1u);
  EXPECT_EQ(p.pairs[0], (std::pair<std::size_t, std::size_t>{0, 3}));
  ASSERT_EQ(p.ambiguous.size(), 2u);
  EXPECT_EQ(p.ambiguous[0].start, "13.02 13:00:00");
  EXPECT_EQ(p.ambiguous[0].analog, (std::vector<std::size_t>{1, 2}));
  EXPECT_EQ(p.ambiguous[0].discrete, (std::vector<std::size_t>{1}));
  EXPECT_EQ(p.ambiguous[1].analog, (std::vector<std::size_t>{3}));
  EXPECT_EQ(p.ambiguous[1].discrete, (std::vector<std::size_t>{2, 4}));
  EXPECT_TRUE(p.analog_alone.empty());
  EXPECT_EQ(p.discrete_alone, (std::vector<std::size_t>{0}));

  // A start pair that names fewer fields agrees with every analog record of
  // the fields it names: one such record is a pair, two are candidates.
  const auto cut = batch::PairByStart(
      {At("12", "03", "10:00:00"), At("12", "03", "11:00:00"), At("14", "03", "10:00:00")},
      {At("12", "03"), At("14", "03"), At("15", "")});
  EXPECT_EQ(cut.pairs, (std::vector<std::pair<std::size_t, std::size_t>>{{2, 1}}));
  ASSERT_EQ(cut.ambiguous.size(), 1u);
  EXPECT_EQ(cut.ambiguous[0].start, "12.03 ??:??:??");
  EXPECT_EQ(cut.ambiguous[0].analog, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(cut.discrete_alone, (std::vector<std::size_t>{2}));
}

// The sample feeder records with the discrete start pair cut to day and month,
// "// 12 03": velk-convert combined converts them, the time of day taken from
// the analog record, and the batch combines them into the same bytes. A second
// analog record of that day is a second candidate: listed, not combined.
TEST(BatchPairing, CombinesExactlyWhatTheCombinedCommandConverts) {
  TempDir in, out, single;
  const std::string examples = std::string(VELK_SOURCE_DIR) + "/examples/";
  const std::string flh = ReadFile(examples + "feeder_type60.flh");
  std::string txt = ReadFile(examples + "feeder_type60.txt");
  const std::size_t start = txt.find("// 12 03 14:27:05");
  ASSERT_NE(start, std::string::npos);
  txt.replace(start, 17, "// 12 03");
  WriteFile(in / "feeder.flh", flh);
  WriteFile(in / "feeder.txt", txt);
  const auto combined =
      RunConvert({"combined", in / "feeder.flh", in / "feeder.txt", single / "u.cfg"});
  ASSERT_EQ(combined.status, 0) << combined.err;
  const auto run = Batch({"--report", single / "r.json", in.Folder(), out.Folder()});
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  ExpectSamePair(out / "comtrade_uni/feeder", single / "u");
  EXPECT_TRUE(
      Has(run.out, "Без пары (no partner): 0 аналоговых (analog), 0 дискретных (discrete)\n"))
      << run.out;

  std::string later = flh;
  later[40] = 0x15;  // 15:27:05 on the same day
  WriteFile(in / "later.flh", later);
  const auto again = Batch({"--report", single / "r.json", in.Folder(), out.Folder()});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_TRUE(Has(again.out,
                  "несколько кандидатов (not combined, several candidates): 1\n"
                  "  12.03 ??:??:??: feeder.flh, later.flh, feeder.txt\n"))
      << again.out;
  EXPECT_EQ(RunConvert({"combined", in / "later.flh", in / "feeder.txt", single / "v.cfg"}).status,
            0);
  EXPECT_TRUE(Has(ReadFile(single / "r.json"), "\"no_partner\": {\"analog\": 0, \"discrete\": 0}"));
}

// Records are compared again when their pair is converted: a record that
// changed after the batch paired it, so that the two no longer start
// together, gives no combined pair.
TEST(BatchPairing, RecordsThatNoLongerAgreeWhenConvertedAreNotCombined) {
  TempDir dir;
  WriteFile(dir / "rec.flh", Analog().Bytes());
  WriteFile(dir / "rec.txt", Discrete("13 02 16:33:46"));
  const batch::ConversionResult result =
      batch::ConvertCombinedRecords(dir / "rec.flh", dir / "rec.txt", dir / "u.cfg");
  EXPECT_EQ(result.result, RequestResult::kStartsDiffer);
  EXPECT_TRUE(result.messages.empty());
  EXPECT_FALSE(Exists(dir / "u.cfg"));
  EXPECT_FALSE(Exists(dir / "u.dat"));
}

TEST(BatchPairing, ReportsTwoCandidatesAndConvertsEachRecordAlone) {
  TempDir in, out;
  WriteFile(in / "y2019.flh", Analog(0x16, 0x19).Bytes());
  WriteFile(in / "y2024.flh", Analog(0x16, 0x24).Bytes());  // another year, the same moment
  WriteFile(in / "fault.txt", Discrete());
  const auto run = Batch({"--report", out / "r.json", in.Folder(), out.Folder()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Has(run.out,
                  "несколько кандидатов (not combined, several candidates): 1\n"
                  "  13.02 16:33:45: y2019.flh, y2024.flh, fault.txt\n"))
      << run.out;
  EXPECT_FALSE(fs::exists(out / "comtrade_uni"));
  EXPECT_TRUE(Exists(out / "comtrade_anl/y2019.cfg"));
  EXPECT_TRUE(Exists(out / "comtrade_anl/y2024.cfg"));
  EXPECT_TRUE(Exists(out / "comtrade_dis/fault.cfg"));
  EXPECT_TRUE(Has(ReadFile(out / "r.json"),
                  "\"ambiguous\": [\n    {\"start\": \"13.02 16:33:45\", \"records\": "
                  "[\"y2019.flh\", \"y2024.flh\", \"fault.txt\"]}\n  ]"));
}

// ---- header checks ----

TEST(BatchChecks, SkipsADamagedRecordWithTheLabelTheWindowShows) {
  TempDir in, out;
  WriteFile(in / "good.flh", Analog().Bytes());
  WriteFile(in / "bad.flh", Analog().Bytes() + "x");
  const std::string backwards = DiscreteRecord()
                                    .Start()
                                    .Event("0010.000", "П", "Реле")
                                    .Event("0005.000", "П", "Реле")
                                    .Bytes();
  WriteFile(in / "backwards.txt", backwards);
  const auto run = Batch({"--report", out / "r.json", in.Folder(), out.Folder()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Has(run.out,
                  "Пропущено (skipped): 2\n  backwards.txt: Поврежден6\n"
                  "  bad.flh: Поврежден\n"))
      << run.out;
  // The batch shows what the single command shows for the same record.
  EXPECT_EQ(RunConvert({"discrete", in / "backwards.txt", out / "x.cfg"}).err, "Поврежден6\n");
  EXPECT_TRUE(Exists(out / "comtrade_anl/good.cfg"));
  EXPECT_FALSE(Exists(out / "comtrade_anl/bad.cfg"));
  EXPECT_FALSE(fs::exists(out / "comtrade_dis"));
  EXPECT_EQ(ReadFile(in / "backwards.txt"), backwards);
  EXPECT_TRUE(Has(ReadFile(out / "r.json"),
                  "\"skipped\": [\n    {\"record\": \"backwards.txt\", \"reason\": \"Поврежден6\"},"
                  "\n    {\"record\": \"bad.flh\", \"reason\": \"Поврежден\"}\n  ]"));
}

// ---- reruns and names ----

TEST(BatchRerun, ConvertsNothingNewUntilARecordChangesOrForceIsGiven) {
  TempDir in, out;
  WriteFile(in / "fault.flh", Analog().Bytes());
  WriteFile(in / "fault.txt", Discrete());
  ASSERT_EQ(Batch({in.Folder(), out.Folder()}).status, 0);
  const auto first = Tree(out.Folder());
  const auto cfg_time = fs::last_write_time(out / "comtrade_uni/fault.cfg");

  const auto again = Batch({in.Folder(), out.Folder()});
  EXPECT_EQ(again.status, 0);
  EXPECT_TRUE(Has(again.out,
                  "Преобразовано (converted): 0 аналоговых (analog), 0 дискретных "
                  "(discrete), 0 совмещенных (combined)\n"
                  "Без изменений (up to date): 3\n"))
      << again.out;
  EXPECT_EQ(Tree(out.Folder()), first);
  EXPECT_EQ(fs::last_write_time(out / "comtrade_uni/fault.cfg"), cfg_time);

  // A pair that lost a file is made again, under its own name.
  fs::remove(out / "comtrade_dis/faultASCII.dat");
  const auto mended = Batch({in.Folder(), out.Folder()});
  EXPECT_TRUE(Has(mended.out, "0 аналоговых (analog), 1 дискретных")) << mended.out;
  EXPECT_EQ(Tree(out.Folder()), first);

  // A changed record is converted again into the same names.
  WriteFile(in / "fault.flh", Analog(0x16, 0x19, 80).Bytes());
  const auto changed = Batch({in.Folder(), out.Folder()});
  EXPECT_TRUE(Has(changed.out, "1 аналоговых (analog), 0 дискретных (discrete), 1 совмещенных"))
      << changed.out;
  EXPECT_FALSE(Exists(out / "comtrade_anl/fault_2.cfg"));
  EXPECT_NE(ReadFile(out / "comtrade_anl/fault.dat"), first.at("comtrade_anl/fault.dat"));

  const auto forced = Batch({"--force", in.Folder(), out.Folder()});
  EXPECT_TRUE(Has(forced.out, "1 аналоговых (analog), 1 дискретных (discrete), 1 совмещенных"))
      << forced.out;
  EXPECT_EQ(Tree(out.Folder()).size(), 3u * 4 + 1);
}

TEST(BatchNames, CollidingNamesBecomeUniqueAndKeepTheirRecords) {
  TempDir in, out;
  fs::create_directories(in / "a");
  fs::create_directories(in / "b");
  fs::create_directories(out / "comtrade_anl");
  WriteFile(in / "a/rec.flh", Analog(0x10).Bytes());
  WriteFile(in / "b/REC.flh", Analog(0x11).Bytes());
  WriteFile(out / "comtrade_anl/rec.cfg", "made by hand");  // not the batch's: never overwritten
  ASSERT_EQ(Batch({"--recursive", in.Folder(), out.Folder()}).status, 0);
  EXPECT_EQ(ReadFile(out / "comtrade_anl/rec.cfg"), "made by hand");
  // Each pair names its own record's start: 10:33:45 and 11:33:45.
  const std::string a = ReadFile(out / "comtrade_anl/rec_2.cfg");
  const std::string b = ReadFile(out / "comtrade_anl/REC_3.cfg");
  EXPECT_TRUE(Has(a, ",10:33:45.")) << a;
  EXPECT_TRUE(Has(b, ",11:33:45.")) << b;

  // A record that sorts first arrives: the earlier pairs keep their names.
  fs::create_directories(in / "0");
  WriteFile(in / "0/rec.flh", Analog(0x12).Bytes());
  const auto run = Batch({"--recursive", in.Folder(), out.Folder()});
  EXPECT_TRUE(Has(run.out, "Без изменений (up to date): 2\n")) << run.out;
  EXPECT_EQ(ReadFile(out / "comtrade_anl/rec_2.cfg"), a);
  EXPECT_EQ(ReadFile(out / "comtrade_anl/REC_3.cfg"), b);
  EXPECT_TRUE(Exists(out / "comtrade_anl/rec_4.cfg"));
}

TEST(BatchNames, ChoosesNamesByTheFourFilesInAnyLetterCase) {
  const auto none = [](const std::string&, const std::string&) {
    return batch::FileState::kMissing;
  };
  // "recASCII" would write recASCII.cfg, one of the files of "rec".
  const auto names = batch::ChooseNames({{"comtrade_anl", "rec", {"/in/rec.flh"}},
                                         {"comtrade_anl", "recASCII", {"/in/recASCII.flh"}},
                                         {"comtrade_anl", "Rec", {"/in/b/Rec.flh"}},
                                         {"comtrade_dis", "rec", {"/in/rec.txt"}}},
                                        {}, none);
  EXPECT_EQ(names, (std::vector<std::string>{"rec", "recASCII_2", "Rec_2", "rec"}));

  // A name the list gives another record stays its, even with its files gone;
  // a pair whose file became a link is never written through.
  batch::PairList list;
  list[{"comtrade_anl", "rec"}] = {{"/in/old.flh"}, true, "1@1"};
  list[{"comtrade_anl", "mine"}] = {{"/in/mine.flh"}, true, "1@1"};
  const auto linked = [](const std::string&, const std::string& file) {
    return file == "mine.dat" ? batch::FileState::kShared : batch::FileState::kMissing;
  };
  EXPECT_EQ(batch::ChooseNames({{"comtrade_anl", "rec", {"/in/rec.flh"}},
                                {"comtrade_anl", "mine", {"/in/mine.flh"}}},
                               list, linked),
            (std::vector<std::string>{"rec_2", "mine_2"}));
  // A pair claimed by a run that stopped before it finished is finished under
  // its name, over the files that run left.
  list[{"comtrade_anl", "mine"}].done = false;
  const auto left = [](const std::string&, const std::string& file) {
    return file.starts_with("mine") ? batch::FileState::kPlain : batch::FileState::kMissing;
  };
  EXPECT_EQ(batch::ChooseNames({{"comtrade_anl", "mine", {"/in/mine.flh"}}}, list, left),
            (std::vector<std::string>{"mine"}));
  // Two links to one record are two requests of the same records: never one name.
  list[{"comtrade_anl", "link"}] = {{"/in/mine.flh"}, true, "1@1"};
  auto twice = batch::ChooseNames({{"comtrade_anl", "mine", {"/in/mine.flh"}},
                                   {"comtrade_anl", "link", {"/in/mine.flh"}},
                                   {"comtrade_anl", "again", {"/in/mine.flh"}}},
                                  list, left);
  EXPECT_EQ(twice[2], "again");
  std::sort(twice.begin(), twice.begin() + 2);
  EXPECT_EQ(twice, (std::vector<std::string>{"link", "mine", "again"}));
}

TEST(BatchNames, TheListOfPairsReadsBackWhatItWrote) {
  batch::PairList list;
  list[{"comtrade_uni", "a\tb"}] = {{"/in/a\\b.flh", "/in/new\nline.txt"}, true, "10@20;30@40"};
  list[{"comtrade_anl", "c"}] = {{"/in/c.flh"}, false, ""};
  EXPECT_EQ(batch::ParsePairList(batch::PairListText(list)), list);
  // Later lines win; lines it does not know are passed over.
  const std::string text = batch::PairListText(list) + "garbage\n" +
                           batch::DoneLine({"comtrade_anl", "c"}, {"/in/c.flh"}, "1@2") +
                           "done\tcomtrade_anl\t\t1@2\t/in/x.flh\n" + "done\tcut";
  const auto read = batch::ParsePairList(text);
  EXPECT_EQ(read.size(), 2u);
  EXPECT_TRUE(read.at({"comtrade_anl", "c"}).done);
  EXPECT_EQ(read.at({"comtrade_anl", "c"}).stamp, "1@2");
}

TEST(BatchOutputFolder, InsideTheRecordFolderIsNeverReadAsRecords) {
  TempDir in;
  WriteFile(in / "fault.flh", Analog().Bytes());
  WriteFile(in / "fault.txt", Discrete());
  const std::string flh = ReadFile(in / "fault.flh"), txt = ReadFile(in / "fault.txt");
  ASSERT_EQ(Batch({"-r", in.Folder(), in.Folder()}).status, 0);
  // A discrete record where the batch writes must not be taken for one of its inputs.
  WriteFile(in / "comtrade_dis/stray.txt", Discrete("14 03 09:00:01"));
  const auto again = Batch({"-r", in.Folder(), in.Folder()});
  EXPECT_EQ(again.status, 0);
  EXPECT_TRUE(Has(again.out, "Записей (records): 2\n")) << again.out;
  EXPECT_EQ(ReadFile(in / "fault.flh"), flh);
  EXPECT_EQ(ReadFile(in / "fault.txt"), txt);
  EXPECT_TRUE(Exists(in / "comtrade_uni/fault.cfg"));
}

// ---- faults while it runs ----

// A record cut after the batch checked it fails alone, and a list of pairs
// that cannot be put in place stays as appended; nothing is left claimed as
// done: the next run converts the mended record and leaves the rest.
TEST(BatchFaults, RecordChangedAfterThePlanAndAListThatCannotBeRenamed) {
  TempDir in, out;
  const std::string flh = Analog().Bytes();
  WriteFile(in / "a.flh", flh);
  WriteFile(in / "b.txt", Discrete("14 03 09:00:01"));
  {
    FaultyFiles files;
    files.FailRename("velk-batch.lst");
    int opens = 0;
    files.on_open = [&](const std::string& path) {
      if (path.ends_with("a.flh") && ++opens == 2) WriteFile(in / "a.flh", flh.substr(0, 80));
    };
    std::ostringstream said, err;
    EXPECT_EQ(batch::RunBatch({"--jobs", "1", in.Folder(), out.Folder()}, said, err, false), 1);
    EXPECT_TRUE(Has(said.str(), "Ошибки (failed): 1\n  a.flh -> comtrade_anl/a.cfg: Поврежден"))
        << said.str();
  }
  EXPECT_FALSE(Exists(out / "velk-batch.lst.new"));
  EXPECT_FALSE(Exists(out / "comtrade_anl/a.cfg"));
  WriteFile(in / "a.flh", flh);
  const auto again = Batch({in.Folder(), out.Folder()});
  EXPECT_TRUE(Has(again.out, "Преобразовано (converted): 1 аналоговых (analog), 0 дискретных"))
      << again.out;
  EXPECT_TRUE(Has(again.out, "Без изменений (up to date): 1\n")) << again.out;
}

// ---- what it says ----

TEST(BatchProgress, ShowsAProgressLineOnATerminalAlone) {
  TempDir in, out;
  WriteFile(in / "a.flh", Analog().Bytes());
  WriteFile(in / "b.txt", Discrete("14 03 09:00:01"));
  const auto plain = Batch({in.Folder(), out / "plain"});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, "");
#ifdef _WIN32
  GTEST_SKIP() << "needs a terminal that the test reads back: Wine gives a program no "
                  "pseudo console that another program can record, as script(1) does on Linux";
#endif
  if (std::system("command -v script > /dev/null 2>&1") != 0) GTEST_SKIP() << "no script(1)";
  // A machine without pseudo-terminals (a chroot without /dev/pts) gives
  // script(1) none to run the batch on.
  if (std::system("script -qec true /dev/null > /dev/null 2>&1") != 0)
    GTEST_SKIP() << "script(1) cannot open a pseudo-terminal here";
  // script(1) runs the batch on a terminal of its own and copies what it shows.
  const std::string command = "script -qec '" + std::string(VELK_CONVERT) + " batch --jobs 1 " +
                              in.Folder() + " " + out / "tty" + "' /dev/null > " + out / "shown";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string shown = ReadFile(out / "shown");
  EXPECT_TRUE(Has(shown, "\r\x1b[K1/2 a.flh\r\x1b[K2/2 b.txt\r\x1b[K")) << shown;
  EXPECT_TRUE(Has(shown, "Ошибки (failed): 0"));
}

// ---- the folder batch as the window calls it ----

// Three analog records, each with its discrete record: nine pairs.
void WriteThreePairs(const TempDir& in) {
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    WriteFile(in / ("r" + n + ".flh"), Analog(static_cast<std::uint8_t>(0x10 + i)).Bytes());
    WriteFile(in / ("r" + n + ".txt"), Discrete("13 02 1" + n + ":33:45"));
  }
}

batch::FolderOptions Folders(const TempDir& in, const std::string& out, unsigned jobs) {
  return {FullPath(in.Folder()), FullPath(out), false, false, jobs};
}

// Every progress report of a run, in the order they came.
struct ProgressLog {
  std::vector<batch::FolderProgress> reports;
  void ExpectCountsUpTo(std::size_t total) const {
    ASSERT_EQ(reports.size(), total);
    for (std::size_t i = 0; i < total; ++i) {
      EXPECT_EQ(reports[i].done, i + 1);
      EXPECT_EQ(reports[i].total, total);
    }
  }
};

TEST(FolderBatch, ReportsEveryPairAndSaysWhatTheCommandSays) {
  TempDir in, out, cli_out;
  WriteThreePairs(in);
  ProgressLog log;
  batch::FolderHooks hooks;
  hooks.progress = [&](const batch::FolderProgress& p) { log.reports.push_back(p); };
  const batch::FolderResult result = batch::ConvertFolder(Folders(in, out.Folder(), 2), hooks);
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.Converted(batch::Kind::kCombined), 3u);
  log.ExpectCountsUpTo(9);
  EXPECT_TRUE(std::any_of(log.reports.begin(), log.reports.end(),
                          [](const auto& p) { return p.current == "r1.flh + r1.txt"; }));
  EXPECT_EQ(Batch({in.Folder(), cli_out.Folder()}).out, batch::SummaryText(result));
}

// A run cancelled after its first pair leaves that pair whole and the others
// claimed but not started; the next run converts them under the names the
// first run gave them, into what one run that was never cancelled makes.
TEST(FolderBatch, ACancelledRunIsFinishedByTheNextIntoTheSameFiles) {
  TempDir in, whole, out;
  WriteThreePairs(in);
  ASSERT_EQ(
      batch::ConvertFolder(Folders(in, whole.Folder(), 1)).Count(batch::PairOutcome::kConverted),
      9u);
  const auto reference = Tree(whole.Folder());

  std::atomic<bool> cancel{false};
  ProgressLog log;
  batch::FolderHooks hooks;
  hooks.cancel = &cancel;
  hooks.progress = [&](const batch::FolderProgress& p) {
    log.reports.push_back(p);
    cancel = true;
  };
  const batch::FolderResult cut = batch::ConvertFolder(Folders(in, out.Folder(), 1), hooks);
  EXPECT_TRUE(cut.cancelled);
  EXPECT_EQ(cut.Count(batch::PairOutcome::kConverted), 1u);
  EXPECT_EQ(cut.Count(batch::PairOutcome::kNotStarted), 8u);
  ASSERT_EQ(log.reports.size(), 1u);
  EXPECT_EQ(log.reports[0].total, 9u);
  EXPECT_TRUE(batch::SummaryText(cut).ends_with(
      "Ошибки (failed): 0\nОтменено, не начато (cancelled, not started): 8\n"))
      << batch::SummaryText(cut);
  const auto left = Tree(out.Folder());
  EXPECT_EQ(left.size(), 4u + 1);
  for (const auto& [name, bytes] : left)
    if (name != "velk-batch.lst") {
      EXPECT_EQ(bytes, reference.at(name)) << name;
    }
  const batch::PairList list = batch::ParsePairList(left.at("velk-batch.lst"));
  EXPECT_EQ(list.size(), 9u);
  EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const auto& e) { return e.second.done; }),
            1);

  log.reports.clear();
  hooks.cancel = nullptr;
  hooks.progress = [&](const batch::FolderProgress& p) { log.reports.push_back(p); };
  const batch::FolderResult rest = batch::ConvertFolder(Folders(in, out.Folder(), 2), hooks);
  EXPECT_FALSE(rest.cancelled);
  EXPECT_EQ(rest.Count(batch::PairOutcome::kConverted), 8u);
  EXPECT_EQ(rest.Count(batch::PairOutcome::kUpToDate), 1u);
  log.ExpectCountsUpTo(8);
  EXPECT_FALSE(Has(batch::SummaryText(rest), "Отменено"));
  EXPECT_EQ(Tree(out.Folder()), reference);
}

// An output folder that takes no file, not even the list of pairs: a folder
// below a regular file, or one that refuses new files. The run says so once,
// with the folder, converts and writes nothing, and ends as a run that
// converted nothing; the window's summary says the same in one line.
TEST(BatchFaults, AnOutputFolderThatTakesNoFileConvertsNothingAndSaysSoOnce) {
  TempDir in, out;
  WriteFile(in / "a.flh", Analog().Bytes());
  WriteFile(in / "a.txt", Discrete());
  WriteFile(in / "b.txt", Discrete("14 03 09:00:01"));
  const std::string said =
      "Ничего не преобразовано: в папку вывода не записать список пар velk-batch.lst "
      "(nothing converted: the list of pairs velk-batch.lst cannot be written into the "
      "output folder): ";

  WriteFile(out / "file", "");
  const auto below_file = Batch({"--report", out / "r.json", in.Folder(), out / "file/o"});
  EXPECT_EQ(below_file.status, 2);
  EXPECT_EQ(below_file.out, "");
  EXPECT_EQ(below_file.err, said + FullPath(out / "file/o") + "\n");
  EXPECT_TRUE(Has(ReadFile(out / "r.json"), "\"pairs\": [],\n  \"exit_status\": 2\n}"));

  fs::create_directories(FsPath(out / "ro"));
  FaultyFiles files;
  files.ReadOnlyFolder(out / "ro/");
  std::ostringstream summary, err;
  EXPECT_EQ(batch::RunBatch({in.Folder(), out / "ro"}, summary, err, false), 2);
  EXPECT_EQ(summary.str(), "");
  EXPECT_EQ(err.str(), said + FullPath(out / "ro") + "\n");
  EXPECT_TRUE(Tree(out / "ro").empty());

  const batch::FolderResult run = batch::ConvertFolder(Folders(in, out / "ro/", 2));
  EXPECT_EQ(run.records.size(), 3u);
  EXPECT_TRUE(run.pairs.empty());
  EXPECT_EQ(batch::SummaryText(run), said + FullPath(out / "ro/") + "\n");
  FolderConversion window;
  ASSERT_TRUE(window.Start({in.Folder(), out / "ro/", false, false}, 2));
  window.Wait();
  EXPECT_EQ(window.SummaryText(), "Папка записей (records folder): " + in.Folder() +
                                      "\nПапка вывода (output folder): " + out / "ro/" + "\n" +
                                      said + FullPath(out / "ro/") + "\n");
  EXPECT_TRUE(Tree(out / "ro").empty());
}

// ---- exit statuses and the report ----

TEST(BatchExit, StatusSaysWhatHappened) {
  TempDir in, out, empty;
  WriteFile(in / "good.flh", Analog().Bytes());
  EXPECT_EQ(Batch({in.Folder(), out / "o1"}).status, 0);
  EXPECT_EQ(Batch({empty.Folder(), out / "o2"}).status, 2);  // no record
  const auto missing = Batch({in / "none", out / "o3"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(Has(missing.err, "Папка не найдена")) << missing.err;
  WriteFile(empty / "bad.txt", "");
  EXPECT_EQ(Batch({empty.Folder(), out / "o4"}).status, 2);  // no record passed its check
  WriteFile(in / "bad.txt", "");
  EXPECT_EQ(Batch({in.Folder(), out / "o5"}).status, 1);
  // An output folder that cannot be made converts nothing.
  WriteFile(out / "file", "");
  const auto blocked = Batch({in.Folder(), out / "file"});
  EXPECT_EQ(blocked.status, 2);
  EXPECT_FALSE(Exists(out / "o5/comtrade_dis/bad.cfg"));

  for (const std::vector<std::string>& wrong : {std::vector<std::string>{},
                                                {in.Folder()},
                                                {"--jobs", "0", in.Folder(), out / "o"},
                                                {"--jobs", "x", in.Folder(), out / "o"},
                                                {"--fast", in.Folder(), out / "o"},
                                                {in.Folder(), out / "o", "extra"},
                                                {in.Folder(), out / "o", "--report"}})
    EXPECT_EQ(Batch(wrong).status, 64);
  EXPECT_FALSE(fs::exists(out / "o"));
  const auto help = RunConvert({"--help"});
  EXPECT_TRUE(Has(help.out, "velk-convert batch [--recursive]"));
}

TEST(BatchReport, WritesTheSummaryAsJsonAndNeverOverARecord) {
  TempDir in, out;
  WriteFile(in / "fault.flh", Analog().Bytes());
  WriteFile(in / "fault.txt", Discrete());
  const auto run = Batch({"--report", out / "r.json", in.Folder(), out / "o"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string json = ReadFile(out / "r.json");
  EXPECT_TRUE(Has(json,
                  "\"records\": 2,\n  \"converted\": {\"analog\": 1, \"discrete\": 1, "
                  "\"combined\": 1},\n  \"up_to_date\": 0,\n  \"skipped\": [],\n"
                  "  \"ambiguous\": [],\n  \"failed\": [],\n"))
      << json;
  EXPECT_TRUE(Has(json,
                  "{\"kind\": \"combined\", \"records\": [\"fault.flh\", \"fault.txt\"], "
                  "\"output\": \"comtrade_uni/fault.cfg\", \"outcome\": \"converted\"}"));
  EXPECT_TRUE(Has(json, "\"exit_status\": 0\n}\n"));

  const auto rerun = Batch({"--report", out / "r.json", in.Folder(), out / "o"});
  EXPECT_TRUE(Has(ReadFile(out / "r.json"), "\"outcome\": \"up to date\""));

  const std::string record = ReadFile(in / "fault.txt");
  const auto over = Batch({"--report", in / "fault.txt", in.Folder(), out / "o"});
  EXPECT_EQ(over.status, 64);
  EXPECT_EQ(ReadFile(in / "fault.txt"), record);
}

}  // namespace
}  // namespace velk::testing
