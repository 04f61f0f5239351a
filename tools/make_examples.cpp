// make-examples FOLDER: writes the sample records of examples/ into FOLDER.
#include <fstream>
#include <iostream>

#include "tools/records/examples.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-examples FOLDER\n";
    return 64;
  }
  for (const auto& [name, bytes] : velk::testing::ExampleRecords()) {
    std::ofstream out(std::string(argv[1]) + "/" + name, std::ios::binary);
    out << bytes;
    if (!out.flush()) {
      std::cerr << "cannot write " << name << "\n";
      return 1;
    }
  }
  return 0;
}
