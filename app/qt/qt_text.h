// Texts between the logic and the toolkit: the logic's code page 1251 and
// the file system's path bytes, as QString and back.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace velk {

// Text of the logic (code page 1251) for the screen.
QString FromCp1251(std::string_view text);
// A path as the file system names it, for the screen, and back.
QString FromPath(std::string_view path);
std::string ToPath(const QString& path);

}  // namespace velk
