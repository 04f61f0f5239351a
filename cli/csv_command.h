// velk-convert csv: the samples of a record as a table for a spreadsheet or a
// script, from any COMTRADE record the reader opens and from our own device
// records (converted first into a private temporary folder, so that the values
// are those a COMTRADE reader computes from the pair we write).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "comtrade/record_reader.h"

namespace velk {

std::string_view CsvHelp();

// How the table is written.
struct CsvOptions {
  // Every analog value turned to the primary (true) or the secondary side;
  // each on the side the file gives when not asked.
  std::optional<bool> primary;
  bool excel = false;  // a byte-order mark, semicolons and decimal commas
};

// Writes the samples of an open record into the file at out_path: a header
// row, then one row per sample. Returns false when the file cannot be
// written whole.
bool WriteCsv(RecordReader& reader, const std::string& out_path, const CsvOptions& options);

// Runs `csv` with the arguments after the command's name: 0 written, 1 the
// table or a conversion failed, 2 a record cannot be read, 64 wrong usage.
int RunCsv(const std::vector<std::string>& args, std::ostream& err);

}  // namespace velk
