// The ticks and labels of a picture's time axis.
#include "picture/time_axis.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace velk {
namespace {

constexpr double kDayMs = 86'400'000;

// The step of the ticks: 1, 2 or 5 times a power of ten, at least `least`.
double TickStep(double least) {
  const double power = std::pow(10.0, std::floor(std::log10(least)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0})
    if (factor * power >= least) return factor * power;
  return 10 * power;
}

// The step of the ticks of a clock: below a second as TickStep, above it the
// steps a clock's face is read in.
double ClockStep(double least) {
  if (least < 1000) return TickStep(least);
  constexpr std::array<double, 18> kSteps{1e3,    2e3,    5e3,     10e3,    15e3,    30e3,
                                          60e3,   120e3,  300e3,   600e3,   900e3,   1800e3,
                                          3600e3, 7200e3, 10800e3, 21600e3, 43200e3, kDayMs};
  for (const double step : kSteps)
    if (step >= least) return step;
  return kDayMs;
}

int TickDecimals(double step) {
  return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

std::optional<double> FieldNumber(const std::string& field) {
  double value = 0;
  const auto done = std::from_chars(field.data(), field.data() + field.size(), value);
  if (done.ec != std::errc{} || done.ptr != field.data() + field.size() || !(value >= 0))
    return std::nullopt;
  return value;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  std::array<char, 64> text{};
  const auto done = std::to_chars(text.data(), text.data() + text.size(), value,
                                  std::chars_format::fixed, decimals);
  return done.ec == std::errc{} ? std::string(text.data(), done.ptr) : std::string("?");
}

std::optional<double> ClockMs(const StartMoment& moment) {
  const auto hour = FieldNumber(moment.hour), minute = FieldNumber(moment.minute),
             second = FieldNumber(moment.second);
  if (!hour || !minute || !second || *hour >= 24 || *minute >= 60 || *second >= 61)
    return std::nullopt;
  return ((std::floor(*hour) * 60 + std::floor(*minute)) * 60 + *second) * 1000;
}

std::string ClockLabel(double ms_of_day, int decimals) {
  decimals = std::clamp(decimals, 0, 6);
  const auto per_second = static_cast<std::int64_t>(std::llround(std::pow(10.0, decimals)));
  const std::int64_t per_day = 86'400 * per_second;
  const double of_day = std::isfinite(ms_of_day) ? std::fmod(ms_of_day, kDayMs) : 0.0;
  std::int64_t units = std::llround(of_day / 1000 * static_cast<double>(per_second)) % per_day;
  if (units < 0) units += per_day;
  const std::int64_t seconds = units / per_second;
  std::array<char, 32> text{};
  const auto two = [&](std::size_t at, std::int64_t value) {
    text[at] = static_cast<char>('0' + value / 10);
    text[at + 1] = static_cast<char>('0' + value % 10);
  };
  two(0, seconds / 3600);
  text[2] = ':';
  two(3, seconds / 60 % 60);
  text[5] = ':';
  two(6, seconds % 60);
  std::size_t size = 8;
  if (decimals > 0) {
    text[size++] = '.';
    std::int64_t fraction = units % per_second;
    for (int d = decimals - 1; d >= 0; --d) {
      text[size + static_cast<std::size_t>(d)] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    size += static_cast<std::size_t>(decimals);
  }
  return std::string(text.data(), size);
}

TimeAxis AxisTicks(double from_ms, double to_ms, double width, double spacing,
                   const std::optional<StartMoment>& clock) {
  TimeAxis axis;
  const double span = to_ms - from_ms;
  if (!(span > 0) || !(width > 0)) return axis;
  const double least = span / std::max(1.0, width / spacing);
  const std::optional<double> origin = clock ? ClockMs(*clock) : std::nullopt;
  if (origin) {
    axis.unit = clock->day + "." + clock->month + "." + clock->year;
    const double step = ClockStep(least);
    const int decimals = step >= 1000 ? 0 : std::min(6, TickDecimals(step / 1000));
    for (auto k = static_cast<std::int64_t>(std::ceil((*origin + from_ms) / step));; ++k) {
      const double t = static_cast<double>(k) * step - *origin;
      if (t > to_ms + step * 1e-9) break;
      axis.ticks.push_back({t, ClockLabel(*origin + t, decimals)});
    }
    return axis;
  }
  const double step = TickStep(least);
  const bool seconds = span > kSecondsAxisFromMs;
  static constexpr std::string_view kMs = "мс";
  static constexpr std::string_view kSeconds = "с";
  axis.unit = seconds ? std::string(kSeconds) : std::string(kMs);
  const int decimals = TickDecimals(seconds ? step / 1000 : step);
  for (double t = std::ceil(from_ms / step) * step; t <= to_ms + step * 1e-9; t += step) {
    const double shown = std::abs(t) < step * 1e-6 ? 0.0 : t;
    axis.ticks.push_back({t, FixedText(seconds ? shown / 1000 : shown, decimals)});
  }
  return axis;
}

}  // namespace velk
