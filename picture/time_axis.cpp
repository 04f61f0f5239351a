// The ticks and labels of a picture's time axis.
#include "picture/time_axis.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
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

std::int64_t PerSecond(int decimals) {
  std::int64_t per_second = 1;
  for (int d = 0; d < decimals; ++d) per_second *= 10;
  return per_second;
}

// HH:MM:SS with `decimals` digits of the second, of `units` (in [0, a day)) of
// 1/per_second seconds each.
std::string ClockText(std::int64_t units, std::int64_t per_second, int decimals) {
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

}  // namespace

std::string FixedText(double value, int decimals) {
  std::array<char, 64> text{};
  const auto done = std::to_chars(text.data(), text.data() + text.size(), value,
                                  std::chars_format::fixed, decimals);
  return done.ec == std::errc{} ? std::string(text.data(), done.ptr) : std::string("?");
}

std::optional<double> ClockMs(const ClockStart& start) {
  const StartMoment& moment = start.moment;
  const auto hour = FieldNumber(moment.hour), minute = FieldNumber(moment.minute),
             second = FieldNumber(moment.second);
  if (!hour || !minute || !second || *hour >= 24 || *minute >= 60 || *second >= 61)
    return std::nullopt;
  double fraction = 0, unit = 1;
  for (const char c : start.fraction) {
    if (c < '0' || c > '9') return std::nullopt;
    unit /= 10;
    fraction += (c - '0') * unit;
  }
  return ((std::floor(*hour) * 60 + std::floor(*minute)) * 60 + *second + fraction) * 1000;
}

std::string StartLabel(const ClockStart& start) {
  const StartMoment& m = start.moment;
  if (LacksTimeOfDay(m)) {
    // A discrete record whose start line gives its day alone.
    const auto field = [](const std::string& text) { return text.empty() ? "??" : text; };
    return field(m.day) + "." + field(m.month) + "." + field(m.year) + " время не указано";
  }
  const std::string label = MomentLabel(m);
  return start.fraction.empty() ? label : label + "." + start.fraction;
}

int ClockDecimals(const ClockStart& start) {
  return std::clamp(static_cast<int>(start.fraction.size()), 6, 9);
}

std::string ClockLabel(double ms_of_day, int decimals) {
  decimals = std::clamp(decimals, 0, 9);
  const std::int64_t per_second = PerSecond(decimals);
  const std::int64_t per_day = 86'400 * per_second;
  const double of_day = std::isfinite(ms_of_day) ? std::fmod(ms_of_day, kDayMs) : 0.0;
  std::int64_t units = std::llround(of_day / 1000 * static_cast<double>(per_second)) % per_day;
  if (units < 0) units += per_day;
  return ClockText(units, per_second, decimals);
}

std::optional<std::string> ClockIso(const ClockStart& start, double time_ms) {
  const StartMoment& m = start.moment;
  const auto year = FieldNumber(m.year), month = FieldNumber(m.month), day = FieldNumber(m.day);
  const std::optional<double> origin = ClockMs(start);
  if (!year || !month || !day || !origin || !std::isfinite(time_ms) || std::abs(time_ms) > 1e12 ||
      (m.year.size() != 2 && m.year.size() != 4))
    return std::nullopt;
  int full_year = static_cast<int>(*year);
  if (m.year.size() == 2) full_year += full_year < 70 ? 2000 : 1900;
  const std::chrono::year_month_day date{std::chrono::year{full_year},
                                         std::chrono::month{static_cast<unsigned>(*month)},
                                         std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok()) return std::nullopt;
  const int decimals = ClockDecimals(start);
  const std::int64_t per_second = PerSecond(decimals);
  const std::int64_t per_day = 86'400 * per_second;
  // Whole units of the shown digit from the start day's midnight: rounded
  // once, so that a time rounded up to midnight is of the next day.
  const std::int64_t units =
      std::llround((*origin + time_ms) / 1000 * static_cast<double>(per_second));
  std::int64_t days = units / per_day, of_day = units % per_day;
  if (of_day < 0) {
    of_day += per_day;
    --days;
  }
  const std::chrono::year_month_day shown{std::chrono::sys_days{date} + std::chrono::days{days}};
  std::array<char, 16> text{};
  const auto put = [&](std::size_t at, std::size_t digits, unsigned value) {
    for (std::size_t d = digits; d-- > 0; value /= 10)
      text[at + d] = static_cast<char>('0' + value % 10);
  };
  put(0, 4, static_cast<unsigned>(static_cast<int>(shown.year())));
  text[4] = '-';
  put(5, 2, static_cast<unsigned>(shown.month()));
  text[7] = '-';
  put(8, 2, static_cast<unsigned>(shown.day()));
  text[10] = 'T';
  return std::string(text.data(), 11) + ClockText(of_day, per_second, decimals);
}

TimeAxis AxisTicks(double from_ms, double to_ms, double width, double spacing,
                   const std::optional<ClockStart>& clock) {
  TimeAxis axis;
  const double span = to_ms - from_ms;
  if (!(span > 0) || !(width > 0)) return axis;
  const double least = span / std::max(1.0, width / spacing);
  const std::optional<double> origin = clock ? ClockMs(*clock) : std::nullopt;
  if (origin) {
    axis.unit = clock->moment.day + "." + clock->moment.month + "." + clock->moment.year;
    const double step = ClockStep(least);
    const int decimals = step >= 1000 ? 0 : std::min(9, TickDecimals(step / 1000));
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
