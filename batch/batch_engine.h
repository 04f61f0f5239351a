// What the batch conversion needs of the record engine: the header check of one
// record and the conversion requests of one record (or one analog and one
// discrete record) into the pair at a path.
//
// Every call is independent of every other: it reports to its own collector
// and keeps the combined conversion's state file in a private folder, so calls
// may run at the same time on different threads. Each conversion is the
// request that one velk-convert command makes, with the same inputs, so that
// its files are that command's bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "combined/path_requests.h"
#include "comtrade/start_moment.h"

namespace velk::batch {

struct RecordCheck {
  bool ok = false;
  // What the window's date label shows, code page 1251: the start moment of a
  // sound record, "Не найден", "Поврежден" or, for a discrete record,
  // "Поврежден" with a line number such as "Поврежден7".
  std::string label;
  // Valid when ok: an analog record's whole start moment, or the fields a
  // discrete record's start pair gives (none of them the year).
  StartMoment start;
};

struct ConversionResult {
  RequestResult result = RequestResult::kFailed;
  // kRejected: the label text of the check that rejected a record at
  // conversion time (it changed since it was checked).
  std::string rejected;
  std::vector<std::string> messages;  // the conversion's messages, code page 1251
  bool start_lacks_time = false;      // as RequestOutcome's
};

// Header checks of the record at path (an analog .flh, a discrete .txt record).
RecordCheck CheckAnalog(const std::string& path);
RecordCheck CheckDiscrete(const std::string& path);

// Conversions into the pair whose BINARY configuration file is out_cfg.
// form gives the revision, the encoding and the files of the pair.
ConversionResult ConvertAnalogRecord(const std::string& flh, const std::string& out_cfg,
                                     const OutputForm& form = {});
ConversionResult ConvertDiscreteRecord(const std::string& txt, const std::string& out_cfg,
                                       const OutputForm& form = {});
// The records' start moments are compared again (StartsAgree): records that
// changed since they were paired and no longer agree give kStartsDiffer.
ConversionResult ConvertCombinedRecords(const std::string& flh, const std::string& txt,
                                        const std::string& out_cfg, const OutputForm& form = {});

// UTF-8 for a person to read, from the converter's code page 1251 text.
std::string ForPerson(const std::string& cp1251);

}  // namespace velk::batch
