// Runs a program of the project as a user would and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace velk::testing {

struct ProgramResult {
  int status = -1;  // exit status
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs velk-convert with the arguments (each quoted for the shell).
ProgramResult RunConvert(const std::vector<std::string>& args, const std::string& env = "");

}  // namespace velk::testing
