#include "comtrade/ascii_pair.h"

#include "app/texts.h"
#include "comtrade/text_reader.h"

namespace velk {

bool CreateOrReport(UiServices& ui, OutFile& file, const std::string& path) {
  if (file.Create(path)) return true;
  ui.ErrorBox(text::kOpenError);
  return false;
}

bool OpenOrReport(UiServices& ui, InFile& file, const std::string& path) {
  if (file.Open(path)) return true;
  ui.ErrorBox(text::kOpenError);
  return false;
}

bool FinishWritten(UiServices& ui, OutFile& file) {
  if (file.Close()) return true;
  file.Abandon();
  ui.ErrorBox(text::kWriteError);
  return false;
}

bool MakeAsciiConfig(UiServices& ui, const PairPaths& pair, std::string* second_line) {
  OutFile ascii;
  if (!CreateOrReport(ui, ascii, pair.ascii_cfg)) return false;
  InFile binary;
  if (!binary.Open(pair.binary_cfg)) {
    ascii.Abandon();
    ui.ErrorBox(text::kOpenError);
    return false;
  }
  TextReader reader(binary);
  std::string line;
  for (int number = 1; !reader.ended() && ascii.ok(); ++number) {
    reader.ReadLine(line);
    if (number == 2 && second_line != nullptr) *second_line = line;
    ascii.Line(line == "BINARY" ? "ASCII" : line);
  }
  return FinishWritten(ui, ascii);
}

bool OpenAsciiData(UiServices& ui, const PairPaths& pair, OutFile& ascii, InFile& binary) {
  if (!CreateOrReport(ui, ascii, pair.ascii_dat)) return false;
  if (binary.Open(pair.binary_dat)) return true;
  ascii.Abandon();
  ui.ErrorBox(text::kOpenError);
  return false;
}

}  // namespace velk
