// What the converter's fuzz targets share.
//
// The conversions read records by path, so a target lays its input down as
// record files in a private folder (on a memory file system where there is
// one) and runs the record engine on them, keeping its reports. After a conversion that showed no
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

#include "comtrade/report.h"
#include "picture/scene.h"

namespace velk::fuzz {

// Reports that nobody sees; their messages are kept (code page 1251).
class SilentReporter : public Reporter {
 public:
  void Report(const Outcome& outcome) override;
  std::vector<std::string> messages;
};

// A fresh private folder for one input.
struct Harness {
  Harness();
  // Writes bytes to a file of the private folder and returns its path.
  std::string Put(const std::string& name, std::string_view bytes) const;
  // The path of a file of the private folder.
  std::string Path(const std::string& name) const;

  SilentReporter ui;
};

// Splits an input into two files: the first two bytes (little-endian) give the
// length of the first file, the rest after it is the second. JoinTwo is its inverse.
std::pair<std::string_view, std::string_view> SplitTwo(const std::uint8_t* data, std::size_t size);
std::string JoinTwo(std::string_view first, std::string_view second);

// Lays a COMTRADE record of one input down: the first byte chooses the form,
// even a .cfg and its .dat (split as SplitTwo says), odd one .cff of the
// rest. Returns the path of the .cfg or the .cff (empty for an empty input);
// dat gets the bytes of the data file, or of the whole .cff.
std::string PutComtrade(const Harness& h, const std::uint8_t* data, std::size_t size,
                        std::string_view& dat);

// The BINARY configuration file at cfg_path and the rest of its pair, as a
// conversion that showed no message left them: whole lines of the expected
// layout, channel lines with exactly their fields, a data file of exactly the
// stated number of records, and the ASCII pair derived from it line for line.
// Returns what is wrong, or an empty text.
std::string CheckPair(const std::string& cfg_path);

// Fails the run where a scene holds a coordinate that is no number or a
// rectangle beyond the picture's width.
void CheckScene(const Scene& scene);

// Stops the run as a crash would, so that the fuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

}  // namespace velk::fuzz
