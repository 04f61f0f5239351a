#include "batch/batch_files.h"

#include <algorithm>
#include <cstdint>

#include "comtrade/file_io.h"

namespace velk::batch {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

fs::path PathOf(std::string_view text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string ReadWhole(const fs::path& path) {
  InFile file;
  if (!file.Open(Text(path))) return "";
  std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, file.Size())), '\0');
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

bool WriteWhole(const fs::path& path, std::string_view bytes) {
  OutFile file;
  if (!file.Create(Text(path))) return false;
  file.Write(bytes);
  return file.Close();
}

}  // namespace velk::batch
