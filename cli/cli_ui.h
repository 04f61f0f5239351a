// What the command line gives the record engine: a reporter that prints, and
// a private place for the combined conversion's state file.
#pragma once

#include <ostream>
#include <string>

#include "app/system_services.h"
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

// The machine as the command line sees it: the combined conversion keeps its
// state file in a private temporary folder, removed when the run ends, so that
// several conversions can run at once.
class CommandLineSystem : public LocalSystem {
 public:
  using LocalSystem::LocalSystem;
};

}  // namespace velk
