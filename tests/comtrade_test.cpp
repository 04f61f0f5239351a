// The COMTRADE layer: file names of a pair, text-mode reading, the ASCII pair
// derived from the BINARY pair, numbers and code page 1251.
#include <gtest/gtest.h>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <filesystem>

#include "comtrade/ascii_pair.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/text_reader.h"
#include "discrete/status_words.h"
#include "tests/support/fakes.h"
#include "tests/support/platform.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

TEST(PairPaths, BaseIsTheChosenPathLessFourCharacters) {
  const PairPaths pair = PairPathsFor("/rec/a1.cfg");
  EXPECT_EQ(pair.binary_cfg, "/rec/a1.cfg");
  EXPECT_EQ(pair.binary_dat, "/rec/a1.dat");
  EXPECT_EQ(pair.ascii_cfg, "/rec/a1ASCII.cfg");
  EXPECT_EQ(pair.ascii_dat, "/rec/a1ASCII.dat");
  EXPECT_EQ(PairPathsFor("/rec/rec.txt1").binary_dat, "/rec/rec..dat");
  EXPECT_EQ(PairPathsFor("abc").ascii_cfg, "ASCII.cfg");
}

// Lines of a text as the text-mode reader gives them; "|" marks the last one
// when the end of the file was met.
std::vector<std::string> ReadLines(const std::string& bytes) {
  TempDir dir;
  WriteFile(dir / "t", bytes);
  InFile file;
  EXPECT_TRUE(file.Open(dir / "t"));
  TextReader reader(file);
  std::vector<std::string> lines;
  std::string line;
  while (!reader.ended()) {
    reader.ReadLine(line);
    lines.push_back(reader.ended() ? line + "|" : line);
  }
  return lines;
}

TEST(TextReader, ReadsLinesAsWindowsTextModeDoes) {
  using L = std::vector<std::string>;
  EXPECT_EQ(ReadLines(""), L{"|"});
  EXPECT_EQ(ReadLines("a\r\nb\n"), (L{"a", "b", "|"}));
  EXPECT_EQ(ReadLines("a\r\nlast"), (L{"a", "last|"}));
  EXPECT_EQ(ReadLines("lone\rcr\r\r\nx\r"), (L{"lone\rcr\r", "x\r|"}));
  EXPECT_EQ(ReadLines("a\r\nb\x1A"
                      "c\r\nd\r\n"),
            (L{"a", "b|"}));  // Ctrl-Z ends the file
  EXPECT_EQ(ReadLines("\r\x1A"), L{"\r|"});
  // A CR LF split between two blocks of the file is still one line end.
  const std::string first(kBlockSize - 1, 'x');
  EXPECT_EQ(ReadLines(first + "\r\ny"), (L{first, "y|"}));
  const std::string long_line(3 * kBlockSize + 5, 'z');
  EXPECT_EQ(ReadLines(long_line + "\n"), (L{long_line, "|"}));
}

TEST(Numbers, PaddedAndCutAsTheWindowShowsThem) {
  EXPECT_EQ(ZeroPaddedCut(5, 2), "05");
  EXPECT_EQ(ZeroPaddedCut(165, 2), "16");
  EXPECT_EQ(ZeroPaddedCut(-5, 2), "-5");
  EXPECT_EQ(SpacePaddedCut(2024, 4), "2024");
  EXPECT_EQ(SpacePaddedCut(7, 4), "   7");
  EXPECT_EQ(LeadingNumber(" 12ab"), 12);
  EXPECT_EQ(LeadingNumber("-7"), -7);
  EXPECT_EQ(LeadingNumber("x1"), 0);
  EXPECT_EQ(LeadingNumber("99999999999999999999"), 2147483647);
}

// The system's own converter's UTF-8 for one code page 1251 byte.
std::string SystemUtf8Of(char byte) {
#ifdef _WIN32
  wchar_t wide[2] = {};
  if (MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &byte, 1, wide, 2) != 1) return "!";
  char out[8] = {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, 1, out, sizeof out, nullptr, nullptr);
  return std::string(out, static_cast<std::size_t>(n > 0 ? n : 0));
#else
  iconv_t to_utf8 = iconv_open("UTF-8", "CP1251");
  if (to_utf8 == reinterpret_cast<iconv_t>(-1)) return "!";
  char in[1] = {byte};
  char out[8] = {};
  char* in_at = in;
  char* out_at = out;
  std::size_t in_left = 1, out_left = sizeof out;
  const bool converted =
      iconv(to_utf8, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(to_utf8);
  return converted ? std::string(out, out_at) : "!";
#endif
}

TEST(CodePage1251, AgreesWithTheSystemConverterForEveryByteBothWays) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;  // no character in the code page
    const char byte = static_cast<char>(b);
    const std::string utf8 = SystemUtf8Of(byte);
    EXPECT_EQ(Cp1251ToUtf8(std::string_view(&byte, 1)), utf8) << b;
    EXPECT_EQ(Utf8ToCp1251(utf8), std::string(1, byte)) << b;
  }
  EXPECT_EQ(Cp1251ToUtf8("\x98"), "\xEF\xBF\xBD");
  EXPECT_EQ(Cp1251("Ёё№").view(), "\xA8\xB8\xB9");
}

// ---- the ASCII pair ----

struct AsciiFixture {
  TempDir dir;
  PairPaths pair;
  RecordingReporter ui;
  AsciiFixture() : pair(PairPathsFor(dir / "p.cfg")) {}
};

TEST(AsciiConfig, ReplacesOnlyAWholeBinaryLineAndEndsWithAnEmptyLine) {
  AsciiFixture f;
  WriteFile(f.pair.binary_cfg, "BINARY,,1999\r\n2,0A,2D\r\nBINARY \r\nBINARY\r\n1\r\n");
  std::string second;
  ASSERT_TRUE(MakeAsciiConfig(f.ui, f.pair, &second));
  EXPECT_EQ(ReadFile(f.pair.ascii_cfg), "BINARY,,1999\r\n2,0A,2D\r\nBINARY \r\nASCII\r\n1\r\n\r\n");
  EXPECT_EQ(second, "2,0A,2D");
  // A file that does not end with a line end has no read that meets the end empty.
  WriteFile(f.pair.binary_cfg, "a\nBINARY");
  ASSERT_TRUE(MakeAsciiConfig(f.ui, f.pair, nullptr));
  EXPECT_EQ(ReadFile(f.pair.ascii_cfg), "a\r\nASCII\r\n");
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(AsciiData, StopsAtSampleNumberZeroAndAtAnIncompleteRecord) {
  AsciiFixture f;
  const auto print = [](const unsigned char* rest, OutFile& out) {
    out.Write(",", 1);
    out.Decimal(static_cast<std::int16_t>(rest[0] | rest[1] << 8));
  };
  WriteFile(f.pair.binary_dat, "");
  ASSERT_TRUE(MakeAsciiData(f.ui, f.pair, 10, print));
  EXPECT_EQ(ReadFile(f.pair.ascii_dat), "");

  WriteFile(f.pair.binary_dat,
            I32(1) + I32(-5) + I16(-152) + I32(2) + I32(0) + I16(3071) + I32(0) + I32(9) + I16(1));
  ASSERT_TRUE(MakeAsciiData(f.ui, f.pair, 10, print));
  EXPECT_EQ(ReadFile(f.pair.ascii_dat), "1,-5,-152\r\n2,0,3071\r\n");

  WriteFile(f.pair.binary_dat, I32(1) + I32(0) + I16(7) + I32(2) + I32(0));
  ASSERT_TRUE(MakeAsciiData(f.ui, f.pair, 10, print));
  EXPECT_EQ(ReadFile(f.pair.ascii_dat), "1,0,7\r\n");
  EXPECT_TRUE(f.ui.errors.empty());
}

TEST(AsciiData, AHugeDigitalCountCannotOutgrowTheData) {
  AsciiFixture f;
  WriteFile(f.pair.binary_dat, I32(1) + I32(0) + I16(1));
  const std::int64_t channels = ReadDigitalCount("1,0A,2000000000D");
  ASSERT_TRUE(MakeAsciiData(f.ui, f.pair, 8 + 2 * StatusWordCount(channels),
                            [channels](const unsigned char* rest, OutFile& out) {
                              WriteBitsASCII(rest, out, channels);
                            }));
  EXPECT_EQ(ReadFile(f.pair.ascii_dat), "");
}

TEST(AsciiData, EitherFileThatCannotBeOpenedIsReportedAndLeavesNoAsciiFile) {
  AsciiFixture f;
  const auto nothing = [](const unsigned char*, OutFile&) {};
  EXPECT_FALSE(MakeAsciiData(f.ui, f.pair, 8, nothing));  // no BINARY data file
  EXPECT_FALSE(Exists(f.pair.ascii_dat));
  EXPECT_FALSE(MakeAsciiConfig(f.ui, f.pair, nullptr));
  EXPECT_FALSE(Exists(f.pair.ascii_cfg));
  EXPECT_EQ(f.ui.errors,
            (std::vector<std::string>{"Ошибка открытия файла", "Ошибка открытия файла"}));
}

TEST(OutFile, AbandoningRemovesOnlyAnOrdinaryFile) {
  TempDir dir;
  OutFile file;
  ASSERT_TRUE(file.Create(dir / "half.dat"));
  file.Write("x");
  file.Abandon();
  EXPECT_FALSE(Exists(dir / "half.dat"));
  // A device written to stays.
  const std::string device = kWindows ? "NUL" : "/dev/null";
  ASSERT_TRUE(file.Create(device));
  file.Write("x");
  file.Abandon();
  EXPECT_TRUE(kWindows || Exists(device));  // Wine tells nothing of NUL's existence
#ifndef _WIN32
  // So does a link, here to a device that is always full: its write fails for real.
  std::filesystem::create_symlink("/dev/full", dir / "full.dat");
  ASSERT_TRUE(file.Create(dir / "full.dat"));
  file.Write("x");
  EXPECT_FALSE(file.Close());
  file.Abandon();
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "full.dat"));
  EXPECT_TRUE(Exists("/dev/full"));
#endif
}

}  // namespace
}  // namespace velk::testing
