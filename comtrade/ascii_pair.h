// Finishing a COMTRADE pair: the ASCII configuration and data files derived by
// reading the BINARY pair back, and the checks every written file passes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/ui_services.h"
#include "comtrade/file_io.h"
#include "comtrade/pair_paths.h"

namespace velk {

// Creates path for writing; on failure shows "Ошибка открытия файла" and returns false.
bool CreateOrReport(UiServices& ui, OutFile& file, const std::string& path);
// Opens path for reading; on failure shows "Ошибка открытия файла" and returns false.
bool OpenOrReport(UiServices& ui, InFile& file, const std::string& path);

// Closes a file that a conversion wrote. When any write to it failed (a full
// disk), shows "Ошибка записи файла", removes the unfinished file and returns false.
bool FinishWritten(UiServices& ui, OutFile& file);

// Writes the ASCII configuration file: the BINARY one copied line by line, the
// line that is exactly "BINARY" written as "ASCII", and one empty line more at
// the end (the read that meets the end of the file yields it). Lines end in
// CR LF. When second_line is given it receives line 2 (the channel counts).
// Shows "Ошибка открытия файла" and returns false when the ASCII file cannot be
// created or the BINARY one cannot be read.
bool MakeAsciiConfig(UiServices& ui, const PairPaths& pair, std::string* second_line);

// Prints the part of one BINARY record after its time stamp, reading it from
// the data file: "," and each value.
using RecordPrinter = std::function<void(InFile& binary, OutFile& text)>;

// Writes the ASCII data file: one line per BINARY record of record_size bytes,
// "sample number,time stamp" followed by what print_rest prints. Stops at a
// record whose sample number is 0 or that the file cannot hold whole. Shows
// "Ошибка открытия файла" and returns false when a file cannot be opened.
bool MakeAsciiData(UiServices& ui, const PairPaths& pair, std::int64_t record_size,
                   const RecordPrinter& print_rest);

}  // namespace velk
