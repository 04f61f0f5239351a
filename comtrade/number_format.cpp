#include "comtrade/number_format.h"

#include <charconv>
#include <limits>

namespace velk {

// The multipliers are computed and printed in the x87 extended precision that the
// device software uses; a 64-bit long double would change the last digit of some.
static_assert(std::numeric_limits<long double>::digits == 64,
              "channel multipliers need the 80-bit extended long double");

std::string Decimal(std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return std::string(digits, end);
}

std::string ZeroPaddedCut(std::int64_t value, int width) {
  std::string digits = Decimal(value < 0 ? -value : value);
  const auto sign = static_cast<std::size_t>(value < 0 ? 1 : 0);
  const auto wanted = static_cast<std::size_t>(width);
  if (digits.size() + sign < wanted) digits.insert(0, wanted - sign - digits.size(), '0');
  if (sign) digits.insert(0, 1, '-');
  return digits.substr(0, wanted);
}

std::string SpacePaddedCut(std::int64_t value, int width) {
  std::string text = Decimal(value);
  const auto wanted = static_cast<std::size_t>(width);
  if (text.size() < wanted) text.insert(0, wanted - text.size(), ' ');
  return text.substr(0, wanted);
}

std::string Multiplier(long double value) {
  char digits[64];
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 4);
  if (result.ec != std::errc{}) return "0.0000";  // cannot happen for a 32-bit factor
  return std::string(digits, result.ptr);
}

std::int64_t LeadingNumber(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  return negative ? -value : value;
}

}  // namespace velk
