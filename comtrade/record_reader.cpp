#include "comtrade/record_reader.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "comtrade/ascii_case.h"
#include "comtrade/file_io.h"
#include "comtrade/text_encodings.h"
#include "comtrade/text_reader.h"

namespace velk {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// The lines of a configuration file, or of a .cff, each held to
// kLongestCfgLine bytes: a CR before the LF is dropped and counted, so that a
// file of LF line ends is told apart.
class LineSource {
 public:
  explicit LineSource(InFile& in) : in_(in) {}
  // Reads the next line; false when nothing is left.
  bool Read(std::string& line) {
    line.clear();
    too_long_ = false;
    int c = in_.Get();
    if (c < 0) return false;
    ++number_;
    while (c >= 0 && c != '\n') {
      if (line.size() < kLongestCfgLine)
        line += static_cast<char>(c);
      else
        too_long_ = true;
      c = in_.Get();
    }
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    else if (c == '\n')
      lf_only_ = true;
    return true;
  }
  std::int64_t number() const { return number_; }
  bool too_long() const { return too_long_; }
  bool lf_only() const { return lf_only_; }

 private:
  InFile& in_;
  std::int64_t number_ = 0;
  bool too_long_ = false;
  bool lf_only_ = false;
};

// The fields of a line split at its commas, without blanks at their ends.
struct Fields {
  std::vector<std::string_view> items;
  bool padded = false;  // a field had blanks at an end
  std::size_t size() const { return items.size(); }
  std::string_view operator[](std::size_t i) const { return i < items.size() ? items[i] : ""; }
};

Fields Split(std::string_view line) {
  Fields fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = line.find(',', start);
    const std::string_view raw = line.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const std::string_view trimmed = Trim(raw);
    if (trimmed.size() != raw.size()) fields.padded = true;
    fields.items.push_back(trimmed);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return fields;
}

// text without the blanks inside it; blanks is set when there were any.
std::string_view Squeeze(std::string_view text, std::string& room, bool& blanks) {
  if (text.find_first_of(" \t") == std::string_view::npos) return text;
  room.clear();
  for (char c : text)
    if (!IsBlank(c)) room += c;
  blanks = true;
  return room;
}

// A decimal number as COMTRADE writes it (a leading + allowed), whatever the
// locale. False when text is no number.
bool ParseReal(std::string_view text, double& value) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// A data value: most ASCII data files hold whole numbers of a few digits,
// read here without the general conversion of a real.
bool ParseValue(std::string_view text, double& value) {
  std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (text.size() > i && text.size() - i <= 15) {
    std::int64_t whole = 0;
    std::size_t k = i;
    for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k)
      whole = whole * 10 + (text[k] - '0');
    if (k == text.size()) {
      value = static_cast<double>(text[0] == '-' ? -whole : whole);
      return true;
    }
  }
  return ParseReal(text, value);
}

bool ParseInteger(std::string_view text, std::int64_t& value) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// An integer that may also be written as a real with a zero fraction, such
// as "6000.000" (endsamp, as some recorders write it).
bool ParseCount(std::string_view text, std::int64_t& value) {
  if (ParseInteger(text, value)) return true;
  double real = 0;
  if (!ParseReal(text, real) || real != std::floor(real) || std::fabs(real) > 9e15) return false;
  value = static_cast<std::int64_t>(real);
  return true;
}

// A number of channels written with its letter, such as "16D".
bool ParseChannelCount(std::string_view text, char letter, std::int64_t& value) {
  if (text.empty() || AsciiLower(text.back()) != AsciiLower(letter)) return false;
  return ParseInteger(Trim(text.substr(0, text.size() - 1)), value) && value >= 0;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

int Number2(std::string_view text) {
  int value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

// Whether any of n stored values at `at` is the form's missing value: 0x8000
// of 16 bits, 0x80000000 of 32, or a FLOAT32 value that is no number or
// infinite. Four or two values are tested at once in a 64-bit word.
bool AnyMissing(DataFileType type, const unsigned char* at, std::size_t n) {
  std::uint64_t hit = 0;
  std::size_t k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // A lane of y is zero where the value is missing; (y - ones) & ~y & highs
    // is not zero exactly when some lane of y is. One loop for each form, so
    // that the compiler may take several words at once.
    constexpr std::uint64_t kOnes16 = 0x0001000100010001u, kHighs16 = 0x8000800080008000u;
    constexpr std::uint64_t kOnes32 = 0x0000000100000001u, kHighs32 = 0x8000000080000000u;
    constexpr std::uint64_t kExponents = 0x7F8000007F800000u;
    auto word = [at](std::size_t byte) {
      std::uint64_t w = 0;
      std::memcpy(&w, at + byte, sizeof w);
      return w;
    };
    if (type == DataFileType::kBinary) {
      for (; k + 4 <= n; k += 4) {
        const std::uint64_t y = word(2 * k) ^ kHighs16;
        hit |= (y - kOnes16) & ~y & kHighs16;
      }
    } else if (type == DataFileType::kBinary32) {
      for (; k + 2 <= n; k += 2) {
        const std::uint64_t y = word(4 * k) ^ kHighs32;
        hit |= (y - kOnes32) & ~y & kHighs32;
      }
    } else {
      for (; k + 2 <= n; k += 2) {
        const std::uint64_t y = (word(4 * k) & kExponents) ^ kExponents;
        hit |= (y - kOnes32) & ~y & kHighs32;
      }
    }
  }
  for (; k < n; ++k) {
    if (type == DataFileType::kBinary) {
      if (LittleU16(at + 2 * k) == 0x8000u) hit = 1;
    } else {
      const auto bits = static_cast<std::uint32_t>(LittleI32(at + 4 * k));
      if (type == DataFileType::kFloat32 ? (bits & 0x7F800000u) == 0x7F800000u
                                         : bits == 0x80000000u)
        hit = 1;
    }
  }
  return hit != 0;
}

}  // namespace

struct RecordReader::State {
  explicit State(DiagnosticSink& s) : sink(s) {}

  DiagnosticSink& sink;
  Configuration cfg;
  RecordForm form;
  bool failed = false;

  InFile cfg_file, dat_file;
  std::int64_t dat_start = 0;
  std::int64_t dat_end = -1;  // a binary DAT section's end in a .cff; else the file's end
  std::int64_t dat_declared = -1;

  // The data's layout.
  std::size_t analog = 0, digital = 0, status_words = 0, record_size = 0;
  bool from_rates = false;
  bool all_from_rates = false;  // every segment has a rate: a sample's time is its count's
  bool note_missing_in_runs = true;
  std::int64_t announced = 0;

  // The reading so far.
  std::int64_t read = 0;
  std::int64_t ascii_line = 0;
  std::int64_t previous_number = 0;
  double previous_stamp = -1;
  bool stamps_zero = true;
  std::size_t segment = 0;
  std::int64_t anchor_count = 1;  // the last sample of the segment before, or the first
  double anchor_us = 0;           // its time
  bool ended = false;
  std::string room;
  std::vector<std::string> seen;  // codes of the data reported once

  std::vector<std::pair<std::string, int>> counts;  // reports so far of each code

  void Report(std::string_view code, const std::string& file, std::int64_t line, int field_no,
              const std::string& detail = "") {
    const DiagnosticKind& kind = KindOf(code);
    if (kind.severity == Severity::kError) failed = true;
    // A finding of every channel line is told for the first few.
    int* count = nullptr;
    for (auto& [c, n] : counts)
      if (c == code) count = &n;
    if (count == nullptr) count = &counts.emplace_back(std::string(code), 0).second;
    if (++*count > kMaxReportsOfACode) return;
    std::string text(kind.text);
    if (!detail.empty()) text += ": " + detail;
    sink.Report({kind.severity, std::string(code), file, line, field_no, text});
  }
  // Reports code only the first time it is met in the data.
  void Once(std::string_view code, std::int64_t line, int field_no, const std::string& detail) {
    for (const std::string& c : seen)
      if (c == code) return;
    seen.emplace_back(code);
    Report(code, form.dat_path, line, field_no, detail);
  }

  bool ParseConfiguration(LineSource& lines, std::string& pending);
  void ParseMoment(const std::string& line, std::int64_t line_no, CfgMoment& moment);
  void DecideEncoding(const ReadOptions& options);
  bool FindCffSections(LineSource& lines, std::string& pending);
  bool OpenDat();
  void PrepareData();
  bool NextBinary(Sample& sample);
  bool NextAscii(Sample& sample);
  bool Step(Sample& sample);
  void Finish();
  std::optional<double> RateTime(std::int64_t count);
  void Time(Sample& sample, std::optional<double> stamp);
  std::size_t CheckBinaryRun(const unsigned char* bytes, std::size_t records, Sample& scratch,
                             std::optional<double>& first_us, std::optional<double>& last_us,
                             std::vector<double>* times_us = nullptr);
  std::size_t BufferedRecords() const;
  bool CheckAsciiLine(std::string_view buffered, std::size_t& used, Sample& scratch,
                      std::optional<double>& first_us, std::optional<double>& last_us);
  // Counts a sample read, numbered as the file numbers it.
  void Checked(std::int64_t number) {
    if (number != previous_number + 1) [[unlikely]]
      TellNumber(number);
    previous_number = number;
    ++read;
  }
  void TellNumber(std::int64_t number);
};

namespace {

bool IsSectionLine(std::string_view line) {
  const std::string lower = AsciiLowered(Trim(line));
  return lower.starts_with("---") && lower.find("file type") != std::string::npos;
}

// What a .cff section line names: "cfg", "inf", "hdr", "dat ascii",
// "dat binary" ..., and the byte count after a colon, if any.
std::string SectionName(std::string_view line, std::int64_t& bytes) {
  std::string lower = AsciiLowered(Trim(line));
  while (lower.starts_with("-")) lower.erase(0, 1);
  while (lower.ends_with("-")) lower.pop_back();
  const std::size_t colon = lower.find(':');
  std::string name = colon == std::string::npos ? "" : lower.substr(colon + 1);
  bytes = -1;
  const std::size_t second = name.find(':');
  if (second != std::string::npos) {
    std::int64_t count = 0;
    if (ParseInteger(Trim(name.substr(second + 1)), count)) bytes = count;
    name.erase(second);
  }
  std::string out;
  for (char c : Trim(name))
    if (!IsBlank(c) || (!out.empty() && out.back() != ' ')) out += IsBlank(c) ? ' ' : c;
  return out;
}

}  // namespace

bool RecordReader::State::ParseConfiguration(LineSource& lines, std::string& pending) {
  const std::string& path = form.cfg_path;
  std::string line;
  bool padded = false;
  // The next line of the configuration; false (and an error) when it ends first.
  auto next = [&](const char* what) {
    if (!lines.Read(line) || (form.cff && IsSectionLine(line))) {
      if (form.cff) pending = line;
      Report("cfg-short", path, lines.number() + 1, 0, what);
      return false;
    }
    if (lines.too_long()) {
      Report("line-long", path, lines.number(), 0, std::to_string(kLongestCfgLine) + " байт");
      return false;
    }
    return true;
  };
  auto split = [&] {
    Fields fields = Split(line);
    padded = padded || fields.padded;
    return fields;
  };
  bool blanks = false;
  auto real = [&](std::string_view text, double& value) {
    return ParseReal(Squeeze(text, room, blanks), value);
  };
  // An optional number: when written, it must be one.
  auto number = [&](const Fields& f, std::size_t i, CfgNumber& out, double fallback) {
    out.text = std::string(f[i]);
    out.value = fallback;
    if (out.text.empty()) return;
    if (!real(out.text, out.value)) {
      out.value = fallback;
      Report("field-value", path, lines.number(), static_cast<int>(i + 1), out.text);
    }
  };

  // Line 1: station_name,rec_dev_id,rev_year (1991: no year).
  if (!next("station_name,rec_dev_id,rev_year")) return false;
  {
    const Fields f = split();
    cfg.station = std::string(f[0]);
    cfg.recording_device = std::string(f[1]);
    cfg.revision_text = std::string(f[2]);
    if (f.size() < 3) {
      cfg.revision = Revision::k1991;
      if (f.size() < 2) Report("field-count", path, 1, 0, "2 или 3");
    } else if (f[2] == "1991") {
      cfg.revision = Revision::k1991;
    } else if (f[2] == "1999") {
      cfg.revision = Revision::k1999;
    } else if (f[2] == "2013") {
      cfg.revision = Revision::k2013;
    } else {
      cfg.revision = Revision::k1999;
      Report("rev-year", path, 1, 3, "«" + std::string(f[2]) + "»");
    }
    if (f.size() > 3) Report("field-count", path, 1, 0, "3");
  }
  const bool v1991 = cfg.revision == Revision::k1991;

  // Line 2: TT,##A,##D.
  if (!next("TT,##A,##D")) return false;
  std::int64_t total = 0, analog_count = 0, digital_count = 0;
  {
    const Fields f = split();
    if (f.size() != 3 || !ParseInteger(f[0], total) ||
        !ParseChannelCount(f[1], 'A', analog_count) ||
        !ParseChannelCount(f[2], 'D', digital_count)) {
      Report("count-line", path, lines.number(), 0, "«" + line.substr(0, 80) + "»");
      return false;
    }
    if (analog_count + digital_count > kMaxChannels) {
      Report("too-many-channels", path, lines.number(), 0, std::to_string(kMaxChannels));
      return false;
    }
    if (total != analog_count + digital_count)
      Report("count-total", path, lines.number(), 1,
             std::to_string(total) + " ≠ " + std::to_string(analog_count + digital_count));
  }

  // The analog channel lines.
  bool index_reported = false, count_reported = false;
  const std::size_t analog_fields = v1991 ? 10 : 13;
  for (std::int64_t i = 0; i < analog_count; ++i) {
    if (!next("An,ch_id,ph,ccbm,uu,a,b,skew,min,max,primary,secondary,PS")) return false;
    const Fields f = split();
    AnalogChannelInfo channel;
    if (f.size() < 7 || !ParseInteger(Squeeze(f[0], room, blanks), channel.index)) {
      Report("channel-line", path, lines.number(), 0, "An " + std::to_string(i + 1));
      return false;
    }
    if (f.size() != analog_fields && !(v1991 && f.size() == 13) && !count_reported) {
      Report("field-count", path, lines.number(), 0, std::to_string(analog_fields));
      count_reported = true;
    }
    if (channel.index != i + 1 && !index_reported) {
      Report("channel-index", path, lines.number(), 1, std::to_string(i + 1));
      index_reported = true;
    }
    channel.id = std::string(f[1]);
    channel.phase = std::string(f[2]);
    channel.circuit = std::string(f[3]);
    channel.unit = std::string(f[4]);
    channel.a.text = std::string(f[5]);
    channel.b.text = std::string(f[6]);
    if (!real(f[5], channel.a.value)) {
      Report("number", path, lines.number(), 6, "a = «" + channel.a.text + "»");
      return false;
    }
    if (!real(f[6], channel.b.value)) {
      Report("number", path, lines.number(), 7, "b = «" + channel.b.text + "»");
      return false;
    }
    number(f, 7, channel.skew, 0);
    number(f, 8, channel.min, 0);
    number(f, 9, channel.max, 0);
    number(f, 10, channel.primary, 1);
    number(f, 11, channel.secondary, 1);
    channel.ps = std::string(f[12]);
    if (f.size() > 12 && channel.ps != "P" && channel.ps != "S" && channel.ps != "p" &&
        channel.ps != "s")
      Report("field-value", path, lines.number(), 13, "PS = «" + channel.ps + "»");
    cfg.analog.push_back(std::move(channel));
  }

  // The digital channel lines: Dn,ch_id,ph,ccbm,y (1991: Dn,ch_id,y).
  index_reported = count_reported = false;
  std::int64_t digital_base = 0;
  const std::size_t digital_fields = v1991 ? 3 : 5;
  for (std::int64_t i = 0; i < digital_count; ++i) {
    if (!next("Dn,ch_id,ph,ccbm,y")) return false;
    const Fields f = split();
    DigitalChannelInfo channel;
    if (f.size() < 2 || !ParseInteger(Squeeze(f[0], room, blanks), channel.index)) {
      Report("channel-line", path, lines.number(), 0, "Dn " + std::to_string(i + 1));
      return false;
    }
    if (f.size() != digital_fields && !(v1991 && f.size() == 5) && !count_reported) {
      Report("field-count", path, lines.number(), 0, std::to_string(digital_fields));
      count_reported = true;
    }
    // Digital channels are numbered from 1, or on from the analog ones as
    // many recorders (and our combined pairs) number them.
    if (i == 0 && channel.index == analog_count + 1) digital_base = analog_count;
    if (channel.index != digital_base + i + 1 && !index_reported) {
      Report("channel-index", path, lines.number(), 1, std::to_string(i + 1));
      index_reported = true;
    }
    channel.id = std::string(f[1]);
    std::size_t normal_field = 4;
    if (f.size() <= 3) {
      normal_field = 2;
    } else {
      channel.phase = std::string(f[2]);
      channel.circuit = std::string(f[3]);
    }
    channel.normal.text = std::string(f[normal_field]);
    if (channel.normal.text == "1") channel.normal.value = 1;
    if (channel.normal.text != "0" && channel.normal.text != "1")
      Report("field-value", path, lines.number(), static_cast<int>(normal_field + 1),
             "y = «" + channel.normal.text + "»");
    cfg.digital.push_back(std::move(channel));
  }

  // lf: the line frequency.
  if (!next("lf")) return false;
  {
    const Fields f = split();
    number(f, 0, cfg.line_frequency, 0);
    if (f[0].empty()) Report("field-value", path, lines.number(), 1, "lf");
  }

  // nrates, then nrates lines samp,endsamp (one line "0,endsamp" for nrates 0).
  if (!next("nrates")) return false;
  std::int64_t nrates = 0;
  if (!ParseInteger(Squeeze(Split(line)[0], room, blanks), nrates) || nrates < 0 ||
      nrates > kMaxRates) {
    Report("rates-line", path, lines.number(), 1, "«" + line.substr(0, 80) + "»");
    return false;
  }
  for (std::int64_t i = 0; i < std::max<std::int64_t>(nrates, 1); ++i) {
    if (!next("samp,endsamp")) return false;
    const Fields f = split();
    SampleRate rate;
    rate.rate.text = std::string(f[0]);
    if (!real(f[0], rate.rate.value) || rate.rate.value < 0) {
      Report("number", path, lines.number(), 1, "samp = «" + rate.rate.text + "»");
      return false;
    }
    if (!ParseCount(Squeeze(f[1], room, blanks), rate.last_sample) || rate.last_sample < 0) {
      Report("number", path, lines.number(), 2, "endsamp = «" + std::string(f[1]) + "»");
      return false;
    }
    if (!cfg.rates.empty() && rate.last_sample <= cfg.rates.back().last_sample)
      Report("rate-order", path, lines.number(), 2, std::to_string(rate.last_sample));
    if (f.size() != 2) Report("field-count", path, lines.number(), 0, "2");
    cfg.rates.push_back(std::move(rate));
  }

  // The start and trigger moments.
  if (!next("dd/mm/yyyy,hh:mm:ss.ssssss")) return false;
  ParseMoment(line, lines.number(), cfg.start);
  if (!next("dd/mm/yyyy,hh:mm:ss.ssssss")) return false;
  ParseMoment(line, lines.number(), cfg.trigger);

  // ft: the data file's type.
  if (!next("ft")) return false;
  {
    const std::string type = AsciiLowered(Trim(line));
    if (type == "ascii") {
      cfg.file_type = DataFileType::kAscii;
    } else if (type == "binary") {
      cfg.file_type = DataFileType::kBinary;
    } else if (type == "binary32" && !v1991) {
      cfg.file_type = DataFileType::kBinary32;
    } else if (type == "float32" && !v1991) {
      cfg.file_type = DataFileType::kFloat32;
    } else {
      Report("file-type", path, lines.number(), 1, "«" + line.substr(0, 40) + "»");
      return false;
    }
  }

  // What 1999 and 2013 add: timemult; then in 2013 the time codes.
  auto optional_line = [&]() -> bool {
    if (!lines.Read(line)) return false;
    if (form.cff && IsSectionLine(line)) {
      pending = line;
      return false;
    }
    return true;
  };
  bool cfg_done = false;
  if (!v1991) {
    if (optional_line() && !Trim(line).empty()) {
      const Fields f = split();
      number(f, 0, cfg.time_multiplier, 1);
      if (cfg.time_multiplier.value <= 0) {
        Report("field-value", path, lines.number(), 1, cfg.time_multiplier.text);
        cfg.time_multiplier.value = 1;
      }
    } else {
      cfg_done = true;
      Report("line-missing", path, lines.number() + 1, 0, "timemult");
    }
  }
  if (cfg.revision == Revision::k2013 && !cfg_done) {
    TimeCodes codes;
    if (optional_line() && !Trim(line).empty()) {
      const Fields f = split();
      codes.time_code = std::string(f[0]);
      codes.local_code = std::string(f[1]);
      if (f.size() != 2) Report("field-count", path, lines.number(), 0, "2");
      if (optional_line() && !Trim(line).empty()) {
        const Fields q = split();
        codes.tmq_code = std::string(q[0]);
        codes.leap_second = std::string(q[1]);
        if (q.size() != 2) Report("field-count", path, lines.number(), 0, "2");
      } else {
        cfg_done = true;
        Report("line-missing", path, lines.number(), 0, "tmq_code,leapsec");
      }
    } else {
      cfg_done = true;
      Report("line-missing", path, lines.number(), 0, "time_code,local_code");
    }
    cfg.time_codes = codes;
  }
  // Anything after the last line: blank lines are common, text is not ours to read.
  if (!cfg_done) {
    bool reported = false;
    while (optional_line()) {
      if (!Trim(line).empty() && !reported) {
        Report("cfg-extra", path, lines.number(), 0, "");
        reported = true;
      }
    }
  }
  if (padded) Report("trailing-blanks", path, 0, 0, "");
  if (blanks) Report("blanks-inside", path, 0, 0, "");
  if (lines.lf_only()) Report("line-end", path, 0, 0, "");
  return true;
}

void RecordReader::State::ParseMoment(const std::string& line, std::int64_t line_no,
                                      CfgMoment& moment) {
  const std::string& path = form.cfg_path;
  const Fields f = Split(line);
  std::string date_room, time_room;
  bool blanks = false;
  const std::string_view date = Squeeze(f[0], date_room, blanks);
  const std::string_view time = Squeeze(f[1], time_room, blanks);
  if (blanks) Report("blanks-inside", path, line_no, 0, "«" + line.substr(0, 40) + "»");

  // The date: dd/mm/yyyy (1991: mm/dd/yy).
  std::vector<std::string_view> d;
  for (std::size_t start = 0;;) {
    const std::size_t slash = date.find('/', start);
    d.push_back(date.substr(start, slash == std::string_view::npos ? slash : slash - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  // The time: hh:mm:ss.ffffff.
  std::vector<std::string_view> t;
  for (std::size_t start = 0;;) {
    const std::size_t colon = time.find(':', start);
    t.push_back(time.substr(start, colon == std::string_view::npos ? colon : colon - start));
    if (colon == std::string_view::npos) break;
    start = colon + 1;
  }
  std::string_view seconds = t.size() == 3 ? t[2] : "";
  std::string_view fraction;
  if (const std::size_t point = seconds.find('.'); point != std::string_view::npos) {
    fraction = seconds.substr(point + 1);
    seconds = seconds.substr(0, point);
  }
  const bool v1991 = cfg.revision == Revision::k1991;
  if (d.size() == 3) {
    moment.text.day = std::string(v1991 ? d[1] : d[0]);
    moment.text.month = std::string(v1991 ? d[0] : d[1]);
    moment.text.year = std::string(d[2]);
  }
  if (t.size() == 3) {
    moment.text.hour = std::string(t[0]);
    moment.text.minute = std::string(t[1]);
    moment.text.second = std::string(seconds);
  }
  moment.fraction = std::string(fraction);
  const StartMoment& m = moment.text;
  moment.valid =
      f.size() == 2 && d.size() == 3 && t.size() == 3 && AllDigits(m.day) && AllDigits(m.month) &&
      AllDigits(m.year) && AllDigits(m.hour) && AllDigits(m.minute) && AllDigits(m.second) &&
      (fraction.empty() || AllDigits(fraction)) && m.day.size() <= 2 && m.month.size() <= 2 &&
      m.hour.size() <= 2 && m.minute.size() <= 2 && m.second.size() <= 2 &&
      (m.year.size() == 2 || m.year.size() == 4) && fraction.size() <= 9;
  if (moment.valid) {
    moment.day = Number2(m.day);
    moment.month = Number2(m.month);
    moment.year = Number2(m.year);
    if (m.year.size() == 2) moment.year += moment.year < 70 ? 2000 : 1900;
    moment.hour = Number2(m.hour);
    moment.minute = Number2(m.minute);
    std::int64_t nanos = 0;
    for (std::size_t i = 0; i < 9; ++i)
      nanos = nanos * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    moment.nanoseconds = Number2(m.second) * std::int64_t{1000000000} + nanos;
    moment.valid = moment.day >= 1 && moment.day <= 31 && moment.month >= 1 && moment.month <= 12 &&
                   moment.hour < 24 && moment.minute < 60 && Number2(m.second) <= 60;
  }
  if (!moment.valid) {
    Report("moment", path, line_no, 0, "«" + line.substr(0, 40) + "»");
    return;
  }
  if (!v1991 && m.year.size() != 4) Report("moment", path, line_no, 1, "yyyy");
  const bool nine = fraction.size() == 9 && cfg.revision == Revision::k2013;
  if (fraction.size() != 6 && !nine)
    Report("fraction-digits", path, line_no, 2, std::to_string(fraction.size()));
}

void RecordReader::State::DecideEncoding(const ReadOptions& options) {
  // Joined as the lines hold them: no two-byte code reaches from one field into the next.
  std::string names = cfg.station + ',' + cfg.recording_device;
  for (const auto& a : cfg.analog)
    names += ',' + a.id + ',' + a.phase + ',' + a.circuit + ',' + a.unit;
  for (const auto& d : cfg.digital) names += ',' + d.id + ',' + d.phase + ',' + d.circuit;
  form.ascii_names = true;
  for (char c : names)
    if (static_cast<unsigned char>(c) >= 0x80) form.ascii_names = false;
  form.encoding_detected = !options.encoding.has_value();
  cfg.encoding = options.encoding ? *options.encoding : DetectEncoding(names);
  if (cfg.revision == Revision::k2013 && !form.ascii_names && cfg.encoding != TextEncoding::kUtf8)
    Report("encoding-2013", form.cfg_path, 0, 0, std::string(EncodingName(cfg.encoding)));
}

// After the CFG section of a .cff: finds the DAT section and its size.
bool RecordReader::State::FindCffSections(LineSource& lines, std::string& pending) {
  std::string line = pending;
  bool have = !line.empty();
  while (true) {
    if (!have && !lines.Read(line)) break;
    have = false;
    if (!IsSectionLine(line)) continue;
    std::int64_t bytes = -1;
    const std::string name = SectionName(line, bytes);
    if (!name.starts_with("dat")) continue;
    dat_start = cfg_file.Position();
    const bool ascii = name.find("ascii") != std::string::npos;
    if (ascii != (cfg.file_type == DataFileType::kAscii))
      Report("field-value", form.cfg_path, lines.number(), 0, "«" + line.substr(0, 60) + "»");
    if (!ascii) {
      if (bytes < 0) {
        Report("dat-section-size", form.cfg_path, lines.number(), 0, "«" + line + "»");
      } else {
        dat_declared = bytes;
        dat_end = dat_start + bytes;
      }
    }
    return true;
  }
  Report("cff-section", form.cfg_path, 0, 0, "DAT");
  return false;
}

bool RecordReader::State::OpenDat() {
  if (form.cff) {
    form.dat_path = form.cfg_path;
    if (!dat_file.Open(form.dat_path) || !dat_file.Seek(dat_start)) {
      Report("dat-open", form.dat_path, 0, 0, "");
      return false;
    }
    const std::int64_t size = dat_file.Size();
    if (dat_end > size) {
      Report("dat-section-size", form.dat_path, 0, 0,
             std::to_string(dat_declared) + " > " + std::to_string(size - dat_start));
    }
    return true;
  }
  // The .dat beside the .cfg: the same name with an extension of any letter case.
  const std::string& cfg_path = form.cfg_path;
  const std::string stem = cfg_path.substr(0, cfg_path.size() - 4);
  const bool upper = cfg_path.ends_with(".CFG");
  std::string path = stem + (upper ? ".DAT" : ".dat");
  if (!FileExists(path)) {
    const std::size_t cut = cfg_path.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? "." : cfg_path.substr(0, cut + 1);
    const std::string wanted =
        AsciiLowered(stem.substr(cut == std::string::npos ? 0 : cut + 1)) + ".dat";
    if (const auto entries = FolderEntries(folder)) {
      for (const FolderEntry& entry : *entries)
        if (entry.kind == FolderEntry::Kind::kFile && AsciiLowered(entry.name) == wanted)
          path = (cut == std::string::npos ? "" : folder) + entry.name;
    }
  }
  form.dat_path = path;
  if (!dat_file.Open(path)) {
    Report("dat-open", path, 0, 0, "");
    return false;
  }
  return true;
}

void RecordReader::State::PrepareData() {
  analog = cfg.analog.size();
  digital = cfg.digital.size();
  status_words = (digital + 15) / 16;
  const std::size_t value_size = cfg.file_type == DataFileType::kBinary ? 2 : 4;
  record_size = 8 + value_size * analog + 2 * status_words;
  from_rates = false;
  all_from_rates = !cfg.rates.empty();
  for (const SampleRate& rate : cfg.rates) {
    if (rate.rate.value > 0) from_rates = true;
    if (!(rate.rate.value > 0)) all_from_rates = false;
  }
  announced = cfg.rates.empty() ? 0 : cfg.rates.back().last_sample;
}

// The time of sample `count` (counted from 1) from the rate of its segment;
// nothing where that segment has no rate. Counts only go on from one call to
// the next, as the segment found stays found.
std::optional<double> RecordReader::State::RateTime(std::int64_t count) {
  // The segment of this sample: the first whose last sample it does not
  // pass. A sample is 1/rate of its own segment after the one before it.
  while (segment + 1 < cfg.rates.size() && count > cfg.rates[segment].last_sample) {
    const double rate = cfg.rates[segment].rate.value;
    const std::int64_t last = cfg.rates[segment].last_sample;
    if (rate > 0) anchor_us += static_cast<double>(last - anchor_count) * 1e6 / rate;
    anchor_count = last;
    ++segment;
  }
  const double rate = cfg.rates[segment].rate.value;
  if (rate > 0) return anchor_us + static_cast<double>(count - anchor_count) * 1e6 / rate;
  return std::nullopt;
}

void RecordReader::State::Time(Sample& sample, std::optional<double> stamp) {
  const std::int64_t count = read + 1;
  if (stamp && *stamp != 0) stamps_zero = false;
  if (stamp && previous_stamp >= 0 && *stamp < previous_stamp && !from_rates)
    Once("stamp-order", ascii_line, 2, std::to_string(count));
  if (stamp) previous_stamp = *stamp;
  sample.stamp_us.reset();
  if (stamp) sample.stamp_us = *stamp * cfg.time_multiplier.value;
  if (from_rates) {
    if (const std::optional<double> time = RateTime(count)) {
      sample.time_us = time;
      return;
    }
  }
  if (stamp && !(stamps_zero && count > 1)) {
    sample.time_us = *stamp * cfg.time_multiplier.value;
    return;
  }
  sample.time_us.reset();
  Once("time-missing", ascii_line, 2, std::to_string(count));
}

bool RecordReader::State::NextBinary(Sample& sample) {
  if (dat_end >= 0 && dat_file.Position() + static_cast<std::int64_t>(record_size) > dat_end) {
    return false;
  }
  const unsigned char* bytes = dat_file.Take(record_size);
  if (bytes == nullptr) return false;
  bool padding = true;
  for (std::size_t i = 0; i < record_size && padding; ++i) padding = bytes[i] == 0x1A;
  if (padding) {
    Once("padding-1a", 0, 0, std::to_string(read + 1));
    dat_file.Seek(dat_file.Position() - static_cast<std::int64_t>(record_size));
    return false;
  }
  sample.number = static_cast<std::uint32_t>(LittleI32(bytes));
  const auto stamp_bits = static_cast<std::uint32_t>(LittleI32(bytes + 4));
  std::optional<double> stamp;
  if (stamp_bits != 0xFFFFFFFFu) stamp = static_cast<double>(stamp_bits);
  const unsigned char* at = bytes + 8;
  // One loop for each form, so that the common one runs without a test per value.
  bool missing_seen = false;
  std::fill(sample.analog_missing.begin(), sample.analog_missing.end(), false);
  auto mark = [&](std::size_t k) {
    sample.analog[k] = 0;
    sample.analog_missing[k] = true;
    missing_seen = true;
  };
  if (!AnyMissing(cfg.file_type, at, analog)) {
    // Most samples: one loop for each form without a test per value.
    if (cfg.file_type == DataFileType::kBinary) {
      for (std::size_t k = 0; k < analog; ++k)
        sample.analog[k] = static_cast<std::int16_t>(LittleU16(at + 2 * k));
    } else if (cfg.file_type == DataFileType::kBinary32) {
      for (std::size_t k = 0; k < analog; ++k) sample.analog[k] = LittleI32(at + 4 * k);
    } else {
      for (std::size_t k = 0; k < analog; ++k)
        sample.analog[k] = std::bit_cast<float>(static_cast<std::uint32_t>(LittleI32(at + 4 * k)));
    }
    at += (cfg.file_type == DataFileType::kBinary ? 2 : 4) * analog;
  } else if (cfg.file_type == DataFileType::kBinary) {
    for (std::size_t k = 0; k < analog; ++k, at += 2) {
      const auto v = static_cast<std::int16_t>(LittleU16(at));
      sample.analog[k] = v;
      if (v == std::numeric_limits<std::int16_t>::min()) mark(k);
    }
  } else if (cfg.file_type == DataFileType::kBinary32) {
    for (std::size_t k = 0; k < analog; ++k, at += 4) {
      const std::int32_t v = LittleI32(at);
      sample.analog[k] = v;
      if (v == std::numeric_limits<std::int32_t>::min()) mark(k);
    }
  } else {
    for (std::size_t k = 0; k < analog; ++k, at += 4) {
      const float v = std::bit_cast<float>(static_cast<std::uint32_t>(LittleI32(at)));
      sample.analog[k] = v;
      if (!std::isfinite(v)) mark(k);
    }
  }
  for (std::size_t w = 0; w < status_words; ++w) {
    const unsigned word = LittleU16(at + 2 * w);
    const std::size_t end = std::min(digital, 16 * w + 16);
    for (std::size_t j = 16 * w; j < end; ++j)
      sample.digital[j] = static_cast<std::uint8_t>((word >> (j - 16 * w)) & 1u);
  }
  sample.any_missing = missing_seen;
  if (missing_seen) Once("value-missing", 0, 0, std::to_string(read + 1));
  if (!stamp) Once("stamp-missing", 0, 2, std::to_string(read + 1));
  Time(sample, stamp);
  return true;
}

bool RecordReader::State::NextAscii(Sample& sample) {
  int c = dat_file.Get();
  while (c == '\r' || c == '\n') {
    if (c == '\n') ++ascii_line;
    c = dat_file.Get();
  }
  if (c < 0) return false;
  if (c == 0x1A) {
    Once("padding-1a", ascii_line + 1, 0, "");
    return false;
  }
  ++ascii_line;
  const std::size_t wanted = 2 + analog + digital;
  std::size_t index = 0;
  std::optional<double> stamp;
  bool missing_seen = false, line_end = false;
  std::fill(sample.analog_missing.begin(), sample.analog_missing.end(), true);
  std::fill(sample.digital.begin(), sample.digital.end(), std::uint8_t{0});
  sample.number = read + 1;
  while (!line_end) {
    // One field, held to kLongestDataField bytes.
    char held[kLongestDataField];
    std::size_t size = 0;
    bool too_long = false;
    while (c >= 0 && c != ',' && c != '\n') {
      if (c != '\r') {
        if (size < kLongestDataField)
          held[size++] = static_cast<char>(c);
        else
          too_long = true;
      }
      c = dat_file.Get();
    }
    const std::string_view field(held, size);
    line_end = c != ',';
    if (!line_end) c = dat_file.Get();
    const int field_no = static_cast<int>(index + 1);
    bool blanks = false;
    const std::string_view text = Squeeze(Trim(field), room, blanks);
    if (blanks) Once("blanks-inside", ascii_line, field_no, "«" + std::string(field) + "»");
    double value = 0;
    const bool empty = text.empty();
    const bool ok = !too_long && !empty && ParseValue(text, value);
    if (!empty && !ok)
      Once("data-value", ascii_line, field_no, "«" + std::string(field.substr(0, 20)) + "»");
    if (index == 0) {
      // A sample number is a whole number of at most ten digits.
      if (ok && value == std::floor(value) && std::fabs(value) < 1e10)
        sample.number = static_cast<std::int64_t>(value);
      else if (ok)
        Once("data-value", ascii_line, field_no, "«" + std::string(field.substr(0, 20)) + "»");
    } else if (index == 1) {
      if (ok) stamp = value;
    } else if (index < 2 + analog) {
      const bool missing = !ok || value == 99999;
      sample.analog[index - 2] = missing ? 0 : value;
      sample.analog_missing[index - 2] = missing;
    } else if (index < wanted) {
      if (ok && value != 0 && value != 1)
        Once("data-value", ascii_line, field_no, "«" + std::string(field.substr(0, 20)) + "»");
      sample.digital[index - 2 - analog] = static_cast<std::uint8_t>(ok && value != 0);
    }
    ++index;
  }
  if (index != wanted)
    Once("data-fields", ascii_line, 0, std::to_string(index) + " ≠ " + std::to_string(wanted));
  for (std::size_t k = 0; k < analog; ++k) missing_seen = missing_seen || sample.analog_missing[k];
  sample.any_missing = missing_seen;
  if (missing_seen) Once("value-missing", ascii_line, 0, std::to_string(read + 1));
  if (!stamp) Once("stamp-missing", ascii_line, 2, "");
  Time(sample, stamp);
  return true;
}

// How the data ended: what is left after the last whole sample, and the
// count against the configuration's.
void RecordReader::State::Finish() {
  ended = true;
  if (dat_file.failed()) {
    Report("read-error", form.dat_path, 0, 0, "");
    return;
  }
  if (cfg.file_type != DataFileType::kAscii) {
    const std::int64_t end = dat_end >= 0 ? std::min(dat_end, dat_file.Size()) : dat_file.Size();
    std::int64_t left = end - dat_file.Position();
    bool padding = true;
    char byte = 0;
    for (std::int64_t i = 0; i < left && padding; ++i)
      padding = dat_file.Read(&byte, 1) == 1 && byte == 0x1A;
    if (left > 0 && padding) Once("padding-1a", 0, 0, std::to_string(left) + " байт");
    if (left > 0 && !padding) Once("dat-partial", 0, 0, std::to_string(read + 1));
  } else {
    // After 0x1A only more of it may follow.
    int c = 0;
    while ((c = dat_file.Get()) == 0x1A || c == '\r' || c == '\n') {
    }
    if (c >= 0) Once("cfg-extra", ascii_line, 0, "");
  }
  if (read < announced)
    Report("dat-shorter", form.dat_path, 0, 0,
           std::to_string(read) + " из " + std::to_string(announced));
  if (read > announced)
    Report("dat-longer", form.dat_path, 0, 0,
           std::to_string(read) + " вместо " + std::to_string(announced));
}

RecordReader::RecordReader(DiagnosticSink& sink) : state_(std::make_unique<State>(sink)) {}
RecordReader::~RecordReader() = default;

bool RecordReader::Open(const std::string& path, const ReadOptions& options) {
  DiagnosticSink& sink = state_->sink;
  state_ = std::make_unique<State>(sink);
  State& s = *state_;
  s.note_missing_in_runs = options.note_missing_in_runs;
  s.form.cfg_path = path;
  s.form.cff = AsciiLowered(path).ends_with(".cff");
  if (!s.cfg_file.Open(path)) {
    s.Report("cfg-open", path, 0, 0, "");
    return false;
  }
  LineSource lines(s.cfg_file);
  std::string pending;
  if (s.form.cff) {
    // Everything before the CFG section is read past.
    std::string line;
    bool found = false;
    while (lines.Read(line)) {
      std::int64_t bytes = 0;
      if (IsSectionLine(line) && SectionName(line, bytes) == "cfg") {
        found = true;
        break;
      }
    }
    if (!found) {
      s.Report("cff-section", path, 0, 0, "CFG");
      return false;
    }
  }
  if (!s.ParseConfiguration(lines, pending) || s.failed) {
    s.failed = true;
    return false;
  }
  if (s.cfg_file.failed()) {
    s.Report("read-error", path, 0, 0, "");
    return false;
  }
  s.DecideEncoding(options);
  if (s.form.cff && !s.FindCffSections(lines, pending)) return false;
  if (!s.OpenDat()) return false;
  s.cfg_file.Close();
  s.PrepareData();
  return true;
}

const Configuration& RecordReader::configuration() const {
  return state_->cfg;
}
const RecordForm& RecordReader::form() const {
  return state_->form;
}
std::int64_t RecordReader::announced_samples() const {
  return state_->announced;
}
std::int64_t RecordReader::samples_read() const {
  return state_->read;
}
std::int64_t RecordReader::data_position() const {
  return state_->dat_file.Position();
}
std::int64_t RecordReader::data_line() const {
  return state_->ascii_line;
}

bool RecordReader::Resume(std::int64_t position, std::int64_t line, std::int64_t samples_before) {
  State& s = *state_;
  if (!s.dat_file.IsOpen() || position < 0 || samples_before < 0 || !s.dat_file.Seek(position))
    return false;
  s.read = samples_before;
  s.previous_number = samples_before;
  s.ascii_line = line;
  s.previous_stamp = -1;
  s.segment = 0;
  s.anchor_count = 1;
  s.anchor_us = 0;
  s.ended = false;
  return true;
}

bool RecordReader::failed() const {
  return state_->failed;
}

bool RecordReader::State::Step(Sample& sample) {
  if (ended || !dat_file.IsOpen()) return false;
  if (sample.analog.size() != analog) {
    sample.analog.assign(analog, 0.0);
    sample.analog_missing.assign(analog, false);
  }
  if (sample.digital.size() != digital) sample.digital.assign(digital, 0);
  const bool got = cfg.file_type == DataFileType::kAscii ? NextAscii(sample) : NextBinary(sample);
  if (!got || dat_file.failed()) {
    Finish();
    return false;
  }
  Checked(sample.number);
  return true;
}

// Tells of a sample numbered otherwise than one after the sample before.
void RecordReader::State::TellNumber(std::int64_t number) {
  Once("sample-number", ascii_line, 1,
       read == 0 ? std::to_string(number) + " в начале"
                 : std::to_string(number) + " после " + std::to_string(previous_number));
}

bool RecordReader::Next(Sample& sample) {
  return state_->Step(sample);
}

// Checks whole binary samples lying in the block buffer, as NextBinary and
// Step would read them; stops before one that may be padding. Returns how
// many were checked.
std::size_t RecordReader::State::CheckBinaryRun(const unsigned char* bytes, std::size_t records,
                                                Sample& scratch, std::optional<double>& first_us,
                                                std::optional<double>& last_us,
                                                std::vector<double>* times_us) {
  const DataFileType type = cfg.file_type;
  // Where no word of a stretch of samples, numbers and stamps included, is a
  // missing value, no sample of it holds one; where one is, each sample of
  // the stretch is looked at. A stretch is short, so it is still in the
  // cache when its samples are.
  constexpr std::size_t kStretch = 64;
  const std::size_t value_size = type == DataFileType::kBinary ? 2 : 4;
  const bool aligned = record_size % value_size == 0;
  bool clean = false;
  std::size_t i = 0;
  for (; i < records; ++i, bytes += record_size) {
    if (i % kStretch == 0)
      clean = !note_missing_in_runs ||
              (aligned && !AnyMissing(type, bytes,
                                      std::min(kStretch, records - i) * record_size / value_size));
    if (bytes[0] == 0x1A) {
      // Padding ends the data: Step tells. A sample that only starts with
      // the byte is read here.
      std::size_t k = 1;
      while (k < record_size && bytes[k] == 0x1A) ++k;
      if (k == record_size) break;
    }
    const std::int64_t number = static_cast<std::uint32_t>(LittleI32(bytes));
    const auto stamp_bits = static_cast<std::uint32_t>(LittleI32(bytes + 4));
    if (!clean && AnyMissing(type, bytes + 8, analog))
      Once("value-missing", 0, 0, std::to_string(read + 1));
    if (stamp_bits == 0xFFFFFFFFu) Once("stamp-missing", 0, 2, std::to_string(read + 1));
    if (!all_from_rates || times_us != nullptr) {
      std::optional<double> stamp;
      if (stamp_bits != 0xFFFFFFFFu) stamp = static_cast<double>(stamp_bits);
      Time(scratch, stamp);
      if (scratch.time_us) {
        if (!first_us) first_us = scratch.time_us;
        last_us = scratch.time_us;
      }
      if (times_us != nullptr)
        times_us->push_back(scratch.time_us ? *scratch.time_us
                                            : std::numeric_limits<double>::quiet_NaN());
    }
    Checked(number);
  }
  return i;
}

// Whole binary samples in the block buffer, up to the end the data may take.
std::size_t RecordReader::State::BufferedRecords() const {
  std::size_t records = dat_file.Buffered().size() / record_size;
  if (dat_end >= 0) {
    const std::int64_t left = dat_end - dat_file.Position();
    records = left < 0 ? 0 : std::min(records, static_cast<std::size_t>(left) / record_size);
  }
  return records;
}

std::size_t RecordReader::NextRun(const unsigned char*& bytes, std::vector<double>* times_us) {
  State& s = *state_;
  if (times_us != nullptr) times_us->clear();
  if (s.ended || !s.dat_file.IsOpen() || s.cfg.file_type == DataFileType::kAscii) return 0;
  if (times_us == nullptr && !s.all_from_rates) return 0;
  const std::string_view buffered = s.dat_file.Buffered();
  bytes = reinterpret_cast<const unsigned char*>(buffered.data());
  std::optional<double> first_us, last_us;
  Sample scratch;
  const std::size_t done =
      s.CheckBinaryRun(bytes, s.BufferedRecords(), scratch, first_us, last_us, times_us);
  s.dat_file.Skip(done * s.record_size);
  return done;
}

bool RecordReader::timed_by_rates() const {
  return state_->all_from_rates;
}

double RecordReader::RateTimeUs(std::int64_t count) const {
  // The same sums as RateTime's, from the first segment on.
  const std::vector<SampleRate>& rates = state_->cfg.rates;
  double anchor_us = 0;
  std::int64_t anchor_count = 1;
  std::size_t segment = 0;
  while (segment + 1 < rates.size() && count > rates[segment].last_sample) {
    const std::int64_t last = rates[segment].last_sample;
    if (rates[segment].rate.value > 0)
      anchor_us += static_cast<double>(last - anchor_count) * 1e6 / rates[segment].rate.value;
    anchor_count = last;
    ++segment;
  }
  if (segment >= rates.size() || !(rates[segment].rate.value > 0))
    return std::numeric_limits<double>::quiet_NaN();
  return anchor_us + static_cast<double>(count - anchor_count) * 1e6 / rates[segment].rate.value;
}

// Checks the line at the start of `buffered` as NextAscii and Step would read
// it, when it lies there whole and is of the plain form: whole numbers of up
// to fifteen digits or empty fields, as many as the channels ask for. False,
// with nothing read, for any other line: Step reads that one.
bool RecordReader::State::CheckAsciiLine(std::string_view buffered, std::size_t& used,
                                         Sample& scratch, std::optional<double>& first_us,
                                         std::optional<double>& last_us) {
  const char* const begin = buffered.data();
  const char* const limit = begin + buffered.size();
  const char* at = begin;
  if (at == limit || *at == '\r' || *at == '\n' || *at == 0x1A) return false;
  const std::size_t wanted = 2 + analog + digital;
  std::size_t index = 0;
  std::int64_t number = read + 1;
  std::optional<double> stamp;
  bool missing = false;
  while (true) {
    const bool negative = *at == '-';
    if (negative && ++at == limit) return false;
    const char* const digits = at;
    // A value of an analog channel is only told missing or not: its digits
    // are passed over, not worked out.
    const bool analog_field = index >= 2 && index < 2 + analog;
    std::int64_t whole = 0;
    if (analog_field) {
      while (at < limit && static_cast<unsigned>(*at - '0') < 10) ++at;
    } else {
      // Digits past the sixteenth are passed over: such a field is refused below.
      for (; at < limit && static_cast<unsigned>(*at - '0') < 10; ++at)
        if (at - digits < 16) whole = whole * 10 + (*at - '0');
    }
    if (at == limit) return false;  // the line goes on past the buffer
    const auto count = static_cast<std::size_t>(at - digits);
    if (count > 15 || (negative && count == 0)) return false;
    const bool empty = count == 0;
    if (index == 0) {
      if (count > 10) return false;  // no sample number: Step tells
      if (!empty) number = negative ? -whole : whole;
    } else if (index == 1) {
      if (!empty) stamp = static_cast<double>(negative ? -whole : whole);
    } else if (analog_field) {
      if (empty) {
        missing = true;
      } else if (!negative && count >= 5) {
        const char* first = digits;
        while (*first == '0' && at - first > 5) ++first;
        if (at - first == 5 && std::memcmp(first, "99999", 5) == 0) missing = true;
      }
    } else if (index >= wanted || (!empty && (whole > 1 || (negative && whole != 0)))) {
      return false;
    }
    ++index;
    if (*at == ',') {
      if (++at == limit) return false;
      continue;
    }
    if (*at == '\r') {
      if (at + 1 == limit) return false;
      if (*++at != '\n') return false;
    }
    if (*at != '\n') return false;
    break;
  }
  if (index != wanted) return false;
  used = static_cast<std::size_t>(at + 1 - begin);
  ++ascii_line;
  if (missing) Once("value-missing", ascii_line, 0, std::to_string(read + 1));
  if (!stamp) Once("stamp-missing", ascii_line, 2, "");
  if (!all_from_rates) {
    Time(scratch, stamp);
    if (scratch.time_us) {
      if (!first_us) first_us = scratch.time_us;
      last_us = scratch.time_us;
    }
  }
  Checked(number);
  return true;
}

void RecordReader::CheckRest(std::optional<double>& first_us, std::optional<double>& last_us) {
  State& s = *state_;
  if (s.ended || !s.dat_file.IsOpen()) return;
  Sample scratch;
  const std::int64_t before = s.read;
  // Where every sample's time comes from the rates, only the first and the
  // last are worked out; the first now, before the segments move on.
  std::optional<double> first_from_rates;
  if (s.all_from_rates) first_from_rates = s.RateTime(s.read + 1);
  // A sample read the careful way, where the quick ways stop.
  auto careful = [&] {
    if (!s.Step(scratch)) return false;
    if (scratch.time_us && !s.all_from_rates) {
      if (!first_us) first_us = scratch.time_us;
      last_us = scratch.time_us;
    }
    return true;
  };
  if (s.cfg.file_type == DataFileType::kAscii) {
    while (true) {
      const std::string_view buffered = s.dat_file.Buffered();
      std::size_t used = 0, line = 0;
      while (s.CheckAsciiLine(buffered.substr(used), line, scratch, first_us, last_us))
        used += line;
      s.dat_file.Skip(used);
      if (used > 0) continue;
      // The next line is not whole in the buffer: read more behind it, up to a block.
      const std::string_view rest = s.dat_file.Buffered();
      if (std::memchr(rest.data(), '\n', rest.size()) == nullptr && rest.size() < kReadBlockSize &&
          s.dat_file.Fill(rest.size() + 1))
        continue;
      if (!careful()) break;
    }
  } else {
    while (true) {
      const std::string_view buffered = s.dat_file.Buffered();
      const std::size_t records = s.BufferedRecords();
      const std::size_t done =
          s.CheckBinaryRun(reinterpret_cast<const unsigned char*>(buffered.data()), records,
                           scratch, first_us, last_us);
      s.dat_file.Skip(done * s.record_size);
      if (!careful()) break;
    }
  }
  if (s.all_from_rates && s.read > before) {
    first_us = first_from_rates;
    last_us = s.RateTime(s.read);
  }
}

std::string RecordReader::Utf8(std::string_view field) const {
  return ToUtf8(field, state_->cfg.encoding);
}

double ChannelValue(const AnalogChannelInfo& channel, double x, bool primary) {
  const double value = channel.a.value * x + channel.b.value;
  const bool secondary = !channel.ps.empty() && AsciiLower(channel.ps[0]) == 's';
  if (primary && secondary && channel.secondary.value != 0)
    return value * channel.primary.value / channel.secondary.value;
  return value;
}

namespace {

// A unit of volts or amperes as its letter and what its prefix is worth.
struct PrefixedUnit {
  char letter = 0;
  double worth = 1.0;
};

std::optional<PrefixedUnit> VoltsOrAmperes(std::string_view unit) {
  if (unit.empty() || (unit.back() != 'V' && unit.back() != 'A')) return std::nullopt;
  // Micro as "u", as code page 1251's or Latin-1's "µ", or as UTF-8's micro
  // sign or Greek small mu.
  static constexpr std::pair<std::string_view, double> kPrefixes[] = {
      {"", 1.0},   {"m", 1e-3},    {"k", 1e3},         {"K", 1e3},        {"M", 1e6},
      {"u", 1e-6}, {"\xB5", 1e-6}, {"\xC2\xB5", 1e-6}, {"\xCE\xBC", 1e-6}};
  const std::string_view prefix = unit.substr(0, unit.size() - 1);
  for (const auto& [name, worth] : kPrefixes)
    if (prefix == name) return PrefixedUnit{unit.back(), worth};
  return std::nullopt;
}

}  // namespace

SideUnit UnitOnSide(std::string_view unit, bool file_primary, double ratio, bool primary) {
  if (primary == file_primary) return {std::string(unit), 1.0};
  const bool usable_ratio = ratio > 0 && std::isfinite(ratio);
  const double turn = !usable_ratio ? 1.0 : primary ? ratio : 1.0 / ratio;
  const std::optional<PrefixedUnit> prefixed = VoltsOrAmperes(unit);
  if (!prefixed) return {std::string(unit), turn};
  if (prefixed->letter == 'A') return {"A", turn * prefixed->worth};
  if (primary) return {"kV", turn * prefixed->worth / 1e3};
  return {"V", turn * prefixed->worth};
}

SideUnit ChannelOnSide(const AnalogChannelInfo& channel, bool primary) {
  const bool file_primary = !channel.ps.empty() && AsciiLower(channel.ps[0]) == 'p';
  const double ratio =
      channel.secondary.value != 0 ? channel.primary.value / channel.secondary.value : 1.0;
  return UnitOnSide(channel.unit, file_primary, ratio, primary);
}

double UnitWorth(std::string_view unit) {
  const std::optional<PrefixedUnit> prefixed = VoltsOrAmperes(unit);
  return prefixed ? prefixed->worth : 1.0;
}

std::optional<WholeRecord> ReadRecord(const std::string& cfg_path, DiagnosticSink& sink,
                                      const ReadOptions& options) {
  RecordReader reader(sink);
  if (!reader.Open(cfg_path, options)) return std::nullopt;
  WholeRecord whole;
  whole.configuration = reader.configuration();
  Sample sample;
  while (reader.Next(sample)) whole.samples.push_back(sample);
  if (reader.failed()) return std::nullopt;
  return whole;
}

}  // namespace velk
