#include "comtrade/same_file.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <tuple>

#include "comtrade/file_io.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace velk {

#ifdef _WIN32
namespace {

// The volume and the file's index on it, as the system knows the file behind
// path; nothing when it cannot be opened.
std::optional<std::tuple<DWORD, DWORD, DWORD>> FileIdentity(const std::string& path) {
  const HANDLE file =
      CreateFileW(FsPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

}  // namespace

// Windows names one file in many ways: another letter case, the \\?\ prefix,
// a short name, a junction or a hard link. The system's own identity of the
// opened file decides, as the file system itself sees it.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  const auto first = FileIdentity(a);
  return first && first == FileIdentity(b);
}
#else
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;  // set when either path does not exist: then they differ
  return std::filesystem::equivalent(FsPath(a), FsPath(b), error) && !error;
}
#endif

bool WritesOverRecord(const std::vector<std::string>& outputs,
                      const std::vector<std::string>& records) {
  for (const std::string& output : outputs)
    for (const std::string& record : records)
      if (SameFile(output, record)) return true;
  return false;
}

}  // namespace velk
