#include "discrete/record_text.h"

#include <algorithm>

#include "comtrade/cp1251.h"
#include "comtrade/number_format.h"

namespace velk {
namespace {

// Words of a record's information pairs; the first two open its end section.
constexpr auto kWordRecord = Cp1251("Запись");
constexpr auto kWordFrequency = Cp1251("Частота");
constexpr auto kWordResistance = Cp1251("Сопрот");
constexpr auto kWordDistance = Cp1251("Расстояние");
constexpr auto kWordDistanceColon = Cp1251("Расстояние:");
constexpr auto kWordCount = Cp1251("К-во");
constexpr auto kWordTotal = Cp1251("Суммарный");
// The first letters of the state words.
constexpr char kDropOutLetter = Cp1251("У").bytes[0];  // the signal dropped out
constexpr char kPickUpLetter = Cp1251("П").bytes[0];   // the signal picked up

bool IsAboveSpace(char c) {
  return static_cast<unsigned char>(c) > ' ';
}
bool IsWhite(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

void CutAtSemicolon(std::string& line) {
  const auto at = line.find(';');
  if (at != std::string::npos) line.erase(at);
}

bool IsBlank(std::string_view line) {
  return std::none_of(line.begin(), line.end(), IsAboveSpace);
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsWhite(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsWhite(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool IsFirstLine(std::string_view line) {
  return line.starts_with("//");
}
bool IsSecondLine(std::string_view line) {
  return line.starts_with("\\\\");
}

void BlankMarkers(std::string& line) {
  for (std::size_t i = 0; i < 2 && i < line.size(); ++i) line[i] = ' ';
}

bool IsSeparatorLine(std::string_view first_line) {
  return first_line.size() > 7 && first_line[7] == '=';
}

bool IsInformationWord(std::string_view word) {
  return word == kWordRecord.view() || word == kWordFrequency.view() ||
         word == kWordResistance.view() || word == kWordDistance.view() ||
         word == kWordDistanceColon.view() || word == kWordCount.view() ||
         word == kWordTotal.view();
}

bool IsEndWord(std::string_view word) {
  return word == kWordRecord.view() || word == kWordFrequency.view();
}

bool StartsWithDigit(std::string_view word) {
  return !word.empty() && word[0] >= '0' && word[0] <= '9';
}

bool IsTimeOfDay(std::string_view word) {
  return StartsWithDigit(word) && word.size() > 2 && word[2] == ':';
}

bool IsTimeWord(std::string_view word) {
  return StartsWithDigit(word) && word.size() >= 3 && !IsTimeOfDay(word);
}

std::string TimeText(std::string_view time_word) {
  std::string text(time_word);
  if (text.size() > 4) text.erase(4, 1);
  return text.substr(0, 7);
}

std::int32_t TimeValue(std::string_view time_text) {
  return static_cast<std::int32_t>(LeadingNumber(std::string(time_text)));
}

EventLine ReadEventLine(std::string_view first_line) {
  EventLine line;
  const bool separator = IsSeparatorLine(first_line);
  for (std::string_view word : Words(first_line)) {
    line.state_word = word;
    if (IsTimeOfDay(word)) {
      line.time_of_day = true;
      break;
    }
    if (IsTimeWord(word)) {
      line.time_texts.push_back(TimeText(word));
    } else if (IsEndWord(word) || separator) {
      line.ends_record = true;
      break;
    }
  }
  return line;
}

bool IsValidStateWord(std::string_view word) {
  return StartsWithDigit(word) || word.starts_with(kDropOutLetter) ||
         word.starts_with(kPickUpLetter);
}

bool IsDropOut(std::string_view word) {
  return word.starts_with(kDropOutLetter);
}

}  // namespace velk
