// Laying out the picture of a record: bands, rows, the time axis and the
// cursor as rectangles, lines and texts.
#include "picture/scene.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "comtrade/cp1251.h"

namespace velk {
namespace {

constexpr int kHeaderHeight = 26;  // the title line above the bands
constexpr int kAxisHeight = 30;    // the time axis below them
constexpr int kRowHeight = 16;     // one discrete signal
constexpr int kNaturalBand = 96;   // one analog channel, at its natural height
constexpr int kSmallestBand = 28;
constexpr int kTextSize = 11;

// Where a wave breaks off: the record holds no value there.
constexpr ScenePoint kGap{std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::quiet_NaN()};

constexpr Colour kInk{0, 0, 0};
constexpr Colour kFaint{110, 110, 110};
constexpr Colour kGrid{225, 225, 225};
constexpr Colour kShade{246, 246, 246};
constexpr Colour kCursor{30, 60, 200};
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

// value with `decimals` digits after the point, whatever the locale.
std::string Fixed(double value, int decimals) {
  std::array<char, 64> text{};
  const auto done = std::to_chars(text.data(), text.data() + text.size(), value,
                                  std::chars_format::fixed, decimals);
  return done.ec == std::errc{} ? std::string(text.data(), done.ptr) : std::string("?");
}

// A value as a person reads it off a scale: fewer decimals for larger values.
std::string Reading(double value) {
  const double size = std::abs(value);
  return Fixed(value, size >= 1000 ? 0 : size >= 100 ? 1 : size >= 10 ? 2 : 3);
}

// The step of the time axis's ticks: 1, 2 or 5 times a power of ten, at least `least`.
double TickStep(double least) {
  const double power = std::pow(10.0, std::floor(std::log10(least)));
  for (const double factor : {1.0, 2.0, 5.0, 10.0})
    if (factor * power >= least) return factor * power;
  return 10 * power;
}

int TickDecimals(double step) {
  return step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
}

struct Band {
  float top = 0, height = 0;
};

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
    for (std::size_t c = 0; c < bands_.size(); ++c) PaintChannel(c);
    for (std::size_t s = 0; s < rows_.size(); ++s) PaintSignal(s);
    PaintAxis();
    PaintTitle();
    PaintCursor();
    scene_.lines.insert(scene_.lines.begin(), std::make_move_iterator(grid_.begin()),
                        std::make_move_iterator(grid_.end()));
    return std::move(scene_);
  }

 private:
  void Text(float x, float y, std::string text, Colour colour,
            TextAnchor anchor = TextAnchor::kStart, bool bold = false) {
    scene_.texts.push_back({x, y, std::move(text), colour, anchor, kTextSize, bold, {}});
  }
  // A name in the gutter, cut with an ellipsis where it would run past
  // `room` points; the whole name stays with the text.
  void Name(float x, float y, const std::string& name, float room, bool bold) {
    const auto fits = static_cast<std::size_t>(std::max(2.0f, room / CharWidth(bold)));
    if (name.size() <= fits) return Text(x, y, name, kInk, TextAnchor::kStart, bold);
    std::string cut = name.substr(0, fits - 1);
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    Text(x, y, cut + std::string(kEllipsis), kInk, TextAnchor::kStart, bold);
    scene_.texts.back().whole = name;
  }
  // The width of one letter of a name, in points: a little wider than the
  // sans-serif face's average, so that a cut name always keeps to its column.
  static float CharWidth(bool bold) { return kTextSize * (bold ? 0.66f : 0.62f); }
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
    const auto channels = static_cast<int>(picture_.channels().size());
    const auto signals = static_cast<int>(picture_.discrete_signals().size());
    const int rows = signals * kRowHeight;
    const int room = view_.height - kHeaderHeight - kAxisHeight - rows;
    const float band =
        channels == 0 ? 0.0f : static_cast<float>(std::max(kSmallestBand, room / channels));
    float top = kHeaderHeight;
    for (int c = 0; c < channels; ++c, top += band) bands_.push_back({top, band});
    for (int s = 0; s < signals; ++s, top += kRowHeight)
      rows_.push_back({top, static_cast<float>(kRowHeight)});
    bottom_ = top;
  }

  // The greatest value a channel's band shows at its edges.
  double Peak(std::size_t c) const {
    const PictureChannel& channel = picture_.channels()[c];
    const double peak = std::abs(channel.Value(picture_.Peak(static_cast<int>(c)), view_.primary));
    return peak > 0 ? peak : 1.0;
  }

  void PaintChannel(std::size_t c) {
    const Band band = bands_[c];
    const PictureChannel& channel = picture_.channels()[c];
    if (c % 2 == 0)
      scene_.rects.push_back({0, band.top, static_cast<float>(view_.width), band.height, kShade});
    const float middle = band.top + band.height / 2;
    const float half = band.height / 2 - 4;
    Grid({{left_, middle}, {right_, middle}});
    Grid({{0, band.top + band.height}, {static_cast<float>(view_.width), band.top + band.height}});
    const double peak = Peak(c);
    // The name keeps clear of the scale's "+peak" at the gutter's right.
    Name(6, band.top + 13, channel.name, left_ - 70, true);
    Text(6, band.top + 26, channel.unit, kFaint);
    Text(left_ - 4, band.top + 13, "+" + Reading(peak), kFaint, TextAnchor::kEnd);
    Text(left_ - 4, middle + 4, "0", kFaint, TextAnchor::kEnd);
    Text(left_ - 4, band.top + band.height - 4, "-" + Reading(peak), kFaint, TextAnchor::kEnd);
    const auto y_of = [&](double recorded) {
      const double value = channel.Value(recorded, view_.primary) / peak;
      return static_cast<float>(middle - std::clamp(value, -1.0, 1.0) * half);
    };
    WaveLines(Wave(static_cast<int>(c), y_of), kWaveColours[c % kWaveColours.size()]);
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
    if (per_column < static_cast<double>(SampleSummary::kBaseBlock)) {
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
           static_cast<double>(SampleSummary::BlockSamples(level + 1)) <= per_column)
      ++level;
    const std::int64_t block = SampleSummary::BlockSamples(level);
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
    if (per_column < 1) {
      for (std::int64_t n = first; n < end; ++n)
        points.push_back(std::isnan(value(n)) ? kGap
                                              : ScenePoint{static_cast<float>(XAtTime(
                                                               view_, picture_.timing().TimeMs(n))),
                                                           y_of(value(n))});
      ClipToPlot(points);
      return true;
    }
    const int columns = static_cast<int>(right_ - left_);
    for (int x = 0; x < columns; ++x) {
      const auto [from, to] = ColumnSamples(x);
      if (from >= to || from < first || to > end) continue;
      MinMax m;
      for (std::int64_t n = from; n < to; ++n) m.Add(value(n));
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

  void PaintSignal(std::size_t s) {
    const Band row = rows_[s];
    const PictureSignal& signal = picture_.discrete_signals()[s];
    // The name keeps clear of the state column at the gutter's right.
    Name(6, row.top + 12, signal.name, left_ - 24, false);
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
    const double step = TickStep(span / std::max(1.0, (right_ - left_) / 90.0));
    const int decimals = TickDecimals(step);
    for (double t = std::ceil(view_.from_ms / step) * step; t <= view_.to_ms + step * 1e-9;
         t += step) {
      const auto x = static_cast<float>(XAtTime(view_, t));
      Grid({{x, kHeaderHeight}, {x, bottom_}});
      Line({{x, y}, {x, y + 5}}, kInk);
      Text(x, y + 17, Fixed(std::abs(t) < step * 1e-6 ? 0.0 : t, decimals), kInk,
           TextAnchor::kMiddle);
    }
    Text(left_ - 12, y + 17, std::string(kMs), kFaint, TextAnchor::kEnd);
  }

  void PaintTitle() {
    std::string title;
    if (!picture_.station().empty()) title = picture_.station() + "    ";
    title += std::string(kStart) + MomentLabel(picture_.moment());
    if (!picture_.device_type().empty())
      title += "    " + std::string(kDeviceType) + " " + picture_.device_type();
    Text(6, 17, title, kInk, TextAnchor::kStart, true);
    // A record deleted or rewritten since it was opened keeps its picture.
    if (!picture_.record_unchanged())
      Text(6, bottom_ + 19, std::string(kChanged), kWarning, TextAnchor::kStart);
  }

  void PaintCursor() {
    if (!view_.cursor_ms) return;
    const CursorReadout readout = ReadCursor(picture_, *view_.cursor_ms, view_.primary);
    const double x = XAtTime(view_, readout.time_ms);
    if (x >= left_ && x <= right_)
      Line({{static_cast<float>(x), kHeaderHeight}, {static_cast<float>(x), bottom_}}, kCursor);
    std::string where = std::string(kCursorAt) + Fixed(readout.time_ms, 2) + " " + std::string(kMs);
    Text(static_cast<float>(view_.width) - 6, 17, where, kCursor, TextAnchor::kEnd, true);
    for (std::size_t c = 0; c < bands_.size(); ++c) {
      const Band band = bands_[c];
      std::string text = "-";
      if (readout.values[c] && readout.rms[c])
        text =
            Reading(*readout.values[c]) + "  " + std::string(kRms) + " " + Reading(*readout.rms[c]);
      Text(6, band.top + 39, text, kCursor);
    }
    for (std::size_t s = 0; s < rows_.size(); ++s)
      Text(left_ - 4, rows_[s].top + 12, readout.states[s] ? "1" : "0", kCursor, TextAnchor::kEnd,
           true);
  }

  static constexpr auto kMs = Cp1251("мс");
  static constexpr auto kStart = Cp1251("Пуск ");
  static constexpr auto kDeviceType = Cp1251("Тип ВЕЛК");
  static constexpr auto kCursorAt = Cp1251("Курсор ");
  static constexpr auto kRms = Cp1251("RMS");
  static constexpr auto kChanged = Cp1251("Запись изменена");
  static constexpr std::string_view kEllipsis = "\x85";  // "…" in code page 1251

  const RecordPicture& picture_;
  const PictureView& view_;
  Scene scene_;
  float left_ = 0, right_ = 0, bottom_ = 0;
  std::vector<Band> bands_, rows_;
  std::vector<ScenePolyline> grid_;
  mutable bool samples_read_ = false, samples_ok_ = false;
  mutable std::int64_t samples_first_ = 0;
  mutable std::vector<double> samples_;
};

}  // namespace

float PlotLeft(const PictureView& view) {
  return kPictureGutter * view.scale;
}

float PlotRight(const PictureView& view) {
  return std::max(PlotLeft(view) + 1,
                  static_cast<float>(view.width) - kPictureRightMargin * view.scale);
}

double TimeAtX(const PictureView& view, double x) {
  const double width = PlotRight(view) - PlotLeft(view);
  return view.from_ms + (x - PlotLeft(view)) / width * (view.to_ms - view.from_ms);
}

double XAtTime(const PictureView& view, double time_ms) {
  const double span = view.to_ms - view.from_ms;
  const double width = PlotRight(view) - PlotLeft(view);
  return PlotLeft(view) + (span > 0 ? (time_ms - view.from_ms) / span * width : 0.0);
}

PictureView WholeView(const RecordPicture& picture, int width, int height) {
  PictureView view;
  view.width = width;
  view.height = height;
  view.from_ms = 0;
  view.to_ms = std::max(picture.DurationMs(), 8 * picture.timing().StepMs(0));
  return view;
}

int NaturalHeight(const RecordPicture& picture) {
  return kHeaderHeight + kAxisHeight + static_cast<int>(picture.channels().size()) * kNaturalBand +
         static_cast<int>(picture.discrete_signals().size()) * kRowHeight;
}

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
  if (!(view.scale > 0) || view.scale == 1.0f) {
    PictureView points = view;
    points.scale = 1.0f;
    return Painter(picture, points).Paint();
  }
  PictureView points = view;
  points.scale = 1.0f;
  points.width =
      std::max(1, static_cast<int>(std::lround(static_cast<float>(view.width) / view.scale)));
  points.height =
      std::max(1, static_cast<int>(std::lround(static_cast<float>(view.height) / view.scale)));
  Scene scene = ScaledScene(Painter(picture, points).Paint(), view.scale);
  scene.width = view.width;
  scene.height = view.height;
  return scene;
}

}  // namespace velk
