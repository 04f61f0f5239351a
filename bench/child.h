// Runs a program as a child process and measures it: wall time from start to
// exit, and its own peak resident memory as the kernel counted it.
#pragma once

#include <string>
#include <vector>

namespace velk::bench {

struct ChildRun {
  int status = -1;          // exit status; -1 when it could not start or was killed
  double seconds = 0;       // wall time from spawn to reaped exit
  double peak_rss_mib = 0;  // ru_maxrss of the child from wait4()
};

// Runs argv[0] (looked up in PATH when it has no slash) with the arguments;
// its standard output and error go to /dev/null.
ChildRun RunChild(const std::vector<std::string>& argv);

}  // namespace velk::bench
