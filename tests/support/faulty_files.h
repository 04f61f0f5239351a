// A file system that fails where a test says: a disk that fills in the middle
// of a file, a file or folder that refuses new files, a read that ends early, a
// close or a rename that fails, a record that changes when it is opened. Every
// other call reaches the real file system, so the files a conversion leaves
// are real files to look at afterwards. Faults are armed before the code under
// test runs; while a FaultyFiles is installed (its constructor does so, its
// destructor restores the file system before), every file access of the
// process goes through it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "comtrade/file_system.h"

namespace velk::testing {

class FaultyFiles : public FileSystem {
 public:
  FaultyFiles();
  ~FaultyFiles() override;
  FaultyFiles(const FaultyFiles&) = delete;
  FaultyFiles& operator=(const FaultyFiles&) = delete;

  // Each fault hits the files whose path is `name` or ends with a separator
  // followed by `name` ("out.dat" hits ".../out.dat", not ".../outASCII.dat").

  // Creating or emptying the file fails, as for a read-only file.
  void RefuseCreate(const std::string& name) { refused_creates_.insert(name); }
  // Opening the file for reading fails, as for a file the user may not read.
  void RefuseOpen(const std::string& name) { refused_opens_.insert(name); }
  // A read-only folder: a new file cannot be made in it, nor a file renamed
  // into it or removed from it; a file that is there may still be rewritten.
  // folder ends with a separator.
  void ReadOnlyFolder(const std::string& folder) { read_only_folders_.push_back(folder); }
  // The disk fills once the file holds `bytes` bytes: the write that passes
  // that size puts what fits and fails, and so does every write after it.
  void FillDiskAt(const std::string& name, std::int64_t bytes) { disk_full_at_[name] = bytes; }
  // Reads of the file end at byte `bytes` although its size says more; with
  // read_error the system then reports a read error, else the end of the file.
  void CutReads(const std::string& name, std::int64_t bytes, bool read_error) {
    cut_reads_[name] = {bytes, read_error};
  }
  // Closing the file fails after its bytes reached it.
  void FailClose(const std::string& name) { failed_closes_.insert(name); }
  // Renaming the file, or onto it, fails.
  void FailRename(const std::string& name) { failed_renames_.insert(name); }
  // Called with a file's path just before it is opened for reading: a record
  // may change between two readings there, as another program could change it.
  std::function<void(const std::string& path)> on_open;

  std::unique_ptr<ReadableFile> NewReadableFile(const std::string& path) override;
  std::unique_ptr<WritableFile> NewWritableFile(const std::string& path) override;
  std::unique_ptr<WritableFile> NewAppendableFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  std::optional<std::vector<FolderEntry>> GetChildren(const std::string& folder) override;

 private:
  struct Cut {
    std::int64_t at;
    bool read_error;
  };
  bool InReadOnlyFolder(const std::string& path) const;
  bool MayCreate(const std::string& path) const;
  std::unique_ptr<WritableFile> Faulty(const std::string& path,
                                       std::unique_ptr<WritableFile> file) const;

  std::set<std::string> refused_creates_, refused_opens_, failed_closes_, failed_renames_;
  std::vector<std::string> read_only_folders_;
  std::map<std::string, std::int64_t> disk_full_at_;
  std::map<std::string, Cut> cut_reads_;
  FileSystem& real_;
  std::unique_ptr<ScopedFileSystem> installed_;
};

}  // namespace velk::testing
