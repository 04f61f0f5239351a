#include "comtrade/cfg_writer.h"

#include <charconv>

#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/text_reader.h"

namespace velk {
namespace {

// Digits of a time line's fraction in revision 2013: nanoseconds.
constexpr std::size_t kNanosecondDigits = 9;

std::string TimeLine(const CfgMoment& m, Revision revision) {
  const StartMoment& t = m.text;
  std::string line;
  if (revision == Revision::k1991) {  // mm/dd/yy
    const std::string year = t.year.size() > 2 ? t.year.substr(t.year.size() - 2) : t.year;
    line = CfgField(t.month) + "/" + CfgField(t.day) + "/" + CfgField(year);
  } else {
    line = CfgField(t.day) + "/" + CfgField(t.month) + "/" + CfgField(t.year);
  }
  line += "," + CfgField(t.hour) + ":" + CfgField(t.minute) + ":" + CfgField(t.second);
  if (!m.fraction.empty()) line += "." + CfgField(m.fraction);
  return line;
}

CfgMoment MomentAt(const StartMoment& text, std::string fraction) {
  CfgMoment moment;
  moment.text = text;
  moment.fraction = std::move(fraction);
  return moment;
}

// Each sequence of UTF-8 text in code page 1251; '?' for one the code page lacks.
std::string Utf8InCp1251(std::string_view text) {
  if (std::optional<std::string> whole = Utf8ToCp1251(text)) return *whole;
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (i + length > text.size()) length = text.size() - i;
    const std::optional<std::string> one = Utf8ToCp1251(text.substr(i, length));
    out += one ? *one : "?";
    i += length;
  }
  return out;
}

std::string Recoded(const std::string& text, TextEncoding from, TextEncoding to) {
  if (from == to) return text;
  if (from == TextEncoding::kCp1251 && to == TextEncoding::kUtf8) return Cp1251ToUtf8(text);
  if (from == TextEncoding::kUtf8 && to == TextEncoding::kCp1251) return Utf8InCp1251(text);
  return text;  // no other pair of encodings is written
}

template <typename PutLine>
void PutLines(const Configuration& cfg, PutLine&& line) {
  const bool old = cfg.revision == Revision::k1991;
  line(CfgField(cfg.station) + "," + CfgField(cfg.recording_device) +
       (old ? "" : "," + cfg.revision_text));
  const auto analog = static_cast<std::int64_t>(cfg.analog.size());
  const auto digital = static_cast<std::int64_t>(cfg.digital.size());
  line(Decimal(analog + digital) + "," + Decimal(analog) + "A," + Decimal(digital) + "D");
  for (const AnalogChannelInfo& c : cfg.analog) line(AnalogLine(c, cfg.revision));
  for (const DigitalChannelInfo& c : cfg.digital) {
    line(old ? Decimal(c.index) + "," + CfgField(c.id) + "," + c.normal.text
             : Decimal(c.index) + "," + CfgField(c.id) + "," + CfgField(c.phase) + "," +
                   CfgField(c.circuit) + "," + c.normal.text);
  }
  line(cfg.line_frequency.text);
  // A record timed by its stamps alone has nrates 0 and one line "0,endsamp".
  const bool stamps_only = cfg.rates.size() == 1 && cfg.rates[0].rate.text == "0";
  line(stamps_only ? "0" : Decimal(static_cast<std::int64_t>(cfg.rates.size())));
  for (const SampleRate& rate : cfg.rates) line(rate.rate.text + "," + Decimal(rate.last_sample));
  line(TimeLine(cfg.start, cfg.revision));
  line(TimeLine(cfg.trigger, cfg.revision));
  if (old) return;
  line(FileTypeText(cfg.file_type));
  line(cfg.time_multiplier.text);
  if (cfg.revision == Revision::k2013 && cfg.time_codes) {
    const TimeCodes& codes = *cfg.time_codes;
    line(codes.time_code + "," + codes.local_code);
    line(codes.tmq_code + "," + codes.leap_second);
  }
}

}  // namespace

CfgNumber NumberOf(std::string text) {
  double value = 0.0;
  const char* first = text.data();
  if (!text.empty() && text[0] == '+') ++first;
  if (std::from_chars(first, text.data() + text.size(), value).ec != std::errc{}) value = 0.0;
  return {std::move(text), value};
}

std::string AnalogLine(const AnalogChannelInfo& c, Revision revision) {
  std::string text = Decimal(c.index) + "," + CfgField(c.id) + "," + CfgField(c.phase) + "," +
                     CfgField(c.circuit) + "," + CfgField(c.unit) + "," + c.a.text + "," +
                     c.b.text + "," + c.skew.text + "," + c.min.text + "," + c.max.text;
  if (revision != Revision::k1991)
    text += "," + c.primary.text + "," + c.secondary.text + "," + c.ps;
  return text;
}

std::string RevisionText(Revision revision) {
  switch (revision) {
    case Revision::k1991:
      return "1991";
    case Revision::k1999:
      return "1999";
    case Revision::k2013:
      return "2013";
  }
  return "1999";
}

std::string FileTypeText(DataFileType type) {
  switch (type) {
    case DataFileType::kAscii:
      return "ASCII";
    case DataFileType::kBinary:
      return "BINARY";
    case DataFileType::kBinary32:
      return "BINARY32";
    case DataFileType::kFloat32:
      return "FLOAT32";
  }
  return "BINARY";
}

void SetTail(Configuration& cfg, Timing timing, std::int64_t samples, const StartMoment& moment) {
  const bool sampled = timing == Timing::kSampled;
  cfg.line_frequency = NumberOf("50.0");
  cfg.rates = {SampleRate{NumberOf(sampled ? "800.0" : "0"), samples}};
  cfg.start = MomentAt(moment, "000000");
  cfg.trigger = MomentAt(moment, sampled ? "100000" : "000000");
  cfg.file_type = DataFileType::kBinary;
  // Discrete time stamps count milliseconds.
  cfg.time_multiplier = NumberOf(sampled ? "1" : "1000");
}

void ApplyForm(Configuration& cfg, const OutputForm& form) {
  if (cfg.encoding != form.encoding) cfg = Encoded(cfg, form.encoding);
  cfg.revision = form.revision;
  cfg.revision_text = RevisionText(form.revision);
  if (form.revision != Revision::k2013) {
    cfg.time_codes.reset();
    return;
  }
  for (CfgMoment* moment : {&cfg.start, &cfg.trigger})
    if (moment->fraction.size() < kNanosecondDigits)
      moment->fraction.append(kNanosecondDigits - moment->fraction.size(), '0');
  cfg.time_codes = TimeCodes{form.time_code, form.time_code, form.tmq_code, form.leap_second};
}

Configuration Encoded(const Configuration& cfg, TextEncoding to) {
  Configuration out = cfg;
  const auto recode = [&cfg, to](std::string& text) { text = Recoded(text, cfg.encoding, to); };
  recode(out.station);
  recode(out.recording_device);
  for (AnalogChannelInfo& c : out.analog) {
    recode(c.id);
    recode(c.phase);
    recode(c.circuit);
    recode(c.unit);
  }
  for (DigitalChannelInfo& c : out.digital) {
    recode(c.id);
    recode(c.phase);
    recode(c.circuit);
  }
  out.encoding = to;
  return out;
}

void WriteConfiguration(OutFile& out, const Configuration& cfg) {
  PutLines(cfg, [&out](const std::string& line) { out.Line(line); });
}

std::string ConfigurationText(const Configuration& cfg) {
  std::string text;
  PutLines(cfg, [&text](const std::string& line) { text += line + "\r\n"; });
  return text;
}

}  // namespace velk
