// Records of our own making for the benchmarks: analog records of any length,
// streamed to disk sample by sample, and discrete records at the limits the
// header check accepts.
#pragma once

#include <cstdint>
#include <string>

namespace velk::bench {

// Start moment shared by the analog and the discrete records, so that a pair of
// them passes the combined conversion's check: 13.02.2024 16:33:45.
inline constexpr const char* kStartWords = "13 02 16:33:45";

// Samples in a record of the given length at 800 samples a second.
constexpr std::int64_t SamplesFor(std::int64_t seconds) {
  return seconds * 800;
}

// Writes an analog record (.flh) of the device type with the given number of
// samples: a 50 Hz wave on every word, currents of a few thousand counts and
// voltages of some twenty thousand, with a little noise. Returns false when the
// file cannot be written.
// With a shift, the record starts that many seconds after 16:33:45 (up to
// 26,000 seconds, the same day).
bool WriteAnalogRecord(const std::string& path, int device_type, std::int64_t samples,
                       int shift_seconds = 0);

// A discrete record (.txt, code page 1251) of `channels` signals (the start
// pair's signal included) and `events` event pairs spread over `times` distinct
// rising times, the last at last_time_ms. Each signal picks up at its first
// event and then drops out and picks up in turn.
// shift_seconds as for WriteAnalogRecord.
std::string DiscreteRecordBytes(int channels, int events, int times, int last_time_ms,
                                int shift_seconds = 0);

// Writes bytes to path; false when it cannot be written.
bool WriteBytes(const std::string& path, const std::string& bytes);

// Damaged discrete records, written a block at a time so that the bench never
// holds their long line:
// a file of `length` bytes "x" and no line end;
bool WriteLineWithoutEnd(const std::string& path, std::int64_t length);
// a sound record of 16 signals and 200 events, then one more event whose name
// is `length` bytes "x" long.
bool WriteRecordWithLongLastName(const std::string& path, std::int64_t length);

}  // namespace velk::bench
