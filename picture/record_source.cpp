// The timing of a record's samples, the states of its signals, and the reads of
// its spans and summary that a source gets unless it has faster ones.
#include "picture/record_source.h"

#include <algorithm>
#include <cmath>

namespace velk {

bool PictureSignal::ActiveAt(double time_ms) const {
  const auto after =
      std::upper_bound(steps.begin(), steps.end(), time_ms,
                       [](double time, const SignalStep& step) { return time < step.time_ms; });
  if (after == steps.begin()) return !steps.empty() && steps.front().active;
  return std::prev(after)->active;
}

bool FileSidePrimary(const std::vector<PictureChannel>& channels) {
  const auto primary = std::count_if(channels.begin(), channels.end(),
                                     [](const PictureChannel& c) { return c.values_primary; });
  return 2 * static_cast<std::size_t>(primary) > channels.size();
}

SourceTiming::SourceTiming(double line_hz, std::vector<RateSegment> segments)
    : line_hz_(line_hz), segments_(std::move(segments)) {
  double start_ms = 0;
  std::int64_t first = 0;
  for (const RateSegment& segment : segments_) {
    // A segment without a rate, or ending before it starts, adds no samples.
    if (!(segment.rate_hz > 0) || segment.last_sample <= first) continue;
    const double step = 1000.0 / segment.rate_hz;
    // The first sample of a later rate comes one step of that rate after the
    // last sample of the rate before, as a COMTRADE reader times it.
    if (!spans_.empty()) {
      const Segment& before = spans_.back();
      const double last_ms =
          before.start_ms + static_cast<double>(before.end - before.first - 1) * before.step_ms;
      start_ms =
          segment.start_ms && *segment.start_ms > last_ms ? *segment.start_ms : last_ms + step;
    }
    spans_.push_back({segment.rate_hz, step, start_ms, first, segment.last_sample});
    first = segment.last_sample;
  }
  // Without samples the first rate given still says how far apart they would be.
  if (spans_.empty()) {
    const auto rated = std::find_if(segments_.begin(), segments_.end(),
                                    [](const RateSegment& s) { return s.rate_hz > 0; });
    const double rate = rated == segments_.end() ? 0.0 : rated->rate_hz;
    spans_.push_back({rate, rate > 0 ? 1000.0 / rate : 0.0, 0, 0, 0});
  }
}

const SourceTiming::Segment& SourceTiming::SegmentOf(std::int64_t sample) const {
  const auto it = std::upper_bound(spans_.begin(), spans_.end(), sample,
                                   [](std::int64_t n, const Segment& s) { return n < s.end; });
  return it == spans_.end() ? spans_.back() : *it;
}

const SourceTiming::Segment& SourceTiming::SegmentAtTime(double time_ms) const {
  for (std::size_t s = 0; s + 1 < spans_.size(); ++s)
    if (time_ms < spans_[s + 1].start_ms) return spans_[s];
  return spans_.back();
}

double SourceTiming::TimeMs(std::int64_t sample) const {
  const Segment& segment = SegmentOf(sample);
  return segment.start_ms + static_cast<double>(sample - segment.first) * segment.step_ms;
}

double SourceTiming::Position(double time_ms) const {
  const Segment& segment = SegmentAtTime(time_ms);
  if (!(segment.step_ms > 0)) return 0;
  const double last_ms =
      segment.start_ms + static_cast<double>(segment.end - segment.first - 1) * segment.step_ms;
  // Between a rate's last sample and the next rate's first, the position
  // moves evenly from one to the other.
  if (&segment != &spans_.back() && time_ms > last_ms) {
    const double next_ms = (&segment + 1)->start_ms;
    return static_cast<double>(segment.end - 1) + (time_ms - last_ms) / (next_ms - last_ms);
  }
  return static_cast<double>(segment.first) + (time_ms - segment.start_ms) / segment.step_ms;
}

double SourceTiming::SamplesBetween(double from_ms, double to_ms) const {
  if (spans_.size() == 1)
    return spans_.front().step_ms > 0 ? (to_ms - from_ms) / spans_.front().step_ms : 0;
  return Position(to_ms) - Position(from_ms);
}

double SourceTiming::StepMs(std::int64_t sample) const {
  return SegmentOf(sample).step_ms;
}

std::optional<std::int64_t> SourceTiming::CycleSamples(std::int64_t sample) const {
  const Segment& segment = SegmentOf(sample);
  if (!(line_hz_ > 0) || !(segment.rate_hz > 0)) return std::nullopt;
  const double cycle = std::round(segment.rate_hz / line_hz_);
  if (!(cycle >= 4) || cycle > 65536) return std::nullopt;
  return static_cast<std::int64_t>(cycle);
}

std::int64_t SourceTiming::SegmentStart(std::int64_t sample) const {
  return SegmentOf(sample).first;
}

bool RecordSource::SpanMinMax(std::span<const std::int64_t> bounds,
                              std::vector<MinMax>& out) const {
  const std::size_t channels = layout().channels.size();
  out.assign(bounds.empty() ? 0 : (bounds.size() - 1) * channels, MinMax{});
  if (bounds.size() < 2) return true;
  if (!std::is_sorted(bounds.begin(), bounds.end()) || bounds.front() < 0 ||
      bounds.back() > layout().samples)
    return false;
  // The samples a chunk at a time, each into the span it belongs to.
  constexpr std::int64_t kChunk = 4096;
  std::vector<double> values;
  std::size_t span = 0;
  for (std::int64_t first = bounds.front(); first < bounds.back(); first += kChunk) {
    const std::int64_t count = std::min(kChunk, bounds.back() - first);
    if (!Read(first, count, values)) return false;
    for (std::int64_t n = first; n < first + count; ++n) {
      while (n >= bounds[span + 1]) ++span;
      const double* sample = values.data() + static_cast<std::size_t>(n - first) * channels;
      MinMax* to = out.data() + span * channels;
      for (std::size_t c = 0; c < channels; ++c) to[c].Add(sample[c]);
    }
  }
  return true;
}

bool RecordSource::Summarize(SampleSummary& summary) const {
  const SourceLayout& record = layout();
  const auto channels = static_cast<int>(record.channels.size());
  summary.Reserve(record.samples);
  // Whole blocks of the finest level at a time, a run of them per read.
  const std::int64_t base = summary.base_block();
  const std::int64_t run_samples = base * std::max<std::int64_t>(1, 2048 / base);
  std::vector<double> values;
  for (std::int64_t done = 0; done < record.samples;) {
    const std::int64_t run = std::min(run_samples, record.samples - done);
    if (!Read(done, run, values)) return false;
    AddSamples(summary, values, channels);
    done += run;
  }
  summary.Finish();
  return true;
}

}  // namespace velk
