#include "comtrade/text_reader.h"

#include <algorithm>

namespace velk {
namespace {
constexpr int kEndOfFile = -1;
constexpr int kCtrlZ = 26;
}  // namespace

int TextReader::Next() {
  if (has_pending_) {
    has_pending_ = false;
    return pending_;
  }
  const int byte = file_.Get();
  return byte == kCtrlZ ? kEndOfFile : byte;
}

void TextReader::Keep(std::string& line, char c) {
  if (line.size() < longest_line_)
    line += c;
  else
    too_long_ = true;
}

void TextReader::ReadLine(std::string& line) {
  line.clear();
  too_long_ = false;
  if (ended_) return;
  for (;;) {
    int byte = Next();
    if (byte == kEndOfFile) {
      ended_ = true;
      return;
    }
    if (byte == '\r') {
      const int after = Next();
      if (after == '\n') return;  // CR LF: one line end
      Keep(line, '\r');           // a lone CR stays in the line
      if (after == kEndOfFile) {
        ended_ = true;
        return;
      }
      pending_ = after;
      has_pending_ = true;
      continue;
    }
    if (byte == '\n') return;
    Keep(line, static_cast<char>(byte));
  }
}

std::string_view Trim(std::string_view text) {
  const auto above_space = [](char c) { return static_cast<unsigned char>(c) > ' '; };
  const auto first = std::find_if(text.begin(), text.end(), above_space);
  const auto last = std::find_if(text.rbegin(), text.rend(), above_space).base();
  return first < last ? std::string_view(first, last) : std::string_view();
}

std::string CfgField(std::string text) {
  for (char& c : text)
    if (c == ',' || static_cast<unsigned char>(c) < 32) c = ' ';
  return text;
}

}  // namespace velk
