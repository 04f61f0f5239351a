// What the viewer reads off a record at its cursors, as scenes the views and
// the SVG writer draw like the picture itself: the readout table of both
// cursors, the phasor diagram of the three-phase sets at cursor A, and one
// printed page of the view with its title line and readout. No toolkit.
#pragma once

#include <optional>
#include <string>

#include "picture/analysis.h"
#include "picture/record_picture.h"
#include "picture/scene.h"

namespace velk {

// A time as the viewer shows it (UTF-8): milliseconds from the first
// sample with two decimals and "мс", or, with clock, the clock time of the
// start moment plus the offset ("10:00:00.150250"). Milliseconds where the
// start moment gives no clock time.
std::string ShownTime(const RecordPicture& picture, double time_ms, bool clock);

// The readout rows' height in pixels at scale 1.
inline constexpr int kReadoutRow = 16;

// The readout of cursor A and, when set, cursor B of the view: both times, the
// time between them in milliseconds and in cycles, the side the values are
// on, each shown channel's values, difference, RMS, phasor (angle from
// channel reference) and harmonics in the unit of that side, the sequences of
// each set of shown channels and each shown signal's state. width pixels
// wide, as tall as its rows need; empty without cursor A.
Scene DrawReadout(const RecordPicture& picture, const PictureView& view, int reference, int width);

// The phasors of every shown channel of each three-phase set and of the
// reference at cursor A in one circle: currents scaled to the largest current,
// voltages to the largest voltage, each in its phase's colour and named
// where its name keeps clear of the others'. A short note instead where there
// is no whole cycle up to cursor A (or no cursor, or no set).
Scene DrawPhasors(const RecordPicture& picture, const PictureView& view, int reference, int width,
                  int height);

// One landscape page: the title line (names, station, start moment, primary
// or secondary values), the picture of the view below it and the readout below
// that, together made smaller where they would not fit the page.
Scene DrawPage(const RecordPicture& picture, const PictureView& view, int reference,
               const std::string& names, int width, int height);

// What the view's cursors read: both cursors' analysis when B is set, A's
// alone otherwise (b left as it is); nothing without cursor A. The scenes
// below take it read once, so that a view that draws the readout and the
// phasors of one moment analyses it once.
std::optional<TwoCursors> AnalyseView(const RecordPicture& picture, const PictureView& view,
                                      int reference);
Scene DrawReadout(const RecordPicture& picture, const PictureView& view,
                  const std::optional<TwoCursors>& read, int reference, int width);
Scene DrawPhasors(const RecordPicture& picture, const PictureView& view,
                  const std::optional<TwoCursors>& read, int reference, int width, int height);
Scene DrawPage(const RecordPicture& picture, const PictureView& view,
               const std::optional<TwoCursors>& read, int reference, const std::string& names,
               int width, int height);

}  // namespace velk
