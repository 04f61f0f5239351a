// The batch's checks and conversion requests over the record engine, each
// call with a reporter of its own; the conversions go through the requests of
// velk-convert's commands (path_requests.h), with their inputs.
#include "batch/batch_engine.h"

#include <utility>

#include "analog/analog_record.h"
#include "comtrade/cp1251.h"
#include "discrete/discrete_record.h"
#include "platform/platform.h"

namespace velk::batch {
namespace {

// Every report's message, code page 1251, in order.
class CollectingReporter : public Reporter {
 public:
  void Report(const Outcome& outcome) override { messages.push_back(MessageText(outcome)); }
  std::vector<std::string> messages;
};

ConversionResult Result(const RequestOutcome& done, CollectingReporter& reporter) {
  ConversionResult result{done.result, "", std::move(reporter.messages), done.start_lacks_time};
  if (done.result == RequestResult::kRejected) result.rejected = MessageText(done.outcome);
  return result;
}

}  // namespace

RecordCheck CheckAnalog(const std::string& path) {
  const AnalogHeaderCheck check = ReadAnalogHeader(FullPath(path));
  if (!check.outcome.ok()) return {false, MessageText(check.outcome), {}};
  return {true, MomentLabel(check.header.Moment()), check.header.Moment()};
}

RecordCheck CheckDiscrete(const std::string& path) {
  const DiscreteCheck check = CheckDiscreteRecord(FullPath(path));
  if (!check.outcome.ok()) return {false, MessageText(check.outcome), {}};
  StartMoment shown = check.moment;
  shown.year = kUnknownYear;
  return {true, MomentLabel(shown), check.moment};
}

ConversionResult ConvertAnalogRecord(const std::string& flh, const std::string& out_cfg,
                                     const OutputForm& form) {
  CollectingReporter reporter;
  return Result(ConvertAnalogPaths(flh, out_cfg, reporter, form), reporter);
}

ConversionResult ConvertDiscreteRecord(const std::string& txt, const std::string& out_cfg,
                                       const OutputForm& form) {
  CollectingReporter reporter;
  return Result(ConvertDiscretePaths(txt, out_cfg, reporter, form), reporter);
}

ConversionResult ConvertCombinedRecords(const std::string& flh, const std::string& txt,
                                        const std::string& out_cfg, const OutputForm& form) {
  CollectingReporter reporter;
  return Result(ConvertCombinedPaths(flh, txt, out_cfg, reporter, form), reporter);
}

std::string ForPerson(const std::string& cp1251) {
  return Cp1251ToUtf8(cp1251);
}

}  // namespace velk::batch
