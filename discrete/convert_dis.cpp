// The discrete conversion: a discrete record into a COMTRADE pair of digital
// channels, one sample per distinct event time.
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/ascii_pair.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/same_file.h"
#include "discrete/record_text.h"
#include "discrete/status_words.h"

namespace velk {
namespace {

// Samples of the data file: one per run of events with the same time index.
std::int64_t SampleCount(const std::vector<DiscreteEvent>& events) {
  std::int64_t samples = 0;
  for (std::size_t i = 0; i < events.size(); ++i)
    if (i == 0 || events[i].time_index != events[i - 1].time_index) ++samples;
  return samples;
}

}  // namespace

void TFComtrade::WriteChannelsDIS(OutFile& cfg, std::int32_t first) {
  for (std::size_t e = 0; e < discrete.names.size(); ++e) {
    std::string& name = discrete.names[e];
    if (name.starts_with('~')) name[0] = ' ';  // the drop-out mark is not part of the name
    cfg.Decimal(first + static_cast<std::int64_t>(e));
    cfg.Write(",", 1);
    cfg.Write(Trim(CfgField(name)));  // the name without blanks at its ends
    cfg.Line(",,,0");
  }
}

TFComtrade::DatResult TFComtrade::WriteDatDIS(const std::string& path) {
  OutFile dat;
  if (!CreateOrReport(ui_, dat, path)) return DatResult::kNotCreated;
  status.words.assign(static_cast<std::size_t>(StatusWordCount(discrete.NameCount())), 0);
  SetInitialBits();
  const auto& events = discrete.events;
  std::int32_t sample = 0;
  for (std::size_t begin = 0; begin < events.size() && dat.ok();) {
    std::size_t end = begin + 1;
    while (end < events.size() && events[end].time_index == events[begin].time_index) ++end;
    dat.I32(++sample);
    dat.I32(discrete.times.at(static_cast<std::size_t>(events[begin].time_index)));
    ApplyEventsDIS(end - begin, end);
    WriteStatusWords(dat);
    begin = end;
  }
  return FinishWritten(ui_, dat) ? DatResult::kWritten : DatResult::kWriteFailed;
}

void TFComtrade::ConvertDIS() {
  ResetDIS();
  start.year = ZeroPaddedCut(system_.CurrentYear(), 4);
  if (!ReadEventsDIS()) return;  // the reader has shown why

  const PairPaths pair = PairPathsFor(paths.OutPathDIS);
  // A pair that would replace the record itself is refused before anything is written.
  if (WritesOverRecord(pair.Files(), {controls.FileListBox2.SelectedFile()}))
    return ui_.ErrorBox(text::kOpenError);
  OutFile cfg;
  if (!CreateOrReport(ui_, cfg, pair.binary_cfg)) return;
  const std::string count = Decimal(discrete.NameCount());
  cfg.Line(std::string(text::kDiscreteStation) + ",,1999");
  cfg.Line(count + ",0A," + count + "D");
  WriteChannelsDIS(cfg, 1);
  cfg.Line("50.0");
  cfg.Line("0");
  cfg.Line("0," + Decimal(SampleCount(discrete.events)));
  cfg.Line(TimeLine(".000000"));
  cfg.Line(TimeLine(".000000"));
  cfg.Line("BINARY");
  cfg.Line("1000");  // time stamps count milliseconds
  if (!FinishWritten(ui_, cfg)) return;

  // A data file that cannot be created is reported and the ASCII pair still
  // attempted; its derivation then reports the missing data file.
  if (WriteDatDIS(pair.binary_dat) == DatResult::kWriteFailed) return;
  std::string counts;
  if (!MakeAsciiConfig(ui_, pair, &counts)) return;
  const std::int64_t channels = ReadDigitalCount(counts);
  MakeAsciiData(ui_, pair, 8 + 2 * StatusWordCount(channels),
                [channels](const unsigned char* rest, OutFile& ascii) {
                  WriteBitsASCII(rest, ascii, channels);
                });
}

}  // namespace velk
