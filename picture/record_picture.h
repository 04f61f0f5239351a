// A record as the viewer and `velk-convert picture` show it: an analog record,
// a discrete record, or both on the combined pair's sample grid.
//
// The analog channels are held as a min/max summary built in one pass over the
// record (SampleSummary), never as the record's samples; where a view needs the
// samples themselves (a narrow zoom, the cursor's readout) they are read again
// from the record and checked against the summary, so that a record rewritten
// since shows what was summed up rather than what it holds now. The discrete
// signals are held as the steps of their states: the states a conversion writes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "comtrade/report.h"
#include "comtrade/start_moment.h"

namespace velk {

// 800 samples a second: the time from one analog sample to the next.
inline constexpr double kSampleStepMs = 1.25;
// One cycle of 50 Hz: the samples an RMS value is taken over.
inline constexpr std::int64_t kCycleSamples = 16;

// One analog channel as its COMTRADE channel line scales it.
struct PictureChannel {
  std::string name;         // code page 1251, as in the channel line
  std::string unit;         // "mA" or "mV"
  double multiplier = 1.0;  // a of the channel line: a reader's value is a * recorded value
  double ratio = 1.0;       // primary / secondary of the channel line
  // The value a COMTRADE reader computes from a recorded value, secondary or primary.
  double Value(std::int16_t recorded, bool primary) const {
    return multiplier * recorded * (primary ? ratio : 1.0);
  }
};

// A change of a discrete signal's state, at a time in milliseconds from the
// first sample (or from the discrete record's start, when it is shown alone).
struct SignalStep {
  double time_ms = 0;
  bool active = false;
};

// One digital channel: its name and its states. steps[0] is its state from the
// start of the picture; each later step changes it.
struct PictureSignal {
  std::string name;  // code page 1251, as in the channel line
  std::vector<SignalStep> steps;
  // The state at time_ms: that of the last step at or before it.
  bool ActiveAt(double time_ms) const;
};

// The least and the greatest recorded value of one channel over a block of samples.
struct MinMax {
  std::int16_t min = 0;
  std::int16_t max = 0;
};

// Min/max of every channel over blocks of samples at several resolutions:
// level 0 has blocks of kBaseBlock samples, each further level blocks
// kFanOut times as long, up to the level of one block. The last block of a
// level may be shorter.
class SampleSummary {
 public:
  static constexpr std::int64_t kBaseBlock = 32;
  static constexpr std::int64_t kFanOut = 4;

  explicit SampleSummary(int channels = 0) : channels_(channels) {}
  // Makes room for a record of this many samples at once.
  void Reserve(std::int64_t samples);
  // Adds the next block of level 0 (kBaseBlock samples, fewer for the last):
  // the min/max of each channel over it.
  void AddBlock(std::span<const MinMax> channels, std::int64_t samples);
  // Builds the coarser levels once every sample is added.
  void Finish();

  int channels() const { return channels_; }
  std::int64_t samples() const { return samples_; }
  int levels() const { return static_cast<int>(levels_.size()); }
  // Samples in one block of level.
  static std::int64_t BlockSamples(int level);
  // Blocks of level.
  std::int64_t Blocks(int level) const;
  // Min/max of channel over block of level.
  MinMax At(int level, std::int64_t block, int channel) const;
  // Bytes the summary holds.
  std::size_t Bytes() const;

 private:
  int channels_ = 0;
  std::int64_t samples_ = 0;
  std::vector<std::vector<MinMax>> levels_;  // level, then block * channels + channel
};

// What a picture is of.
struct PictureRecords {
  std::string analog;    // the .flh record, or empty
  std::string discrete;  // the .txt record, or empty
};

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
  // Checks the records as their conversion would, then reads them: the analog
  // record in one pass into its summary, the discrete record into its steps.
  // Two records must start at one moment (StartsAgree).
  static PictureOpening Open(const PictureRecords& records);

  const PictureRecords& records() const { return records_; }
  // The station (code page 1251), empty for a discrete record alone.
  const std::string& station() const { return station_; }
  // The start moment as the converted pair's time lines bear it; a discrete
  // record alone has no year ("????").
  const StartMoment& moment() const { return moment_; }
  // The device type as the window shows it, empty without an analog record.
  const std::string& device_type() const { return device_type_; }

  // True when the picture is on the sample grid (an analog record is in it).
  bool sampled() const { return !records_.analog.empty(); }
  // Analog samples, 0 without an analog record.
  std::int64_t sample_count() const { return summary_.samples(); }
  // The time of the last sample, or of the last discrete state; 0 for none.
  double DurationMs() const { return duration_ms_; }

  const std::vector<PictureChannel>& channels() const { return channels_; }
  // Not "signals": Qt takes that word for itself.
  const std::vector<PictureSignal>& discrete_signals() const { return signals_; }
  const SampleSummary& summary() const { return summary_; }
  // Greatest magnitude of channel's recorded values over the record.
  int Peak(int channel) const;

  // Recorded values of samples [first, first + count), sample after sample,
  // every channel of each, from the record. False, leaving out empty, when the
  // record no longer holds what the summary was built from (deleted, cut,
  // rewritten); from then on the picture keeps to its summary.
  bool ReadSamples(std::int64_t first, std::int64_t count, std::vector<std::int16_t>& out) const;
  // False once ReadSamples found the record changed.
  bool record_unchanged() const { return !changed_; }

 private:
  RecordPicture() = default;

  PictureRecords records_;
  std::string station_;
  StartMoment moment_;
  std::string device_type_;
  std::vector<PictureChannel> channels_;
  std::vector<PictureSignal> signals_;
  std::vector<int> peaks_;
  SampleSummary summary_;
  std::int64_t record_size_ = 0;
  std::vector<std::uint8_t> words_;  // the sample word of each channel
  double duration_ms_ = 0;
  mutable bool changed_ = false;

  friend struct PictureBuilder;
};

// What the cursor reads at one sample (or, for a discrete record alone, at one time).
struct CursorReadout {
  double time_ms = 0;
  std::int64_t sample = -1;  // 0-based; -1 without samples
  // Per channel: the value at the sample and the RMS over the cycle ending
  // there (fewer samples at the record's start); nothing when the record's
  // samples can no longer be read.
  std::vector<std::optional<double>> values, rms;
  std::vector<bool> states;  // per signal
};

// The sample nearest to time_ms, within the record.
std::int64_t SampleAt(const RecordPicture& picture, double time_ms);
// The readout at time_ms (snapped to the nearest sample when there are samples).
CursorReadout ReadCursor(const RecordPicture& picture, double time_ms, bool primary);

}  // namespace velk
