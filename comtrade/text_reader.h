// Reads a text file line by line the way a Windows program reads a file opened
// in text mode: a CR directly before an LF is dropped, a lone CR stays in the
// line, and a byte 26 (Ctrl-Z) ends the file. Lines are read whole, of any length.
#pragma once

#include <string>
#include <string_view>

#include "comtrade/file_io.h"

namespace velk {

class TextReader {
 public:
  explicit TextReader(InFile& file) : file_(file) {}

  // Reads the next line into line, without its line end. Afterwards ended() is
  // true iff the end of the file was met during this read: the line was the
  // file's last one and had no line end, or nothing was left to read.
  void ReadLine(std::string& line);
  bool ended() const { return ended_; }

 private:
  int Next();

  InFile& file_;
  bool ended_ = false;
  int pending_ = 0;  // a byte looked at after a CR and not yet used
  bool has_pending_ = false;
};

// text without the blanks and control characters (bytes up to the space) at its ends.
std::string_view Trim(std::string_view text);

// Text from a record as a field of a COMTRADE configuration line: a comma or a
// control character would split the field or the line, so each becomes a space.
std::string CfgField(std::string text);

}  // namespace velk
