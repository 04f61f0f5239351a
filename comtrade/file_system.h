// The file system as the converter reaches it.
//
// Records are read, COMTRADE pairs and the batch's lists written, folders
// listed, files renamed and removed through one small interface, FileSystem.
// The operating system's own is the default; a test puts another in its place
// for a while (ScopedFileSystem) to make a disk fill, a file refuse to open or
// close, or a record change between two readings. The interface moves whole
// blocks: the buffering of InFile and OutFile (file_io.h) sits above it, so a
// conversion still makes no system call per value.
// Paths are text as FsPath (file_io.h) takes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velk {

// One entry of a folder: its name, and whether it is an ordinary file (a link
// counts as what it leads to) or a folder.
struct FolderEntry {
  enum class Kind { kFile, kFolder, kOther };
  std::string name;
  Kind kind = Kind::kOther;
};

// A file open for reading from any position. Closed when destroyed.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Copies up to n bytes from the position to dst and moves past them. Returns
  // how many; fewer only at the end of the file or on a read error.
  virtual std::size_t Read(char* dst, std::size_t n) = 0;
  // True iff a read has failed (rather than met the end of the file).
  virtual bool failed() const = 0;
  // Moves to byte offset from the start. Returns false on failure.
  virtual bool Seek(std::int64_t offset) = 0;
  // Size of the file in bytes now, or -1 when it cannot be told.
  virtual std::int64_t Size() = 0;
};

// A file open for writing at its end. Closed when destroyed; only Close tells
// whether everything written reached the file.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  // Writes n bytes at the end. Returns false unless all of them were written.
  virtual bool Append(const char* data, std::size_t n) = 0;
  // Writes out what the system still holds and closes the file. Returns false
  // if that failed; the file may not be used afterwards.
  virtual bool Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The file at path, open for reading; nullptr when it is missing,
  // unreadable or a folder.
  virtual std::unique_ptr<ReadableFile> NewReadableFile(const std::string& path) = 0;
  // A new file at path, or the file there emptied; nullptr on failure.
  virtual std::unique_ptr<WritableFile> NewWritableFile(const std::string& path) = 0;
  // The file at path, made if missing, to be written at its end; nullptr on failure.
  virtual std::unique_ptr<WritableFile> NewAppendableFile(const std::string& path) = 0;
  // Gives the file at from the name to, replacing a file there. Returns true iff done.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Removes the ordinary file at path; a link, a device or a folder stays.
  // Returns true iff a file was removed.
  virtual bool RemoveFile(const std::string& path) = 0;
  // The entries of folder, without "." and "..", in the order the system
  // gives them; nothing when the folder cannot be read.
  virtual std::optional<std::vector<FolderEntry>> GetChildren(const std::string& folder) = 0;
};

// The operating system's file system.
FileSystem& RealFileSystem();

// The file system every file access of the converter goes through now: the
// real one unless a ScopedFileSystem has put another in its place.
FileSystem& Files();

// Puts a file system in place of the current one for the guard's lifetime, for
// every thread of the process. Guards nest; the file system must outlive its guard.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& files);
  ~ScopedFileSystem();
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

}  // namespace velk
