// What a test needs of the system it runs on.
#pragma once

#include <gtest/gtest.h>

// Ends a test on Windows as skipped, with the reason: it needs a facility
// that only Linux has (a device that is always full, symbolic links, another
// user, a file-size limit, fork). What the test checked before still counts.
#ifdef _WIN32
#define VELK_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define VELK_SKIP_ON_WINDOWS(reason) static_cast<void>(reason)
#endif

namespace velk::testing {

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

inline constexpr const char* kNoFullDevice =
    "Windows has no device that is always full like /dev/full";
inline constexpr const char* kNoSymlinks =
    "the cases with symbolic links are left out: MinGW's std::filesystem cannot make "
    "them, and Windows lets only administrators make them";

}  // namespace velk::testing
