// What the checks and conversions of records tell their caller: an outcome
// (success, or which of the converter's failures, with the file it concerns)
// and, as they happen, reports of the same kind to a Reporter the caller
// passes in. The window turns each report into an error box, the command line
// into a line on its error stream; tests collect them.
#pragma once

#include <cstdint>
#include <string>

namespace velk {

// The converter's failures, each with its fixed message (MessageText).
enum class Failure {
  kNone,
  kFileNotFound,  // "Файл не найден": an analog record cannot be opened
  kFileDamaged,   // "Файл поврежден": an analog record is no header and whole samples
  kOpenError,  // "Ошибка открытия файла": a file of a pair or the state file cannot be opened
  kWriteError,  // "Ошибка записи файла": a written file could not be written whole
  kNotFound,  // "Не найден": a record that a header check or the discrete reader cannot open
  kDamaged,   // "Поврежден": an analog record's header check
  kDamagedAtLine,  // "Поврежден" and a line number: a discrete record's start or events
};

struct Outcome {
  Failure failure = Failure::kNone;
  std::string file{};     // the record or output file the failure concerns
  std::int64_t line = 0;  // kDamagedAtLine: the last line read, counted from 1

  bool ok() const { return failure == Failure::kNone; }
};

// The failure's message in code page 1251, such as "Поврежден7"; empty for success.
std::string MessageText(const Outcome& outcome);

// Receives every failure of a check or conversion as it happens, in order.
class Reporter {
 public:
  virtual ~Reporter() = default;
  virtual void Report(const Outcome& outcome) = 0;
};

// Passes every report on and keeps the first: what a conversion returns.
class FirstReport : public Reporter {
 public:
  explicit FirstReport(Reporter& next) : next_(next) {}
  void Report(const Outcome& outcome) override {
    if (first_.ok()) first_ = outcome;
    next_.Report(outcome);
  }
  const Outcome& first() const { return first_; }

 private:
  Reporter& next_;
  Outcome first_;
};

}  // namespace velk
