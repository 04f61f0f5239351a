// What a test needs of the system it runs on.
#pragma once

#include <gtest/gtest.h>

namespace velk::testing {

#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif

}  // namespace velk::testing
