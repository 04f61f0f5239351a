#include "comtrade/text_reader.h"

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

void TextReader::ReadLine(std::string& line) {
  line.clear();
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
      line += '\r';               // a lone CR stays in the line
      if (after == kEndOfFile) {
        ended_ = true;
        return;
      }
      pending_ = after;
      has_pending_ = true;
      continue;
    }
    if (byte == '\n') return;
    line += static_cast<char>(byte);
  }
}

}  // namespace velk
