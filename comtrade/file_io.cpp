#include "comtrade/file_io.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

#include "comtrade/utf16.h"

namespace velk {

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

std::string NormalPathText(const std::filesystem::path& path) {
  const std::string plain = PathText(path);
  const std::optional<std::u16string> units = Utf16FromUtf8(plain);
  if (!units) return plain;
  const std::filesystem::path normal(std::wstring(units->begin(), units->end()));
  return PathText(normal.lexically_normal());
}

bool IsRelativePath(const std::string& path) {
  const std::optional<std::u16string> units = Utf16FromUtf8(path);
  return units && std::filesystem::path(std::wstring(units->begin(), units->end())).is_relative();
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

std::string NormalPathText(const std::filesystem::path& path) {
  return path.lexically_normal().native();
}

bool IsRelativePath(const std::string& path) {
  return std::filesystem::path(path).is_relative();
}
#endif

bool FileExists(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(FsPath(path), error);
  return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::optional<std::vector<FolderEntry>> FolderEntries(const std::string& folder) {
  return Files().GetChildren(folder);
}

// ---- InFile ----

bool InFile::Open(const std::string& path) {
  Close();
  file_ = Files().NewReadableFile(path);
  if (file_ == nullptr) return false;
  buffer_.Allocate(kReadBlockSize);
  next_ = filled_ = 0;
  buffer_start_ = 0;
  failed_ = false;
  return true;
}

void InFile::Close() {
  file_.reset();
}

std::int64_t InFile::Size() {
  return file_ == nullptr ? -1 : file_->Size();
}

bool InFile::Seek(std::int64_t offset) {
  if (file_ == nullptr || offset < 0) return false;
  // Within the block already read: just move inside it.
  if (offset >= buffer_start_ && offset <= buffer_start_ + static_cast<std::int64_t>(filled_)) {
    next_ = static_cast<std::size_t>(offset - buffer_start_);
    return true;
  }
  if (!file_->Seek(offset)) return false;
  buffer_start_ = offset;
  next_ = filled_ = 0;
  return true;
}

bool InFile::Refill() {
  if (file_ == nullptr || failed_) return false;
  buffer_start_ += static_cast<std::int64_t>(filled_);
  next_ = 0;
  filled_ = file_->Read(buffer_.data(), buffer_.size);
  if (filled_ == 0 && file_->failed()) failed_ = true;
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
    const std::size_t got = file_->Read(buffer_.data() + filled_, buffer_.size - filled_);
    if (got == 0) {
      if (file_->failed()) failed_ = true;
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
  explicit BlockWriter(WritableFile& file) : file_(file), thread_([this] { Run(); }) {}
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
      const bool written = failed || file_.Append(data, n);
      lock.lock();
      if (!written) failed_ = true;
      data_ = nullptr;
      changed_.notify_all();
    }
  }

  WritableFile& file_;
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
  file_ = Files().NewWritableFile(path);
  if (file_ == nullptr) return false;
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
    writer_ = std::make_unique<BlockWriter>(*file_);
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
  if (used_ > 0 && !failed_ && !file_->Append(buffer_.data(), used_)) failed_ = true;
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
  if (!file_->Close()) failed_ = true;
  file_.reset();
  return !failed_;
}

void OutFile::Abandon() {
  used_ = 0;
  writer_.reset();  // lets the block being written finish first
  file_.reset();
  if (!path_.empty()) Files().RemoveFile(path_);
}

}  // namespace velk
