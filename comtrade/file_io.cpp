#include "comtrade/file_io.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include <sys/stat.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include "comtrade/utf16.h"

namespace velk {
namespace {

#ifdef _WIN32
std::FILE* OpenFile(const std::string& path, const wchar_t* mode) {
  return _wfopen(FsPath(path).c_str(), mode);
}
constexpr const wchar_t* kReadMode = L"rb";
constexpr const wchar_t* kWriteMode = L"wb";
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
int SeekTo(std::FILE* f, std::int64_t offset, int whence) {
  return fseeko(f, static_cast<off_t>(offset), whence);
}
bool IsFolder(std::FILE* f) {
  struct stat info {};
  return fstat(fileno(f), &info) == 0 && S_ISDIR(info.st_mode);
}
#endif

}  // namespace

#ifdef _WIN32
namespace {

// From this length on, a folder cannot be created through a path without the
// prefix (a file path may reach 259 characters; a folder must leave room for a
// name of 8.3 characters).
constexpr std::size_t kLongPath = 248;
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongUncPrefix = L"\\\\?\\UNC\\";

bool IsSlash(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// A full path with a drive (C:\records) or of a network share (\\server\records).
bool IsDrivePath(std::wstring_view text) {
  return text.size() >= 3 && text[1] == L':' && IsSlash(text[2]) &&
         ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
}
bool IsSharePath(std::wstring_view text) {
  return text.size() >= 3 && IsSlash(text[0]) && IsSlash(text[1]) && text[2] != L'?' &&
         text[2] != L'.';
}

}  // namespace

std::filesystem::path FsPath(const std::string& path) {
  const std::optional<std::u16string> units = Utf16FromUtf8(path);
  // '?' may not stand in a name: no file can be opened, created or listed there.
  if (!units) return std::filesystem::path(L"?");
  std::wstring text(units->begin(), units->end());
  if (text.size() < kLongPath || !(IsDrivePath(text) || IsSharePath(text)))
    return std::filesystem::path(std::move(text));
  // With the prefix the system takes the path as it stands: "." and ".." steps
  // are resolved and every separator made a backslash first, as the system
  // does for a path without it.
  if (IsSharePath(text)) {  // \\server\share\... becomes \\?\UNC\server\share\...
    const auto normal = std::filesystem::path(text.substr(2)).lexically_normal();
    return std::filesystem::path(std::wstring(kLongUncPrefix) + normal.native());
  }
  const auto normal = std::filesystem::path(text).lexically_normal();
  return std::filesystem::path(std::wstring(kLongPrefix) + normal.native());
}

bool IsPathText(const std::string& path) {
  return Utf16FromUtf8(path).has_value();
}

std::string PathText(const std::filesystem::path& path) {
  std::wstring_view text = path.native();
  std::wstring share;
  if (text.starts_with(kLongUncPrefix)) {
    share = L"\\\\" + std::wstring(text.substr(kLongUncPrefix.size()));
    text = share;
  } else if (text.starts_with(kLongPrefix)) {
    text.remove_prefix(kLongPrefix.size());
  }
  return Utf8FromUtf16(std::u16string(text.begin(), text.end()));
}
#else
std::filesystem::path FsPath(const std::string& path) {
  return std::filesystem::path(path);
}

bool IsPathText(const std::string&) {
  return true;
}

std::string PathText(const std::filesystem::path& path) {
  return path.native();
}
#endif

bool FileExists(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(FsPath(path), error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

#ifdef _WIN32
std::optional<std::vector<FolderEntry>> FolderEntries(const std::string& folder) {
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
std::optional<std::vector<FolderEntry>> FolderEntries(const std::string& folder) {
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

// ---- InFile ----

bool InFile::Open(const std::string& path) {
  Close();
  file_ = OpenFile(path, kReadMode);
  if (file_ == nullptr) return false;
  if (IsFolder(file_)) {
    Close();
    return false;
  }
  std::setvbuf(file_, nullptr, _IONBF, 0);  // our own block buffer does the buffering
  buffer_.Allocate(kReadBlockSize);
  next_ = filled_ = 0;
  buffer_start_ = 0;
  failed_ = false;
  return true;
}

void InFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

std::int64_t InFile::Size() {
  if (file_ == nullptr) return -1;
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

bool InFile::Seek(std::int64_t offset) {
  if (file_ == nullptr || offset < 0) return false;
  // Within the block already read: just move inside it.
  if (offset >= buffer_start_ && offset <= buffer_start_ + static_cast<std::int64_t>(filled_)) {
    next_ = static_cast<std::size_t>(offset - buffer_start_);
    return true;
  }
  if (SeekTo(file_, offset, SEEK_SET) != 0) return false;
  buffer_start_ = offset;
  next_ = filled_ = 0;
  return true;
}

bool InFile::Refill() {
  if (file_ == nullptr || failed_) return false;
  buffer_start_ += static_cast<std::int64_t>(filled_);
  next_ = 0;
  filled_ = std::fread(buffer_.data(), 1, buffer_.size, file_);
  if (filled_ == 0 && std::ferror(file_)) failed_ = true;
  return filled_ > 0;
}

std::size_t InFile::Read(void* dst, std::size_t n) {
  auto* out = static_cast<char*>(dst);
  std::size_t copied = 0;
  while (copied < n) {
    if (next_ == filled_ && !Refill()) break;
    const std::size_t step = std::min(n - copied, filled_ - next_);
    std::copy_n(buffer_.data() + next_, step, out + copied);
    next_ += step;
    copied += step;
  }
  return copied;
}

const unsigned char* InFile::TakeSlow(std::size_t n) {
  if (file_ == nullptr) return nullptr;
  // Keep the bytes not yet read, moved to the front, and fill up behind them.
  if (buffer_.size < n) {  // a record larger than a block: a larger buffer
    BlockBuffer larger;
    larger.Allocate(n);
    std::copy_n(buffer_.data() + next_, filled_ - next_, larger.data());
    buffer_ = std::move(larger);
  } else {
    std::copy(buffer_.data() + next_, buffer_.data() + filled_, buffer_.data());
  }
  buffer_start_ += static_cast<std::int64_t>(next_);
  filled_ -= next_;
  next_ = 0;
  while (filled_ < n && !failed_) {
    const std::size_t got = std::fread(buffer_.data() + filled_, 1, buffer_.size - filled_, file_);
    if (got == 0) {
      if (std::ferror(file_)) failed_ = true;
      break;
    }
    filled_ += got;
  }
  if (filled_ < n) return nullptr;
  next_ = n;
  return reinterpret_cast<const unsigned char*>(buffer_.data());
}

bool InFile::ReadI32(std::int32_t& value) {
  if (const unsigned char* bytes = Take(4)) {
    value = LittleI32(bytes);
    return true;
  }
  unsigned char bytes[4] = {};  // cut short: the missing bytes read as zero
  const bool whole = ReadExact(bytes, 4);
  value = LittleI32(bytes);
  return whole;
}

bool InFile::ReadU16(std::uint16_t& value) {
  if (const unsigned char* bytes = Take(2)) {
    value = LittleU16(bytes);
    return true;
  }
  unsigned char bytes[2] = {};
  const bool whole = ReadExact(bytes, 2);
  value = LittleU16(bytes);
  return whole;
}

// ---- BlockWriter ----

// One thread that writes the blocks handed to it, one at a time, in order.
class BlockWriter {
 public:
  explicit BlockWriter(std::FILE* file) : file_(file), thread_([this] { Run(); }) {}
  ~BlockWriter() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // Starts writing n bytes at data, once the block before is written. The
  // bytes must stay as they are until Wait returns.
  void Submit(const char* data, std::size_t n) {
    Wait();
    {
      std::lock_guard lock(mutex_);
      data_ = data;
      size_ = n;
    }
    changed_.notify_all();
  }
  // Waits until the block handed over last is written. Returns false iff any
  // block failed to be written.
  bool Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return data_ == nullptr; });
    return !failed_;
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return data_ != nullptr || quit_; });
      if (data_ == nullptr) return;
      const char* data = data_;
      const std::size_t n = size_;
      const bool failed = failed_;
      lock.unlock();
      const bool written = failed || std::fwrite(data, 1, n, file_) == n;
      lock.lock();
      if (!written) failed_ = true;
      data_ = nullptr;
      changed_.notify_all();
    }
  }

  std::FILE* file_;
  std::mutex mutex_;
  std::condition_variable changed_;
  const char* data_ = nullptr;  // the block to write; nullptr when there is none
  std::size_t size_ = 0;
  bool failed_ = false;
  bool quit_ = false;
  std::thread thread_;  // last: it starts once the members above exist
};

// ---- OutFile ----

OutFile::OutFile() = default;

OutFile::~OutFile() {
  Close();
}

bool OutFile::Create(const std::string& path) {
  Close();
  file_ = OpenFile(path, kWriteMode);
  if (file_ == nullptr) return false;
  std::setvbuf(file_, nullptr, _IONBF, 0);
  path_ = path;
  buffer_.Allocate(kBlockSize);
  used_ = 0;
  failed_ = false;
  return true;
}

void OutFile::Flush() {
  if (used_ == 0) return;
  if (failed_) {
    used_ = 0;
    return;
  }
  if (writer_ == nullptr) {
    writer_ = std::make_unique<BlockWriter>(file_);
    spare_.Allocate(buffer_.size);
  }
  if (!writer_->Wait()) failed_ = true;  // the writer is done with the spare buffer now
  if (!failed_) writer_->Submit(buffer_.data(), used_);
  std::swap(buffer_, spare_);
  used_ = 0;
}

void OutFile::FlushLast() {
  if (writer_ != nullptr) {
    if (!writer_->Wait()) failed_ = true;
    writer_.reset();
  }
  if (used_ > 0 && !failed_ && std::fwrite(buffer_.data(), 1, used_, file_) != used_)
    failed_ = true;
  used_ = 0;
}

void OutFile::RoomSlow(std::size_t n) {
  Flush();
  if (buffer_.size < n) {  // a piece larger than a block: a buffer of its size
    BlockBuffer larger;
    larger.Allocate(n);
    buffer_ = std::move(larger);
  }
}

void OutFile::WriteSlow(const void* data, std::size_t n) {
  const auto* in = static_cast<const char*>(data);
  while (n > 0) {
    if (used_ == buffer_.size) Flush();
    const std::size_t step = std::min(n, buffer_.size - used_);
    std::copy_n(in, step, buffer_.data() + used_);
    used_ += step;
    in += step;
    n -= step;
  }
}

void OutFile::Decimal(std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  Write(digits, static_cast<std::size_t>(end - digits));
}

bool OutFile::Close() {
  if (file_ == nullptr) return !failed_;
  FlushLast();
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

void OutFile::Abandon() {
  used_ = 0;
  writer_.reset();  // lets the block being written finish first
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  // Only an ordinary file is removed: never a device such as /dev/null, nor a link.
  std::error_code error;
  const auto target = FsPath(path_);
  if (!path_.empty() &&
      std::filesystem::is_regular_file(std::filesystem::symlink_status(target, error)))
    std::filesystem::remove(target, error);
}

}  // namespace velk
