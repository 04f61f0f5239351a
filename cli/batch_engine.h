// What the batch conversion needs of the record engine: the header check of one
// record and the conversion of one record (or one analog and one discrete
// record) into the pair at a path.
//
// Every call is independent of every other: it reports to its own collector
// and keeps the combined conversion's state file in a private folder, so calls
// may run at the same time on different threads. Each conversion runs the
// header check first and then converts, exactly as one velk-convert command
// does, so that its files are that command's bytes.
#pragma once

#include <string>
#include <vector>

namespace velk::batch {

// The start moment of a record as the window compares it: the discrete record
// names no year, so the year takes no part.
struct RecordStart {
  int month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend bool operator==(const RecordStart&, const RecordStart&) = default;
  friend auto operator<=>(const RecordStart&, const RecordStart&) = default;
};

struct RecordCheck {
  bool ok = false;
  // What the window's date label shows, code page 1251: the start moment of a
  // sound record, "Не найден", "Поврежден" or, for a discrete record,
  // "Поврежден" with a line number such as "Поврежден7".
  std::string label;
  RecordStart start;  // valid when ok
};

struct ConversionResult {
  bool ok = false;
  // When the header check rejected the record at conversion time (it changed
  // since it was checked): the label text; otherwise empty.
  std::string rejected;
  std::vector<std::string> messages;  // the conversion's messages, code page 1251
};

// Header checks of the record at path (an analog .flh, a discrete .txt record).
RecordCheck CheckAnalog(const std::string& path);
RecordCheck CheckDiscrete(const std::string& path);

// Conversions into the pair whose BINARY configuration file is out_cfg.
ConversionResult ConvertAnalogRecord(const std::string& flh, const std::string& out_cfg);
ConversionResult ConvertDiscreteRecord(const std::string& txt, const std::string& out_cfg);
// The start moments must agree; when they no longer do, the result is not ok
// and names no message.
ConversionResult ConvertCombinedRecords(const std::string& flh, const std::string& txt,
                                        const std::string& out_cfg);

// UTF-8 for a person to read, from the converter's code page 1251 text.
std::string ForPerson(const std::string& cp1251);

}  // namespace velk::batch
