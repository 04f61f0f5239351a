// Reading a record into its picture: the checks a conversion runs, one pass
// over the analog samples into their summary, the discrete states as steps.
#include "picture/record_picture.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "analog/analog_record.h"
#include "analog/channel_tables.h"
#include "combined/state_grid.h"
#include "comtrade/file_io.h"
#include "discrete/digital_pair.h"
#include "discrete/discrete_record.h"

namespace velk {

bool PictureSignal::ActiveAt(double time_ms) const {
  const auto after =
      std::upper_bound(steps.begin(), steps.end(), time_ms,
                       [](double time, const SignalStep& step) { return time < step.time_ms; });
  if (after == steps.begin()) return !steps.empty() && steps.front().active;
  return std::prev(after)->active;
}

// ---- the summary ----

void SampleSummary::AddBlock(std::span<const MinMax> channels, std::int64_t samples) {
  if (levels_.empty()) levels_.emplace_back();
  levels_.front().insert(levels_.front().end(), channels.begin(), channels.end());
  samples_ += samples;
}

void SampleSummary::Reserve(std::int64_t samples) {
  if (levels_.empty()) levels_.emplace_back();
  const std::int64_t blocks = (std::max<std::int64_t>(samples, 0) + kBaseBlock - 1) / kBaseBlock;
  levels_.front().reserve(static_cast<std::size_t>(blocks * channels_));
}

void SampleSummary::Finish() {
  if (levels_.empty()) levels_.emplace_back();
  const auto width = static_cast<std::size_t>(channels_);
  while (width > 0 && levels_.back().size() > width) {
    const std::vector<MinMax>& finer = levels_.back();
    std::vector<MinMax> coarser;
    const std::size_t finer_blocks = finer.size() / width;
    coarser.reserve((finer_blocks / kFanOut + 1) * width);
    for (std::size_t b = 0; b < finer_blocks; b += kFanOut) {
      const std::size_t end = std::min(finer_blocks, b + kFanOut);
      for (std::size_t c = 0; c < width; ++c) {
        MinMax m = finer[b * width + c];
        for (std::size_t f = b + 1; f < end; ++f) {
          m.min = std::min(m.min, finer[f * width + c].min);
          m.max = std::max(m.max, finer[f * width + c].max);
        }
        coarser.push_back(m);
      }
    }
    levels_.push_back(std::move(coarser));
  }
  for (auto& level : levels_) level.shrink_to_fit();
}

std::int64_t SampleSummary::BlockSamples(int level) {
  std::int64_t samples = kBaseBlock;
  for (int l = 0; l < level; ++l) samples *= kFanOut;
  return samples;
}

std::int64_t SampleSummary::Blocks(int level) const {
  if (channels_ == 0 || level < 0 || level >= levels()) return 0;
  return static_cast<std::int64_t>(levels_[static_cast<std::size_t>(level)].size()) / channels_;
}

MinMax SampleSummary::At(int level, std::int64_t block, int channel) const {
  return levels_[static_cast<std::size_t>(level)]
                [static_cast<std::size_t>(block * channels_ + channel)];
}

std::size_t SampleSummary::Bytes() const {
  std::size_t bytes = sizeof(*this);
  for (const auto& level : levels_) bytes += level.capacity() * sizeof(MinMax);
  return bytes;
}

// ---- reading the records ----

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

// A channel as its line in the configuration file describes it.
PictureChannel ChannelOfLine(std::string_view line) {
  PictureChannel channel;
  channel.name = std::string(Field(line, 1));
  channel.unit = std::string(Field(line, 4));
  channel.multiplier = Number(Field(line, 5));
  const double primary = Number(Field(line, 10)), secondary = Number(Field(line, 11));
  channel.ratio = secondary != 0 ? primary / secondary : 1.0;
  return channel;
}

}  // namespace

namespace {

// The least and greatest of each of the words w0..w7 over some samples.
struct SampleWords {
  std::array<std::int16_t, 8> min, max;
};

// The min/max of the words of count samples at bytes: eight words a sample,
// side by side, which the compiler handles in one vector register.
SampleWords BlockMinMax(const unsigned char* bytes, std::int64_t count) {
  static_assert(std::endian::native == std::endian::little);  // the words as stored
  SampleWords words;
  words.min.fill(std::numeric_limits<std::int16_t>::max());
  words.max.fill(std::numeric_limits<std::int16_t>::min());
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

struct PictureBuilder {
  RecordPicture& picture;
  InFile flh;  // the analog record, open from its channels to its last sample

  // The analog record's channels from its header and channel lines. Returns
  // its samples, or nothing when it cannot be read.
  std::optional<std::int64_t> ReadChannels(const AnalogHeader& header) {
    std::array<std::uint8_t, kCalibrationSize> block{};
    if (!flh.Open(picture.records_.analog) || !flh.Seek(0) ||
        !flh.ReadExact(block.data(), block.size()))
      return std::nullopt;
    const DeviceType& type = DeviceTypeFor(header.DeviceTypeANL);
    for (const std::string& line : AnalogChannelLines(type, ReadCalibration(block, type.layout)))
      picture.channels_.push_back(ChannelOfLine(line));
    picture.words_.assign(type.words.begin(), type.words.begin() + type.analog_count);
    picture.station_ = header.StationNameANL;
    picture.device_type_ = DeviceTypeText(header);
    picture.record_size_ = flh.Size();
    if (!IsValidFlhSize(picture.record_size_)) return std::nullopt;
    return SampleCountOf(picture.record_size_);
  }

  // The first `samples` samples into the summary, from the record ReadChannels
  // opened: a record cut meanwhile is damaged.
  bool SumSamples(std::int64_t samples) {
    if (flh.Size() != picture.record_size_ || !Summarize(samples)) return false;
    picture.duration_ms_ =
        static_cast<double>(std::max<std::int64_t>(0, samples - 1)) * kSampleStepMs;
    return true;
  }

  bool Summarize(std::int64_t samples) {
    const int channels = static_cast<int>(picture.channels_.size());
    picture.summary_ = SampleSummary(channels);
    picture.summary_.Reserve(samples);
    picture.peaks_.assign(static_cast<std::size_t>(channels), 0);
    if (!flh.Seek(kHeaderSize)) return false;
    std::array<MinMax, kMaxAnalogChannels> block_channels{};
    // Samples are taken a run of blocks at a time, as the conversions take them.
    constexpr std::int64_t kRun = 64 * SampleSummary::kBaseBlock;
    for (std::int64_t done = 0; done < samples;) {
      const std::int64_t run = std::min(kRun, samples - done);
      const unsigned char* bytes = flh.Take(static_cast<std::size_t>(run * kSampleSize));
      if (bytes == nullptr) return false;
      for (std::int64_t first = 0; first < run; first += SampleSummary::kBaseBlock) {
        const std::int64_t count = std::min(SampleSummary::kBaseBlock, run - first);
        const SampleWords words = BlockMinMax(bytes + first * kSampleSize, count);
        for (std::size_t c = 0; c < picture.words_.size(); ++c)
          block_channels[c] = {words.min[picture.words_[c]], words.max[picture.words_[c]]};
        picture.summary_.AddBlock({block_channels.data(), picture.words_.size()}, count);
      }
      done += run;
    }
    picture.summary_.Finish();
    const SampleSummary& summary = picture.summary_;
    const int top = summary.levels() - 1;
    for (std::int64_t b = 0; b < summary.Blocks(top); ++b)
      for (int c = 0; c < channels; ++c) {
        const MinMax m = summary.At(top, b, c);
        int& peak = picture.peaks_[static_cast<std::size_t>(c)];
        peak = std::max({peak, std::abs(int{m.min}), std::abs(int{m.max})});
      }
    return true;
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
    picture.duration_ms_ = latest;
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
      picture.signals_.push_back(
          {first == std::string::npos ? std::string() : name.substr(first, last - first + 1), {}});
    }
  }

  // A step for each signal whose state at time_ms differs from its last one.
  void AddStates(double time_ms, const StatusWords& status) {
    for (std::size_t c = 0; c < picture.signals_.size(); ++c) {
      const std::size_t word = c / 16;
      const bool active =
          word < status.words.size() && ((unsigned{status.words[word]} >> (c % 16)) & 1u) != 0;
      std::vector<SignalStep>& steps = picture.signals_[c].steps;
      if (steps.empty() || steps.back().active != active) steps.push_back({time_ms, active});
    }
  }
};

PictureOpening RecordPicture::Open(const PictureRecords& records) {
  PictureOpening opening;
  std::unique_ptr<RecordPicture> picture(new RecordPicture);
  picture->records_ = records;
  PictureBuilder builder{*picture, {}};

  std::optional<AnalogHeader> header;
  if (!records.analog.empty()) {
    AnalogHeaderCheck check = ReadAnalogHeader(records.analog);
    if (!check.outcome.ok()) return {check.outcome, false, nullptr};
    header = check.header;
    picture->moment_ = check.header.Moment();
  }
  if (!records.discrete.empty()) {
    const DiscreteCheck check = CheckDiscreteRecord(records.discrete);
    if (!check.outcome.ok()) return {check.outcome, false, nullptr};
    if (header && !StartsAgree(picture->moment_, check.moment)) return {{}, true, nullptr};
    if (!header) picture->moment_.year = std::string(kUnknownYear);
    Overlay(picture->moment_, check.moment);
  }
  std::int64_t samples = 0;
  const Outcome damaged{Failure::kDamaged, records.analog};
  if (header) {
    const std::optional<std::int64_t> read = builder.ReadChannels(*header);
    if (!read) return {damaged, false, nullptr};
    samples = *read;
  }
  if (!records.discrete.empty()) {
    QuietReporter quiet;
    DiscreteRecord read = ReadDiscreteRecord(records.discrete, quiet);
    if (!read.outcome.ok()) return {read.outcome, false, nullptr};
    if (header) {
      samples = builder.DiscreteOnGrid(read.tables, samples);
    } else {
      builder.DiscreteAlone(read.tables);
    }
  }
  if (header && !builder.SumSamples(samples)) return {damaged, false, nullptr};
  opening.picture = std::move(picture);
  return opening;
}

int RecordPicture::Peak(int channel) const {
  return peaks_.at(static_cast<std::size_t>(channel));
}

bool RecordPicture::ReadSamples(std::int64_t first, std::int64_t count,
                                std::vector<std::int16_t>& out) const {
  out.clear();
  if (changed_) return false;
  const std::int64_t total = sample_count();
  first = std::clamp<std::int64_t>(first, 0, total);
  count = std::clamp<std::int64_t>(count, 0, total - first);
  // Whole blocks of the summary's finest level are read, so that each can be
  // compared with what the summary holds of it.
  const std::int64_t block = SampleSummary::kBaseBlock;
  const std::int64_t begin = first / block * block;
  const std::int64_t end = std::min(total, (first + count + block - 1) / block * block);
  const auto channels = static_cast<std::size_t>(summary_.channels());
  std::vector<std::int16_t> read;
  read.reserve(static_cast<std::size_t>(end - begin) * channels);
  InFile flh;
  bool same = flh.Open(records_.analog) && flh.Size() == record_size_ &&
              flh.Seek(kHeaderSize + begin * kSampleSize);
  std::array<MinMax, kMaxAnalogChannels> seen{};
  for (std::int64_t n = begin; same && n < end; ++n) {
    const unsigned char* sample = flh.Take(kSampleSize);
    if (sample == nullptr) {
      same = false;
      break;
    }
    for (std::size_t c = 0; c < channels; ++c) {
      const auto value = static_cast<std::int16_t>(LittleU16(sample + 2 * words_[c]));
      read.push_back(value);
      if ((n - begin) % block == 0) seen[c] = {value, value};
      seen[c] = {std::min(seen[c].min, value), std::max(seen[c].max, value)};
    }
    if ((n + 1) % block == 0 || n + 1 == end) {
      for (std::size_t c = 0; c < channels; ++c) {
        const MinMax held = summary_.At(0, n / block, static_cast<int>(c));
        same = same && held.min == seen[c].min && held.max == seen[c].max;
      }
    }
  }
  if (!same) {
    changed_ = true;
    return false;
  }
  const auto skip = static_cast<std::size_t>(first - begin) * channels;
  out.assign(read.begin() + static_cast<std::ptrdiff_t>(skip),
             read.begin() +
                 static_cast<std::ptrdiff_t>(skip + static_cast<std::size_t>(count) * channels));
  return true;
}

// ---- the cursor ----

std::int64_t SampleAt(const RecordPicture& picture, double time_ms) {
  if (picture.sample_count() == 0) return -1;
  const double sample = std::round(time_ms / kSampleStepMs);
  return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::clamp(sample, -1.0, 9.0e15)), 0,
                                  picture.sample_count() - 1);
}

CursorReadout ReadCursor(const RecordPicture& picture, double time_ms, bool primary) {
  CursorReadout readout;
  readout.time_ms = time_ms;
  readout.sample = SampleAt(picture, time_ms);
  const auto channels = picture.channels().size();
  readout.values.assign(channels, std::nullopt);
  readout.rms.assign(channels, std::nullopt);
  if (readout.sample >= 0) {
    readout.time_ms = static_cast<double>(readout.sample) * kSampleStepMs;
    const std::int64_t first = std::max<std::int64_t>(0, readout.sample - kCycleSamples + 1);
    const std::int64_t count = readout.sample - first + 1;
    std::vector<std::int16_t> samples;
    if (picture.ReadSamples(first, count, samples)) {
      for (std::size_t c = 0; c < channels; ++c) {
        const PictureChannel& channel = picture.channels()[c];
        double squares = 0;
        for (std::int64_t n = 0; n < count; ++n) {
          const double value =
              channel.Value(samples[static_cast<std::size_t>(n) * channels + c], primary);
          squares += value * value;
        }
        readout.values[c] =
            channel.Value(samples[static_cast<std::size_t>(count - 1) * channels + c], primary);
        readout.rms[c] = std::sqrt(squares / static_cast<double>(count));
      }
    }
  }
  for (const PictureSignal& signal : picture.discrete_signals())
    readout.states.push_back(signal.ActiveAt(readout.time_ms));
  return readout;
}

}  // namespace velk
