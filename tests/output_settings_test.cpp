// The window's output form as a user sets it and finds it again at the next
// start.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/comtrade_form.h"
#include "app/output_settings.h"
#include "cli/cli_run.h"
#include "comtrade/cp1251.h"
#include "tests/support/fakes.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

TEST(OutputSettings, DefaultsGiveTodaysFormAndTheComputersOffset) {
  const OutputSettings east(180), west(-330), none;
  EXPECT_EQ(east.time_code, "+3");
  EXPECT_EQ(west.time_code, "-5h30");
  EXPECT_EQ(none.time_code, "0");
  // A 1999 form states no clock, so the default settings write today's bytes.
  EXPECT_TRUE(east.Form().IsDefault());
  OutputSettings newer = east;
  newer.revision = Revision::k2013;
  newer.encoding = TextEncoding::kUtf8;
  EXPECT_EQ(newer.Form().time_code, "+3");
  EXPECT_EQ(newer.Form().tmq_code, "F");  // no claim of a synchronised clock
  EXPECT_EQ(FormMark(newer.Form()), "2013 utf-8 +3 F,3");
  EXPECT_EQ(OutputSettingsPathBeside("/home/u/.config/velk-comtrade/cmtrd.ddt"),
            "/home/u/.config/velk-comtrade/cmtrd.fmt");
}

TEST(OutputSettings, ReadBackWhatWasSavedAndKeepWhatADamagedFileDoesNotSay) {
  TempDir dir;
  OutputSettings saved(0);
  saved.revision = Revision::k2013;
  saved.encoding = TextEncoding::kUtf8;
  saved.one_file = true;
  saved.time_code = "-5h30";
  ASSERT_TRUE(saved.Save(dir / "cmtrd.fmt"));
  EXPECT_EQ(ReadFile(dir / "cmtrd.fmt"),
            "revision=2013\r\nencoding=utf-8\r\none_file=1\r\ntime_code=-5h30\r\n");
  OutputSettings read(180);
  EXPECT_EQ(read.Load(dir / "cmtrd.fmt"), OutputSettings::Loaded::kRead);
  EXPECT_EQ(read, saved);

  // Missing: nothing changes, nothing is said.
  OutputSettings missing(180);
  EXPECT_EQ(missing.Load(dir / "none.fmt"), OutputSettings::Loaded::kMissing);
  EXPECT_EQ(missing, OutputSettings(180));

  // Damaged: the lines that make sense are taken, the rest keep their value;
  // an LF line end, a line without its end and a line of any length read too.
  WriteFile(dir / "bad.fmt", "revision=2011\nencoding=utf-8\r\n" + std::string(5000, 'x') +
                                 "\r\ntime_code=+25\r\none_file=yes\r\nrevision=2013");
  OutputSettings damaged(180);
  EXPECT_EQ(damaged.Load(dir / "bad.fmt"), OutputSettings::Loaded::kDamaged);
  EXPECT_EQ(damaged.revision, Revision::k2013);
  EXPECT_EQ(damaged.encoding, TextEncoding::kUtf8);
  EXPECT_FALSE(damaged.one_file);
  EXPECT_EQ(damaged.time_code, "+3");
  // Binary junk is no setting at all.
  WriteFile(dir / "junk.fmt", std::string("\0\xFF\r\n=\r\n", 6));
  OutputSettings junk(60);
  EXPECT_EQ(junk.Load(dir / "junk.fmt"), OutputSettings::Loaded::kDamaged);
  EXPECT_EQ(junk, OutputSettings(60));

  // A folder that cannot take the file.
  EXPECT_FALSE(saved.Save(dir / "no/such/folder/cmtrd.fmt"));
}

// The window converts in the form the user set, writing what velk-convert
// writes when asked for it, and finds the form again at its next start.
TEST(OutputSettingsInTheWindow, ConvertInTheChosenFormAndKeepItForTheNextStart) {
  FormFixture f;
  f.form.RestoreLastFolders();
  EXPECT_EQ(Cp1251ToUtf8(f.form.Caption()), "COMTRADE конвертер для ВЕЛК");
  FlhRecord record;
  record.Name("ПС Север").Ramp(50);
  const std::string flh = f.Put("a.flh", record.Bytes());

  OutputSettings chosen = f.form.output();
  chosen.revision = Revision::k2013;
  chosen.encoding = TextEncoding::kUtf8;
  chosen.time_code = "+3";
  f.form.SetOutput(chosen);
  EXPECT_EQ(ReadFile(f.dir / "cmtrd.fmt").substr(0, 15), "revision=2013\r\n");
  EXPECT_EQ(Cp1251ToUtf8(f.form.Caption()), "COMTRADE конвертер для ВЕЛК [2013 utf-8 +3 F,3]");

  f.ui.open_answers.push_back(flh);
  f.form.FLHButtonClick();
  f.ui.save_answers.push_back(f.dir / "window.cfg");
  f.form.ConvertANLButtonClick();
  std::ostringstream out, err;
  ASSERT_EQ(
      RunCommandLine({"analog", flh, f.dir / "cli.cfg", "--revision", "2013", "--time-code", "+3"},
                     "", out, err),
      0)
      << err.str();
  for (const char* name : {".cfg", ".dat", "ASCII.cfg", "ASCII.dat"})
    EXPECT_EQ(ReadFile(f.dir / (std::string("window") + name)),
              ReadFile(f.dir / (std::string("cli") + name)))
        << name;
  EXPECT_TRUE(f.ui.errors.empty());

  // One file a pair, and the next start: the window comes back in the form.
  chosen.one_file = true;
  f.form.SetOutput(chosen);
  FormFixture next;
  std::filesystem::copy(f.dir / "cmtrd.fmt", next.dir / "cmtrd.fmt");
  next.form.RestoreLastFolders();
  EXPECT_EQ(next.form.output(), chosen);
  next.ui.open_answers.push_back(next.Put("a.flh", record.Bytes()));
  next.form.FLHButtonClick();
  next.ui.save_answers.push_back(next.dir / "one.cfg");
  next.form.ConvertANLButtonClick();
  EXPECT_TRUE(Exists(next.dir / "one.cff") && Exists(next.dir / "oneASCII.cff"));
  EXPECT_FALSE(Exists(next.dir / "one.cfg"));
  // The save dialog offers and filters the .cff, and the .cff is what an
  // overwrite is asked about, whichever extension the name was given.
  const FileDialogOptions& offered = next.ui.save_dialogs.at(0);
  EXPECT_EQ(Cp1251ToUtf8(offered.filter), "COMTRADE файлы (*.cff)|*.CFF");
  EXPECT_EQ(offered.default_extension, "cff");
  EXPECT_TRUE(offered.file_name.ends_with("_anl.cff")) << offered.file_name;
  next.ui.save_answers = {next.dir / "one.cfg", std::nullopt};
  next.ui.answers = {Answer::kNo};
  next.form.ConvertANLButtonClick();
  EXPECT_EQ(next.ui.questions.size(), 1u);
  EXPECT_EQ(next.ui.save_dialogs.at(2).file_name, "one.cff");

  // The folder dialog's run writes its pairs in the form too.
  std::filesystem::create_directory(next.dir / "records");
  next.Put("records/a.flh", record.Bytes());
  FolderChoices choices = next.form.FolderChoicesFor(next.dir / "records/");
  choices.output_folder = next.dir / "batch/";
  ASSERT_TRUE(next.form.StartFolderConversion(choices));
  while (!next.form.PollFolderConversion().finished)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  std::vector<std::string> written;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(next.dir / "batch"))
    if (entry.is_regular_file()) written.push_back(entry.path().extension().string());
  std::sort(written.begin(), written.end());
  EXPECT_EQ(written, (std::vector<std::string>{".cff", ".cff", ".lst"}));  // and its list
}

// Where the program's folder takes no file, the settings are the user's own,
// beside the user's cmtrd.ddt; a file that cannot be written is said.
TEST(OutputSettingsInTheWindow, LiveInTheUsersConfigFolderWhereTheProgramsTakesNoFile) {
  FormFixture f;
  f.system.executable_folder_writable = false;
  f.system.config_folder = f.dir / "config/";
  f.form.RestoreLastFolders();
  OutputSettings chosen = f.form.output();
  chosen.revision = Revision::k2013;
  f.form.SetOutput(chosen);
  EXPECT_TRUE(Exists(f.dir / "config/cmtrd.fmt"));
  EXPECT_FALSE(Exists(f.dir / "cmtrd.fmt"));
  EXPECT_TRUE(f.ui.errors.empty());

  FormFixture g;
  g.system.config_folder = g.dir / "config/";  // not made, and not the program's folder
  g.form.paths.LastFoldersPath = g.dir / "gone/cmtrd.ddt";
  g.form.SetOutput(chosen);
  ASSERT_EQ(g.ui.errors.size(), 1u);
  EXPECT_EQ(g.ui.errors[0], "Ошибка записи файла");
  EXPECT_EQ(g.form.output(), chosen);  // it still holds for this run
}

}  // namespace
}  // namespace velk::testing
