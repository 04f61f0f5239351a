// Phasors, harmonics and symmetrical components at a cursor.
#include "picture/analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "picture/record_picture.h"

namespace velk {
namespace {

using Complex = std::complex<double>;

// An angle of [-180, 180] degrees in (-180, 180].
double HalfOpen(double degrees) {
  return degrees <= -180 ? degrees + 360 : degrees;
}

// Degrees in (-180, 180].
double Degrees(double radians) {
  return HalfOpen(std::remainder(radians * 180.0 / std::numbers::pi, 360.0));
}

// Below this a phasor of the channel is taken for zero: a billionth of what
// one step of its recorded value means.
double Negligible(const PictureChannel& channel, bool primary) {
  return std::abs(channel.Value(1, primary) - channel.Value(0, primary)) * 1e-9;
}

Phasor Shown(Complex x, double negligible) {
  Phasor phasor{std::abs(x), std::nullopt};
  if (phasor.magnitude > negligible) phasor.angle_deg = Degrees(std::arg(x));
  return phasor;
}

}  // namespace

double ShownAngle(double degrees, int decimals) {
  const double unit = std::pow(10.0, decimals);
  return HalfOpen(std::round(std::remainder(degrees, 360.0) * unit) / unit);
}

std::vector<PhaseSet> PhaseSets(const std::vector<PictureChannel>& channels) {
  std::vector<PhaseSet> sets;
  std::vector<bool> taken(channels.size(), false);
  for (std::size_t first = 0; first < channels.size(); ++first) {
    if (taken[first]) continue;
    for (const bool line : {false, true}) {
      const std::array<const char*, 3> phases = line ? std::array<const char*, 3>{"AB", "BC", "CA"}
                                                     : std::array<const char*, 3>{"A", "B", "C"};
      PhaseSet set{{-1, -1, -1}, line};
      for (std::size_t c = first; c < channels.size(); ++c) {
        if (taken[c] || channels[c].unit != channels[first].unit ||
            channels[c].circuit != channels[first].circuit)
          continue;
        for (std::size_t p = 0; p < 3; ++p)
          if (set.channels[p] < 0 && channels[c].phase == phases[p])
            set.channels[p] = static_cast<int>(c);
      }
      const bool whole =
          std::all_of(set.channels.begin(), set.channels.end(), [](int c) { return c >= 0; });
      if (!whole || std::find(set.channels.begin(), set.channels.end(), static_cast<int>(first)) ==
                        set.channels.end())
        continue;
      for (const int c : set.channels) taken[static_cast<std::size_t>(c)] = true;
      sets.push_back(set);
    }
  }
  return sets;
}

CursorAnalysis AnalyseAt(const RecordPicture& picture, double time_ms, bool primary,
                         int reference) {
  CursorAnalysis analysis;
  analysis.readout = ReadCursor(picture, time_ms, primary);
  const std::vector<PictureChannel>& channels = picture.channels();
  analysis.phasors.assign(channels.size(), std::nullopt);
  const std::int64_t k = analysis.readout.sample;
  if (k < 0) return analysis;
  const SourceTiming& timing = picture.timing();
  const std::optional<std::int64_t> cycle = timing.CycleSamples(k);
  if (!cycle || k - *cycle + 1 < timing.SegmentStart(k)) return analysis;
  const std::int64_t n_samples = *cycle;
  std::vector<double> samples;
  if (!picture.ReadSamples(k - n_samples + 1, n_samples, samples)) return analysis;
  analysis.cycle_samples = n_samples;

  // e^(-j 2 pi m / N) for m = 0..N-1: h * n taken modulo N picks each term.
  const auto n = static_cast<std::size_t>(n_samples);
  std::vector<Complex> turn(n);
  for (std::size_t m = 0; m < n; ++m) {
    const double angle = -2.0 * std::numbers::pi * static_cast<double>(m) / static_cast<double>(n);
    turn[m] = {std::cos(angle), std::sin(angle)};
  }
  const double scale = std::sqrt(2.0) / static_cast<double>(n);
  const std::size_t width = channels.size();
  std::vector<std::array<Complex, kHighestHarmonic>> x(width);
  std::vector<bool> whole(width, true);
  for (std::size_t c = 0; c < width; ++c) {
    const double factor = channels[c].OnSide(primary).factor;
    for (int h = 1; h <= kHighestHarmonic; ++h) {
      Complex sum = 0;
      for (std::size_t i = 0; i < n; ++i) {
        const double value = channels[c].FileValue(samples[i * width + c]) * factor;
        if (std::isnan(value)) whole[c] = false;
        sum += value * turn[(static_cast<std::size_t>(h) * i) % n];
      }
      x[c][static_cast<std::size_t>(h - 1)] = sum * scale;
    }
  }

  // Every angle is taken from the reference channel's fundamental.
  Complex rotation = 1;
  bool angles = false;
  if (reference >= 0 && static_cast<std::size_t>(reference) < width &&
      whole[static_cast<std::size_t>(reference)]) {
    const auto r = static_cast<std::size_t>(reference);
    const Complex ref = x[r][0];
    if (std::abs(ref) > Negligible(channels[r], primary)) {
      rotation = std::conj(ref) / std::abs(ref);
      angles = true;
    }
  }
  for (std::size_t c = 0; c < width; ++c) {
    if (!whole[c]) continue;
    ChannelPhasors phasors;
    phasors.fundamental = x[c][0] * rotation;
    const double negligible = Negligible(channels[c], primary);
    phasors.phasor = Shown(phasors.fundamental, negligible);
    if (!angles) phasors.phasor.angle_deg.reset();
    const double fundamental = std::abs(x[c][0]);
    if (fundamental > negligible)
      for (int h = 2; h <= kHighestHarmonic; ++h)
        phasors.harmonics[static_cast<std::size_t>(h - 2)] =
            std::abs(x[c][static_cast<std::size_t>(h - 1)]) / fundamental * 100.0;
    analysis.phasors[c] = phasors;
  }

  const Complex a = std::polar(1.0, 2.0 * std::numbers::pi / 3.0);
  for (const PhaseSet& set : PhaseSets(channels)) {
    const auto& pa = analysis.phasors[static_cast<std::size_t>(set.channels[0])];
    const auto& pb = analysis.phasors[static_cast<std::size_t>(set.channels[1])];
    const auto& pc = analysis.phasors[static_cast<std::size_t>(set.channels[2])];
    if (!pa || !pb || !pc) continue;
    const Complex xa = pa->fundamental, xb = pb->fundamental, xc = pc->fundamental;
    const double negligible =
        Negligible(channels[static_cast<std::size_t>(set.channels[0])], primary);
    SequenceComponents components;
    components.set = set;
    components.positive = Shown((xa + a * xb + a * a * xc) / 3.0, negligible);
    components.negative = Shown((xa + a * a * xb + a * xc) / 3.0, negligible);
    if (!set.line_to_line) components.zero = Shown((xa + xb + xc) / 3.0, negligible);
    if (!angles) {
      components.positive.angle_deg.reset();
      components.negative.angle_deg.reset();
      if (components.zero) components.zero->angle_deg.reset();
    }
    analysis.sequences.push_back(components);
  }
  return analysis;
}

TwoCursors AnalyseBetween(const RecordPicture& picture, double a_ms, double b_ms, bool primary,
                          int reference) {
  TwoCursors two;
  two.a = AnalyseAt(picture, a_ms, primary, reference);
  two.b = AnalyseAt(picture, b_ms, primary, reference);
  two.delta_ms = two.b.readout.time_ms - two.a.readout.time_ms;
  const double line_hz = picture.timing().line_hz();
  if (line_hz > 0) two.delta_cycles = two.delta_ms * line_hz / 1000.0;
  for (std::size_t c = 0; c < picture.channels().size(); ++c) {
    const auto& va = two.a.readout.values[c];
    const auto& vb = two.b.readout.values[c];
    two.delta.push_back(va && vb ? std::optional<double>(*vb - *va) : std::nullopt);
  }
  return two;
}

std::optional<int> ChannelNamed(const RecordPicture& picture, const std::string& name) {
  const auto& channels = picture.channels();
  for (std::size_t c = 0; c < channels.size(); ++c)
    if (channels[c].name == name) return static_cast<int>(c);
  return std::nullopt;
}

}  // namespace velk
