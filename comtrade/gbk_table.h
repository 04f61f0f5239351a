// The two-byte codes of GBK, the code of Chinese text in records of Chinese
// recorders: a lead byte 0x81-0xFE and a trail byte 0x40-0x7E or 0x80-0xFE.
// The table (gbk_table.cpp) is written by tools/make_gbk_table.cpp.
#pragma once

namespace velk {

inline constexpr unsigned kGbkLeads = 126, kGbkTrails = 190;
// What a code without a character of its own stands for.
inline constexpr char16_t kGbkNone = 0xFFFD;

// The character of the code lead, trail; kGbkNone for a code of no character
// (a user-defined one) or bytes that are no two-byte code.
char16_t GbkCharacter(unsigned char lead, unsigned char trail);

}  // namespace velk
