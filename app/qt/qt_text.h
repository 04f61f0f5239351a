// Texts between the logic and the toolkit: the logic's code page 1251 and
// UTF-8 and the file system's path bytes, as QString and back.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velk {

// Text of the logic (code page 1251) for the screen.
QString FromCp1251(std::string_view text);
// Text of the logic in UTF-8 (the viewer's, names read from records) for the screen.
QString FromUtf8(std::string_view text);
// A path as the file system names it, for the screen, and back.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);

}  // namespace velk
