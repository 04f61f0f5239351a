// The combined conversion: an analog and a discrete record of one start moment
// merged into one COMTRADE pair, the discrete states laid onto the analog
// sample grid (800 a second, 1.25 ms apart) after a lead-in of 78 samples.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "analog/analog_record.h"
#include "comtrade/output_form.h"
#include "comtrade/report.h"
#include "comtrade/start_moment.h"

namespace velk {

// Gives the path of the state file through which the discrete record's states
// go: asked for once, after both records have been read and just before the
// state file is written.
using StateFileSource = std::function<std::string()>;

// Converts the analog record at analog_record and the discrete record at
// discrete_record into one pair at out_cfg (the BINARY .cfg; the other three
// files beside it). The discrete record's states go through the state file
// first, which is left behind. The time lines bear the discrete
// record's day, month and time of day and the analog record's year; when moment
// is given it receives that start moment, as far as the records were read, and
// when header is given it receives the analog record's header once it is read.
// Reports "Файл не найден" or "Файл поврежден" for the analog record, the
// discrete reader's failure, "Ошибка открытия файла" or "Ошибка записи файла",
// and stops; returns the first report, or success. Refuses, before writing
// anything, a pair or state file that would write over one of the records.
// The start moments of the two records are not compared here: ConvertCombinedRequest
// (combined/requests.h) compares them first (StartsAgree).
Outcome ConvertCombined(const std::string& analog_record, const std::string& discrete_record,
                        const std::string& out_cfg, const StateFileSource& state_file,
                        Reporter& reporter, std::optional<StartMoment>* moment = nullptr,
                        std::optional<AnalogHeader>* header = nullptr, const OutputForm& form = {});
// The same with the state file at a path known before.
inline Outcome ConvertCombined(const std::string& analog_record, const std::string& discrete_record,
                               const std::string& out_cfg, const std::string& state_file,
                               Reporter& reporter) {
  return ConvertCombined(
      analog_record, discrete_record, out_cfg, [&state_file] { return state_file; }, reporter);
}

}  // namespace velk
