// The discrete record reader of the window: header check, start search and the
// event reader that fills the discrete tables.
#include <limits>
#include <unordered_map>

#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/text_reader.h"
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

  // Reads a line cut at its semicolon; false when the read limit is reached.
  bool Read(std::string& line) {
    if (++reads_ > limit_) return false;
    record_.ReadLine(line);
    ++counter_;
    CutAtSemicolon(line);
    return true;
  }
  // Reads the second line of a pair, skipping blank lines. False when the limit
  // is reached or the file ends first (also with a last line without line end).
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

void TFComtrade::ResetDIS() {
  discrete.names.clear();
  discrete.events.clear();
  discrete.times.assign(1, 0);
  discrete.line_counter = 1;
}

std::int64_t TFComtrade::FindStartDIS(TextReader& record) {
  std::int64_t& counter = discrete.line_counter;
  CountedLines lines(record, counter, std::numeric_limits<std::int64_t>::max());
  std::string first, second;
  for (int pass = 1; !lines.ended(); ++pass) {
    if (pass > kStartPasses) return counter;
    lines.Read(first);
    if (IsBlank(first)) continue;
    if (lines.ended() || !lines.ReadSecond(second)) return counter;
    if (!OpenPair(first, second) || IsBlank(second)) return counter;
    discrete.pending_name = Trim(second);
    if (IsSeparatorLine(first)) continue;
    switch (ReadStartWords(first, start)) {
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

std::int64_t TFComtrade::CheckEventsDIS(TextReader& record) {
  if (const std::int64_t failed = FindStartDIS(record); failed != 0) return failed;
  std::int64_t& counter = discrete.line_counter;
  CountedLines lines(record, counter, kCheckedReads);
  std::string first, second, previous_text;
  std::int32_t last_value = 0;
  while (!lines.ended()) {
    if (!lines.Read(first)) return counter;
    if (IsBlank(first)) continue;
    if (lines.ended() || !lines.ReadSecond(second) || !OpenPair(first, second)) return counter;
    const EventLine event = ReadEventLine(first);
    for (const std::string& time : event.time_texts) {
      if (time == previous_text) continue;
      if (TimeValue(time) <= last_value) return counter;  // times rise strictly, from above 0
      previous_text = time;
      last_value = TimeValue(time);
    }
    if (event.ends_record) return 0;
    if (IsBlank(second) || !IsValidStateWord(event.state_word)) return counter;
  }
  return 0;
}

bool TFComtrade::ReadEventsDIS() {
  InFile file;
  if (!file.Open(controls.FileListBox2.SelectedFile())) {
    ui_.ErrorBox(text::kNotFound);
    return false;
  }
  TextReader record(file);
  if (const std::int64_t failed = FindStartDIS(record); failed != 0) {
    ui_.ErrorBox(std::string(text::kDamaged) + Decimal(failed - 1));
    return false;
  }
  discrete.names.push_back(discrete.pending_name);  // the start pair's signal is channel 1
  discrete.events.assign(1, DiscreteEvent{});
  discrete.initially_active.clear();

  // Channel of each stored name; the first channel of a name wins.
  std::unordered_map<std::string, std::int32_t> channels = {{discrete.names[0], 0}};
  std::string first, second, previous_text;
  while (!record.ended()) {
    record.ReadLine(first);
    CutAtSemicolon(first);
    if (IsBlank(first)) continue;
    if (record.ended()) break;  // a first line without its second: dropped
    do {
      record.ReadLine(second);
      CutAtSemicolon(second);
    } while (IsBlank(second) && !record.ended());
    if (IsBlank(second)) break;
    BlankMarkers(first);
    BlankMarkers(second);

    const EventLine line = ReadEventLine(first);
    if (line.ends_record) break;  // the end section holds no events
    DiscreteEvent event;
    for (const std::string& time : line.time_texts) {
      if (time != previous_text) {
        discrete.times.push_back(TimeValue(time));
        previous_text = time;
      }
      event.time_index = discrete.TimeCount();
    }
    if (line.time_of_day) event.time_index = 0;
    event.drop_out = IsDropOut(line.state_word);

    const std::string name(Trim(second));
    if (const auto found = channels.find(name); found != channels.end()) {
      event.channel = found->second;
    } else {
      event.channel = discrete.NameCount();
      // A signal first seen dropping out was active from the start of the record;
      // its stored name carries a "~", so a later event naming it plainly is a
      // channel of its own.
      if (event.drop_out) discrete.initially_active.push_back(event.channel);
      discrete.names.push_back(event.drop_out ? "~" + name : name);
      channels.emplace(discrete.names.back(), event.channel);
    }
    discrete.events.push_back(event);
  }
  return true;
}

void TFComtrade::ReadHeaderDIS() {
  ResetDIS();
  InFile file;
  if (!file.Open(controls.FileListBox2.SelectedFile())) {
    controls.DateLabelDIS = text::kNotFound;
    controls.ConvertDISButton = false;
    return;
  }
  start.year = text::kUnknownYear;
  TextReader record(file);
  const std::int64_t failed = CheckEventsDIS(record);
  file.Close();
  if (failed != 0) {
    controls.DateLabelDIS = std::string(text::kDamaged) + Decimal(failed - 1);
    controls.ConvertDISButton = false;
    return;
  }
  controls.DateLabelDIS = start.day + "." + start.month + "." + start.year + " " + start.hour +
                          ":" + start.minute + ":" + start.second;
  controls.ConvertDISButton = true;
  discrete.month = static_cast<int>(LeadingNumber(start.month));
  discrete.day = static_cast<int>(LeadingNumber(start.day));
  discrete.hour = static_cast<int>(LeadingNumber(start.hour));
  discrete.minute = static_cast<int>(LeadingNumber(start.minute));
  discrete.second = static_cast<int>(LeadingNumber(start.second));
}

}  // namespace velk
