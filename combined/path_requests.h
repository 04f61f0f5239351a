// The three requests as a command names them: records and output by the paths
// a user typed or a folder listed. velk-convert and the folder batch both go
// through here, so that both convert with the same inputs: every path made
// full, today's year for a discrete record's pair, and the combined
// conversion's state file in a private folder of its own, removed when the
// conversion ends. The window carries its own inputs (its state file) and
// calls requests.h directly.
//
// This is the one part of combined/ over the platform layer (velk_platform);
// it is its own library, velk_requests.
#pragma once

#include <string>
#include <string_view>

#include "combined/requests.h"

namespace velk {

RequestOutcome ConvertAnalogPaths(const std::string& record, const std::string& out_cfg,
                                  Reporter& reporter, const OutputForm& form = {});
RequestOutcome ConvertDiscretePaths(const std::string& record, const std::string& out_cfg,
                                    Reporter& reporter, const OutputForm& form = {});
RequestOutcome ConvertCombinedPaths(const std::string& analog_record,
                                    const std::string& discrete_record, const std::string& out_cfg,
                                    Reporter& reporter, const OutputForm& form = {});

// What velk-convert and the batch tell a person of two records that start at
// different moments (kStartsDiffer), UTF-8.
inline constexpr std::string_view kMomentsDiffer =
    "Моменты пуска записей не совпадают (the records' start moments differ)";

}  // namespace velk
