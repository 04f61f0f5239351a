// Buffered, checked file access for records and COMTRADE files.
//
// Every conversion reads and writes through these two classes: they move data
// in blocks of kBlockSize bytes (never one system call per value), remember any
// failure of the operating system, and close their file on every path out.
// Paths are byte strings as the file system names them (UTF-8 on Linux).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

inline constexpr std::size_t kBlockSize = 256 * 1024;

// The file-system path of a path text.
std::filesystem::path FsPath(const std::string& path);

// True iff an ordinary file (or a device) exists at path; false for a folder.
bool FileExists(const std::string& path);

// Reads a file from any position through a block buffer.
class InFile {
 public:
  InFile() = default;
  InFile(const InFile&) = delete;
  InFile& operator=(const InFile&) = delete;
  ~InFile() { Close(); }

  // Opens path for reading. Returns false when it is missing, unreadable or a folder.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  // Size of the file in bytes now, or -1 when it cannot be told.
  std::int64_t Size();
  // Moves to byte offset from the start. Returns false on failure.
  bool Seek(std::int64_t offset);
  // Byte offset of the next byte that Read returns.
  std::int64_t Position() const { return buffer_start_ + static_cast<std::int64_t>(next_); }
  // Bytes left from the position to the end of the file.
  std::int64_t Remaining() { return Size() - Position(); }

  // Copies up to n bytes to dst; returns how many were copied (fewer only at the
  // end of the file or on a read error).
  std::size_t Read(void* dst, std::size_t n);
  // Reads exactly n bytes; false when fewer could be read.
  bool ReadExact(void* dst, std::size_t n) { return Read(dst, n) == n; }
  // The next byte, or -1 at the end of the file.
  int Get() {
    if (next_ == filled_ && !Refill()) return -1;
    return static_cast<unsigned char>(buffer_[next_++]);
  }
  // Little-endian values; a value cut short by the end of the file reads as if
  // its missing bytes were zero, and the result is false.
  bool ReadI32(std::int32_t& value);
  bool ReadU16(std::uint16_t& value);
  // True iff the operating system reported a read error.
  bool failed() const { return failed_; }

 private:
  bool Refill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t next_ = 0;
  std::size_t filled_ = 0;
  std::int64_t buffer_start_ = 0;
  bool failed_ = false;
};

// Writes a new file through a block buffer. Text is written as given: callers
// end their lines with CR LF themselves.
class OutFile {
 public:
  OutFile() = default;
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile() { Close(); }

  // Creates path, or empties the file that is there. Returns false on failure.
  bool Create(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }

  void Write(const void* data, std::size_t n) {
    if (n <= buffer_.size() - used_) {
      std::copy_n(static_cast<const char*>(data), n, buffer_.data() + used_);
      used_ += n;
    } else {
      WriteSlow(data, n);
    }
  }
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // text followed by CR LF, the line end of every COMTRADE and VELK text file.
  void Line(std::string_view text) {
    Write(text);
    Write("\r\n", 2);
  }
  // Little-endian two's complement values.
  void I32(std::int32_t value);
  void U16(std::uint16_t value);
  // value in plain decimal, as "%d" writes it.
  void Decimal(std::int64_t value);

  // True iff every write so far reached the operating system.
  bool ok() const { return !failed_; }
  // Writes out the buffer and closes the file. Returns false if any write, the
  // flush or the close failed.
  bool Close();
  // Closes the file and removes it: a file whose writing failed is not left
  // looking like a finished one.
  void Abandon();

 private:
  void WriteSlow(const void* data, std::size_t n);
  void Flush();

  std::FILE* file_ = nullptr;
  std::string path_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace velk
