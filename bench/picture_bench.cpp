#include "bench/picture_bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/child.h"
#include "bench/reader_bench.h"
#include "bench/records.h"
#include "comtrade/file_io.h"
#include "picture/analysis.h"
#include "picture/comtrade_source.h"
#include "picture/record_picture.h"
#include "picture/scene.h"

namespace velk::bench {
namespace {

using Clock = std::chrono::steady_clock;

// The median of runs of what, in milliseconds.
template <typename What>
double MedianMs(int runs, What&& what) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) {
    const auto start = Clock::now();
    what();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Reads the whole file in the blocks a conversion reads: the time a picture
// cannot beat.
void ReadOnce(const std::string& path) {
  InFile file;
  if (!file.Open(path)) return;
  std::vector<char> block(kReadBlockSize);
  while (file.Read(block.data(), block.size()) == block.size()) {
  }
}

// One redraw at 1920 pixels at several zooms, and the engine's time for a
// step of the cursor, of a picture whose samples are step_ms apart.
void ViewFigures(const RecordPicture& picture, double step_ms, int runs) {
  std::printf("  one redraw at 1920 x 1000 pixels, cursor shown:\n");
  const PictureView whole = WholeView(picture, 1920, 1000);
  for (double span = whole.to_ms; span >= 10; span /= 8) {
    PictureView view = whole;
    view.from_ms = (whole.to_ms - span) / 2;
    view.to_ms = view.from_ms + span;
    view.cursor_ms = view.from_ms + span / 3;
    std::size_t points = 0;
    const double ms = MedianMs(std::max(runs, 5), [&] {
      const Scene scene = DrawPicture(picture, view);
      points = 0;
      for (const ScenePolyline& line : scene.lines) points += line.points.size();
    });
    std::printf("    %12.1f ms shown (%9.1f samples a column): %6.2f ms, %zu points\n", span,
                span / step_ms / (view.width - kPictureGutter - kPictureRightMargin), ms, points);
  }

  // Moving the cursor: what the viewer computes for each step of it, the
  // readout of both cursors, the phasors, harmonics and sequences included.
  std::printf("  moving the cursor (two cursors, phasors, harmonics, sequences):\n");
  for (const double at : {0.0, whole.to_ms / 3, whole.to_ms}) {
    double step = 0;
    const double ms = MedianMs(std::max(runs, 25), [&] {
      step += step_ms;
      const TwoCursors two = AnalyseBetween(picture, at + step, at + step + 20, false);
      if (two.a.readout.sample < 0) std::printf("no sample\n");
    });
    std::printf("    at %12.1f ms: %6.3f ms\n", at, ms);
  }
}

}  // namespace

void PictureFigures(const std::string& dir, const std::string& convert, std::int64_t seconds,
                    int runs) {
  const std::string flh = dir + "/rec.flh";
  if (!WriteAnalogRecord(flh, 60, SamplesFor(seconds))) {
    std::printf("picture: could not write the record\n");
    return;
  }
  const double mb = static_cast<double>(std::filesystem::file_size(flh)) / 1e6;
  ReadOnce(flh);  // into the page cache: both timings read from memory
  const double read_ms = MedianMs(runs, [&] { ReadOnce(flh); });
  std::unique_ptr<RecordPicture> picture;
  const double build_ms = MedianMs(runs, [&] { picture = RecordPicture::Open({flh, ""}).picture; });
  if (!picture) {
    std::printf("picture: the record was not opened\n");
    return;
  }
  std::printf("\npicture of a type-60 record of %lld s (%.1f MB, %lld samples):\n",
              static_cast<long long>(seconds), mb, static_cast<long long>(picture->sample_count()));
  std::printf("  read once %.1f ms, summary built %.1f ms (%.2f times), summary %.2f MiB\n",
              read_ms, build_ms, build_ms / read_ms,
              static_cast<double>(picture->summary().Bytes()) / (1 << 20));

  ViewFigures(*picture, kSampleStepMs, runs);

  const std::string svg = dir + "/rec.svg";
  const ChildRun run = RunChild({convert, "picture", flh, svg, "--width", "1920"});
  std::printf("  velk-convert picture --width 1920: %.3f s, peak %.1f MiB, exit %d, SVG %.2f MB\n",
              run.seconds, run.peak_rss_mib, run.status,
              run.status == 0 ? static_cast<double>(std::filesystem::file_size(svg)) / 1e6 : 0.0);
  std::filesystem::remove(flh);
  std::filesystem::remove(svg);
}

}  // namespace velk::bench

namespace velk::bench {

void ComtradePictureFigures(const std::string& dir, int runs) {
  const std::string cfg = dir + "/wide.cfg", dat = dir + "/wide.dat";
  if (!WriteWideRecord(cfg, dat)) {
    std::printf("picture: could not write the 64-channel record\n");
    return;
  }
  const double mb = static_cast<double>(std::filesystem::file_size(dat)) / 1e6;
  ReadOnce(dat);
  const double read_ms = MedianMs(runs, [&] { ReadOnce(dat); });
  std::unique_ptr<RecordPicture> picture;
  const double build_ms = MedianMs(runs, [&] {
    ComtradeOpening opening = ComtradeSource::Open(cfg);
    picture = opening.source ? RecordPicture::OfSource(std::move(opening.source)) : nullptr;
  });
  if (!picture) {
    std::printf("picture: the 64-channel record was not opened\n");
    return;
  }
  std::printf(
      "\npicture of a COMTRADE record, 64 A + 16 D at 4 kHz for 600 s (.dat %.1f MB, "
      "%lld samples):\n",
      mb, static_cast<long long>(picture->sample_count()));
  std::printf(
      "  read the .dat once %.1f ms, summary built %.1f ms (%.2f times), summary %.2f MiB\n",
      read_ms, build_ms, build_ms / read_ms,
      static_cast<double>(picture->summary().Bytes()) / (1 << 20));
  ViewFigures(*picture, 0.25, runs);
  std::filesystem::remove(cfg);
  std::filesystem::remove(dat);
}

}  // namespace velk::bench
