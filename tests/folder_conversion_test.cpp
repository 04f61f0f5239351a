// «Преобразовать папку…» and files dropped on the window, in the window's logic.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <thread>

#include "app/comtrade_form.h"
#include "tests/support/fakes.h"
#include "tests/support/run_program.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using batch::FolderHooks;
using batch::FolderOptions;
using batch::FolderResult;

// A batch of its own: reports `pairs` finished pairs one by one, each once the
// test lets it go, and stops early when cancelled.
struct SteppedBatch {
  std::mutex mutex;
  std::condition_variable changed;
  int allowed = 0;
  FolderOptions seen;

  void Allow(int pairs) {
    std::lock_guard lock(mutex);
    allowed += pairs;
    changed.notify_all();
  }

  FolderConversion::Runner Runner(std::size_t pairs) {
    return [this, pairs](const FolderOptions& options, const FolderHooks& hooks) {
      seen = options;
      FolderResult result;
      result.in_read = true;
      result.pairs.resize(pairs);
      for (std::size_t done = 0; done < pairs; ++done) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return allowed > 0; });
        --allowed;
        lock.unlock();
        if (hooks.cancel != nullptr && *hooks.cancel) {
          for (std::size_t rest = done; rest < pairs; ++rest)
            result.pairs[rest].outcome = batch::PairOutcome::kNotStarted;
          result.cancelled = true;
          return result;
        }
        result.pairs[done].outcome = batch::PairOutcome::kConverted;
        hooks.progress({done + 1, pairs, "r" + std::to_string(done) + ".flh"});
      }
      return result;
    };
  }
};

// Waits until the run shows done pairs, or a second passed.
FolderConversion::Status WaitForDone(const FolderConversion& run, std::size_t done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (run.Poll().done < done && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return run.Poll();
}

TEST(FolderConversionLogic, RunsOnItsOwnThreadReportsProgressAndCancelsAfterThePairUnderWay) {
  SteppedBatch batch;
  FolderConversion run(batch.Runner(4));
  EXPECT_FALSE(run.Start({"", "/out/", false, false}, 2));  // «Начать» needs both folders
  ASSERT_TRUE(run.Start({"/in/", "/out/", true, true}, 3));
  EXPECT_FALSE(run.Start({"/in/", "/out/", false, false}, 1));  // one run at a time
  EXPECT_EQ(run.Poll().state, FolderConversion::State::kRunning);

  batch.Allow(1);
  const FolderConversion::Status first = WaitForDone(run, 1);
  EXPECT_EQ(first.total, 4u);
  EXPECT_EQ(FolderConversion::ProgressText(first), "1 из 4: r0.flh");
  EXPECT_TRUE(batch.seen.recursive && batch.seen.force);
  EXPECT_EQ(batch.seen.jobs, 3u);

  run.Cancel();
  EXPECT_EQ(run.Poll().state, FolderConversion::State::kCancelling);
  batch.Allow(1);  // the pair under way ends; no other starts
  run.Wait();
  EXPECT_EQ(run.Poll().state, FolderConversion::State::kFinished);
  EXPECT_TRUE(run.result().cancelled);
  EXPECT_EQ(run.result().Count(batch::PairOutcome::kNotStarted), 3u);
  run.Reset();
  EXPECT_EQ(run.Poll().state, FolderConversion::State::kIdle);
}

// Records of one start moment, an analog record of another, a damaged one.
void PutRecords(const std::string& folder) {
  std::filesystem::create_directories(FsPath(folder));
  FlhRecord analog;
  analog.moment_bcd = {0x23, 0x02, 0x13, 0x16, 0x33, 0x45};
  analog.Ramp(200);
  WriteFile(folder + "a.flh", analog.Bytes());
  analog.moment_bcd[5] = 0x46;
  WriteFile(folder + "b.flh", analog.Bytes());
  WriteFile(folder + "a.txt", DiscreteRecord().Start().Event("0000.010", "П", "A").Bytes());
  WriteFile(folder + "bad.txt", DiscreteRecord().Start().Bytes() + Cp("// 0000.020 П\r\n"));
}

// Every file below folder, by its path below it, with its bytes.
std::map<std::string, std::string> Tree(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(FsPath(folder)))
    if (entry.is_regular_file())
      files[PathText(entry.path().lexically_relative(FsPath(folder)))] =
          ReadFile(PathText(entry.path()));
  return files;
}

// Polls as a view's timer does until the run is over.
FolderRunProgress PollUntilOver(TFComtrade& form) {
  for (;;) {
    FolderRunProgress progress = form.PollFolderConversion();
    if (progress.finished) return progress;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

TEST(FolderConversionLogic, TheWindowsRunWritesTheTreeOfVelkConvertBatch) {
  FormFixture f;
  const std::string records = f.dir / "records/";
  PutRecords(records);
  Select(f.form.controls.FileListBox1, records + "a.flh");
  FolderChoices choices = f.form.FolderChoicesFor();
  EXPECT_EQ(choices.records_folder, records);
  EXPECT_EQ(choices.output_folder, f.system.ExecutableFolder());
  choices.output_folder = f.dir / "window/";

  ASSERT_TRUE(f.form.StartFolderConversion(choices));
  EXPECT_TRUE(f.form.controls.FolderConversionRunning);
  f.form.controls.ConvertANLButton = true;
  EXPECT_FALSE(f.form.controls.ConvertANLShown());
  f.form.ConvertANLButtonClick();  // does nothing while the folder is converted
  EXPECT_TRUE(f.ui.log.empty());
  EXPECT_FALSE(f.form.StartFolderConversion(choices));  // one run at a time
  const FolderRunProgress over = PollUntilOver(f.form);
  EXPECT_TRUE(f.form.controls.ConvertANLShown());
  EXPECT_EQ(over.output_folder, f.dir / "window/");
  EXPECT_FALSE(f.form.PollFolderConversion().finished);  // the summary is shown once

  const std::string& summary = over.summary;
  EXPECT_NE(summary.find("Преобразовано (converted): 2 аналоговых (analog), 1 дискретных "
                         "(discrete), 1 совмещенных (combined)"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("bad.txt: Поврежден"), std::string::npos) << summary;

  const auto done = RunConvert({"batch", records, f.dir / "command"});
  EXPECT_EQ(done.status, 1) << done.err;  // a record skipped
  EXPECT_EQ(Tree(f.dir / "window"), Tree(f.dir / "command"));
}

// The folders as typed into the dialog: blanks around them and Explorer's
// quotes go. A second run while the summary of the first is still open
// starts, and the summary closed afterwards leaves the second alone.
TEST(FolderConversionLogic, TypedFoldersAreTidiedAndASecondRunStartsOverAnOpenSummary) {
  FormFixture f;
  const std::string records = f.dir / "records/";
  PutRecords(records);
  std::string typed = records;
  typed.pop_back();
  ASSERT_TRUE(f.form.StartFolderConversion({"  \"" + typed + "\"\t", " " + (f.dir / "out") + " "}));
  const FolderRunProgress first = PollUntilOver(f.form);
  EXPECT_EQ(first.output_folder, f.dir / "out/");
  EXPECT_NE(first.summary.find("Папка записей (records folder): " + records + "\n"),
            std::string::npos)
      << first.summary;
  EXPECT_TRUE(Exists(f.dir / "out/comtrade_uni/a.cfg"));

  EXPECT_FALSE(f.form.StartFolderConversion({"  ", f.dir / "out2"}));  // blanks name no folder
  ASSERT_TRUE(f.form.StartFolderConversion({records, f.dir / "out2", false, true}));
  f.form.FolderSummaryClosed();  // the first summary, closed as the second run starts
  EXPECT_TRUE(f.form.controls.FolderConversionRunning);
  const FolderRunProgress second = PollUntilOver(f.form);
  EXPECT_NE(second.summary.find(f.dir / "out2/"), std::string::npos);
  f.form.FolderSummaryClosed();
  EXPECT_EQ(f.form.PollFolderConversion().status.state, FolderConversion::State::kIdle);
}

TEST(FolderConversionLogic, AnEmptyRecordsFolderSaysSoAndWritesNothing) {
  FormFixture f;
  std::filesystem::create_directories(FsPath(f.dir / "empty"));
  FolderConversion run;
  ASSERT_TRUE(run.Start({f.dir / "empty/", f.dir / "out/", false, false}, 1));
  run.Wait();
  EXPECT_NE(run.SummaryText().find("В папке нет записей"), std::string::npos);
  EXPECT_FALSE(Exists(f.dir / "out"));
}

TEST(DroppedFiles, RecordsAreChosenAFolderOpensTheDialogAnythingElseIsRefused) {
  FormFixture f;
  const std::string records = f.dir / "records/";
  PutRecords(records);
  WriteFile(records + "notes.doc", "x");
  using Kind = TFComtrade::DropKind;
  EXPECT_EQ(f.form.DropKindOf({records + "notes.doc"}), Kind::kRefused);
  EXPECT_EQ(f.form.DropKindOf({records + "a.flh", records + "notes.doc"}), Kind::kRefused);
  EXPECT_EQ(f.form.DropKindOf({records, records + "a.flh"}), Kind::kRefused);
  EXPECT_EQ(f.form.DropKindOf({}), Kind::kRefused);
  // COMTRADE records open viewers; mixed with our records the drop means nothing.
  EXPECT_EQ(f.form.DropKindOf({records + "b.CFG", records + "c.cff"}), Kind::kComtrade);
  EXPECT_EQ(f.form.DropKindOf({records + "b.cfg", records + "a.flh"}), Kind::kRefused);
  EXPECT_EQ(f.form.Drop({records + "notes.doc"}), "");
  EXPECT_TRUE(f.form.controls.FileListBox1.selected_name.empty());

  EXPECT_EQ(f.form.DropKindOf({records + "a.flh", records + "a.txt"}), Kind::kRecords);
  EXPECT_EQ(f.form.Drop({records + "a.flh", records + "a.txt"}), "");
  EXPECT_EQ(f.form.controls.FileListBox1.SelectedFile(), records + "a.flh");
  EXPECT_EQ(f.form.controls.FileListBox2.SelectedFile(), records + "a.txt");
  EXPECT_EQ(f.form.paths.FolderANL, records);  // remembered, as «FLH файл» remembers it
  EXPECT_TRUE(f.form.controls.SovmestButton);  // both checked, one start moment

  std::string folder = records;
  folder.pop_back();
  EXPECT_EQ(f.form.DropKindOf({folder}), Kind::kFolder);
  const std::string opened = f.form.Drop({folder});
  EXPECT_EQ(opened, records);
  EXPECT_EQ(f.form.FolderChoicesFor(opened).records_folder, records);
}

}  // namespace
}  // namespace velk::testing
