// The picture of a record as lines, rectangles and texts, which the Qt view,
// the Windows view and the SVG writer only turn into their own calls. One band
// per analog channel (name, unit, value scale, the wave), one row per discrete
// signal (name, its active spans), the time axis in milliseconds and, when
// set, the cursor with its readout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture/record_picture.h"

namespace velk {

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

struct ScenePoint {
  float x = 0, y = 0;
};

// A line through points, one pixel wide.
struct ScenePolyline {
  std::vector<ScenePoint> points;
  Colour colour;
};

// A filled rectangle.
struct SceneRect {
  float x = 0, y = 0, width = 0, height = 0;
  Colour fill;
};

enum class TextAnchor { kStart, kMiddle, kEnd };

// A line of text whose baseline starts (kStart), is centred (kMiddle) or ends
// (kEnd) at x, y, in the sans-serif face at size pixels.
struct SceneText {
  float x = 0, y = 0;
  std::string text;  // UTF-8
  Colour colour;
  TextAnchor anchor = TextAnchor::kStart;
  int size = 11;
  bool bold = false;
  // The whole text where `text` had to be cut short (with "…") to keep to
  // its column: what a view shows when the pointer rests on it, and an SVG
  // file as the text's title.
  std::string whole;
};

// Drawn in this order: rectangles, then lines, then texts. The grid lines come
// first among the lines, so that the waves are drawn over them.
struct Scene {
  int width = 0, height = 0;
  Colour background{255, 255, 255};
  std::vector<SceneRect> rects;
  std::vector<ScenePolyline> lines;
  std::vector<SceneText> texts;
};

// What part of a picture is drawn, and how.
struct PictureView {
  double from_ms = 0, to_ms = 0;      // the times at the plot's left and right edges
  int width = 960, height = 600;      // pixels
  bool primary = false;               // primary values instead of secondary ones
  std::optional<double> cursor_ms;    // cursor A
  std::optional<double> cursor_b_ms;  // cursor B
  // Channels and signals left out of the picture (by index; missing ones shown).
  std::vector<bool> hidden_channels, hidden_signals;
  // Per channel: how much larger than its natural scale its band draws the
  // values (1 when missing).
  std::vector<double> band_gains;
  bool fit_to_view = false;  // each band's scale from the values in view
  bool clock_time = false;   // the time axis as the clock time, not milliseconds
  // Pixels per point of the picture's layout: texts, margins and bands grow
  // with the screen's pixels per inch (1.25 at 120 dpi) where a toolkit does
  // not scale them itself.
  float scale = 1.0f;
  // Where the shown bands and rows do not all fit between the title line and
  // the time axis: the first of them (counted over the shown ones, bands
  // before rows) at the top. Laid out no further than the last ones fill the room.
  int first_band = 0;
};

// The plot's left and right edges in pixels: the channel names, units and
// scales take the left of the picture (kPictureGutter points).
inline constexpr int kPictureGutter = 200;
inline constexpr int kPictureRightMargin = 12;
float PlotLeft(const PictureView& view);
float PlotRight(const PictureView& view);
// The time at pixel column x of the plot, and back.
double TimeAtX(const PictureView& view, double x);
double XAtTime(const PictureView& view, double time_ms);

// The view of the whole record at the given size, its values on the side the
// record's file gives (FileSidePrimary).
PictureView WholeView(const RecordPicture& picture, int width, int height);
// The height at which every band and row has its natural size (for an SVG file),
// with every channel and signal shown, or with those the view hides left out.
int NaturalHeight(const RecordPicture& picture);
int NaturalHeight(const RecordPicture& picture, const PictureView& view);

// How the shown bands and rows lie in the room between the title line and
// the time axis: all of them at once (last_first 0), or from `first` down, as
// many as fit (`fitting`), each of the total `shown` reachable by scrolling
// `first` from 0 to last_first.
struct BandScroll {
  int first = 0, last_first = 0, fitting = 0, shown = 0;
  friend bool operator==(const BandScroll&, const BandScroll&) = default;
};
BandScroll ScrollOfBands(const RecordPicture& picture, const PictureView& view);
// The height (pixels) at which the view's shown bands and rows all fit at the
// heights the view gives them: its own height where they fit already.
int HeightHoldingBands(const RecordPicture& picture, const PictureView& view);

// What lies under pixel row y of the view: the band of analog channel `index`,
// or (signal) the row of discrete signal `index`.
struct BandHit {
  bool signal = false;
  int index = -1;  // -1: nothing there (the title, the time axis, below the rows)
  friend bool operator==(const BandHit&, const BandHit&) = default;
};
BandHit BandAtY(const RecordPicture& picture, const PictureView& view, double y);

Scene DrawPicture(const RecordPicture& picture, const PictureView& view);

// Names as a column `fits` letters wide shows them: a longer name with its
// middle left out ("3Io_2…_ВЛ_ВЛ62"), and the gap of one that would then read
// like another name placed elsewhere, so that no two names read alike where
// some placement tells them apart. UTF-8, measured in the columns of
// picture/text_columns.h.
std::vector<std::string> DistinctCuts(const std::vector<std::string>& names, std::size_t fits);

}  // namespace velk
