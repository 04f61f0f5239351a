#include "analog/flh_header.h"

#include <algorithm>
#include <utility>

#include "comtrade/cp1251.h"

namespace velk {
namespace {

// The device's display code: which code page 1251 letter each display byte shows.
constexpr auto kDisplayLetters = Cp1251(
    "АБВГДЕЖЗКЛМНОПРСТУФХЧШЩЫЭЮЯЙИЦабвгдежзклмнопрстуфхчшщыэюяйиць"
    "Ь>--е");
constexpr std::uint8_t kDisplayCodes[] = {
    0x41, 0xA0, 0x42, 0xA1, 0xE0, 0x45, 0xA3, 0xA4, 0x4B, 0xA7, 0x4D, 0x48, 0x4F, 0xA8,
    0x50, 0x43, 0x54, 0xA9, 0xAA, 0x58, 0xAB, 0xAC, 0xE2, 0xAE, 0xAF, 0xB0, 0xB1, 0xB9,
    0xA5, 0xE1, 0x61, 0xB2, 0xB3, 0xB4, 0xE3, 0x65, 0xB6, 0xB7, 0xBA, 0xBB, 0xBC, 0xBD,
    0x6F, 0xBE, 0x70, 0x63, 0xBF, 0x79, 0xE4, 0x78, 0xC0, 0xC1, 0xE6, 0xC3, 0xC5, 0xC6,
    0xC7, 0xA6, 0xB8, 0xE5, 0xC4, 0xAD, 0xDC, 0xD9, 0xDA, 0xB5};
static_assert(sizeof kDisplayCodes == kDisplayLetters.size);

char DisplayLetter(std::uint8_t code) {
  const auto* end = std::end(kDisplayCodes);
  const auto* found = std::find(std::begin(kDisplayCodes), end, code);
  return found == end ? static_cast<char>(code) : kDisplayLetters.bytes[found - kDisplayCodes];
}

}  // namespace

int DecodeBcd(std::uint8_t byte) {
  return (byte >> 4) * 10 + (byte & 0x0F);
}

std::string DecodeNameANL(std::span<const std::uint8_t> source) {
  std::string name;
  name.reserve(source.size());
  for (std::uint8_t code : source) name += DisplayLetter(code);
  return name;
}

std::string StationName(std::span<const std::uint8_t, kNameLength> stored) {
  std::string name = DecodeNameANL(stored);
  for (std::size_t i = 0; i + 1 < name.size(); i += 2) std::swap(name[i], name[i + 1]);
  return name.substr(0, name.find('\0'));
}

}  // namespace velk
