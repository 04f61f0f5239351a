// A record as the viewer and `velk-convert picture` show it, whatever kind of
// record its source reads: our analog and discrete records (VelkSource), or
// any other source of channels, signals and samples.
//
// The analog channels are held as a min/max summary built in one pass over the
// record (SampleSummary), never as the record's samples; where a view needs the
// samples themselves (a narrow zoom, the cursor's readout) they are read again
// from the record and checked against the summary (CheckedSamples), so that a
// record rewritten since shows what was summed up rather than what it holds
// now. The discrete signals are held as the steps of their states.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comtrade/report.h"
#include "comtrade/start_moment.h"
#include "picture/checked_samples.h"
#include "picture/cursor.h"
#include "picture/record_source.h"
#include "picture/sample_summary.h"
#include "picture/time_axis.h"
#include "picture/velk_source.h"

namespace velk {

class RecordPicture;

struct PictureOpening {
  // Success; or the check's failure, whose MessageText is the label the window
  // shows ("Поврежден", "Поврежден7", "Не найден"), with the record it concerns.
  Outcome outcome;
  bool starts_differ = false;  // two records of different start moments: no picture
  std::unique_ptr<RecordPicture> picture;
};

class RecordPicture {
 public:
  // Checks our records as their conversion would, then reads them: the analog
  // record in one pass into its summary, the discrete record into its steps.
  // Two records must start at one moment (StartsAgree).
  // max_base_pairs bounds the summary's finest level (SampleSummary::BaseBlockFor).
  static PictureOpening Open(const PictureRecords& records,
                             std::int64_t max_base_pairs = SampleSummary::kMaxBasePairs);
  // The picture of any source: its samples in one pass into the summary.
  // Nothing when the source's samples cannot be read.
  static std::unique_ptr<RecordPicture> OfSource(std::unique_ptr<RecordSource> source);

  // Our records the picture is of; empty for another source.
  const PictureRecords& records() const { return records_; }
  const RecordSource& source() const { return *source_; }
  // The station (UTF-8), empty for a discrete record alone.
  const std::string& station() const { return layout().station; }
  // The start moment as the converted pair's time lines bear it; a discrete
  // record alone has no year ("????").
  const StartMoment& moment() const { return layout().moment; }
  // The start moment with its second's fraction, as a clock time is reckoned from.
  ClockStart clock_start() const { return {layout().moment, layout().start_fraction}; }
  // The device type as the window shows it, empty without an analog record.
  const std::string& device_type() const { return layout().device_type; }
  // When each sample was taken, and the line frequency.
  const SourceTiming& timing() const { return layout().timing; }

  // True when the picture is on a sample grid (it has analog samples, or is of
  // an analog record).
  bool sampled() const { return layout().samples > 0 || !records_.analog.empty(); }
  // Analog samples, 0 without an analog record.
  std::int64_t sample_count() const { return summary_.samples(); }
  // The time of the last sample, or of the last discrete state; 0 for none.
  double DurationMs() const { return layout().duration_ms; }

  const std::vector<PictureChannel>& channels() const { return layout().channels; }
  // Not "signals": Qt takes that word for itself.
  const std::vector<PictureSignal>& discrete_signals() const { return layout().digital; }
  const SampleSummary& summary() const { return summary_; }
  // Greatest magnitude of channel's recorded values over the record, no
  // greater than its sample word holds.
  double Peak(int channel) const;

  // Recorded values of samples [first, first + count), sample after sample,
  // every channel of each (NaN where the record holds none). False, leaving
  // out empty, when the record no longer holds what the summary was built
  // from (deleted, cut, rewritten); from then on the picture keeps to its
  // summary.
  bool ReadSamples(std::int64_t first, std::int64_t count, std::vector<double>& out) const {
    return checked_.Read(first, count, out);
  }
  // The min/max of every channel's recorded values over each span of samples
  // [bounds[i], bounds[i + 1]) (RecordSource::SpanMinMax), checked against
  // the summary as ReadSamples is; false as ReadSamples is.
  bool SpanMinMax(std::span<const std::int64_t> bounds, std::vector<MinMax>& out) const {
    return checked_.SpanMinMax(bounds, out);
  }
  // False once ReadSamples or SpanMinMax found the record changed.
  bool record_unchanged() const { return checked_.unchanged(); }
  // The record's files were found changed (their stamps differ from those at
  // opening): from now on the picture keeps to its summary, as after a read
  // that found the change.
  void MarkChanged() const { checked_.MarkChanged(); }

 private:
  explicit RecordPicture(std::unique_ptr<RecordSource> source)
      : source_(std::move(source)), checked_(*source_, summary_) {}
  const SourceLayout& layout() const { return source_->layout(); }
  bool Summarize(std::int64_t max_base_pairs = SampleSummary::kMaxBasePairs);

  std::unique_ptr<RecordSource> source_;
  PictureRecords records_;
  SampleSummary summary_;
  CheckedSamples checked_;
  std::vector<double> peaks_;
};

}  // namespace velk
