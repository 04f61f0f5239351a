#include "tools/records/discrete_builder.h"

#include <cstdio>

#include "tools/records/record_builder.h"

namespace velk::testing {

DiscreteRecord& DiscreteRecord::Line(const std::string& utf8) {
  lines_.push_back(utf8);
  return *this;
}

DiscreteRecord& DiscreteRecord::Pair(const std::string& words, const std::string& name) {
  return Line("// " + words).Line("\\\\ " + name);
}

DiscreteRecord& DiscreteRecord::Start(const std::string& name) {
  return Pair("13 02 16:33:45", name);
}

DiscreteRecord& DiscreteRecord::Event(const std::string& time, const std::string& state,
                                      const std::string& name) {
  return Pair(time + " " + state, name);
}

std::string DiscreteRecord::Bytes(const std::string& eol) const {
  std::string text;
  for (const auto& line : lines_) text += Cp(line) + eol;
  return text;
}

std::string TimeWord(int milliseconds) {
  char word[16];
  std::snprintf(word, sizeof word, "%04d.%03d", milliseconds / 1000, milliseconds % 1000);
  return word;
}

}  // namespace velk::testing
