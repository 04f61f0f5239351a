// The layout of a record's picture in points, shared by its drawing and its
// hit test: the title line, one band per shown analog channel, one row per
// shown discrete signal, the time axis.
#pragma once

#include <vector>

#include "picture/scene.h"

namespace velk::scene_layout {

inline constexpr int kHeaderHeight = 26;  // the title line above the bands
inline constexpr int kAxisHeight = 30;    // the time axis below them
inline constexpr int kRowHeight = 16;     // one discrete signal
inline constexpr int kNaturalBand = 96;   // one analog channel, at its natural height
inline constexpr int kSmallestBand = 28;

struct Band {
  float top = 0, height = 0;
  bool Holds(double y) const { return height > 0 && y >= top && y < top + height; }
};

// Where each band and row lies, in points: a hidden channel's band and a
// hidden signal's row have no height, and the shown bands share the room the
// rows leave. Where they would be lower than kSmallestBand, the bands share
// the whole room (no higher than kNaturalBand) and the view shows those that
// fit from its first_band on: the others have no height either, and the time
// axis stays at the foot of the view.
struct BandLayout {
  std::vector<Band> bands, rows;
  float bottom = 0;  // below the last row: the time axis
  BandScroll scroll;
};
BandLayout LayOut(const RecordPicture& picture, const PictureView& view);

// The view laid out in points: a view of `scale` pixels a point at its size in points.
PictureView InPoints(const PictureView& view);

}  // namespace velk::scene_layout
