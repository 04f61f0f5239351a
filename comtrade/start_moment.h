// The start moment of a record, as the COMTRADE time lines (written by
// comtrade/cfg_writer.h) and the window show it, and the rule that says
// whether an analog and a discrete record belong to one fault.
#pragma once

#include <string>

namespace velk {

// The start moment as text: day, month, hour, minute and second of two
// characters, the year of four. An analog header gives all six; a discrete
// record gives what its start pair holds (no year), and an empty field is one
// the record did not give.
struct StartMoment {
  std::string day, month, year, hour, minute, second;
  friend bool operator==(const StartMoment&, const StartMoment&) = default;
};

// Puts the fields that given holds (those not empty) over moment's: what a
// reader leaves when it runs after another.
void Overlay(StartMoment& moment, const StartMoment& given);

// "day.month.year hour:minute:second", as the window's labels show a moment.
std::string MomentLabel(const StartMoment& moment);

// True iff the moment lacks its time of day: a discrete start pair such as
// "// 12 03" gives the day and the month alone ("// 12" the day alone), and
// one without a month or a day lacks the time of day too.
bool LacksTimeOfDay(const StartMoment& moment);

// The moment with each field it lacks set to the earliest legal one: day and
// month "01", hour, minute and second "00". A discrete pair whose start pair
// gives no time of day starts so ("// 12 03" at 12/03 00:00:00).
StartMoment LegalStart(StartMoment moment);

// The start moment as numbers, for comparing two records.
struct MomentNumbers {
  int month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The numbers of a moment's text fields, as decimal numbers at their start.
MomentNumbers NumbersOf(const StartMoment& moment);

// True iff an analog and a discrete record start at one moment: month, day,
// hour, minute and second agree. The year is not compared: the discrete record
// names none.
bool SameStartMoment(const MomentNumbers& analog, const MomentNumbers& discrete);

// Whether an analog and a discrete record given together make one combined
// pair: analog is the analog record's whole start moment, discrete the fields
// the discrete record's start pair gives ("// 12 03" gives day and month
// alone). Each field the start pair lacks is the analog record's, as in the
// combined pair's time lines; then SameStartMoment decides. The year never
// counts. The window's «Совместить», velk-convert combined and the folder run
// all decide by it.
bool StartsAgree(const StartMoment& analog, const StartMoment& discrete);

}  // namespace velk
