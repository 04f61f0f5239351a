#include "picture/text_columns.h"

namespace velk {
namespace {

// The bytes of the character that starts at text[at]: 1 for a byte that
// starts none (the text is UTF-8, so only at a damaged end).
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return at + length <= text.size() ? length : 1;
}

char32_t CodeOf(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  if (character.size() == 1) return lead;
  char32_t code = lead & (0x7Fu >> character.size());
  for (std::size_t k = 1; k < character.size(); ++k)
    code = code << 6 | (static_cast<unsigned char>(character[k]) & 0x3Fu);
  return code;
}

// East Asian wide characters: Hangul jamo, the CJK radicals to Yi, Hangul
// syllables, compatibility ideographs and forms, the full-width signs, and
// the ideographs beyond the Basic Multilingual Plane.
bool IsWide(char32_t code) {
  return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
         (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
         (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
         (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

std::size_t Columns(std::string_view character) {
  return IsWide(CodeOf(character)) ? 2 : 1;
}

}  // namespace

std::size_t TextColumns(std::string_view text) {
  std::size_t columns = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = CharacterLength(text, at);
    columns += Columns(text.substr(at, length));
    at += length;
  }
  return columns;
}

std::string_view LeadingColumns(std::string_view text, std::size_t columns) {
  std::size_t at = 0, taken = 0;
  while (at < text.size()) {
    const std::size_t length = CharacterLength(text, at);
    const std::size_t width = Columns(text.substr(at, length));
    if (taken + width > columns) break;
    taken += width;
    at += length;
  }
  return text.substr(0, at);
}

std::string_view TrailingColumns(std::string_view text, std::size_t columns) {
  std::size_t from = 0, taken = TextColumns(text);
  while (from < text.size() && taken > columns) {
    const std::size_t length = CharacterLength(text, from);
    taken -= Columns(text.substr(from, length));
    from += length;
  }
  return text.substr(from);
}

}  // namespace velk
