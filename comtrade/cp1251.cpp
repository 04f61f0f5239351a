#include "comtrade/cp1251.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "comtrade/utf16.h"

namespace velk {
namespace {

// Unicode code points of the bytes 0x80 to 0xBF; 0xC0 to 0xFF are А to я in order.
constexpr std::array<std::uint16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
};

unsigned CodePoint(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x410u + (byte - 0xC0u);
  return kUpperHalf[byte - 0x80u];
}

// The byte of a UTF-16 code unit; -1 when the code page has none.
int ByteOf(char16_t unit) {
  if (unit < 0x80) return unit;
  if (unit >= 0x410 && unit <= 0x44F) return 0xC0 + (unit - 0x410);
  if (unit == 0xFFFD) return -1;  // stands for byte 0x98, which has no character
  const auto* at = std::find(kUpperHalf.begin(), kUpperHalf.end(), unit);
  return at == kUpperHalf.end() ? -1 : 0x80 + static_cast<int>(at - kUpperHalf.begin());
}

}  // namespace

std::optional<std::string> Utf8ToCp1251(std::string_view text) {
  const std::optional<std::u16string> units = Utf16FromUtf8(text);
  if (!units) return std::nullopt;
  std::string out;
  out.reserve(units->size());
  for (char16_t unit : *units) {
    const int byte = ByteOf(unit);
    if (byte < 0) return std::nullopt;
    out += static_cast<char>(byte);
  }
  return out;
}

std::string Cp1251ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) AppendUtf8(out, CodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::u16string Cp1251ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out += static_cast<char16_t>(CodePoint(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace velk
