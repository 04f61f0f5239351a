// The text encodings of the names in COMTRADE records written by devices of
// every maker: UTF-8, the Cyrillic code pages 1251, 866 and KOI8-R, GBK (the
// two-byte codes of GB 18030, in which Chinese recorders write) and Latin-1. A
// record does not say which one it uses, so the reader tells it by the bytes:
// valid UTF-8 is UTF-8; otherwise GBK or the Cyrillic code page, whichever
// reads more like Chinese or Russian names; otherwise Latin-1.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "comtrade/configuration.h"

namespace velk {

// The encoding that text (the names of a record, joined by commas) is most
// likely in.
// Text of ASCII alone is reported as UTF-8, which it also is.
TextEncoding DetectEncoding(std::string_view text);

// True iff text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// text in encoding as UTF-8. Bytes that are no character of the encoding (and
// invalid sequences of UTF-8) become U+FFFD.
std::string ToUtf8(std::string_view text, TextEncoding encoding);

// The name a person gives an encoding: "utf-8", "cp1251", "cp866", "koi8-r",
// "gbk", "latin-1".
std::string_view EncodingName(TextEncoding encoding);

// The encoding a name such as "CP1251", "windows-1251", "utf8", "866",
// "koi8r" or "GBK" stands for; nothing for a name of none.
std::optional<TextEncoding> EncodingByName(std::string_view name);

}  // namespace velk
