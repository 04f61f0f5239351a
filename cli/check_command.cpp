#include "cli/check_command.h"

#include <charconv>
#include <optional>

#include "batch/batch_plan.h"
#include "cli/cli_texts.h"
#include "comtrade/cfg_writer.h"
#include "comtrade/record_reader.h"
#include "comtrade/text_encodings.h"

namespace velk {
namespace {

namespace t = check_texts;

constexpr std::string_view kCheckHelp =
    "  velk-convert check FILE.cfg|FILE.cff [--json] [--encoding NAME]\n"
    "      что за запись COMTRADE и чем она отступает от стандарта\n"
    "      what a COMTRADE record is and where it departs from the standard\n"
    "      --encoding  кодировка имён / the names' encoding:\n"
    "                  utf-8, cp1251, cp866, koi8-r, gbk, latin-1\n"
    "      код выхода / exit status: 0 соответствует / conforms,\n"
    "      1 отступает / departs, 2 не читается / cannot be read\n";

std::string Number(double value) {
  char buffer[64];
  const auto done = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, done.ptr);
}

std::string Seconds(double value) {
  char buffer[64];
  const auto done =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
  return std::string(buffer, done.ptr);
}

// A moment as yyyy-mm-ddThh:mm:ss.fraction, or its fields as written.
std::string MomentText(const CfgMoment& moment) {
  const StartMoment& m = moment.text;
  if (!moment.valid)
    return m.day + "/" + m.month + "/" + m.year + "," + m.hour + ":" + m.minute + ":" + m.second;
  auto two = [](int value) { return std::string(value < 10 ? "0" : "") + std::to_string(value); };
  std::string text = std::to_string(moment.year) + "-" + two(moment.month) + "-" + two(moment.day) +
                     "T" + two(moment.hour) + ":" + two(moment.minute) + ":" +
                     two(static_cast<int>(moment.nanoseconds / 1000000000));
  if (!moment.fraction.empty()) text += "." + moment.fraction;
  return text;
}

std::string_view SeverityText(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return t::kError;
    case Severity::kWarning:
      return t::kWarning;
    case Severity::kNote:
      break;
  }
  return t::kNote;
}

struct CheckResult {
  bool opened = false;
  std::int64_t samples = 0;
  std::optional<double> first_us, last_us;
  DiagnosticList diagnostics;
  int status = 0;
};

void PrintText(const RecordReader& reader, const CheckResult& result, const std::string& path,
               std::ostream& out) {
  out << t::kRecord << ": " << path << '\n';
  if (result.opened) {
    const Configuration& c = reader.configuration();
    const RecordForm& form = reader.form();
    out << t::kRevision << ": " << RevisionText(c.revision);
    if (!c.revision_text.empty() && c.revision_text != RevisionText(c.revision))
      out << " («" << reader.Utf8(c.revision_text) << "»)";
    out << '\n';
    out << t::kEncoding << ": " << EncodingName(c.encoding) << " ("
        << (form.encoding_detected ? t::kEncodingFound : t::kEncodingGiven) << ")\n";
    out << t::kFileType << ": " << FileTypeText(c.file_type) << (form.cff ? ", .cff" : "") << '\n';
    out << t::kStation << ": " << reader.Utf8(c.station) << ", " << reader.Utf8(c.recording_device)
        << '\n';
    out << t::kChannels << ": " << c.analog.size() << ' ' << t::kAnalog << ", " << c.digital.size()
        << ' ' << t::kDigital << '\n';
    out << t::kRates << ':';
    for (const SampleRate& rate : c.rates) {
      if (rate.rate.value > 0)
        out << ' ' << Number(rate.rate.value) << " (1.." << rate.last_sample << ")";
      else
        out << ' ' << t::kFromStamps << " (.." << rate.last_sample << ")";
    }
    out << '\n';
    out << t::kSamples << ": " << result.samples << " (" << t::kAnnounced << ' '
        << reader.announced_samples() << ")\n";
    out << t::kStart << ": " << MomentText(c.start) << '\n';
    out << t::kTrigger << ": " << MomentText(c.trigger) << '\n';
    if (result.first_us && result.last_us)
      out << t::kDuration << ": " << Seconds((*result.last_us - *result.first_us) / 1e6) << '\n';
  }
  for (const Diagnostic& d : result.diagnostics.all) {
    out << SeverityText(d.severity) << ": " << d.file;
    if (d.line > 0) out << ':' << d.line;
    if (d.field > 0) out << ':' << d.field;
    out << ": [" << d.code << "] " << d.text << '\n';
  }
  out << (result.status == 0   ? t::kConforms
          : result.status == 1 ? t::kDeparts
                               : t::kUnreadable)
      << '\n';
}

void PrintJson(const RecordReader& reader, const CheckResult& result, std::ostream& out) {
  const Configuration& c = reader.configuration();
  auto text = [&reader](const std::string& field) { return batch::JsonString(reader.Utf8(field)); };
  out << "{\"status\":" << result.status << ",\"readable\":" << (result.opened ? "true" : "false");
  if (result.opened) {
    out << ",\"revision\":\"" << RevisionText(c.revision)
        << "\",\"revision_text\":" << text(c.revision_text) << ",\"encoding\":\""
        << EncodingName(c.encoding) << "\",\"file_type\":\"" << FileTypeText(c.file_type)
        << "\",\"cff\":" << (reader.form().cff ? "true" : "false")
        << ",\"station\":" << text(c.station) << ",\"device\":" << text(c.recording_device)
        << ",\"samples\":" << result.samples
        << ",\"announced_samples\":" << reader.announced_samples()
        << ",\"line_frequency\":" << Number(c.line_frequency.value) << ",\"rates\":[";
    for (std::size_t i = 0; i < c.rates.size(); ++i)
      out << (i ? "," : "") << "{\"rate\":" << Number(c.rates[i].rate.value)
          << ",\"last_sample\":" << c.rates[i].last_sample << '}';
    out << "],\"start\":" << batch::JsonString(MomentText(c.start))
        << ",\"trigger\":" << batch::JsonString(MomentText(c.trigger));
    if (result.first_us && result.last_us)
      out << ",\"duration_s\":" << Seconds((*result.last_us - *result.first_us) / 1e6);
    out << ",\"time_multiplier\":" << Number(c.time_multiplier.value) << ",\"analog\":[";
    for (std::size_t i = 0; i < c.analog.size(); ++i) {
      const AnalogChannelInfo& a = c.analog[i];
      out << (i ? "," : "") << "{\"index\":" << a.index << ",\"id\":" << text(a.id)
          << ",\"phase\":" << text(a.phase) << ",\"circuit\":" << text(a.circuit)
          << ",\"unit\":" << text(a.unit) << ",\"a\":" << Number(a.a.value)
          << ",\"b\":" << Number(a.b.value) << ",\"primary\":" << Number(a.primary.value)
          << ",\"secondary\":" << Number(a.secondary.value) << ",\"ps\":" << text(a.ps) << '}';
    }
    out << "],\"digital\":[";
    for (std::size_t i = 0; i < c.digital.size(); ++i) {
      const DigitalChannelInfo& d = c.digital[i];
      out << (i ? "," : "") << "{\"index\":" << d.index << ",\"id\":" << text(d.id)
          << ",\"normal\":" << Number(d.normal.value) << '}';
    }
    out << ']';
  }
  out << ",\"diagnostics\":[";
  for (std::size_t i = 0; i < result.diagnostics.all.size(); ++i) {
    const Diagnostic& d = result.diagnostics.all[i];
    // File names come as the file system spells them; only the texts are ours.
    out << (i ? "," : "") << "{\"severity\":\"" << SeverityName(d.severity) << "\",\"code\":\""
        << d.code << "\",\"file\":" << batch::JsonString(ToUtf8(d.file, TextEncoding::kUtf8))
        << ",\"line\":" << d.line << ",\"field\":" << d.field
        << ",\"text\":" << batch::JsonString(d.text) << '}';
  }
  out << "]}\n";
}

}  // namespace

std::string_view CheckHelp() {
  return kCheckHelp;
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::optional<std::string> path;
  bool json = false;
  ReadOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--json") {
      json = true;
    } else if (args[i] == "--encoding" && i + 1 < args.size()) {
      options.encoding = EncodingByName(args[++i]);
      if (!options.encoding) {
        err << t::kUnknownEncoding << ": " << args[i] << '\n' << kCheckHelp;
        return kExitUsage;
      }
    } else if (!path && !args[i].starts_with("--")) {
      path = args[i];
    } else {
      err << kCheckHelp;
      return kExitUsage;
    }
  }
  if (!path) {
    err << kCheckHelp;
    return kExitUsage;
  }
  CheckResult result;
  RecordReader reader(result.diagnostics);
  result.opened = reader.Open(*path, options);
  if (result.opened) {
    reader.CheckRest(result.first_us, result.last_us);
    result.samples = reader.samples_read();
  }
  result.status = 0;
  for (const Diagnostic& d : result.diagnostics.all)
    if (d.severity != Severity::kNote) result.status = 1;
  if (!result.opened || reader.failed()) result.status = 2;
  if (json)
    PrintJson(reader, result, out);
  else
    PrintText(reader, result, *path, out);
  return result.status;
}

}  // namespace velk
