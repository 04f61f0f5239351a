#include "comtrade/data_text.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "comtrade/file_io.h"

namespace velk {
namespace {

// "," and a 16-bit value, as the eight bytes copied into a line at once: the
// text in the first seven, its length in the last.
struct ValueField {
  char text[7];
  std::uint8_t size;
};
static_assert(sizeof(ValueField) == kValueFieldRoom);

constexpr ValueField MakeValueField(int value) {
  ValueField field{};
  char digits[5] = {};
  int count = 0;
  unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::uint8_t at = 0;
  field.text[at++] = ',';
  if (value < 0) field.text[at++] = '-';
  while (count > 0) field.text[at++] = digits[--count];
  field.size = at;
  return field;
}

// Indexed by the value's 16 bits as unsigned: 0..32767, then -32768..-1.
constexpr std::array<ValueField, 65536> MakeValueFields() {
  std::array<ValueField, 65536> fields{};
  for (int bits = 0; bits < 65536; ++bits)
    fields[static_cast<std::size_t>(bits)] = MakeValueField(bits < 32768 ? bits : bits - 65536);
  return fields;
}
// Built when the program starts (a compile-time table of this size exceeds what
// some compilers evaluate at compile time).
const std::array<ValueField, 65536> kValueFields = MakeValueFields();

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
constexpr std::array<ByteBits, 256> kByteBits = MakeByteBits();

}  // namespace

char* PutDecimalSlow(char* out, std::int32_t value) {
  return std::to_chars(out, out + kDecimalRoom, value).ptr;
}

char* SampleNumberText::PutSlow(char* out, std::int32_t value) {
  if (value == expected_) {  // 9 becomes 10, 199 becomes 200, ...
    std::size_t at = size_;
    while (at > 0 && digits_[at - 1] == '9') digits_[--at] = '0';
    if (at > 0) {
      ++digits_[at - 1];
    } else {
      std::memmove(digits_ + 1, digits_, size_++);
      digits_[0] = '1';
    }
  } else {
    size_ = static_cast<std::size_t>(PutDecimal(digits_, value) - digits_);
  }
  // Counting up continues from a number of digits alone, not from a sign.
  expected_ = value >= 0 ? std::int64_t{value} + 1 : kNone;
  std::memcpy(out, digits_, kDecimalRoom);
  return out + size_;
}

char* PutValueFields(char* out, const unsigned char* values, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const ValueField& field = kValueFields[LittleU16(values + 2 * i)];
    std::memcpy(out, &field, sizeof field);
    out += field.size;
  }
  return out;
}

char* PutBitFields(char* out, std::uint16_t word, std::size_t bits) {
  std::memcpy(out, kByteBits[word & 0xFF].data(), 16);
  std::memcpy(out + 16, kByteBits[word >> 8].data(), 16);
  return out + 2 * bits;
}

}  // namespace velk
