#include "bench/records.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <vector>

#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::bench {
namespace {

constexpr int kSamplesPerCycle = 16;  // 50 Hz at 800 samples a second
constexpr std::size_t kWordsPerSample = 9;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

constexpr int kStartSecondOfDay = 16 * 3600 + 33 * 60 + 45;  // 16:33:45, as kStartWords

std::uint8_t Bcd(int value) {
  return static_cast<std::uint8_t>(value / 10 * 16 + value % 10);
}

// The header of a record: station name, start moment, device type and a
// calibration block with plausible factors for every layout.
std::string HeaderBytes(int device_type, int shift_seconds) {
  testing::FlhRecord header;
  header.device_type = static_cast<std::int8_t>(device_type);
  const int at = kStartSecondOfDay + shift_seconds;
  header.moment_bcd = {0x24, 0x02, 0x13, Bcd(at / 3600), Bcd(at / 60 % 60), Bcd(at % 60)};
  header.Name("ПС Северная");
  header.Factor(0, 1, 0x2000).Factor(4, 0, 0xC000);
  if (device_type == 5) {
    header.Number(8, 1000).Number(10, 600).Number(12, 100);
  } else {
    header.Factor(8, 0, 0x4000).Number(12, 1000).Number(14, 600).Number(16, 100);
  }
  return header.Bytes();  // no samples: just the 72-byte header
}

// One cycle of each word: phases 120 degrees apart, words 4..7 at voltage level.
std::array<std::array<std::int16_t, kSamplesPerCycle>, kWordsPerSample> WaveTable() {
  constexpr double kAmplitude[kWordsPerSample] = {2500,  18000, 2500, 18000, 2500,
                                                  18000, 300,   900,  0};
  std::array<std::array<std::int16_t, kSamplesPerCycle>, kWordsPerSample> table{};
  for (std::size_t w = 0; w < kWordsPerSample; ++w) {
    const double phase = 2.0 * std::numbers::pi * static_cast<double>(w % 3) / 3.0;
    for (int i = 0; i < kSamplesPerCycle; ++i) {
      const double angle = 2.0 * std::numbers::pi * i / kSamplesPerCycle + phase;
      table[w][static_cast<std::size_t>(i)] =
          static_cast<std::int16_t>(std::lround(kAmplitude[w] * std::sin(angle)));
    }
  }
  return table;
}

}  // namespace

bool WriteAnalogRecord(const std::string& path, int device_type, std::int64_t samples,
                       int shift_seconds) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const std::string header = HeaderBytes(device_type, shift_seconds);
  bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();

  const auto wave = WaveTable();
  std::vector<unsigned char> block;
  block.reserve(1 << 20);
  std::uint32_t noise = 12345;
  for (std::int64_t n = 0; n < samples && ok; ++n) {
    const auto at = static_cast<std::size_t>(n % kSamplesPerCycle);
    for (std::size_t w = 0; w < kWordsPerSample; ++w) {
      noise = noise * 1664525u + 1013904223u;
      const int jitter = static_cast<int>(noise >> 26) - 32;  // -32..31
      const auto value = static_cast<std::uint16_t>(wave[w][at] + (w < 8 ? jitter : 0));
      block.push_back(static_cast<unsigned char>(value & 0xFF));
      block.push_back(static_cast<unsigned char>(value >> 8));
    }
    if (block.size() + 2 * kWordsPerSample > block.capacity() || n + 1 == samples) {
      ok = std::fwrite(block.data(), 1, block.size(), file.get()) == block.size();
      block.clear();
    }
  }
  return ok && std::fclose(file.release()) == 0;
}

std::string DiscreteRecordBytes(int channels, int events, int times, int last_time_ms,
                                int shift_seconds) {
  testing::DiscreteRecord record;
  const int at = kStartSecondOfDay + shift_seconds;
  char start[32];
  std::snprintf(start, sizeof start, "13 02 %02d:%02d:%02d", at / 3600, at / 60 % 60, at % 60);
  record.Line("; записано устройством ВЕЛК").Pair(start, "Пуск");
  std::vector<bool> active(static_cast<std::size_t>(channels), false);
  active[0] = true;  // the start pair's signal is channel 1, active from the start
  for (int e = 0; e < events; ++e) {
    // Events fall evenly on times 1..times; the signals 2..channels take turns.
    const int time_index = 1 + static_cast<int>(static_cast<std::int64_t>(e) * times / events);
    const int ms = static_cast<int>(static_cast<std::int64_t>(last_time_ms) * time_index / times);
    const int channel = 1 + e % (channels - 1);
    auto&& on = active[static_cast<std::size_t>(channel)];
    on = !on;
    record.Event(testing::TimeWord(ms), on ? "П" : "У", "Сигнал " + std::to_string(channel + 1));
  }
  return record.Bytes();
}

namespace {

// Writes before, then `length` bytes "x", then after.
bool WriteWithLongLine(const std::string& path, const std::string& before, std::int64_t length,
                       const std::string& after) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const std::string block(1 << 20, 'x');
  bool ok = std::fwrite(before.data(), 1, before.size(), file.get()) == before.size();
  for (std::int64_t left = length; left > 0 && ok;) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(left, std::int64_t{1} << 20));
    ok = std::fwrite(block.data(), 1, n, file.get()) == n;
    left -= static_cast<std::int64_t>(n);
  }
  ok = ok && std::fwrite(after.data(), 1, after.size(), file.get()) == after.size();
  return ok && std::fclose(file.release()) == 0;
}

}  // namespace

bool WriteLineWithoutEnd(const std::string& path, std::int64_t length) {
  return WriteWithLongLine(path, "", length, "");
}

bool WriteRecordWithLongLastName(const std::string& path, std::int64_t length) {
  // The last event pair with an empty name, its final line end taken off so
  // that the name follows the "\\ " of its second line.
  std::string last = testing::DiscreteRecord().Event(testing::TimeWord(2000), "П", "").Bytes();
  last.resize(last.size() - 2);
  return WriteWithLongLine(path, DiscreteRecordBytes(16, 200, 20, 1900) + last, length, "\r\n");
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  return ok && std::fclose(file.release()) == 0;
}

}  // namespace velk::bench
