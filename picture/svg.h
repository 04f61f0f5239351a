// A scene as an SVG file: the picture of a record that any browser opens.
#pragma once

#include <string>

#include "comtrade/report.h"
#include "picture/scene.h"

namespace velk {

// The SVG text of scene; texts in UTF-8, so that a reader can search names.
std::string SvgText(const Scene& scene);
// Writes it into a new file at path; "Ошибка открытия файла" or "Ошибка записи
// файла" when it cannot be written whole (nothing is left then).
Outcome WriteSvg(const Scene& scene, const std::string& path);

}  // namespace velk
