#include "app/system_services.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string_view>
#include <system_error>

#include "comtrade/file_io.h"

namespace velk {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
#else
constexpr const char* kSeparators = "/";
#endif
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
constexpr const char* kProgramFolder = "velk-comtrade";

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

// The value of an environment variable as path text; empty when unset.
std::string Environment(const char* name) {
#ifdef _WIN32
  const std::wstring wide(name, name + std::strlen(name));
  const wchar_t* value = _wgetenv(wide.c_str());
  return value == nullptr ? std::string() : PathText(std::filesystem::path(value));
#else
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
#endif
}

// A name no other run picks at the same moment.
std::string UniqueName(const char* prefix) {
  static std::random_device entropy;
  return prefix + std::to_string(entropy()) + std::to_string(entropy());
}

}  // namespace

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

// ---- folders ----

bool SystemServices::CanCreateFileIn(const std::string& folder) const {
  const std::filesystem::path base = FsPath(folder);
  if (folder.empty() || base.empty()) return false;
  const std::string probe = PathText(base / UniqueName("velk-probe-"));
  std::unique_ptr<WritableFile> file = Files().NewWritableFile(probe);
  if (file == nullptr) return false;
  file->Close();
  Files().RemoveFile(probe);
  return true;
}

bool SystemServices::MakeFolder(const std::string& folder) {
  const std::filesystem::path path = FsPath(folder);
  if (folder.empty() || path.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(path, error);
  return std::filesystem::is_directory(path, error);
}

std::string ConfigFolderFrom(const std::string& appdata, const std::string& xdg_config_home,
                             const std::string& home) {
#ifdef _WIN32
  (void)xdg_config_home;
  (void)home;
  if (appdata.empty()) return "";
  return WithSeparator(appdata) + kProgramFolder + kSeparator;
#else
  (void)appdata;
  // A relative value of the variable is to be ignored.
  if (!xdg_config_home.empty() && xdg_config_home.front() == '/')
    return WithSeparator(xdg_config_home) + kProgramFolder + kSeparator;
  if (home.empty()) return "";
  return WithSeparator(home) + ".config" + kSeparator + kProgramFolder + kSeparator;
#endif
}

std::string LocalSystem::UserConfigFolder() const {
  return ConfigFolderFrom(Environment("APPDATA"), Environment("XDG_CONFIG_HOME"),
                          Environment("HOME"));
}

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
  const std::string text = error ? std::string() : PathText(here);
  return text.empty() ? text : WithSeparator(text);
}

bool LocalSystem::SetCurrentDir(const std::string& folder) {
  const std::filesystem::path path = FsPath(folder);
  if (folder.empty() || path.empty()) return false;
  std::error_code error;
  std::filesystem::current_path(path, error);
  return !error;
}

std::string LocalSystem::ExpandFileName(const std::string& path) const {
  return ExpandPath(CurrentDirectory(), path);
}

// ---- path texts ----

std::string FolderOf(const std::string& path) {
  const auto end = path.find_last_of(kSeparators);
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

std::string NameOf(const std::string& path) {
  const auto end = path.find_last_of(kSeparators);
  return end == std::string::npos ? path : path.substr(end + 1);
}

std::string ExistingFolderOf(const std::string& folder) {
  std::string at = folder;
  while (!at.empty()) {
    const std::filesystem::path path = FsPath(at);
    std::error_code error;
    if (!path.empty() && std::filesystem::is_directory(path, error)) return at;
    std::string inner = at;  // without its closing separators
    while (inner.size() > 1 &&
           std::string_view(kSeparators).find(inner.back()) != std::string_view::npos)
      inner.pop_back();
    const std::string up = FolderOf(inner);
    if (up == at) break;
    at = up;
  }
  return "";
}

std::string ExpandPath(const std::string& folder, const std::string& path) {
  if (!IsPathText(path) || !IsPathText(folder)) return path;  // nothing the file system can take
  std::filesystem::path full = FsPath(path);
  if (full.empty()) return path;
  if (full.is_relative()) {
    const std::filesystem::path base = FsPath(folder);
    if (base.empty()) return path;
    full = base / full;
  }
  const std::string text = PathText(full.lexically_normal());
  return text.empty() ? path : text;
}

}  // namespace velk
