// A discrete record (.txt) read: its start search, the check of its event
// pairs, the tables its events fill, and the values the header check and the
// reader give their callers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "comtrade/output_form.h"
#include "comtrade/report.h"
#include "comtrade/start_moment.h"

namespace velk {

class TextReader;

// One change of one discrete signal: at which entry of the time table, which
// channel (its index, 0 for the start pair's signal), and whether it dropped out.
struct DiscreteEvent {
  std::int32_t time_index = 0;
  std::int32_t channel = 0;
  bool drop_out = false;
};

// A discrete record as the reader holds it.
struct DiscreteTables {
  std::vector<std::string> names;      // channel c + 1 is names[c]; a "~" marks a first drop-out
  std::string pending_name;            // the name the start search stored last, not yet a channel
  std::vector<DiscreteEvent> events;   // entry 0 is the start event
  std::vector<std::int32_t> times{0};  // milliseconds after the start; entry 0 is the start
  std::vector<std::int32_t> initially_active;  // channels whose first event is a drop-out
  std::int64_t line_counter = 1;               // lines read so far, plus 1

  std::int32_t TimeCount() const { return static_cast<std::int32_t>(times.size()) - 1; }
  std::int32_t NameCount() const { return static_cast<std::int32_t>(names.size()); }
};

// Reads a discrete record from its beginning up to and including the start
// pair, taking the start moment's day, month and time of day into moment as
// it meets them. Returns 0, or the line counter where the record is damaged.
std::int64_t FindStartDIS(TextReader& record, DiscreteTables& tables, StartMoment& moment);

// Checks a whole discrete record: the start pair, then every event pair up to
// the end section. Returns 0, or the line counter where it is damaged.
std::int64_t CheckEventsDIS(TextReader& record, DiscreteTables& tables, StartMoment& moment);

// The year a discrete record's start moment shows: the record names none.
inline constexpr std::string_view kUnknownYear = "????";

struct DiscreteCheck {
  // kNotFound when the record cannot be opened, kDamagedAtLine with the last
  // line read when it is damaged.
  Outcome outcome;
  // The fields of the start moment the record gave, also those taken before
  // it failed; the others (the year always) empty.
  StartMoment moment;
  MomentNumbers numbers;  // the start moment's numbers, when the check passed
};
// The header check of the record at path: the start search and every event pair.
DiscreteCheck CheckDiscreteRecord(const std::string& path);

struct DiscreteRecord {
  Outcome outcome;  // as DiscreteCheck's; the start search or a line too long fails the reader
  DiscreteTables tables;
  StartMoment moment;  // as DiscreteCheck's
};
// Reads the record at path into its tables. Reports "Не найден" or "Поврежден"
// with the line number when it cannot be opened, when its start is damaged, or
// at a line longer than kLongestRecordLine.
DiscreteRecord ReadDiscreteRecord(const std::string& path, Reporter& reporter);

// Converts the discrete record at path record into the pair at out_cfg (the
// BINARY .cfg; the other three files beside it). moment holds the start moment
// the time lines are built from, the year given by the caller (the record names
// none): the record's start pair replaces the fields it gives, and moment is
// left so. The time lines bear LegalStart(moment): a start pair without a time
// of day starts the pair at 00:00:00. Reports the reader's failure or "Ошибка
// открытия файла" or "Ошибка записи файла"; returns the first report, or
// success. Refuses, before writing
// anything, a pair that would write over the record. The pair is written in
// form's revision and encoding.
Outcome ConvertDiscrete(const std::string& record, const std::string& out_cfg, StartMoment& moment,
                        Reporter& reporter, const OutputForm& form = {});

}  // namespace velk
