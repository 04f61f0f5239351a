// Stand-ins for the discrete and combined operations while the window is
// built on its own: a discrete record is accepted when its first line is
// "// DD MM hh:mm:ss", and the two conversions write nothing.
#include <cstdio>

#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/file_io.h"
#include "comtrade/text_reader.h"

namespace velk {

void TFComtrade::ReadHeaderDIS() {
  InFile file;
  controls.ConvertDISButton = false;
  if (!file.Open(controls.FileListBox2.SelectedFile())) {
    controls.DateLabelDIS = text::kNotFound;
    return;
  }
  TextReader reader(file);
  std::string line;
  reader.ReadLine(line);
  int d = 0, mo = 0, h = 0, mi = 0, s = 0;
  if (line.size() < 17 ||
      std::sscanf(line.c_str(), "// %2d %2d %2d:%2d:%2d", &d, &mo, &h, &mi, &s) != 5) {
    controls.DateLabelDIS = std::string(text::kDamaged) + "1";
    return;
  }
  discrete.day = d;
  discrete.month = mo;
  discrete.hour = h;
  discrete.minute = mi;
  discrete.second = s;
  controls.DateLabelDIS =
      line.substr(3, 2) + "." + line.substr(6, 2) + ".???? " + line.substr(9, 8);
  controls.ConvertDISButton = true;
}

void TFComtrade::ConvertDIS() {}

void TFComtrade::ConvertUNI() {}

}  // namespace velk
