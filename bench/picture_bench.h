// The figures of a record's picture: how long its summary takes to build next
// to reading the record once, its size, the engine's time for one redraw at
// several zooms, and `velk-convert picture` of the same record.
#pragma once

#include <cstdint>
#include <string>

namespace velk::bench {

// Measures the picture of a type-60 analog record of `seconds` seconds, made
// in folder dir, with the velk-convert at convert; prints the figures.
void PictureFigures(const std::string& dir, const std::string& convert, std::int64_t seconds,
                    int runs);

// The same for a COMTRADE record of the kind other recorders send (64 analog
// and 16 digital channels at 4 kHz for ten minutes), opened through its source.
void ComtradePictureFigures(const std::string& dir, int runs);

}  // namespace velk::bench
