// What the converter's fuzz targets share.
//
// The conversions read records by path, so a target lays its input down as
// record files in a private folder (on a memory file system where there is
// one) and drives a TFComtrade whose message boxes are silent and whose
// executable folder is that private folder. After a conversion that showed no
// message, CheckPair verifies that the pair it wrote is whole and consistent:
// a failure reported as success, or a configuration file broken by a name, is a
// finding like a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/comtrade_form.h"
#include "app/system_services.h"
#include "app/ui_services.h"

namespace velk::fuzz {

// Message boxes that nobody sees; their texts are kept (code page 1251).
class SilentUi : public UiServices {
 public:
  void ErrorBox(std::string_view text) override { messages.emplace_back(text); }
  Answer QuestionBox(std::string_view) override { return Answer::kYes; }
  std::optional<std::string> OpenDialog(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> SaveDialog(const FileDialogOptions&) override { return {}; }
  std::vector<std::string> messages;
};

// The machine of a fuzz target: the executable's folder is the private folder.
class FolderSystem : public LocalSystem {
 public:
  FolderSystem();
  int CurrentYear() const override { return 2026; }
  // The state file stays in the private folder, with the input's files.
  std::string StateFilePath() const override { return ExecutableFolder() + "tmp.tmp"; }
  void ReleaseStateFile() override {}
};

// A fresh TFComtrade for one input, over an emptied private folder.
struct Harness {
  Harness();
  // Writes bytes to a file of the private folder and returns its path.
  std::string Put(const std::string& name, std::string_view bytes) const;
  // The path of a file of the private folder.
  std::string Path(const std::string& name) const;
  // Selects a file of the private folder in a window list.
  void Select(FileList& list, const std::string& name) const;

  SilentUi ui;
  FolderSystem system;
  TFComtrade form;
};

// Splits an input into two files: the first two bytes (little-endian) give the
// length of the first file, the rest after it is the second. JoinTwo is its inverse.
std::pair<std::string_view, std::string_view> SplitTwo(const std::uint8_t* data, std::size_t size);
std::string JoinTwo(std::string_view first, std::string_view second);

// The BINARY configuration file at cfg_path and the rest of its pair, as a
// conversion that showed no message left them: whole lines of the expected
// layout, channel lines with exactly their fields, a data file of exactly the
// stated number of records, and the ASCII pair derived from it line for line.
// Returns what is wrong, or an empty text.
std::string CheckPair(const std::string& cfg_path);

// Stops the run as a crash would, so that the fuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

}  // namespace velk::fuzz
