#include "comtrade/same_file.h"

#include <filesystem>
#include <system_error>

#include "comtrade/file_io.h"

namespace velk {

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;  // set when either path does not exist: then they differ
  return std::filesystem::equivalent(FsPath(a), FsPath(b), error) && !error;
}

bool WritesOverRecord(const std::vector<std::string>& outputs,
                      const std::vector<std::string>& records) {
  for (const std::string& output : outputs)
    for (const std::string& record : records)
      if (SameFile(output, record)) return true;
  return false;
}

}  // namespace velk
