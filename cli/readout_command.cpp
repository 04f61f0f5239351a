#include "cli/readout_command.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "batch/batch_plan.h"
#include "cli/cli_texts.h"
#include "cli/picture_command.h"
#include "comtrade/ascii_case.h"
#include "picture/analysis.h"
#include "picture/comtrade_source.h"
#include "picture/record_picture.h"
#include "platform/platform.h"

namespace velk {
namespace {

constexpr std::string_view kReadoutHelp =
    "  velk-convert readout RECORD.flh|RECORD.txt [RECORD.txt] --at MS [--to MS]\n"
    "  velk-convert readout FILE.cfg|FILE.cff --at MS [--to MS]\n"
    "                       [--reference NAME] [--primary|--secondary] [--json]\n"
    "      что курсор A (и B) читает на записи: значения, RMS, векторы, гармоники 2..7,\n"
    "      симметричные составляющие, состояния сигналов\n"
    "      what cursor A (and B) reads off the record: values, RMS, phasors,\n"
    "      harmonics 2..7, symmetrical components, signal states\n"
    "      --at, --to    мс от первого отсчета / ms from the first sample\n"
    "      --reference   канал отсчета углов (первый) / the channel angles are\n"
    "                    taken from (the first)\n"
    "      --primary, --secondary  первичные или вторичные значения (без них:\n"
    "                    как в файле) / primary or secondary values (without\n"
    "                    either: as the file gives them)\n"
    "      --json        ответ в JSON / the answer as JSON\n";

constexpr std::string_view kNoChannel = "нет такого канала / no such channel: ";
constexpr std::string_view kPrimaryValues = "первичные значения / primary values";
constexpr std::string_view kSecondaryValues = "вторичные значения / secondary values";
constexpr std::string_view kOutsideRecord = "время вне записи / the time lies outside the record: ";
constexpr std::string_view kRecordLasts = "запись длится от 0 до / the record lasts from 0 to ";

struct ReadoutOptions {
  PictureRecords records;
  std::string comtrade;  // a COMTRADE record instead of ours
  std::optional<double> at_ms, to_ms;
  std::optional<std::string> reference;  // UTF-8, as typed
  bool json = false;
  std::optional<bool> primary;  // the side the file gives when not asked
};

std::optional<double> Milliseconds(const std::string& text) {
  double value = 0;
  const auto done = std::from_chars(text.data(), text.data() + text.size(), value);
  if (done.ec != std::errc{} || done.ptr != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<ReadoutOptions> Parse(const std::vector<std::string>& args) {
  ReadoutOptions options;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (arg == "--json") {
      options.json = true;
    } else if (arg == "--primary" || arg == "--secondary") {
      options.primary = arg == "--primary";
    } else if ((arg == "--at" || arg == "--to") && has_value) {
      const auto ms = Milliseconds(args[++i]);
      if (!ms) return std::nullopt;
      (arg == "--at" ? options.at_ms : options.to_ms) = *ms;
    } else if (arg == "--reference" && has_value) {
      options.reference = args[++i];
    } else if (arg.starts_with("--")) {
      return std::nullopt;
    } else {
      files.push_back(arg);
    }
  }
  if (!options.at_ms) return std::nullopt;
  if (files.size() == 2 && EndsWithNoCase(files[0], ".flh") && EndsWithNoCase(files[1], ".txt")) {
    options.records = {FullPath(files[0]), FullPath(files[1])};
  } else if (files.size() == 1 && IsComtradePath(files[0])) {
    options.comtrade = FullPath(files[0]);
  } else if (files.size() == 1 && EndsWithNoCase(files[0], ".flh")) {
    options.records.analog = FullPath(files[0]);
  } else if (files.size() == 1 && EndsWithNoCase(files[0], ".txt")) {
    options.records.discrete = FullPath(files[0]);
  } else {
    return std::nullopt;
  }
  return options;
}

// ---- JSON ----

std::string Number(double value) {
  if (!std::isfinite(value)) return "null";
  std::array<char, 40> text{};
  const auto done = std::to_chars(text.data(), text.data() + text.size(), value);
  return std::string(text.data(), done.ptr);
}

std::string Number(const std::optional<double>& value) {
  return value ? Number(*value) : "null";
}

std::string PhasorJson(const Phasor& phasor) {
  return "{\"magnitude\": " + Number(phasor.magnitude) +
         ", \"angle_deg\": " + Number(phasor.angle_deg) + "}";
}

// The keys of the clock time at each cursor, where the record gives one.
std::string ClockJson(const RecordPicture& picture, const TwoCursors& two, bool both) {
  const ClockStart start = picture.clock_start();
  std::string json;
  if (const std::optional<std::string> at = ClockIso(start, two.a.readout.time_ms))
    json += "  \"clock\": \"" + *at + "\",\n";
  if (const std::optional<std::string> to = ClockIso(start, two.b.readout.time_ms); both && to)
    json += "  \"clock_to\": \"" + *to + "\",\n";
  return json;
}

std::string CursorJson(const RecordPicture& picture, const CursorAnalysis& at, bool primary,
                       const std::string& indent, const std::string& clock = {}) {
  const CursorReadout& readout = at.readout;
  std::string json = "{\n" + indent + "  \"time_ms\": " + Number(readout.time_ms) + ",\n" + clock;
  json += indent + "  \"sample\": " +
          (readout.sample >= 0 ? std::to_string(readout.sample) : std::string("null")) + ",\n";
  json += indent + "  \"cycle_samples\": " +
          (at.cycle_samples ? std::to_string(*at.cycle_samples) : std::string("null")) + ",\n";
  json += indent + "  \"channels\": [";
  const auto& channels = picture.channels();
  for (std::size_t c = 0; c < channels.size(); ++c) {
    json += c == 0 ? "\n" : ",\n";
    json += indent + "    {\"name\": " + batch::JsonString(channels[c].name) +
            ", \"unit\": " + batch::JsonString(channels[c].OnSide(primary).unit) +
            ", \"value\": " + Number(readout.values[c]) + ", \"rms\": " + Number(readout.rms[c]);
    const auto& phasors = at.phasors[c];
    json += ", \"phasor\": " + (phasors ? PhasorJson(phasors->phasor) : std::string("null"));
    json += ", \"harmonics\": ";
    if (phasors) {
      json += "[";
      for (std::size_t h = 0; h < phasors->harmonics.size(); ++h)
        json += (h ? ", " : "") + Number(phasors->harmonics[h]);
      json += "]";
    } else {
      json += "null";
    }
    json += "}";
  }
  json += (channels.empty() ? "],\n" : "\n" + indent + "  ],\n");
  json += indent + "  \"sequences\": [";
  for (std::size_t s = 0; s < at.sequences.size(); ++s) {
    const SequenceComponents& sequence = at.sequences[s];
    json += s == 0 ? "\n" : ",\n";
    json += indent + "    {\"set\": [";
    for (std::size_t p = 0; p < 3; ++p)
      json += (p ? ", " : "") +
              batch::JsonString(channels[static_cast<std::size_t>(sequence.set.channels[p])].name);
    json += "], \"positive\": " + PhasorJson(sequence.positive) +
            ", \"negative\": " + PhasorJson(sequence.negative) +
            ", \"zero\": " + (sequence.zero ? PhasorJson(*sequence.zero) : std::string("null")) +
            "}";
  }
  json += (at.sequences.empty() ? "],\n" : "\n" + indent + "  ],\n");
  json += indent + "  \"signals\": [";
  const auto& signals = picture.discrete_signals();
  for (std::size_t s = 0; s < signals.size(); ++s) {
    json += s == 0 ? "\n" : ",\n";
    json += indent + "    {\"name\": " + batch::JsonString(signals[s].name) +
            ", \"active\": " + (readout.states[s] ? "true" : "false") + "}";
  }
  json += (signals.empty() ? "]\n" : "\n" + indent + "  ]\n");
  return json + indent + "}";
}

std::string Json(const RecordPicture& picture, const TwoCursors& two, bool both, bool primary) {
  std::string json = CursorJson(picture, two.a, primary, "", ClockJson(picture, two, both));
  json.pop_back();  // the closing brace: the side, B and the differences follow A's keys
  while (json.back() == '\n') json.pop_back();
  json += ",\n  \"side\": " + std::string(primary ? "\"primary\"" : "\"secondary\"");
  if (!both) return json + "\n}\n";
  json += ",\n  \"b\": " + CursorJson(picture, two.b, primary, "  ");
  json += ",\n  \"delta_ms\": " + Number(two.delta_ms);
  json += ",\n  \"delta_cycles\": " + Number(two.delta_cycles);
  json += ",\n  \"delta\": [";
  const auto& channels = picture.channels();
  for (std::size_t c = 0; c < channels.size(); ++c)
    json += std::string(c ? ", " : "") + "{\"name\": " + batch::JsonString(channels[c].name) +
            ", \"value\": " + Number(two.delta[c]) + "}";
  return json + "]\n}\n";
}

// ---- text ----

std::string Fixed(const std::optional<double>& value, int decimals) {
  if (!value || !std::isfinite(*value)) return "-";
  // What rounds to zero is shown as 0, never as -0.
  const double shown = std::abs(*value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : *value;
  std::array<char, 64> text{};
  const auto done = std::to_chars(text.data(), text.data() + text.size(), shown,
                                  std::chars_format::fixed, decimals);
  return std::string(text.data(), done.ptr);
}

std::string Angle(const std::optional<double>& degrees) {
  return Fixed(degrees ? std::optional<double>(ShownAngle(*degrees, 1)) : std::nullopt, 1);
}

std::string Text(const RecordPicture& picture, const CursorAnalysis& at, bool primary,
                 std::string_view label) {
  const CursorReadout& readout = at.readout;
  std::string text = std::string(label) + ": " + Fixed(readout.time_ms, 3) + " мс / ms";
  if (readout.sample >= 0) text += ", отсчет / sample " + std::to_string(readout.sample);
  text += "\n";
  const auto& channels = picture.channels();
  for (std::size_t c = 0; c < channels.size(); ++c) {
    text += "  " + channels[c].name + ", " + channels[c].OnSide(primary).unit + ": " +
            Fixed(readout.values[c], 3) + "  RMS " + Fixed(readout.rms[c], 3);
    if (const auto& p = at.phasors[c]) {
      text += "  |X1| " + Fixed(p->phasor.magnitude, 3) + " < " + Angle(p->phasor.angle_deg) +
              "°  h2..h7 %";
      for (const auto& h : p->harmonics) text += " " + Fixed(h, 1);
    }
    text += "\n";
  }
  for (const SequenceComponents& s : at.sequences) {
    text += "  ";
    for (std::size_t p = 0; p < 3; ++p)
      text += (p ? ", " : "") + channels[static_cast<std::size_t>(s.set.channels[p])].name;
    text += ": X1 " + Fixed(s.positive.magnitude, 3) + " < " + Angle(s.positive.angle_deg) +
            "°  X2 " + Fixed(s.negative.magnitude, 3) + " < " + Angle(s.negative.angle_deg) + "°";
    if (s.zero)
      text += "  3X0 " + Fixed(3 * s.zero->magnitude, 3) + " < " + Angle(s.zero->angle_deg) + "°";
    text += "\n";
  }
  const auto& signals = picture.discrete_signals();
  for (std::size_t s = 0; s < signals.size(); ++s)
    text += "  " + signals[s].name + ": " + (readout.states[s] ? "1" : "0") + "\n";
  return text;
}

}  // namespace

std::string_view ReadoutHelp() {
  return kReadoutHelp;
}

int RunReadout(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::optional<ReadoutOptions> options = Parse(args);
  if (!options) {
    err << kReadoutHelp;
    return kExitUsage;
  }
  const std::unique_ptr<RecordPicture> opened =
      OpenShownRecord(options->comtrade, options->records, err);
  if (!opened) return kExitHeaderRejected;
  const RecordPicture& picture = *opened;
  int reference = 0;
  if (options->reference) {
    const std::optional<int> found = ChannelNamed(picture, *options->reference);
    if (!found) {
      err << kNoChannel << *options->reference << '\n';
      return kExitUsage;
    }
    reference = *found;
  }
  const bool both = options->to_ms.has_value();
  for (const double ms : {*options->at_ms, options->to_ms.value_or(*options->at_ms)}) {
    if (ms >= 0 && ms <= picture.DurationMs()) continue;
    err << kOutsideRecord << Fixed(ms, 3) << " мс / ms; " << kRecordLasts
        << Fixed(picture.DurationMs(), 3) << " мс / ms\n";
    return kExitUsage;
  }
  const bool primary = options->primary.value_or(FileSidePrimary(picture.channels()));
  const TwoCursors two = AnalyseBetween(
      picture, *options->at_ms, options->to_ms.value_or(*options->at_ms), primary, reference);
  if (options->json) {
    out << Json(picture, two, both, primary);
  } else {
    out << (primary ? kPrimaryValues : kSecondaryValues) << '\n';
    out << Text(picture, two.a, primary, "A");
    if (both) {
      out << Text(picture, two.b, primary, "B");
      out << "Δt = B − A: " << Fixed(two.delta_ms, 3) << " мс / ms, " << Fixed(two.delta_cycles, 3)
          << " периода / cycles\n";
      const auto& channels = picture.channels();
      for (std::size_t c = 0; c < channels.size(); ++c)
        out << "  " << channels[c].name << ": " << Fixed(two.delta[c], 3) << '\n';
    }
  }
  return kExitConverted;
}

}  // namespace velk
