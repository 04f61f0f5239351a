#include "platform/platform.h"

#include <ctime>
#include <random>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include "comtrade/utf16.h"
#endif

#include "comtrade/file_io.h"

namespace velk {
namespace {

#ifdef _WIN32
constexpr std::string_view kSeparators = "\\/:";
#else
constexpr std::string_view kSeparators = "/";
#endif

// path made full against the current directory; empty when the file system
// cannot take it or the current directory is gone.
std::filesystem::path Absolute(const std::string& path) {
  const std::filesystem::path given = FsPath(path);
  if (given.empty() || !IsPathText(path)) return {};
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(given, error);
  return error ? std::filesystem::path() : full;
}

}  // namespace

std::string UniqueName(const char* prefix) {
  static std::random_device entropy;
  return prefix + std::to_string(entropy()) + std::to_string(entropy());
}

// ---- the combined conversion's private state file ----

std::string PrivateStateFolder::StateFilePath() {
  std::error_code error;
  const auto temp = std::filesystem::temp_directory_path(error);
  for (int attempt = 0; attempt < 100 && folder_.empty() && !error; ++attempt) {
    const auto candidate = temp / UniqueName("velk-");
    // Creating the folder is atomic: it fails when another run owns the name.
    if (std::filesystem::create_directory(candidate, error)) folder_ = candidate;
    if (error == std::errc::file_exists) error.clear();
  }
  if (folder_.empty()) return PathText(temp / "velk-unavailable" / "tmp.tmp");
  return PathText(folder_ / "tmp.tmp");
}

void PrivateStateFolder::Release() {
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  folder_.clear();
}

// ---- the machine ----

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local.tm_year + 1900;
}

int LocalUtcOffsetMinutes() {
  const std::time_t now = std::time(nullptr);
  std::tm local{}, utc{};
#ifdef _WIN32
  localtime_s(&local, &now);
  gmtime_s(&utc, &now);
#else
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
#endif
  // The two calendars differ by less than a day: compare their day of the year.
  int days = local.tm_yday - utc.tm_yday;
  if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
  return (days * 24 + local.tm_hour - utc.tm_hour) * 60 + local.tm_min - utc.tm_min;
}

std::string ProgramFolder(const std::string& argv0) {
#ifdef _WIN32
  // argv[0] need not be the program's full path: the system knows it.
  (void)argv0;
  std::wstring path(512, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return FolderOf(Utf8FromUtf16(std::u16string(path.begin(), path.end())));
#else
#ifdef __linux__
  // The program's own file, whatever path or link it was started by.
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error && self.has_parent_path()) return PathText(self.parent_path()) + "/";
#endif
  return FolderOf(argv0);
#endif
}

// ---- path texts ----

bool IsPathSeparator(char c) {
  return kSeparators.find(c) != std::string_view::npos;
}

std::string FolderOf(const std::string& path) {
  const auto end = path.find_last_of(kSeparators);
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string NameOf(const std::string& path) {
  const auto end = path.find_last_of(kSeparators);
  return end == std::string::npos ? path : path.substr(end + 1);
}

std::string FullPath(const std::string& path) {
  const std::string full = PathText(Absolute(path).lexically_normal());
  return full.empty() ? path : full;
}

}  // namespace velk
