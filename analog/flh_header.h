// The analog record of a VELK device: a .flh file of a 72-byte header and
// 18-byte samples taken 800 times a second.
//
// Header layout (offsets in bytes, 16-bit words little-endian):
//   0  calibration block, 18 bytes (layout by device type, see channel_tables.h)
//   36 year within the century, month, day (packed BCD), one unused byte,
//   40 hour, minute, second (packed BCD), 43 device type code (signed byte),
//   60 station name, 12 characters in the device's display code, stored as six
//      16-bit words with the first character of each pair in the high byte.
// A sample is nine signed 16-bit words w0..w8; the device type says which of
// them carry its analog channels, and in which order (device_types.h). w8 is
// never used.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace velk {

inline constexpr std::int64_t kHeaderSize = 72;
inline constexpr std::int64_t kSampleSize = 18;
inline constexpr int kSampleRateHz = 800;
inline constexpr std::int64_t kCalibrationSize = 18;
inline constexpr std::int64_t kMomentOffset = 36;
inline constexpr std::int64_t kNameOffset = 60;
inline constexpr std::size_t kNameLength = 12;
// The device type code that unknown codes are read as (device_types.h).
inline constexpr int kFallbackDeviceType = 99;

// The calibration block's layout, which differs between device families.
enum class CalibrationLayout { kL1, kL1WithoutK3, kL2, kL3, kFixed };

// (high nibble) * 10 + (low nibble), without a range check.
int DecodeBcd(std::uint8_t byte);

// The station name's bytes in the display code turned into code page 1251:
// each byte is looked up in the display table, bytes not in it stay.
std::string DecodeNameANL(std::span<const std::uint8_t> source);

// The station name of the header's 12 name bytes: decoded, then the two
// characters of each stored word swapped back into reading order. The name ends
// at its first zero byte.
std::string StationName(std::span<const std::uint8_t, kNameLength> stored);

// True iff a .flh file of this size can be read: whole samples after the header.
constexpr bool IsValidFlhSize(std::int64_t size) {
  return size >= kHeaderSize && size % kSampleSize == 0;
}
// N, the samples of a .flh file of this size: (size div 18) - 4.
constexpr std::int64_t SampleCountOf(std::int64_t size) {
  return size / kSampleSize - 4;
}

}  // namespace velk
