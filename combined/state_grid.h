// How the combined pair lays a discrete record's states onto the analog
// record's sample grid (800 a second, 1.25 ms apart): a lead-in of 78 samples
// with every digital channel 0, then each state for the samples its duration
// covers. The combined conversion writes what this walk gives, and the picture
// of the pair draws it.
#pragma once

#include <algorithm>
#include <cstdint>

#include "discrete/status_words.h"

namespace velk {

// Samples before the first discrete state: 97.5 ms, all digital channels 0.
inline constexpr std::int64_t kLeadIn = 78;
inline constexpr float kSamplePeriodMs = 1.25f;
// A state whose remaining time falls below this covers no further sample.
inline constexpr double kRemainderMs = 0.6;

// The samples a state covers, given the time from its start to the next
// state's: one, and one more for each sample period that leaves at least
// kRemainderMs of it; at most `left`, the samples the analog record has left.
inline std::int64_t SamplesCovered(float hold, std::int64_t left) {
  std::int64_t covered = 1;
  for (hold -= kSamplePeriodMs; hold >= kRemainderMs && covered < left; hold -= kSamplePeriodMs)
    ++covered;
  return covered;
}

// Walks the grid of analog_samples samples. status holds the states written:
// all 0 for the lead-in; then next(status) puts the next state's status words
// into status and returns the time of the state after it, or a negative time
// when there is none (that state then covers one sample and ends the walk).
// first_time is the first state's time. write(first, count) is called for
// samples first..first+count-1 (numbered from 1) with status as it is; it
// returns false to stop the walk, which then returns false.
template <typename Next, typename Write>
bool LayStatesOnGrid(std::int64_t analog_samples, std::int32_t first_time, StatusWords& status,
                     Next&& next, Write&& write) {
  std::fill(status.words.begin(), status.words.end(), std::uint16_t{0});
  bool sound = write(std::int64_t{1}, std::min(kLeadIn, analog_samples));
  float previous = static_cast<float>(first_time);
  for (std::int64_t n = kLeadIn + 1; sound && n <= analog_samples;) {
    const float next_time = static_cast<float>(next(status));
    if (next_time < 0) return write(n, std::int64_t{1});
    const std::int64_t covered = SamplesCovered(next_time - previous, analog_samples - n + 1);
    previous = next_time;
    sound = write(n, covered);
    n += covered;
  }
  return sound;
}

}  // namespace velk
