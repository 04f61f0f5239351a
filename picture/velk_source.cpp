// Reading our records for their picture: the checks a conversion runs, the
// channel lines of the analog record, the discrete states as steps, and the
// analog samples in one pass into their summary.
#include "picture/velk_source.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "analog/analog_record.h"
#include "analog/channel_tables.h"
#include "combined/state_grid.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "discrete/digital_pair.h"
#include "discrete/discrete_record.h"
#include "picture/sample_summary.h"

namespace velk {
namespace {

// Collects nothing: the picture reports only its outcome.
class QuietReporter : public Reporter {
 public:
  void Report(const Outcome&) override {}
};

// The field of a channel line after `commas` commas, up to the next comma.
std::string_view Field(std::string_view line, int commas) {
  for (int i = 0; i < commas; ++i) {
    const auto comma = line.find(',');
    if (comma == std::string_view::npos) return {};
    line.remove_prefix(comma + 1);
  }
  return line.substr(0, line.find(','));
}

// A number of a channel line as a COMTRADE reader takes it.
double Number(std::string_view text) {
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

// A channel as its line in the configuration file describes it (the line in
// code page 1251, the names taken into UTF-8).
PictureChannel ChannelOfLine(std::string_view line) {
  PictureChannel channel;
  channel.name = Cp1251ToUtf8(Field(line, 1));
  channel.unit = Cp1251ToUtf8(Field(line, 4));
  channel.multiplier = Number(Field(line, 5));
  channel.offset = Number(Field(line, 6));
  channel.primary = Number(Field(line, 10));
  channel.secondary = Number(Field(line, 11));
  channel.values_primary = Field(line, 12).starts_with('P');
  channel.ratio = channel.secondary != 0 ? channel.primary / channel.secondary : 1.0;
  channel.largest = 32767;
  PhaseOfName(channel.name, channel.phase, channel.circuit);
  return channel;
}

// The least and greatest of each of the words w0..w7 over some samples.
struct SampleWords {
  std::array<std::int16_t, 8> min, max;
};

// The words before any sample: every min above every max.
SampleWords NoWords() {
  SampleWords words;
  words.min.fill(std::numeric_limits<std::int16_t>::max());
  words.max.fill(std::numeric_limits<std::int16_t>::min());
  return words;
}

void AddWords(SampleWords& to, const SampleWords& more) {
  for (std::size_t w = 0; w < 8; ++w) {
    to.min[w] = std::min(to.min[w], more.min[w]);
    to.max[w] = std::max(to.max[w], more.max[w]);
  }
}

// The min/max of the words of count samples at bytes: eight words a sample,
// side by side, which the compiler handles in one vector register.
SampleWords BlockMinMax(const unsigned char* bytes, std::int64_t count) {
  static_assert(std::endian::native == std::endian::little);  // the words as stored
  SampleWords words = NoWords();
  for (std::int64_t n = 0; n < count; ++n, bytes += kSampleSize) {
    std::array<std::int16_t, 8> sample;
    std::memcpy(sample.data(), bytes, sizeof sample);
    for (std::size_t w = 0; w < 8; ++w) {
      words.min[w] = std::min(words.min[w], sample[w]);
      words.max[w] = std::max(words.max[w], sample[w]);
    }
  }
  return words;
}

}  // namespace

void PhaseOfName(const std::string& name, std::string& phase, std::string& circuit) {
  phase.clear();
  circuit.clear();
  std::string_view token(name);
  if (const auto space = token.rfind(' '); space != std::string_view::npos)
    token.remove_prefix(space + 1);
  std::string_view suffix;
  if (const auto mark = token.find('_'); mark != std::string_view::npos) {
    suffix = token.substr(mark);
    token = token.substr(0, mark);
  }
  // A unit in brackets after the name: "VA(kV)".
  if (const auto bracket = token.find('(');
      bracket != std::string_view::npos && token.ends_with(')'))
    token = token.substr(0, bracket);
  std::size_t digits = 0;
  while (digits < token.size() && token[digits] >= '0' && token[digits] <= '9') ++digits;
  const std::string_view prefix = token.substr(0, digits);
  token.remove_prefix(digits);
  if (token.empty() || (token.front() != 'I' && token.front() != 'U' && token.front() != 'V'))
    return;
  const std::string_view letters = token.substr(1);
  if (letters == "0") {
    phase = "N";
    return;
  }
  // The phase, line phases before single ones, and after it at most three
  // capitals or digits that name the circuit: "IAL", "IBX".
  const auto circuit_mark = [](std::string_view rest) {
    return rest.size() <= 3 && std::all_of(rest.begin(), rest.end(), [](char c) {
             return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
           });
  };
  std::string_view rest = letters;
  for (const std::string_view known : {"AB", "BC", "CA", "A", "B", "C"})
    if (letters.starts_with(known) && circuit_mark(letters.substr(known.size()))) {
      phase = std::string(known);
      rest = letters.substr(known.size());
      break;
    }
  if (phase.empty()) rest = {};
  circuit = std::string(prefix) + std::string(rest) + std::string(suffix);
}

struct VelkReader {
  VelkSource& source;
  SourceLayout& layout = source.layout_;
  InFile& flh = source.opened_;  // the analog record, open from its channels to its last sample

  // The analog record's channels from its header and channel lines. Returns
  // its samples, or nothing when it cannot be read.
  std::optional<std::int64_t> ReadChannels(const AnalogHeader& header) {
    std::array<std::uint8_t, kCalibrationSize> block{};
    if (!flh.Open(source.records_.analog) || !flh.Seek(0) ||
        !flh.ReadExact(block.data(), block.size()))
      return std::nullopt;
    const DeviceType& type = DeviceTypeFor(header.DeviceTypeANL);
    for (const std::string& line : AnalogChannelLines(type, ReadCalibration(block, type.layout)))
      layout.channels.push_back(ChannelOfLine(line));
    source.words_.assign(type.words.begin(), type.words.begin() + type.analog_count);
    layout.station = Cp1251ToUtf8(header.StationNameANL);
    layout.device_type = Cp1251ToUtf8(DeviceTypeText(header));
    source.record_size_ = flh.Size();
    if (!IsValidFlhSize(source.record_size_)) return std::nullopt;
    return SampleCountOf(source.record_size_);
  }

  // The discrete record's names and, alone, its states at their own times.
  void DiscreteAlone(DiscreteTables& tables) {
    TakeNames(tables);
    StatusWords status;
    // An event pair without a time word is at the start (time 0) wherever it
    // stands; its state is drawn at the time of the state before it, so that
    // the steps keep the order of time.
    double latest = 0;
    ForEachStateDIS(tables, status, [this, &latest](std::int32_t time, StatusWords& state) {
      latest = std::max(latest, static_cast<double>(time));
      AddStates(latest, state);
      return true;
    });
    layout.duration_ms = latest;
  }

  // The discrete record's states on the grid of an analog record of `samples`
  // samples, as the combined pair holds them. Returns the samples the pair
  // holds: its last state covers one sample and ends it.
  std::int64_t DiscreteOnGrid(DiscreteTables& tables, std::int64_t samples) {
    TakeNames(tables);
    std::vector<std::pair<std::int32_t, StatusWords>> states;
    StatusWords walk;
    ForEachStateDIS(tables, walk, [&states](std::int32_t time, StatusWords& state) {
      states.emplace_back(time, state);
      return true;
    });
    std::size_t next = 0;  // the state the grid takes next
    StatusWords status;
    status.words.assign(static_cast<std::size_t>(StatusWordCount(tables.NameCount())), 0);
    const auto take = [&](StatusWords& into) -> std::int32_t {
      if (next < states.size()) into.words = states[next].second.words;
      ++next;
      return next < states.size() ? states[next].first : -1;
    };
    std::int64_t held = 0;
    const auto lay = [this, &status, &held](std::int64_t first, std::int64_t count) {
      AddStates(static_cast<double>(first - 1) * kSampleStepMs, status);
      held = first + count - 1;
      return true;
    };
    LayStatesOnGrid(samples, states.empty() ? 0 : states.front().first, status, take, lay);
    return held;
  }

  void TakeNames(DiscreteTables& tables) {
    for (std::string name : tables.names) {
      if (name.starts_with('~')) name[0] = ' ';  // the drop-out mark is not part of the name
      const auto first = name.find_first_not_of(' ');
      const auto last = name.find_last_not_of(' ');
      layout.digital.push_back({first == std::string::npos
                                    ? std::string()
                                    : Cp1251ToUtf8(name.substr(first, last - first + 1)),
                                {}});
    }
  }

  // A step for each signal whose state at time_ms differs from its last one.
  void AddStates(double time_ms, const StatusWords& status) {
    for (std::size_t c = 0; c < layout.digital.size(); ++c) {
      const std::size_t word = c / 16;
      const bool active =
          word < status.words.size() && ((unsigned{status.words[word]} >> (c % 16)) & 1u) != 0;
      std::vector<SignalStep>& steps = layout.digital[c].steps;
      if (steps.empty() || steps.back().active != active) steps.push_back({time_ms, active});
    }
  }
};

VelkOpening VelkSource::Open(const PictureRecords& records) {
  std::unique_ptr<VelkSource> source(new VelkSource);
  source->records_ = records;
  SourceLayout& layout = source->layout_;
  // Our devices sample at 800 Hz on a 50 Hz line: 16 samples a cycle.
  layout.timing = SourceTiming(50.0, {{1000.0 / kSampleStepMs, 0}});
  VelkReader reader{*source, layout};

  std::optional<AnalogHeader> header;
  if (!records.analog.empty()) {
    AnalogHeaderCheck check = ReadAnalogHeader(records.analog);
    if (!check.outcome.ok()) return {check.outcome, false, nullptr};
    header = check.header;
    layout.moment = check.header.Moment();
  }
  if (!records.discrete.empty()) {
    const DiscreteCheck check = CheckDiscreteRecord(records.discrete);
    if (!check.outcome.ok()) return {check.outcome, false, nullptr};
    if (header && !StartsAgree(layout.moment, check.moment)) return {{}, true, nullptr};
    if (!header) layout.moment.year = std::string(kUnknownYear);
    Overlay(layout.moment, check.moment);
  }
  std::int64_t samples = 0;
  const Outcome damaged{Failure::kDamaged, records.analog};
  if (header) {
    const std::optional<std::int64_t> read = reader.ReadChannels(*header);
    if (!read) return {damaged, false, nullptr};
    samples = *read;
  }
  if (!records.discrete.empty()) {
    QuietReporter quiet;
    DiscreteRecord read = ReadDiscreteRecord(records.discrete, quiet);
    if (!read.outcome.ok()) return {read.outcome, false, nullptr};
    if (header) {
      samples = reader.DiscreteOnGrid(read.tables, samples);
    } else {
      reader.DiscreteAlone(read.tables);
    }
  }
  if (header) {
    // A record cut since its channels were read is damaged.
    if (reader.flh.Size() != source->record_size_) return {damaged, false, nullptr};
    layout.samples = samples;
    layout.timing = SourceTiming(50.0, {{1000.0 / kSampleStepMs, samples}});
    layout.duration_ms =
        static_cast<double>(std::max<std::int64_t>(0, samples - 1)) * kSampleStepMs;
  }
  return {{}, false, std::move(source)};
}

bool VelkSource::Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const {
  out.clear();
  const std::size_t channels = words_.size();
  out.reserve(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)) * channels);
  InFile flh;
  if (!flh.Open(records_.analog) || flh.Size() != record_size_ ||
      !flh.Seek(kHeaderSize + first * kSampleSize))
    return false;
  for (std::int64_t n = 0; n < count; ++n) {
    const unsigned char* sample = flh.Take(kSampleSize);
    if (sample == nullptr) return false;
    for (std::size_t c = 0; c < channels; ++c)
      out.push_back(static_cast<std::int16_t>(LittleU16(sample + 2 * words_[c])));
  }
  return true;
}

bool VelkSource::Summarize(SampleSummary& summary) const {
  summary.Reserve(layout_.samples);
  InFile& flh = opened_;
  const bool read = SumSamples(flh, summary);
  flh.Close();
  return read;
}

bool VelkSource::SumSamples(InFile& flh, SampleSummary& summary) const {
  const std::int64_t samples = layout_.samples;
  if (!flh.IsOpen() && !flh.Open(records_.analog)) return false;
  if (flh.Size() != record_size_ || !flh.Seek(kHeaderSize)) return false;
  std::array<MinMax, kMaxAnalogChannels> block_channels{};
  const std::int64_t base = summary.base_block();
  SampleWords block = NoWords();
  std::int64_t in_block = 0;
  // Samples are taken a run at a time, as the conversions take them; a block
  // longer than a run gathers the words of several.
  constexpr std::int64_t kRun = 2048;
  for (std::int64_t done = 0; done < samples;) {
    const std::int64_t run = std::min(kRun, samples - done);
    const unsigned char* bytes = flh.Take(static_cast<std::size_t>(run * kSampleSize));
    if (bytes == nullptr) return false;
    for (std::int64_t first = 0; first < run;) {
      const std::int64_t count = std::min(base - in_block, run - first);
      AddWords(block, BlockMinMax(bytes + first * kSampleSize, count));
      first += count;
      in_block += count;
      if (in_block < base && done + first < samples) continue;
      for (std::size_t c = 0; c < words_.size(); ++c)
        block_channels[c] = {static_cast<float>(block.min[words_[c]]),
                             static_cast<float>(block.max[words_[c]])};
      summary.AddBlock({block_channels.data(), words_.size()}, in_block);
      block = NoWords();
      in_block = 0;
    }
    done += run;
  }
  summary.Finish();
  return true;
}

}  // namespace velk
