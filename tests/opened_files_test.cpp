// Files handed to the window program to be shown: what each kind opens, what
// the user is told when it opens nothing, and how a second start hands paths
// with Cyrillic letters, blanks and line ends to the running window.
#include <gtest/gtest.h>

#include "app/opened_files.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

TEST(HandedFiles, EachKindOpensItsViewerOrSaysWhyNot) {
  TempDir dir;
  FlhRecord analog;
  analog.device_type = 31;
  analog.Name("ПС Север").Factor(0, 1, 0).Number(12, 1000).Number(14, 600);
  WriteFile(dir / "Запись 1.FLH", analog.Ramp(40).Bytes());
  WriteFile(dir / "Дискр 1.txt",
            DiscreteRecord().Start().Event(TimeWord(2), "У", "Блокировка").Bytes());
  WriteFile(dir / "bad.flh", "short");
  WriteFile(dir / "pair.cfg", "station,1,1999\r\n");
  WriteFile(dir / "Пара 1.cfg",
            "ПС,1,1999\r\n1,1A,0D\r\n1,IA,A,,A,1,0,0,-99,99,1,1,S\r\n50\r\n1\r\n1000,3\r\n"
            "01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.000000\r\nASCII\r\n1\r\n");
  WriteFile(dir / "Пара 1.dat", "1,0,5\r\n2,1000,-5\r\n3,2000,7\r\n");
  RecordingUi ui;

  const auto shown = OpenHandedFile(dir / "Запись 1.FLH", ui);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->picture().records().analog, dir / "Запись 1.FLH");
  EXPECT_EQ(shown->picture().sample_count(), 40);
  const auto discrete = OpenHandedFile(dir / "Дискр 1.txt", ui);
  ASSERT_NE(discrete, nullptr);
  EXPECT_EQ(discrete->picture().records().discrete, dir / "Дискр 1.txt");
  const auto comtrade = OpenHandedFile(dir / "Пара 1.cfg", ui);
  ASSERT_NE(comtrade, nullptr);
  EXPECT_EQ(comtrade->picture().sample_count(), 3);
  EXPECT_TRUE(ui.errors.empty());

  // A record its check rejects, a COMTRADE file the reader refuses and any
  // other file open nothing; each box names the file, the reader's its line.
  EXPECT_EQ(OpenHandedFile(dir / "bad.flh", ui), nullptr);
  EXPECT_EQ(OpenHandedFile(dir / "gone.txt", ui), nullptr);
  EXPECT_EQ(OpenHandedFile(dir / "pair.cfg", ui), nullptr);
  EXPECT_EQ(OpenHandedFile(dir / "pair.CFF", ui), nullptr);
  EXPECT_EQ(OpenHandedFile(dir / "notes.doc", ui), nullptr);
  ASSERT_EQ(ui.errors.size(), 5u);
  EXPECT_EQ(ui.errors[0], dir / "bad.flh" + "\nПоврежден");
  EXPECT_EQ(ui.errors[1], dir / "gone.txt" + "\nНе найден");
  EXPECT_TRUE(ui.errors[2].starts_with(dir / "pair.cfg:2: ")) << ui.errors[2];
  EXPECT_TRUE(ui.errors[3].starts_with(dir / "pair.CFF")) << ui.errors[3];
  EXPECT_NE(ui.errors[4].find(dir / "notes.doc"), std::string::npos);
  EXPECT_NE(ui.errors[4].find(".cfg, .cff"), std::string::npos);
}

TEST(HandedFiles, CommandLineNamesFullPathsAndLeavesOptionsToTheToolkit) {
#ifdef _WIN32
  const std::string folder = "C:\\Записи\\";
  const std::string full = "D:\\Другие записи\\b.flh";
  const std::string share = "\\\\server\\share\\c.txt";
#else
  const std::string folder = "/home/инженер/";
  const std::string full = "/srv/другие записи/b.flh";
  const std::string share = "/mnt/c.txt";
#endif
  EXPECT_EQ(
      HandedFilesOf({"a 1.flh", "-platform", "offscreen", full, "-reverse", "", share}, folder),
      (std::vector<std::string>{folder + "a 1.flh", full, share}));
  EXPECT_EQ(HandedFilesOf({"-x", "skipped", share}, folder), std::vector<std::string>{share});
}

TEST(HandedFiles, PathsReachTheRunningWindowAsTheyWere) {
  const std::vector<std::string> paths = {"C:\\Записи ПС\\запись 1.flh", "/tmp/a\nb.txt", "x.cfg"};
  // Windows: one block of UTF-16 paths.
  const std::u16string block = JoinHandedPaths(paths);
  EXPECT_EQ(SplitHandedPaths(block), paths);
  EXPECT_EQ(block.back(), u'\0');
  // A block cut short loses its last path only; the count is bounded.
  EXPECT_EQ(SplitHandedPaths(std::u16string_view(block).substr(0, block.size() - 1)),
            (std::vector<std::string>{paths[0], paths[1]}));
  std::u16string many;
  for (std::size_t i = 0; i < kMaxHandedFiles + 5; ++i) many += u"a.flh" + std::u16string(1, 0);
  EXPECT_EQ(SplitHandedPaths(many).size(), kMaxHandedFiles);
  // A path that is no UTF-8 is not handed; no path is empty.
  EXPECT_EQ(SplitHandedPaths(JoinHandedPaths({"\xFF.flh", "", "ok.flh"})),
            std::vector<std::string>{"ok.flh"});

  // The Qt window: one line per file, any byte of the name kept.
  for (const std::string& path : paths) {
    const std::string request = OpenRequest(path);
    EXPECT_EQ(request.find('\n'), std::string::npos);
    EXPECT_EQ(PathOfOpenRequest(request), path);
  }
  EXPECT_EQ(PathOfOpenRequest("OnlyOneKalvenor"), std::nullopt);
  EXPECT_EQ(PathOfOpenRequest("open "), std::nullopt);
  EXPECT_EQ(PathOfOpenRequest("open 4"), std::nullopt);
  EXPECT_EQ(PathOfOpenRequest("open 4g"), std::nullopt);
  EXPECT_EQ(PathOfOpenRequest("open 6100"), std::nullopt);  // a zero byte
}

}  // namespace
}  // namespace velk::testing
