// What the picture of a record asks of the record: its channels and signals,
// its timing, its start and trigger moments, and blocks of its samples. Each
// kind of record that the viewer opens is one RecordSource; the picture, its
// summary, the cursor and the analysis know nothing else of a record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <span>

#include "comtrade/record_reader.h"
#include "comtrade/start_moment.h"
#include "picture/sample_summary.h"

namespace velk {

// One analog channel as a COMTRADE channel line describes it:
// An,ch_id,ph,ccbm,uu,a,b,skew,min,max,primary,secondary,PS.
struct PictureChannel {
  std::string name;         // UTF-8, as in the channel line
  std::string unit;         // "mA", "mV", "A", "kV", "°", ... (UTF-8)
  std::string phase;        // "A", "B", "C", "AB", "BC", "CA", "N", or empty
  std::string circuit;      // the circuit the channel belongs to
  double multiplier = 1.0;  // a: a reader's value is a * recorded value + b
  double offset = 0.0;      // b
  double primary = 1.0;     // of the transformer ratio
  double secondary = 1.0;
  bool values_primary = false;  // PS is "P": a * x + b is a primary value already
  double ratio = 1.0;           // primary / secondary (1 when secondary is 0)
  // The greatest magnitude a recorded value may have, as the sample word
  // holds it: the value scale of a band never reaches beyond it.
  double largest = 32767;

  // The unit of the channel's values on the secondary or the primary side,
  // and the factor that takes FileValue there (UnitOnSide): the file's own
  // unit on the side its P/S field gives.
  SideUnit OnSide(bool want_primary) const {
    return UnitOnSide(unit, values_primary, ratio, want_primary);
  }
  // The value a COMTRADE reader computes from a recorded value, a * x + b,
  // on the side the file gives.
  double FileValue(double recorded) const {
    const double value = multiplier * recorded;
    return offset != 0 ? value + offset : value;
  }
  // The value on the secondary or the primary side, in OnSide's unit.
  double Value(double recorded, bool want_primary) const {
    return FileValue(recorded) * OnSide(want_primary).factor;
  }
};

// The side a record is shown on as it opens: the one its file gives for most
// of its analog channels; secondary where as many give each side (or there
// are none).
bool FileSidePrimary(const std::vector<PictureChannel>& channels);

// A change of a discrete signal's state, at a time in milliseconds from the
// first sample (or from the discrete record's start, when it is shown alone).
struct SignalStep {
  double time_ms = 0;
  bool active = false;
};

// One digital channel: its name and its states. steps[0] is its state from the
// start of the picture; each later step changes it.
struct PictureSignal {
  std::string name;  // UTF-8, as in the channel line
  std::vector<SignalStep> steps;
  // The state at time_ms: that of the last step at or before it.
  bool ActiveAt(double time_ms) const;
};

// samp,endsamp: samples up to the last_sample-th (counted from 1) are taken at
// rate_hz, from the end of the segment before: the first one step of rate_hz
// after the last of the segment before, or at start_ms where the record's
// stamps place it.
struct RateSegment {
  double rate_hz = 0;
  std::int64_t last_sample = 0;
  std::optional<double> start_ms = std::nullopt;
};

// When each sample was taken: the record's sample rates and its line
// frequency. The time of sample 0 is 0 ms.
class SourceTiming {
 public:
  SourceTiming() = default;
  SourceTiming(double line_hz, std::vector<RateSegment> segments);

  double line_hz() const { return line_hz_; }
  const std::vector<RateSegment>& segments() const { return segments_; }
  // Milliseconds from sample 0 to sample n (n may lie past the last segment:
  // it continues at the last rate).
  double TimeMs(std::int64_t sample) const;
  // The sample at time_ms as a fractional index: 2.5 lies halfway between
  // samples 2 and 3.
  double Position(double time_ms) const;
  // Samples from one time to a later one, fractional.
  double SamplesBetween(double from_ms, double to_ms) const;
  // Milliseconds from the sample to the next one.
  double StepMs(std::int64_t sample) const;
  // The samples of one cycle of the line frequency at the sample's rate: the
  // rate over the line frequency, rounded to the nearest whole sample (a rate
  // of 1000 Hz at 60 Hz takes 17 samples a cycle). Nothing without a rate or
  // a line frequency, or with fewer than 4 or more than 65536 samples a cycle.
  std::optional<std::int64_t> CycleSamples(std::int64_t sample) const;
  // The first sample of the segment the sample belongs to.
  std::int64_t SegmentStart(std::int64_t sample) const;

 private:
  struct Segment {
    double rate_hz, step_ms, start_ms;
    std::int64_t first, end;  // samples [first, end)
  };
  const Segment& SegmentOf(std::int64_t sample) const;
  const Segment& SegmentAtTime(double time_ms) const;

  double line_hz_ = 0;
  std::vector<RateSegment> segments_;
  std::vector<Segment> spans_;
};

// What a record says of itself once it is open.
struct SourceLayout {
  std::string station;         // UTF-8; empty when the record names none
  std::string device_type;     // as the window shows it (UTF-8); empty when there is none
  StartMoment moment;          // of the first sample
  std::string start_fraction;  // the digits of its second's fraction, as the record gives them
  std::optional<double> trigger_ms;  // the trigger, in ms from the first sample
  std::vector<PictureChannel> channels;
  std::vector<PictureSignal> digital;  // the signals and their steps, read at opening
  SourceTiming timing;
  std::int64_t samples = 0;  // analog samples; 0 for signals alone
  bool words16 = false;      // every recorded value is a 16-bit word
  double duration_ms = 0;    // the last sample's time, or the last state's
};

// A record the picture reads from.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual const SourceLayout& layout() const = 0;
  // The recorded values (before a and b) of samples [first, first + count),
  // sample after sample, every channel of each, into out; a value the record
  // does not hold is NaN. The range lies within the record. False when the
  // record cannot be read as it was opened (deleted, cut).
  virtual bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const = 0;
  // The min/max of each channel's recorded values over each span of samples
  // [bounds[i], bounds[i + 1]), span after span, every channel of each, into
  // out; a channel without a value in a span has an Empty() one there. The
  // bounds do not fall and lie within the record. False when the record
  // cannot be read as it was opened. This one reads blocks through Read; a
  // source may take its stored words as they lie.
  virtual bool SpanMinMax(std::span<const std::int64_t> bounds, std::vector<MinMax>& out) const;
  // Every sample into the summary (empty, of the layout's channels), then
  // Finish()ed. This one reads blocks through Read; a source may sum its
  // samples up faster as it stores them. False when the record cannot be read.
  virtual bool Summarize(SampleSummary& summary) const;
};

}  // namespace velk
