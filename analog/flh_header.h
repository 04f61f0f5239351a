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
// them carry its analog channels, and in which order. w8 is never used.
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
inline constexpr int kFallbackDeviceType = 99;

// The calibration block's layout, which differs between device families.
enum class CalibrationLayout { kL1, kL1WithoutK3, kL2, kL3, kFixed };

// The channel table of a device family (names, units, scaling).
enum class ChannelTable { kType5, kType14, kType31, kType32, kType51, kType60, kFallback };

// The most analog channels of any device type.
inline constexpr std::size_t kMaxAnalogChannels = 8;

struct DeviceType {
  int analog_count;                                    // A, the analog channels of the device
  std::array<std::uint8_t, kMaxAnalogChannels> words;  // sample word of channels 1..A
  CalibrationLayout layout;
  ChannelTable table;
};

namespace device_types {
using Words = std::array<std::uint8_t, kMaxAnalogChannels>;
inline constexpr Words kInOrder = {0, 1, 2, 3, 4, 5, 6, 7};

inline constexpr DeviceType kType5 = {8, kInOrder, CalibrationLayout::kL2, ChannelTable::kType5};
inline constexpr DeviceType kType14 = {
    7, {0, 2, 4, 6, 1, 3, 5, 0}, CalibrationLayout::kL1, ChannelTable::kType14};
inline constexpr DeviceType kType31 = {
    2, {0, 1}, CalibrationLayout::kL1WithoutK3, ChannelTable::kType31};
inline constexpr DeviceType kType32 = {
    6, {0, 2, 4, 1, 3, 5}, CalibrationLayout::kL1WithoutK3, ChannelTable::kType32};
inline constexpr DeviceType kType51 = {
    4, {0, 2, 1, 3}, CalibrationLayout::kL3, ChannelTable::kType51};
inline constexpr DeviceType kType60 = {
    8, {0, 2, 4, 6, 1, 3, 5, 7}, CalibrationLayout::kL1, ChannelTable::kType60};
inline constexpr DeviceType kFallback = {8, kInOrder, CalibrationLayout::kFixed,
                                         ChannelTable::kFallback};

// The device type of a code, or nullptr for a code of no known type.
constexpr const DeviceType* Find(int code) {
  switch (code) {
    case 5:
      return &kType5;
    case 14:
      return &kType14;
    case 31:
      return &kType31;
    case 32:
    case 42:
    case 52:
      return &kType32;
    case 51:
      return &kType51;
    case 60:
    case 61:
    case 70:
    case 71:
    case 81:
      return &kType60;
    default:
      return nullptr;
  }
}
}  // namespace device_types

// The device type of a code; unknown codes get the fallback type (code 99).
// Defined here, because every sample of a record looks its channels up.
constexpr const DeviceType& DeviceTypeFor(int code) {
  const DeviceType* type = device_types::Find(code);
  return type != nullptr ? *type : device_types::kFallback;
}
// True iff the code names a device type of its own.
constexpr bool IsKnownDeviceType(int code) {
  return device_types::Find(code) != nullptr;
}

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
