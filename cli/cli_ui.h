// What the command line gives the record engine: a reporter that prints.
#pragma once

#include <ostream>

#include "comtrade/report.h"

namespace velk {

// Each report becomes a line of UTF-8 text on the error stream.
class StreamReporter : public Reporter {
 public:
  explicit StreamReporter(std::ostream& err) : err_(err) {}
  void Report(const Outcome& outcome) override;

 private:
  std::ostream& err_;
};

}  // namespace velk
