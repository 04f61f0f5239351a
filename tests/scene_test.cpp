// The picture's scene as a viewer reads a fault off it: bands hidden and
// enlarged, scales fitted to the view, two cursors, the time axis in seconds
// and in clock time, the trigger, primary values and a record changed while
// it is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "comtrade/cp1251.h"
#include "picture/record_picture.h"
#include "picture/scene.h"

namespace velk::testing {
namespace {

// A record held in memory: channels, signals, one rate, values as a function
// of sample and channel. `changed` makes every later read fail, as a record
// deleted since it was opened does.
class MemorySource : public RecordSource {
 public:
  MemorySource(std::vector<PictureChannel> channels, std::vector<PictureSignal> signals,
               double rate_hz, std::int64_t samples,
               std::function<double(std::int64_t, std::size_t)> value)
      : value_(std::move(value)) {
    layout_.channels = std::move(channels);
    layout_.digital = std::move(signals);
    layout_.samples = samples;
    layout_.timing = SourceTiming(50, {{rate_hz, samples}});
    layout_.duration_ms = layout_.timing.TimeMs(samples - 1);
  }
  SourceLayout& layout() { return layout_; }
  const SourceLayout& layout() const override { return layout_; }
  bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const override {
    out.clear();
    if (*changed_) return false;
    for (std::int64_t n = first; n < first + count; ++n)
      for (std::size_t c = 0; c < layout_.channels.size(); ++c) out.push_back(value_(n, c));
    return true;
  }
  std::shared_ptr<bool> changed() const { return changed_; }

 private:
  SourceLayout layout_;
  std::function<double(std::int64_t, std::size_t)> value_;
  std::shared_ptr<bool> changed_ = std::make_shared<bool>(false);
};

PictureChannel Channel(std::string name, std::string unit) {
  PictureChannel channel;
  channel.name = std::move(name);
  channel.unit = std::move(unit);
  channel.largest = 1e9;
  return channel;
}

PictureSignal Signal(std::string name) {
  return {std::move(name), {{0, false}, {20, true}, {60, false}}};
}

// Three channels of 50 Hz sines of amplitudes 100, 200 and 400 at 1 kHz, and
// two signals.
std::unique_ptr<RecordPicture> Sines(std::int64_t samples = 400) {
  auto source = std::make_unique<MemorySource>(
      std::vector<PictureChannel>{Channel("IA", "A"), Channel("IB", "A"), Channel("UA", "kV")},
      std::vector<PictureSignal>{Signal("K1"), Signal("K2")}, 1000.0, samples,
      [](std::int64_t n, std::size_t c) {
        return 100.0 * static_cast<double>(1 << c) *
               std::sin(2 * std::numbers::pi * 50 * static_cast<double>(n) / 1000);
      });
  return RecordPicture::OfSource(std::move(source));
}

// The rows of the view that BandAtY gives each band and row, as the ranges of
// y it covers.
struct Extent {
  double top = 1e9, bottom = -1e9;
};
std::vector<Extent> HitExtents(const RecordPicture& picture, const PictureView& view, bool signal,
                               std::size_t count) {
  std::vector<Extent> extents(count);
  for (double y = 0; y < view.height; y += 0.5) {
    const BandHit hit = BandAtY(picture, view, y);
    if (hit.index < 0 || hit.signal != signal) continue;
    Extent& e = extents[static_cast<std::size_t>(hit.index)];
    e.top = std::min(e.top, y);
    e.bottom = std::max(e.bottom, y);
  }
  return extents;
}

TEST(SceneBands, HiddenBandsGiveTheirRoomToTheOthersAndTheHitTestFollows) {
  const auto picture = Sines();
  ASSERT_TRUE(picture);
  for (const float scale : {1.0f, 1.5f}) {
    SCOPED_TRACE(scale);
    PictureView view = WholeView(*picture, 1000, 600);
    view.scale = scale;
    view.width = static_cast<int>(1000 * scale);
    view.height = static_cast<int>(600 * scale);
    const std::vector<Extent> all = HitExtents(*picture, view, false, 3);
    const std::vector<Extent> rows = HitExtents(*picture, view, true, 2);
    // Nothing above the first band (the title) nor below the last row (the axis).
    EXPECT_EQ(BandAtY(*picture, view, 2), BandHit{});
    EXPECT_EQ(BandAtY(*picture, view, view.height - 2.0), BandHit{});
    for (std::size_t c = 0; c + 1 < 3; ++c) EXPECT_EQ(all[c].bottom + 0.5, all[c + 1].top);
    EXPECT_EQ(all[2].bottom + 0.5, rows[0].top);
    EXPECT_EQ(rows[0].bottom + 0.5, rows[1].top);

    view.hidden_channels = {false, true};  // IB hidden; UA beyond the list is shown
    view.hidden_signals = {true};
    const std::vector<Extent> two = HitExtents(*picture, view, false, 3);
    const std::vector<Extent> one_row = HitExtents(*picture, view, true, 2);
    EXPECT_GT(two[1].top, two[1].bottom) << "a hidden band is hit";
    EXPECT_GT(one_row[0].top, one_row[0].bottom) << "a hidden row is hit";
    EXPECT_EQ(two[0].top, all[0].top);
    EXPECT_EQ(two[0].bottom + 0.5, two[2].top);
    const double before = all[0].bottom - all[0].top, after = two[0].bottom - two[0].top;
    // Two bands share what three and a row had.
    EXPECT_NEAR(after, (3 * (before + 0.5) + (rows[0].bottom - rows[0].top + 0.5)) / 2 - 0.5,
                2 * scale);
    EXPECT_EQ(two[2].bottom + 0.5, one_row[1].top);

    // The drawing agrees: IB's name is not written, UA's is, at the band the hit test gives.
    const Scene scene = DrawPicture(*picture, view);
    bool ua = false;
    for (const SceneText& text : scene.texts) {
      EXPECT_NE(text.text, "IB");
      EXPECT_NE(text.text, "K1");
      if (text.text == "UA") {
        ua = true;
        EXPECT_EQ(BandAtY(*picture, view, text.y), (BandHit{false, 2}));
      }
      if (text.text == "K2") {
        EXPECT_EQ(BandAtY(*picture, view, text.y), (BandHit{true, 1}));
      }
    }
    EXPECT_TRUE(ua);
  }
  PictureView hidden;
  hidden.hidden_channels = {true, true, false};
  EXPECT_EQ(NaturalHeight(*picture, hidden), NaturalHeight(*picture) - 2 * 96);
}

// A record of three channels at 1 kHz: IA a 50 Hz sine of 100 that falls to
// 10 after 200 ms, IB one of 20 about 50, UA one of 400.
std::unique_ptr<MemorySource> FaultSource(std::int64_t samples) {
  return std::make_unique<MemorySource>(
      std::vector<PictureChannel>{Channel("IA", "A"), Channel("IB", "A"), Channel("UA", "kV")},
      std::vector<PictureSignal>{Signal("K1")}, 1000.0, samples, [](std::int64_t n, std::size_t c) {
        const double wave = std::sin(2 * std::numbers::pi * 50 * static_cast<double>(n) / 1000);
        if (c == 0) return (n < 200 ? 100.0 : 10.0) * wave;
        return c == 1 ? 50 + 20 * wave : 400 * wave;
      });
}

const Colour kWaveA{190, 150, 0}, kWaveB{0, 140, 60};

// The least and greatest y of the lines of a colour.
Extent DrawnExtent(const Scene& scene, Colour colour) {
  Extent e;
  for (const ScenePolyline& line : scene.lines)
    if (line.colour == colour)
      for (const ScenePoint& p : line.points) {
        e.top = std::min(e.top, double{p.y});
        e.bottom = std::max(e.bottom, double{p.y});
      }
  return e;
}

// The texts of the gutter's scale of the band at y: top, middle, bottom.
std::vector<std::string> ScaleTexts(const Scene& scene, const PictureView& view,
                                    const RecordPicture& picture, int channel) {
  std::vector<std::string> texts;
  for (const SceneText& text : scene.texts)
    if (text.anchor == TextAnchor::kEnd && text.x == PlotLeft(view) - 4 &&
        BandAtY(picture, view, text.y - 1) == BandHit{false, channel})
      texts.push_back(text.text);
  return texts;
}

TEST(SceneBands, AGainAndAFittedScaleDrawTheWaveLargerWithinItsBand) {
  const auto picture = RecordPicture::OfSource(FaultSource(1000));
  ASSERT_TRUE(picture);
  PictureView view = WholeView(*picture, 1000, 600);
  view.from_ms = 400, view.to_ms = 500;  // IA at a tenth of its peak here
  const Extent band = HitExtents(*picture, view, false, 3)[0];
  const double half = (band.bottom + 0.5 - band.top) / 2 - 4, middle = band.top + half + 4;

  const Scene natural = DrawPicture(*picture, view);
  const Extent small = DrawnExtent(natural, kWaveA);
  EXPECT_NEAR(small.top, middle - half / 10, 0.5);
  EXPECT_NEAR(small.bottom, middle + half / 10, 0.5);
  EXPECT_EQ(ScaleTexts(natural, view, *picture, 0),
            (std::vector<std::string>{"+100.0", "0", "-100.0"}));

  view.band_gains = {4};
  const Scene gained = DrawPicture(*picture, view);
  EXPECT_NEAR(DrawnExtent(gained, kWaveA).top, middle - half * 0.4, 0.5);
  EXPECT_EQ(ScaleTexts(gained, view, *picture, 0),
            (std::vector<std::string>{"+25.00", "0", "-25.00"}));
  // The other bands keep their scale.
  EXPECT_EQ(DrawnExtent(gained, kWaveB).top, DrawnExtent(natural, kWaveB).top);

  // Enlarged past its band, the wave is cut at the band's edges.
  view.band_gains = {40};
  const Extent clipped = DrawnExtent(DrawPicture(*picture, view), kWaveA);
  EXPECT_NEAR(clipped.top, middle - half, 0.01);
  EXPECT_NEAR(clipped.bottom, middle + half, 0.01);

  // Fitted, each band spans the least to the greatest value in view; IB's
  // values lie about 50, away from zero.
  view.band_gains = {};
  view.fit_to_view = true;
  const Scene fitted = DrawPicture(*picture, view);
  EXPECT_NEAR(DrawnExtent(fitted, kWaveA).top, middle - half, 0.01);
  EXPECT_NEAR(DrawnExtent(fitted, kWaveA).bottom, middle + half, 0.01);
  EXPECT_EQ(ScaleTexts(fitted, view, *picture, 0),
            (std::vector<std::string>{"+10.00", "0", "-10.00"}));
  EXPECT_EQ(ScaleTexts(fitted, view, *picture, 1),
            (std::vector<std::string>{"+70.00", "+50.00", "+30.00"}));
  // Over the whole record the fitted scale is the record's peak again, here
  // drawn from the summary's min/max.
  PictureView whole = WholeView(*picture, 1000, 600);
  whole.fit_to_view = true;
  const Scene fitted_whole = DrawPicture(*picture, whole);
  EXPECT_EQ(ScaleTexts(fitted_whole, whole, *picture, 0),
            (std::vector<std::string>{"+100.0", "0", "-100.0"}));
  EXPECT_NEAR(DrawnExtent(fitted_whole, kWaveA).top, middle - half, 0.01);
}

// The labels under the time axis, and the unit at its left.
struct AxisLabels {
  std::vector<const SceneText*> ticks;
  std::string unit;
};
AxisLabels AxisOf(const Scene& scene, const PictureView& view) {
  AxisLabels axis;
  float row = -1;
  for (const SceneText& text : scene.texts)
    if (text.anchor == TextAnchor::kEnd && text.x == PlotLeft(view) - 12) {
      axis.unit = text.text;
      row = text.y;
    }
  for (const SceneText& text : scene.texts)
    if (text.anchor == TextAnchor::kMiddle && text.y == row) axis.ticks.push_back(&text);
  return axis;
}

double Number(const std::string& text) {
  return std::stod(text);
}

// hh:mm:ss.fff as milliseconds of the day.
double ClockText(const std::string& text) {
  EXPECT_EQ(text.size() == 8 || text[8] == '.', true) << text;
  return (std::stoi(text.substr(0, 2)) * 3600 + std::stoi(text.substr(3, 2)) * 60) * 1000.0 +
         std::stod(text.substr(6)) * 1000;
}

TEST(SceneTimeAxis, MillisecondsSecondsAndTheClockOnALongRecordWithItsTrigger) {
  auto source = FaultSource(20000);  // 20 s
  source->layout().moment = {"31", "12", "2025", "23", "59", "50.500000"};
  source->layout().trigger_ms = 1234.5;
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  const double origin = ((23 * 60 + 59) * 60 + 50.5) * 1000;
  struct Case {
    double from, to;
    bool clock;
    std::string unit;
    double step;  // of the ticks, in ms
  };
  for (const Case& c :
       {Case{0, 19999, false, "с", 5000}, Case{1000, 1400, false, "мс", 50},
        Case{0, 19999, true, "31.12.2025", 5000}, Case{1230, 1240, true, "31.12.2025", 2}}) {
    SCOPED_TRACE(c.from);
    SCOPED_TRACE(c.clock);
    PictureView view = WholeView(*picture, 1000, 400);
    view.from_ms = c.from, view.to_ms = c.to, view.clock_time = c.clock;
    const Scene scene = DrawPicture(*picture, view);
    const AxisLabels axis = AxisOf(scene, view);
    EXPECT_EQ(Cp1251ToUtf8(axis.unit), c.unit);
    ASSERT_GE(axis.ticks.size(), 4u);
    double before = -1e18;
    for (const SceneText* tick : axis.ticks) {
      // Each label names the time at its place on the axis.
      double at = c.clock         ? ClockText(tick->text) - origin
                  : c.unit == "с" ? Number(tick->text) * 1000
                                  : Number(tick->text);
      if (c.clock && at < -43'200'000) at += 86'400'000;  // past midnight
      EXPECT_NEAR(tick->x, XAtTime(view, at), 0.01) << tick->text;
      if (before > -1e18) {
        EXPECT_NEAR(at - before, c.step, 1e-6) << tick->text;
      }
      before = at;
    }
    // Labels as the step needs them: whole seconds, hundredths of a second...
    const std::string first = axis.ticks.front()->text;
    if (c.clock) {
      EXPECT_EQ(first.size(), c.step >= 1000 ? 8u : 12u) << first;
    } else if (c.unit == "с") {
      EXPECT_EQ(first.find('.'), std::string::npos) << first;
    }
    // The trigger is marked where it lies in view.
    int marks = 0;
    for (const SceneText& text : scene.texts)
      if (Cp1251ToUtf8(text.text) == "Пуск" && text.colour == Colour{0, 120, 40}) {
        ++marks;
        EXPECT_NEAR(text.x, XAtTime(view, 1234.5) + 3, 0.01);
      }
    EXPECT_EQ(marks, c.from < 1234.5 && 1234.5 < c.to ? 1 : 0);
  }
  // Midnight passes on the clock axis of the whole record.
  PictureView view = WholeView(*picture, 1000, 400);
  view.clock_time = true;
  const AxisLabels axis = AxisOf(DrawPicture(*picture, view), view);
  EXPECT_EQ(axis.ticks.front()->text, "23:59:55");
  EXPECT_EQ(axis.ticks.back()->text, "00:00:10");
}

TEST(SceneCursors, CursorBHasItsOwnLineAndLabelAndAKeepsItsLook) {
  auto source = FaultSource(1000);
  source->layout().moment = {"15", "07", "2024", "09", "05", "30"};
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  PictureView view = WholeView(*picture, 1200, 600);
  view.cursor_ms = 100.2;  // taken to the nearest sample
  const Scene a_only = DrawPicture(*picture, view);
  view.cursor_b_ms = 140.0;
  const Scene both = DrawPicture(*picture, view);
  const Colour a{30, 60, 200};
  const auto vertical = [](const Scene& scene, Colour colour) {
    std::vector<float> xs;
    for (const ScenePolyline& line : scene.lines)
      if (line.colour == colour && line.points.size() == 2 && line.points[0].x == line.points[1].x)
        xs.push_back(line.points[0].x);
    return xs;
  };
  EXPECT_EQ(vertical(both, a), vertical(a_only, a));
  EXPECT_EQ(vertical(both, a), std::vector<float>{static_cast<float>(XAtTime(view, 100))});
  std::vector<Colour> others;
  for (const ScenePolyline& line : both.lines)
    if (line.points.size() == 2 && line.points[0].x == static_cast<float>(XAtTime(view, 140)) &&
        !(line.colour == Colour{225, 225, 225}))
      others.push_back(line.colour);
  ASSERT_EQ(others.size(), 1u);
  EXPECT_FALSE(others[0] == a);
  std::vector<std::string> labels;
  for (const SceneText& text : both.texts)
    if (text.y == 17 && text.anchor == TextAnchor::kEnd) labels.push_back(Cp1251ToUtf8(text.text));
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0], "Курсор 100.00 мс");
  EXPECT_EQ(labels[1], "Курсор B 140.00 мс   B-A 40.00 мс");
  // In clock time both read the clock.
  view.clock_time = true;
  labels.clear();
  for (const SceneText& text : DrawPicture(*picture, view).texts)
    if (text.y == 17 && text.anchor == TextAnchor::kEnd) labels.push_back(Cp1251ToUtf8(text.text));
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_TRUE(labels[1].starts_with("Курсор B 09:05:30.140   B-A 40.00")) << labels[1];
}

TEST(SceneValues, PrimaryValuesInAmperesAndKilovoltsWithTheModeWritten) {
  PictureChannel current = Channel("IA", "mA"), voltage = Channel("UA", "mV");
  current.ratio = 120, voltage.ratio = 1000;
  PictureChannel amperes = Channel("IN", "A");  // already primary in the file
  amperes.values_primary = true;
  amperes.ratio = 120;
  auto source = std::make_unique<MemorySource>(
      std::vector<PictureChannel>{current, voltage, amperes}, std::vector<PictureSignal>{}, 1000.0,
      400, [](std::int64_t n, std::size_t c) {
        const double wave = std::sin(2 * std::numbers::pi * 50 * static_cast<double>(n) / 1000);
        return (c == 0 ? 5000.0 : c == 1 ? 100000.0 : 30.0) * wave;
      });
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  for (const bool primary : {false, true}) {
    SCOPED_TRACE(primary);
    PictureView view = WholeView(*picture, 1000, 600);
    view.primary = primary;
    view.cursor_ms = 25;  // a crest, a whole cycle after the start
    const Scene scene = DrawPicture(*picture, view);
    std::vector<std::string> units;
    bool mode = false;
    for (const SceneText& text : scene.texts) {
      if (text.colour == Colour{110, 110, 110} && text.x == 6) units.push_back(text.text);
      if (text.y == 17 && text.bold && text.x == 6)
        mode = Cp1251ToUtf8(text.text).ends_with(primary ? "Первичные значения"
                                                         : "Вторичные значения");
    }
    EXPECT_TRUE(mode);
    EXPECT_EQ(units, primary ? (std::vector<std::string>{"A", "kV", "A"})
                             : (std::vector<std::string>{"mA", "mV", "A"}));
    EXPECT_EQ(ScaleTexts(scene, view, *picture, 0)[0], primary ? "+600.0" : "+5000");
    EXPECT_EQ(ScaleTexts(scene, view, *picture, 1)[0], primary ? "+100.0" : "+100000");
    EXPECT_EQ(ScaleTexts(scene, view, *picture, 2)[0], primary ? "+30.00" : "+0.250");
    int readouts = 0;
    for (const SceneText& text : scene.texts)
      if (text.text == (primary ? "600.0  RMS 424.3" : "5000  RMS 3536")) ++readouts;
    EXPECT_EQ(readouts, 1);
  }
}

TEST(SceneRecordChanged, TheSceneThatFindsTheChangeSaysSo) {
  auto source = FaultSource(100000);
  const std::shared_ptr<bool> changed = source->changed();
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  const auto banner = [](const Scene& scene) {
    return std::count_if(scene.texts.begin(), scene.texts.end(), [](const SceneText& text) {
      return Cp1251ToUtf8(text.text) == "Запись изменена";
    });
  };
  // The whole record is drawn from its summary: only the cursor's readout reads samples.
  PictureView view = WholeView(*picture, 1000, 600);
  view.cursor_ms = 3000;
  EXPECT_EQ(banner(DrawPicture(*picture, view)), 0);
  *changed = true;
  const Scene found = DrawPicture(*picture, view);
  EXPECT_EQ(banner(found), 1);
  // The waves keep to what the summary holds.
  EXPECT_LT(DrawnExtent(found, kWaveA).top, DrawnExtent(found, kWaveA).bottom);
  view.cursor_ms.reset();
  view.from_ms = 100, view.to_ms = 120;
  EXPECT_EQ(banner(DrawPicture(*picture, view)), 1);
}

}  // namespace
}  // namespace velk::testing
