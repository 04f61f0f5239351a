#include "app/system_services.h"

#include <ctime>

namespace velk {

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

std::string FolderOf(const std::string& path) {
#ifdef _WIN32
  const auto end = path.find_last_of("\\/:");
#else
  const auto end = path.find_last_of('/');
#endif
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

}  // namespace velk
