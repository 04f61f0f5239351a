#include "comtrade/ascii_pair.h"

#include "comtrade/text_reader.h"

namespace velk {

bool CreateOrReport(Reporter& reporter, OutFile& file, const std::string& path) {
  if (file.Create(path)) return true;
  reporter.Report({Failure::kOpenError, path});
  return false;
}

bool OpenOrReport(Reporter& reporter, InFile& file, const std::string& path) {
  if (file.Open(path)) return true;
  reporter.Report({Failure::kOpenError, path});
  return false;
}

bool FinishWritten(Reporter& reporter, OutFile& file) {
  if (file.Close()) return true;
  const std::string path = file.path();
  file.Abandon();
  reporter.Report({Failure::kWriteError, path});
  return false;
}

bool MakeAsciiConfig(Reporter& reporter, const PairPaths& pair, std::string* second_line,
                     bool final_empty_line) {
  OutFile ascii;
  if (!CreateOrReport(reporter, ascii, pair.ascii_cfg)) return false;
  InFile binary;
  if (!binary.Open(pair.binary_cfg)) {
    ascii.Abandon();
    reporter.Report({Failure::kOpenError, pair.binary_cfg});
    return false;
  }
  TextReader reader(binary);
  std::string line;
  for (int number = 1; !reader.ended() && ascii.ok(); ++number) {
    reader.ReadLine(line);
    if (number == 2 && second_line != nullptr) *second_line = line;
    if (reader.ended() && line.empty() && !final_empty_line) break;
    ascii.Line(line == "BINARY" ? "ASCII" : line);
  }
  return FinishWritten(reporter, ascii);
}

bool OpenAsciiData(Reporter& reporter, const PairPaths& pair, OutFile& ascii, InFile& binary) {
  if (!CreateOrReport(reporter, ascii, pair.ascii_dat)) return false;
  if (binary.Open(pair.binary_dat)) return true;
  ascii.Abandon();
  reporter.Report({Failure::kOpenError, pair.binary_dat});
  return false;
}

}  // namespace velk
