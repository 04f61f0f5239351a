// Buffered, checked file access for records and COMTRADE files.
//
// Every conversion reads and writes through these two classes: they move data
// in blocks of kReadBlockSize and kBlockSize bytes (never one system call per
// value) to and from the current file system (Files(), file_system.h), remember
// any failure it reports, and close their file on every path out.
// Paths are text as FsPath takes it: the bytes the file system names them by on
// Linux, UTF-8 on Windows.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "comtrade/file_system.h"

namespace velk {

inline constexpr std::size_t kBlockSize = 1024 * 1024;
// Records are read in smaller blocks: a block just read is then still in the
// processor's cache while its records are decoded.
inline constexpr std::size_t kReadBlockSize = 256 * 1024;

// The bytes of a block buffer. They are left as they are when allocated: every
// byte is written before it is read, and clearing a large block would cost a
// small record's conversion more than its reading and writing do.
struct BlockBuffer {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;

  // Makes the buffer n bytes long; its contents are then undefined.
  void Allocate(std::size_t n) {
    if (size == n) return;
    bytes = std::make_unique_for_overwrite<char[]>(n);
    size = n;
  }
  char* data() const { return bytes.get(); }
};

// The file-system path of a path text. On Linux the text is the path's bytes.
// On Windows it is UTF-8: a full path that reaches the system's limit of 260
// characters gets the \\?\ prefix that lifts the limit, and text that is not
// UTF-8 gives a path that names no file, so opening it fails like opening a
// missing file. Never throws.
std::filesystem::path FsPath(const std::string& path);

// True iff the file system can take path as a name: always on Linux, where a
// name is bytes; on Windows iff it is UTF-8.
bool IsPathText(const std::string& path);

// The text of a file-system path, as FsPath takes it back: its bytes on Linux,
// UTF-8 without a \\?\ prefix on Windows.
std::string PathText(const std::filesystem::path& path);

// PathText of path with its "." and ".." steps resolved and, on Windows, every
// separator a backslash. A long path's \\?\ prefix is taken off first: the
// prefix is no step of the path and must not be resolved as one.
std::string NormalPathText(const std::filesystem::path& path);

// True iff the path text names no root: it is taken from a current folder. A
// long path's \\?\ prefix, which FsPath may add, does not make it relative.
bool IsRelativePath(const std::string& path);

// True iff an ordinary file (or a device) exists at path; false for a folder.
bool FileExists(const std::string& path);

// The entries of folder, as the current file system lists them: without "."
// and "..", in the order the system gives them; nothing when the folder cannot
// be read. On Windows also a folder whose path is longer than 260 characters
// is read.
std::optional<std::vector<FolderEntry>> FolderEntries(const std::string& folder);

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
  // The next n bytes in one piece, read in place from the block buffer, and the
  // position moved past them: a record is decoded without copying it. The bytes
  // stay valid until the next read or seek. Returns nullptr, and leaves the
  // position where it was, when fewer than n bytes are left.
  const unsigned char* Take(std::size_t n) {
    if (filled_ - next_ < n) return TakeSlow(n);
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data() + next_);
    next_ += n;
    return bytes;
  }
  // The bytes of the block buffer not yet read, in place: a scanner looks at
  // them and then Skips past what it used. They stay valid until the next
  // read, seek or fill.
  std::string_view Buffered() const { return {buffer_.data() + next_, filled_ - next_}; }
  // Moves the position n bytes on, within Buffered().
  void Skip(std::size_t n) { next_ += std::min(n, filled_ - next_); }
  // Keeps the bytes not yet read and reads more behind them until at least n
  // are buffered; false when the file ends (or fails) first, with what there
  // was still buffered.
  bool Fill(std::size_t n) {
    if (filled_ - next_ >= n) return true;
    if (TakeSlow(n) == nullptr) return false;
    next_ = 0;
    return true;
  }
  // Reads exactly n bytes; false when fewer could be read.
  bool ReadExact(void* dst, std::size_t n) { return Read(dst, n) == n; }
  // The next byte, or -1 at the end of the file.
  int Get() {
    if (next_ == filled_ && !Refill()) return -1;
    return static_cast<unsigned char>(buffer_.data()[next_++]);
  }
  // Little-endian values; a value cut short by the end of the file reads as if
  // its missing bytes were zero, and the result is false.
  bool ReadI32(std::int32_t& value);
  bool ReadU16(std::uint16_t& value);
  // True iff the operating system reported a read error.
  bool failed() const { return failed_; }

 private:
  bool Refill();
  const unsigned char* TakeSlow(std::size_t n);

  std::unique_ptr<ReadableFile> file_;
  BlockBuffer buffer_;
  std::size_t next_ = 0;           // the next byte to read, in buffer_
  std::size_t filled_ = 0;         // bytes of buffer_ that hold file data
  std::int64_t buffer_start_ = 0;  // file offset of buffer_[0]
  bool failed_ = false;
};

// Little-endian two's complement values at bytes.
inline std::uint16_t LittleU16(const unsigned char* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}
inline std::int32_t LittleI32(const unsigned char* bytes) {
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
      static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
}

// Writes blocks to a file on a thread of its own (defined in file_io.cpp).
class BlockWriter;

// Writes a new file through a block buffer. A file larger than one block is
// written out by a helper thread, one full block at a time, while the next block
// is filled: the operating system copies one block as the conversion formats the
// next. Text is written as given: callers end their lines with CR LF themselves.
class OutFile {
 public:
  OutFile();
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;
  ~OutFile();

  // Creates path, or empties the file that is there. Returns false on failure.
  bool Create(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }
  // The path given to Create.
  const std::string& path() const { return path_; }

  void Write(const void* data, std::size_t n) {
    if (n <= buffer_.size - used_) {
      std::copy_n(static_cast<const char*>(data), n, buffer_.data() + used_);
      used_ += n;
    } else {
      WriteSlow(data, n);
    }
  }
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  // Room for n more bytes in the block buffer, made by writing the buffer out
  // first if need be (and, for more than a block, by a larger buffer). Text and
  // records are formatted straight into it; Commit then marks the end of what
  // was put there.
  char* Room(std::size_t n) {
    if (buffer_.size - used_ < n) RoomSlow(n);
    return buffer_.data() + used_;
  }
  void Commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }
  // text followed by CR LF, the line end of every COMTRADE and VELK text file.
  void Line(std::string_view text) {
    Write(text);
    Write("\r\n", 2);
  }
  // Little-endian two's complement values.
  void I32(std::int32_t value) {
    char* out = Room(4);
    PutI32(out, value);
    Commit(out + 4);
  }
  void U16(std::uint16_t value) {
    char* out = Room(2);
    PutU16(out, value);
    Commit(out + 2);
  }
  static void PutI32(char* out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    out[0] = static_cast<char>(bits & 0xFF);
    out[1] = static_cast<char>((bits >> 8) & 0xFF);
    out[2] = static_cast<char>((bits >> 16) & 0xFF);
    out[3] = static_cast<char>(bits >> 24);
  }
  static void PutU16(char* out, std::uint16_t value) {
    out[0] = static_cast<char>(value & 0xFF);
    out[1] = static_cast<char>(value >> 8);
  }
  // value in plain decimal, as "%d" writes it.
  void Decimal(std::int64_t value);

  // False once a write has failed. A full block is written out while the next
  // one is filled, so a failure shows one block late; Close reports every one.
  bool ok() const { return !failed_; }
  // Writes out the buffer and closes the file. Returns false if any write, the
  // flush or the close failed.
  bool Close();
  // Closes the file and removes it: a file whose writing failed is not left
  // looking like a finished one. A device or a link stays.
  void Abandon();

 private:
  void WriteSlow(const void* data, std::size_t n);
  void RoomSlow(std::size_t n);
  // Hands the full buffer to the block writer and goes on in the spare one.
  void Flush();
  // Waits for the block writer and writes what the buffer holds.
  void FlushLast();

  std::unique_ptr<WritableFile> file_;
  std::string path_;
  BlockBuffer buffer_;
  BlockBuffer spare_;                    // the block being written out meanwhile
  std::unique_ptr<BlockWriter> writer_;  // started at the first full block
  std::size_t used_ = 0;
  bool failed_ = false;
};

}  // namespace velk
