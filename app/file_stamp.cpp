#include "app/file_stamp.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "comtrade/file_io.h"

namespace velk {

FileStamp StampOf(const std::string& path) {
  const std::filesystem::path file = FsPath(path);
  if (path.empty() || file.empty()) return {};
  std::error_code size_error, time_error;
  const auto size = std::filesystem::file_size(file, size_error);
  const auto changed = std::filesystem::last_write_time(file, time_error);
  if (size_error || time_error) return {};
  FileStamp stamp{true, size, static_cast<std::int64_t>(changed.time_since_epoch().count()), {}};
  if (const std::unique_ptr<ReadableFile> bytes = Files().NewReadableFile(path)) {
    stamp.head.resize(kStampedBytes);
    stamp.head.resize(bytes->Read(stamp.head.data(), stamp.head.size()));
  }
  return stamp;
}

}  // namespace velk
