// velk-convert: converts VELK device records into COMTRADE from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "app/system_services.h"
#include "cli/cli_run.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return velk::RunCommandLine(args, velk::FolderOf(argc > 0 ? argv[0] : ""), std::cout, std::cerr);
}
