// The cursor's arithmetic: the sample nearest a time, and the values the
// cursor reads there.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velk {

class RecordPicture;

// What the cursor reads at one sample (or, for signals alone, at one time).
struct CursorReadout {
  double time_ms = 0;
  std::int64_t sample = -1;  // 0-based; -1 without samples
  // Per channel: the value at the sample and the RMS over the cycle of the
  // line frequency ending there (no RMS within the first cycle of the record
  // or of its rate, where the analysis has no phasor either); nothing when the
  // record's samples can no longer be read or the record holds no value there.
  std::vector<std::optional<double>> values, rms;
  std::vector<bool> states;  // per signal
};

// The sample nearest to time_ms, within the record; -1 without samples.
std::int64_t SampleAt(const RecordPicture& picture, double time_ms);
// The time of a sample.
double TimeOfSample(const RecordPicture& picture, std::int64_t sample);
// The readout at time_ms (snapped to the nearest sample when there are samples).
CursorReadout ReadCursor(const RecordPicture& picture, double time_ms, bool primary);

}  // namespace velk
