// Text where it meets Windows: the logic's code page 1251 captions and its
// UTF-8 paths turned into the UTF-16 of the wide API, and back for paths.
#pragma once

#include <string>
#include <string_view>

namespace velk::win32 {

std::wstring WideFromCp1251(std::string_view text);
std::wstring WideFromUtf16(std::u16string_view text);
// Paths: the logic names files in UTF-8 on Windows.
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
// Text of the system's own code page, such as an error's description.
std::wstring WideFromAnsi(std::string_view text);

}  // namespace velk::win32
