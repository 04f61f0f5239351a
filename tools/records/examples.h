// The sample records shipped in examples/: made here, from nothing but the
// record builder, so that a new user has real records to convert.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace velk::testing {

// File name and bytes of every sample record.
std::vector<std::pair<std::string, std::string>> ExampleRecords();

}  // namespace velk::testing
