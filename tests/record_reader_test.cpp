// The COMTRADE reader over records of our own making (one for every finding
// it reports), over public records of other recorders, and under faults of
// the file system.
#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <functional>
#include <limits>
#include <map>
#include <sstream>

#include "cli/cli_run.h"
#include "comtrade/record_reader.h"
#include "comtrade/text_encodings.h"
#include "tests/support/fakes.h"
#include "tests/support/faulty_files.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Lines = std::vector<std::string>;

// A small record as a test builds it: configuration lines and data bytes.
struct Rec {
  Lines cfg;
  std::string dat;
  std::string eol = "\r\n";
  std::string Cfg() const {
    std::string text;
    for (const std::string& line : cfg) text += line + eol;
    return text;
  }
};

std::string BinarySample(std::int32_t n, std::uint32_t stamp, std::int16_t a1, std::int16_t a2,
                         std::uint16_t bits) {
  return I32(n) + I32(static_cast<std::int32_t>(stamp)) + I16(a1) + I16(a2) +
         I16(static_cast<std::int16_t>(bits));
}

// 1999 BINARY, two analog and three digital channels, 800 samples a second.
Rec Good() {
  Rec r;
  r.cfg = {"Station,Recorder,1999",
           "5,2A,3D",
           "1,IA,A,Line 1,A,0.5,1,0,-32767,32767,600,1,S",
           "2,UA,A,Line 1,kV,2,0,0,-32767,32767,110,0.1,P",
           "1,Trip,,,0",
           "2,Start,,,0",
           "3,Breaker,,,1",
           "50",
           "1",
           "800,4",
           "15/07/2024,09:05:30.000000",
           "15/07/2024,09:05:30.001250",
           "BINARY",
           "1"};
  r.dat = BinarySample(1, 0, 10, -4, 0b001) + BinarySample(2, 1250, 20, -3, 0b011) +
          BinarySample(3, 2500, 30, -2, 0b111) + BinarySample(4, 3750, 40, -1, 0b100);
  return r;
}

// The same record with ASCII data.
Rec GoodAscii() {
  Rec r = Good();
  r.cfg[12] = "ASCII";
  r.dat = "1,0,10,-4,1,0,0\r\n2,1250,20,-3,1,1,0\r\n3,2500,30,-2,1,1,1\r\n4,3750,40,-1,0,0,1\r\n";
  return r;
}

struct Read {
  DiagnosticList list;
  std::optional<WholeRecord> record;
  bool opened = false;
  std::vector<std::string> Codes() const {
    std::vector<std::string> codes;
    for (const Diagnostic& d : list.all) codes.push_back(d.code);
    return codes;
  }
};

Read ReadPair(const std::string& cfg_path, const ReadOptions& options = {}) {
  Read read;
  read.record = ReadRecord(cfg_path, read.list, options);
  return read;
}

Read ReadRec(const Rec& r, const std::string& name = "rec") {
  TempDir dir;
  WriteFile(dir / (name + ".cfg"), r.Cfg());
  WriteFile(dir / (name + ".dat"), r.dat);
  return ReadPair(dir / (name + ".cfg"));
}

// The record as one .cff with its data in a DAT section of its type.
std::string Cff(const Rec& r, std::int64_t declared = -1) {
  const bool ascii = r.cfg[12] == "ASCII";
  std::string text = "--- file type: CFG ---\r\n" + r.Cfg() + "--- file type: INF ---\r\n" +
                     "--- file type: HDR ---\r\nfree text\r\n";
  if (ascii) return text + "--- file type: DAT ASCII ---\r\n" + r.dat;
  const std::int64_t size = declared >= 0 ? declared : static_cast<std::int64_t>(r.dat.size());
  return text + "--- file type: DAT " + r.cfg[12] + ": " + std::to_string(size) + " ---\r\n" +
         r.dat;
}

TEST(RecordReader, ReadsValuesTimesAndStatesOfEachDataForm) {
  for (const Rec& r : {Good(), GoodAscii()}) {
    const Read read = ReadRec(r);
    ASSERT_TRUE(read.record) << r.cfg[12];
    EXPECT_EQ(read.Codes(), std::vector<std::string>{}) << r.cfg[12];
    const WholeRecord& w = *read.record;
    ASSERT_EQ(w.samples.size(), 4u);
    EXPECT_EQ(w.configuration.analog[1].unit, "kV");
    EXPECT_EQ(w.configuration.digital[2].normal.value, 1);
    EXPECT_EQ(w.samples[2].analog, (std::vector<double>{30, -2}));
    EXPECT_EQ(w.samples[1].digital, (std::vector<std::uint8_t>{1, 1, 0}));
    EXPECT_DOUBLE_EQ(*w.samples[3].time_us, 3750);
    // a·x + b on the file's side, and primary on request: secondary × 600/1.
    EXPECT_DOUBLE_EQ(ChannelValue(w.configuration.analog[0], 30, false), 16);
    EXPECT_DOUBLE_EQ(ChannelValue(w.configuration.analog[0], 30, true), 9600);
    EXPECT_DOUBLE_EQ(ChannelValue(w.configuration.analog[1], -2, true), -4);
    EXPECT_EQ(w.configuration.start.nanoseconds, 30'000'000'000);
    EXPECT_EQ(w.configuration.trigger.nanoseconds, 30'001'250'000);
  }
  // The same record as one .cff, binary and ASCII, reads to the same samples.
  for (const Rec& r : {Good(), GoodAscii()}) {
    TempDir dir;
    WriteFile(dir / "one.CFF", Cff(r));
    const Read cff = ReadPair(dir / "one.CFF");
    ASSERT_TRUE(cff.record) << r.cfg[12];
    EXPECT_EQ(cff.Codes(), std::vector<std::string>{});
    const Read pair = ReadRec(r);
    ASSERT_EQ(cff.record->samples.size(), pair.record->samples.size());
    for (std::size_t i = 0; i < pair.record->samples.size(); ++i)
      EXPECT_EQ(cff.record->samples[i].analog, pair.record->samples[i].analog);
  }
}

TEST(RecordReader, TimesFromEachRateSegmentOrFromTheStamps) {
  Rec r = Good();
  r.cfg[8] = "2";
  r.cfg[9] = "1000,2";
  r.cfg.insert(r.cfg.begin() + 10, "500,4");
  Read read = ReadRec(r);
  ASSERT_TRUE(read.record);
  std::vector<double> times;
  for (const Sample& s : read.record->samples) times.push_back(*s.time_us);
  EXPECT_EQ(times, (std::vector<double>{0, 1000, 3000, 5000}));

  // No rate: the stamps times the multiplier.
  r = Good();
  r.cfg[8] = "0";
  r.cfg[9] = "0,4";
  r.cfg.back() = "2.5";
  read = ReadRec(r);
  ASSERT_TRUE(read.record);
  EXPECT_DOUBLE_EQ(*read.record->samples[3].time_us, 3750 * 2.5);

  // A missing stamp beside a rate takes the rate's time.
  r = Good();
  r.dat.replace(4 + 14 * 2, 4, I32(-1));
  read = ReadRec(r);
  EXPECT_DOUBLE_EQ(*read.record->samples[2].time_us, 2500);
}

TEST(RecordReader, MissingValuesStayMissingInEveryForm) {
  Rec r = Good();
  r.dat.replace(8 + 14, 2, I16(-32768));
  Read read = ReadRec(r);
  EXPECT_TRUE(read.record->samples[1].analog_missing[0]);
  EXPECT_FALSE(read.record->samples[1].analog_missing[1]);
  r = GoodAscii();
  r.dat = "1,0,99999,,1,0,0\r\n";
  r.cfg[9] = "800,1";
  read = ReadRec(r);
  EXPECT_EQ(read.record->samples[0].analog_missing, (std::vector<bool>{true, true}));
  EXPECT_TRUE(read.list.Has("value-missing"));
  // BINARY32 and FLOAT32 values, with their own marks of a missing value.
  r = Good();
  r.cfg[9] = "800,2";
  for (const char* type : {"BINARY32", "FLOAT32"}) {
    r.cfg[12] = type;
    const bool real = r.cfg[12] == "FLOAT32";
    auto value = [real](float x) {
      return real ? I32(std::bit_cast<std::int32_t>(x)) : I32(static_cast<std::int32_t>(x));
    };
    r.dat = I32(1) + I32(0) + value(70000) + value(-2) + I16(1) + I32(2) + I32(1250) +
            (real ? I32(0x7FC00000) : I32(std::numeric_limits<std::int32_t>::min())) + value(3) +
            I16(0);
    read = ReadRec(r);
    ASSERT_TRUE(read.record) << type;
    EXPECT_EQ(read.record->samples[0].analog, (std::vector<double>{70000, -2})) << type;
    EXPECT_TRUE(read.record->samples[1].analog_missing[0]) << type;
  }
}

// What each finding's record looks like: a change of the good record.
struct Case {
  const char* code;
  std::function<void(Rec&)> change;
  bool ascii = false;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"cfg-short", [](Rec& r) { r.cfg.resize(5); }},
      {"line-long", [](Rec& r) { r.cfg[0] = std::string(20000, 'x') + ",,1999"; }},
      {"count-line", [](Rec& r) { r.cfg[1] = "5,2,3D"; }},
      {"too-many-channels", [](Rec& r) { r.cfg[1] = "70000,70000A,0D"; }},
      {"channel-line", [](Rec& r) { r.cfg[2] = "1,IA,A"; }},
      {"number", [](Rec& r) { r.cfg[2] = "1,IA,A,L,A,half,1,0,-32767,32767,600,1,S"; }},
      {"rates-line", [](Rec& r) { r.cfg[8] = "one"; }},
      {"file-type", [](Rec& r) { r.cfg[12] = "BINARY16"; }},
      {"rev-year", [](Rec& r) { r.cfg[0] = "Station,Recorder,2001"; }},
      {"count-total", [](Rec& r) { r.cfg[1] = "6,2A,3D"; }},
      {"field-count", [](Rec& r) { r.cfg[2] = "1,IA,A,Line 1,A,0.5,1,0,-32767,32767,600,1"; }},
      {"channel-index", [](Rec& r) { r.cfg[3][0] = '7'; }},
      {"field-value", [](Rec& r) { r.cfg[2].back() = 'X'; }},
      {"blanks-inside", [](Rec& r) { r.cfg[2] = "1,IA,A,L,A,0. 5,1,0,-32767,32767,600,1,S"; }},
      {"moment", [](Rec& r) { r.cfg[10] = "32/13/2024,09:05:30.000000"; }},
      {"fraction-digits", [](Rec& r) { r.cfg[10] = "15/07/2024,09:05:30.00000"; }},
      {"rate-order",
       [](Rec& r) {
         r.cfg[8] = "2";
         r.cfg.insert(r.cfg.begin() + 10, "800,4");
       }},
      {"line-missing", [](Rec& r) { r.cfg.pop_back(); }},
      {"cfg-extra", [](Rec& r) { r.cfg.push_back("more"); }},
      {"encoding-2013",
       [](Rec& r) {
         r.cfg[0] = Cp("Подстанция,Регистратор,2013");
         r.cfg.push_back("+3,+3");
         r.cfg.push_back("0,0");
       }},
      {"time-missing",
       [](Rec& r) {
         r.cfg[8] = "0";
         r.cfg[9] = "0,4";
         for (int i = 1; i < 4; ++i)
           r.dat.replace(static_cast<std::size_t>(4 + 14 * i), 4, I32(-1));
       }},
      {"dat-shorter", [](Rec& r) { r.dat.resize(14 * 3); }},
      {"dat-longer", [](Rec& r) { r.dat += BinarySample(5, 5000, 0, 0, 0); }},
      {"dat-partial", [](Rec& r) { r.dat += "abc"; }},
      {"padding-1a", [](Rec& r) { r.dat += std::string(40, '\x1A'); }},
      {"sample-number", [](Rec& r) { r.dat.replace(14 * 2, 4, I32(9)); }},
      {"data-fields", [](Rec& r) { r.dat.replace(0, 16, "1,0,10,-4,1,0\r\n"); }, true},
      {"data-value", [](Rec& r) { r.dat.replace(0, 16, "1,0,1x,-4,1,0,0"); }, true},
      {"data-value", [](Rec& r) { r.dat.replace(0, 16, "1e40,0,10,-4,1,0,0"); }, true},
      {"stamp-order",
       [](Rec& r) {
         r.cfg[8] = "0";
         r.cfg[9] = "0,4";
         r.dat.replace(4 + 14 * 3, 4, I32(5));
       }},
      {"trailing-blanks", [](Rec& r) { r.cfg[4] = "1, Trip ,,,0"; }},
      {"line-end", [](Rec& r) { r.eol = "\n"; }},
      {"stamp-missing", [](Rec& r) { r.dat.replace(0, 16, "1,,10,-4,1,0,0\r\n"); }, true},
      {"value-missing", [](Rec& r) { r.dat.replace(8, 2, I16(-32768)); }},
  };
  return cases;
}

// Every finding the reader can report, from a record made for it, and only
// the good record without any; a finding of no record here fails the test.
TEST(RecordReader, ReportsEveryFindingOfARecordMadeForIt) {
  EXPECT_EQ(ReadRec(Good()).Codes(), std::vector<std::string>{});
  EXPECT_EQ(ReadRec(GoodAscii()).Codes(), std::vector<std::string>{});
  std::map<std::string, bool> covered;
  for (const Case& c : Cases()) {
    Rec r = c.ascii ? GoodAscii() : Good();
    c.change(r);
    const Read read = ReadRec(r);
    EXPECT_TRUE(read.list.Has(c.code)) << c.code;
    for (const Diagnostic& d : read.list.all) {
      EXPECT_EQ(d.severity, KindOf(d.code).severity);
      EXPECT_TRUE(d.text.starts_with(KindOf(d.code).text)) << d.code;
    }
    // An error means no record; a record read whole has none.
    const bool error = KindOf(c.code).severity == Severity::kError;
    EXPECT_EQ(read.record.has_value(), !error) << c.code;
    covered[c.code] = true;
  }
  // The codes of the file system and of .cff sections.
  TempDir dir;
  Read missing = ReadPair(dir / "none.cfg");
  EXPECT_EQ(missing.Codes(), std::vector<std::string>{"cfg-open"});
  WriteFile(dir / "alone.cfg", Good().Cfg());
  EXPECT_EQ(ReadPair(dir / "alone.cfg").Codes(), std::vector<std::string>{"dat-open"});
  WriteFile(dir / "nodat.cff", "--- file type: CFG ---\r\n" + Good().Cfg());
  EXPECT_EQ(ReadPair(dir / "nodat.cff").Codes(), std::vector<std::string>{"cff-section"});
  WriteFile(dir / "long.cff", Cff(Good(), 4000));
  EXPECT_TRUE(ReadPair(dir / "long.cff").list.Has("dat-section-size"));
  for (const char* code : {"cfg-open", "dat-open", "cff-section", "dat-section-size", "read-error"})
    covered[code] = true;  // read-error: FileFaults below
  for (const DiagnosticKind& kind : DiagnosticKinds())
    EXPECT_TRUE(covered[std::string(kind.code)]) << kind.code << " has no record of its own";
}

TEST(RecordReader, ReadsTheFormsOf1991AndTheYearsDevicesWrite) {
  Rec r = GoodAscii();
  r.cfg[0] = "Station,Recorder";
  r.cfg[2] = "1,IA,A,Line 1,A,0.5,1,0,-32767,32767";
  r.cfg[3] = "2,UA,A,Line 1,kV,2,0,0,-32767,32767";
  r.cfg[4] = "1,Trip,0";
  r.cfg[5] = "2,Start,0";
  r.cfg[6] = "3,Breaker,1";
  r.cfg[10] = "07/15/24,09:05:30.000000";
  r.cfg[11] = "07/15/24,09:05:30.001250";
  r.cfg.pop_back();
  Read read = ReadRec(r);
  ASSERT_TRUE(read.record);
  EXPECT_EQ(read.Codes(), std::vector<std::string>{});
  EXPECT_EQ(read.record->configuration.revision, Revision::k1991);
  EXPECT_EQ(read.record->configuration.start.day, 15);
  EXPECT_EQ(read.record->configuration.start.year, 2024);
  EXPECT_EQ(read.record->configuration.digital[2].normal.value, 1);
  for (const char* year : {"1997", "2000", "0"}) {
    Rec y = Good();
    y.cfg[0] = std::string("S,R,") + year;
    read = ReadRec(y);
    EXPECT_EQ(read.Codes(), std::vector<std::string>{"rev-year"}) << year;
    EXPECT_EQ(read.record->configuration.revision, Revision::k1999);
  }
  // A rate written as a real, an endsamp with zeros before it, a .DAT of
  // capitals beside a .cfg of small letters.
  r = Good();
  r.cfg[9] = "800.000000,0004";
  TempDir dir;
  WriteFile(dir / "rec.cfg", r.Cfg());
  WriteFile(dir / "REC.DAT", r.dat);
  read = ReadPair(dir / "rec.cfg");
  ASSERT_TRUE(read.record);
  EXPECT_EQ(read.record->samples.size(), 4u);
}

std::string Encode(std::string_view utf8, TextEncoding encoding) {
  std::map<std::string, char> bytes;
  for (int b = 0x80; b < 0x100; ++b)
    bytes[ToUtf8(std::string(1, static_cast<char>(b)), encoding)] = static_cast<char>(b);
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n = static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : 2;
    out += n == 1 ? utf8[i] : bytes.at(std::string(utf8.substr(i, 2)));
    i += n;
  }
  return out;
}

TEST(TextEncodings, TellsEachCyrillicCodePageByItsLettersAndLatinOneFromThem) {
  const std::string names = "Подстанция Северная,Ток фазы А,Напряжение нулевой последовательности";
  for (TextEncoding encoding :
       {TextEncoding::kCp1251, TextEncoding::kCp866, TextEncoding::kKoi8r}) {
    const std::string bytes = Encode(names, encoding);
    EXPECT_EQ(DetectEncoding(bytes), encoding) << EncodingName(encoding);
    EXPECT_EQ(ToUtf8(bytes, encoding), names);
  }
  EXPECT_EQ(DetectEncoding(names), TextEncoding::kUtf8);
  EXPECT_EQ(DetectEncoding("Esta\xE7\xE3o de Medi\xE7\xE3o,Oscil\xF3grafo"), TextEncoding::kLatin1);
  EXPECT_EQ(ToUtf8("Oscil\xF3grafo", TextEncoding::kLatin1), "Oscilógrafo");
  EXPECT_EQ(ToUtf8("a\xC3", TextEncoding::kUtf8), "a\xEF\xBF\xBD");
  EXPECT_EQ(EncodingByName("Windows-1251"), TextEncoding::kCp1251);
  EXPECT_EQ(EncodingByName("KOI8-R"), TextEncoding::kKoi8r);
  EXPECT_EQ(EncodingByName("ebcdic"), std::nullopt);
  // The user's word over the guess.
  Rec r = Good();
  r.cfg[0] = Encode("Подстанция,Регистратор,1999", TextEncoding::kCp866);
  TempDir dir;
  WriteFile(dir / "r.cfg", r.Cfg());
  WriteFile(dir / "r.dat", r.dat);
  DiagnosticList list;
  RecordReader given(list);
  ASSERT_TRUE(given.Open(dir / "r.cfg", {TextEncoding::kCp1251}));
  EXPECT_EQ(given.configuration().encoding, TextEncoding::kCp1251);
  EXPECT_FALSE(given.form().encoding_detected);
  ASSERT_TRUE(given.Open(dir / "r.cfg"));
  EXPECT_EQ(given.Utf8(given.configuration().station), "Подстанция");
}

// Names whose bytes are valid both as GBK and as a single-byte code: Chinese
// names read as Chinese, not as KOI8-R (in which they spell capitals after
// small letters); Russian names whose letters happen to pair into GBK codes,
// and Latin-1 ones, as they are.
TEST(TextEncodings, TellsGbkFromCyrillicAndLatinOneOnNamesValidInBoth) {
  const std::vector<std::string> chinese = {"\xC4\xB8\xCF\xDF\xB5\xE7\xD1\xB9Ua",
                                            "\xC1\xE3\xD0\xF2\xB5\xE7\xC1\xF7",
                                            "\xA3\xC1\xCF\xE0\xCC\xF8\xCE\xBB"};
  EXPECT_EQ(ToUtf8(chinese[0] + "," + chinese[1] + "," + chinese[2], TextEncoding::kGbk),
            "母线电压Ua,零序电流,Ａ相跳位");
  const std::vector<std::string> russian = {"Пуск", "Откл", "Ввод", "Блокировка", "Реле 3"};
  std::string all_chinese, all_russian;
  for (const std::string& name : chinese) {
    EXPECT_EQ(DetectEncoding(name), TextEncoding::kGbk) << ToUtf8(name, TextEncoding::kGbk);
    all_chinese += name + ",";
  }
  for (const std::string& name : russian) {
    const std::string bytes = Encode(name, TextEncoding::kCp1251);
    EXPECT_EQ(ToUtf8(bytes, TextEncoding::kGbk).find("\uFFFD"), std::string::npos) << name;
    EXPECT_EQ(DetectEncoding(bytes), TextEncoding::kCp1251) << name;
    all_russian += bytes + ",";
  }
  EXPECT_EQ(DetectEncoding(all_chinese), TextEncoding::kGbk);
  EXPECT_EQ(DetectEncoding(all_russian), TextEncoding::kCp1251);
  const std::string latin = "Esta\xE7\xE3o de Medi\xE7\xE3o,Oscil\xF3grafo";
  EXPECT_EQ(ToUtf8(latin, TextEncoding::kGbk).find("\uFFFD"), std::string::npos);
  EXPECT_EQ(DetectEncoding(latin), TextEncoding::kLatin1);
  // A lone lead byte, or a code of no character, is one unknown character.
  EXPECT_EQ(ToUtf8("\xC4,\xAA\xA1\x80", TextEncoding::kGbk), "\uFFFD,\uFFFD\uFFFD");
  EXPECT_EQ(EncodingByName("GBK"), TextEncoding::kGbk);
  EXPECT_EQ(EncodingByName("cp936"), TextEncoding::kGbk);
  EXPECT_EQ(EncodingName(TextEncoding::kGbk), "gbk");
  // The UTF-16 surrogates are no characters of UTF-8; the code points on
  // either side of them are.
  EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(IsUtf8("\xED\xBF\xBF"));
  EXPECT_TRUE(IsUtf8("\xED\x9F\xBF\xEE\x80\x80"));
}

// Public records of other recorders: what each is, and values from each.
TEST(RecordReader, ReadsPublicRecordsOfOtherRecorders) {
  const std::string root = std::string(VELK_SOURCE_DIR) + "/tests/data/comtrade-samples/";
  struct Expect {
    const char* path;
    Revision revision;
    TextEncoding encoding;
    std::size_t analog, digital, samples;
    std::vector<std::string> warnings;
  };
  const std::vector<Expect> all = {
      {"python-comtrade/sample_bin.cfg", Revision::k1999, TextEncoding::kUtf8, 4, 16, 5, {}},
      {"python-comtrade/sample_ascii.cff", Revision::k2013, TextEncoding::kUtf8, 4, 4, 40, {}},
      {"python-comtrade/sample_float32.cff", Revision::k2013, TextEncoding::kUtf8, 1, 1, 301, {}},
      {"python-comtrade/sample_iso8859-1_bin.cfg",
       Revision::k2013,
       TextEncoding::kLatin1,
       4,
       4,
       40,
       {"encoding-2013"}},
      {"drewsilcock-comtrade/real_1999_bin.cfg",
       Revision::k1999,
       TextEncoding::kUtf8,
       24,
       64,
       8000,
       {}},
      {"tshort-COMTRADE.jl/1991-ascii-sel.cfg",
       Revision::k1991,
       TextEncoding::kUtf8,
       24,
       592,
       480,
       {}},
      {"Esticonv-Wisp.Comtrade/2.cfg",
       Revision::k1999,
       TextEncoding::kCp1251,
       55,
       112,
       19680,
       // Its empty normal states are told on the first five lines of 112.
       {"channel-index", "field-count", "field-value", "field-value", "field-value", "field-value",
        "field-value", "sample-number", "dat-longer"}},
      {"Nazir-COMTRADE/test.cfg",
       Revision::k1991,
       TextEncoding::kCp866,
       4,
       32,
       6000,
       {"sample-number"}},
  };
  for (const Expect& e : all) {
    const Read read = ReadPair(root + e.path);
    ASSERT_TRUE(read.record) << e.path;
    const Configuration& c = read.record->configuration;
    EXPECT_EQ(c.revision, e.revision) << e.path;
    EXPECT_EQ(c.encoding, e.encoding) << e.path;
    EXPECT_EQ(c.analog.size(), e.analog) << e.path;
    EXPECT_EQ(c.digital.size(), e.digital) << e.path;
    EXPECT_EQ(read.record->samples.size(), e.samples) << e.path;
    std::vector<std::string> warnings;
    for (const Diagnostic& d : read.list.all)
      if (d.severity == Severity::kWarning) warnings.push_back(d.code);
    EXPECT_EQ(warnings, e.warnings) << e.path;
  }
  // The 0x8000 cells of the BINARY sample are missing, its others the same.
  const Read whole = ReadPair(root + "python-comtrade/sample_bin.cfg");
  TempDir dir;
  std::filesystem::copy(root + "python-comtrade/sample_bin.cfg", dir / "m.cfg");
  std::filesystem::copy(root + "python-comtrade/sample_bin_missing.dat", dir / "m.dat");
  const Read missing = ReadPair(dir / "m.cfg");
  int cells = 0;
  for (std::size_t i = 0; i < 5; ++i)
    for (std::size_t k = 0; k < 4; ++k) {
      if (missing.record->samples[i].analog_missing[k])
        ++cells;
      else
        EXPECT_EQ(missing.record->samples[i].analog[k], whole.record->samples[i].analog[k]);
    }
  EXPECT_GT(cells, 0);
  // The .cff and the pair of the same ASCII record hold the same samples.
  const Read cff = ReadPair(root + "python-comtrade/sample_ascii.cff");
  const Read pair = ReadPair(root + "python-comtrade/sample_ascii.cfg");
  for (std::size_t i = 0; i < 40; ++i)
    EXPECT_EQ(cff.record->samples[i].analog, pair.record->samples[i].analog);
  // The names of a Chinese line protection in GBK, found or named (its repeated
  // sample-rate lines depart from the standard: exit 1).
  const std::string gbk = root + "yonwoo9-go-comtrade/test2.cfg";
  DiagnosticList told;
  RecordReader chinese(told);
  ASSERT_TRUE(chinese.Open(gbk));
  EXPECT_EQ(chinese.configuration().encoding, TextEncoding::kGbk);
  EXPECT_EQ(chinese.Utf8(chinese.configuration().digital[4].id), "5-两组开关Ａ相跳位");
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"check", gbk, "--encoding", "gbk", "--json"}, "", out, err), 1);
  EXPECT_NE(out.str().find("\"encoding\":\"gbk\""), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("南自线路保护PSL603"), std::string::npos) << out.str();
  // The names of a Russian relay in code page 866 reach people as Unicode.
  DiagnosticList list;
  RecordReader nazir(list);
  ASSERT_TRUE(nazir.Open(root + "Nazir-COMTRADE/test.cfg"));
  EXPECT_EQ(nazir.Utf8(nazir.configuration().station), "СИРИУС-2-Л");
}

TEST(RecordReader, ReadsWhatIsThereOfAFileCutOrRewrittenUnderIt) {
  TempDir dir;
  const Rec r = Good();
  WriteFile(dir / "rec.cfg", r.Cfg());
  WriteFile(dir / "rec.dat", r.dat);
  {
    FaultyFiles faults;
    faults.CutReads("rec.dat", 14 * 2 + 5, /*read_error=*/true);
    const Read read = ReadPair(dir / "rec.cfg");
    EXPECT_FALSE(read.record);
    EXPECT_TRUE(read.list.Has("read-error"));
  }
  {
    FaultyFiles faults;
    faults.CutReads("rec.dat", 14 * 2 + 5, /*read_error=*/false);
    const Read read = ReadPair(dir / "rec.cfg");
    ASSERT_TRUE(read.record);
    EXPECT_EQ(read.record->samples.size(), 2u);
    EXPECT_TRUE(read.list.Has("dat-shorter"));
  }
  {
    FaultyFiles faults;
    faults.RefuseOpen("rec.dat");
    EXPECT_EQ(ReadPair(dir / "rec.cfg").Codes(), std::vector<std::string>{"dat-open"});
  }
  // The data file cut to one sample and a half after the configuration was read.
  DiagnosticList list;
  RecordReader reader(list);
  ASSERT_TRUE(reader.Open(dir / "rec.cfg"));
  WriteFile(dir / "rec.dat", r.dat.substr(0, 20));
  Sample sample;
  int samples = 0;
  while (reader.Next(sample)) ++samples;
  EXPECT_EQ(samples, 1);
  EXPECT_TRUE(list.Has("dat-partial"));
  EXPECT_TRUE(list.Has("dat-shorter"));
  // The configuration vanished before it could be opened.
  std::filesystem::remove(dir / "rec.cfg");
  EXPECT_EQ(ReadPair(dir / "rec.cfg").Codes(), std::vector<std::string>{"cfg-open"});
}

// What a reading of a whole record tells: its findings in order, its count of
// samples and the times of its first and last sample.
struct Told {
  std::vector<std::string> findings;
  std::int64_t samples = 0;
  std::optional<double> first_us, last_us;
};

Told TellWhole(const std::string& cfg_path, bool sample_by_sample) {
  DiagnosticList list;
  RecordReader reader(list);
  Told told;
  if (reader.Open(cfg_path)) {
    if (sample_by_sample) {
      Sample sample;
      while (reader.Next(sample)) {
        if (!told.first_us) told.first_us = sample.time_us;
        if (sample.time_us) told.last_us = sample.time_us;
      }
    } else {
      reader.CheckRest(told.first_us, told.last_us);
    }
    told.samples = reader.samples_read();
  }
  for (const Diagnostic& d : list.all)
    told.findings.push_back(std::string(SeverityName(d.severity)) + " " + d.code + " " + d.file +
                            ":" + std::to_string(d.line) + ":" + std::to_string(d.field) + " " +
                            d.text);
  return told;
}

// A record of many blocks of data: `analog` channels and `digital` at
// 4000 samples a second (or as `rates` says), with a missing value in the
// last channel of sample 3001, sample 4500 numbered wrong and the stamp of
// sample 5000 missing; ASCII data also with a blank line, blanks inside a
// value and a state of 2.
Rec ManyBlocks(const std::string& type, int analog, int digital, const Lines& rates) {
  constexpr int kSamples = 6000;
  Rec r;
  r.cfg = {"Station,Recorder,1999", std::to_string(analog + digital) + "," +
                                        std::to_string(analog) + "A," + std::to_string(digital) +
                                        "D"};
  for (int k = 1; k <= analog; ++k)
    r.cfg.push_back(std::to_string(k) + ",U" + std::to_string(k) +
                    ",A,Bay,kV,0.01,0,0,-32767,32767,110,0.1,P");
  for (int k = 1; k <= digital; ++k) r.cfg.push_back(std::to_string(k) + ",Input,,,0");
  r.cfg.push_back("50");
  r.cfg.insert(r.cfg.end(), rates.begin(), rates.end());
  r.cfg.insert(r.cfg.end(),
               {"13/02/2024,16:33:45.000000", "13/02/2024,16:33:46.000000", type, "1"});
  for (int n = 1; n <= kSamples; ++n) {
    const int number = n == 4500 ? 4600 : n;
    const bool no_stamp = n == 5000;
    const auto stamp = static_cast<std::uint32_t>((n - 1) * 250);
    if (type == "ASCII") {
      std::string line = std::to_string(number) + "," + (no_stamp ? "" : std::to_string(stamp));
      for (int k = 0; k < analog; ++k) {
        const int v = (n * 37 + k * 11) % 20000 - 10000;
        line += "," + (n == 3001 && k == analog - 1 ? std::string("99999")
                       : n == 3500 && k == 3        ? " 1 2"
                                                    : std::to_string(v));
      }
      for (int j = 0; j < digital; ++j)
        line += n == 5500 && j == 0 ? ",2" : (n >> j) & 1 ? ",1" : ",0";
      r.dat += line + (n == 2000 ? "\r\n\r\n" : "\r\n");
      continue;
    }
    r.dat += I32(number) + I32(static_cast<std::int32_t>(no_stamp ? 0xFFFFFFFFu : stamp));
    for (int k = 0; k < analog; ++k) {
      const int v = (n * 37 + k * 11) % 20000 - 10000;
      const bool missing = n == 3001 && k == analog - 1;
      if (type == "BINARY") {
        r.dat += I16(static_cast<std::int16_t>(missing ? -32768 : v));
      } else if (type == "BINARY32") {
        r.dat += I32(missing ? std::numeric_limits<std::int32_t>::min() : v * 1000);
      } else {
        const float f = missing ? std::numeric_limits<float>::quiet_NaN() : 0.5f * float(v);
        r.dat += I32(std::bit_cast<std::int32_t>(f));
      }
    }
    for (int w = 0; w < digital / 16; ++w) r.dat += I16(static_cast<std::int16_t>(n & 0xFFFF));
  }
  return r;
}

// Checking a record whole tells what reading it sample by sample tells, of
// every record made for a finding (as a pair and as one .cff), of the public
// records, and of records whose data spans many blocks of the read buffer.
TEST(RecordReader, ChecksARecordWholeAsReadingItSampleBySampleTellsIt) {
  TempDir dir;
  auto same = [](const std::string& cfg_path) {
    const Told by_next = TellWhole(cfg_path, true), by_check = TellWhole(cfg_path, false);
    EXPECT_EQ(by_check.findings, by_next.findings) << cfg_path;
    EXPECT_EQ(by_check.samples, by_next.samples) << cfg_path;
    EXPECT_EQ(by_check.first_us, by_next.first_us) << cfg_path;
    EXPECT_EQ(by_check.last_us, by_next.last_us) << cfg_path;
    return by_check;
  };
  int made = 0;
  std::vector<Rec> records = {Good(), GoodAscii()};
  for (const Case& c : Cases()) {
    Rec r = c.ascii ? GoodAscii() : Good();
    c.change(r);
    records.push_back(r);
  }
  for (const Rec& r : records) {
    const std::string name = "r" + std::to_string(made++);
    WriteFile(dir / (name + ".cfg"), r.Cfg());
    WriteFile(dir / (name + ".dat"), r.dat);
    same(dir / (name + ".cfg"));
    if (r.cfg.size() > 12) {
      WriteFile(dir / (name + ".cff"), Cff(r));
      same(dir / (name + ".cff"));
    }
  }
  const std::string root = std::string(VELK_SOURCE_DIR) + "/tests/data/comtrade-samples/";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".cfg" || ext == ".cff" || ext == ".CFG") same(entry.path().string());
  }
  const Lines one_rate = {"1", "4000,6000"}, two_rates = {"2", "4000,2500", "1000,6000"},
              stamps = {"0", "0,6000"};
  for (const char* type : {"BINARY", "BINARY32", "FLOAT32", "ASCII"})
    for (const int analog : {63, 64})
      for (const Lines* rates : {&one_rate, &two_rates, &stamps}) {
        const std::string name = "wide" + std::to_string(made++);
        // With 32 digital channels the 32-bit values lie 4-aligned in every sample.
        const Rec r = ManyBlocks(type, analog, analog == 64 ? 32 : 16, *rates);
        WriteFile(dir / (name + ".cfg"), r.Cfg());
        WriteFile(dir / (name + ".dat"), r.dat);
        const Told told = same(dir / (name + ".cfg"));
        EXPECT_EQ(told.samples, 6000) << type;
        std::string codes;
        for (const std::string& f : told.findings) codes += f.substr(0, f.find(' ', 8)) + ";";
        EXPECT_NE(codes.find("value-missing"), std::string::npos) << type << " " << analog;
        EXPECT_NE(codes.find("sample-number"), std::string::npos) << type;
        EXPECT_NE(codes.find("stamp-missing"), std::string::npos) << type;
      }
}

}  // namespace
}  // namespace velk::testing
