// The picture's layout: where its bands, rows and plot lie, and what lies
// under a point of the view.
#include "picture/scene_layout.h"

#include <algorithm>
#include <cmath>

namespace velk {
namespace scene_layout {
namespace {

bool Shown(const std::vector<bool>& hidden, std::size_t index) {
  return index >= hidden.size() || !hidden[index];
}

// How many bands and rows are shown, the room between the title line and the
// time axis, whether they fit there, and each band's height.
struct Sizing {
  int shown_channels = 0, shown_signals = 0, area = 0, band = 0;
  bool fit = true;
};

Sizing SizingOf(const RecordPicture& picture, const PictureView& view) {
  Sizing sizing;
  for (std::size_t c = 0; c < picture.channels().size(); ++c)
    sizing.shown_channels += Shown(view.hidden_channels, c);
  for (std::size_t s = 0; s < picture.discrete_signals().size(); ++s)
    sizing.shown_signals += Shown(view.hidden_signals, s);
  sizing.area = view.height - kHeaderHeight - kAxisHeight;
  const int room = sizing.area - sizing.shown_signals * kRowHeight;
  const int channels = sizing.shown_channels;
  sizing.fit = channels == 0 ? room >= 0 : room / channels >= kSmallestBand;
  if (channels > 0)
    sizing.band = sizing.fit
                      ? room / channels
                      : std::max(kSmallestBand, std::min(kNaturalBand, sizing.area / channels));
  return sizing;
}

}  // namespace

BandLayout LayOut(const RecordPicture& picture, const PictureView& view) {
  const Sizing sizing = SizingOf(picture, view);
  const int area = sizing.area, band = sizing.band, shown_signals = sizing.shown_signals;
  const bool fit = sizing.fit;
  // The shown bands' and rows' heights in their order, and the first of them
  // from which all the rest fit.
  std::vector<int> heights(static_cast<std::size_t>(sizing.shown_channels), band);
  heights.resize(heights.size() + static_cast<std::size_t>(shown_signals), kRowHeight);
  const int shown = static_cast<int>(heights.size());
  int last_first = 0;
  if (!fit) {
    last_first = std::max(0, shown - 1);
    for (int i = shown - 1, below = 0; i >= 0; --i) {
      below += heights[static_cast<std::size_t>(i)];
      if (below > area) break;
      last_first = i;
    }
  }
  BandLayout layout;
  layout.scroll.shown = shown;
  layout.scroll.last_first = last_first;
  layout.scroll.first = std::clamp(view.first_band, 0, last_first);
  const float foot = static_cast<float>(kHeaderHeight + std::max(area, 0));
  float top = kHeaderHeight;
  int index = 0;  // of the next shown band or row
  const auto place = [&](bool is_shown, float height) -> Band {
    if (!is_shown) return {top, 0};
    const int at = index++;
    if (at < layout.scroll.first) return {kHeaderHeight, 0};
    if (at > layout.scroll.first && top + height > foot) return {top, 0};
    ++layout.scroll.fitting;
    const Band placed{top, height};
    top += height;
    return placed;
  };
  for (std::size_t c = 0; c < picture.channels().size(); ++c)
    layout.bands.push_back(place(Shown(view.hidden_channels, c), static_cast<float>(band)));
  for (std::size_t s = 0; s < picture.discrete_signals().size(); ++s)
    layout.rows.push_back(place(Shown(view.hidden_signals, s), static_cast<float>(kRowHeight)));
  layout.bottom = fit ? top : std::max(top, foot);
  return layout;
}

// The view laid out in points: a view of `scale` pixels a point at its size in points.
PictureView InPoints(const PictureView& view) {
  PictureView points = view;
  points.scale = 1.0f;
  if (!(view.scale > 0) || view.scale == 1.0f) return points;
  points.width =
      std::max(1, static_cast<int>(std::lround(static_cast<float>(view.width) / view.scale)));
  points.height =
      std::max(1, static_cast<int>(std::lround(static_cast<float>(view.height) / view.scale)));
  return points;
}

}  // namespace scene_layout

using namespace scene_layout;

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
  view.primary = FileSidePrimary(picture.channels());
  return view;
}

int NaturalHeight(const RecordPicture& picture) {
  return NaturalHeight(picture, PictureView{});
}

int NaturalHeight(const RecordPicture& picture, const PictureView& view) {
  int height = kHeaderHeight + kAxisHeight;
  for (std::size_t c = 0; c < picture.channels().size(); ++c)
    if (Shown(view.hidden_channels, c)) height += kNaturalBand;
  for (std::size_t s = 0; s < picture.discrete_signals().size(); ++s)
    if (Shown(view.hidden_signals, s)) height += kRowHeight;
  return height;
}

BandScroll ScrollOfBands(const RecordPicture& picture, const PictureView& view) {
  return LayOut(picture, InPoints(view)).scroll;
}

int HeightHoldingBands(const RecordPicture& picture, const PictureView& view) {
  const Sizing sizing = SizingOf(picture, InPoints(view));
  if (sizing.fit) return view.height;
  const int points = kHeaderHeight + kAxisHeight + sizing.shown_channels * sizing.band +
                     sizing.shown_signals * kRowHeight;
  const float scale = view.scale > 0 ? view.scale : 1.0f;
  return std::max(view.height, static_cast<int>(std::ceil(static_cast<float>(points) * scale)));
}

BandHit BandAtY(const RecordPicture& picture, const PictureView& view, double y) {
  const PictureView points = InPoints(view);
  const double at = view.scale > 0 ? y / view.scale : y;
  const BandLayout layout = LayOut(picture, points);
  for (std::size_t c = 0; c < layout.bands.size(); ++c)
    if (layout.bands[c].Holds(at)) return {false, static_cast<int>(c)};
  for (std::size_t s = 0; s < layout.rows.size(); ++s)
    if (layout.rows[s].Holds(at)) return {true, static_cast<int>(s)};
  return {};
}

}  // namespace velk
