// velk-convert readout: what the viewer reads at cursor A (and B): each
// channel's value, RMS, phasor and harmonics, the symmetrical components of
// each three-phase set, and each signal's state, as text or as JSON.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velk {

// The command's lines of the help text.
std::string_view ReadoutHelp();

// Runs `readout` with the arguments after the command's name; returns the
// exit status (cli_texts.h).
int RunReadout(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velk
