// Records of our own making, built field by field, for the tests and for the
// sample records in examples/.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velk::testing {

// Code page 1251 bytes of UTF-8 text (Russian letters and ASCII).
std::string Cp(std::string_view utf8);
// Lines joined, each ended by CR LF.
std::string CrLf(const std::vector<std::string>& lines);

// An analog record (.flh) built from its header fields and samples.
struct FlhRecord {
  std::array<std::uint8_t, 18> calibration{};
  std::array<std::uint8_t, 6> moment_bcd = {0x24, 0x07, 0x15, 0x09, 0x05, 0x30};  // y m d h m s
  std::int8_t device_type = 60;
  std::array<std::uint8_t, 12> stored_name{};  // as in the file: pairs swapped
  std::vector<std::array<std::int16_t, 9>> samples;

  // A factor K = (high * 65536 + low) / 65536 at a calibration offset.
  FlhRecord& Factor(std::size_t offset, std::uint16_t high, std::uint16_t low);
  // A signed 16-bit number at a calibration offset.
  FlhRecord& Number(std::size_t offset, std::int16_t value);
  // The station name, given in reading order as display-code bytes.
  FlhRecord& DisplayName(std::string_view display_bytes);
  // The station name, given in reading order as UTF-8; letters are stored in
  // the device's display code.
  FlhRecord& Name(std::string_view utf8);
  // n samples whose word k of sample i is seed + 100 * i + k (w8 = -1).
  FlhRecord& Ramp(int n, std::int16_t seed = 1);

  std::string Bytes() const;
};

// Little-endian bytes, for expected data files.
std::string I32(std::int32_t value);
std::string I16(std::int16_t value);

// "" when actual equals expected; otherwise where they first differ, so that a
// failing comparison of files of megabytes prints a line, not the files.
std::string Mismatch(const std::string& actual, const std::string& expected);

// The ASCII data file that a BINARY data file prints as, worked out field by
// field: records of sample number, time stamp, `analog` values and, when
// `status_words` is not 0, that many status words carrying `digital` channels.
std::string AsciiDataOf(const std::string& dat, int analog, int status_words, int digital);

}  // namespace velk::testing
