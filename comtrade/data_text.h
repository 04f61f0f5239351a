// The fields of an ASCII data line, formatted straight into an output buffer.
//
// An ASCII data line prints one BINARY record: "sample,stamp", then "," and
// each 16-bit analog value, then "," and "1" or "0" for each digital channel,
// all numbers as "%d" writes them and under any locale. These functions run
// once for every value of records that hold millions of samples, so they look
// the text up in tables instead of converting digit by digit. Each writes at
// `out`, which must have the room its constant names, and returns the end of
// the text it put there (bytes beyond that end may have been overwritten).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velk {

// Room for a 32-bit number in decimal: "-2147483648".
inline constexpr std::size_t kDecimalRoom = 11;
char* PutDecimalSlow(char* out, std::int32_t value);
inline char* PutDecimal(char* out, std::int32_t value) {
  if (value >= 0 && value <= 9) {  // the time stamp 0 of every analog sample
    *out = static_cast<char>('0' + value);
    return out + 1;
  }
  return PutDecimalSlow(out, value);
}

// The sample numbers of consecutive records as text. A record numbered one
// above the record before (all but the first, in every pair this system writes)
// has the digits of the number before counted up by one instead of converted
// anew.
class SampleNumberText {
 public:
  // value in decimal; needs kDecimalRoom bytes of room.
  char* Put(char* out, std::int32_t value) {
    if (value == expected_ && digits_[size_ - 1] != '9') {  // only the last digit changes
      ++digits_[size_ - 1];
      ++expected_;
      std::memcpy(out, digits_, kDecimalRoom);
      return out + size_;
    }
    return PutSlow(out, value);
  }

 private:
  static constexpr std::int64_t kNone = INT64_MIN;  // equals no sample number
  char* PutSlow(char* out, std::int32_t value);

  std::int64_t expected_ = kNone;  // one above the number in digits_, when counting up
  char digits_[kDecimalRoom] = {};
  std::size_t size_ = 0;
};

// Room for "," and one 16-bit value: ",-32768" and one byte more.
inline constexpr std::size_t kValueFieldRoom = 8;

// "," and each of the count 16-bit signed little-endian values at values;
// needs count * kValueFieldRoom bytes of room.
char* PutValueFields(char* out, const unsigned char* values, std::size_t count);

// Room for the digital channels of one status word: ",1" or ",0" sixteen times.
inline constexpr std::size_t kBitFieldsRoom = 32;
// "," and "1" or "0" for bits 0 .. bits-1 of a status word (bits at most 16).
char* PutBitFields(char* out, std::uint16_t word, std::size_t bits);

}  // namespace velk
