#include "comtrade/data_text.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "comtrade/file_io.h"

namespace velk {
namespace {

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

constexpr std::array<ValueField, 65536> MakeValueFields() {
  std::array<ValueField, 65536> fields{};
  for (int bits = 0; bits < 65536; ++bits)
    fields[static_cast<std::size_t>(bits)] = MakeValueField(bits < 32768 ? bits : bits - 65536);
  return fields;
}

}  // namespace

char* PutDecimalSlow(char* out, std::int32_t value) {
  return std::to_chars(out, out + kDecimalRoom, value).ptr;
}

namespace {

// A word whose byte number `at` (in memory order) is `byte`, the others zero.
std::uint64_t ByteAt(std::size_t at, std::uint64_t byte) {
  return byte << (8 * at);
}

}  // namespace

char* SampleNumberText::PutSlow(char* out, std::int32_t value) {
  char digits[kDecimalRoom] = {};
  const auto size = static_cast<std::size_t>(PutDecimal(digits, value) - digits);
  std::memcpy(out, digits, size);
  // Counting up continues from up to eight digits alone, not from a sign.
  const bool counts = value >= 0 && size <= sizeof text_;
  expected_ = counts ? std::int64_t{value} + 1 : kNone;
  if (counts) {
    size_ = size;
    std::memcpy(&text_, digits, sizeof text_);
    unused_bits_ = static_cast<int>(8 * (sizeof text_ - size));
    std::uint64_t nines = 0;  // what turns the last k digits from '9' to '0'
    for (std::size_t k = 0; k < size; ++k) {
      count_up_[k] = ByteAt(size - 1 - k, 1) - nines;
      nines += ByteAt(size - 1 - k, 9);
    }
  }
  return out + size;
}

// Built when the program starts (a compile-time table of this size exceeds what
// some compilers evaluate at compile time).
const std::array<ValueField, 65536> kValueFields = MakeValueFields();

}  // namespace velk
