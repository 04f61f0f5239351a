#include "app/system_services.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>

#include "comtrade/file_io.h"
#include "comtrade/file_system.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
// windows.h first: the shell's header needs its types.
#include <knownfolders.h>
#include <shlobj.h>
#endif

namespace velk {
namespace {

constexpr const char* kProgramFolder = "velk-comtrade";

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
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

}  // namespace

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
  return WithSeparator(appdata) + kProgramFolder + kPathSeparator;
#else
  (void)appdata;
  // A relative value of the variable is to be ignored.
  if (!xdg_config_home.empty() && xdg_config_home.front() == '/')
    return WithSeparator(xdg_config_home) + kProgramFolder + kPathSeparator;
  if (home.empty()) return "";
  return WithSeparator(home) + ".config" + kPathSeparator + kProgramFolder + kPathSeparator;
#endif
}

std::string LocalSystem::UserConfigFolder() const {
  return ConfigFolderFrom(Environment("APPDATA"), Environment("XDG_CONFIG_HOME"),
                          Environment("HOME"));
}

std::string DocumentsFolderFrom(const std::string& xdg_documents_dir, const std::string& home) {
  if (!xdg_documents_dir.empty() && xdg_documents_dir.front() == '/')
    return WithSeparator(xdg_documents_dir);
  if (home.empty()) return "";
  return WithSeparator(home) + "Documents" + kPathSeparator;
}

std::string LocalSystem::UserDocumentsFolder() const {
#ifdef _WIN32
  PWSTR wide = nullptr;
  std::string folder;
  if (SHGetKnownFolderPath(FOLDERID_Documents, 0, nullptr, &wide) == S_OK)
    folder = PathText(std::filesystem::path(wide));
  CoTaskMemFree(wide);
  return folder.empty() ? folder : WithSeparator(folder);
#else
  return DocumentsFolderFrom(Environment("XDG_DOCUMENTS_DIR"), Environment("HOME"));
#endif
}

int LocalSystem::CurrentYear() const {
  return velk::CurrentYear();
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

std::string ExistingFolderOf(const std::string& folder) {
  std::string at = folder;
  while (!at.empty()) {
    const std::filesystem::path path = FsPath(at);
    std::error_code error;
    if (!path.empty() && std::filesystem::is_directory(path, error)) return at;
    std::string inner = at;  // without its closing separators
    while (inner.size() > 1 && IsPathSeparator(inner.back())) inner.pop_back();
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
