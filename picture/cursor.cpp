// Reading the values under the cursor.
#include "picture/cursor.h"

#include <algorithm>
#include <cmath>

#include "picture/record_picture.h"

namespace velk {

std::int64_t SampleAt(const RecordPicture& picture, double time_ms) {
  if (picture.sample_count() == 0) return -1;
  const double sample = std::round(picture.timing().Position(time_ms));
  return std::clamp<std::int64_t>(static_cast<std::int64_t>(std::clamp(sample, -1.0, 9.0e15)), 0,
                                  picture.sample_count() - 1);
}

double TimeOfSample(const RecordPicture& picture, std::int64_t sample) {
  return picture.timing().TimeMs(sample);
}

CursorReadout ReadCursor(const RecordPicture& picture, double time_ms, bool primary) {
  CursorReadout readout;
  readout.time_ms = time_ms;
  readout.sample = SampleAt(picture, time_ms);
  const auto channels = picture.channels().size();
  readout.values.assign(channels, std::nullopt);
  readout.rms.assign(channels, std::nullopt);
  if (readout.sample >= 0) {
    const SourceTiming& timing = picture.timing();
    readout.time_ms = timing.TimeMs(readout.sample);
    // The RMS is over the whole cycle that ends at the sample, within its
    // rate; within a rate's first cycle there is none, as there is no phasor.
    const std::int64_t cycle = timing.CycleSamples(readout.sample).value_or(1);
    const bool whole = readout.sample - cycle + 1 >= timing.SegmentStart(readout.sample);
    const std::int64_t first = whole ? readout.sample - cycle + 1 : readout.sample;
    const std::int64_t count = readout.sample - first + 1;
    std::vector<double> samples;
    if (picture.ReadSamples(first, count, samples)) {
      for (std::size_t c = 0; c < channels; ++c) {
        const PictureChannel& channel = picture.channels()[c];
        double squares = 0;
        for (std::int64_t n = 0; n < count; ++n) {
          const double value =
              channel.Value(samples[static_cast<std::size_t>(n) * channels + c], primary);
          squares += value * value;
        }
        const double last = samples[static_cast<std::size_t>(count - 1) * channels + c];
        if (std::isnan(last) || std::isnan(squares)) continue;
        readout.values[c] = channel.Value(last, primary);
        if (whole) readout.rms[c] = std::sqrt(squares / static_cast<double>(count));
      }
    }
  }
  for (const PictureSignal& signal : picture.discrete_signals())
    readout.states.push_back(signal.ActiveAt(readout.time_ms));
  return readout;
}

}  // namespace velk
