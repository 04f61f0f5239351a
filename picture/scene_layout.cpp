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

}  // namespace

BandLayout LayOut(const RecordPicture& picture, const PictureView& view) {
  const std::size_t channels = picture.channels().size();
  const std::size_t signals = picture.discrete_signals().size();
  int shown_channels = 0, shown_signals = 0;
  for (std::size_t c = 0; c < channels; ++c) shown_channels += Shown(view.hidden_channels, c);
  for (std::size_t s = 0; s < signals; ++s) shown_signals += Shown(view.hidden_signals, s);
  const int room = view.height - kHeaderHeight - kAxisHeight - shown_signals * kRowHeight;
  const float band = shown_channels == 0
                         ? 0.0f
                         : static_cast<float>(std::max(kSmallestBand, room / shown_channels));
  BandLayout layout;
  float top = kHeaderHeight;
  for (std::size_t c = 0; c < channels; ++c) {
    const float height = Shown(view.hidden_channels, c) ? band : 0.0f;
    layout.bands.push_back({top, height});
    top += height;
  }
  for (std::size_t s = 0; s < signals; ++s) {
    const float height = Shown(view.hidden_signals, s) ? static_cast<float>(kRowHeight) : 0.0f;
    layout.rows.push_back({top, height});
    top += height;
  }
  layout.bottom = top;
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
