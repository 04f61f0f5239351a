#include "tests/support/faulty_files.h"

#include <algorithm>

#include "comtrade/file_io.h"

namespace velk::testing {
namespace {

// path with every backslash made a slash: Windows paths name the same file.
std::string Slashed(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool Names(const std::string& path, const std::string& name) {
  const std::string p = Slashed(path), n = Slashed(name);
  return p == n || (p.ends_with(n) && p.size() > n.size() && p[p.size() - n.size() - 1] == '/');
}

// The entry of a table of faults that hits path, or the table's end.
template <typename Table>
auto Hit(const Table& table, const std::string& path) {
  return std::find_if(table.begin(), table.end(), [&](const auto& entry) {
    if constexpr (requires { entry.first; }) {
      return Names(path, entry.first);
    } else {
      return Names(path, entry);
    }
  });
}

template <typename Table>
bool Hits(const Table& table, const std::string& path) {
  return Hit(table, path) != table.end();
}

class CutReadable : public ReadableFile {
 public:
  CutReadable(std::unique_ptr<ReadableFile> file, std::int64_t at, bool read_error)
      : file_(std::move(file)), at_(at), read_error_(read_error) {}

  std::size_t Read(char* dst, std::size_t n) override {
    const auto left = static_cast<std::size_t>(std::max<std::int64_t>(0, at_ - position_));
    if (left == 0) {
      failed_ = read_error_;
      return 0;
    }
    const std::size_t got = file_->Read(dst, std::min(n, left));
    position_ += static_cast<std::int64_t>(got);
    return got;
  }
  bool failed() const override { return failed_ || file_->failed(); }
  bool Seek(std::int64_t offset) override {
    if (!file_->Seek(offset)) return false;
    position_ = offset;
    return true;
  }
  std::int64_t Size() override { return file_->Size(); }

 private:
  std::unique_ptr<ReadableFile> file_;
  std::int64_t at_;
  bool read_error_;
  std::int64_t position_ = 0;
  bool failed_ = false;
};

class FaultyWritable : public WritableFile {
 public:
  FaultyWritable(std::unique_ptr<WritableFile> file, std::int64_t full_at, bool fail_close)
      : file_(std::move(file)), room_(full_at), fail_close_(fail_close) {}

  bool Append(const char* data, std::size_t n) override {
    if (room_ < 0) return file_->Append(data, n);
    const auto fits = std::min(n, static_cast<std::size_t>(room_));
    if (fits > 0 && !file_->Append(data, fits)) return false;
    room_ -= static_cast<std::int64_t>(fits);
    return fits == n;
  }
  bool Close() override { return file_->Close() && !fail_close_; }

 private:
  std::unique_ptr<WritableFile> file_;
  std::int64_t room_;  // bytes the disk still takes; negative: no limit
  bool fail_close_;
};

}  // namespace

FaultyFiles::FaultyFiles()
    : real_(Files()), installed_(std::make_unique<ScopedFileSystem>(*this)) {}

FaultyFiles::~FaultyFiles() = default;

bool FaultyFiles::InReadOnlyFolder(const std::string& path) const {
  const std::string p = Slashed(path);
  return std::any_of(read_only_folders_.begin(), read_only_folders_.end(), [&](const auto& f) {
    const std::string folder = Slashed(f);
    return p.starts_with(folder) && p.find('/', folder.size()) == std::string::npos;
  });
}

bool FaultyFiles::MayCreate(const std::string& path) const {
  if (Hits(refused_creates_, path)) return false;
  return !InReadOnlyFolder(path) || FileExists(path);
}

std::unique_ptr<WritableFile> FaultyFiles::Faulty(const std::string& path,
                                                  std::unique_ptr<WritableFile> file) const {
  if (file == nullptr) return nullptr;
  const auto full = Hit(disk_full_at_, path);
  return std::make_unique<FaultyWritable>(
      std::move(file), full == disk_full_at_.end() ? -1 : full->second, Hits(failed_closes_, path));
}

std::unique_ptr<ReadableFile> FaultyFiles::NewReadableFile(const std::string& path) {
  if (on_open) on_open(path);
  if (Hits(refused_opens_, path)) return nullptr;
  std::unique_ptr<ReadableFile> file = real_.NewReadableFile(path);
  const auto cut = Hit(cut_reads_, path);
  if (file == nullptr || cut == cut_reads_.end()) return file;
  return std::make_unique<CutReadable>(std::move(file), cut->second.at, cut->second.read_error);
}

std::unique_ptr<WritableFile> FaultyFiles::NewWritableFile(const std::string& path) {
  if (!MayCreate(path)) return nullptr;
  return Faulty(path, real_.NewWritableFile(path));
}

std::unique_ptr<WritableFile> FaultyFiles::NewAppendableFile(const std::string& path) {
  if (!MayCreate(path)) return nullptr;
  return Faulty(path, real_.NewAppendableFile(path));
}

bool FaultyFiles::RenameFile(const std::string& from, const std::string& to) {
  if (Hits(failed_renames_, from) || Hits(failed_renames_, to)) return false;
  if (InReadOnlyFolder(from) || InReadOnlyFolder(to)) return false;
  return real_.RenameFile(from, to);
}

bool FaultyFiles::RemoveFile(const std::string& path) {
  if (InReadOnlyFolder(path)) return false;
  return real_.RemoveFile(path);
}

std::optional<std::vector<FolderEntry>> FaultyFiles::GetChildren(const std::string& folder) {
  return real_.GetChildren(folder);
}

}  // namespace velk::testing
