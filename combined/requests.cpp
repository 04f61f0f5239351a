#include "combined/requests.h"

#include <utility>

#include "comtrade/cff_pack.h"
#include "comtrade/number_format.h"
#include "discrete/discrete_record.h"

namespace velk {
namespace {

RequestOutcome Rejected(const Outcome& check) {
  return {RequestResult::kRejected, check, std::nullopt, std::nullopt};
}

RequestOutcome Converted(const Outcome& outcome) {
  RequestOutcome done;
  done.result = outcome.ok() ? RequestResult::kConverted : RequestResult::kFailed;
  done.outcome = outcome;
  return done;
}

}  // namespace

RequestOutcome ConvertAnalogRequest(const AnalogRequest& request, Reporter& reporter,
                                    const OutputForm& form) {
  if (request.checks == Checks::kRun) {
    if (const AnalogHeaderCheck check = ReadAnalogHeader(request.record); !check.outcome.ok())
      return Rejected(check.outcome);
  }
  std::optional<AnalogHeader> header;
  RequestOutcome done = Converted(ConvertInForm(
      form, request.out_cfg, {request.record}, reporter, [&](const std::string& out_cfg) {
        return ConvertAnalog(request.record, out_cfg, reporter, &header, form);
      }));
  done.analog = std::move(header);
  return done;
}

RequestOutcome ConvertDiscreteRequest(const DiscreteRequest& request, Reporter& reporter,
                                      const OutputForm& form) {
  if (request.checks == Checks::kRun) {
    if (const DiscreteCheck check = CheckDiscreteRecord(request.record); !check.outcome.ok())
      return Rejected(check.outcome);
  }
  StartMoment moment;
  moment.year = ZeroPaddedCut(request.year, 4);
  RequestOutcome done = Converted(ConvertInForm(
      form, request.out_cfg, {request.record}, reporter, [&](const std::string& out_cfg) {
        return ConvertDiscrete(request.record, out_cfg, moment, reporter, form);
      }));
  done.moment = LegalStart(moment);
  done.start_lacks_time = done.result == RequestResult::kConverted && LacksTimeOfDay(moment);
  return done;
}

RequestOutcome ConvertCombinedRequest(const CombinedRequest& request, Reporter& reporter,
                                      const OutputForm& form) {
  if (request.checks == Checks::kRun) {
    const AnalogHeaderCheck analog = ReadAnalogHeader(request.analog_record);
    if (!analog.outcome.ok()) return Rejected(analog.outcome);
    const DiscreteCheck discrete = CheckDiscreteRecord(request.discrete_record);
    if (!discrete.outcome.ok()) return Rejected(discrete.outcome);
    if (!StartsAgree(analog.header.Moment(), discrete.moment))
      return {RequestResult::kStartsDiffer, {}, std::nullopt, std::nullopt};
  }
  std::optional<StartMoment> moment;
  std::optional<AnalogHeader> header;
  RequestOutcome done = Converted(ConvertInForm(
      form, request.out_cfg, {request.analog_record, request.discrete_record}, reporter,
      [&](const std::string& out_cfg) {
        return ConvertCombined(request.analog_record, request.discrete_record, out_cfg,
                               request.state_file, reporter, &moment, &header, form);
      }));
  done.analog = std::move(header);
  done.moment = std::move(moment);
  return done;
}

}  // namespace velk
