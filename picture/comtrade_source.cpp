// Reading a COMTRADE record for its picture: its configuration into the
// picture's channels, signals and timing, its data once into the summary.
#include "picture/comtrade_source.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "comtrade/ascii_case.h"
#include "comtrade/file_io.h"
#include "comtrade/record_reader.h"
#include "picture/record_picture.h"
#include "picture/velk_source.h"

namespace velk {
namespace {

// Keeps nothing: a span read again was read whole once, and told then.
class QuietSink : public DiagnosticSink {
 public:
  void Report(const Diagnostic&) override {}
};

// The phase of a channel line's ph field as the sets of three phases take it:
// "A", "B", "C", "AB", "BC", "CA", "N", or empty for anything else.
std::string PhaseOfField(const std::string& field) {
  std::string phase;
  for (const char c : field)
    if (c != ' ') phase += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  for (const char* known : {"A", "B", "C", "AB", "BC", "CA", "N"})
    if (phase == known) return phase;
  return {};
}

// Days from 1970-01-01 to a date of the Gregorian calendar.
std::int64_t DaysOf(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t of_era = y - era * 400;
  const std::int64_t of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  return era * 146097 + of_era * 365 + of_era / 4 - of_era / 100 + of_year - 719468;
}

double MomentMs(const CfgMoment& m) {
  const std::int64_t minutes = (DaysOf(m.year, m.month, m.day) * 24 + m.hour) * 60 + m.minute;
  return static_cast<double>(minutes) * 60000.0 + static_cast<double>(m.nanoseconds) / 1e6;
}

// The first error the reader told, else its first finding.
Diagnostic FirstError(const DiagnosticList& list) {
  for (const Diagnostic& d : list.all)
    if (d.severity == Severity::kError) return d;
  if (!list.all.empty()) return list.all.front();
  return {Severity::kError, "internal", "", 0, 0, "Запись не читается"};
}

PictureChannel ChannelOf(const RecordReader& reader, const AnalogChannelInfo& info) {
  PictureChannel channel;
  channel.name = reader.Utf8(info.id);
  channel.unit = reader.Utf8(info.unit);
  channel.circuit = reader.Utf8(info.circuit);
  channel.phase = PhaseOfField(info.phase);
  // Our own pairs leave the phase field empty: their names tell the phase.
  if (channel.phase.empty()) {
    std::string circuit;
    PhaseOfName(channel.name, channel.phase, circuit);
    if (channel.circuit.empty()) channel.circuit = circuit;
  }
  channel.multiplier = info.a.value;
  channel.offset = info.b.value;
  channel.primary = info.primary.value;
  channel.secondary = info.secondary.value;
  channel.values_primary = !info.ps.empty() && (info.ps[0] == 'P' || info.ps[0] == 'p');
  channel.ratio = channel.secondary != 0 ? channel.primary / channel.secondary : 1.0;
  switch (reader.configuration().file_type) {
    case DataFileType::kBinary:
      channel.largest = 32767;
      break;
    case DataFileType::kBinary32:
      channel.largest = 2147483647.0;
      break;
    case DataFileType::kAscii:
    case DataFileType::kFloat32:
      channel.largest = std::numeric_limits<float>::max();
      break;
  }
  return channel;
}

// The samples a record's data file holds, as far as its configuration and
// size tell before it is read: the announced count, but no more than fit.
std::int64_t ExpectedSamples(const RecordReader& reader, const std::string& dat_path,
                             std::int64_t record_size) {
  const Configuration& cfg = reader.configuration();
  InFile dat;
  const std::int64_t bytes = dat.Open(dat_path) ? dat.Size() : 0;
  // An ASCII sample takes a digit and a comma or line end a field at least.
  const std::int64_t least_size =
      cfg.file_type == DataFileType::kAscii
          ? 2 * (2 + static_cast<std::int64_t>(cfg.analog.size() + cfg.digital.size()))
          : record_size;
  const std::int64_t fit = least_size > 0 ? bytes / least_size : 0;
  const std::int64_t announced = reader.announced_samples();
  return announced > 0 ? std::min(announced, fit) : fit;
}

}  // namespace

std::string ErrorText(const Diagnostic& diagnostic) {
  std::string text = diagnostic.file;
  if (diagnostic.line > 0) text += ":" + std::to_string(diagnostic.line);
  return (text.empty() ? std::string() : text + ": ") + diagnostic.text;
}

bool IsComtradePath(const std::string& path) {
  return EndsWithNoCase(path, ".cfg") || EndsWithNoCase(path, ".cff");
}

// The least and the greatest stored value of each channel over binary
// samples taken as they lie in a buffer, kept in the words' own type so that
// the loops over a run of samples need no test per value. A missing word is
// the type's least value: it never is the greatest unless all are missing,
// and where it comes out least, that channel's least is sought again
// without it.
struct RawMinMax {
  DataFileType type = DataFileType::kBinary;
  std::size_t channels = 0;
  std::vector<std::int16_t> low16 = {}, high16 = {}, part_low16 = {}, part_high16 = {};
  std::vector<std::int32_t> low32 = {}, high32 = {}, part_low32 = {}, part_high32 = {};
  std::vector<float> low_float = {}, high_float = {};
  bool seen = false;  // some word went in since Reset

  void Reset() {
    if (type == DataFileType::kBinary) {
      Clear(low16, high16);
    } else if (type == DataFileType::kBinary32) {
      Clear(low32, high32);
    } else {
      low_float.assign(channels, std::numeric_limits<float>::infinity());
      high_float.assign(channels, -std::numeric_limits<float>::infinity());
    }
    seen = false;
  }
  // The words of `records` samples at `first` (record_size bytes each, the
  // words from the ninth byte on).
  void Add(const unsigned char* first, std::size_t records, std::size_t record_size) {
    seen = seen || records > 0;
    if (type == DataFileType::kBinary) {
      AddWords(first, records, record_size, part_low16, part_high16, low16, high16);
    } else if (type == DataFileType::kBinary32) {
      AddWords(first, records, record_size, part_low32, part_high32, low32, high32);
    } else {
      for (std::size_t n = 0; n < records; ++n) AddFloats(first + n * record_size + 8);
    }
  }
  // Channel c's least and greatest value; false when it has none.
  bool Get(std::size_t c, double& low, double& high) const {
    if (type == DataFileType::kBinary) {
      if (high16[c] == std::numeric_limits<std::int16_t>::min()) return false;
      low = low16[c];
      high = high16[c];
    } else if (type == DataFileType::kBinary32) {
      if (high32[c] == std::numeric_limits<std::int32_t>::min()) return false;
      low = low32[c];
      high = high32[c];
    } else {
      if (!(low_float[c] <= high_float[c])) return false;
      low = low_float[c];
      high = high_float[c];
    }
    return true;
  }

 private:
  template <typename Word>
  void Clear(std::vector<Word>& low, std::vector<Word>& high) const {
    low.assign(channels, std::numeric_limits<Word>::max());
    high.assign(channels, std::numeric_limits<Word>::min());
  }
  // The samples' least and greatest words first on their own, missing words
  // and all; then into low and high.
  template <typename Word>
  void AddWords(const unsigned char* first, std::size_t records, std::size_t record_size,
                std::vector<Word>& part_low, std::vector<Word>& part_high, std::vector<Word>& low,
                std::vector<Word>& high) const {
    static_assert(std::endian::native == std::endian::little);  // the words as stored
    constexpr Word kMissing = std::numeric_limits<Word>::min();
    Clear(part_low, part_high);
    std::size_t c = 0;
#if defined(__GNUC__)
    // Four vectors of channels at a time, then one.
    c = WordGroupsMinMax<4>(first, records, record_size, c, part_low.data(), part_high.data());
    c = WordGroupsMinMax<1>(first, records, record_size, c, part_low.data(), part_high.data());
#endif
    WordsOneByOne(first, records, record_size, c, part_low.data(), part_high.data());
    for (c = 0; c < channels; ++c) {
      if (part_high[c] == kMissing) continue;  // every word of the channel missing
      if (part_low[c] == kMissing) part_low[c] = LeastPresent<Word>(first, records, record_size, c);
      low[c] = std::min(low[c], part_low[c]);
      high[c] = std::max(high[c], part_high[c]);
    }
  }
#if defined(__GNUC__)
  // Channels [c, channels) in groups of Vectors vector registers, each
  // group's least and greatest kept in registers while the samples pass.
  // Written with the compiler's vector types: the plain loop's arrays were
  // kept in memory and stored back at every sample. Returns the first
  // channel left over.
  template <std::size_t Vectors, typename Word>
  std::size_t WordGroupsMinMax(const unsigned char* first, std::size_t records,
                               std::size_t record_size, std::size_t c, Word* low,
                               Word* high) const {
    using Vector [[gnu::vector_size(16)]] = Word;
    constexpr std::size_t kGroup = Vectors * (16 / sizeof(Word));
    for (; c + kGroup <= channels; c += kGroup) {
      Vector lo[Vectors], hi[Vectors];
      std::memcpy(lo, low + c, sizeof lo);
      std::memcpy(hi, high + c, sizeof hi);
      const unsigned char* at = first + 8 + c * sizeof(Word);
      for (std::size_t n = 0; n < records; ++n, at += record_size) {
        for (std::size_t k = 0; k < Vectors; ++k) {
          Vector v;
          std::memcpy(&v, at + 16 * k, sizeof v);
          lo[k] = v < lo[k] ? v : lo[k];
          hi[k] = v > hi[k] ? v : hi[k];
        }
      }
      std::memcpy(low + c, lo, sizeof lo);
      std::memcpy(high + c, hi, sizeof hi);
    }
    return c;
  }
#endif
  // Channel after channel, from c on.
  template <typename Word>
  void WordsOneByOne(const unsigned char* first, std::size_t records, std::size_t record_size,
                     std::size_t c, Word* low, Word* high) const {
    for (; c < channels; ++c) {
      const unsigned char* at = first + 8 + c * sizeof(Word);
      for (std::size_t n = 0; n < records; ++n, at += record_size) {
        Word v;
        std::memcpy(&v, at, sizeof v);
        low[c] = std::min(low[c], v);
        high[c] = std::max(high[c], v);
      }
    }
  }
  // The least word of channel c that is not missing, of a channel that holds one.
  template <typename Word>
  static Word LeastPresent(const unsigned char* first, std::size_t records, std::size_t record_size,
                           std::size_t c) {
    Word least = std::numeric_limits<Word>::max();
    const unsigned char* at = first + 8 + c * sizeof(Word);
    for (std::size_t n = 0; n < records; ++n, at += record_size) {
      Word v;
      std::memcpy(&v, at, sizeof v);
      if (v != std::numeric_limits<Word>::min()) least = std::min(least, v);
    }
    return least;
  }
  void AddFloats(const unsigned char* at) {
    for (std::size_t c = 0; c < channels; ++c) {
      const float v = std::bit_cast<float>(static_cast<std::uint32_t>(LittleI32(at + 4 * c)));
      if (!std::isfinite(v)) continue;
      high_float[c] = std::max(high_float[c], v);
      low_float[c] = std::min(low_float[c], v);
    }
  }
};

// Whether the time stamps of a record timed by its rates agree with them:
// every sample has a stamp, and within each rate the stamps keep to that
// rate's steps (within 1 % of a step, or the stamps' own resolution). The
// step into a rate's first sample may be of either rate, which the rates
// alone cannot tell: where the stamps agree, each rate starts at its first
// sample's stamp.
class RateStamps {
 public:
  RateStamps(const std::vector<RateSegment>& rates, double unit_us)
      : rates_(rates), unit_us_(unit_us) {
    // One rate has nothing for the stamps to place: they are not looked at.
    agree_ = rates_.size() > 1 && unit_us > 0;
    for (std::size_t k = 0; k < rates_.size(); ++k)
      agree_ = agree_ && rates_[k].rate_hz > 0 &&
               rates_[k].last_sample > (k ? rates_[k - 1].last_sample : 0);
  }

  // Sample n (counted from 0, one after another) with its stamp.
  void Add(std::int64_t n, std::optional<double> stamp_us) {
    if (!agree_) return;
    if (!stamp_us || !std::isfinite(*stamp_us)) {
      agree_ = false;
      return;
    }
    const double us = *stamp_us;
    if (n == 0) {
      first_us_ = segment_us_ = previous_us_ = us;
      return;
    }
    const double step = 1e6 / rates_[segment_].rate_hz;
    if (segment_ + 1 < rates_.size() && n >= rates_[segment_].last_sample) {
      const double next_step = 1e6 / rates_[segment_ + 1].rate_hz;
      const double into = us - previous_us_;
      agree_ = Near(into, step, step) || Near(into, next_step, next_step);
      ++segment_;
      segment_first_ = n;
      segment_us_ = us;
      starts_ms_.push_back((us - first_us_) / 1000);
    } else {
      agree_ = Near(us - segment_us_, static_cast<double>(n - segment_first_) * step, step);
    }
    previous_us_ = us;
  }

  // The rates with each later rate's start where the stamps place it: when
  // the record has more than one rate and its stamps agree with them.
  std::optional<std::vector<RateSegment>> Rates() const {
    if (!agree_ || starts_ms_.size() + 1 != rates_.size()) return std::nullopt;
    std::vector<RateSegment> rates = rates_;
    for (std::size_t k = 1; k < rates.size(); ++k) rates[k].start_ms = starts_ms_[k - 1];
    return rates;
  }

 private:
  bool Near(double us, double expected, double step) const {
    return std::abs(us - expected) <= std::max(0.01 * step, unit_us_);
  }

  std::vector<RateSegment> rates_;
  double unit_us_;
  bool agree_ = false;
  std::size_t segment_ = 0;
  std::int64_t segment_first_ = 0;
  double first_us_ = 0, segment_us_ = 0, previous_us_ = 0;
  std::vector<double> starts_ms_;
};

// The one pass of the opening over the data.
struct ComtradePass {
  ComtradeSource& source;
  const RecordReader& reader;
  SampleSummary summary;
  std::vector<MinMax> block = {};  // of each channel over the samples of the block so far
  // The least and the greatest value of each channel in the block so far, as
  // read: the same, once turned to single precision, as the least and the
  // greatest of the values each turned.
  std::vector<double> least = {}, greatest = {};
  std::int64_t in_block = 0;

  // A record timed by its stamps: the runs of equal steps.
  struct Run {
    std::int64_t first = 0;
    double first_ms = 0;
  };
  std::vector<Run> runs = {};
  bool too_many_runs = false;

  void AddValues(const Sample& sample) {
    const std::size_t channels = sample.analog.size();
    PrepareChannels(channels);
    const double* values = sample.analog.data();
    if (!sample.any_missing) {
      // Most samples: one loop without a test per value.
      for (std::size_t c = 0; c < channels; ++c) {
        least[c] = std::min(least[c], values[c]);
        greatest[c] = std::max(greatest[c], values[c]);
      }
    } else {
      for (std::size_t c = 0; c < channels; ++c) {
        if (sample.analog_missing[c]) continue;
        least[c] = std::min(least[c], values[c]);
        greatest[c] = std::max(greatest[c], values[c]);
      }
    }
    if (++in_block == base) FlushValues();
  }
  // Binary samples straight from the reader's buffer.
  RawMinMax raw = {};
  std::int64_t base = SampleSummary::kBaseBlock;  // samples of a block of level 0

  void PrepareChannels(std::size_t channels) {
    if (block.size() == channels && raw.channels == channels) return;
    block.assign(channels, MinMax{});
    least.assign(channels, std::numeric_limits<double>::infinity());
    greatest.assign(channels, -std::numeric_limits<double>::infinity());
    raw = RawMinMax{source.file_type_, channels};
    raw.Reset();
  }
  // The values of `records` samples at `first` into the block, and on into
  // the summary block by block.
  void AddRawRun(const unsigned char* first, std::size_t records) {
    const auto record = static_cast<std::size_t>(source.record_size_);
    while (records > 0) {
      const std::size_t part = std::min(records, static_cast<std::size_t>(base - in_block));
      raw.Add(first, part, record);
      first += part * record;
      records -= part;
      in_block += static_cast<std::int64_t>(part);
      if (in_block == base) FlushValues();
    }
  }
  // What the raw words of the block add to least and greatest.
  void MergeRaw() {
    if (!raw.seen) return;
    for (std::size_t c = 0; c < least.size(); ++c) {
      double low = 0, high = 0;
      if (!raw.Get(c, low, high)) continue;
      least[c] = std::min(least[c], low);
      greatest[c] = std::max(greatest[c], high);
    }
    raw.Reset();
  }

  void FlushValues() {
    if (in_block == 0) return;
    MergeRaw();
    for (std::size_t c = 0; c < block.size(); ++c) {
      block[c] = MinMax{};
      if (least[c] <= greatest[c])
        block[c] = {static_cast<float>(least[c]), static_cast<float>(greatest[c])};
      least[c] = std::numeric_limits<double>::infinity();
      greatest[c] = -std::numeric_limits<double>::infinity();
    }
    summary.AddBlock(block, in_block);
    in_block = 0;
  }

  // A signal's change of state at its sample's time. Where the stamps step
  // back, the change is drawn at the time of the one before it: the steps
  // stay in time order, as the states at a time are looked up in them.
  static void AddStep(std::vector<SignalStep>& steps, double time_ms, bool active) {
    if (!steps.empty() && steps.back().active == active) return;
    steps.push_back({steps.empty() ? time_ms : std::max(time_ms, steps.back().time_ms), active});
  }

  // The status words of `records` binary samples at `first`: a signal's
  // steps change only where a word differs from the one before, so a
  // sample's time (time_of its place in the run) is asked only there.
  std::vector<std::uint16_t> words = {};
  bool words_known = false;  // words holds the sample before's
  // How many of `records` status words at `at` (record bytes apart) in a
  // row equal those of the sample before.
  std::size_t Unchanged(const unsigned char* at, std::size_t records, std::size_t record) const {
    if (!words_known) return 0;
    if (words.size() == 1) {
      // Up to sixteen signals: one word, held in a register while the samples pass.
      const std::uint16_t before = words[0];
      std::size_t i = 0;
      for (; i < records; ++i, at += record)
        if (LittleU16(at) != before) break;
      return i;
    }
    for (std::size_t i = 0; i < records; ++i, at += record)
      for (std::size_t w = 0; w < words.size(); ++w)
        if (LittleU16(at + 2 * w) != words[w]) return i;
    return records;
  }
  template <typename TimeOf>
  void AddRawStates(const unsigned char* first, std::size_t records, const TimeOf& time_of) {
    auto& digital = source.layout_.digital;
    const std::size_t count = (digital.size() + 15) / 16;
    if (count == 0) return;
    if (words.size() != count) words.assign(count, 0);
    const auto record = static_cast<std::size_t>(source.record_size_);
    const std::size_t words_at = record - 2 * count;
    const unsigned char* at = first + words_at;
    for (std::size_t i = 0; i < records; ++i, at += record) {
      const std::size_t same = Unchanged(at, records - i, record);
      i += same;
      at += same * record;
      if (i == records) break;
      const double time_ms = time_of(i);
      for (std::size_t w = 0; w < count; ++w) {
        const auto word = static_cast<std::uint16_t>(LittleU16(at + 2 * w));
        if (words_known && word == words[w]) continue;
        for (std::size_t d = 16 * w; d < std::min(digital.size(), 16 * w + 16); ++d) {
          AddStep(digital[d].steps, time_ms, ((word >> (d - 16 * w)) & 1u) != 0);
        }
      }
      for (std::size_t w = 0; w < count; ++w)
        words[w] = static_cast<std::uint16_t>(LittleU16(at + 2 * w));
      words_known = true;
    }
  }

  void AddStates(const Sample& sample, double time_ms) {
    words_known = false;
    auto& digital = source.layout_.digital;
    for (std::size_t d = 0; d < digital.size() && d < sample.digital.size(); ++d)
      AddStep(digital[d].steps, time_ms, sample.digital[d] != 0);
  }

  // Sample n at time_ms, taken after the one at previous_ms: it stays in the
  // run while its step keeps to the run's mean step within 1 %.
  void AddStamp(std::int64_t n, double time_ms, double previous_ms) {
    const double step = time_ms - previous_ms;
    if (runs.empty()) {
      runs.push_back({0, 0});
      return;
    }
    const Run& run = runs.back();
    if (n - 1 == run.first || !(step > 0)) return;  // the run's first step, or a step back
    const double mean = (previous_ms - run.first_ms) / static_cast<double>(n - 1 - run.first);
    if (std::abs(step - mean) <= 0.01 * mean) return;
    if (runs.size() >= ComtradeSource::kMaxStampRuns) {
      too_many_runs = true;
      return;
    }
    // The new run starts at the sample before: its steps are from there on.
    runs.push_back({n - 1, previous_ms});
  }

  // The rates of the runs, as the record's rate lines would give them.
  std::vector<RateSegment> StampRates(std::int64_t samples, double last_ms) const {
    std::vector<RateSegment> rates;
    const auto rate_of = [](double span_ms, std::int64_t steps) {
      return span_ms > 0 && steps > 0 ? 1000.0 * static_cast<double>(steps) / span_ms : 1000.0;
    };
    if (too_many_runs || runs.size() <= 1) {
      rates.push_back({rate_of(last_ms, samples - 1), samples});
      return rates;
    }
    // Run k steps from its first sample to the next run's first; the sample
    // after that is the first of the next rate.
    for (std::size_t k = 0; k < runs.size(); ++k) {
      const bool last = k + 1 == runs.size();
      const std::int64_t to = last ? samples - 1 : runs[k + 1].first;
      const double to_ms = last ? last_ms : runs[k + 1].first_ms;
      rates.push_back({rate_of(to_ms - runs[k].first_ms, to - runs[k].first), to + 1});
    }
    return rates;
  }
};

ComtradeOpening ComtradeSource::Open(const std::string& path, std::int64_t max_base_pairs) {
  DiagnosticList told;
  RecordReader reader(told);
  // The summary's pass finds missing words itself; the reader need not look.
  ReadOptions options;
  options.note_missing_in_runs = false;
  if (!reader.Open(path, options)) return {nullptr, FirstError(told)};
  std::unique_ptr<ComtradeSource> source(new ComtradeSource);
  source->path_ = path;
  const Configuration& cfg = reader.configuration();
  SourceLayout& layout = source->layout_;
  layout.station = reader.Utf8(cfg.station);
  layout.device_type = reader.Utf8(cfg.recording_device);
  layout.moment = cfg.start.text;
  layout.start_fraction = cfg.start.fraction;
  if (cfg.start.valid && cfg.trigger.valid)
    layout.trigger_ms = MomentMs(cfg.trigger) - MomentMs(cfg.start);
  for (const AnalogChannelInfo& info : cfg.analog)
    layout.channels.push_back(ChannelOf(reader, info));
  for (const DigitalChannelInfo& info : cfg.digital)
    layout.digital.push_back({reader.Utf8(info.id), {}});
  source->binary_ = cfg.file_type != DataFileType::kAscii;
  const std::int64_t value_size = cfg.file_type == DataFileType::kBinary ? 2 : 4;
  source->record_size_ = 8 + value_size * static_cast<std::int64_t>(cfg.analog.size()) +
                         2 * static_cast<std::int64_t>((cfg.digital.size() + 15) / 16);
  source->first_position_ = reader.data_position();
  source->dat_path_ = reader.form().dat_path;
  source->file_type_ = cfg.file_type;
  bool from_rates = false;
  for (const SampleRate& rate : cfg.rates) from_rates = from_rates || rate.rate.value > 0;

  // The summary's blocks follow the record's length, and its room is made at
  // once rather than grown and copied along the way: as many samples as
  // announced, but never more than the data file can hold.
  const auto channels = static_cast<int>(cfg.analog.size());
  const std::int64_t samples = ExpectedSamples(reader, source->dat_path_, source->record_size_);
  layout.words16 = cfg.file_type == DataFileType::kBinary;
  ComtradePass pass{
      *source, reader,
      SampleSummary(channels, SampleSummary::BaseBlockFor(samples, channels, max_base_pairs),
                    layout.words16)};
  pass.base = pass.summary.base_block();
  if (source->binary_) pass.summary.Reserve(samples);
  Sample sample;
  std::vector<double> run_times, run_ms;
  std::int64_t n = 0;
  std::optional<double> first_us;
  double time_ms = 0, previous_ms = 0;
  // A record timed by its rates alone: the times of a run of samples are
  // worked out only where a signal changes.
  const bool by_rates = reader.timed_by_rates();
  const double rate_start_us = by_rates ? reader.RateTimeUs(1) : 0;
  std::vector<RateSegment> rates;
  for (const SampleRate& rate : cfg.rates) rates.push_back({rate.rate.value, rate.last_sample});
  RateStamps stamps(by_rates ? rates : std::vector<RateSegment>{}, cfg.time_multiplier.value);
  while (true) {
    if (!source->binary_ && n % kIndexSamples == 0)
      source->ascii_places_.push_back({reader.data_position(), reader.data_line()});
    // Whole samples straight from the reader's buffer; Next reads where it stops.
    const unsigned char* bytes = nullptr;
    const std::size_t run =
        source->binary_ ? reader.NextRun(bytes, by_rates ? nullptr : &run_times) : 0;
    if (run > 0) {
      pass.PrepareChannels(cfg.analog.size());
      pass.AddRawRun(bytes, run);
      if (by_rates) {
        if (!first_us) first_us = rate_start_us;
        const std::int64_t at = n;
        const auto time_of = [&](std::size_t i) {
          return (reader.RateTimeUs(at + static_cast<std::int64_t>(i) + 1) - rate_start_us) /
                 1000.0;
        };
        pass.AddRawStates(bytes, run, time_of);
        time_ms = time_of(run - 1);
        for (std::size_t i = 0; i < run; ++i) {
          const auto bits = static_cast<std::uint32_t>(
              LittleI32(bytes + i * static_cast<std::size_t>(source->record_size_) + 4));
          stamps.Add(at + static_cast<std::int64_t>(i),
                     bits != 0xFFFFFFFFu ? std::optional<double>(bits * cfg.time_multiplier.value)
                                         : std::nullopt);
        }
      } else {
        run_ms.resize(run);
        for (std::size_t i = 0; i < run; ++i) {
          previous_ms = time_ms;
          const double us = run_times[i];
          if (!std::isnan(us) && !first_us) first_us = us;
          const std::int64_t k = n + static_cast<std::int64_t>(i);
          time_ms = !std::isnan(us) ? (us - *first_us) / 1000.0 : previous_ms + (k ? 1 : 0);
          run_ms[i] = time_ms;
          if (!from_rates) pass.AddStamp(k, time_ms, previous_ms);
        }
        pass.AddRawStates(bytes, run, [&](std::size_t i) { return run_ms[i]; });
      }
      n += static_cast<std::int64_t>(run);
      continue;
    }
    if (!reader.Next(sample)) break;
    previous_ms = time_ms;
    if (sample.time_us && !first_us) first_us = *sample.time_us;
    // Without a rate or a stamp a sample is taken a millisecond after the one before.
    time_ms = sample.time_us ? (*sample.time_us - *first_us) / 1000.0 : previous_ms + (n ? 1 : 0);
    pass.AddValues(sample);
    pass.AddStates(sample, time_ms);
    stamps.Add(n, sample.stamp_us);
    if (!from_rates) pass.AddStamp(n, time_ms, previous_ms);
    ++n;
  }
  if (reader.failed()) return {nullptr, FirstError(told)};
  pass.FlushValues();
  pass.summary.Finish();
  if (!source->ascii_places_.empty() &&
      (static_cast<std::int64_t>(source->ascii_places_.size()) - 1) * kIndexSamples >= n)
    source->ascii_places_.pop_back();

  layout.samples = n;
  if (!from_rates) rates = pass.StampRates(n, time_ms);
  layout.timing = SourceTiming(cfg.line_frequency.value, rates);
  // Where the stamps place the rates, the signals' steps, timed by the rates,
  // go to their samples' stamps too.
  if (std::optional<std::vector<RateSegment>> stamped = stamps.Rates()) {
    const SourceTiming rated = layout.timing;
    layout.timing = SourceTiming(cfg.line_frequency.value, std::move(*stamped));
    for (PictureSignal& signal : layout.digital)
      for (SignalStep& step : signal.steps)
        step.time_ms = layout.timing.TimeMs(std::llround(rated.Position(step.time_ms)));
  }
  layout.duration_ms = n > 0 ? layout.timing.TimeMs(n - 1) : 0;
  source->summary_ = std::move(pass.summary);
  return {std::move(source), {}};
}

bool ComtradeSource::Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const {
  out.clear();
  if (first < 0 || count < 0 || first + count > layout_.samples) return false;
  if (count == 0) return true;  // also of a record without samples, which keeps no place
  if (binary_) return ReadBinary(first, count, out);
  QuietSink quiet;
  RecordReader reader(quiet);
  if (!reader.Open(path_)) return false;
  std::int64_t at = first;
  {
    const auto place = static_cast<std::size_t>(first / kIndexSamples);
    if (place >= ascii_places_.size()) return false;
    at = static_cast<std::int64_t>(place) * kIndexSamples;
    if (!reader.Resume(ascii_places_[place].position, ascii_places_[place].line, at)) return false;
  }
  out.reserve(static_cast<std::size_t>(count) * layout_.channels.size());
  Sample sample;
  for (; at < first + count; ++at) {
    if (!reader.Next(sample)) return false;
    if (at < first) continue;
    for (std::size_t c = 0; c < sample.analog.size(); ++c)
      out.push_back(sample.analog_missing[c] ? std::numeric_limits<double>::quiet_NaN()
                                             : sample.analog[c]);
  }
  return true;
}

// Binary samples are read straight from the data file, as the reader
// decodes them: a missing value (0x8000, 0x80000000, a FLOAT32 value that is
// no number or infinite) is NaN.
bool ComtradeSource::ReadBinary(std::int64_t first, std::int64_t count,
                                std::vector<double>& out) const {
  const std::size_t channels = layout_.channels.size();
  out.resize(static_cast<std::size_t>(count) * channels);
  InFile dat;
  if (!dat.Open(dat_path_) || !dat.Seek(first_position_ + first * record_size_)) return false;
  constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
  double* to = out.data();
  // One loop for each form, so that a sample's values decode without a test of the form.
  for (std::int64_t n = 0; n < count; ++n, to += channels) {
    const unsigned char* sample = dat.Take(static_cast<std::size_t>(record_size_));
    if (sample == nullptr) {
      out.clear();
      return false;
    }
    const unsigned char* at = sample + 8;
    if (file_type_ == DataFileType::kBinary) {
      for (std::size_t c = 0; c < channels; ++c) {
        const auto v = static_cast<std::int16_t>(LittleU16(at + 2 * c));
        to[c] = v == std::numeric_limits<std::int16_t>::min() ? kMissing : v;
      }
    } else if (file_type_ == DataFileType::kBinary32) {
      for (std::size_t c = 0; c < channels; ++c) {
        const std::int32_t v = LittleI32(at + 4 * c);
        to[c] = v == std::numeric_limits<std::int32_t>::min() ? kMissing : v;
      }
    } else {
      for (std::size_t c = 0; c < channels; ++c) {
        const float v = std::bit_cast<float>(static_cast<std::uint32_t>(LittleI32(at + 4 * c)));
        to[c] = std::isfinite(v) ? v : kMissing;
      }
    }
  }
  return true;
}

// Binary spans straight from the words of the data file, as the summary's
// pass took them.
bool ComtradeSource::SpanMinMax(std::span<const std::int64_t> bounds,
                                std::vector<MinMax>& out) const {
  if (!binary_ || bounds.size() < 2) return RecordSource::SpanMinMax(bounds, out);
  const std::size_t channels = layout_.channels.size();
  out.assign((bounds.size() - 1) * channels, MinMax{});
  InFile dat;
  if (!std::is_sorted(bounds.begin(), bounds.end()) || bounds.front() < 0 ||
      bounds.back() > layout_.samples || !dat.Open(dat_path_) ||
      !dat.Seek(first_position_ + bounds.front() * record_size_))
    return false;
  RawMinMax raw{file_type_, channels};
  const auto record = static_cast<std::size_t>(record_size_);
  constexpr std::int64_t kTake = 2048;  // samples taken from the file at once, at most
  for (std::size_t s = 0; s + 1 < bounds.size(); ++s) {
    raw.Reset();
    for (std::int64_t left = bounds[s + 1] - bounds[s]; left > 0;) {
      const std::int64_t count = std::min(kTake, left);
      const unsigned char* bytes = dat.Take(static_cast<std::size_t>(count) * record);
      if (bytes == nullptr) return false;
      raw.Add(bytes, static_cast<std::size_t>(count), record);
      left -= count;
    }
    if (!raw.seen) continue;
    for (std::size_t c = 0; c < channels; ++c) {
      double low = 0, high = 0;
      if (raw.Get(c, low, high))
        out[s * channels + c] = {static_cast<float>(low), static_cast<float>(high)};
    }
  }
  return true;
}

bool ComtradeSource::Summarize(SampleSummary& summary) const {
  if (!summary_) return RecordSource::Summarize(summary);
  summary = std::move(*summary_);
  summary_.reset();
  return true;
}

ComtradePicture OpenComtradePicture(const std::string& path) {
  ComtradeOpening opening = ComtradeSource::Open(path);
  if (!opening.source) return {nullptr, opening.error};
  return {RecordPicture::OfSource(std::move(opening.source)), {}};
}

}  // namespace velk
