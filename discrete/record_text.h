// The text of a discrete record (.txt, code page 1251) as the reader sees it.
//
// A record is a list of pairs of lines. The first line of a pair begins with
// "//" and holds words; the second begins with two backslashes and names a
// signal. Each line is cut at its first semicolon, and lines holding nothing
// above the space are skipped. After separator and information pairs comes the
// start pair ("// 13 02 16:33:45": day, month, time of day), then one event pair
// per change of a signal ("// 0012.345 ... П": milliseconds after the start and,
// last, the state word, "У" for a drop-out).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "comtrade/text_reader.h"

namespace velk {

// The longest line a discrete record may hold, line end not counted. A device
// writes lines of a few dozen characters and COMTRADE names are short, so a
// longer line is damage at that line; it is read past, never held whole.
inline constexpr std::size_t kLongestRecordLine = 1024 * 1024;
// The most bytes the signal names of a record's event pairs may hold together,
// repeats included. A device's names are a few dozen characters and a record
// some thousands of events, so a record past it is damage at the line that
// passes it; the names a conversion holds stay that small.
inline constexpr std::size_t kMostNameBytes = 8 * 1024 * 1024;

// Drops the first semicolon of line and everything after it.
void CutAtSemicolon(std::string& line);
// True iff line holds no byte above the space (code 32).
bool IsBlank(std::string_view line);
// The words of a line, split at white space.
std::vector<std::string_view> Words(std::string_view line);

// True iff the line opens a pair: it begins with "//".
bool IsFirstLine(std::string_view line);
// True iff the line names a signal: it begins with two backslashes.
bool IsSecondLine(std::string_view line);
// Replaces the first two characters (the pair's markers) by spaces.
void BlankMarkers(std::string& line);

// A separator's first line has "=" as its eighth character (markers counted).
bool IsSeparatorLine(std::string_view first_line);
// "Запись", "Частота", "Сопрот", "Расстояние", "Расстояние:", "К-во", "Суммарный".
bool IsInformationWord(std::string_view word);
// "Запись" and "Частота" open the end section of a record.
bool IsEndWord(std::string_view word);

bool StartsWithDigit(std::string_view word);
// hh:mm:ss: a word beginning with a digit whose third character is ":".
bool IsTimeOfDay(std::string_view word);
// A word beginning with a digit, of three or more characters, not a time of day,
// such as 0012.345.
bool IsTimeWord(std::string_view word);
// The text that identifies a time word: its fifth character removed, then cut
// to seven characters ("0012.345" gives "0012345").
std::string TimeText(std::string_view time_word);
// Milliseconds after the start: the number at the start of a time text.
std::int32_t TimeValue(std::string_view time_text);

// What the first line of an event pair says.
struct EventLine {
  std::vector<std::string> time_texts;  // time words before the line's end or a time of day
  bool time_of_day = false;             // the event belongs to the start moment
  bool ends_record = false;             // the line opens the record's end section
  std::string_view state_word;          // the last word read; empty when there is none
};
// Reads the words of an event pair's first line (markers already blanked). A
// time of day ends the reading; "Запись" or "Частота", or on a separator line
// any word that is no time, ends the record.
EventLine ReadEventLine(std::string_view first_line);

// True iff the state word accepted by the header check: it begins with a digit,
// "У" or "П".
bool IsValidStateWord(std::string_view word);
// True iff the state word says the signal dropped out: it begins with "У".
bool IsDropOut(std::string_view word);

}  // namespace velk
