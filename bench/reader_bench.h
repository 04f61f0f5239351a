// The figures of `velk-convert check` and `csv`: a check of a 1-hour pair of
// ours and of a 64-channel 4 kHz 10-minute record, each next to one read of
// its files, and the CSV of the 1-hour pair next to `cp` of that CSV.
#pragma once

#include <string>

namespace velk::bench {

void ReaderFigures(const std::string& dir, const std::string& convert, int runs);

}  // namespace velk::bench
