// The figures of `velk-convert check` and `csv`: a check of a 1-hour pair of
// ours and of a 64-channel 4 kHz 10-minute record, each next to one read of
// its files, and the CSV of the 1-hour pair next to `cp` of that CSV.
#pragma once

#include <string>

namespace velk::bench {

// Writes a record of the kind other recorders send: 64 analog channels of 16
// bits and 16 digital at 4 kHz for ten minutes, 1999 BINARY.
bool WriteWideRecord(const std::string& cfg_path, const std::string& dat_path);

void ReaderFigures(const std::string& dir, const std::string& convert, int runs);

}  // namespace velk::bench
