// The picture of a record: its summary, its values at the cursor and its
// discrete steps, each against what the converted pairs hold; the viewer's
// logic; the SVG file.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analog/analog_record.h"
#include "app/record_viewer.h"
#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "discrete/discrete_record.h"
#include "picture/record_picture.h"
#include "picture/scene.h"
#include "picture/svg.h"
#include "picture/text_columns.h"
#include "tests/support/fakes.h"
#include "tools/records/discrete_builder.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// A type-14 record of n random samples (every word, the unused ones too),
// with factors that scale its channels by other multipliers than 1.
FlhRecord RandomRecord(int n, unsigned seed) {
  FlhRecord r;
  r.device_type = 14;
  r.Name("ПС Север").Factor(0, 2, 0x4000).Factor(4, 0xFFFF, 0x2000).Factor(8, 0, 0x9000);
  r.Number(12, 600).Number(14, 1100).Number(16, 35);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> value(-32768, 32767);
  for (int i = 0; i < n; ++i) {
    std::array<std::int16_t, 9> sample{};
    for (auto& word : sample) word = static_cast<std::int16_t>(value(random));
    r.samples.push_back(sample);
  }
  return r;
}

std::unique_ptr<RecordPicture> Open(const PictureRecords& records,
                                    std::int64_t max_base_pairs = SampleSummary::kMaxBasePairs) {
  PictureOpening opening = RecordPicture::Open(records, max_base_pairs);
  EXPECT_TRUE(opening.picture) << Cp1251ToUtf8(MessageText(opening.outcome));
  return std::move(opening.picture);
}

// The recorded value of channel c of sample n, as the device type places it.
std::int16_t Recorded(const FlhRecord& r, std::size_t n, int c) {
  return r.samples[n][DeviceTypeFor(r.device_type).words[static_cast<std::size_t>(c)]];
}

// Every level, with the finest blocks of 32 samples and with the longer ones
// of a summary kept within fewer pairs (here 64: blocks of 512 samples for
// 3000 samples of 8 channels).
TEST(PictureSummary, EveryLevelHoldsTheMinAndMaxOfItsSamples) {
  for (const std::int64_t max_pairs : {SampleSummary::kMaxBasePairs, std::int64_t{64}})
    for (const int n : {0, 1, 31, 32, 33, 77, 78, 129, 3000}) {
      SCOPED_TRACE(std::to_string(n) + " samples, at most " + std::to_string(max_pairs) + " pairs");
      TempDir dir;
      const FlhRecord record = RandomRecord(n, static_cast<unsigned>(n));
      WriteFile(dir / "rec.flh", record.Bytes());
      const auto picture = Open({dir / "rec.flh", ""}, max_pairs);
      ASSERT_TRUE(picture);
      const SampleSummary& summary = picture->summary();
      ASSERT_EQ(summary.samples(), n);
      ASSERT_EQ(summary.base_block(), max_pairs == 64 && n == 3000 ? 512 : 32);
      ASSERT_LE(summary.Blocks(summary.levels() - 1), 1);
      for (int level = 0; level < summary.levels(); ++level) {
        const std::int64_t size = summary.BlockSamples(level);
        ASSERT_EQ(summary.Blocks(level), (n + size - 1) / size);
        for (std::int64_t b = 0; b < summary.Blocks(level); ++b)
          for (int c = 0; c < summary.channels(); ++c) {
            MinMax expected{32767, -32768};
            for (std::int64_t s = b * size; s < std::min<std::int64_t>(n, (b + 1) * size); ++s) {
              const float v = Recorded(record, static_cast<std::size_t>(s), c);
              expected = {std::min(expected.min, v), std::max(expected.max, v)};
            }
            const MinMax held = summary.At(level, b, c);
            ASSERT_EQ(held.min, expected.min) << "level " << level << " block " << b;
            ASSERT_EQ(held.max, expected.max) << "level " << level << " block " << b;
          }
      }
      // Every zoom of a record this short draws and reads without a fault.
      PictureView view = WholeView(*picture, 800, 400);
      view.cursor_ms = 0.0;
      EXPECT_FALSE(DrawPicture(*picture, view).texts.empty());
      view.to_ms = 3 * kSampleStepMs;
      DrawPicture(*picture, view);

      // Spans of samples, however they fall on the blocks, hold the min and max
      // of their samples.
      const std::vector<std::int64_t> bounds = {0, 0, n / 7, n / 3, n / 2, n / 2 + n / 5, n};
      std::vector<MinMax> spans;
      ASSERT_TRUE(picture->SpanMinMax(bounds, spans));
      const auto channels = static_cast<std::size_t>(summary.channels());
      ASSERT_EQ(spans.size(), (bounds.size() - 1) * channels);
      for (std::size_t s = 0; s + 1 < bounds.size(); ++s)
        for (int c = 0; c < summary.channels(); ++c) {
          MinMax expected;
          for (std::int64_t k = bounds[s]; k < bounds[s + 1]; ++k)
            expected.Add(Recorded(record, static_cast<std::size_t>(k), c));
          const MinMax held = spans[s * channels + static_cast<std::size_t>(c)];
          EXPECT_TRUE(held.Empty() == expected.Empty() &&
                      (expected.Empty() || (held.min == expected.min && held.max == expected.max)))
              << "span " << s << " channel " << c;
        }
    }
}

// A zoom of fewer samples a column than a block of the summary draws each
// column from the samples themselves: the same waves whatever the length of
// the summary's blocks, and the cursor's readout the same too.
TEST(PictureScene, ColumnsFromTheSamplesAreTheSameWhateverTheSummarysBlocks) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RandomRecord(3000, 7).Bytes());
  const auto fine = Open({dir / "rec.flh", ""});
  const auto coarse = Open({dir / "rec.flh", ""}, 64);
  ASSERT_TRUE(fine && coarse);
  ASSERT_EQ(coarse->summary().base_block(), 512);
  for (const double per_column : {1.5, 7.0, 31.0}) {
    SCOPED_TRACE(per_column);
    PictureView view = WholeView(*fine, kPictureGutter + kPictureRightMargin + 200, 400);
    view.from_ms = 333 * kSampleStepMs;
    view.to_ms = view.from_ms + per_column * 200 * kSampleStepMs;
    view.cursor_ms = view.from_ms + 41;
    const Scene a = DrawPicture(*fine, view), b = DrawPicture(*coarse, view);
    ASSERT_EQ(a.lines.size(), b.lines.size());
    for (std::size_t i = 0; i < a.lines.size(); ++i) {
      ASSERT_EQ(a.lines[i].points.size(), b.lines[i].points.size()) << i;
      for (std::size_t k = 0; k < a.lines[i].points.size(); ++k) {
        EXPECT_EQ(a.lines[i].points[k].x, b.lines[i].points[k].x) << i << " " << k;
        EXPECT_EQ(a.lines[i].points[k].y, b.lines[i].points[k].y) << i << " " << k;
      }
    }
    EXPECT_EQ(a.texts.size(), b.texts.size());
    for (std::size_t i = 0; i < std::min(a.texts.size(), b.texts.size()); ++i)
      EXPECT_EQ(a.texts[i].text, b.texts[i].text);
  }
  EXPECT_TRUE(fine->record_unchanged() && coarse->record_unchanged());
}

// The configuration file's analog channel lines: a, b, primary, secondary and
// what one of the unit is worth on the primary side, in A or kV.
struct ReaderChannel {
  double a, b, primary, secondary, primary_unit;
};
std::vector<ReaderChannel> ReaderChannels(const std::string& cfg, int count) {
  std::vector<ReaderChannel> channels;
  const auto lines = FileLines(cfg);
  for (int c = 0; c < count; ++c) {
    std::vector<std::string> fields;
    std::stringstream line(lines[static_cast<std::size_t>(2 + c)]);
    for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
    const double primary_unit = fields[4] == "mV" ? 1e-6 : fields[4] == "mA" ? 1e-3 : 1.0;
    channels.push_back({std::stod(fields[5]), std::stod(fields[6]), std::stod(fields[10]),
                        std::stod(fields[11]), primary_unit});
  }
  return channels;
}

TEST(PictureCursor, ReadsWhatAComtradeReaderComputesFromTheConvertedPair) {
  TempDir dir;
  const int n = 200;
  WriteFile(dir / "rec.flh", RandomRecord(n, 7).Bytes());
  RecordingReporter reports;
  ASSERT_TRUE(ConvertAnalog(dir / "rec.flh", dir / "out.cfg", reports).ok());
  const auto picture = Open({dir / "rec.flh", ""});
  ASSERT_TRUE(picture);
  const int count = static_cast<int>(picture->channels().size());
  const auto channels = ReaderChannels(dir / "out.cfg", count);
  const std::string dat = ReadFile(dir / "out.dat");
  const std::size_t record_size = 8 + 2 * static_cast<std::size_t>(count);
  ASSERT_EQ(dat.size(), record_size * n);
  const auto reader_value = [&](int sample, int c, bool primary) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(dat.data()) +
                        static_cast<std::size_t>(sample) * record_size + 8 + 2 * c;
    const ReaderChannel& ch = channels[static_cast<std::size_t>(c)];
    const double value = ch.a * static_cast<std::int16_t>(LittleU16(bytes)) + ch.b;
    return primary ? value * ch.primary / ch.secondary * ch.primary_unit : value;
  };
  for (const bool primary : {false, true})
    for (const int sample : {0, 1, 15, 16, 117, n - 1}) {
      SCOPED_TRACE(sample);
      const CursorReadout readout = ReadCursor(*picture, sample * kSampleStepMs + 0.4, primary);
      ASSERT_EQ(readout.sample, sample);
      for (int c = 0; c < count; ++c) {
        const auto i = static_cast<std::size_t>(c);
        ASSERT_TRUE(readout.values[i]);
        EXPECT_DOUBLE_EQ(*readout.values[i], reader_value(sample, c, primary));
        // No RMS before the first whole cycle of 16 samples.
        ASSERT_EQ(readout.rms[i].has_value(), sample >= 15);
        if (sample < 15) continue;
        double squares = 0;
        const int first = sample - 15;
        for (int s = first; s <= sample; ++s) squares += std::pow(reader_value(s, c, primary), 2);
        EXPECT_DOUBLE_EQ(*readout.rms[i], std::sqrt(squares / (sample - first + 1)));
      }
    }
}

// Signals that pick up, drop out first (active from the start), change
// together and change twice at one time, on times close enough for the grid to
// merge some.
DiscreteRecord BusyStates() {
  return DiscreteRecord()
      .Start()
      .Event(TimeWord(2), "У", "Блокировка")
      .Event(TimeWord(40), "П", "Отключение А")
      .Event(TimeWord(40), "П", "Отключение Б")
      .Event(TimeWord(41), "У", "Отключение А")
      .Event(TimeWord(43), "П", "Отключение А")
      .Event(TimeWord(43), "У", "Отключение А")
      .Event(TimeWord(90), "П", "Блокировка")
      .Event(TimeWord(91), "У", "Отключение Б");
}

bool Bit(const std::string& data, std::size_t at, std::size_t channel) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data()) + at;
  return ((unsigned{LittleU16(bytes + 2 * (channel / 16))} >> (channel % 16)) & 1u) != 0;
}

TEST(PictureSteps, AreTheStatesTheConversionsWrite) {
  TempDir dir;
  WriteFile(dir / "rec.txt", BusyStates().Bytes());
  FlhRecord analog = RandomRecord(300, 3);
  analog.moment_bcd = {0x23, 0x02, 0x13, 0x16, 0x33, 0x45};  // the start pair's moment
  WriteFile(dir / "rec.flh", analog.Bytes());
  RecordingReporter reports;

  StartMoment moment{"", "", "2024", "", "", ""};
  ASSERT_TRUE(ConvertDiscrete(dir / "rec.txt", dir / "dis.cfg", moment, reports).ok());
  const auto alone = Open({"", dir / "rec.txt"});
  ASSERT_TRUE(alone);
  const auto& signals = alone->discrete_signals();
  ASSERT_EQ(signals.size(), 5u);  // "~Блокировка", dropped out first, is a name of its own
  const std::string dis = ReadFile(dir / "dis.dat");
  for (std::size_t at = 0; at < dis.size(); at += 10) {
    const auto time = LittleI32(reinterpret_cast<const unsigned char*>(dis.data()) + at + 4);
    for (std::size_t s = 0; s < signals.size(); ++s)
      EXPECT_EQ(signals[s].ActiveAt(time), Bit(dis, at + 8, s)) << time << " ms, signal " << s;
  }

  ASSERT_TRUE(
      ConvertCombined(dir / "rec.flh", dir / "rec.txt", dir / "uni.cfg", dir / "state.tmp", reports)
          .ok());
  const auto both = Open({dir / "rec.flh", dir / "rec.txt"});
  ASSERT_TRUE(both);
  const std::string uni = ReadFile(dir / "uni.dat");
  const std::size_t record_size = 8 + 2 * both->channels().size() + 2;
  // The pair ends one sample into its last state, long before the analog record.
  ASSERT_EQ(uni.size(), record_size * static_cast<std::size_t>(both->sample_count()));
  ASSERT_LT(both->sample_count(), 300);
  for (std::size_t n = 0; n < uni.size() / record_size; ++n)
    for (std::size_t s = 0; s < signals.size(); ++s)
      EXPECT_EQ(both->discrete_signals()[s].ActiveAt(static_cast<double>(n) * kSampleStepMs),
                Bit(uni, n * record_size + record_size - 2, s))
          << "sample " << n << ", signal " << s;
}

TEST(PictureRecord, KeepsItsPictureWhenTheRecordIsRewrittenOrDeleted) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RandomRecord(2000, 1).Bytes());
  const auto picture = Open({dir / "rec.flh", ""});
  ASSERT_TRUE(picture);
  PictureView narrow = WholeView(*picture, 1000, 600);
  narrow.to_ms = 100;
  narrow.cursor_ms = 50.0;
  const Scene before = DrawPicture(*picture, narrow);
  ASSERT_TRUE(ReadCursor(*picture, 50, false).values[0]);

  WriteFile(dir / "rec.flh", RandomRecord(2000, 2).Bytes());  // the same size, other samples
  const Scene after = DrawPicture(*picture, narrow);
  EXPECT_FALSE(picture->record_unchanged());
  EXPECT_FALSE(ReadCursor(*picture, 50, false).values[0]);
  ASSERT_EQ(after.lines.size(), before.lines.size());
  EXPECT_FALSE(after.lines[1].points.empty());  // drawn from the summary now
  const std::string changed = "Запись изменена";
  EXPECT_TRUE(std::any_of(after.texts.begin(), after.texts.end(),
                          [&](const SceneText& t) { return t.text == changed; }));
  std::filesystem::remove(std::filesystem::path(dir / "rec.flh"));
  EXPECT_FALSE(DrawPicture(*picture, narrow).lines[1].points.empty());
}

TEST(RecordViewerLogic, WheelDragClickKeysAndHome) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RandomRecord(8000, 4).Bytes());  // 10 s
  RecordViewer viewer(Open({dir / "rec.flh", ""}));
  viewer.Resize(1212, 600);  // a plot of 1000 pixels from x = 200
  const double whole = viewer.view().to_ms;
  EXPECT_DOUBLE_EQ(whole, 7999 * kSampleStepMs);

  viewer.Wheel(450, 3);  // the time under the pointer stays under it
  const double at = TimeAtX(viewer.view(), 450);
  EXPECT_NEAR(at, 0.25 * whole, 1e-6);
  EXPECT_NEAR(viewer.view().to_ms - viewer.view().from_ms, whole * 0.512, 1e-6);

  const PictureView zoomed = viewer.view();
  viewer.Press(700, 100, PointerButton::kLeft, false);
  viewer.DragTo(600);
  viewer.Release(600);  // dragged left by 100 pixels: later times come into view
  const double shift = 100 * (zoomed.to_ms - zoomed.from_ms) / 1000;
  EXPECT_NEAR(viewer.view().from_ms, zoomed.from_ms + shift, 1e-6);
  EXPECT_EQ(viewer.view().cursor_ms, 0.0);  // a drag leaves the cursor

  viewer.Press(500, 100, PointerButton::kLeft, false);
  viewer.Release(501);  // a click puts it on the nearest sample
  const double clicked = *viewer.view().cursor_ms;
  EXPECT_NEAR(clicked, TimeAtX(viewer.view(), 501), kSampleStepMs / 2);
  EXPECT_DOUBLE_EQ(std::fmod(clicked, kSampleStepMs), 0);
  viewer.Key(ViewerKey::kRight, false);
  EXPECT_DOUBLE_EQ(*viewer.view().cursor_ms, clicked + kSampleStepMs);
  viewer.Key(ViewerKey::kLeft, true);  // Shift moves one cycle, 16 samples, either way
  EXPECT_DOUBLE_EQ(*viewer.view().cursor_ms, clicked - 15 * kSampleStepMs);
  viewer.Key(ViewerKey::kRight, true);
  viewer.Key(ViewerKey::kRight, true);
  EXPECT_DOUBLE_EQ(*viewer.view().cursor_ms, clicked + 17 * kSampleStepMs);
  viewer.Key(ViewerKey::kLeft, true);
  viewer.Key(ViewerKey::kLeft, false);
  EXPECT_DOUBLE_EQ(*viewer.view().cursor_ms, clicked);

  for (int i = 0; i < 40; ++i) viewer.Wheel(300, 5);  // never narrower than a few samples
  EXPECT_NEAR(viewer.view().to_ms - viewer.view().from_ms, viewer.NarrowestMs(), 1e-6);
  const PictureView narrowest = viewer.view();
  viewer.Wheel(900, 1);  // a further notch neither zooms nor pans
  EXPECT_EQ(viewer.view().from_ms, narrowest.from_ms);
  EXPECT_EQ(viewer.view().to_ms, narrowest.to_ms);
  for (int i = 0; i < 100; ++i) viewer.Key(ViewerKey::kRight, true);  // the view follows
  EXPECT_LE(viewer.view().from_ms, *viewer.view().cursor_ms);
  EXPECT_GE(viewer.view().to_ms, *viewer.view().cursor_ms);
  viewer.Wheel(300, -400);
  viewer.Press(300, 100, PointerButton::kLeft, false);
  viewer.DragTo(-5000);  // never past the record's end
  EXPECT_DOUBLE_EQ(viewer.view().to_ms, whole);
  viewer.Key(ViewerKey::kHome, false);
  EXPECT_DOUBLE_EQ(viewer.view().from_ms, 0);
  EXPECT_DOUBLE_EQ(viewer.view().to_ms, whole);
}

// What a new user sees first: the waves over the grid, not cut by it, and a
// signal's long name cut short before the state column, whole for a tooltip.
TEST(PictureScene, WavesOverTheGridAndLongNamesCutBeforeTheStateColumn) {
  TempDir dir;
  FlhRecord analog = RandomRecord(400, 3);
  analog.moment_bcd = {0x23, 0x02, 0x13, 0x16, 0x33, 0x45};  // the start pair's moment
  WriteFile(dir / "rec.flh", analog.Bytes());
  const std::string long_name = Cp1251ToUtf8(std::string(79, 'W'));
  WriteFile(dir / "rec.txt", BusyStates().Event(TimeWord(95), "П", long_name).Bytes());
  const auto picture = Open({dir / "rec.flh", dir / "rec.txt"});
  ASSERT_TRUE(picture);
  PictureView view = WholeView(*picture, 1200, 700);
  view.cursor_ms = 100.0;
  const Scene scene = DrawPicture(*picture, view);
  const Colour grid{225, 225, 225};
  bool wave_seen = false;
  for (const ScenePolyline& line : scene.lines) {
    if (line.colour == grid) {
      EXPECT_FALSE(wave_seen) << "a grid line drawn over a wave";
    } else if (line.points.size() > 2) {
      wave_seen = true;
    }
  }
  EXPECT_TRUE(wave_seen);
  int cut = 0;
  for (const SceneText& text : scene.texts) {
    if (text.whole.empty()) continue;
    ++cut;
    EXPECT_EQ(text.whole, std::string(79, 'W'));
    EXPECT_NE(text.text.find("…"), std::string::npos);  // its middle left out
    // At the letters' average width the cut name ends before the state column.
    EXPECT_LT(text.x + static_cast<float>(TextColumns(text.text)) * 0.66f * 11,
              PlotLeft(view) - 12);
  }
  EXPECT_EQ(cut, 1);
}

// A screen of 192 dpi draws the picture of 96 dpi at twice its pixels, and
// the viewer's pointer finds the same times there.
TEST(PictureScale, TwiceThePixelsPerPointDrawsThePictureTwiceAsLarge) {
  TempDir dir;
  WriteFile(dir / "rec.flh", RandomRecord(3000, 9).Bytes());
  const auto picture = Open({dir / "rec.flh", ""});
  ASSERT_TRUE(picture);
  PictureView points = WholeView(*picture, 800, 500);
  points.cursor_ms = 1000.0;
  PictureView pixels = points;
  pixels.width = 1600, pixels.height = 1000, pixels.scale = 2;
  const Scene small = DrawPicture(*picture, points), large = DrawPicture(*picture, pixels);
  ASSERT_EQ(large.texts.size(), small.texts.size());
  ASSERT_EQ(large.lines.size(), small.lines.size());
  for (std::size_t i = 0; i < small.texts.size(); ++i) {
    EXPECT_EQ(large.texts[i].size, 2 * small.texts[i].size);
    EXPECT_EQ(large.texts[i].x, 2 * small.texts[i].x);
  }
  for (std::size_t i = 0; i < small.lines.size(); ++i)
    for (std::size_t p = 0; p < small.lines[i].points.size(); ++p)
      EXPECT_EQ(large.lines[i].points[p].y, 2 * small.lines[i].points[p].y);
  EXPECT_DOUBLE_EQ(TimeAtX(pixels, 1000), TimeAtX(points, 500));
}

TEST(RecordViewerLogic, ArrowsStepThroughTheStatesOfADiscreteRecordAlone) {
  TempDir dir;
  WriteFile(dir / "rec.txt", BusyStates().Bytes());
  RecordViewer viewer(Open({"", dir / "rec.txt"}));
  std::vector<double> visited;
  for (int i = 0; i < 7; ++i) {
    viewer.Key(ViewerKey::kRight, false);
    visited.push_back(*viewer.view().cursor_ms);
  }
  EXPECT_EQ(visited, (std::vector<double>{2, 40, 41, 43, 90, 91, 91}));
  viewer.Key(ViewerKey::kLeft, false);
  EXPECT_EQ(*viewer.view().cursor_ms, 90);
}

TEST(ViewerFromTheWindow, OpensTheHighlightedRecordsOrNoneWithTheCheckInTheLabels) {
  FormFixture f;
  FlhRecord analog = RandomRecord(400, 5);
  analog.moment_bcd = {0x23, 0x02, 0x13, 0x16, 0x33, 0x45};  // the start pair's moment
  const std::string flh = f.Put("a.flh", analog.Bytes());
  const std::string txt = f.Put("d.txt", BusyStates().Bytes());
  WindowControls& controls = f.form.controls;
  EXPECT_FALSE(f.form.OpenViewer(ListBox::kFileListBox1));  // nothing highlighted

  Select(controls.FileListBox1, flh);
  CheckSelected(f.form, ListBox::kFileListBox1);
  auto viewer = f.form.OpenViewer(ListBox::kFileListBox2);  // the other list's record
  ASSERT_TRUE(viewer);
  EXPECT_EQ(viewer->picture().records().analog, flh);
  EXPECT_EQ(viewer->picture().records().discrete, "");
  EXPECT_EQ(viewer->Title(), "Просмотр записи — a.flh");

  Select(controls.FileListBox2, txt);
  CheckSelected(f.form, ListBox::kFileListBox2);
  ASSERT_TRUE(controls.SovmestButton);
  viewer = f.form.OpenViewer(ListBox::kFileListBox2);  // the pair «Совместить» would combine
  ASSERT_TRUE(viewer);
  EXPECT_EQ(viewer->picture().records().analog, flh);
  EXPECT_EQ(viewer->picture().discrete_signals().size(), 5u);

  WriteFile(flh, analog.Bytes() + "x");  // damaged since its row was highlighted
  EXPECT_FALSE(f.form.OpenViewer(ListBox::kFileListBox1));
  EXPECT_EQ(controls.DateLabel, Cp1251("Поврежден").view());
  EXPECT_FALSE(controls.SovmestButton);
  ASSERT_TRUE(viewer);  // an open viewer keeps its picture
  EXPECT_FALSE(viewer->Draw().lines.empty());
}

}  // namespace
}  // namespace velk::testing
