// The analog conversion: one .flh record into a BINARY and an ASCII COMTRADE
// pair with the analog channels of its device type and no digital channels.
#include "analog/flh_header.h"
#include "analog/sample_ops.h"
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/ascii_pair.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/same_file.h"
#include "comtrade/text_reader.h"

namespace velk {

std::string TFComtrade::StationLine() const {
  return CfgField(analog.StationNameANL) + ",,1999";
}

std::string TFComtrade::TimeLine(std::string_view fraction) const {
  // A discrete record's start pair gives day, month and time of day as it wrote
  // them, which need not be digits.
  return CfgField(start.day) + "/" + CfgField(start.month) + "/" + CfgField(start.year) + "," +
         CfgField(start.hour) + ":" + CfgField(start.minute) + ":" + CfgField(start.second) +
         std::string(fraction);
}

void TFComtrade::WriteSampledTail(OutFile& cfg, std::int64_t samples) const {
  cfg.Line("50.0");
  cfg.Line("1");  // one sample rate
  cfg.Line("800.0," + Decimal(samples));
  cfg.Line(TimeLine(".000000"));
  cfg.Line(TimeLine(".100000"));  // the trigger, 80 samples after the first
  cfg.Line("BINARY");
  cfg.Line("1");
}

void TFComtrade::ConvertANL() {
  InFile flh;
  if (!flh.Open(controls.FileListBox1.SelectedFile())) return ui_.ErrorBox(text::kFileNotFound);
  if (ParseHeaderANL(flh) != 0) return ui_.ErrorBox(text::kFileDamaged);

  const PairPaths pair = PairPathsFor(paths.OutPathANL);
  // A pair that would replace the record itself is refused before anything is written.
  if (WritesOverRecord(pair.Files(), {controls.FileListBox1.SelectedFile()}))
    return ui_.ErrorBox(text::kOpenError);
  OutFile cfg;
  if (!CreateOrReport(ui_, cfg, pair.binary_cfg)) return;
  const std::int64_t samples = SampleCountOf(flh.Size());
  const std::string count = Decimal(analog.AnalogCountANL);
  cfg.Line(StationLine());
  cfg.Line(count + "," + count + "A,0D");
  if (!WriteChannelsANL(flh, cfg)) {
    cfg.Abandon();
    return ui_.ErrorBox(text::kFileDamaged);
  }
  WriteSampledTail(cfg, samples);
  if (!FinishWritten(ui_, cfg)) return;

  OutFile dat;
  if (!CreateOrReport(ui_, dat, pair.binary_dat)) return;
  flh.Seek(kHeaderSize);
  if (!WriteSamplesANL(flh, dat, samples)) {  // the record was cut short while being read
    dat.Abandon();
    return ui_.ErrorBox(text::kFileDamaged);
  }
  if (!FinishWritten(ui_, dat)) return;
  flh.Close();

  if (!MakeAsciiConfig(ui_, pair, nullptr)) return;
  const auto values = static_cast<std::size_t>(analog.AnalogCountANL);
  MakeAsciiData(ui_, pair, 8 + 2 * std::int64_t{analog.AnalogCountANL}, values * kValueFieldRoom,
                [this](const unsigned char* rest, char* out) { return WriteValuesANL(rest, out); });
}

}  // namespace velk
