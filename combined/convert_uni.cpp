// The combined conversion: an analog and a discrete record of one start moment
// merged into one COMTRADE pair, the discrete states laid onto the analog
// sample grid (800 a second, 1.25 ms apart) after a lead-in of 78 samples.
#include <algorithm>
#include <bit>
#include <cstring>

#include "analog/flh_header.h"
#include "analog/sample_ops.h"
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/ascii_pair.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/same_file.h"
#include "discrete/status_words.h"

namespace velk {
namespace {

// Samples before the first discrete state: 97.5 ms, all digital channels 0.
constexpr std::int64_t kLeadIn = 78;
constexpr float kSamplePeriodMs = 1.25f;
// A state whose remaining time falls below this covers no further sample.
constexpr double kRemainderMs = 0.6;

}  // namespace

std::int32_t TFComtrade::ReadStateUNI(InFile& states) {
  bool whole = true;
  for (std::uint16_t& word : status.words) whole = states.ReadU16(word) && whole;
  std::int32_t sample = 0, time = 0;
  whole = states.ReadI32(sample) && whole;
  whole = states.ReadI32(time) && whole;
  return whole ? time : -1;
}

char* TFComtrade::WriteStateUNI(char* out) const {
  // The words in memory are their little-endian bytes.
  static_assert(std::endian::native == std::endian::little);
  const std::size_t bytes = 2 * status.words.size();
  std::memcpy(out, status.words.data(), bytes);
  return out + bytes;
}

namespace {

// The samples a state covers, given the time from its start to the next
// state's: one, and one more for each sample period that leaves at least
// kRemainderMs of it; at most `left`, the samples the analog record has left.
std::int64_t SamplesCovered(float hold, std::int64_t left) {
  std::int64_t covered = 1;
  for (hold -= kSamplePeriodMs; hold >= kRemainderMs && covered < left; hold -= kSamplePeriodMs)
    ++covered;
  return covered;
}

}  // namespace

void TFComtrade::ConvertUNI() {
  ResetDIS();
  InFile flh;
  if (!flh.Open(controls.FileListBox1.SelectedFile())) return ui_.ErrorBox(text::kFileNotFound);
  if (ParseHeaderANL(flh) != 0) return ui_.ErrorBox(text::kFileDamaged);
  if (!ReadEventsDIS()) return;  // the reader has shown why

  const std::string state_path = system_.StateFilePath();
  const PairPaths pair = PairPathsFor(paths.OutPathUNI);
  // Neither the pair nor the state file may replace one of the two records:
  // refused before anything is written.
  std::vector<std::string> outputs = pair.Files();
  outputs.push_back(state_path);
  if (WritesOverRecord(
          outputs, {controls.FileListBox1.SelectedFile(), controls.FileListBox2.SelectedFile()}))
    return ui_.ErrorBox(text::kOpenError);
  if (WriteDatDIS(state_path) != DatResult::kWritten) return;
  InFile states;
  if (!OpenOrReport(ui_, states, state_path)) return;
  std::int32_t first_sample = 0, first_time = 0;
  states.ReadI32(first_sample);
  states.ReadI32(first_time);

  // The analog record is counted again: reading the discrete record and writing
  // the state file took time, and the record may have changed meanwhile.
  const std::int64_t analog_size = flh.Size();
  if (!IsValidFlhSize(analog_size)) return ui_.ErrorBox(text::kFileDamaged);
  const std::int64_t analog_samples = SampleCountOf(analog_size);
  OutFile dat;
  if (!CreateOrReport(ui_, dat, pair.binary_dat)) return;
  flh.Seek(kHeaderSize);
  const auto words = static_cast<std::size_t>(StatusWordCount(discrete.NameCount()));

  // Writes data records first.. of the next `count` samples, each followed by
  // the current status words.
  std::int64_t written = 0;
  const auto write_samples = [&](std::int64_t first, std::int64_t count) {
    const bool whole = WriteSampleRecords(*this, flh, dat, first, count, 2 * words,
                                          [this](char* out) { return WriteStateUNI(out); });
    if (whole && dat.ok()) written = first + count - 1;
    return whole && dat.ok();
  };
  status.words.assign(words, 0);
  bool sound = write_samples(1, std::min(kLeadIn, analog_samples));

  // Each state holds for the samples its duration covers, at least one; the last
  // state covers one sample and ends the record.
  float previous = static_cast<float>(first_time);
  for (std::int64_t n = kLeadIn + 1; sound && n <= analog_samples;) {
    const float next = static_cast<float>(ReadStateUNI(states));
    if (next < 0) {
      sound = write_samples(n, 1);
      break;
    }
    const std::int64_t covered = SamplesCovered(next - previous, analog_samples - n + 1);
    previous = next;
    sound = write_samples(n, covered);
    n += covered;
  }
  states.Close();
  if (!sound && dat.ok()) {  // the analog record was cut short while being read
    dat.Abandon();
    return ui_.ErrorBox(text::kFileDamaged);
  }
  if (!FinishWritten(ui_, dat)) return;

  OutFile cfg;
  if (!CreateOrReport(ui_, cfg, pair.binary_cfg)) return;
  const std::int32_t analog_count = analog.AnalogCountANL;
  const std::int32_t digital_count = discrete.NameCount();
  cfg.Line(StationLine());
  cfg.Line(Decimal(analog_count + digital_count) + "," + Decimal(analog_count) + "A," +
           Decimal(digital_count) + "D");
  if (!WriteChannelsANL(flh, cfg)) {  // the record was cut short while being read
    cfg.Abandon();
    return ui_.ErrorBox(text::kFileDamaged);
  }
  WriteChannelsDIS(cfg, analog_count + 1);
  WriteSampledTail(cfg, written);
  if (!FinishWritten(ui_, cfg)) return;
  flh.Close();

  std::string counts;
  if (!MakeAsciiConfig(ui_, pair, &counts)) return;
  const std::int64_t channels = ReadDigitalCount(counts);
  const std::int64_t record_size =
      8 + 2 * std::int64_t{analog_count} + 2 * StatusWordCount(channels);
  const auto values = static_cast<std::size_t>(analog_count);
  const auto line_words = static_cast<std::uint64_t>(StatusWordCount(channels));
  // A line of a few hundred channels is put in one piece, a longer one in pieces.
  if (line_words <= kShortLineWords) {
    MakeAsciiData(ui_, pair, record_size, values * kValueFieldRoom + line_words * kBitFieldsRoom,
                  [this, channels, analog_count](const unsigned char* rest, char* out) {
                    out = WriteValuesANL(rest, out);
                    return PutBitsASCII(rest + 2 * analog_count, out, channels);
                  });
  } else {
    MakeAsciiData(
        ui_, pair, record_size,
        [this, channels, analog_count, values](const unsigned char* rest, OutFile& ascii) {
          ascii.Commit(WriteValuesANL(rest, ascii.Room(values * kValueFieldRoom)));
          WriteBitsASCII(rest + 2 * analog_count, ascii, channels);
        });
  }
}

}  // namespace velk
