// The batch's checks and conversions over the record engine, each call with
// a reporter and a state file folder of its own, in the steps and with the
// inputs of one velk-convert command.
#include "cli/batch_engine.h"

#include <filesystem>

#include "analog/analog_record.h"
#include "cli/cli_ui.h"
#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "discrete/discrete_record.h"

namespace velk::batch {
namespace {

// Every report's message, code page 1251, in order.
class CollectingReporter : public Reporter {
 public:
  void Report(const Outcome& outcome) override { messages.push_back(MessageText(outcome)); }
  std::vector<std::string> messages;
};

// The full path of path, or path itself when the current folder is gone; as
// path, UTF-8 on every system.
std::string FullPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(FsPath(path), error);
  const std::u8string text = (error ? FsPath(path) : full).lexically_normal().u8string();
  return {text.begin(), text.end()};
}

RecordStart StartOf(const MomentNumbers& n) {
  return {n.month, n.day, n.hour, n.minute, n.second};
}

ConversionResult Rejected(const Outcome& outcome) {
  return {false, MessageText(outcome), {}};
}

ConversionResult Result(const Outcome& outcome, CollectingReporter& reporter) {
  return {outcome.ok(), "", std::move(reporter.messages)};
}

}  // namespace

RecordCheck CheckAnalog(const std::string& path) {
  const AnalogHeaderCheck check = ReadAnalogHeader(FullPath(path));
  if (!check.outcome.ok()) return {false, MessageText(check.outcome), {}};
  return {true, MomentLabel(check.header.Moment()), StartOf(check.header.Numbers())};
}

RecordCheck CheckDiscrete(const std::string& path) {
  const DiscreteCheck check = CheckDiscreteRecord(FullPath(path));
  if (!check.outcome.ok()) return {false, MessageText(check.outcome), {}};
  StartMoment moment = check.moment;
  moment.year = kUnknownYear;
  return {true, MomentLabel(moment), StartOf(check.numbers)};
}

ConversionResult ConvertAnalogRecord(const std::string& flh, const std::string& out_cfg) {
  const std::string path = FullPath(flh);
  if (const AnalogHeaderCheck check = ReadAnalogHeader(path); !check.outcome.ok())
    return Rejected(check.outcome);
  CollectingReporter reporter;
  const Outcome outcome = ConvertAnalog(path, FullPath(out_cfg), reporter);
  return Result(outcome, reporter);
}

ConversionResult ConvertDiscreteRecord(const std::string& txt, const std::string& out_cfg) {
  const std::string path = FullPath(txt);
  if (const DiscreteCheck check = CheckDiscreteRecord(path); !check.outcome.ok())
    return Rejected(check.outcome);
  // The record names no year: its pair bears the current one.
  StartMoment moment;
  moment.year = ZeroPaddedCut(LocalSystem("").CurrentYear(), 4);
  CollectingReporter reporter;
  const Outcome outcome = ConvertDiscrete(path, FullPath(out_cfg), moment, reporter);
  return Result(outcome, reporter);
}

ConversionResult ConvertCombinedRecords(const std::string& flh, const std::string& txt,
                                        const std::string& out_cfg) {
  const std::string analog_path = FullPath(flh);
  const std::string discrete_path = FullPath(txt);
  const AnalogHeaderCheck analog = ReadAnalogHeader(analog_path);
  if (!analog.outcome.ok()) return Rejected(analog.outcome);
  const DiscreteCheck discrete = CheckDiscreteRecord(discrete_path);
  if (!discrete.outcome.ok()) return Rejected(discrete.outcome);
  // A part of the moment that the discrete record's start pair lacks is the
  // analog record's, as in the combined pair's time lines.
  StartMoment discrete_moment = analog.header.Moment();
  Overlay(discrete_moment, discrete.moment);
  if (!SameStartMoment(analog.header.Numbers(), NumbersOf(discrete_moment))) return {false, "", {}};
  // The state file goes into a private folder, removed when the conversion ends.
  const CommandLineSystem system("");
  CollectingReporter reporter;
  const Outcome outcome = ConvertCombined(
      analog_path, discrete_path, FullPath(out_cfg), [&system] { return system.StateFilePath(); },
      reporter);
  return Result(outcome, reporter);
}

std::string ForPerson(const std::string& cp1251) {
  return Cp1251ToUtf8(cp1251);
}

}  // namespace velk::batch
