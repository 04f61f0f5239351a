#include "app/system_services.h"

#include <ctime>
#include <filesystem>
#include <system_error>

#include "comtrade/file_io.h"

namespace velk {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
#else
constexpr const char* kSeparators = "/";
#endif

std::string WithSeparator(std::string folder) {
  if (folder.empty() ||
      folder.back() != static_cast<char>(std::filesystem::path::preferred_separator))
    folder += static_cast<char>(std::filesystem::path::preferred_separator);
  return folder;
}

}  // namespace

int LocalSystem::CurrentYear() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return local.tm_year + 1900;
}

std::string LocalSystem::CurrentDirectory() const {
  std::error_code error;
  const auto here = std::filesystem::current_path(error);
  return error ? std::string() : WithSeparator(PathText(here));
}

bool LocalSystem::SetCurrentDir(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code error;
  std::filesystem::current_path(FsPath(folder), error);
  return !error;
}

std::string LocalSystem::ExpandFileName(const std::string& path) const {
  return ExpandPath(CurrentDirectory(), path);
}

std::string FolderOf(const std::string& path) {
  const auto end = path.find_last_of(kSeparators);
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string NameOf(const std::string& path) {
  const auto end = path.find_last_of(kSeparators);
  return end == std::string::npos ? path : path.substr(end + 1);
}

std::string ExpandPath(const std::string& folder, const std::string& path) {
  std::filesystem::path full = FsPath(path);
  if (full.is_relative()) full = FsPath(folder) / full;
  return PathText(full.lexically_normal());
}

}  // namespace velk
