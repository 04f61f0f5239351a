// Case folding of ASCII letters alone, as COMTRADE keywords, file extensions,
// encoding and option names compare: a byte outside A-Z (so every byte of a
// UTF-8 or code page 1251 letter) stays as it is, whatever the locale.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace velk {

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

// True iff text ends with end, ASCII letters compared without case: a path
// and its extension (".cfg", ".CFG").
inline bool EndsWithNoCase(std::string_view text, std::string_view end) {
  return text.size() >= end.size() &&
         std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                    [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

}  // namespace velk
