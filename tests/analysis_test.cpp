// Reading a fault off a record: phasors, harmonics and symmetrical components
// against waves of known content, and the readout of records of every device
// type against what a COMTRADE reader computes from their converted pairs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <numbers>
#include <random>
#include <regex>
#include <sstream>
#include <tuple>

#include "analog/analog_record.h"
#include "cli/cli_run.h"
#include "comtrade/cp1251.h"
#include "picture/analysis.h"
#include "picture/readout_scene.h"
#include "picture/record_picture.h"
#include "picture/scene.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// A record held in memory: channels of given phases, a rate per segment, and
// values as a function of sample and channel (NaN: missing).
class WaveSource : public RecordSource {
 public:
  WaveSource(std::vector<PictureChannel> channels, std::vector<RateSegment> rates, double line_hz,
             std::function<double(std::int64_t, std::size_t)> value)
      : value_(std::move(value)) {
    layout_.channels = std::move(channels);
    layout_.samples = rates.back().last_sample;
    layout_.timing = SourceTiming(line_hz, std::move(rates));
    layout_.duration_ms = layout_.timing.TimeMs(layout_.samples - 1);
  }
  const SourceLayout& layout() const override { return layout_; }
  bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const override {
    out.clear();
    for (std::int64_t n = first; n < first + count; ++n)
      for (std::size_t c = 0; c < layout_.channels.size(); ++c) out.push_back(value_(n, c));
    return true;
  }

 private:
  SourceLayout layout_;
  std::function<double(std::int64_t, std::size_t)> value_;
};

PictureChannel Channel(std::string name, std::string unit, std::string phase) {
  PictureChannel channel;
  channel.name = std::move(name);
  channel.unit = std::move(unit);
  channel.phase = std::move(phase);
  channel.largest = 1e9;
  return channel;
}

// e^(j*degrees)
Complex Turn(double degrees) {
  return std::polar(1.0, degrees * kPi / 180);
}

// The phases A, B, C of a set with these symmetrical components.
std::array<Complex, 3> Phases(Complex zero, Complex positive, Complex negative) {
  const Complex a = Turn(120);
  return {zero + positive + negative, zero + a * a * positive + a * negative,
          zero + a * positive + a * a * negative};
}

void ExpectPhasor(const Phasor& got, Complex expected, double tolerance) {
  EXPECT_NEAR(got.magnitude, std::abs(expected), tolerance * std::abs(expected) + 1e-12);
  ASSERT_TRUE(got.angle_deg);
  EXPECT_NEAR(std::abs(Turn(*got.angle_deg) - expected / std::abs(expected)), 0, tolerance);
}

TEST(Phasors, AFiftyHertzSetOfKnownContentIsReadBackExactly) {
  // Currents of phasors (RMS) IA 100 < 0, IB, IC of given symmetrical
  // components, and line voltages UAB, UBC, UCA of a balanced set.
  const Complex zero = 7.0 * Turn(-35), positive = 100.0 * Turn(10), negative = 18.0 * Turn(70);
  const std::array<Complex, 3> currents = Phases(zero, positive, negative);
  const std::array<Complex, 3> lines = {5700.0 * Turn(40), 5700.0 * Turn(-80), 5700.0 * Turn(160)};
  for (const double third : {0.0, 0.2}) {
    for (const auto& [rate, line_hz, cycle] :
         {std::tuple{800.0, 50.0, 16}, std::tuple{4000.0, 50.0, 80},
          std::tuple{1000.0, 60.0, 17}}) {
      SCOPED_TRACE(::testing::Message() << rate << " Hz, third " << third);
      const double fifth = third / 2;
      std::vector<PictureChannel> channels = {Channel("IA", "A", "A"),   Channel("IB", "A", "B"),
                                              Channel("IC", "A", "C"),   Channel("UAB", "V", "AB"),
                                              Channel("UBC", "V", "BC"), Channel("UCA", "V", "CA")};
      std::array<Complex, 6> phasors = {currents[0], currents[1], currents[2],
                                        lines[0],    lines[1],    lines[2]};
      // A rate that is not a whole multiple of the line frequency: the cycle
      // is its nearest whole number of samples, and a wave of that period is
      // read back exactly.
      const double period = static_cast<double>(cycle);
      const auto wave = [&](std::int64_t n, std::size_t c) {
        const double t = 2 * kPi * static_cast<double>(n) / period;
        const Complex x = phasors[c];
        return std::sqrt(2.0) * std::abs(x) *
               (std::cos(t + std::arg(x)) + third * std::cos(3 * t + 0.3 + std::arg(x)) +
                fifth * std::cos(5 * t - 1.1));
      };
      const auto picture = RecordPicture::OfSource(std::make_unique<WaveSource>(
          channels, std::vector<RateSegment>{{rate, 400}}, line_hz, wave));
      ASSERT_TRUE(picture);
      // Before a whole cycle there is nothing; from the first whole cycle on, everything.
      const double step = 1000 / rate;
      const CursorAnalysis early = AnalyseAt(*picture, (cycle - 2) * step, false);
      EXPECT_FALSE(early.phasors[0]);
      EXPECT_TRUE(early.sequences.empty());
      for (const int k : {cycle - 1, 123, 399}) {
        const CursorAnalysis at = AnalyseAt(*picture, k * step, false);
        ASSERT_EQ(at.readout.sample, k);
        ASSERT_EQ(at.cycle_samples, cycle);
        // The angles are from IA's at this sample: the wave turns on with time.
        const Complex turn = std::polar(1.0, 2 * kPi * (k - cycle + 1) / period);
        const Complex reference = phasors[0] * turn;
        for (std::size_t c = 0; c < 6; ++c) {
          ASSERT_TRUE(at.phasors[c]);
          ExpectPhasor(at.phasors[c]->phasor,
                       phasors[c] * turn * std::conj(reference) / std::abs(reference), 1e-9);
          const Harmonics& h = at.phasors[c]->harmonics;
          for (std::size_t i = 0; i < h.size(); ++i) {
            ASSERT_TRUE(h[i]);
            const double expected = i == 1 ? third * 100 : i == 3 ? fifth * 100 : 0.0;
            EXPECT_NEAR(*h[i], expected, 1e-9 * 100);
          }
        }
        ASSERT_EQ(at.sequences.size(), 2u);
        const Complex unturn = std::conj(currents[0]) / std::abs(currents[0]);
        const SequenceComponents& i = at.sequences[0];
        EXPECT_EQ(i.set.channels, (std::array<int, 3>{0, 1, 2}));
        ExpectPhasor(i.positive, positive * unturn, 1e-9);
        ExpectPhasor(i.negative, negative * unturn, 1e-9);
        ASSERT_TRUE(i.zero);
        ExpectPhasor(*i.zero, zero * unturn, 1e-9);
        const SequenceComponents& u = at.sequences[1];
        EXPECT_TRUE(u.set.line_to_line);
        EXPECT_FALSE(u.zero);
        ExpectPhasor(u.positive, lines[0] * unturn, 1e-9);
        EXPECT_NEAR(u.negative.magnitude, 0, 1e-9 * 5700);
      }
    }
  }
}

TEST(Phasors, AnAngleShownIsInTheHalfOpenCircleFromMinus180To180) {
  // A channel of each phase against the reference: the angles that round to
  // 180 read 180.0 from either side, in the window and on the command line.
  for (const auto& [degrees, shown] :
       {std::pair{180.0, "180.0"}, std::pair{179.97, "180.0"}, std::pair{-179.97, "180.0"},
        std::pair{-179.94, "-179.9"}, std::pair{-540.0, "180.0"}}) {
    SCOPED_TRACE(degrees);
    const auto wave = [degrees](std::int64_t n, std::size_t c) {
      const double t = 2 * kPi * static_cast<double>(n) / 16;
      return 100 * std::cos(t + (c == 1 ? degrees * kPi / 180 : 0.0));
    };
    const auto picture = RecordPicture::OfSource(std::make_unique<WaveSource>(
        std::vector<PictureChannel>{Channel("I1", "A", ""), Channel("I2", "A", "")},
        std::vector<RateSegment>{{800, 100}}, 50.0, wave));
    ASSERT_TRUE(picture);
    PictureView view = WholeView(*picture, 900, 300);
    view.cursor_ms = 50;
    const CursorAnalysis at = AnalyseAt(*picture, 50, false);
    ASSERT_TRUE(at.phasors[1] && at.phasors[1]->phasor.angle_deg);
    const double angle = *at.phasors[1]->phasor.angle_deg;
    EXPECT_TRUE(angle > -180 && angle <= 180) << angle;
    EXPECT_EQ(ShownAngle(degrees, 1), std::stod(shown));
    const Scene readout = DrawReadout(*picture, view, 0, 900);
    EXPECT_TRUE(std::any_of(readout.texts.begin(), readout.texts.end(),
                            [&](const SceneText& t) { return t.text == shown; }));
    EXPECT_FALSE(std::any_of(readout.texts.begin(), readout.texts.end(),
                             [](const SceneText& t) { return t.text == "-180.0"; }));
  }
}

TEST(Phasors, NothingWhereTheCycleCrossesARateOrAValueIsMissing) {
  // 800 Hz for 100 samples, then 4000 Hz; channel 1 misses samples 200..209.
  const auto wave = [](std::int64_t n, std::size_t c) {
    if (c == 1 && n >= 200 && n < 210) return std::nan("");
    return std::cos(0.1 * static_cast<double>(n)) * 1000;
  };
  const auto picture = RecordPicture::OfSource(std::make_unique<WaveSource>(
      std::vector<PictureChannel>{Channel("I1", "A", ""), Channel("I2", "A", "")},
      std::vector<RateSegment>{{800, 100}, {4000, 1000}}, 50.0, wave));
  ASSERT_TRUE(picture);
  const SourceTiming& timing = picture->timing();
  // The first sample at 4000 Hz comes a step of that rate after the last at
  // 800 Hz, as the COMTRADE reader times it.
  EXPECT_DOUBLE_EQ(timing.TimeMs(100), 99 * 1.25 + 0.25);
  EXPECT_DOUBLE_EQ(timing.TimeMs(150), 99 * 1.25 + 51 * 0.25);
  EXPECT_EQ(SampleAt(*picture, 99 * 1.25 + 51 * 0.25 + 0.1), 150);
  EXPECT_TRUE(AnalyseAt(*picture, timing.TimeMs(99), false).phasors[0]);        // 16 a cycle
  const CursorAnalysis early = AnalyseAt(*picture, timing.TimeMs(150), false);  // 80 a cycle
  EXPECT_FALSE(early.phasors[0]);
  EXPECT_FALSE(early.readout.rms[0]);
  EXPECT_TRUE(early.readout.values[0]);
  const CursorAnalysis later = AnalyseAt(*picture, timing.TimeMs(179), false);
  EXPECT_EQ(later.cycle_samples, 80);
  EXPECT_TRUE(later.phasors[0]);
  EXPECT_TRUE(later.readout.rms[0]);
  const CursorAnalysis gap = AnalyseAt(*picture, timing.TimeMs(205), false);
  EXPECT_TRUE(gap.phasors[0]);
  EXPECT_FALSE(gap.phasors[1]);
  EXPECT_FALSE(gap.readout.values[1]);
  // Each sample is drawn at its own time, whatever its rate.
  PictureView across = WholeView(*picture, 1600, 400);
  across.from_ms = timing.TimeMs(90);
  across.to_ms = timing.TimeMs(130);
  const Scene both_rates = DrawPicture(*picture, across);
  const auto drawn = std::find_if(both_rates.lines.begin(), both_rates.lines.end(),
                                  [](const ScenePolyline& l) { return l.points.size() > 30; });
  ASSERT_NE(drawn, both_rates.lines.end());
  for (const std::int64_t n : {95, 100, 101, 120}) {
    const auto x = static_cast<float>(XAtTime(across, timing.TimeMs(n)));
    EXPECT_TRUE(std::any_of(drawn->points.begin(), drawn->points.end(),
                            [x](const ScenePoint& p) { return std::abs(p.x - x) < 1e-3f; }))
        << "sample " << n;
  }
  // The missing values are a gap in the wave: the channel is drawn as two lines.
  PictureView view = WholeView(*picture, 1200, 400);
  view.from_ms = timing.TimeMs(180);
  view.to_ms = timing.TimeMs(230);
  const Scene scene = DrawPicture(*picture, view);
  int waves = 0;
  for (const ScenePolyline& line : scene.lines)
    if (line.points.size() > 10) ++waves;
  EXPECT_EQ(waves, 3);
  for (const ScenePolyline& line : scene.lines)
    for (const ScenePoint& p : line.points) ASSERT_FALSE(std::isnan(p.x) || std::isnan(p.y));
}

// ---- records of every device type against their converted ASCII pair ----

struct ReaderChannel {
  std::string name, unit;
  double a, b;
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

// The three-phase sets of each device type's channels, by name.
std::vector<std::array<std::string, 3>> SetsOf(int type) {
  const std::array<std::string, 3> i = {Cp("Ток IA"), Cp("Ток IB"), Cp("Ток IC")};
  switch (type) {
    case 5:
      return {{Cp("Ток IA_H"), Cp("Ток IB_H"), Cp("Ток IC_H")},
              {Cp("Ток IA_B"), Cp("Ток IB_B"), Cp("Ток IC_B")}};
    case 14:
      return {i, {Cp("Напряжение UA"), Cp("Напряжение UB"), Cp("Напряжение UC")}};
    case 31:
    case 51:
      return {};
    case 32:
    case 42:
    case 52:
      return {i, {Cp("Напряжение 1UA"), Cp("Напряжение 1UB"), Cp("Напряжение 1UC")}};
    default:
      return {i, {Cp("Напряжение UAB"), Cp("Напряжение UBC"), Cp("Напряжение UCA")}};
  }
}

TEST(Readout, EveryDeviceTypeReadsWhatItsConvertedPairHolds) {
  std::mt19937 random(25);
  for (const int type : {5, 14, 31, 32, 42, 51, 52, 60, 61, 70, 71, 81, 33}) {
    SCOPED_TRACE(type);
    TempDir dir;
    FlhRecord record;
    record.device_type = static_cast<std::int8_t>(type);
    for (std::size_t b = 0; b < record.calibration.size(); ++b)
      record.calibration[b] = static_cast<std::uint8_t>(random() % 7 + 1);
    std::uniform_int_distribution<int> value(-20000, 20000);
    const int n = 150;
    for (int s = 0; s < n; ++s) {
      std::array<std::int16_t, 9> sample{};
      for (std::size_t w = 0; w < sample.size(); ++w)
        sample[w] = static_cast<std::int16_t>(
            value(random) / 4 + 12000 * std::cos(2 * kPi * s / 16 + static_cast<double>(w)));
      record.samples.push_back(sample);
    }
    WriteFile(dir / "rec.flh", record.Bytes());
    RecordingReporter reports;
    ASSERT_TRUE(ConvertAnalog(dir / "rec.flh", dir / "out.cfg", reports).ok());

    // What a reader of the ASCII pair has: channel lines and sample lines.
    const std::vector<std::string> cfg = FileLines(dir / "outASCII.cfg");
    const int count = std::stoi(Fields(cfg[1])[1]);
    std::vector<ReaderChannel> channels;
    for (int c = 0; c < count; ++c) {
      const auto f = Fields(cfg[static_cast<std::size_t>(2 + c)]);
      channels.push_back({f[1], f[4], std::stod(f[5]), std::stod(f[6])});
    }
    std::vector<std::vector<double>> values;
    for (const std::string& line : FileLines(dir / "outASCII.dat")) {
      const auto f = Fields(line);
      std::vector<double> sample;
      for (int c = 0; c < count; ++c) {
        const ReaderChannel& ch = channels[static_cast<std::size_t>(c)];
        sample.push_back(ch.a * std::stod(f[static_cast<std::size_t>(2 + c)]) + ch.b);
      }
      values.push_back(sample);
    }
    ASSERT_EQ(values.size(), static_cast<std::size_t>(n));

    const auto picture = RecordPicture::Open({dir / "rec.flh", ""}).picture;
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->channels().size(), channels.size());
    for (const int k : {3, 15, 77, n - 1}) {
      SCOPED_TRACE(k);
      const CursorAnalysis at = AnalyseAt(*picture, k * 1.25, false);
      ASSERT_EQ(at.readout.sample, k);
      std::vector<Complex> fundamentals;
      for (std::size_t c = 0; c < channels.size(); ++c) {
        EXPECT_DOUBLE_EQ(*at.readout.values[c], values[static_cast<std::size_t>(k)][c]);
        // Within the first cycle neither an RMS nor a phasor.
        if (k < 15) {
          EXPECT_FALSE(at.readout.rms[c]);
          EXPECT_FALSE(at.phasors[c]);
          continue;
        }
        double squares = 0;
        for (int s = k - 15; s <= k; ++s) squares += std::pow(values[std::size_t(s)][c], 2);
        EXPECT_NEAR(*at.readout.rms[c], std::sqrt(squares / 16), 1e-12 * *at.readout.rms[c]);
        std::array<Complex, 8> x{};
        for (int h = 1; h <= 7; ++h) {
          for (int i = 0; i < 16; ++i)
            x[std::size_t(h)] +=
                values[std::size_t(k - 15 + i)][c] * std::polar(1.0, -2 * kPi * h * i / 16);
          x[std::size_t(h)] *= std::sqrt(2.0) / 16;
        }
        fundamentals.push_back(x[1]);
        ASSERT_TRUE(at.phasors[c]);
        const double tolerance = 1e-9 * std::abs(x[1]);
        EXPECT_NEAR(at.phasors[c]->phasor.magnitude, std::abs(x[1]), tolerance);
        for (int h = 2; h <= 7; ++h)
          EXPECT_NEAR(*at.phasors[c]->harmonics[std::size_t(h - 2)],
                      std::abs(x[std::size_t(h)]) / std::abs(x[1]) * 100, 1e-7);
        const Complex relative = x[1] * std::conj(fundamentals[0]) / std::abs(fundamentals[0]);
        ExpectPhasor(at.phasors[c]->phasor, relative, 1e-9);
      }
      if (k < 15) continue;
      const auto sets = SetsOf(type);
      ASSERT_EQ(at.sequences.size(), sets.size());
      const Complex a = Turn(120);
      const Complex unturn = std::conj(fundamentals[0]) / std::abs(fundamentals[0]);
      for (std::size_t s = 0; s < sets.size(); ++s) {
        std::array<Complex, 3> p;
        for (std::size_t q = 0; q < 3; ++q) {
          const int c = at.sequences[s].set.channels[q];
          EXPECT_EQ(channels[std::size_t(c)].name, sets[s][q]);
          p[q] = fundamentals[std::size_t(c)] * unturn;
        }
        ExpectPhasor(at.sequences[s].positive, (p[0] + a * p[1] + a * a * p[2]) / 3.0, 1e-9);
        ExpectPhasor(at.sequences[s].negative, (p[0] + a * a * p[1] + a * p[2]) / 3.0, 1e-9);
        const bool line = sets[s][0].ends_with("AB");
        ASSERT_EQ(at.sequences[s].zero.has_value(), !line);
        if (!line) ExpectPhasor(*at.sequences[s].zero, (p[0] + p[1] + p[2]) / 3.0, 1e-9);
      }
    }

    // The command line prints the same numbers, with both cursors.
    std::ostringstream out, err;
    ASSERT_EQ(RunCommandLine({"readout", dir / "rec.flh", "--at", "96.3", "--to", "120",
                              "--reference", Cp1251ToUtf8(channels.back().name), "--json"},
                             "", out, err),
              0)
        << err.str();
    const CursorAnalysis a = AnalyseAt(*picture, 96.3, false, count - 1);
    const std::string json = out.str();
    EXPECT_NE(json.find("\"time_ms\": 96.25,"), std::string::npos);
    EXPECT_NE(json.find("\"delta_ms\": 23.75,"), std::string::npos);
    EXPECT_NE(json.find("\"delta_cycles\": 1.1875,"), std::string::npos);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        json, m, std::regex("\"magnitude\": ([-0-9.e+]+), \"angle_deg\": ([-0-9.e+]+)")));
    EXPECT_DOUBLE_EQ(std::stod(m[1]), a.phasors[0]->phasor.magnitude);
    EXPECT_DOUBLE_EQ(std::stod(m[2]), *a.phasors[0]->phasor.angle_deg);
    EXPECT_NE(json.find(Cp1251ToUtf8(channels[0].name)), std::string::npos);
    EXPECT_EQ(std::count(json.begin(), json.end(), '{'), std::count(json.begin(), json.end(), '}'));
  }
  // A discrete record alone: no sample, each signal's state at the time asked.
  TempDir dir;
  WriteFile(dir / "rec.txt", DiscreteRecord()
                                 .Start()
                                 .Event("0000.010", "П", "Отключение")
                                 .Event("0000.050", "П", "Пуск \"МТЗ\"")
                                 .Bytes());
  std::ostringstream out, err;
  ASSERT_EQ(RunCommandLine({"readout", dir / "rec.txt", "--at", "20", "--json"}, "", out, err), 0)
      << err.str();
  EXPECT_NE(out.str().find("\"sample\": null,"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("{\"name\": \"Отключение\", \"active\": true}"), std::string::npos);
  EXPECT_NE(out.str().find("{\"name\": \"Пуск \\\"МТЗ\\\"\", \"active\": false}"),
            std::string::npos);
  EXPECT_EQ(RunCommandLine({"readout", "rec.flh"}, "", out, err), 64);
  EXPECT_EQ(RunCommandLine({"readout", "none.flh", "--at", "x"}, "", out, err), 64);
}

}  // namespace
}  // namespace velk::testing
