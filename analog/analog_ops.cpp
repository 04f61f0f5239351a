// The analog record operations of the window: header parser, header check and
// channel lines. The per-sample operations are in sample_ops.h.
#include <array>
#include <cstring>

#include "analog/channel_tables.h"
#include "analog/flh_header.h"
#include "app/comtrade_form.h"
#include "app/texts.h"
#include "comtrade/data_text.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"

namespace velk {

int TFComtrade::ParseHeaderANL(InFile& flh) {
  std::array<std::uint8_t, kNameLength> name{};
  const bool name_read = flh.Seek(kNameOffset) && flh.ReadExact(name.data(), name.size());
  if (name_read) analog.StationNameANL = StationName(name);
  if (!name_read || !IsValidFlhSize(flh.Size())) return 1;

  std::array<std::uint8_t, 8> moment{};
  if (!flh.Seek(kMomentOffset) || !flh.ReadExact(moment.data(), moment.size())) return 1;
  analog.year = 2000 + DecodeBcd(moment[0]);
  analog.month = DecodeBcd(moment[1]);
  analog.day = DecodeBcd(moment[2]);
  analog.hour = DecodeBcd(moment[4]);
  analog.minute = DecodeBcd(moment[5]);
  analog.second = DecodeBcd(moment[6]);
  const int code = static_cast<std::int8_t>(moment[7]);

  start.day = ZeroPaddedCut(analog.day, 2);
  start.month = ZeroPaddedCut(analog.month, 2);
  start.year = SpacePaddedCut(analog.year, 4);
  start.hour = ZeroPaddedCut(analog.hour, 2);
  start.minute = ZeroPaddedCut(analog.minute, 2);
  start.second = ZeroPaddedCut(analog.second, 2);

  controls.TipLabel = ZeroPaddedCut(code, 2);
  analog.DeviceTypeANL = code;
  if (!IsKnownDeviceType(code)) {
    controls.TipLabel = text::kFallbackDeviceType;
    analog.DeviceTypeANL = kFallbackDeviceType;
  }
  analog.AnalogCountANL = DeviceTypeFor(analog.DeviceTypeANL).analog_count;
  return 0;
}

void TFComtrade::ReadHeaderANL() {
  InFile flh;
  const bool opened = flh.Open(controls.FileListBox1.SelectedFile());
  if (!opened || ParseHeaderANL(flh) != 0) {
    controls.TipLabel = text::kNoDeviceType;
    controls.DateLabel = opened ? text::kDamaged.view() : text::kNotFound.view();
    controls.NameLabel.clear();
    controls.ConvertANLButton = false;
    return;
  }
  controls.NameLabel = analog.StationNameANL;
  controls.DateLabel = start.day + "." + start.month + "." + start.year + " " + start.hour + ":" +
                       start.minute + ":" + start.second;
  controls.ConvertANLButton = true;
}

bool TFComtrade::WriteChannelsANL(InFile& flh, OutFile& cfg) {
  std::array<std::uint8_t, kCalibrationSize> block{};
  if (!flh.Seek(0) || !flh.ReadExact(block.data(), block.size())) return false;
  const DeviceType& type = DeviceTypeFor(analog.DeviceTypeANL);
  for (const std::string& line :
       AnalogChannelLines(type.table, ReadCalibration(block, type.layout)))
    cfg.Line(line);
  return true;
}

}  // namespace velk
