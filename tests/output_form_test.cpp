// Pairs written in revision 2013, in UTF-8 and as one .cff file each: what a
// stock reader of those forms loads, the options that ask for them, and the
// batch that keeps track of them. The default form's bytes are pinned by the
// conversions' own tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "batch/folder_batch.h"
#include "cli/cli_run.h"
#include "combined/requests.h"
#include "comtrade/cfg_writer.h"
#include "comtrade/cp1251.h"
#include "comtrade/output_form.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

// True iff text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80                   ? 1
                               : lead >= 0xC2 && lead < 0xE0 ? 2
                               : lead >= 0xE0 && lead < 0xF0 ? 3
                               : lead >= 0xF0 && lead < 0xF5 ? 4
                                                             : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    const auto second = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
      return false;
    i += length;
  }
  return true;
}

enum class Kind { kAnalog, kDiscrete, kCombined };

// An analog record of a named station and the discrete record of its moment.
struct Records {
  TempDir dir;
  std::string flh, txt;
  Records() {
    FlhRecord analog;
    analog.device_type = 31;
    analog.Name("ПС Север").Factor(0, 1, 0).Factor(4, 0, 0x8000).Number(12, 1000);
    analog.moment_bcd = {0x24, 0x03, 0x12, 0x14, 0x27, 0x05};  // 12.03.2024 14:27:05
    flh = dir / "rec.flh";
    txt = dir / "rec.txt";
    WriteFile(flh, analog.Ramp(120).Bytes());
    WriteFile(txt, DiscreteRecord()
                       .Pair("12 03 14:27:05", "Пуск")
                       .Event("0000.010", "П", "Отключение В1")
                       .Event("0000.050", "У", "Отключение В1")
                       .Bytes());
  }

  // Converts into dir/name.cfg in form; returns the reports.
  Lines Convert(Kind kind, const std::string& name, const OutputForm& form) const {
    RecordingReporter reporter;
    const std::string out = dir / (name + ".cfg");
    const std::string state = dir / (name + ".state");
    switch (kind) {
      case Kind::kAnalog:
        ConvertAnalogRequest({flh, out}, reporter, form);
        break;
      case Kind::kDiscrete:
        ConvertDiscreteRequest({txt, out, 2024, {}}, reporter, form);
        break;
      case Kind::kCombined:
        ConvertCombinedRequest({flh, txt, out, [state] { return state; }}, reporter, form);
        break;
    }
    return reporter.errors;
  }
};

OutputForm Form2013(const std::string& time_code) {
  OutputForm form = FormOf(Revision::k2013);
  form.time_code = time_code;
  return form;
}

// The sections of a .cff: each "--- file type: ... ---" line with what follows it.
std::vector<std::pair<std::string, std::string>> Sections(const std::string& cff) {
  std::vector<std::pair<std::string, std::string>> sections;
  std::size_t at = 0;
  while (at < cff.size()) {
    const std::size_t end = cff.find("\r\n", at);
    if (end == std::string::npos) break;
    const std::string line = cff.substr(at, end - at);
    at = end + 2;
    if (line.starts_with("--- file type: ")) {
      sections.push_back({line, ""});
      // A binary section holds the byte count it names, whatever its bytes are.
      if (const auto colon = line.find(": ", 15); colon != std::string::npos) {
        const std::size_t size = std::stoul(line.substr(colon + 2));
        sections.back().second = cff.substr(at, size);
        at += size;
      }
    } else if (!sections.empty()) {
      sections.back().second += line + "\r\n";
    }
  }
  return sections;
}

TEST(Revision2013, EveryConversionWritesTheLinesOfTheRevisionInUtf8) {
  const Records r;
  for (Kind kind : {Kind::kAnalog, Kind::kDiscrete, Kind::kCombined}) {
    const auto k = static_cast<int>(kind);
    ASSERT_EQ(r.Convert(kind, "old", {}), Lines{}) << k;
    ASSERT_EQ(r.Convert(kind, "new", Form2013("+3")), Lines{}) << k;
    const std::string text = ReadFile(r.dir / "new.cfg");
    EXPECT_TRUE(IsUtf8(text)) << k;
    EXPECT_TRUE(IsUtf8(ReadFile(r.dir / "newASCII.cfg"))) << k;
    const Lines cfg = CrLfLines(text), old = CrLfLines(ReadFile(r.dir / "old.cfg"));
    ASSERT_EQ(cfg.size(), old.size() + 2) << k;
    const std::size_t n = cfg.size();
    EXPECT_EQ(cfg[0], kind == Kind::kDiscrete ? "имя ячейки,,2013" : "ПС Север    ,,2013") << k;
    // Every other line of 1999 stands, its names in UTF-8, but the time lines' fractions.
    for (std::size_t i = 1; i < old.size(); ++i)
      if (i + 4 != old.size() && i + 3 != old.size()) {
        EXPECT_EQ(cfg[i], Cp1251ToUtf8(old[i])) << k << " line " << i;
      }
    if (kind != Kind::kAnalog) {
      EXPECT_TRUE(std::any_of(cfg.begin(), cfg.end(), [](const std::string& line) {
        return line.ends_with(",Отключение В1,,,0");
      })) << k;
    }
    EXPECT_EQ(cfg[n - 6], "12/03/2024,14:27:05.000000000") << k;
    EXPECT_EQ(cfg[n - 5], kind == Kind::kDiscrete ? "12/03/2024,14:27:05.000000000"
                                                  : "12/03/2024,14:27:05.100000000")
        << k;
    EXPECT_EQ(Lines(cfg.end() - 4, cfg.end()),
              (Lines{"BINARY", kind == Kind::kDiscrete ? "1000" : "1", "+3,+3", "F,3"}))
        << k;
    // The ASCII twin: the file type changed, and no empty line after the last.
    Lines ascii = cfg;
    ascii[n - 4] = "ASCII";
    EXPECT_EQ(FileLines(r.dir / "newASCII.cfg"), ascii) << k;
    EXPECT_TRUE(ReadFile(r.dir / "newASCII.cfg").ends_with("F,3\r\n")) << k;
    // The samples do not depend on the form.
    EXPECT_EQ(ReadFile(r.dir / "new.dat"), ReadFile(r.dir / "old.dat")) << k;
    EXPECT_EQ(ReadFile(r.dir / "newASCII.dat"), ReadFile(r.dir / "oldASCII.dat")) << k;
  }
}

TEST(OneFilePairs, EachConversionWritesTwoCffFilesOfItsFourAndLeavesNothingElse) {
  for (Kind kind : {Kind::kAnalog, Kind::kDiscrete, Kind::kCombined}) {
    const auto k = static_cast<int>(kind);
    const Records r;
    ASSERT_EQ(r.Convert(kind, "four", Form2013("-5h30")), Lines{}) << k;
    OutputForm one = Form2013("-5h30");
    one.one_file = true;
    ASSERT_EQ(r.Convert(kind, "one", one), Lines{}) << k;
    EXPECT_TRUE(Exists(r.dir / "one.cff") && Exists(r.dir / "oneASCII.cff")) << k;
    for (const char* gone : {"one.cfg", "one.dat", "oneASCII.cfg", "oneASCII.dat", "one.part.cfg",
                             "one.part.dat", "one.partASCII.cfg", "one.partASCII.dat"})
      EXPECT_FALSE(Exists(r.dir / gone)) << k << gone;

    const std::string dat = ReadFile(r.dir / "four.dat");
    const auto binary = Sections(ReadFile(r.dir / "one.cff"));
    ASSERT_EQ(binary.size(), 4u) << k;
    EXPECT_EQ(binary[0], std::pair("--- file type: CFG ---"s, ReadFile(r.dir / "four.cfg"))) << k;
    EXPECT_EQ(binary[1], std::pair("--- file type: INF ---"s, ""s)) << k;
    EXPECT_EQ(binary[2], std::pair("--- file type: HDR ---"s, ""s)) << k;
    EXPECT_EQ(binary[3].first, "--- file type: DAT BINARY: " + std::to_string(dat.size()) + " ---");
    EXPECT_EQ(binary[3].second, dat) << k;
    EXPECT_TRUE(ReadFile(r.dir / "one.cff").ends_with(dat)) << k;

    const auto ascii = Sections(ReadFile(r.dir / "oneASCII.cff"));
    ASSERT_EQ(ascii.size(), 4u) << k;
    EXPECT_EQ(ascii[0].second, ReadFile(r.dir / "fourASCII.cfg")) << k;
    EXPECT_EQ(ascii[3],
              std::pair("--- file type: DAT ASCII ---"s, ReadFile(r.dir / "fourASCII.dat")));
    EXPECT_TRUE(IsUtf8(ascii[0].second)) << k;
  }
}

TEST(OneFilePairs, AOneFilePairOfRevision1999KeepsItsCodePageAndNoEmptyLineInsideTheFile) {
  const Records r;
  ASSERT_EQ(r.Convert(Kind::kAnalog, "four", {}), Lines{});
  OutputForm one;
  one.one_file = true;
  ASSERT_EQ(r.Convert(Kind::kAnalog, "one", one), Lines{});
  const auto ascii = Sections(ReadFile(r.dir / "oneASCII.cff"));
  ASSERT_EQ(ascii.size(), 4u);
  // The ASCII twin of four files ends with its one empty line; inside a .cff it has none.
  EXPECT_EQ(ascii[0].second + "\r\n", ReadFile(r.dir / "fourASCII.cfg"));
  EXPECT_EQ(Sections(ReadFile(r.dir / "one.cff"))[0].second, ReadFile(r.dir / "four.cfg"));
}

TEST(ConfigurationWriter, NamesAreConvertedBetweenTheCodePageAndUtf8) {
  Configuration cfg;
  cfg.station = Cp("Подстанция №5, ячейка 3");
  cfg.digital.push_back({1, Cp("Пуск МТЗ"), "", "", NumberOf("0")});
  SetTail(cfg, Timing::kEventTimes, 4, {"01", "02", "2026", "03", "04", "05"});
  ApplyForm(cfg, Form2013("0"));
  EXPECT_EQ(cfg.encoding, TextEncoding::kUtf8);
  EXPECT_EQ(ConfigurationText(cfg),
            "Подстанция №5  ячейка 3,,2013\r\n1,0A,1D\r\n1,Пуск МТЗ,,,0\r\n50.0\r\n0\r\n0,4\r\n"
            "01/02/2026,03:04:05.000000000\r\n01/02/2026,03:04:05.000000000\r\nBINARY\r\n"
            "1000\r\n0,0\r\nF,3\r\n");
  // Back into the code page: a character it lacks becomes '?'.
  cfg.station = "Ω Север";
  OutputForm cp = FormOf(Revision::k1999);
  ApplyForm(cfg, cp);
  EXPECT_EQ(cfg.station, "?" + Cp(" Север"));
  EXPECT_EQ(cfg.digital[0].id, Cp("Пуск МТЗ"));
  EXPECT_FALSE(cfg.time_codes.has_value());
  // Revision 1991: two fields in the first line, month first, short channel lines.
  cfg.revision = Revision::k1991;
  cfg.analog.push_back({1, "IA", "", "", "A", NumberOf("2.5"), NumberOf("0"), NumberOf("0"),
                        NumberOf("-99"), NumberOf("99"), NumberOf("1"), NumberOf("1"), "S"});
  const Lines old = CrLfLines(ConfigurationText(cfg));
  EXPECT_EQ(old[0], "? " + Cp("Север") + ",");
  EXPECT_EQ(old[2], "1,IA,,,A,2.5,0,0,-99,99");
  EXPECT_EQ(old[3], "1," + Cp("Пуск МТЗ") + ",0");
  EXPECT_EQ(old.back(), "02/01/26,03:04:05.000000000");
}

TEST(ConfigurationWriter, TimeCodesTakeEveryOffsetOfTheWorldAndNothingElse) {
  const std::vector<std::pair<std::string, std::string>> good = {
      {"+3", "+3"},   {"3", "+3"},    {"-05h30", "-5h30"}, {"+0", "0"},      {"-0h00", "0"},
      {"+14", "+14"}, {"-12", "-12"}, {"+5H45", "+5h45"},  {"+03h00", "+3"}, {"-9h30", "-9h30"}};
  for (const auto& [given, code] : good) EXPECT_EQ(TimeCodeText(given), code) << given;
  for (const char* bad :
       {"", "+", "+15", "+14h01", "+3h60", "3h5", "+3:00", "UTC", "+3h300", "+123", " +3", "+3 "})
    EXPECT_EQ(TimeCodeText(bad), std::nullopt) << bad;
  EXPECT_EQ(TimeCodeOfMinutes(-330), "-5h30");
  EXPECT_EQ(TimeCodeOfMinutes(180), "+3");
}

struct CliRun {
  int status = 0;
  std::string out, err;
};

CliRun Convert(const Lines& args) {
  std::ostringstream out, err;
  CliRun run;
  run.status = RunCommandLine(args, "", out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

TEST(FormOptions, TheCommandLineWritesWhatItIsAskedAndRefusesWrongValues) {
  const Records r;
  const std::string out = r.dir / "out.cfg";
  CliRun run = Convert(
      {"analog", "--revision", "2013", r.flh, "--time-code", "-5h30", out, "--time-quality", "a"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Lines written = FileLines(out);
  EXPECT_EQ(Lines(written.end() - 2, written.end()), (Lines{"-5h30,-5h30", "A,3"}));
  EXPECT_EQ(FileLines(out)[0], "ПС Север    ,,2013");
  run = Convert({"discrete", r.txt, out, "--revision", "2013", "--encoding", "cp1251", "--cff"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(ReadFile(r.dir / "out.cff").find(Cp("имя ячейки,,2013\r\n")), std::string::npos);
  run = Convert({"combined", r.flh, r.txt, out, "--encoding", "UTF-8"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(FileLines(out)[0], "ПС Север    ,,1999");

  const std::vector<std::pair<Lines, std::string>> wrong = {
      {{"analog", r.flh, out, "--revision", "2001"}, "revision must be 1999 or 2013): 2001"},
      {{"analog", r.flh, out, "--encoding", "koi8-r"}, "encoding must be cp1251 or utf-8): koi8-r"},
      {{"analog", r.flh, out, "--revision", "2013", "--time-code", "+3:00"},
       "at most 14 h): +3:00"},
      {{"analog", r.flh, out, "--revision", "2013", "--time-quality", "G"},
       "hexadecimal digit): G"},
      {{"analog", r.flh, out, "--time-code", "+3"}, "need --revision 2013)"},
      {{"discrete", r.txt, out, "--revision"}, "needs a value): --revision"},
      {{"batch", r.dir.Folder(), r.dir / "o", "--encoding", "ascii"}, "utf-8): ascii"},
      {{"analog", r.flh, out, "--cff", "extra"}, ""},
  };
  WriteFile(out, "kept");
  for (const auto& [args, text] : wrong) {
    run = Convert(args);
    EXPECT_EQ(run.status, 64) << args.back();
    EXPECT_NE(run.err.find(text), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFile(out), "kept");
}

TEST(FormOptions, TheBatchWritesOneFilePairsAndConvertsAgainForAnotherForm) {
  const Records r;
  const std::string out = r.dir / "out";
  const auto batch = [&](Lines form) {
    Lines args = {"batch", r.dir.Folder(), out};
    args.insert(args.end(), form.begin(), form.end());
    return Convert(args);
  };
  CliRun run = batch({"--cff", "--revision", "2013", "--time-code", "+3"});
  ASSERT_EQ(run.status, 0) << run.err << run.out;
  for (const char* file : {"comtrade_anl/rec.cff", "comtrade_anl/recASCII.cff",
                           "comtrade_dis/rec.cff", "comtrade_uni/rec.cff"})
    EXPECT_TRUE(Exists(out + "/" + file)) << file;
  EXPECT_FALSE(Exists(out + "/comtrade_anl/rec.cfg"));
  // The same form again: up to date; another form: converted again, under the same name.
  run = batch({"--cff", "--revision", "2013", "--time-code", "+3"});
  EXPECT_NE(run.out.find("(up to date): 3\n"), std::string::npos) << run.out;
  run = batch({"--cff", "--revision", "2013", "--time-code", "+4"});
  EXPECT_NE(run.out.find("(up to date): 0\n"), std::string::npos) << run.out;
  EXPECT_NE(ReadFile(out + "/comtrade_anl/rec.cff").find("+4,+4"), std::string::npos);
  run = batch({});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("(up to date): 0\n"), std::string::npos) << run.out;
  EXPECT_EQ(FileLines(out + "/comtrade_anl/rec.cfg")[0], Cp("ПС Север    ,,1999"));
  EXPECT_TRUE(Exists(out + "/comtrade_anl/rec.cff"));  // another form's files stay
}

}  // namespace
}  // namespace velk::testing
