// The digital part of a COMTRADE pair made from a discrete record: its channel
// lines and its data records of states, which the discrete conversion writes
// into its pair and the combined conversion into its state file.
#pragma once

#include <cstdint>
#include <string>

#include "comtrade/configuration.h"
#include "comtrade/report.h"
#include "discrete/discrete_record.h"
#include "discrete/status_words.h"

namespace velk {

class OutFile;

// Appends one digital channel per name to cfg, numbered from first. A name's
// drop-out mark "~" becomes a blank in the tables themselves.
void AddChannelsDIS(Configuration& cfg, DiscreteTables& tables, std::int32_t first);

// Has put(time, status) take each state of a discrete record in turn, one per
// group of events at one time, as its data records bear them: the time in
// milliseconds and the status words after the group. status starts with the
// channels active from the start of the record. put returns false to stop.
template <typename Put>
void ForEachStateDIS(const DiscreteTables& tables, StatusWords& status, Put&& put) {
  status.words.assign(static_cast<std::size_t>(StatusWordCount(tables.NameCount())), 0);
  SetInitialBits(status, tables);
  const auto& events = tables.events;
  for (std::size_t begin = 0; begin < events.size();) {
    std::size_t end = begin + 1;
    while (end < events.size() && events[end].time_index == events[begin].time_index) ++end;
    ApplyEventsDIS(status, tables, end - begin, end);
    if (!put(tables.times.at(static_cast<std::size_t>(events[begin].time_index)), status)) return;
    begin = end;
  }
}

// Writes one BINARY data record per group of events at one time into a new
// file at path: sample number, time in milliseconds, status words. status
// ends in the last record's states. Reports "Ошибка открытия файла" or
// "Ошибка записи файла".
enum class DatResult { kWritten, kNotCreated, kWriteFailed };
DatResult WriteDatDIS(const std::string& path, const DiscreteTables& tables, StatusWords& status,
                      Reporter& reporter);

}  // namespace velk
