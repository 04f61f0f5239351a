// The digital part of a COMTRADE pair made from a discrete record: its channel
// lines and its data records of states, which the discrete conversion writes
// into its pair and the combined conversion into its state file.
#pragma once

#include <cstdint>
#include <string>

#include "comtrade/report.h"
#include "discrete/discrete_record.h"
#include "discrete/status_words.h"

namespace velk {

class OutFile;

// Appends one digital channel line per name, numbered from first. A name's
// drop-out mark "~" becomes a blank in the tables themselves.
void WriteChannelsDIS(OutFile& cfg, DiscreteTables& tables, std::int32_t first);

// Writes one BINARY data record per group of events at one time into a new
// file at path: sample number, time in milliseconds, status words. status
// ends in the last record's states. Reports "Ошибка открытия файла" or
// "Ошибка записи файла".
enum class DatResult { kWritten, kNotCreated, kWriteFailed };
DatResult WriteDatDIS(const std::string& path, const DiscreteTables& tables, StatusWords& status,
                      Reporter& reporter);

}  // namespace velk
