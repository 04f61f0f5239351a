#include "comtrade/file_system.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "comtrade/file_io.h"
#include "comtrade/utf16.h"

namespace velk {
namespace {

#ifdef _WIN32
std::FILE* OpenFile(const std::string& path, const wchar_t* mode) {
  return _wfopen(FsPath(path).c_str(), mode);
}
constexpr const wchar_t* kReadMode = L"rb";
constexpr const wchar_t* kWriteMode = L"wb";
constexpr const wchar_t* kAppendMode = L"ab";
int SeekTo(std::FILE* f, std::int64_t offset, int whence) {
  return _fseeki64(f, offset, whence);
}
std::int64_t TellOf(std::FILE* f) {
  return _ftelli64(f);
}
bool IsFolder(std::FILE*) {
  return false;
}  // Windows refuses to open a folder as a file
#else
std::FILE* OpenFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}
constexpr const char* kReadMode = "rb";
constexpr const char* kWriteMode = "wb";
constexpr const char* kAppendMode = "ab";
int SeekTo(std::FILE* f, std::int64_t offset, int whence) {
  return fseeko(f, static_cast<off_t>(offset), whence);
}
bool IsFolder(std::FILE* f) {
  struct stat info {};
  return fstat(fileno(f), &info) == 0 && S_ISDIR(info.st_mode);
}
#endif

// A C stream without a buffer of its own: InFile and OutFile buffer in blocks.
std::FILE* OpenUnbuffered(const std::string& path, const auto* mode) {
  std::FILE* file = OpenFile(path, mode);
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

class RealReadableFile : public ReadableFile {
 public:
  explicit RealReadableFile(std::FILE* file) : file_(file) {}
  ~RealReadableFile() override { std::fclose(file_); }
  RealReadableFile(const RealReadableFile&) = delete;
  RealReadableFile& operator=(const RealReadableFile&) = delete;

  std::size_t Read(char* dst, std::size_t n) override { return std::fread(dst, 1, n, file_); }
  bool failed() const override { return std::ferror(file_) != 0; }
  bool Seek(std::int64_t offset) override { return SeekTo(file_, offset, SEEK_SET) == 0; }
  std::int64_t Size() override {
#ifdef _WIN32
    const std::int64_t here = TellOf(file_);
    if (SeekTo(file_, 0, SEEK_END) != 0) return -1;
    const std::int64_t size = TellOf(file_);
    SeekTo(file_, here, SEEK_SET);
    return size;
#else
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_size);
#endif
  }

 private:
  std::FILE* file_;
};

class RealWritableFile : public WritableFile {
 public:
  explicit RealWritableFile(std::FILE* file) : file_(file) {}
  ~RealWritableFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  RealWritableFile(const RealWritableFile&) = delete;
  RealWritableFile& operator=(const RealWritableFile&) = delete;

  bool Append(const char* data, std::size_t n) override {
    return file_ != nullptr && std::fwrite(data, 1, n, file_) == n;
  }
  bool Close() override {
    if (file_ == nullptr) return false;
    bool ok = std::fflush(file_) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
  }

 private:
  std::FILE* file_;
};

std::unique_ptr<WritableFile> Writable(std::FILE* file) {
  if (file == nullptr) return nullptr;
  return std::make_unique<RealWritableFile>(file);
}

#ifdef _WIN32
// Read with the system's own search: MinGW's directory_iterator reads another
// folder when the path is longer than 260 characters.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  const std::wstring pattern = (FsPath(folder) / L"*").native();
  WIN32_FIND_DATAW found;
  const HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<FolderEntry> entries;
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    FolderEntry entry;
    entry.name = Utf8FromUtf16(std::u16string(name.begin(), name.end()));
    entry.kind = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FolderEntry::Kind::kFolder
                 : (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)  ? FolderEntry::Kind::kOther
                                                                     : FolderEntry::Kind::kFile;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(search, &found));
  const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  if (!complete) return std::nullopt;
  return entries;
}
#else
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::error_code error;
  std::filesystem::directory_iterator it(FsPath(folder), error), end;
  for (; !error && it != end; it.increment(error)) {
    std::error_code kind_error;
    FolderEntry entry;
    entry.name = PathText(it->path().filename());
    entry.kind = it->is_regular_file(kind_error) ? FolderEntry::Kind::kFile
                 : it->is_directory(kind_error)  ? FolderEntry::Kind::kFolder
                                                 : FolderEntry::Kind::kOther;
    entries.push_back(std::move(entry));
  }
  if (error) return std::nullopt;
  return entries;
}
#endif

class OperatingSystemFiles : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> NewReadableFile(const std::string& path) override {
    std::FILE* file = OpenUnbuffered(path, kReadMode);
    if (file == nullptr) return nullptr;
    if (IsFolder(file)) {
      std::fclose(file);
      return nullptr;
    }
    return std::make_unique<RealReadableFile>(file);
  }
  std::unique_ptr<WritableFile> NewWritableFile(const std::string& path) override {
    return Writable(OpenUnbuffered(path, kWriteMode));
  }
  std::unique_ptr<WritableFile> NewAppendableFile(const std::string& path) override {
    return Writable(OpenUnbuffered(path, kAppendMode));
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    std::error_code error;
    std::filesystem::rename(FsPath(from), FsPath(to), error);
    return !error;
  }
  bool RemoveFile(const std::string& path) override {
    std::error_code error;
    const auto target = FsPath(path);
    return !path.empty() &&
           std::filesystem::is_regular_file(std::filesystem::symlink_status(target, error)) &&
           std::filesystem::remove(target, error);
  }
  std::optional<std::vector<FolderEntry>> GetChildren(const std::string& folder) override {
    return ListFolder(folder);
  }
};

std::atomic<FileSystem*> current{nullptr};

}  // namespace

FileSystem& RealFileSystem() {
  static OperatingSystemFiles files;
  return files;
}

FileSystem& Files() {
  FileSystem* files = current.load(std::memory_order_acquire);
  return files != nullptr ? *files : RealFileSystem();
}

ScopedFileSystem::ScopedFileSystem(FileSystem& files) : previous_(current.exchange(&files)) {}

ScopedFileSystem::~ScopedFileSystem() {
  current.store(previous_);
}

}  // namespace velk
