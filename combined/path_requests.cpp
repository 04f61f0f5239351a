#include "combined/path_requests.h"

#include "platform/platform.h"

namespace velk {

RequestOutcome ConvertAnalogPaths(const std::string& record, const std::string& out_cfg,
                                  Reporter& reporter, const OutputForm& form) {
  return ConvertAnalogRequest({FullPath(record), FullPath(out_cfg)}, reporter, form);
}

RequestOutcome ConvertDiscretePaths(const std::string& record, const std::string& out_cfg,
                                    Reporter& reporter, const OutputForm& form) {
  return ConvertDiscreteRequest({FullPath(record), FullPath(out_cfg), CurrentYear()}, reporter,
                                form);
}

RequestOutcome ConvertCombinedPaths(const std::string& analog_record,
                                    const std::string& discrete_record, const std::string& out_cfg,
                                    Reporter& reporter, const OutputForm& form) {
  PrivateStateFolder state_folder;
  return ConvertCombinedRequest(
      {FullPath(analog_record), FullPath(discrete_record), FullPath(out_cfg),
       [&state_folder] { return state_folder.StateFilePath(); }},
      reporter, form);
}

}  // namespace velk
