// UTF-16, the text in which Windows names files and hands a program its
// arguments, and UTF-8, the text in which the converter keeps paths.
//
// Windows allows a name with a lone surrogate, which is not Unicode. Such a
// code unit is kept in UTF-8 as its three-byte form (as WTF-8 does), so that a
// name read from a folder or the command line converts back to the same file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velk {

// Appends the UTF-8 bytes of one code point (a lone surrogate in its
// three-byte form).
void AppendUtf8(std::string& out, char32_t code);

// The UTF-8 of UTF-16 text; never fails.
std::string Utf8FromUtf16(std::u16string_view text);

// The UTF-16 of UTF-8 text (lone surrogates in their three-byte form
// included). Nothing when a byte sequence is neither: a truncated or overlong
// sequence, a stray continuation byte, or a code point above U+10FFFF.
std::optional<std::u16string> Utf16FromUtf8(std::string_view text);

}  // namespace velk
