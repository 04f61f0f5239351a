// What velk-convert answers with, for its single commands and the batch alike:
// the exit statuses and the texts that both print.
#pragma once

#include <string_view>

#include "combined/path_requests.h"

namespace velk {

// Exit statuses. A single command: 0 converted, 1 the conversion failed, 2 a
// header check rejected a record or the two records start at different
// moments. The batch: 0 every record converted or up to date, 1 a record
// skipped or a conversion failed, 2 nothing converted (nothing could be read,
// or the output folder takes not even the list of pairs). Both: 64 wrong usage.
inline constexpr int kExitConverted = 0;
inline constexpr int kExitConversionFailed = 1;
inline constexpr int kExitHeaderRejected = 2;
inline constexpr int kExitUsage = 64;
// The same statuses as the batch names them.
inline constexpr int kExitAllConverted = kExitConverted;
inline constexpr int kExitSomeFailed = kExitConversionFailed;
inline constexpr int kExitNothingConverted = kExitHeaderRejected;

}  // namespace velk
