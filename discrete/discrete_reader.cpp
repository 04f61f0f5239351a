// The discrete record reader: header check, start search and the event reader
// that fills the discrete tables.
#include <limits>
#include <unordered_map>

#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/text_reader.h"
#include "discrete/discrete_record.h"
#include "discrete/record_text.h"

namespace velk {
namespace {

constexpr int kStartPasses = 1000;    // first lines the start search looks at
constexpr int kCheckedReads = 10000;  // lines the event check reads after the start

enum class StartWords { kStart, kInformation, kBroken };

// Takes day, month and time of day from the words of a start pair's first line
// into start. An information word makes the pair an information pair (what was
// taken stays); any other word that is not a number breaks the start pair.
StartWords ReadStartWords(std::string_view first_line, StartMoment& start) {
  int numbers = 0;
  for (std::string_view word : Words(first_line)) {
    if (!StartsWithDigit(word))
      return IsInformationWord(word) ? StartWords::kInformation : StartWords::kBroken;
    ++numbers;
    if (numbers == 1 || numbers == 2) {
      if (word.size() != 2) return StartWords::kBroken;
      (numbers == 1 ? start.day : start.month) = word;
    } else if (numbers == 3) {
      if (word.size() < 6 || word[2] != ':' || word[5] != ':') return StartWords::kBroken;
      start.hour = word.substr(0, 2);
      start.minute = word.substr(3, 2);
      start.second = word.substr(6, 2);
    }
  }
  return StartWords::kStart;
}

// Reads lines of a record for the start search and the check, counting each in
// the line counter; after `limit` reads the next read fails.
class CountedLines {
 public:
  CountedLines(TextReader& record, std::int64_t& counter, std::int64_t limit)
      : record_(record), counter_(counter), limit_(limit) {}

  // Reads a line cut at its semicolon; false when the read limit is reached or
  // the line is too long for a record (damage at that line).
  bool Read(std::string& line) {
    if (++reads_ > limit_) return false;
    record_.ReadLine(line);
    ++counter_;
    CutAtSemicolon(line);
    return !record_.too_long();
  }
  // Reads the second line of a pair, skipping blank lines: at least one read,
  // also when the first line ended the file. False when the limit is reached or
  // the file ends first (also with a last line without line end).
  bool ReadSecond(std::string& line) {
    do {
      if (!Read(line) || record_.ended()) return false;
    } while (IsBlank(line));
    return true;
  }
  bool ended() const { return record_.ended(); }

 private:
  TextReader& record_;
  std::int64_t& counter_;
  std::int64_t limit_;
  std::int64_t reads_ = 0;
};

// Both lines of a pair carry their markers; then the markers count as spaces.
bool OpenPair(std::string& first, std::string& second) {
  if (!IsFirstLine(first) || !IsSecondLine(second)) return false;
  BlankMarkers(first);
  BlankMarkers(second);
  return true;
}

}  // namespace

std::int64_t FindStartDIS(TextReader& record, DiscreteTables& tables, StartMoment& moment) {
  std::int64_t& counter = tables.line_counter;
  CountedLines lines(record, counter, std::numeric_limits<std::int64_t>::max());
  std::string first, second;
  for (int pass = 1; !lines.ended(); ++pass) {
    if (pass > kStartPasses || !lines.Read(first)) return counter;
    if (IsBlank(first)) continue;
    // A first line that ends the file fails the search before any second read.
    if (lines.ended() || !lines.ReadSecond(second)) return counter;
    if (!OpenPair(first, second) || IsBlank(second)) return counter;
    tables.pending_name = Trim(second);
    if (IsSeparatorLine(first)) continue;
    switch (ReadStartWords(first, moment)) {
      case StartWords::kStart:
        return 0;
      case StartWords::kInformation:
        continue;
      case StartWords::kBroken:
        return counter;
    }
  }
  return counter;
}

std::int64_t CheckEventsDIS(TextReader& record, DiscreteTables& tables, StartMoment& moment) {
  if (const std::int64_t failed = FindStartDIS(record, tables, moment); failed != 0) return failed;
  std::int64_t& counter = tables.line_counter;
  CountedLines lines(record, counter, kCheckedReads);
  std::string first, second, previous_text;
  std::int32_t last_value = 0;
  std::size_t name_bytes = 0;
  while (!lines.ended()) {
    if (!lines.Read(first)) return counter;
    if (IsBlank(first)) continue;
    // Unlike the start search, the check reads once more for the second line
    // when the first line ended the file (a record cut inside an event pair),
    // and counts that read.
    if (!lines.ReadSecond(second) || !OpenPair(first, second)) return counter;
    const EventLine event = ReadEventLine(first);
    for (const std::string& time : event.time_texts) {
      if (time == previous_text) continue;
      if (TimeValue(time) <= last_value) return counter;  // times rise strictly, from above 0
      previous_text = time;
      last_value = TimeValue(time);
    }
    if (event.ends_record) return 0;
    if (IsBlank(second) || !IsValidStateWord(event.state_word)) return counter;
    name_bytes += Trim(second).size();
    if (name_bytes > kMostNameBytes) return counter;
  }
  return 0;
}

namespace {

// Reads the event pairs after the start pair into the tables. Returns 0, or
// the line counter at a line too long for a record: the reader does not check
// the event pairs, but it never holds such a line as a name.
std::int64_t ReadEventsDIS(TextReader& record, DiscreteTables& tables) {
  tables.names.push_back(tables.pending_name);  // the start pair's signal is channel 1
  tables.events.assign(1, DiscreteEvent{});
  tables.initially_active.clear();

  const std::int64_t& counter = tables.line_counter;
  CountedLines lines(record, tables.line_counter, std::numeric_limits<std::int64_t>::max());
  // Channel of each stored name; the first channel of a name wins.
  std::unordered_map<std::string, std::int32_t> channels = {{tables.names[0], 0}};
  std::string first, second, previous_text;
  std::size_t name_bytes = 0;
  while (!record.ended()) {
    if (!lines.Read(first)) return counter;
    if (IsBlank(first)) continue;
    if (record.ended()) break;  // a first line without its second: dropped
    do {
      if (!lines.Read(second)) return counter;
    } while (IsBlank(second) && !record.ended());
    if (IsBlank(second)) break;
    BlankMarkers(first);
    BlankMarkers(second);

    const EventLine line = ReadEventLine(first);
    if (line.ends_record) break;  // the end section holds no events
    DiscreteEvent event;
    for (const std::string& time : line.time_texts) {
      if (time != previous_text) {
        tables.times.push_back(TimeValue(time));
        previous_text = time;
      }
      event.time_index = tables.TimeCount();
    }
    if (line.time_of_day) event.time_index = 0;
    event.drop_out = IsDropOut(line.state_word);

    const std::string name(Trim(second));
    name_bytes += name.size();
    if (name_bytes > kMostNameBytes) return counter;
    if (const auto found = channels.find(name); found != channels.end()) {
      event.channel = found->second;
    } else {
      event.channel = tables.NameCount();
      // A signal first seen dropping out was active from the start of the record;
      // its stored name carries a "~", so a later event naming it plainly is a
      // channel of its own.
      if (event.drop_out) tables.initially_active.push_back(event.channel);
      tables.names.push_back(event.drop_out ? "~" + name : name);
      channels.emplace(tables.names.back(), event.channel);
    }
    tables.events.push_back(event);
  }
  return 0;
}

}  // namespace

DiscreteCheck CheckDiscreteRecord(const std::string& path) {
  DiscreteCheck check;
  InFile file;
  if (!file.Open(path)) {
    check.outcome = {Failure::kNotFound, path};
    return check;
  }
  TextReader record(file, kLongestRecordLine);
  DiscreteTables tables;
  if (const std::int64_t failed = CheckEventsDIS(record, tables, check.moment); failed != 0) {
    check.outcome = {Failure::kDamagedAtLine, path, failed - 1};
    return check;
  }
  check.numbers = NumbersOf(check.moment);
  return check;
}

DiscreteRecord ReadDiscreteRecord(const std::string& path, Reporter& reporter) {
  DiscreteRecord read;
  InFile file;
  if (!file.Open(path)) {
    read.outcome = {Failure::kNotFound, path};
    reporter.Report(read.outcome);
    return read;
  }
  TextReader record(file, kLongestRecordLine);
  std::int64_t failed = FindStartDIS(record, read.tables, read.moment);
  if (failed == 0) failed = ReadEventsDIS(record, read.tables);
  if (failed != 0) {
    read.outcome = {Failure::kDamagedAtLine, path, failed - 1};
    reporter.Report(read.outcome);
  }
  return read;
}

}  // namespace velk
