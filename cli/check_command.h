// velk-convert check: reads a COMTRADE record whole and says what it is and
// everything in it that departs from the standard.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The command's lines of the help text.
std::string_view CheckHelp();

// Runs `check` with the arguments after the command's name: 0 the record
// conforms, 1 it reads but departs from the standard, 2 it cannot be read, 64
// wrong usage.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velk
