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

#include <array>
#include <bit>
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
// anew. The digits of numbers up to eight digits long (over a day of samples)
// are kept as the bytes of one 64-bit word and counted up with one addition;
// longer numbers are converted each time.
class SampleNumberText {
 public:
  // value in decimal; needs kDecimalRoom bytes of room.
  char* Put(char* out, std::int32_t value) {
    if (value == expected_) {
      // Nonzero bytes where a digit is not '9', the last digit in the top byte.
      const std::uint64_t not_nine = (text_ ^ kNines) << unused_bits_;
      if (not_nine != 0) {  // not all nines: the number keeps its length
        text_ += count_up_[static_cast<std::size_t>(std::countl_zero(not_nine) / 8)];
        ++expected_;
        std::memcpy(out, &text_, sizeof text_);
        return out + size_;
      }
    }
    return PutSlow(out, value);
  }

 private:
  // The bytes of a word are its digits in the order they are written.
  static_assert(std::endian::native == std::endian::little);
  static constexpr std::int64_t kNone = INT64_MIN;  // equals no sample number
  static constexpr std::uint64_t kNines = 0x3939393939393939;
  char* PutSlow(char* out, std::int32_t value);

  std::int64_t expected_ = kNone;  // one above the number in text_, when counting up
  std::uint64_t text_ = 0;         // the digits of that number, zero bytes after them
  std::size_t size_ = 0;           // how many digits
  int unused_bits_ = 0;            // the bits of text_ after the last digit
  // count_up_[k] added to text_ counts it up by one when its last k digits are
  // '9': they become '0', and the digit before them goes up by one.
  std::array<std::uint64_t, 8> count_up_ = {};
};

// Room for "," and one 16-bit value: ",-32768" and one byte more.
inline constexpr std::size_t kValueFieldRoom = 8;

// "," and a 16-bit value, as the eight bytes copied into a line at once: the
// text in the first seven, its length in the last.
struct ValueField {
  char text[7];
  std::uint8_t size;
};
static_assert(sizeof(ValueField) == kValueFieldRoom);
// The field of every 16-bit value, indexed by its bits as unsigned: 0..32767,
// then -32768..-1. Built when the program starts.
extern const std::array<ValueField, 65536> kValueFields;

// "," and each of the count 16-bit signed little-endian values at values;
// needs count * kValueFieldRoom bytes of room.
inline char* PutValueFields(char* out, const unsigned char* values, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const ValueField& field = kValueFields[static_cast<std::size_t>(values[2 * i]) |
                                           static_cast<std::size_t>(values[2 * i + 1]) << 8];
    std::memcpy(out, &field, sizeof field);
    out += field.size;
  }
  return out;
}

// Room for the digital channels of one status word: ",1" or ",0" sixteen times.
inline constexpr std::size_t kBitFieldsRoom = 32;
// ",b0,b1,...,b7" for each byte of a status word, bit 0 first.
using ByteBits = std::array<char, 16>;
constexpr std::array<ByteBits, 256> MakeByteBits() {
  std::array<ByteBits, 256> table{};
  for (std::size_t byte = 0; byte < 256; ++byte)
    for (std::size_t bit = 0; bit < 8; ++bit) {
      table[byte][2 * bit] = ',';
      table[byte][2 * bit + 1] = (byte >> bit) & 1 ? '1' : '0';
    }
  return table;
}
inline constexpr std::array<ByteBits, 256> kByteBits = MakeByteBits();

// "," and "1" or "0" for bits 0 .. bits-1 of a status word (bits at most 16).
inline char* PutBitFields(char* out, std::uint16_t word, std::size_t bits) {
  std::memcpy(out, kByteBits[word & 0xFF].data(), 16);
  std::memcpy(out + 16, kByteBits[word >> 8].data(), 16);
  return out + 2 * bits;
}

}  // namespace velk
