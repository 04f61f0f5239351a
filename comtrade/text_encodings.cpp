#include "comtrade/text_encodings.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "comtrade/ascii_case.h"
#include "comtrade/cp1251.h"
#include "comtrade/gbk_table.h"
#include "comtrade/utf16.h"

namespace velk {
namespace {

// Code page 866 (DOS): 0x80-0xAF are А to п, 0xE0-0xEF р to я; between them
// the box-drawing signs, after them Ё, ё and a few more.
constexpr std::array<std::uint16_t, 48> kCp866Middle = {
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // 0xB8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // 0xC8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // 0xD8
};
constexpr std::array<std::uint16_t, 16> kCp866Tail = {
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,  // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,  // 0xF8
};

// KOI8-R: 0x80-0xBF box drawing and signs with ё and Ё; 0xC0-0xDF the small
// letters and 0xE0-0xFF the capitals, both in the order of the Latin ones.
constexpr std::array<std::uint16_t, 64> kKoi8Upper = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524,  // 0x80
    0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590,  // 0x88
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248,  // 0x90
    0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7,  // 0x98
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556,  // 0xA0
    0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E,  // 0xA8
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565,  // 0xB0
    0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9,  // 0xB8
};
// The small letters at 0xC0-0xDF: ю а б ц д е ф г х и й к л м н о п я р с т у ж в ь ы з ш э щ ч ъ.
constexpr std::array<std::uint16_t, 32> kKoi8Letters = {
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433, 0x0445, 0x0438, 0x0439,
    0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443,
    0x0436, 0x0432, 0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A,
};

unsigned Cp866Point(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xB0) return 0x410u + (byte - 0x80u);
  if (byte < 0xE0) return kCp866Middle[byte - 0xB0u];
  if (byte < 0xF0) return 0x440u + (byte - 0xE0u);
  return kCp866Tail[byte - 0xF0u];
}

unsigned Koi8Point(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte < 0xC0) return kKoi8Upper[byte - 0x80u];
  if (byte < 0xE0) return kKoi8Letters[byte - 0xC0u];
  return kKoi8Letters[byte - 0xE0u] - 0x20u;  // the capital of the same letter
}

// Only the letters matter to the guess; every other sign of the upper half
// counts as no letter.
unsigned Cp1251Point(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x410u + (byte - 0xC0u);
  if (byte == 0xA8) return 0x401;
  if (byte == 0xB8) return 0x451;
  return 0xFFFD;
}

bool IsSmallLetter(unsigned code) {
  return (code >= 0x430 && code <= 0x44F) || code == 0x451;
}
bool IsCapital(unsigned code) {
  return (code >= 0x410 && code <= 0x42F) || code == 0x401;
}

// How Russian text reads in a code page: each Cyrillic letter counts, the
// frequent ones more, a small letter after a letter more still (names are
// written with a capital first, rarely in capitals alone), and a capital
// after a small letter or a sign that is no letter counts against it.
// GBK text as UTF-8: a byte that begins no two-byte code of a character
// becomes U+FFFD, and a plain sign after it stays itself.
std::string GbkToUtf8(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      out += text[i];
      continue;
    }
    const auto trail = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : '\0');
    const char16_t character = GbkCharacter(lead, trail);
    AppendUtf8(out, character);
    if (trail >= 0x80 || character != kGbkNone) ++i;
  }
  return out;
}

template <typename PointOf>
long RussianScore(std::string_view text, PointOf point_of) {
  static constexpr std::u16string_view kFrequent = u"оеаинтсрвлкмдпуОЕАИНТСРВЛКМДПУ";
  long score = 0;
  unsigned previous = ' ';
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const unsigned code = point_of(byte);
    // A Russian word is Cyrillic letters alone; a Latin-1 accent sits between
    // Latin letters ("Medição").
    const bool latin = (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z';
    const bool previous_latin = (previous | 0x20) >= 'a' && (previous | 0x20) <= 'z';
    if ((byte >= 0x80 && previous_latin) || (latin && previous >= 0x80)) score -= 6;
    if (byte >= 0x80) {
      if (IsSmallLetter(code) || IsCapital(code)) {
        score += 1;
        if (kFrequent.find(static_cast<char16_t>(code)) != std::u16string_view::npos) score += 2;
        if (IsSmallLetter(code) && (IsSmallLetter(previous) || IsCapital(previous))) score += 2;
        if (IsCapital(code) && IsSmallLetter(previous)) score -= 3;
      } else {
        score -= 4;
      }
    }
    previous = code;
  }
  return score;
}

// How Chinese text reads in GBK; nothing when a byte of the upper half is no
// part of the two-byte code of a character. Each character counts by how often
// one of its kind stands in a name: the 3755 frequent hanzi of GB 2312's first
// level most, its signs (full-width letters and digits, numbers in circles)
// less, the rare hanzi of its second level nothing, and the rarer ones GBK
// added against it. Cyrillic letters of code page 1251 that happen to pair
// into codes fall mostly among the rare ones (two small letters make a hanzi
// of the second level), accented Latin letters beside plain ones among GBK's
// additions.
std::optional<long> ChineseScore(std::string_view text) {
  long score = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) continue;
    if (i + 1 == text.size()) return std::nullopt;
    const auto trail = static_cast<unsigned char>(text[++i]);
    if (GbkCharacter(lead, trail) == kGbkNone) return std::nullopt;
    if (lead < 0xA1 || trail < 0xA1)
      score -= 2;
    else if (lead >= 0xB0 && lead <= 0xD7)
      score += 4;
    else if (lead <= 0xA9)
      score += 2;
  }
  return score;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned code = 0, least = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

TextEncoding DetectEncoding(std::string_view text) {
  if (IsUtf8(text)) return TextEncoding::kUtf8;
  const long cp1251 = RussianScore(text, Cp1251Point);
  const long cp866 = RussianScore(text, Cp866Point);
  const long koi8 = RussianScore(text, Koi8Point);
  const std::optional<long> chinese = ChineseScore(text);
  if (chinese && *chinese > 0 && *chinese > std::max({cp1251, cp866, koi8}))
    return TextEncoding::kGbk;
  if (cp1251 <= 0 && cp866 <= 0 && koi8 <= 0) return TextEncoding::kLatin1;
  if (cp1251 >= cp866 && cp1251 >= koi8) return TextEncoding::kCp1251;
  return cp866 >= koi8 ? TextEncoding::kCp866 : TextEncoding::kKoi8r;
}

std::string ToUtf8(std::string_view text, TextEncoding encoding) {
  std::string out;
  out.reserve(text.size());
  switch (encoding) {
    case TextEncoding::kCp1251:
      return Cp1251ToUtf8(text);
    case TextEncoding::kUtf8:
      if (IsUtf8(text)) return std::string(text);
      // Each byte of a broken sequence stands for one unknown character.
      for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
          out += text[i];
          continue;
        }
        std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (length > 1 && i + length <= text.size() && IsUtf8(text.substr(i, length))) {
          out += text.substr(i, length);
          i += length - 1;
        } else {
          AppendUtf8(out, 0xFFFD);
        }
      }
      return out;
    case TextEncoding::kCp866:
      for (char c : text) AppendUtf8(out, Cp866Point(static_cast<unsigned char>(c)));
      return out;
    case TextEncoding::kKoi8r:
      for (char c : text) AppendUtf8(out, Koi8Point(static_cast<unsigned char>(c)));
      return out;
    case TextEncoding::kGbk:
      return GbkToUtf8(text);
    case TextEncoding::kLatin1:
      break;
  }
  for (char c : text) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string_view EncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kCp1251:
      return "cp1251";
    case TextEncoding::kUtf8:
      return "utf-8";
    case TextEncoding::kCp866:
      return "cp866";
    case TextEncoding::kKoi8r:
      return "koi8-r";
    case TextEncoding::kGbk:
      return "gbk";
    case TextEncoding::kLatin1:
      break;
  }
  return "latin-1";
}

std::optional<TextEncoding> EncodingByName(std::string_view name) {
  std::string key;
  for (char c : name)
    if (c != '-' && c != '_' && c != ' ') key += AsciiLower(c);
  if (key == "utf8") return TextEncoding::kUtf8;
  if (key == "cp1251" || key == "windows1251" || key == "1251") return TextEncoding::kCp1251;
  if (key == "cp866" || key == "ibm866" || key == "866") return TextEncoding::kCp866;
  if (key == "koi8r" || key == "koi8") return TextEncoding::kKoi8r;
  if (key == "gbk" || key == "cp936" || key == "936" || key == "gb2312") return TextEncoding::kGbk;
  if (key == "latin1" || key == "iso88591" || key == "cp1252") return TextEncoding::kLatin1;
  return std::nullopt;
}

}  // namespace velk
