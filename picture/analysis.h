// Reading a fault off a record: the values at two cursors and the time between
// them, the phasors and harmonics of each channel over the cycle of samples
// that ends at cursor A, and the symmetrical components of each three-phase
// set of channels. No toolkit: the views and `velk-convert readout` show what
// this computes.
//
// The phasor of harmonic h of channel x at sample k, with N samples a cycle:
//   X_h = (sqrt 2 / N) * sum over n = 0..N-1 of x[k-N+1+n] * e^(-j 2 pi h n / N)
// so that |X_1| is the RMS value of the fundamental. N is the record's rate
// over its line frequency, rounded to the nearest whole sample when it is not
// whole (SourceTiming::CycleSamples); the cycle must lie within one rate of
// the record, and where it does not (the record's start) there is no phasor.
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "picture/cursor.h"
#include "picture/record_source.h"

namespace velk {

class RecordPicture;

// A phasor as it is shown: its RMS magnitude and its angle in degrees,
// (-180, 180], from the reference channel's fundamental. No angle where the
// phasor or the reference is zero.
struct Phasor {
  double magnitude = 0;
  std::optional<double> angle_deg;
};

// Harmonics 2..7 of a channel, in percent of its fundamental.
inline constexpr int kHighestHarmonic = 7;
using Harmonics = std::array<std::optional<double>, kHighestHarmonic - 1>;

struct ChannelPhasors {
  std::complex<double> fundamental;  // X_1 turned so that the reference's angle is 0
  Phasor phasor;
  Harmonics harmonics;  // nothing where the fundamental is zero
};

// Three channels of the phases A, B and C (or AB, BC and CA) of one quantity
// and circuit.
struct PhaseSet {
  std::array<int, 3> channels{};
  bool line_to_line = false;  // AB, BC, CA: no zero sequence
};

// The three-phase sets of a record's channels: channels of phases A, B and C
// (or AB, BC and CA) of one unit and circuit, in the order of their first
// channel.
std::vector<PhaseSet> PhaseSets(const std::vector<PictureChannel>& channels);

struct SequenceComponents {
  PhaseSet set;
  Phasor positive, negative;
  std::optional<Phasor> zero;  // |X0| (not 3|X0|); nothing for line-to-line sets
};

// What is read at one cursor.
struct CursorAnalysis {
  CursorReadout readout;  // time, sample, each channel's value and RMS, each signal's state
  std::optional<std::int64_t> cycle_samples;  // N, when there is a whole cycle to the cursor
  // Per channel: its phasors, nothing at the record's start (or where a value
  // is missing or the record can no longer be read).
  std::vector<std::optional<ChannelPhasors>> phasors;
  std::vector<SequenceComponents> sequences;  // the sets whose three phasors are there
};

// The analysis at the sample nearest time_ms, angles from channel reference.
CursorAnalysis AnalyseAt(const RecordPicture& picture, double time_ms, bool primary,
                         int reference = 0);

// Two cursors: what each reads and what lies between them.
struct TwoCursors {
  CursorAnalysis a, b;
  double delta_ms = 0;                       // B - A
  std::optional<double> delta_cycles;        // in cycles of the line frequency
  std::vector<std::optional<double>> delta;  // per channel: B's value - A's
};

TwoCursors AnalyseBetween(const RecordPicture& picture, double a_ms, double b_ms, bool primary,
                          int reference = 0);

// An angle in degrees as it is shown with `decimals` digits after the point:
// rounded, then brought into (-180, 180], so that an angle of 180 degrees (or
// one that rounds to it from either side) reads 180 and never -180.
double ShownAngle(double degrees, int decimals);

// The index of the channel of this name (UTF-8), or nothing.
std::optional<int> ChannelNamed(const RecordPicture& picture, const std::string& name);

}  // namespace velk
