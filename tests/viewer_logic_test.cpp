// The viewer over a COMTRADE record of another recorder: cursors that keep to
// the record's own samples and cycles, both cursors' readout, the events of
// its signals, a record (ours or not) rewritten under the viewer, hidden
// channels and the phasor diagram of a three-phase set.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/record_viewer.h"
#include "cli/cli_run.h"
#include "comtrade/cp1251.h"
#include "comtrade/text_encodings.h"
#include "picture/comtrade_source.h"
#include "picture/readout_scene.h"
#include "picture/svg.h"
#include "picture/text_columns.h"
#include "tests/support/fakes.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kSamples = 600;
// Samples at which the signals change: «Пуск» picks up and drops out,
// «Откл» picks up.
constexpr int kStartUp = 100, kTripUp = 150, kStartDown = 300;

// A record at `rate_hz` of currents of 100 A and voltages of 60 kV (RMS) at
// the line frequency, phases 120° apart, and two signals.
void WriteRecord(const std::string& stem, double line_hz, double rate_hz, int samples = kSamples) {
  std::string cfg = "Подстанция,Рекордер,1999\r\n8,6A,2D\r\n";
  const char* names[] = {"IA", "IB", "IC", "UA", "UB", "UC"};
  for (int c = 0; c < 6; ++c)
    cfg += std::to_string(c + 1) + "," + names[c] + "," + std::string(1, "ABC"[c % 3]) + ",L1," +
           (c < 3 ? "A,0.01" : "kV,0.001") + ",0,0,-9999999,9999999,1,1,P\r\n";
  cfg += "1,Пуск,,,0\r\n2,Откл,,,0\r\n";
  cfg += std::to_string(static_cast<int>(line_hz)) + "\r\n1\r\n" +
         std::to_string(static_cast<int>(rate_hz)) + "," + std::to_string(samples) + "\r\n";
  cfg += "01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.100000\r\nASCII\r\n1\r\n";
  std::string dat;
  for (int n = 0; n < samples; ++n) {
    const double t = n / rate_hz;
    dat += std::to_string(n + 1) + "," + std::to_string(std::lround(t * 1e6));
    for (int c = 0; c < 6; ++c) {
      const double rms = c < 3 ? 100 : 60, step = c < 3 ? 0.01 : 0.001;
      const double value =
          std::sqrt(2.0) * rms * std::cos(2 * kPi * line_hz * t - (c % 3) * 2 * kPi / 3);
      dat += "," + std::to_string(std::lround(value / step));
    }
    dat += std::string(",") + (n >= kStartUp && n < kStartDown ? "1" : "0") + "," +
           (n >= kTripUp ? "1" : "0") + "\r\n";
  }
  WriteFile(stem + ".cfg", Cp(cfg));
  WriteFile(stem + ".dat", dat);
}

RecordViewer Open(const std::string& cfg) {
  ComtradePicture opened = OpenComtradePicture(cfg);
  EXPECT_TRUE(opened.picture) << ErrorText(opened.error);
  RecordViewer viewer(std::move(opened.picture));
  viewer.Resize(1212, 600);  // a plot of 1000 pixels from x = 200
  return viewer;
}

void Click(RecordViewer& viewer, double x, PointerButton button, bool shift) {
  viewer.Press(x, 100, button, shift);
  viewer.Release(x);
}

// Every text of a scene, as UTF-8, one a line.
std::string Texts(const Scene& scene) {
  std::string all;
  for (const SceneText& text : scene.texts) all += text.text + "\n";
  return all;
}

bool Has(const Scene& scene, const std::string& utf8) {
  return Texts(scene).find(utf8) != std::string::npos;
}

TEST(ViewerOfAComtradeRecord, CursorsKeepToTheRecordsOwnSamplesAndCycles) {
  TempDir dir;
  WriteRecord(dir / "rec", 60, 1000);  // 1 ms a sample, 17 samples a cycle
  RecordViewer viewer = Open(dir / "rec.cfg");
  EXPECT_DOUBLE_EQ(viewer.NarrowestMs(), 8.0);
  EXPECT_EQ(viewer.PictureFileName(".svg"), "rec.svg");

  // A click puts A on a whole millisecond, the nearest sample.
  Click(viewer, 200 + 1000 * 100.3 / 599, PointerButton::kLeft, false);
  ASSERT_TRUE(viewer.cursor_a());
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 100.0);
  EXPECT_FALSE(viewer.cursor_b());
  viewer.Key(ViewerKey::kRight, false);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 101.0);
  viewer.Key(ViewerKey::kRight, true);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 118.0);
  viewer.Key(ViewerKey::kLeft, true);
  viewer.Key(ViewerKey::kLeft, true);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 84.0);

  // The right button and Shift+left put B; A stays.
  Click(viewer, 200 + 1000 * 200.4 / 599, PointerButton::kRight, false);
  EXPECT_DOUBLE_EQ(*viewer.cursor_b(), 200.0);
  Click(viewer, 200 + 1000 * 101.2 / 599, PointerButton::kLeft, true);
  EXPECT_DOUBLE_EQ(*viewer.cursor_b(), 101.0);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 84.0);
  EXPECT_EQ(viewer.view().cursor_b_ms, viewer.cursor_b());

  // 17 ms between them: 1.02 cycles of 60 Hz.
  const Scene readout = viewer.DrawReadout(900);
  EXPECT_TRUE(Has(readout, "A: 84.00 мс")) << Texts(readout);
  EXPECT_TRUE(Has(readout, "B: 101.00 мс"));
  EXPECT_TRUE(Has(readout, "Δt = B − A: 17.00 мс, 1.020 пер."));
  EXPECT_GT(readout.height, 10 * kReadoutRow);
  viewer.SetClockTime(true);
  EXPECT_TRUE(Has(viewer.DrawReadout(900), "A: 10:00:00.084000"));

  // A record of another rate moves by its own cycle.
  WriteRecord(dir / "fast", 50, 4000, 1000);
  RecordViewer fast = Open(dir / "fast.cfg");
  Click(fast, 200 + 1000 * 0.5, PointerButton::kLeft, false);
  const double at = *fast.cursor_a();
  fast.Key(ViewerKey::kRight, true);
  EXPECT_DOUBLE_EQ(*fast.cursor_a(), at + 20.0);  // 80 samples of 0.25 ms
  EXPECT_DOUBLE_EQ(fast.NarrowestMs(), 2.0);
}

TEST(ViewerOfAComtradeRecord, EventsInTimeOrderWithJumpsAndPicks) {
  TempDir dir;
  WriteRecord(dir / "rec", 50, 1000);
  RecordViewer viewer = Open(dir / "rec.cfg");
  const auto& events = viewer.events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].text, "100.00 мс  Пуск  сработал");
  EXPECT_EQ(events[1].text, "150.00 мс  Откл  сработал");
  EXPECT_EQ(events[2].text, "300.00 мс  Пуск  вернулся");
  EXPECT_TRUE(events[0].picked_up);
  EXPECT_FALSE(events[2].picked_up);
  EXPECT_EQ(events[1].signal, 1);

  EXPECT_EQ(viewer.current_event(), std::nullopt);  // A at the start
  viewer.Key(ViewerKey::kNextChange, false);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 100.0);
  EXPECT_EQ(viewer.current_event(), 0u);
  viewer.Key(ViewerKey::kNextChange, false);
  viewer.Key(ViewerKey::kNextChange, false);
  EXPECT_EQ(viewer.current_event(), 2u);
  viewer.Key(ViewerKey::kPreviousChange, false);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 150.0);
  viewer.Key(ViewerKey::kRight, false);
  EXPECT_EQ(viewer.current_event(), std::nullopt);

  // A pick outside a narrow view brings A into it.
  for (int i = 0; i < 20; ++i) viewer.Wheel(250, 1);
  ASSERT_LT(viewer.view().to_ms, 300.0);
  viewer.PickEvent(2);
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 300.0);
  EXPECT_LE(viewer.view().from_ms, 300.0);
  EXPECT_GE(viewer.view().to_ms, 300.0);
  viewer.PickEvent(7);  // no such event: nothing moves
  EXPECT_DOUBLE_EQ(*viewer.cursor_a(), 300.0);

  viewer.SetClockTime(true);
  EXPECT_EQ(viewer.events()[1].text, "10:00:00.150000  Откл  сработал");
}

TEST(ViewerOfAnyRecord, FindsItsRecordRewrittenOnceAndSaysSoAtTheNextDraw) {
  TempDir dir;
  WriteRecord(dir / "rec", 50, 1000);
  RecordViewer viewer = Open(dir / "rec.cfg");
  EXPECT_FALSE(viewer.PollRecord());
  EXPECT_FALSE(Has(viewer.Draw(), "Запись изменена"));
  WriteRecord(dir / "rec", 50, 1000, kSamples + 40);  // longer .dat, another .cfg
  EXPECT_TRUE(viewer.PollRecord());
  EXPECT_FALSE(viewer.PollRecord());
  EXPECT_TRUE(Has(viewer.Draw(), "Запись изменена"));

  // A configuration rewritten to its size, its time of change put back.
  WriteRecord(dir / "same", 50, 1000);
  RecordViewer same = Open(dir / "same.cfg");
  const std::filesystem::path same_cfg(dir / "same.cfg");
  const auto time = std::filesystem::last_write_time(same_cfg);
  std::string cfg = ReadFile(dir / "same.cfg");
  cfg[0] = cfg[0] == 'X' ? 'Y' : 'X';  // the station's first letter
  WriteFile(dir / "same.cfg", cfg);
  std::filesystem::last_write_time(same_cfg, time);
  EXPECT_TRUE(same.PollRecord());

  // Our record deleted under its viewer: found once, and its values are no
  // longer read from whatever lies there now.
  FlhRecord record;
  record.device_type = 14;
  record.Name("ПС Север");
  for (int n = 0; n < 400; ++n) {
    std::array<std::int16_t, 9> sample{};
    sample.fill(static_cast<std::int16_t>(100 * (n % 7)));
    record.samples.push_back(sample);
  }
  WriteFile(dir / "rec.flh", record.Bytes());
  PictureOpening opening = RecordPicture::Open({dir / "rec.flh", ""});
  ASSERT_TRUE(opening.picture);
  RecordViewer ours(std::move(opening.picture));
  ours.Key(ViewerKey::kRight, true);
  EXPECT_FALSE(ours.PollRecord());
  const std::size_t read = ours.DrawReadout(900).texts.size();
  std::filesystem::remove(std::filesystem::path(dir / "rec.flh"));
  EXPECT_TRUE(ours.PollRecord());
  EXPECT_FALSE(ours.PollRecord());
  EXPECT_TRUE(Has(ours.Draw(), "Запись изменена"));
  EXPECT_LT(ours.DrawReadout(900).texts.size(), read);  // no values, RMS or phasors
  WriteFile(dir / "rec.flh", record.Bytes());           // back as it was: still told changed
  EXPECT_FALSE(ours.PollRecord());
  EXPECT_TRUE(Has(ours.Draw(), "Запись изменена"));
}

// The shafts of the phasor diagram's arrows: lines of two points from its
// centre, with their angle in degrees (counterclockwise) and length.
struct Shaft {
  double angle_deg, length;
  Colour colour;
};
std::vector<Shaft> Shafts(const Scene& scene) {
  std::vector<Shaft> shafts;
  const float cx = static_cast<float>(scene.width) / 2;
  for (const ScenePolyline& line : scene.lines) {
    if (line.points.size() != 2 || std::abs(line.points[0].x - cx) > 0.01f) continue;
    const double dx = line.points[1].x - line.points[0].x;
    const double dy = line.points[0].y - line.points[1].y;
    if (std::abs(dx) < 1e-3 || line.colour == Colour{200, 200, 200}) continue;  // the axes
    shafts.push_back({std::atan2(dy, dx) * 180 / kPi, std::hypot(dx, dy), line.colour});
  }
  return shafts;
}

TEST(ViewerOfAComtradeRecord, HiddenChannelsLeaveTheReadoutAndThePhasors) {
  TempDir dir;
  WriteRecord(dir / "rec", 50, 1000);  // 20 samples a cycle: the phasors exactly
  RecordViewer viewer = Open(dir / "rec.cfg");

  // At the record's start there is no cycle to read phasors from.
  EXPECT_TRUE(Shafts(viewer.DrawPhasors(400, 400)).empty());
  EXPECT_TRUE(Has(viewer.DrawPhasors(400, 400), "нет полного периода"));
  // and the readout has the value there, but no RMS, phasor or harmonic.
  EXPECT_TRUE(Has(viewer.DrawReadout(1000), "IA\nA\n141.4\nIB\n"))
      << Texts(viewer.DrawReadout(1000));

  Click(viewer, 200 + 1000 * 200.0 / 599, PointerButton::kLeft, false);
  const Scene whole = viewer.DrawPhasors(400, 420);
  const std::vector<Shaft> shafts = Shafts(whole);
  ASSERT_EQ(shafts.size(), 6u);
  // IA, IB, IC, then UA, UB, UC, from IA: 0°, -120°, 120°; each quantity
  // reaches the circle with its own largest phasor.
  const double expected[] = {0, -120, 120};
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_NEAR(shafts[k].angle_deg, expected[k % 3], 0.05) << k;
    EXPECT_NEAR(shafts[k].length, shafts[0].length, 0.5) << k;
  }
  EXPECT_EQ(shafts[0].colour, shafts[3].colour);
  EXPECT_NE(shafts[0].colour, shafts[1].colour);
  EXPECT_NE(shafts[1].colour, shafts[2].colour);
  // The angles from another reference.
  viewer.SetReference(1);
  EXPECT_NEAR(Shafts(viewer.DrawPhasors(400, 420))[0].angle_deg, 120, 0.05);
  viewer.SetReference(99);  // no such channel: the reference stays
  EXPECT_EQ(viewer.reference(), 1);
  viewer.SetReference(0);

  const Scene readout = viewer.DrawReadout(1000);
  EXPECT_TRUE(Has(readout, "IB\n"));
  EXPECT_TRUE(Has(readout, "Симметричные составляющие"));
  EXPECT_TRUE(Has(readout, "IA, IB, IC\n100.0"));  // the positive sequence
  EXPECT_TRUE(Has(readout, "-120.0\n"));           // IB's angle
  EXPECT_TRUE(Has(readout, "Откл\n"));

  viewer.SetChannelShown(1, false);
  viewer.SetSignalShown(1, false);
  EXPECT_FALSE(viewer.channel_shown(1));
  EXPECT_TRUE(viewer.channel_shown(0));
  EXPECT_FALSE(viewer.channel_shown(6));
  const Scene hidden = viewer.DrawReadout(1000);
  EXPECT_FALSE(Has(hidden, "IB\n")) << Texts(hidden);
  EXPECT_FALSE(Has(hidden, "IA, IB, IC"));
  EXPECT_TRUE(Has(hidden, "UA, UB, UC"));
  EXPECT_FALSE(Has(hidden, "Откл"));
  EXPECT_LT(hidden.height, readout.height);
  EXPECT_EQ(Shafts(viewer.DrawPhasors(400, 420)).size(), 5u);

  // The bands under the pointer: the hidden one is none of them, and
  // Ctrl+wheel enlarges the one under it within 1/8..64 times.
  std::vector<int> bands;
  double over_uc = -1;
  for (double y = 0; y < 600; y += 1) {
    const BandUnder band = viewer.BandAt(y);
    if (band.kind != BandUnder::Kind::kChannel) continue;
    if (bands.empty() || bands.back() != band.index) bands.push_back(band.index);
    if (band.index == 5 && over_uc < 0) over_uc = y + 2;
  }
  EXPECT_EQ(bands, (std::vector<int>{0, 2, 3, 4, 5}));
  EXPECT_EQ(viewer.BandAt(1).kind, BandUnder::Kind::kNone);  // the title line
  viewer.EnlargeBand(1, 3);
  EXPECT_TRUE(viewer.view().band_gains.empty());
  viewer.EnlargeBand(over_uc, 2);
  ASSERT_EQ(viewer.view().band_gains.size(), 6u);
  EXPECT_DOUBLE_EQ(viewer.view().band_gains[5], 1.5625);
  EXPECT_DOUBLE_EQ(viewer.view().band_gains[4], 1.0);
  viewer.EnlargeBand(over_uc, 100);
  EXPECT_DOUBLE_EQ(viewer.view().band_gains[5], 64.0);
  viewer.EnlargeBand(over_uc, -200);
  EXPECT_DOUBLE_EQ(viewer.view().band_gains[5], 1.0 / 8);

  // The printed page holds the title, the picture and the readout, within it.
  const Scene page = viewer.DrawPage(1100, 780);
  EXPECT_TRUE(Has(page, "rec.cfg"));
  EXPECT_TRUE(Has(page, "UA, UB, UC"));
  for (const SceneText& text : page.texts) {
    EXPECT_LE(text.y, 780.5f) << text.text;
    EXPECT_GE(text.y, 0.0f);
  }
  for (const ScenePolyline& line : page.lines)
    for (const ScenePoint& p : line.points)
      if (!std::isnan(p.y)) {
        EXPECT_LE(p.y, 780.5f);
      }
}

// A substation's record: three voltages primary in kV (1100:1), three primary
// in V (1100:1), three currents primary in A (120:1) and a residual current
// secondary in mA (120:1), all at the crest at 100 ms.
void WriteSidesRecord(const std::string& stem) {
  std::string cfg = "ПС,Р,1999\r\n10,10A,0D\r\n";
  const char* sets[] = {"U,L1,kV,0.001", "2U,L2,V,1", "I,L1,A,0.01"};
  for (int c = 0; c < 9; ++c) {
    const std::string set = sets[c / 3], phase(1, "ABC"[c % 3]);
    cfg += std::to_string(c + 1) + "," + set.substr(0, set.find(',')) + phase + "," + phase +
           set.substr(set.find(',')) + ",0,0,-1e6,1e6," + (c < 6 ? "1100" : "120") + ",1,P\r\n";
  }
  cfg +=
      "10,3Io,N,L1,mA,1,0,0,-1e6,1e6,120,1,S\r\n50\r\n1\r\n1000,200\r\n"
      "01/01/2024,00:00:00.000000\r\n01/01/2024,00:00:00.000000\r\nASCII\r\n1\r\n";
  std::string dat;
  for (int n = 0; n < 200; ++n) {
    dat += std::to_string(n + 1) + "," + std::to_string(n * 1000);
    for (int c = 0; c < 10; ++c) {
      const double rms = c < 6 ? 66000 : c < 9 ? 60000 : 1000;  // V, A / 0.01 and mA
      const double phase = c < 9 ? (c % 3) * 2 * kPi / 3 : 0;
      dat += "," + std::to_string(
                       std::lround(std::sqrt(2.0) * rms * std::cos(2 * kPi * n / 20.0 - phase)));
    }
    dat += "\r\n";
  }
  WriteFile(stem + ".cfg", Cp(cfg));
  WriteFile(stem + ".dat", dat);
}

// The record opens on the side its file gives for most channels, and each
// value is shown in the unit of the side it is on, in the readout, on the
// bands and, for the phasors' scale, whatever prefix it has.
TEST(ViewerOfAComtradeRecord, ShowsEachValueInTheUnitOfTheSideItIsOn) {
  TempDir dir;
  WriteSidesRecord(dir / "rec");
  RecordViewer viewer = Open(dir / "rec.cfg");
  EXPECT_TRUE(viewer.primary());
  Click(viewer, 200 + 1000 * 100.0 / 199, PointerButton::kLeft, false);
  const auto shafts_equal = [&] {
    const std::vector<Shaft> shafts = Shafts(viewer.DrawPhasors(400, 420));
    ASSERT_EQ(shafts.size(), 9u);
    for (const Shaft& shaft : shafts) EXPECT_NEAR(shaft.length, shafts[0].length, 0.5);
  };
  Scene readout = viewer.DrawReadout(1000);
  EXPECT_TRUE(Has(readout, "Первичные значения\n")) << Texts(readout);
  EXPECT_TRUE(Has(readout, "UA\nkV\n93.34\n66.00\n66.00\n"));
  EXPECT_TRUE(Has(readout, "2UA\nV\n93338\n66000\n66000\n"));
  EXPECT_TRUE(Has(readout, "3Io\nA\n169.7\n"));
  shafts_equal();

  viewer.SetPrimary(false);
  readout = viewer.DrawReadout(1000);
  EXPECT_TRUE(Has(readout, "Вторичные значения\n")) << Texts(readout);
  EXPECT_TRUE(Has(readout, "UA\nV\n84.85\n60.00\n60.00\n"));
  EXPECT_TRUE(Has(readout, "IA\nA\n7.071\n5.000\n"));
  EXPECT_TRUE(Has(readout, "3Io\nmA\n1414\n"));
  // The band: its unit, scale and cursor reading.
  const Scene picture = viewer.Draw();
  EXPECT_TRUE(Has(picture, "UA\nV\n+84.85\n")) << Texts(picture);
  EXPECT_TRUE(Has(picture, "84.85  RMS 60.00"));
  shafts_equal();
}

// In a pane of the viewer's width, as on a page, no text of the readout runs
// into the next one of its row: the columns keep to the texts they hold.
TEST(ViewerOfAComtradeRecord, TheReadoutsTextsKeepApartInANarrowPaneAsInAWideOne) {
  TempDir dir;
  WriteRecord(dir / "rec", 50, 1000);
  RecordViewer viewer = Open(dir / "rec.cfg");
  Click(viewer, 200 + 1000 * 200.0 / 599, PointerButton::kLeft, false);
  Click(viewer, 200 + 1000 * 260.0 / 599, PointerButton::kRight, false);
  for (const int width : {420, 560, 1000}) {
    SCOPED_TRACE(width);
    const Scene readout = viewer.DrawReadout(width);
    ASSERT_TRUE(Has(readout, "B − A")) << Texts(readout);
    // Sans-serif letters of 11 pixels are at most about 7 pixels wide (bold).
    std::vector<const SceneText*> texts;
    for (const SceneText& text : readout.texts) texts.push_back(&text);
    std::sort(texts.begin(), texts.end(), [](const SceneText* l, const SceneText* r) {
      return l->y != r->y ? l->y < r->y : l->x < r->x;
    });
    for (std::size_t i = 1; i < texts.size(); ++i) {
      if (texts[i]->y != texts[i - 1]->y) continue;
      const float end =
          texts[i - 1]->x + 6.5f * static_cast<float>(TextColumns(texts[i - 1]->text));
      EXPECT_LE(end, texts[i]->x) << texts[i - 1]->text << " | " << texts[i]->text;
    }
  }
}

// A relay's record of 24 channels and 592 signals: every band is reached by
// the keys, the wheel over the names and the scroll bar's position, with
// the time axis at the foot of the view; a saved picture holds them all, and
// «только изменяющиеся» finds the 75 signals that change (counted off the
// data file's columns by hand).
TEST(ViewerOfManyChannels, EveryBandIsReachedWithTheAxisInViewAndThePictureHoldsThemAll) {
  RecordViewer viewer = Open(std::string(VELK_SOURCE_DIR) +
                             "/tests/data/comtrade-samples/tshort-COMTRADE.jl/1991-ascii-sel.cfg");
  const RecordPicture& picture = viewer.picture();
  ASSERT_EQ(picture.channels().size(), 24u);
  ASSERT_EQ(picture.discrete_signals().size(), 592u);
  int changing = 0;
  for (int s = 0; s < 592; ++s) changing += viewer.signal_changes(s);
  EXPECT_EQ(changing, 75);
  EXPECT_FALSE(viewer.signal_changes(592));

  // Each channel's or signal's name, whole or cut short, as the scene gives
  // it in black at the gutter's left (some signals share the name "*", one
  // is named "A" like a unit).
  std::set<std::string> all;
  for (const PictureChannel& channel : picture.channels()) all.insert(channel.name);
  for (const PictureSignal& signal : picture.discrete_signals()) all.insert(signal.name);
  const auto names_in = [&](const Scene& scene) {
    std::set<std::string> names;
    for (const SceneText& text : scene.texts)
      if (text.x == 6 && text.colour == Colour{} &&
          all.contains(text.whole.empty() ? text.text : text.whole))
        names.insert(text.whole.empty() ? text.text : text.whole);
    return names;
  };
  const auto axis_in_view = [](const Scene& scene) {
    for (const SceneText& text : scene.texts)
      if (text.text == "мс") return text.y < static_cast<float>(scene.height);
    return false;
  };
  BandScroll scroll = viewer.band_scroll();
  EXPECT_EQ(scroll.first, 0);
  EXPECT_EQ(scroll.shown, 616);
  ASSERT_GT(scroll.last_first, 500);
  std::set<std::string> seen;
  int pages = 0;
  for (int before = -1; viewer.band_scroll().first != before; ++pages) {
    before = viewer.band_scroll().first;
    const Scene scene = viewer.Draw();
    EXPECT_TRUE(axis_in_view(scene)) << viewer.band_scroll().first;
    for (const SceneText& text : scene.texts) EXPECT_LE(text.y, 600.5f);
    const std::set<std::string> names = names_in(scene);
    seen.insert(names.begin(), names.end());
    viewer.Key(ViewerKey::kPageDown, false);
  }
  EXPECT_EQ(seen, all);
  EXPECT_EQ(viewer.band_scroll().first, viewer.band_scroll().last_first);
  EXPECT_GT(pages, 10);
  // The last row at the foot, just above the axis, where the pointer finds it.
  EXPECT_EQ(viewer.BandAt(600 - 31).kind, BandUnder::Kind::kSignal);
  EXPECT_EQ(viewer.BandAt(600 - 31).index, 591);
  const int page = viewer.band_scroll().fitting - 1;
  viewer.Key(ViewerKey::kPageUp, false);
  EXPECT_EQ(viewer.band_scroll().first, scroll.last_first - page);

  // The wheel over the names scrolls three bands a notch; over the plot it
  // zooms and leaves the bands.
  viewer.ScrollBandsTo(-5);
  EXPECT_EQ(viewer.band_scroll().first, 0);
  viewer.Wheel(20, -2);
  EXPECT_EQ(viewer.band_scroll().first, 6);
  const double span = viewer.view().to_ms - viewer.view().from_ms;
  viewer.Wheel(600, 1);
  EXPECT_EQ(viewer.band_scroll().first, 6);
  EXPECT_LT(viewer.view().to_ms - viewer.view().from_ms, span);
  viewer.ScrollBandsTo(100000);
  EXPECT_EQ(viewer.band_scroll().first, scroll.last_first);

  // Hiding the signals that do not change leaves 99 bands and rows to scroll.
  std::set<std::string> changing_names;
  for (const PictureChannel& channel : picture.channels()) changing_names.insert(channel.name);
  for (int s = 0; s < 592; ++s) {
    viewer.SetSignalShown(s, viewer.signal_changes(s));
    if (viewer.signal_changes(s))
      changing_names.insert(picture.discrete_signals()[static_cast<std::size_t>(s)].name);
  }
  EXPECT_EQ(viewer.band_scroll().shown, 24 + 75);
  EXPECT_EQ(viewer.band_scroll().first, viewer.band_scroll().last_first);

  // The saved picture: every shown band at the height the view gives it,
  // the axis below the last.
  for (const int width : {0, 2400}) {
    const Scene file = viewer.DrawForFile(width);
    EXPECT_EQ(names_in(file), changing_names) << width;
    EXPECT_TRUE(axis_in_view(file));
    float lowest = 0;
    for (const SceneText& text : file.texts) lowest = std::max(lowest, text.y);
    EXPECT_LE(lowest, static_cast<float>(file.height));
    EXPECT_GT(lowest, static_cast<float>(file.height) - 30);
  }
}

// The three-phase sets a relay's own names give, and its phasor diagram: the
// sets' and the reference's arrows, each name clear of every other.
TEST(ViewerOfManyChannels, SetsFromTheRelaysNamesAndPhasorNamesKeptApart) {
  RecordViewer viewer = Open(std::string(VELK_SOURCE_DIR) +
                             "/tests/data/comtrade-samples/tshort-COMTRADE.jl/1991-ascii-sel.cfg");
  const auto& channels = viewer.picture().channels();
  std::vector<std::string> sets;
  for (const PhaseSet& set : PhaseSets(channels))
    sets.push_back(channels[static_cast<std::size_t>(set.channels[0])].name + " " +
                   channels[static_cast<std::size_t>(set.channels[1])].name + " " +
                   channels[static_cast<std::size_t>(set.channels[2])].name);
  EXPECT_EQ(sets, (std::vector<std::string>{"IA IB IC", "VA(kV) VB(kV) VC(kV)", "IAL IBL ICL",
                                            "IAX IBX ICX", "IAY IBY ICY", "IAT IBT ICT"}));
  viewer.SetReference(9);  // V1MEM, in no set
  // Before the trip every set but the Y currents (zero throughout) and the
  // reference have a phasor; after it the voltages of B and C and the
  // currents of IA, IB and IC are left.
  for (const auto& [at, least] : {std::pair(0.25, 14u), std::pair(0.5, 5u), std::pair(0.75, 5u)}) {
    SCOPED_TRACE(at);
    Click(viewer, 200 + 1000 * at, PointerButton::kLeft, false);
    const Scene diagram = viewer.DrawPhasors(300, 260);
    std::size_t named = 0;
    struct Box {
      float left, top, right, bottom;
    };
    std::vector<Box> boxes;
    for (const SceneText& text : diagram.texts) {
      if (text.anchor != TextAnchor::kMiddle) continue;
      EXPECT_TRUE(text.text == "V1MEM" || text.text[0] == 'I' || text.text[0] == 'V') << text.text;
      EXPECT_TRUE(text.text.find('Y') == std::string::npos) << text.text;
      ++named;
      const float half = static_cast<float>(text.text.size()) * 6.2f / 2;
      const Box box{text.x - half, text.y - 11, text.x + half, text.y + 2};
      for (const Box& other : boxes)
        EXPECT_TRUE(box.right <= other.left || other.right <= box.left || box.bottom <= other.top ||
                    other.bottom <= box.top)
            << text.text;
      boxes.push_back(box);
    }
    EXPECT_GE(named, least);
  }
}

// A record whose names code page 1251 lacks (Chinese, Greek, a degree sign,
// an accented station) shows them whole wherever a person reads them: the
// title, the picture and its SVG, the readout, the events, the printed page
// and the command line's readout; a name cut short keeps whole characters.
TEST(ViewerOfAComtradeRecord, NamesOutsideCodePage1251ReachEveryTextWhole) {
  TempDir dir;
  const std::string long_name = "母线电压母线电压母线电压母线电压母线电压";
  std::string cfg = "Estação 变电站,Ρελέ,1999\r\n3,2A,1D\r\n";
  cfg += "1,母线电压Ua,A,,kV,0.001,0,0,-32767,32767,1,1,P\r\n";
  cfg += "2," + long_name + ",,,°,0.1,0,0,-32767,32767,1,1,P\r\n";
  cfg += "1,跳闸 ΔI,,,0\r\n50\r\n1\r\n1000,100\r\n";
  cfg += "01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.000000\r\nASCII\r\n1\r\n";
  std::string dat;
  for (int n = 0; n < 100; ++n)
    dat += std::to_string(n + 1) + "," + std::to_string(n * 1000) + "," +
           std::to_string(std::lround(1000 * std::sin(2 * kPi * n / 20))) + ",900," +
           (n >= 50 ? "1" : "0") + "\r\n";
  WriteFile(dir / "母线.cfg", cfg);
  WriteFile(dir / "母线.dat", dat);
  RecordViewer viewer = Open(dir / "母线.cfg");
  EXPECT_EQ(viewer.Title(), "Просмотр записи — 母线.cfg");
  ASSERT_EQ(viewer.events().size(), 1u);
  EXPECT_EQ(viewer.events()[0].text, "50.00 мс  跳闸 ΔI  сработал");
  viewer.PickEvent(0);

  const Scene picture = viewer.Draw();
  for (const char* text : {"Estação 变电站", "母线电压Ua", "°", "跳闸 ΔI"}) {
    EXPECT_TRUE(Has(picture, text)) << text << "\n" << Texts(picture);
    EXPECT_NE(SvgText(picture).find(text), std::string::npos) << text;
  }
  const auto cut = std::find_if(picture.texts.begin(), picture.texts.end(),
                                [&](const SceneText& text) { return text.whole == long_name; });
  ASSERT_NE(cut, picture.texts.end());
  EXPECT_TRUE(IsUtf8(cut->text));
  const std::size_t gap = cut->text.find("…");
  ASSERT_NE(gap, std::string::npos);
  EXPECT_TRUE(long_name.starts_with(cut->text.substr(0, gap)));
  EXPECT_TRUE(long_name.ends_with(cut->text.substr(gap + 3)));
  const Scene readout = viewer.DrawReadout(1000);
  for (const char* text : {"母线电压Ua", "跳闸 ΔI", "Угол, °"})
    EXPECT_TRUE(Has(readout, text)) << text << "\n" << Texts(readout);
  EXPECT_TRUE(Has(viewer.DrawPage(1100, 800), "母线.cfg    Estação 变电站"));

  std::ostringstream out, json, err;
  ASSERT_EQ(RunCommandLine({"readout", dir / "母线.cfg", "--at", "50"}, "", out, err), 0);
  EXPECT_NE(out.str().find("  母线电压Ua, kV: "), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("  跳闸 ΔI: 1"), std::string::npos) << out.str();
  ASSERT_EQ(RunCommandLine(
                {"readout", dir / "母线.cfg", "--at", "50", "--reference", long_name, "--json"}, "",
                json, err),
            0)
      << err.str();
  EXPECT_NE(json.str().find("{\"name\": \"" + long_name + "\", \"unit\": \"°\""),
            std::string::npos);

  // A Latin-1 record of another recorder names its station as it is.
  const RecordViewer latin = Open(std::string(VELK_SOURCE_DIR) +
                                  "/tests/data/comtrade-samples/python-comtrade/"
                                  "sample_iso8859-1_bin.cfg");
  EXPECT_TRUE(Has(latin.Draw(), "Estação de Medição    Пуск ")) << Texts(latin.Draw());
}

}  // namespace
}  // namespace velk::testing
