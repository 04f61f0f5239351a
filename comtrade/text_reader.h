// Reads a text file line by line the way a Windows program reads a file opened
// in text mode: a CR directly before an LF is dropped, a lone CR stays in the
// line, and a byte 26 (Ctrl-Z) ends the file. A reader may be given a longest
// line: of a longer line only that many bytes are held, and the rest is read
// past, so that a file of any length is read in bounded memory.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "comtrade/file_io.h"

namespace velk {

class TextReader {
 public:
  explicit TextReader(InFile& file,
                      std::size_t longest_line = std::numeric_limits<std::size_t>::max())
      : file_(file), longest_line_(longest_line) {}

  // Reads the next line into line, without its line end. Afterwards ended() is
  // true iff the end of the file was met during this read: the line was the
  // file's last one and had no line end, or nothing was left to read; and
  // too_long() is true iff the line was longer than the longest line, of which
  // line then holds the first longest_line bytes.
  void ReadLine(std::string& line);
  bool ended() const { return ended_; }
  bool too_long() const { return too_long_; }

 private:
  int Next();
  // Appends c to line, or marks the line too long when it is full.
  void Keep(std::string& line, char c);

  InFile& file_;
  std::size_t longest_line_;
  bool ended_ = false;
  bool too_long_ = false;
  int pending_ = 0;  // a byte looked at after a CR and not yet used
  bool has_pending_ = false;
};

// text without the blanks and control characters (bytes up to the space) at its ends.
std::string_view Trim(std::string_view text);

// Text from a record as a field of a COMTRADE configuration line: a comma or a
// control character would split the field or the line, so each becomes a space.
std::string CfgField(std::string text);

}  // namespace velk
