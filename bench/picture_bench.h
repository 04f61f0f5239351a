// The figures of a record's picture: how long its summary takes to build next
// to reading the record once, its size, the engine's time for one redraw at
// several zooms, and `velk-convert picture` of the same record.
#pragma once

#include <string>

namespace velk::bench {

// Measures the picture of a type-60 analog record of `seconds` seconds, made
// in folder dir, with the velk-convert at convert; prints the figures.
void PictureFigures(const std::string& dir, const std::string& convert, std::int64_t seconds,
                    int runs);

}  // namespace velk::bench
