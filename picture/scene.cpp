// Laying out the picture of a record: bands, rows, the time axis and the
// cursor as rectangles, lines and texts.
#include "picture/scene.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>

#include "picture/scene_layout.h"
#include "picture/text_columns.h"
#include "picture/time_axis.h"

namespace velk {
namespace {

using scene_layout::Band;
using scene_layout::BandLayout;
using scene_layout::InPoints;
using scene_layout::kHeaderHeight;
using scene_layout::LayOut;
constexpr int kTextSize = 11;

// Where a wave breaks off: the record holds no value there.
constexpr ScenePoint kGap{std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::quiet_NaN()};

constexpr Colour kInk{0, 0, 0};
constexpr Colour kFaint{110, 110, 110};
constexpr Colour kGrid{225, 225, 225};
constexpr Colour kShade{246, 246, 246};
constexpr Colour kCursor{30, 60, 200};
constexpr Colour kCursorB{180, 0, 150};
constexpr Colour kTrigger{0, 120, 40};
constexpr Colour kActive{200, 60, 40};
constexpr Colour kWarning{170, 0, 0};
// Phases A, B and C in the colours of the trade, then the residual quantities.
constexpr std::array<Colour, 8> kWaveColours{{{190, 150, 0},
                                              {0, 140, 60},
                                              {200, 30, 30},
                                              {90, 60, 30},
                                              {190, 150, 0},
                                              {0, 140, 60},
                                              {200, 30, 30},
                                              {90, 60, 30}}};

std::string Fixed(double value, int decimals) {
  return FixedText(value, decimals);
}

// A value as a person reads it off a scale: fewer decimals for larger values.
std::string Reading(double value) {
  const double size = std::abs(value);
  return Fixed(value, size >= 1000 ? 0 : size >= 100 ? 1 : size >= 10 ? 2 : 3);
}

// A value on a scale with its sign: "+5.000", "0", "-5.000".
std::string Signed(double value) {
  if (value == 0) return "0";
  return value > 0 ? "+" + Reading(value) : Reading(value);
}

constexpr std::string_view kEllipsis = "…";

// A name of more than `fits` columns with its middle left out: the first
// `head` columns, "…" and as many of its last ones as fit, cut between
// characters.
std::string CutInMiddle(const std::string& name, std::size_t fits, std::size_t head) {
  if (TextColumns(name) <= fits) return name;
  head = std::min(head, fits - 2);
  std::string start(LeadingColumns(name, head));
  while (!start.empty() && start.back() == ' ') start.pop_back();
  std::string end(TrailingColumns(name, fits - 1 - head));
  while (!end.empty() && end.front() == ' ') end.erase(0, 1);
  return start + std::string(kEllipsis) + end;
}

}  // namespace

std::vector<std::string> DistinctCuts(const std::vector<std::string>& names, std::size_t fits) {
  fits = std::max<std::size_t>(fits, 4);
  // Names tell each other apart by their ends (numbers, sides, circuits) more
  // often than by their starts: the end keeps the larger part.
  const std::size_t usual = (fits - 1) * 2 / 5;
  std::vector<std::string> cuts(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) cuts[i] = CutInMiddle(names[i], fits, usual);
  // A cut that reads like another name's moves its gap along (towards the
  // start first) until it reads like none.
  std::map<std::string, std::vector<std::size_t>> alike;
  for (std::size_t i = 0; i < names.size(); ++i) alike[cuts[i]].push_back(i);
  for (const auto& [cut, which] : alike) {
    if (which.size() < 2) continue;
    for (const std::size_t i : which) {
      if (TextColumns(names[i]) <= fits) continue;  // uncut: the cut ones move
      const auto reads_alike = [&](const std::string& text) {
        for (std::size_t j = 0; j < names.size(); ++j)
          if (j != i && names[j] != names[i] && cuts[j] == text) return true;
        return false;
      };
      if (!reads_alike(cuts[i])) continue;
      std::vector<std::size_t> tries;
      for (std::size_t head = usual; head-- > 1;) tries.push_back(head);
      for (std::size_t head = usual + 1; head + 2 <= fits; ++head) tries.push_back(head);
      for (const std::size_t head : tries) {
        std::string moved = CutInMiddle(names[i], fits, head);
        if (reads_alike(moved)) continue;
        cuts[i] = std::move(moved);
        break;
      }
    }
  }
  return cuts;
}

namespace {

class Painter {
 public:
  Painter(const RecordPicture& picture, const PictureView& view) : picture_(picture), view_(view) {
    scene_.width = view.width;
    scene_.height = view.height;
    left_ = PlotLeft(view);
    right_ = PlotRight(view);
  }

  Scene Paint() {
    LayOutBands();
    for (std::size_t c = 0, shown = 0; c < bands_.size(); ++c)
      if (bands_[c].height > 0) PaintChannel(c, shown++);
    for (std::size_t s = 0, shown = 0; s < rows_.size(); ++s)
      if (rows_[s].height > 0) PaintSignal(s, shown++);
    PaintAxis();
    PaintTitle();
    PaintCursor();
    PaintCursorB();
    // Last, once every sample this scene needs has been read: a record deleted
    // or rewritten since it was opened keeps its picture, and says so.
    if (!picture_.record_unchanged())
      Text(6, bottom_ + 19, std::string(kChanged), kWarning, TextAnchor::kStart);
    scene_.lines.insert(scene_.lines.begin(), std::make_move_iterator(grid_.begin()),
                        std::make_move_iterator(grid_.end()));
    return std::move(scene_);
  }

 private:
  void Text(float x, float y, std::string text, Colour colour,
            TextAnchor anchor = TextAnchor::kStart, bool bold = false) {
    scene_.texts.push_back({x, y, std::move(text), colour, anchor, kTextSize, bold, {}});
  }
  // A name in the gutter as NamesInGutter cut it; the whole name stays with
  // a text cut short.
  void Name(float x, float y, const std::string& name, const std::string& shown, bool bold) {
    Text(x, y, shown, kInk, TextAnchor::kStart, bold);
    if (shown != name) scene_.texts.back().whole = name;
  }
  // The shown names of the bands (bold) or the rows, each as it fits `room`
  // points, in the order of the names.
  static std::vector<std::string> NamesInGutter(const std::vector<std::string>& names, float room,
                                                bool bold) {
    return DistinctCuts(names, static_cast<std::size_t>(std::max(4.0f, room / CharWidth(bold))));
  }
  // The width of one letter of a name (one of TextColumns), in points: a
  // little wider than the sans-serif face's average, so that a cut name
  // always keeps to its column.
  static float CharWidth(bool bold) { return kTextSize * (bold ? 0.66f : 0.62f); }
  static float TextWidth(const std::string& text, bool bold = false) {
    return static_cast<float>(TextColumns(text)) * CharWidth(bold);
  }
  // A line of the grid: drawn before (under) every wave.
  void Grid(std::vector<ScenePoint> points) { grid_.push_back({std::move(points), kGrid}); }
  void Line(std::vector<ScenePoint> points, Colour colour) {
    scene_.lines.push_back({std::move(points), colour});
  }
  // A wave as one line, or one line between each two gaps of the record.
  void WaveLines(std::vector<ScenePoint> points, Colour colour) {
    const auto gap = [](const ScenePoint& p) { return std::isnan(p.x); };
    if (std::none_of(points.begin(), points.end(), gap)) return Line(std::move(points), colour);
    std::vector<ScenePoint> piece;
    for (const ScenePoint& p : points) {
      if (!gap(p)) {
        piece.push_back(p);
      } else if (!piece.empty()) {
        Line(std::move(piece), colour);
        piece.clear();
      }
    }
    if (!piece.empty()) Line(std::move(piece), colour);
  }

  void LayOutBands() {
    BandLayout layout = LayOut(picture_, view_);
    bands_ = std::move(layout.bands);
    rows_ = std::move(layout.rows);
    bottom_ = layout.bottom;
    first_ = static_cast<std::size_t>(layout.scroll.first);
    std::vector<std::string> names;
    for (std::size_t c = 0; c < bands_.size(); ++c)
      if (bands_[c].height > 0) names.push_back(picture_.channels()[c].name);
    band_names_ = NamesInGutter(names, left_ - 70, true);
    names.clear();
    for (std::size_t s = 0; s < rows_.size(); ++s)
      if (rows_[s].height > 0) names.push_back(picture_.discrete_signals()[s].name);
    row_names_ = NamesInGutter(names, left_ - 24, false);
  }

  // The greatest value a channel's band shows at its edges.
  double Peak(std::size_t c) const {
    const PictureChannel& channel = picture_.channels()[c];
    const double peak = std::abs(channel.Value(picture_.Peak(static_cast<int>(c)), view_.primary));
    return peak > 0 ? peak : 1.0;
  }

  // Channel c, the shown-th of the bands drawn (every other one shaded,
  // counted from the first band of the record shown).
  void PaintChannel(std::size_t c, std::size_t shown) {
    const Band band = bands_[c];
    const PictureChannel& channel = picture_.channels()[c];
    if ((first_ + shown) % 2 == 0)
      scene_.rects.push_back({0, band.top, static_cast<float>(view_.width), band.height, kShade});
    const float middle = band.top + band.height / 2;
    const float half = band.height / 2 - 4;
    const SideUnit unit = channel.OnSide(view_.primary);
    const auto value_of = [&](double recorded) {
      return channel.FileValue(recorded) * unit.factor;
    };
    // The wave first in recorded values: fitting the scale takes their least
    // and greatest in the view.
    std::vector<ScenePoint> wave =
        Wave(static_cast<int>(c), [](double recorded) { return static_cast<float>(recorded); });
    const BandScale scale = ScaleOf(c, wave, value_of);
    const auto y_of_value = [&](double value) {
      return static_cast<float>(middle -
                                std::clamp((value - scale.centre) / scale.half, -1.0, 1.0) * half);
    };
    for (ScenePoint& p : wave)
      if (!std::isnan(p.y)) p.y = y_of_value(value_of(p.y));
    const double top = scale.centre + scale.half, bottom = scale.centre - scale.half;
    if (bottom <= 0 && top >= 0) {
      const float zero = y_of_value(0);
      Grid({{left_, zero}, {right_, zero}});
    }
    Grid({{0, band.top + band.height}, {static_cast<float>(view_.width), band.top + band.height}});
    // The name keeps clear of the scale's "+peak" at the gutter's right.
    // A band too low for its name's three lines keeps the name and the
    // scale's ends; lower still, the name alone (the readout has the rest).
    Name(6, band.top + 13, channel.name, band_names_[shown], true);
    if (band.height >= kFullBand) Text(6, band.top + 26, unit.unit, kFaint);
    if (band.height >= kLowBand)
      Text(left_ - 4, band.top + 13, Signed(top), kFaint, TextAnchor::kEnd);
    if (band.height >= kFullBand)
      Text(left_ - 4, middle + 4, Signed(scale.centre), kFaint, TextAnchor::kEnd);
    if (band.height >= kLowBand)
      Text(left_ - 4, band.top + band.height - 4, Signed(bottom), kFaint, TextAnchor::kEnd);
    WaveLines(std::move(wave), kWaveColours[c % kWaveColours.size()]);
  }

  // The values at a band's middle and how far from it its edges lie.
  struct BandScale {
    double centre = 0, half = 1;
  };
  // The natural scale reaches the channel's greatest magnitude in the record
  // both ways from zero; a fitted one spans the least to the greatest value
  // of the wave in view. A gain draws the values that many times larger
  // about the band's middle.
  template <typename ValueOf>
  BandScale ScaleOf(std::size_t c, const std::vector<ScenePoint>& wave,
                    const ValueOf& value_of) const {
    BandScale scale{0, Peak(c)};
    if (view_.fit_to_view) {
      double least = std::numeric_limits<double>::infinity(), greatest = -least;
      for (const ScenePoint& p : wave) {
        if (std::isnan(p.y)) continue;
        const double value = value_of(p.y);
        least = std::min(least, value);
        greatest = std::max(greatest, value);
      }
      if (least <= greatest) {
        scale.centre = (least + greatest) / 2;
        scale.half = (greatest - least) / 2;
        // A value that stays the same is drawn at the middle of a scale around it.
        if (!(scale.half > 0)) scale.half = std::abs(scale.centre) > 0 ? std::abs(scale.centre) : 1;
        // A wave about zero keeps its zero at the middle.
        if (std::abs(scale.centre) < scale.half * 1e-6) scale.centre = 0;
      }
    }
    const double gain = c < view_.band_gains.size() ? view_.band_gains[c] : 1.0;
    if (gain > 0 && std::isfinite(gain)) scale.half /= gain;
    return scale;
  }

  // The samples' index range that the plot's pixel column x covers.
  std::pair<std::int64_t, std::int64_t> ColumnSamples(int x) const {
    const double from = picture_.timing().Position(TimeAtX(view_, double{left_} + x));
    const double to = picture_.timing().Position(TimeAtX(view_, double{left_} + x + 1));
    const double last = static_cast<double>(picture_.sample_count());
    return {static_cast<std::int64_t>(std::clamp(std::ceil(from), 0.0, last)),
            static_cast<std::int64_t>(std::clamp(std::ceil(to), 0.0, last))};
  }

  template <typename YOf>
  std::vector<ScenePoint> Wave(int channel, const YOf& y_of) const {
    const double per_column = picture_.timing().SamplesBetween(view_.from_ms, view_.to_ms) /
                              std::max(1.0, double{right_ - left_});
    if (per_column < static_cast<double>(picture_.summary().base_block())) {
      std::vector<ScenePoint> points;
      if (SampleWave(channel, per_column, y_of, points)) return points;
    }
    return SummaryWave(channel, per_column, y_of);
  }

  // Min and max of each pixel column from the coarsest level that still has
  // at least one block to a column.
  template <typename YOf>
  std::vector<ScenePoint> SummaryWave(int channel, double per_column, const YOf& y_of) const {
    const SampleSummary& summary = picture_.summary();
    int level = 0;
    while (level + 1 < summary.levels() &&
           static_cast<double>(summary.BlockSamples(level + 1)) <= per_column)
      ++level;
    const std::int64_t block = summary.BlockSamples(level);
    std::vector<ScenePoint> points;
    const int columns = static_cast<int>(right_ - left_);
    for (int x = 0; x < columns; ++x) {
      const auto [first, end] = ColumnSamples(x);
      if (first >= end && per_column >= 1) continue;
      const std::int64_t b0 = std::min(first, summary.samples() - 1) / block;
      const std::int64_t b1 = std::max(b0, (std::max(end, first + 1) - 1) / block);
      if (b0 < 0 || b1 >= summary.Blocks(level)) continue;
      MinMax m = summary.At(level, b0, channel);
      for (std::int64_t b = b0 + 1; b <= b1; ++b) m.Add(summary.At(level, b, channel));
      if (m.Empty()) {
        points.push_back(kGap);
        continue;
      }
      const float px = left_ + static_cast<float>(x);
      points.push_back({px, y_of(m.min)});
      points.push_back({px, y_of(m.max)});
    }
    return points;
  }

  // The samples themselves: a line through each where there are fewer than a
  // pixel column each, else min and max of each column. False when the record
  // can no longer be read as it was.
  template <typename YOf>
  bool SampleWave(int channel, double per_column, const YOf& y_of,
                  std::vector<ScenePoint>& points) const {
    if (per_column >= 1) return ColumnWave(channel, y_of, points);
    const std::int64_t total = picture_.sample_count();
    const auto first = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(std::floor(picture_.timing().Position(view_.from_ms))) - 1, 0,
        total);
    const auto end = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(std::ceil(picture_.timing().Position(view_.to_ms))) + 2, 0,
        total);
    if (!samples_read_) {
      samples_read_ = true;
      samples_first_ = first;
      samples_ok_ = picture_.ReadSamples(first, end - first, samples_);
    }
    if (!samples_ok_) return false;
    const auto channels = static_cast<std::size_t>(picture_.summary().channels());
    const auto value = [&](std::int64_t n) {
      return samples_[static_cast<std::size_t>(n - samples_first_) * channels +
                      static_cast<std::size_t>(channel)];
    };
    for (std::int64_t n = first; n < end; ++n)
      points.push_back(std::isnan(value(n)) ? kGap
                                            : ScenePoint{static_cast<float>(XAtTime(
                                                             view_, picture_.timing().TimeMs(n))),
                                                         y_of(value(n))});
    ClipToPlot(points);
    return true;
  }

  // Min and max of each pixel column from the samples themselves.
  template <typename YOf>
  bool ColumnWave(int channel, const YOf& y_of, std::vector<ScenePoint>& points) const {
    if (!columns_read_) {
      columns_read_ = true;
      columns_ok_ = ColumnsOfAllChannels();
    }
    if (!columns_ok_) return false;
    const auto channels = static_cast<std::size_t>(picture_.summary().channels());
    const int columns = static_cast<int>(right_ - left_);
    for (int x = 0; x < columns; ++x) {
      const auto [from, to] = ColumnSamples(x);
      if (from >= to) continue;
      const MinMax m = column_minmax_[static_cast<std::size_t>(x) * channels +
                                      static_cast<std::size_t>(channel)];
      if (m.Empty()) {
        points.push_back(kGap);
        continue;
      }
      const float px = left_ + static_cast<float>(x);
      points.push_back({px, y_of(m.min)});
      points.push_back({px, y_of(m.max)});
    }
    return true;
  }

  // Min and max of every channel in each pixel column, in one pass over the
  // samples in the order they lie, so that a redraw of many channels walks
  // them once rather than once a channel.
  bool ColumnsOfAllChannels() const {
    const int columns = std::max(0, static_cast<int>(right_ - left_));
    std::vector<std::int64_t> bounds;
    for (int x = 0; x < columns; ++x) {
      const auto [from, to] = ColumnSamples(x);
      if (x == 0) bounds.push_back(from);
      bounds.push_back(std::max(to, bounds.back()));
    }
    return picture_.SpanMinMax(bounds, column_minmax_);
  }

  // Cuts a line through points of rising x at the plot's edges: the samples
  // just outside the view are kept only as far as the edge.
  void ClipToPlot(std::vector<ScenePoint>& points) const {
    const auto at = [](ScenePoint a, ScenePoint b, float x) {
      const float part = b.x == a.x ? 0.0f : (x - a.x) / (b.x - a.x);
      return ScenePoint{x, a.y + part * (b.y - a.y)};
    };
    std::vector<ScenePoint> inside;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const ScenePoint p = points[i];
      if (p.x < left_) {
        if (i + 1 < points.size() && points[i + 1].x > left_)
          inside.push_back(at(p, points[i + 1], left_));
      } else if (p.x > right_) {
        if (i > 0 && points[i - 1].x < right_) inside.push_back(at(points[i - 1], p, right_));
        break;
      } else {
        inside.push_back(p);
      }
    }
    points = std::move(inside);
  }

  // Signal s, the shown-th of the rows drawn.
  void PaintSignal(std::size_t s, std::size_t shown) {
    const Band row = rows_[s];
    const PictureSignal& signal = picture_.discrete_signals()[s];
    // The name keeps clear of the state column at the gutter's right.
    Name(6, row.top + 12, signal.name, row_names_[shown], false);
    const float base = row.top + row.height - 3;
    Grid({{left_, base}, {right_, base}});
    // The spans in which the signal is active, each at least a pixel wide;
    // spans closer than a pixel are drawn as one.
    const auto& steps = signal.steps;
    auto it = std::upper_bound(steps.begin(), steps.end(), view_.from_ms,
                               [](double t, const SignalStep& step) { return t < step.time_ms; });
    if (it != steps.begin()) --it;
    float span_start = -1, span_end = -1;
    const auto flush = [&] {
      if (span_start < 0) return;
      scene_.rects.push_back({span_start, row.top + 3, std::max(1.0f, span_end - span_start),
                              row.height - 6, kActive});
      span_start = -1;
    };
    for (; it != steps.end() && it->time_ms <= view_.to_ms; ++it) {
      if (!it->active) continue;
      const double end_time =
          std::next(it) != steps.end() ? std::next(it)->time_ms : EndOfSignals();
      const auto x0 = static_cast<float>(
          std::clamp(XAtTime(view_, it->time_ms), double{left_}, double{right_}));
      const auto x1 =
          static_cast<float>(std::clamp(XAtTime(view_, end_time), double{left_}, double{right_}));
      if (span_start >= 0 && x0 - span_end >= 1) flush();
      if (span_start < 0) span_start = x0;
      span_end = std::max(span_end, x1);
    }
    flush();
  }

  // The time after which no state is drawn: the end of the picture, or for a
  // state that lasts to the end, one sample after it.
  double EndOfSignals() const {
    return picture_.sampled()
               ? picture_.DurationMs() + picture_.timing().StepMs(picture_.sample_count() - 1)
               : picture_.DurationMs() + 1;
  }

  void PaintAxis() {
    const float y = bottom_ + 2;
    Line({{left_, y}, {right_, y}}, kInk);
    const double span = view_.to_ms - view_.from_ms;
    if (!(span > 0)) return;
    // A clock's labels are wider than a number of milliseconds.
    const TimeAxis axis = AxisTicks(view_.from_ms, view_.to_ms, right_ - left_,
                                    view_.clock_time ? 120.0 : 90.0, Clock());
    // One row under the axis, left to right: whether the values are primary or
    // secondary (under the names, where the cursors' labels of the title line
    // never reach), the axis's unit or date, the ticks' labels. The unit keeps
    // to the gutter's right while the mode's text leaves it room; a tick's
    // label that would run into the unit is left out, its tick stays.
    constexpr float kApart = 8;
    const std::string mode = picture_.channels().empty()
                                 ? std::string()
                                 : std::string(view_.primary ? kPrimaryMode : kSecondaryMode);
    const float unit_end = std::max(
        (mode.empty() ? 0 : 6 + TextWidth(mode)) + kApart + TextWidth(axis.unit), left_ - 12);
    float taken = unit_end;
    for (const AxisTick& tick : axis.ticks) {
      const auto x = static_cast<float>(XAtTime(view_, tick.time_ms));
      Grid({{x, kHeaderHeight}, {x, bottom_}});
      Line({{x, y}, {x, y + 5}}, kInk);
      if (x - TextWidth(tick.label) / 2 < taken + kApart) continue;
      Text(x, y + 17, tick.label, kInk, TextAnchor::kMiddle);
      taken = x + TextWidth(tick.label) / 2;
    }
    Text(unit_end, y + 17, axis.unit, kFaint, TextAnchor::kEnd);
    if (!mode.empty()) Text(6, y + 17, mode, kInk);
    PaintTrigger(y);
  }

  // The trigger moment: a small mark on the axis, its label just above it.
  void PaintTrigger(float y) {
    const std::optional<double> trigger = picture_.source().layout().trigger_ms;
    if (!trigger || *trigger < view_.from_ms || *trigger > view_.to_ms) return;
    const auto x = static_cast<float>(XAtTime(view_, *trigger));
    Line({{x - 4, y + 7}, {x, y}, {x + 4, y + 7}, {x - 4, y + 7}}, kTrigger);
    Line({{x, y - 6}, {x, y}}, kTrigger);
    Text(x + 3, y - 3, std::string(kTriggerMark), kTrigger, TextAnchor::kStart, true);
  }

  // The start moment when the view asks for the clock time.
  std::optional<ClockStart> Clock() const {
    if (!view_.clock_time) return std::nullopt;
    return picture_.clock_start();
  }

  // A cursor's time as the axis reads: milliseconds, or the clock time.
  std::string CursorTime(double time_ms) const {
    if (const std::optional<ClockStart> clock = Clock())
      if (const std::optional<double> origin = ClockMs(*clock))
        return ClockLabel(*origin + time_ms, ClockDecimals(*clock));
    return Fixed(time_ms, 2) + " " + std::string(kMs);
  }

  void PaintTitle() {
    std::string title;
    if (!picture_.station().empty()) title = picture_.station() + "    ";
    title += std::string(kStart) + StartLabel(picture_.clock_start());
    // Our records name the device type; another device's record names the
    // recording device as its configuration does.
    const bool ours = !picture_.records().analog.empty();
    if (!picture_.device_type().empty())
      title +=
          "    " + (ours ? std::string(kDeviceType) + " " : std::string()) + picture_.device_type();
    Text(6, 17, title, kInk, TextAnchor::kStart, true);
    title_end_ = 6 + static_cast<float>(TextColumns(title)) * CharWidth(true);
  }

  // A cursor's label in the title line, ending at x: the whole label where it
  // keeps clear of the title, else the short one, else none (the readout
  // still has the cursor's time). Returns where the label begins.
  float TitleLabel(float end, const std::string& whole, const std::string& short_label,
                   Colour colour) {
    for (const std::string* label : {&whole, &short_label}) {
      const float begins = end - static_cast<float>(TextColumns(*label)) * CharWidth(true);
      if (begins < title_end_ + 12) continue;
      Text(end, 17, *label, colour, TextAnchor::kEnd, true);
      return begins;
    }
    return end;
  }

  void PaintCursor() {
    cursor_label_end_ = static_cast<float>(view_.width) - 6 + 16;
    if (!view_.cursor_ms) return;
    const CursorReadout readout = ReadCursor(picture_, *view_.cursor_ms, view_.primary);
    const double x = XAtTime(view_, readout.time_ms);
    if (x >= left_ && x <= right_)
      Line({{static_cast<float>(x), kHeaderHeight}, {static_cast<float>(x), bottom_}}, kCursor);
    const std::string time = CursorTime(readout.time_ms);
    cursor_label_end_ = TitleLabel(static_cast<float>(view_.width) - 6,
                                   std::string(kCursorAt) + time, "A " + time, kCursor);
    for (std::size_t c = 0; c < bands_.size(); ++c) {
      const Band band = bands_[c];
      if (band.height <= 0) continue;
      std::string text = "-";
      if (readout.values[c])
        text = Reading(*readout.values[c]) + "  " + std::string(kRms) + " " +
               (readout.rms[c] ? Reading(*readout.rms[c]) : std::string("-"));
      if (band.height >= kFullBand) Text(6, band.top + 39, text, kCursor);
    }
    for (std::size_t s = 0; s < rows_.size(); ++s)
      if (rows_[s].height > 0)
        Text(left_ - 4, rows_[s].top + 12, readout.states[s] ? "1" : "0", kCursor, TextAnchor::kEnd,
             true);
  }

  // Cursor B: a line of its own colour, its time in the title line left of
  // cursor A's, with the time from A to B.
  void PaintCursorB() {
    if (!view_.cursor_b_ms) return;
    const double time = TimeOfSample(*view_.cursor_b_ms);
    const double x = XAtTime(view_, time);
    if (x >= left_ && x <= right_)
      Line({{static_cast<float>(x), kHeaderHeight}, {static_cast<float>(x), bottom_}}, kCursorB);
    const std::string at = CursorTime(time);
    std::string where = std::string(kCursorBAt) + at;
    if (view_.cursor_ms)
      where += "   " + std::string(kDelta) + ": " +
               Fixed(time - TimeOfSample(*view_.cursor_ms), 2) + " " + std::string(kMs);
    TitleLabel(cursor_label_end_ - 16, where, "B " + at, kCursorB);
  }

  // A cursor's time as the readout takes it: that of the sample nearest to it.
  double TimeOfSample(double time_ms) const {
    const std::int64_t sample = SampleAt(picture_, time_ms);
    return sample >= 0 ? picture_.timing().TimeMs(sample) : time_ms;
  }

  // Band heights (points) that take the name, unit and reading in three
  // lines, and the scale's two ends beside the name.
  static constexpr float kFullBand = 44, kLowBand = 30;
  static constexpr std::string_view kMs = "мс";
  static constexpr std::string_view kCursorBAt = "Курсор B ";
  static constexpr std::string_view kDelta = "Δt = B − A";  // the time from cursor A to B
  static constexpr std::string_view kTriggerMark = "Пуск";
  static constexpr std::string_view kPrimaryMode = "Первичные значения";
  static constexpr std::string_view kSecondaryMode = "Вторичные значения";
  static constexpr std::string_view kStart = "Пуск ";
  static constexpr std::string_view kDeviceType = "Тип ВЕЛК";
  static constexpr std::string_view kCursorAt = "Курсор ";
  static constexpr std::string_view kRms = "RMS";
  static constexpr std::string_view kChanged = "Запись изменена";

  const RecordPicture& picture_;
  const PictureView& view_;
  Scene scene_;
  float left_ = 0, right_ = 0, bottom_ = 0;
  float cursor_label_end_ = 0;  // where cursor A's label begins, at the right of the title line
  float title_end_ = 0;         // where the title line's own text ends
  std::vector<Band> bands_, rows_;
  std::size_t first_ = 0;  // the first band or row drawn, among the shown ones
  std::vector<std::string> band_names_, row_names_;  // as drawn, of the bands and rows drawn
  std::vector<ScenePolyline> grid_;
  mutable bool samples_read_ = false, samples_ok_ = false;
  mutable std::int64_t samples_first_ = 0;
  mutable std::vector<double> samples_;
  // Of each pixel column: whether it covers samples read, and every channel's min and max there.
  mutable bool columns_read_ = false, columns_ok_ = false;
  mutable std::vector<MinMax> column_minmax_;
};

}  // namespace

// A scene laid out in points, then every coordinate and text size taken to pixels.
Scene ScaledScene(Scene scene, float scale) {
  for (SceneRect& rect : scene.rects)
    rect = {rect.x * scale, rect.y * scale, rect.width * scale, rect.height * scale, rect.fill};
  for (ScenePolyline& line : scene.lines)
    for (ScenePoint& point : line.points) point = {point.x * scale, point.y * scale};
  for (SceneText& text : scene.texts) {
    text.x *= scale;
    text.y *= scale;
    text.size = static_cast<int>(std::lround(static_cast<float>(text.size) * scale));
  }
  return scene;
}

Scene DrawPicture(const RecordPicture& picture, const PictureView& view) {
  const PictureView points = InPoints(view);
  if (!(view.scale > 0) || view.scale == 1.0f) return Painter(picture, points).Paint();
  Scene scene = ScaledScene(Painter(picture, points).Paint(), view.scale);
  scene.width = view.width;
  scene.height = view.height;
  return scene;
}

}  // namespace velk
