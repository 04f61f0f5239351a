// What tells one version of a record's file from another: the window checks a
// record's header again, and the viewer tells that the record changed, when
// the stamp of its file is no longer the one it was read with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velk {

// The first bytes of a record that a stamp holds: an analog record's header
// whole, a discrete record's start pair and the events that follow it.
inline constexpr std::size_t kStampedBytes = 64 * 1024;

// Size, time of last change and first bytes of a record: a record copied over
// another under the same name shows another stamp, also one of the same size
// whose copy kept the time of change (or whose file system keeps its times to
// two seconds).
struct FileStamp {
  bool found = false;
  std::uintmax_t size = 0;
  std::int64_t changed = 0;  // the file system's clock ticks
  std::string head;          // the first kStampedBytes bytes, all of a shorter file
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
// The stamp of the file at path; not found when its size or time cannot be
// told, its head empty when it cannot be read.
FileStamp StampOf(const std::string& path);

}  // namespace velk
