// Text in Windows code page 1251, the single-byte code of every VELK file and of
// the converter's own captions and messages.
//
// Fixed texts are written in the sources as UTF-8 literals and turned into their
// code page 1251 bytes at compile time by Cp1251(); a character outside the code
// page is a compile error. At run time text is turned into UTF-8 only where it
// meets a person: the terminal and the window.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velk {

// The code page 1251 bytes of a UTF-8 literal, usable as a constant.
template <std::size_t N>
struct Cp1251Text {
  char bytes[N]{};
  std::size_t size = 0;
  constexpr std::string_view view() const { return {bytes, size}; }
  constexpr operator std::string_view() const { return view(); }
};

namespace detail {
// The code page 1251 byte of a Unicode code point; -1 when it has none.
// Covers ASCII, the Russian alphabet with Ё/ё and the few signs our texts use.
constexpr int Cp1251Byte(unsigned code) {
  if (code < 0x80) return static_cast<int>(code);
  if (code >= 0x410 && code <= 0x44F) return static_cast<int>(code - 0x410 + 0xC0);
  if (code == 0x401) return 0xA8;   // Ё
  if (code == 0x451) return 0xB8;   // ё
  if (code == 0x2116) return 0xB9;  // №
  if (code == 0x2026) return 0x85;  // …
  if (code == 0x2014) return 0x97;  // —
  return -1;
}
}  // namespace detail

template <std::size_t N>
consteval Cp1251Text<N> Cp1251(const char (&utf8)[N]) {
  Cp1251Text<N> out;
  std::size_t i = 0;
  while (i + 1 < N) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    unsigned code = lead;
    std::size_t length = 1;
    if (lead >= 0xE0) {
      code = ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
             (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
      length = 3;
    } else if (lead >= 0xC0) {
      code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      length = 2;
    }
    const int byte = detail::Cp1251Byte(code);
    if (byte < 0) throw "character outside code page 1251";
    out.bytes[out.size++] = static_cast<char>(byte);
    i += length;
  }
  return out;
}

// UTF-8 for a person to read. Byte 0x98, which has no character in the code
// page, becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view text);
// UTF-16, as a Windows window draws text; 0x98 becomes U+FFFD as above.
std::u16string Cp1251ToUtf16(std::string_view text);

// The code page 1251 bytes of UTF-8 text, such as a folder's name; nothing when
// the text is not UTF-8 or holds a character that the code page lacks.
std::optional<std::string> Utf8ToCp1251(std::string_view text);

}  // namespace velk
