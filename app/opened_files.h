// Files handed to the window program to be shown: named on its command line
// (Explorer's double click on a record starts `velk-comtrade.exe "FILE"`), or
// handed on by a second start to the window that already runs. Every such
// file opens here, whatever brought it, so that each kind of file a viewer
// can show is added in one place.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/record_viewer.h"
#include "app/ui_services.h"

namespace velk {

// What a handed file is, by its extension in any letter case.
enum class HandedKind { kAnalogRecord, kDiscreteRecord, kComtrade, kOther };
HandedKind KindOfHandedFile(std::string_view path);

// Opens the viewer of a handed file (a path as the file system names it). An
// analog (.flh) or discrete (.txt) record is checked as its conversion checks
// it; a COMTRADE record (.cfg, .cff) is read by the COMTRADE reader. A record
// the check rejects, one the reader refuses (the box shows the reader's first
// error with its line) and any other file open nothing (nullptr): an error box
// says why, with the file's name.
std::unique_ptr<RecordViewer> OpenHandedFile(const std::string& path, UiServices& ui);

// The arguments of the window program that name files to open (each made a
// full path against current_folder, which ends with the path separator), in
// their order. Options (a leading '-') and the argument after each, its
// value, are the toolkit's.
std::vector<std::string> HandedFilesOf(const std::vector<std::string>& arguments,
                                       const std::string& current_folder);

// A second start hands at most this many files on; a selection of more in
// Explorer opens the first ones.
inline constexpr std::size_t kMaxHandedFiles = 32;

// The one-line request that asks the running window to open a file, and the
// path it names (nothing for any other request).
std::string OpenRequest(std::string_view path);
std::optional<std::string> PathOfOpenRequest(std::string_view request);

// Paths (UTF-8) as one block of UTF-16 text, each ended by a zero unit: how a
// second start hands files to the running window on Windows. Reading a block
// takes at most kMaxHandedFiles paths and stops at a path without its end.
std::u16string JoinHandedPaths(const std::vector<std::string>& paths);
std::vector<std::string> SplitHandedPaths(std::u16string_view block);

}  // namespace velk
