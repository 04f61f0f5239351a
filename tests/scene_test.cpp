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
#include "picture/svg.h"
#include "picture/text_columns.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// A record held in memory at 1 kHz: values as a function of sample and
// channel. Once *changed, every read fails, as of a record deleted since.
class MemorySource : public RecordSource {
 public:
  MemorySource(std::vector<PictureChannel> channels, std::int64_t samples,
               std::function<double(std::int64_t, std::size_t)> value)
      : value_(std::move(value)) {
    layout_.channels = std::move(channels);
    layout_.digital = {{"K1", {{0, false}, {20, true}}}, {"K2", {{0, true}}}};
    layout_.samples = samples;
    layout_.timing = SourceTiming(50, {{1000.0, samples}});
    layout_.duration_ms = layout_.timing.TimeMs(samples - 1);
  }
  SourceLayout& layout() { return layout_; }
  const SourceLayout& layout() const override { return layout_; }
  bool Read(std::int64_t first, std::int64_t count, std::vector<double>& out) const override {
    out.clear();
    for (std::int64_t n = first; n < first + count && !*changed; ++n)
      for (std::size_t c = 0; c < layout_.channels.size(); ++c) out.push_back(value_(n, c));
    return !*changed;
  }
  std::shared_ptr<bool> changed = std::make_shared<bool>(false);

 private:
  SourceLayout layout_;
  std::function<double(std::int64_t, std::size_t)> value_;
};

PictureChannel Channel(std::string name, std::string unit, double ratio = 1) {
  PictureChannel channel;
  channel.name = std::move(name);
  channel.unit = std::move(unit);
  channel.ratio = ratio;
  channel.largest = 1e9;
  return channel;
}

double Sine(std::int64_t n) {
  return std::sin(2 * std::numbers::pi * 50 * static_cast<double>(n) / 1000);
}

// IA: a 50 Hz sine of 100 that falls to 10 after 200 ms; IB: one of 20 about
// 50; UA: one of 400.
std::unique_ptr<MemorySource> FaultSource(std::int64_t samples) {
  return std::make_unique<MemorySource>(
      std::vector<PictureChannel>{Channel("IA", "A"), Channel("IB", "A"), Channel("UA", "kV")},
      samples, [](std::int64_t n, std::size_t c) {
        if (c == 0) return (n < 200 ? 100.0 : 10.0) * Sine(n);
        return c == 1 ? 50 + 20 * Sine(n) : 400 * Sine(n);
      });
}

// The runs of pixel rows that the hit test gives one band or row, top to bottom.
struct HitRun {
  BandHit hit;
  double top = 0, bottom = 0;  // the run's first row and the row after it
};
std::vector<HitRun> HitRuns(const RecordPicture& picture, const PictureView& view) {
  std::vector<HitRun> runs;
  for (double y = 0; y < view.height; y += 0.5) {
    const BandHit hit = BandAtY(picture, view, y);
    if (hit.index < 0) continue;
    if (runs.empty() || !(runs.back().hit == hit)) runs.push_back({hit, y, y});
    runs.back().bottom = y + 0.5;
  }
  return runs;
}

TEST(SceneBands, HiddenBandsGiveTheirRoomToTheOthersAndTheHitTestFollows) {
  const auto picture = RecordPicture::OfSource(FaultSource(400));
  ASSERT_TRUE(picture);
  for (const float scale : {1.0f, 1.5f}) {
    SCOPED_TRACE(scale);
    PictureView view =
        WholeView(*picture, static_cast<int>(1000 * scale), static_cast<int>(600 * scale));
    view.scale = scale;
    const std::vector<HitRun> all = HitRuns(*picture, view);
    view.hidden_channels = {false, true};  // IB hidden; UA, past the list, shown
    view.hidden_signals = {true};
    const std::vector<HitRun> some = HitRuns(*picture, view);
    ASSERT_EQ(all.size(), 5u);
    ASSERT_EQ(some.size(), 3u);
    EXPECT_EQ(some[0].hit, (BandHit{false, 0}));
    EXPECT_EQ(some[1].hit, (BandHit{false, 2}));
    EXPECT_EQ(some[2].hit, (BandHit{true, 1}));
    // The bands follow each other from the title down; two share what three and a row had.
    for (const auto* runs : {&all, &some})
      for (std::size_t i = 1; i < runs->size(); ++i)
        EXPECT_EQ((*runs)[i].top, (*runs)[i - 1].bottom);
    EXPECT_EQ(some[0].top, all[0].top);
    const double band = all[0].bottom - all[0].top, row = all[3].bottom - all[3].top;
    EXPECT_NEAR(some[0].bottom - some[0].top, (3 * band + row) / 2, 2 * scale);
    // The drawing agrees: what is hidden is not written, the rest where the hit test finds it.
    for (const SceneText& text : DrawPicture(*picture, view).texts) {
      EXPECT_TRUE(text.text != "IB" && text.text != "K1") << text.text;
      const BandHit at = BandAtY(*picture, view, text.y);
      EXPECT_TRUE(text.text != "UA" || at == (BandHit{false, 2}));
      EXPECT_TRUE(text.text != "K2" || at == (BandHit{true, 1}));
    }
  }
  PictureView hidden;
  hidden.hidden_channels = {true, true, false};
  EXPECT_EQ(NaturalHeight(*picture, hidden), NaturalHeight(*picture) - 2 * 96);
}

const Colour kWaveA{190, 150, 0}, kWaveB{0, 140, 60};

// The least and the greatest y of the lines of a colour.
std::pair<double, double> DrawnExtent(const Scene& scene, Colour colour) {
  std::pair<double, double> e{1e9, -1e9};
  for (const ScenePolyline& line : scene.lines)
    if (line.colour == colour)
      for (const ScenePoint& p : line.points)
        e = {std::min(e.first, double{p.y}), std::max(e.second, double{p.y})};
  return e;
}

// The scale of a channel's band written in the gutter: top, middle, bottom.
std::vector<std::string> ScaleTexts(const Scene& scene, const PictureView& view,
                                    const RecordPicture& picture, int channel) {
  std::vector<std::string> texts;
  for (const SceneText& text : scene.texts)
    if (text.anchor == TextAnchor::kEnd && text.x == PlotLeft(view) - 4 &&
        BandAtY(picture, view, text.y - 1) == BandHit{false, channel})
      texts.push_back(text.text);
  return texts;
}

// Many channels in a short window: each band's texts in the names' column
// keep to their lines, however low the bands become.
TEST(SceneBands, LowBandsKeepTheirNamesClearOfTheirValues) {
  std::vector<PictureChannel> channels;
  for (int c = 0; c < 24; ++c) channels.push_back(Channel("I" + std::to_string(c), "A"));
  auto picture = RecordPicture::OfSource(std::make_unique<MemorySource>(
      channels, 400,
      [](std::int64_t n, std::size_t c) { return (1.0 + static_cast<double>(c)) * Sine(n); }));
  ASSERT_TRUE(picture);
  for (const int height : {2400, 1000, 750, 500}) {
    SCOPED_TRACE(height);
    PictureView view = WholeView(*picture, 1000, height);
    view.cursor_ms = 30;
    const Scene scene = DrawPicture(*picture, view);
    std::vector<const SceneText*> names_column;
    for (const SceneText& text : scene.texts)
      if (text.x < PlotLeft(view) && text.y > 20) names_column.push_back(&text);
    for (const SceneText* one : names_column)
      for (const SceneText* other : names_column) {
        if (one == other || one->anchor != other->anchor) continue;
        EXPECT_GE(std::abs(one->y - other->y), 10.0f) << one->text << " | " << other->text;
      }
  }
}

TEST(SceneBands, AGainAndAFittedScaleDrawTheWaveLargerWithinItsBand) {
  const auto picture = RecordPicture::OfSource(FaultSource(1000));
  ASSERT_TRUE(picture);
  PictureView view = WholeView(*picture, 1000, 600);
  view.from_ms = 400, view.to_ms = 500;  // IA at a tenth of its peak
  const HitRun band = HitRuns(*picture, view)[0];
  const double half = (band.bottom - band.top) / 2 - 4, middle = band.top + half + 4;
  using Scale = std::vector<std::string>;
  const Scene natural = DrawPicture(*picture, view);
  EXPECT_NEAR(DrawnExtent(natural, kWaveA).first, middle - half / 10, 0.5);
  EXPECT_NEAR(DrawnExtent(natural, kWaveA).second, middle + half / 10, 0.5);
  EXPECT_EQ(ScaleTexts(natural, view, *picture, 0), (Scale{"+100.0", "0", "-100.0"}));

  view.band_gains = {4};
  const Scene gained = DrawPicture(*picture, view);
  EXPECT_NEAR(DrawnExtent(gained, kWaveA).first, middle - half * 0.4, 0.5);
  EXPECT_EQ(ScaleTexts(gained, view, *picture, 0), (Scale{"+25.00", "0", "-25.00"}));
  EXPECT_EQ(DrawnExtent(gained, kWaveB), DrawnExtent(natural, kWaveB));
  // Enlarged past its band, the wave is cut at the band's edges.
  view.band_gains = {40};
  const auto clipped = DrawnExtent(DrawPicture(*picture, view), kWaveA);
  EXPECT_NEAR(clipped.first, middle - half, 0.01);
  EXPECT_NEAR(clipped.second, middle + half, 0.01);

  // Fitted, a band spans the least to the greatest value in view: IB's lie about 50.
  view.band_gains = {};
  view.fit_to_view = true;
  const Scene fitted = DrawPicture(*picture, view);
  EXPECT_NEAR(DrawnExtent(fitted, kWaveA).first, middle - half, 0.01);
  EXPECT_NEAR(DrawnExtent(fitted, kWaveA).second, middle + half, 0.01);
  EXPECT_EQ(ScaleTexts(fitted, view, *picture, 0), (Scale{"+10.00", "0", "-10.00"}));
  EXPECT_EQ(ScaleTexts(fitted, view, *picture, 1), (Scale{"+70.00", "+50.00", "+30.00"}));
  // Over the whole record, drawn from the summary, the fit finds the record's peak.
  PictureView whole = WholeView(*picture, 1000, 600);
  whole.fit_to_view = true;
  const Scene fitted_whole = DrawPicture(*picture, whole);
  EXPECT_EQ(ScaleTexts(fitted_whole, whole, *picture, 0), (Scale{"+100.0", "0", "-100.0"}));
  EXPECT_NEAR(DrawnExtent(fitted_whole, kWaveA).first, middle - half, 0.01);
}

// The labels under the time axis and the unit at its left.
std::pair<std::vector<const SceneText*>, std::string> AxisOf(const Scene& scene,
                                                             const PictureView& view) {
  std::pair<std::vector<const SceneText*>, std::string> axis;
  float row = -1;
  for (const SceneText& text : scene.texts)
    if (text.anchor == TextAnchor::kEnd && text.x >= PlotLeft(view) - 12 &&
        text.y > static_cast<float>(view.height) - 30)
      axis.second = text.text, row = text.y;
  for (const SceneText& text : scene.texts)
    if (text.anchor == TextAnchor::kMiddle && text.y == row) axis.first.push_back(&text);
  return axis;
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
    double step;       // of the ticks, in ms
    std::size_t size;  // of a clock's label
  };
  for (const Case& c :
       {Case{0, 19999, false, "с", 5000, 0}, Case{1000, 1400, false, "мс", 50, 0},
        Case{0, 19999, true, "31.12.2025", 5000, 8}, Case{1230, 1240, true, "31.12.2025", 2, 12}}) {
    SCOPED_TRACE(c.unit + " from " + std::to_string(c.from));
    PictureView view = WholeView(*picture, 1000, 400);
    view.from_ms = c.from, view.to_ms = c.to, view.clock_time = c.clock;
    const Scene scene = DrawPicture(*picture, view);
    const auto [ticks, unit] = AxisOf(scene, view);
    EXPECT_EQ(unit, c.unit);
    ASSERT_GE(ticks.size(), 4u);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
      // Each label names the time at its place: hh:mm:ss.fff, seconds or milliseconds.
      const std::string& label = ticks[i]->text;
      double at = std::stod(label);
      if (c.clock) {
        EXPECT_EQ(label.size(), c.size) << label;
        at = (std::stoi(label.substr(0, 2)) * 3600 + std::stoi(label.substr(3, 2)) * 60 +
              std::stod(label.substr(6))) *
                 1000 -
             origin;
        if (at < -43'200'000) at += 86'400'000;  // past midnight
      } else if (c.unit == "с") {
        EXPECT_EQ(label.find('.'), std::string::npos) << label;
        at *= 1000;
      }
      EXPECT_NEAR(ticks[i]->x, XAtTime(view, at), 0.01) << label;
      if (i > 0) {
        EXPECT_NEAR(ticks[i]->x - ticks[i - 1]->x, XAtTime(view, c.step) - XAtTime(view, 0), 0.01);
      }
    }
    if (c.clock && c.step == 5000) {
      EXPECT_EQ(ticks.front()->text, "23:59:55");
      EXPECT_EQ(ticks.back()->text, "00:00:10");
    }
    // The trigger is marked where it lies in view.
    const auto marks =
        std::count_if(scene.texts.begin(), scene.texts.end(), [&](const SceneText& t) {
          return t.text == "Пуск" && std::abs(t.x - XAtTime(view, 1234.5) - 3) < 0.01;
        });
    EXPECT_EQ(marks, c.from < 1234.5 && 1234.5 < c.to ? 1 : 0);
  }
}

// The texts of the title line's right end: the cursors' labels, A's first.
std::vector<std::string> CursorLabels(const Scene& scene) {
  std::vector<std::string> labels;
  for (const SceneText& text : scene.texts)
    if (text.y == 17 && text.anchor == TextAnchor::kEnd) labels.push_back(text.text);
  return labels;
}

TEST(SceneCursors, CursorBHasItsOwnLineAndLabelAndAKeepsItsLook) {
  auto source = FaultSource(1000);
  source->layout().moment = {"15", "07", "2024", "09", "05", "30"};
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  PictureView view = WholeView(*picture, 1200, 600);
  view.cursor_ms = 100.2;  // taken to the nearest sample
  view.cursor_b_ms = 140.0;
  const Scene scene = DrawPicture(*picture, view);
  // The lines from the title line down through the bands, the grid's left out.
  std::vector<Colour> at_a, at_b;
  for (const ScenePolyline& line : scene.lines)
    if (line.points.size() == 2 && line.points[0].x == line.points[1].x && line.points[0].y == 26 &&
        !(line.colour == Colour{225, 225, 225}))
      (line.points[0].x == static_cast<float>(XAtTime(view, 100)) ? at_a : at_b)
          .push_back(line.colour);
  EXPECT_EQ(at_a, std::vector<Colour>{(Colour{30, 60, 200})});
  ASSERT_EQ(at_b.size(), 1u);
  EXPECT_FALSE(at_b[0] == at_a[0]);
  EXPECT_EQ(
      CursorLabels(scene),
      (std::vector<std::string>{"Курсор 100.00 мс", "Курсор B 140.00 мс   Δt = B − A: 40.00 мс"}));
  view.clock_time = true;
  EXPECT_EQ(CursorLabels(DrawPicture(*picture, view)),
            (std::vector<std::string>{"Курсор 09:05:30.100000",
                                      "Курсор B 09:05:30.140000   Δt = B − A: 40.00 мс"}));

  // A narrower picture shortens the labels, then leaves B's out, rather
  // than write them over the station and the start moment.
  view.clock_time = false;
  using Labels = std::vector<std::string>;
  view.width = 480;
  EXPECT_EQ(CursorLabels(DrawPicture(*picture, view)), (Labels{"Курсор 100.00 мс", "B 140.00 мс"}));
  view.width = 300;
  EXPECT_EQ(CursorLabels(DrawPicture(*picture, view)), (Labels{"A 100.00 мс"}));
}

TEST(SceneValues, PrimaryValuesInAmperesAndKilovoltsWithTheModeWritten) {
  PictureChannel amperes = Channel("IN", "A", 120);
  amperes.values_primary = true;  // the file's values are primary already
  auto source = std::make_unique<MemorySource>(
      std::vector<PictureChannel>{Channel("IA", "mA", 120), Channel("UA", "mV", 1000), amperes},
      400, [](std::int64_t n, std::size_t c) {
        return (c == 0 ? 5000.0 : c == 1 ? 100000.0 : 30.0) * Sine(n);
      });
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  for (const bool primary : {false, true}) {
    SCOPED_TRACE(primary);
    PictureView view = WholeView(*picture, 1000, 600);
    view.primary = primary;
    view.cursor_ms = 25;  // a crest, a whole cycle after the start
    const Scene scene = DrawPicture(*picture, view);
    std::vector<std::string> units, tops;
    std::string mode, readout;
    for (const SceneText& text : scene.texts) {
      if (text.colour == Colour{110, 110, 110} && text.x == 6) units.push_back(text.text);
      if (text.text.ends_with("ичные значения")) mode += text.text;
      if (text.colour == Colour{30, 60, 200} && text.x == 6 && readout.empty()) readout = text.text;
    }
    for (int c = 0; c < 3; ++c) tops.push_back(ScaleTexts(scene, view, *picture, c)[0]);
    EXPECT_EQ(mode, primary ? "Первичные значения" : "Вторичные значения");
    using Texts = std::vector<std::string>;
    EXPECT_EQ(units, primary ? (Texts{"A", "kV", "A"}) : (Texts{"mA", "mV", "A"}));
    EXPECT_EQ(tops, primary ? (Texts{"+600.0", "+100.0", "+30.00"})
                            : (Texts{"+5000", "+100000", "+0.250"}));
    EXPECT_EQ(readout, primary ? "600.0  RMS 424.3" : "5000  RMS 3536");
  }
}

TEST(SceneRecordChanged, TheSceneThatFindsTheChangeSaysSo) {
  auto source = FaultSource(100000);
  const std::shared_ptr<bool> changed = source->changed;
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  const auto banner = [](const Scene& scene) {
    return std::count_if(scene.texts.begin(), scene.texts.end(),
                         [](const SceneText& text) { return text.text == "Запись изменена"; });
  };
  // The whole record is drawn from its summary: only the cursor's readout reads samples.
  PictureView view = WholeView(*picture, 1000, 600);
  view.cursor_ms = 3000;
  EXPECT_EQ(banner(DrawPicture(*picture, view)), 0);
  *changed = true;
  const Scene found = DrawPicture(*picture, view);
  EXPECT_EQ(banner(found), 1);
  EXPECT_LT(DrawnExtent(found, kWaveA).first, DrawnExtent(found, kWaveA).second);
  view.cursor_ms.reset();
  view.from_ms = 100, view.to_ms = 120;  // drawn from the samples, were they there
  EXPECT_EQ(banner(DrawPicture(*picture, view)), 1);
}

// Long names that differ at their ends, or only in their middles, read
// apart when their column is narrow, each keeping its start; the picture's
// band keeps its whole name for the pointer and for the SVG's title.
TEST(SceneNames, LongNamesCutInTheMiddleNeverReadAlike) {
  const std::vector<std::string> lines = {"3Io_2СШ-110_ВЛ_ВЛ1",
                                          "3Io_2СШ-110_ВЛ_ВЛ2",
                                          "3Io_2СШ-110_ВЛ_ВЛ4",
                                          "3Io_2СШ-110_ВЛ_ВЛ62",
                                          "Ток фазы A линии Северная",
                                          "Ток фазы B линии Северная",
                                          "IA"};
  for (const std::size_t fits : {12u, 17u, 40u}) {
    SCOPED_TRACE(fits);
    const std::vector<std::string> cut = DistinctCuts(lines, fits);
    ASSERT_EQ(cut.size(), lines.size());
    for (std::size_t i = 0; i < cut.size(); ++i) {
      EXPECT_LE(TextColumns(cut[i]), fits);
      EXPECT_EQ(cut[i].front(), lines[i].front());
      EXPECT_EQ(cut[i].back(), lines[i].back());
      for (std::size_t j = 0; j < i; ++j) EXPECT_NE(cut[i], cut[j]) << cut[i];
    }
    EXPECT_EQ(cut[6], "IA");
  }
  EXPECT_EQ(DistinctCuts(lines, 17)[3], "3Io_2С…10_ВЛ_ВЛ62");

  auto source = FaultSource(400);
  source->layout().channels[2].name = "3Io_2СШ-110_ВЛ_ВЛ62 фидер Заречная";
  const auto picture = RecordPicture::OfSource(std::move(source));
  ASSERT_TRUE(picture);
  const Scene scene = DrawPicture(*picture, WholeView(*picture, 1000, 600));
  const auto named = std::find_if(scene.texts.begin(), scene.texts.end(),
                                  [](const SceneText& t) { return !t.whole.empty(); });
  ASSERT_NE(named, scene.texts.end());
  EXPECT_EQ(named->whole, picture->channels()[2].name);
  EXPECT_NE(named->text, named->whole);
  const std::string svg = SvgText(scene);
  EXPECT_NE(svg.find("<title>3Io_2СШ-110_ВЛ_ВЛ62 фидер Заречная</title>3Io_"), std::string::npos);
  EXPECT_EQ(svg.find("<title>IA</title>"), std::string::npos);
}

}  // namespace
}  // namespace velk::testing
