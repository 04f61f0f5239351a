// The time axis of a record's picture: where its ticks fall and what they
// read, as milliseconds from the first sample, as seconds once a view spans
// more than a few seconds, or as the clock time of the record's start moment
// plus the offset.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "comtrade/start_moment.h"

namespace velk {

struct AxisTick {
  double time_ms = 0;  // from the first sample
  std::string label;   // UTF-8
};

struct TimeAxis {
  std::vector<AxisTick> ticks;
  std::string unit;  // written at the axis's left: "мс", "с" or the start's date
};

// A view wider than this many milliseconds has its axis in seconds.
inline constexpr double kSecondsAxisFromMs = 5000;

// The ticks of a view of [from_ms, to_ms] over `width` pixels, at least
// `spacing` pixels apart. With `clock`, the ticks fall on round clock times of
// the day the start moment gives; without a clock time in the moment, the
// axis stays in milliseconds or seconds.
// The clock time of a record's first sample, to the record's own resolution.
struct ClockStart {
  StartMoment moment;    // the date, the hour, the minute and the second
  std::string fraction;  // the digits of the second's fraction; empty for whole seconds
};

TimeAxis AxisTicks(double from_ms, double to_ms, double width, double spacing,
                   const std::optional<ClockStart>& clock);

// Milliseconds from midnight of the start's hour, minute and second (which may
// carry a fraction itself) and its fraction; nothing when they are not numbers
// of a clock.
std::optional<double> ClockMs(const ClockStart& start);

// The start as the picture's title line shows it: MomentLabel, and the
// second's fraction where the record gives one; the date and «время не
// указано» where the moment holds no time of day.
std::string StartLabel(const ClockStart& start);

// The digits of the second a clock time of the record is shown with: 6, or
// as many as the start's fraction has where it has more (nanoseconds).
int ClockDecimals(const ClockStart& start);

// The moment time_ms after the start as ISO 8601, "2011-01-12T05:55:30.100011",
// with ClockDecimals digits of the second; nothing when the start gives no
// whole date and clock time (a year of two digits is of 1970 to 2069).
std::optional<std::string> ClockIso(const ClockStart& start, double time_ms);

// value with `decimals` digits after the point, whatever the locale.
std::string FixedText(double value, int decimals);

// A time of the day as HH:MM:SS with `decimals` digits of the second (0 to 9),
// rounded; past midnight it starts again from 00:00:00.
std::string ClockLabel(double ms_of_day, int decimals);

}  // namespace velk
