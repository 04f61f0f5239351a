#include "combined/path_requests.h"

#include "platform/platform.h"

namespace velk {

RequestOutcome ConvertAnalogPaths(const std::string& record, const std::string& out_cfg,
                                  Reporter& reporter) {
  return ConvertAnalogRequest({FullPath(record), FullPath(out_cfg)}, reporter);
}

RequestOutcome ConvertDiscretePaths(const std::string& record, const std::string& out_cfg,
                                    Reporter& reporter) {
  return ConvertDiscreteRequest({FullPath(record), FullPath(out_cfg), CurrentYear(), {}}, reporter);
}

RequestOutcome ConvertCombinedPaths(const std::string& analog_record,
                                    const std::string& discrete_record, const std::string& out_cfg,
                                    Reporter& reporter) {
  PrivateStateFolder state_folder;
  return ConvertCombinedRequest(
      {FullPath(analog_record), FullPath(discrete_record), FullPath(out_cfg),
       [&state_folder] { return state_folder.StateFilePath(); }},
      reporter);
}

}  // namespace velk
