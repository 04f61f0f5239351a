#include "tests/support/run_program.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tests/support/fakes.h"

namespace velk::testing {
namespace {

std::string Quoted(const std::string& arg) {
  std::string quoted = "'";
  for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ProgramResult RunConvert(const std::vector<std::string>& args, const std::string& env) {
  TempDir capture;
  std::string command = env + " " + Quoted(VELK_CONVERT);
  for (const auto& arg : args) command += " " + Quoted(arg);
  command += " >" + Quoted(capture / "out") + " 2>" + Quoted(capture / "err");
  const int raw = std::system(command.c_str());
  ProgramResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadFile(capture / "out");
  result.err = ReadFile(capture / "err");
  return result;
}

}  // namespace velk::testing
