// make-gbk-table: writes comtrade/gbk_table.cpp, the characters of the
// two-byte codes of GBK as GB 18030 gives them, from the C library's iconv
// (glibc), so that the converter reads GBK names where there is no iconv (the
// Windows build):
//
//   make-gbk-table > comtrade/gbk_table.cpp
//
// A two-byte code is a lead byte 0x81-0xFE and a trail byte 0x40-0x7E or
// 0x80-0xFE: 126 rows of 190 codes. A code without a character of its own
// is written U+FFFD: the user-defined areas, which GB 18030 gives the Private
// Use Area, and the six codes it gives characters beyond the Basic
// Multilingual Plane (GBK has none there).
#include <iconv.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr unsigned kNone = 0xFFFD;

// The character of one two-byte code, or kNone.
char32_t CharacterOf(iconv_t converter, unsigned lead, unsigned trail) {
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char32_t out[2] = {};
  char* in_at = in;
  char* out_at = reinterpret_cast<char*>(out);
  std::size_t in_left = sizeof in, out_left = sizeof out;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  const bool one =
      iconv(converter, &in_at, &in_left, &out_at, &out_left) != static_cast<size_t>(-1) &&
      in_left == 0 && out_left == sizeof out - sizeof(char32_t);
  const char32_t code = out[0];
  if (!one || code > 0xFFFF || (code >= 0xE000 && code <= 0xF8FF) || code < 0xA0) return kNone;
  return code;
}

void PutUtf8(std::string& out, char32_t code) {
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (code & 0x3F));
}

}  // namespace

int main() {
  const iconv_t converter = iconv_open("UTF-32LE", "GB18030");
  if (converter == reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1))) {
    std::fputs("make-gbk-table: iconv has no GB18030\n", stderr);
    return EXIT_FAILURE;
  }
  std::string out =
      "// The characters of GBK's two-byte codes, as GB 18030 gives them: written by\n"
      "// tools/make_gbk_table.cpp from glibc's iconv; do not edit. Row by lead byte\n"
      "// 0x81-0xFE, in each the trail bytes 0x40-0x7E and 0x80-0xFE; U+FFFD where\n"
      "// a code has no character of its own.\n"
      "#include \"comtrade/gbk_table.h\"\n"
      "\n"
      "namespace velk {\n"
      "namespace {\n"
      "\n"
      "// clang-format off\n"
      "constexpr char16_t kCharacters[] =\n";
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    char label[16];
    std::snprintf(label, sizeof label, "/* %02X */ u\"", lead);
    out += label;
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail)
      if (trail != 0x7F) PutUtf8(out, CharacterOf(converter, lead, trail));
    out += lead == 0xFE ? "\";\n" : "\"\n";
  }
  out +=
      "// clang-format on\n"
      "static_assert(sizeof kCharacters / sizeof kCharacters[0] == kGbkLeads * kGbkTrails + 1);\n"
      "\n"
      "}  // namespace\n"
      "\n"
      "char16_t GbkCharacter(unsigned char lead, unsigned char trail) {\n"
      "  if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail == 0x7F || trail > 0xFE) return "
      "kGbkNone;\n"
      "  const unsigned column = trail < 0x7F ? trail - 0x40u : trail - 0x41u;\n"
      "  return kCharacters[(lead - 0x81u) * kGbkTrails + column];\n"
      "}\n"
      "\n"
      "}  // namespace velk\n";
  iconv_close(converter);
  std::fputs(out.c_str(), stdout);
  return EXIT_SUCCESS;
}
