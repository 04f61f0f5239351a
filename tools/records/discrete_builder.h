// Discrete records (.txt, code page 1251) written pair by pair.
#pragma once

#include <string>
#include <vector>

namespace velk::testing {

class DiscreteRecord {
 public:
  // Any line, UTF-8.
  DiscreteRecord& Line(const std::string& utf8);
  // A pair: "// " + words, then "\\ " + name.
  DiscreteRecord& Pair(const std::string& words, const std::string& name);
  // The start pair of 13.02 16:33:45 naming the given signal.
  DiscreteRecord& Start(const std::string& name = "Пуск");
  // An event pair: a time word such as "0012.345", a state word ("П" or "У").
  DiscreteRecord& Event(const std::string& time, const std::string& state, const std::string& name);
  // The record in code page 1251, every line ended by eol.
  std::string Bytes(const std::string& eol = "\r\n") const;

 private:
  std::vector<std::string> lines_;
};

// "%04d.%03d" of a time in milliseconds: 12345 gives "0012.345".
std::string TimeWord(int milliseconds);

}  // namespace velk::testing
