// The picture of records of other recorders: their rates and stamps on the
// time axis, missing values as gaps, spans read again from the middle of the
// data, and the readout of our record against that of its converted pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <vector>

#include "analog/analog_record.h"
#include "cli/cli_run.h"
#include "comtrade/file_io.h"
#include "comtrade/record_reader.h"
#include "picture/comtrade_source.h"
#include "picture/readout_scene.h"
#include "picture/record_picture.h"
#include "picture/scene.h"
#include "picture/text_columns.h"
#include "tests/support/fakes.h"
#include "tools/records/record_builder.h"

namespace velk::testing {
namespace {

// Samples 0..kSamples-1: 1000 Hz up to kSlow, 4000 Hz after; channel I1 holds
// the sample's number, I2 is missing in [kGapFrom, kGapTo); the signal picks
// up at kPickUp.
constexpr std::int64_t kSamples = 5000, kSlow = 10, kGapFrom = 3000, kGapTo = 3010, kPickUp = 4000;

double I2(std::int64_t n) {
  return std::round(1000 * std::sin(0.05 * static_cast<double>(n)));
}

std::string Cfg(const std::string& type, bool stamps) {
  std::string cfg = "Подстанция,Рекордер,1999\r\n3,2A,1D\r\n";
  cfg += "1,I1,A,L1,A,0.5,1,0,-99999,99999,600,5,S\r\n";
  cfg += "2,I2,b,L1,A,2,0,0,-99999,99999,600,5,S\r\n";
  cfg += "1,Пуск,,,0\r\n50\r\n";
  cfg += stamps ? "0\r\n0," + std::to_string(kSamples) + "\r\n"
                : "2\r\n1000," + std::to_string(kSlow) + "\r\n4000," + std::to_string(kSamples) +
                      "\r\n";
  cfg += "01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.150000\r\n" + type + "\r\n1\r\n";
  return cfg;
}

// The time stamp in microseconds: the same times the two rates give.
double StampUs(std::int64_t n) {
  return static_cast<double>(n < kSlow ? n * 1000 : (kSlow - 1) * 1000 + (n - kSlow + 1) * 250);
}

void WriteRecord(const std::string& stem, bool binary, bool stamps) {
  std::string dat;
  for (std::int64_t n = 0; n < kSamples; ++n) {
    const bool gap = n >= kGapFrom && n < kGapTo;
    const bool active = n >= kPickUp;
    if (!binary) {
      dat += std::to_string(n + 1) + "," + std::to_string(static_cast<std::int64_t>(StampUs(n))) +
             "," + std::to_string(n) + "," +
             (gap ? std::string() : std::to_string(static_cast<int>(I2(n)))) + "," +
             (active ? "1" : "0") + "\r\n";
      continue;
    }
    const auto put32 = [&dat](std::uint32_t v) {
      for (int b = 0; b < 4; ++b) dat += static_cast<char>((v >> (8 * b)) & 0xFF);
    };
    const auto put16 = [&dat](std::uint16_t v) {
      dat += static_cast<char>(v & 0xFF);
      dat += static_cast<char>(v >> 8);
    };
    put32(static_cast<std::uint32_t>(n + 1));
    put32(static_cast<std::uint32_t>(StampUs(n)));
    put16(static_cast<std::uint16_t>(n));
    put16(gap ? 0x8000 : static_cast<std::uint16_t>(static_cast<std::int16_t>(I2(n))));
    put16(active ? 1 : 0);
  }
  WriteFile(stem + ".cfg", Cp(Cfg(binary ? "BINARY" : "ASCII", stamps)));
  WriteFile(stem + ".dat", dat);
}

TEST(ComtradePicture, RatesStampsGapsAndSignalsOfEveryDataFormAsTheReaderReadsThem) {
  for (const auto& [binary, stamps] : {std::pair{false, false}, std::pair{true, false},
                                       std::pair{true, true}, std::pair{false, true}}) {
    SCOPED_TRACE(std::string(binary ? "binary" : "ascii") + (stamps ? ", stamps" : ", rates"));
    TempDir dir;
    WriteRecord(dir / "rec", binary, stamps);
    ComtradePicture opened = OpenComtradePicture(dir / "rec.cfg");
    ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
    const RecordPicture& picture = *opened.picture;
    EXPECT_EQ(picture.station(), "Подстанция");
    EXPECT_EQ(picture.device_type(), "Рекордер");
    ASSERT_TRUE(picture.source().layout().trigger_ms);
    EXPECT_NEAR(*picture.source().layout().trigger_ms, 150.0, 1e-9);
    ASSERT_EQ(picture.sample_count(), kSamples);
    ASSERT_EQ(picture.channels().size(), 2u);
    EXPECT_EQ(picture.channels()[1].phase, "B");
    EXPECT_EQ(picture.channels()[1].circuit, "L1");
    EXPECT_DOUBLE_EQ(picture.channels()[0].Value(7, true), (0.5 * 7 + 1) * 120);

    // Each sample where the reader times it, at the rate or stamp it gives.
    const SourceTiming& timing = picture.timing();
    DiagnosticList told;
    const auto whole = ReadRecord(dir / "rec.cfg", told);
    ASSERT_TRUE(whole);
    for (const std::int64_t n : {std::int64_t{0}, kSlow - 1, kSlow, kSlow + 1, kSamples - 1})
      EXPECT_NEAR(timing.TimeMs(n), *whole->samples[std::size_t(n)].time_us / 1000, 1e-6) << n;
    EXPECT_EQ(timing.CycleSamples(kSamples - 1), 80);
    EXPECT_NEAR(picture.DurationMs(), StampUs(kSamples - 1) / 1000.0, 1e-6);

    // Spans read again from anywhere: across the index of ASCII data, at its
    // end, and over the gap.
    std::vector<double> values;
    ASSERT_TRUE(picture.ReadSamples(kGapFrom - 2, 14, values));
    ASSERT_EQ(values.size(), 28u);
    for (std::int64_t k = 0; k < 14; ++k) {
      const std::int64_t n = kGapFrom - 2 + k;
      EXPECT_EQ(values[std::size_t(2 * k)], static_cast<double>(n));
      const bool gap = n >= kGapFrom && n < kGapTo;
      EXPECT_EQ(std::isnan(values[std::size_t(2 * k + 1)]), gap) << n;
      if (!gap) {
        EXPECT_EQ(values[std::size_t(2 * k + 1)], I2(n));
      }
    }
    ASSERT_TRUE(picture.ReadSamples(kSamples - 3, 3, values));
    EXPECT_EQ(values[4], static_cast<double>(kSamples - 1));
    EXPECT_TRUE(picture.record_unchanged());

    // The signal steps where it picked up; the gap cuts I2's wave in two.
    ASSERT_EQ(picture.discrete_signals().size(), 1u);
    const auto& steps = picture.discrete_signals()[0].steps;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_NEAR(steps[1].time_ms, timing.TimeMs(kPickUp), 1e-6);
    PictureView view = WholeView(picture, 1200, 400);
    view.from_ms = timing.TimeMs(kGapFrom - 40);
    view.to_ms = timing.TimeMs(kGapTo + 40);
    const Scene scene = DrawPicture(picture, view);
    int waves = 0;
    for (const ScenePolyline& line : scene.lines)
      if (line.points.size() > 10) ++waves;
    EXPECT_EQ(waves, 3);
    // Across the change of rate, each sample is drawn at its own time.
    view.from_ms = timing.TimeMs(0);
    view.to_ms = timing.TimeMs(kSlow + 20);
    const Scene rates = DrawPicture(picture, view);
    const auto drawn = std::find_if(rates.lines.begin(), rates.lines.end(),
                                    [](const ScenePolyline& l) { return l.points.size() > 25; });
    ASSERT_NE(drawn, rates.lines.end());
    for (const std::int64_t n : {kSlow - 1, kSlow, kSlow + 5}) {
      const auto x = static_cast<float>(XAtTime(view, StampUs(n) / 1000.0));
      EXPECT_TRUE(std::any_of(drawn->points.begin(), drawn->points.end(),
                              [x](const ScenePoint& p) { return std::abs(p.x - x) < 1e-3f; }))
          << "sample " << n;
    }
  }
}

TEST(ComtradePicture, OurRecordReadsAsItsConvertedPairAndEveryPublicSampleDraws) {
  for (const int type : {5, 14, 33}) {
    SCOPED_TRACE(type);
    TempDir dir;
    FlhRecord record;
    record.device_type = static_cast<std::int8_t>(type);
    for (std::size_t b = 0; b < record.calibration.size(); ++b)
      record.calibration[b] = static_cast<std::uint8_t>(b % 5 + 2);
    for (int s = 0; s < 120; ++s) {
      std::array<std::int16_t, 9> sample{};
      for (std::size_t w = 0; w < sample.size(); ++w)
        sample[w] = static_cast<std::int16_t>(
            11000 * std::cos(2 * 3.14159265358979 * s / 16 - 2.1 * static_cast<double>(w)) +
            1500 * std::cos(6 * 3.14159265358979 * s / 16) + (s * 37 + int(w) * 11) % 300);
      record.samples.push_back(sample);
    }
    WriteFile(dir / "rec.flh", record.Bytes());
    RecordingReporter reports;
    ASSERT_TRUE(ConvertAnalog(dir / "rec.flh", dir / "out.cfg", reports).ok());
    for (const std::string at : {"30", "96.25", "148.75"}) {
      std::ostringstream ours, pair, err;
      ASSERT_EQ(RunCommandLine({"readout", dir / "rec.flh", "--at", at, "--json"}, "", ours, err),
                0);
      ASSERT_EQ(RunCommandLine({"readout", dir / "out.cfg", "--at", at, "--json"}, "", pair, err),
                0)
          << err.str();
      EXPECT_NE(ours.str().find("\"sequences\": [\n"), std::string::npos);
      EXPECT_EQ(pair.str(), ours.str());
    }
  }

  const std::string root = std::string(VELK_SOURCE_DIR) + "/tests/data/comtrade-samples/";
  for (const char* sample :
       {"tshort-COMTRADE.jl/1991-ascii-sel.cfg", "yonwoo9-go-comtrade/test2.cfg",
        "drewsilcock-comtrade/real_1999_bin.cfg", "python-comtrade/sample_float32.cff",
        "python-comtrade/sample_ascii.cff", "Nazir-COMTRADE/test.cfg",
        "Esticonv-Wisp.Comtrade/2.cfg"}) {
    SCOPED_TRACE(sample);
    ComtradePicture opened = OpenComtradePicture(root + sample);
    ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
    DiagnosticList told;
    const auto whole = ReadRecord(root + sample, told);
    ASSERT_TRUE(whole);
    const RecordPicture& picture = *opened.picture;
    ASSERT_EQ(picture.sample_count(), static_cast<std::int64_t>(whole->samples.size()));
    const std::int64_t last = picture.sample_count() - 1;
    if (whole->samples.back().time_us) {
      EXPECT_NEAR(picture.timing().TimeMs(last),
                  (*whole->samples.back().time_us - *whole->samples.front().time_us) / 1000,
                  1e-3 + 1e-6 * picture.DurationMs());
    }
    std::vector<double> values;
    ASSERT_TRUE(picture.ReadSamples(last, 1, values));
    for (std::size_t c = 0; c < values.size(); ++c)
      if (!whole->samples.back().analog_missing[c]) {
        EXPECT_EQ(values[c], whole->samples.back().analog[c]);
      }
    const Scene scene = DrawPicture(picture, WholeView(picture, 1200, NaturalHeight(picture)));
    EXPECT_GT(scene.lines.size(), picture.channels().size());
  }

  // A record the reader refuses opens no picture: exit 2 with its first error and line.
  TempDir dir;
  WriteFile(dir / "bad.cfg", "Station,Dev,1999\r\n2,2A,0D\r\n1,I1,A,,A,1,0,0,-1,1,1,1,S\r\n");
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"picture", dir / "bad.cfg", dir / "bad.svg"}, "", out, err), 2);
  EXPECT_NE(err.str().find(dir / "bad.cfg:"), std::string::npos) << err.str();
  EXPECT_FALSE(FileExists(dir / "bad.svg"));
}

// Spans of 32-bit and floating-point data read again hold the reader's values,
// missing ones as NaN, from a pair and from one .cff alike; a data file cut
// under the picture reads no more.
TEST(ComtradePicture, SpansOfEveryBinaryFormReadAgainAsTheReaderReadsThem) {
  constexpr int kCount = 300;
  for (const char* type : {"BINARY", "BINARY32", "FLOAT32"})
    for (const bool cff : {false, true}) {
      SCOPED_TRACE(std::string(type) + (cff ? " .cff" : ""));
      std::string cfg = "Station,Recorder,1999\r\n4,3A,1D\r\n";
      for (int k = 1; k <= 3; ++k)
        cfg +=
            std::to_string(k) + ",U" + std::to_string(k) + ",A,L,kV,0.5,0,0,-32767,32767,1,1,P\r\n";
      cfg += "1,Trip,,,0\r\n50\r\n1\r\n1000," + std::to_string(kCount) +
             "\r\n01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.000000\r\n" + type +
             "\r\n1\r\n";
      std::string dat;
      for (int n = 1; n <= kCount; ++n) {
        dat += I32(n) + I32((n - 1) * 1000);
        for (int k = 0; k < 3; ++k) {
          const bool missing = (n + k) % 37 == 0;
          const int v = (n * 13 + k * 7) % 2000 - 1000;
          if (std::string(type) == "BINARY")
            dat += I16(static_cast<std::int16_t>(missing ? -32768 : v));
          else if (std::string(type) == "BINARY32")
            dat += I32(missing ? std::numeric_limits<std::int32_t>::min() : v * 70000);
          else
            dat += I32(std::bit_cast<std::int32_t>(missing ? std::numeric_limits<float>::infinity()
                                                           : 0.25f * static_cast<float>(v)));
        }
        dat += I16(static_cast<std::int16_t>(n % 2));
      }
      TempDir dir;
      const std::string path = dir / (cff ? "rec.cff" : "rec.cfg");
      if (cff) {
        WriteFile(path, "--- file type: CFG ---\r\n" + cfg + "--- file type: DAT " + type + ": " +
                            std::to_string(dat.size()) + " ---\r\n" + dat);
      } else {
        WriteFile(path, cfg);
        WriteFile(dir / "rec.dat", dat);
      }
      ComtradePicture opened = OpenComtradePicture(path);
      ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
      DiagnosticList told;
      const auto whole = ReadRecord(path, told);
      ASSERT_TRUE(whole);
      std::vector<double> values;
      ASSERT_TRUE(opened.picture->ReadSamples(100, 120, values));
      ASSERT_EQ(values.size(), 360u);
      for (std::size_t n = 0; n < 120; ++n)
        for (std::size_t k = 0; k < 3; ++k) {
          const Sample& sample = whole->samples[100 + n];
          const double value = values[3 * n + k];
          if (sample.analog_missing[k])
            EXPECT_TRUE(std::isnan(value)) << n << " " << k;
          else
            EXPECT_EQ(value, sample.analog[k]) << n << " " << k;
        }
      EXPECT_TRUE(opened.picture->record_unchanged());
      if (!cff) {
        WriteFile(dir / "rec.dat", dat.substr(0, dat.size() / 2));
        EXPECT_FALSE(opened.picture->ReadSamples(kCount - 10, 5, values));
      }
    }
}

// A long binary record, several read buffers of samples that do not divide
// them, opens into the summary and the steps that its samples read one by
// one give: every form, missing words (a channel missing over whole blocks
// too), the words' extremes, rates or stamps, and data that ends in padding
// or in a cut sample.
TEST(ComtradePicture, SummaryOfALongBinaryRecordIsThatOfItsSamplesReadOneByOne) {
  constexpr int kCount = 40000, kAnalog = 5, kDigital = 20;
  constexpr int kAllMissingFrom = 6400, kAllMissingTo = 6464;  // blocks 200 and 201 of I5
  for (const char* type : {"BINARY", "BINARY32", "FLOAT32"})
    for (const int variant : {0, 1, 2}) {  // rates; stamps and padding; rates and a cut sample
      SCOPED_TRACE(std::string(type) + " " + std::to_string(variant));
      const bool stamps = variant == 1;
      std::string cfg = "Station,Recorder,1999\r\n25,5A,20D\r\n";
      for (int k = 1; k <= kAnalog; ++k)
        cfg += std::to_string(k) + ",I" + std::to_string(k) +
               ",A,L,A,-0.5,3,0,-2147483647,2147483647,1,1,S\r\n";
      for (int d = 1; d <= kDigital; ++d)
        cfg += std::to_string(kAnalog + d) + ",D" + std::to_string(d) + ",,,0\r\n";
      cfg += "50\r\n";
      cfg += stamps ? "0\r\n0," + std::to_string(kCount) + "\r\n"
                    : "2\r\n1000,7000\r\n4000," + std::to_string(kCount) + "\r\n";
      cfg += "01/02/2024,10:00:00.000000\r\n01/02/2024,10:00:00.000000\r\n" + std::string(type) +
             "\r\n1\r\n";
      std::string dat;
      for (int n = 0; n < kCount; ++n) {
        // The stamps where the rates place each sample.
        dat += I32(n + 1) + I32(n < 7000 ? n * 1000 : 6999 * 1000 + (n - 6999) * 250);
        for (int k = 0; k < kAnalog; ++k) {
          const bool missing =
              (n * 7 + k * 3) % 101 == 0 || (k == 4 && n >= kAllMissingFrom && n < kAllMissingTo);
          int v = static_cast<int>(std::lround(30000 * std::sin(0.01 * n * (k + 1))));
          if ((n + k) % 997 == 0) v = (n % 2) ? 32767 : -32767;
          if (std::string(type) == "BINARY")
            dat += I16(static_cast<std::int16_t>(missing ? -32768 : v));
          else if (std::string(type) == "BINARY32")
            dat += I32(missing ? std::numeric_limits<std::int32_t>::min() : v * 65537);
          else
            dat += I32(std::bit_cast<std::int32_t>(
                missing ? (n % 2 ? std::numeric_limits<float>::quiet_NaN()
                                 : -std::numeric_limits<float>::infinity())
                        : 0.125f * static_cast<float>(v)));
        }
        for (int w = 0; w < 2; ++w) {
          int word = 0;
          for (int j = 0; j < 16 && 16 * w + j < kDigital; ++j)
            if ((n / (40 + 7 * (16 * w + j))) % 2 != 0) word |= 1 << j;
          dat += I16(static_cast<std::int16_t>(word));
        }
      }
      if (variant == 1) dat += std::string(60, '\x1A');
      if (variant == 2) dat += std::string(9, '\x01');
      TempDir dir;
      WriteFile(dir / "rec.cfg", cfg);
      WriteFile(dir / "rec.dat", dat);
      ComtradePicture opened = OpenComtradePicture(dir / "rec.cfg");
      ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
      DiagnosticList told;
      const auto whole = ReadRecord(dir / "rec.cfg", told);
      ASSERT_TRUE(whole);
      ASSERT_EQ(whole->samples.size(), std::size_t{kCount});
      const RecordPicture& picture = *opened.picture;
      ASSERT_EQ(picture.sample_count(), kCount);

      // The min and max of channel k's values over samples [from, to).
      const auto values_between = [&](std::int64_t from, std::int64_t to, int k) {
        MinMax expected;
        for (std::int64_t n = from; n < std::min<std::int64_t>(kCount, to); ++n) {
          const Sample& sample = whole->samples[std::size_t(n)];
          if (!sample.analog_missing[std::size_t(k)]) expected.Add(sample.analog[std::size_t(k)]);
        }
        return expected;
      };
      const auto same = [](MinMax held, MinMax expected) {
        return held.Empty() == expected.Empty() &&
               (expected.Empty() || (held.min == expected.min && held.max == expected.max));
      };
      // Level 0 of the summary; the number of blocks without a value of a channel.
      const auto check_summary = [&](const SampleSummary& summary, std::int64_t block) {
        EXPECT_EQ(summary.base_block(), block);
        EXPECT_EQ(summary.Blocks(0), (kCount + block - 1) / block);
        int empty = 0;
        for (std::int64_t b = 0; b < summary.Blocks(0); ++b)
          for (int k = 0; k < kAnalog; ++k) {
            const MinMax expected = values_between(b * block, (b + 1) * block, k);
            empty += expected.Empty() ? 1 : 0;
            EXPECT_TRUE(same(summary.At(0, b, k), expected)) << b << " " << k;
          }
        return empty;
      };
      EXPECT_EQ(check_summary(picture.summary(), SampleSummary::kBaseBlock), 2);

      // Kept within 400 pairs, the finest blocks are of 512 samples; spans
      // of samples then come from the data file, across blocks and buffers.
      ComtradeOpening coarse = ComtradeSource::Open(dir / "rec.cfg", 400);
      ASSERT_TRUE(coarse.source);
      const auto fewer = RecordPicture::OfSource(std::move(coarse.source));
      ASSERT_TRUE(fewer);
      EXPECT_EQ(check_summary(fewer->summary(), 512), 0);
      const std::vector<std::int64_t> bounds = {3, 3, 511, 6401, 6463, 6700, 39999, kCount};
      for (const RecordPicture* shown :
           {&picture, static_cast<const RecordPicture*>(fewer.get())}) {
        std::vector<MinMax> spans;
        ASSERT_TRUE(shown->SpanMinMax(bounds, spans));
        ASSERT_EQ(spans.size(), (bounds.size() - 1) * kAnalog);
        for (std::size_t s = 0; s + 1 < bounds.size(); ++s)
          for (int k = 0; k < kAnalog; ++k)
            EXPECT_TRUE(same(spans[s * kAnalog + std::size_t(k)],
                             values_between(bounds[s], bounds[s + 1], k)))
                << "span " << s << " channel " << k;
      }
      // A value rewritten since the opening, above its block's greatest, is
      // found by the next span read.
      std::string changed = dat;
      const std::string high = std::string(type) == "BINARY" ? I16(32767)
                               : std::string(type) == "BINARY32"
                                   ? I32(2147483647)
                                   : I32(std::bit_cast<std::int32_t>(1e30f));
      changed.replace(20000 * (dat.size() / kCount) + 8, high.size(), high);
      WriteFile(dir / "rec.dat", changed);
      std::vector<MinMax> spans;
      EXPECT_FALSE(fewer->SpanMinMax(std::vector<std::int64_t>{19990, 20010}, spans));
      EXPECT_FALSE(fewer->record_unchanged());

      // Each signal steps at the samples where its state changes, at their times.
      ASSERT_EQ(picture.discrete_signals().size(), std::size_t{kDigital});
      const double first_us = *whole->samples[0].time_us;
      for (int d = 0; d < kDigital; ++d) {
        std::vector<SignalStep> expected;
        for (const Sample& sample : whole->samples) {
          const bool active = sample.digital[std::size_t(d)] != 0;
          if (expected.empty() || expected.back().active != active)
            expected.push_back({(*sample.time_us - first_us) / 1000.0, active});
        }
        const auto& steps = picture.discrete_signals()[std::size_t(d)].steps;
        ASSERT_EQ(steps.size(), expected.size()) << d;
        for (std::size_t i = 0; i < steps.size(); ++i) {
          EXPECT_EQ(steps[i].active, expected[i].active);
          EXPECT_DOUBLE_EQ(steps[i].time_ms, expected[i].time_ms) << d << " " << i;
        }
      }
      EXPECT_NEAR(picture.DurationMs(), (*whole->samples.back().time_us - first_us) / 1000, 1e-6);
    }
}

// A record of one channel and one signal, ASCII or BINARY: a sample at each
// stamp (microseconds), the signal picking up at sample pick_up.
void WriteStamped(const std::string& stem, const std::string& header, bool binary,
                  const std::vector<std::int64_t>& stamps, std::size_t pick_up) {
  std::string dat;
  for (std::size_t n = 0; n < stamps.size(); ++n) {
    const int value = static_cast<int>(n % 100);
    if (!binary) {
      dat += std::to_string(n + 1) + "," + std::to_string(stamps[n]) + "," + std::to_string(value) +
             "," + (n >= pick_up ? "1" : "0") + "\r\n";
      continue;
    }
    for (const std::uint32_t word :
         {static_cast<std::uint32_t>(n + 1), static_cast<std::uint32_t>(stamps[n])})
      for (int b = 0; b < 4; ++b) dat += static_cast<char>((word >> (8 * b)) & 0xFF);
    for (const int word : {value, n >= pick_up ? 1 : 0}) {
      dat += static_cast<char>(word & 0xFF);
      dat += static_cast<char>(word >> 8);
    }
  }
  const bool v2013 = header.find(",2013\r\n") != std::string::npos;
  WriteFile(stem + ".cfg", header + (binary ? "BINARY" : "ASCII") + "\r\n1\r\n" +
                               (v2013 ? "+0,+0\r\nF,0\r\n" : ""));
  WriteFile(stem + ".dat", dat);
}

std::string Header(const std::string& revision, const std::string& rates,
                   const std::string& start) {
  return "S,R," + revision + "\r\n2,1A,1D\r\n1,I1,A,,A,1,0,0,-999,999,1,1,S\r\n1,K,,,0\r\n50\r\n" +
         rates + start + "\r\n" + start + "\r\n";
}

TEST(ComtradePicture, ClockTimesKeepTheStartsFractionAndTheReadoutKeepsToTheRecord) {
  TempDir dir;
  // 1200 Hz from 05:55:30.075011: sample 30 is 25 ms on, at 05:55:30.100011.
  std::vector<std::int64_t> stamps;
  for (std::int64_t n = 0; n < 100; ++n) stamps.push_back(n * 2500 / 3);
  WriteStamped(dir / "rec", Header("1999", "1\r\n1200,100\r\n", "12/01/2011,05:55:30.075011"),
               false, stamps, 50);
  const ComtradePicture opened = OpenComtradePicture(dir / "rec.cfg");
  ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
  const RecordPicture& picture = *opened.picture;
  EXPECT_EQ(ShownTime(picture, TimeOfSample(picture, 30), true), "05:55:30.100011");
  // The axis's ticks fall on round clock times, the first on .08 at 4.989 ms.
  const TimeAxis axis = AxisTicks(0, 50, 1000, 120, picture.clock_start());
  ASSERT_FALSE(axis.ticks.empty());
  EXPECT_EQ(axis.ticks[0].label, "05:55:30.08");
  EXPECT_NEAR(axis.ticks[0].time_ms, 4.989, 1e-9);

  // The picture's cursor, the readout and the events list show the same.
  PictureView view = WholeView(picture, 900, 300);
  view.clock_time = true;
  view.cursor_ms = 25.2;
  const auto has = [](const Scene& scene, const std::string& text) {
    return std::any_of(scene.texts.begin(), scene.texts.end(),
                       [&](const SceneText& t) { return t.text.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(has(DrawPicture(picture, view), "05:55:30.100011"));
  EXPECT_TRUE(has(DrawPicture(picture, view), "12.01.2011 05:55:30.075011"));
  EXPECT_TRUE(has(DrawReadout(picture, view, 0, 900), "A: 05:55:30.100011"));
  // Under the axis the mode, the date and the ticks' labels keep apart.
  const Scene drawn = DrawPicture(picture, view);
  const auto date = std::find_if(drawn.texts.begin(), drawn.texts.end(),
                                 [](const SceneText& t) { return t.text == "12.01.2011"; });
  ASSERT_NE(date, drawn.texts.end());
  std::vector<std::pair<float, float>> row;
  for (const SceneText& t : drawn.texts) {
    if (t.y != date->y) continue;
    const float width =
        static_cast<float>(TextColumns(t.text)) * 0.62f * static_cast<float>(t.size);
    const float from = t.anchor == TextAnchor::kStart ? t.x
                       : t.anchor == TextAnchor::kEnd ? t.x - width
                                                      : t.x - width / 2;
    row.emplace_back(from, from + width);
  }
  std::sort(row.begin(), row.end());
  ASSERT_GE(row.size(), 4u);  // the mode, the date and two ticks at least
  for (std::size_t i = 1; i < row.size(); ++i) EXPECT_LT(row[i - 1].second, row[i].first) << i;

  // readout --json gives both cursors' moments to the record's fraction; a
  // time outside the record is refused with its length.
  std::ostringstream out, err;
  ASSERT_EQ(RunCommandLine({"readout", dir / "rec.cfg", "--at", "25", "--to", "50", "--json"}, "",
                           out, err),
            0)
      << err.str();
  EXPECT_NE(out.str().find("\"clock\": \"2011-01-12T05:55:30.100011\",\n"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("\"clock_to\": \"2011-01-12T05:55:30.125011\",\n"), std::string::npos);
  for (const char* at : {"82.6", "-1"}) {
    std::ostringstream none, refused;
    EXPECT_EQ(RunCommandLine({"readout", dir / "rec.cfg", "--at", at}, "", none, refused), 64);
    EXPECT_NE(refused.str().find("82.500"), std::string::npos) << refused.str();
    EXPECT_EQ(none.str(), "");
  }

  // A start of nanoseconds a moment before midnight: the clock keeps all nine
  // digits and the date turns with it.
  WriteStamped(dir / "ns", Header("2013", "1\r\n1200,100\r\n", "12/01/2011,23:59:59.999999999"),
               true, stamps, 50);
  const ComtradePicture late = OpenComtradePicture(dir / "ns.cfg");
  ASSERT_TRUE(late.picture) << ErrorText(late.error);
  EXPECT_EQ(ShownTime(*late.picture, TimeOfSample(*late.picture, 1), true), "00:00:00.000833332");
  std::ostringstream next_day;
  ASSERT_EQ(RunCommandLine({"readout", dir / "ns.cfg", "--at", "1", "--json"}, "", next_day, err),
            0);
  EXPECT_NE(next_day.str().find("\"clock\": \"2011-01-13T00:00:00.000833332\""), std::string::npos)
      << next_day.str();
  EXPECT_EQ(next_day.str().find("clock_to"), std::string::npos);
}

TEST(ComtradePicture, StampsThatKeepToTheRatesPlaceEachRatesFirstSample) {
  // 3200, 50, 3200 and 50 Hz, the recorder stepping into each rate at the
  // rate before: the rates alone would place a rate's first sample one of its
  // own steps after the last of the rate before.
  const std::vector<std::pair<double, std::int64_t>> rates{
      {3200, 64}, {50, 69}, {3200, 133}, {50, 138}};
  std::vector<double> times_us{0};
  for (std::int64_t n = 1; n < 138; ++n) {
    std::size_t k = 0;
    while (n - 1 >= rates[k].second) ++k;  // the rate of sample n - 1
    times_us.push_back(times_us.back() + 1e6 / rates[k].first);
  }
  std::vector<std::int64_t> stamps;
  for (const double us : times_us) stamps.push_back(std::llround(us));
  const std::string rate_lines = "4\r\n3200,64\r\n50,69\r\n3200,133\r\n50,138\r\n";
  for (const bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "binary" : "ascii");
    TempDir dir;
    WriteStamped(dir / "rec", Header("1999", rate_lines, "01/02/2024,10:00:00.000000"), binary,
                 stamps, 135);
    const ComtradePicture opened = OpenComtradePicture(dir / "rec.cfg");
    ASSERT_TRUE(opened.picture) << ErrorText(opened.error);
    const SourceTiming& timing = opened.picture->timing();
    for (std::int64_t n = 0; n < 138; ++n)
      ASSERT_NEAR(timing.TimeMs(n), times_us[std::size_t(n)] / 1000, 1e-3) << n;
    EXPECT_EQ(SampleAt(*opened.picture, times_us[64] / 1000 + 1), 64);
    const auto& steps = opened.picture->discrete_signals()[0].steps;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_NEAR(steps[1].time_ms, times_us[135] / 1000, 1e-3);
    EXPECT_NEAR(opened.picture->DurationMs(), times_us[137] / 1000, 1e-3);

    // A stamp that breaks ranks: the rates alone time the record.
    std::vector<std::int64_t> broken = stamps;
    broken[100] += 100;
    WriteStamped(dir / "rec", Header("1999", rate_lines, "01/02/2024,10:00:00.000000"), binary,
                 broken, 135);
    const ComtradePicture rated = OpenComtradePicture(dir / "rec.cfg");
    ASSERT_TRUE(rated.picture);
    EXPECT_NEAR(rated.picture->timing().TimeMs(64), rated.picture->timing().TimeMs(63) + 20, 1e-9);
  }
}

}  // namespace
}  // namespace velk::testing
