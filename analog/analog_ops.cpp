// The analog record's header: parser, header check and channel lines.
#include <array>

#include "analog/analog_record.h"
#include "analog/channel_tables.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"

namespace velk {

StartMoment AnalogHeader::Moment() const {
  return {ZeroPaddedCut(day, 2),  ZeroPaddedCut(month, 2),  SpacePaddedCut(year, 4),
          ZeroPaddedCut(hour, 2), ZeroPaddedCut(minute, 2), ZeroPaddedCut(second, 2)};
}

std::string DeviceTypeText(const AnalogHeader& header) {
  return std::string(DeviceTypeFor(header.code).name);
}

bool ParseHeaderANL(InFile& flh, AnalogHeader& header) {
  std::array<std::uint8_t, kNameLength> name{};
  if (!flh.Seek(kNameOffset) || !flh.ReadExact(name.data(), name.size())) return false;
  if (!IsValidFlhSize(flh.Size())) return false;
  std::array<std::uint8_t, 8> moment{};
  if (!flh.Seek(kMomentOffset) || !flh.ReadExact(moment.data(), moment.size())) return false;

  header.StationNameANL = StationName(name);
  header.year = 2000 + DecodeBcd(moment[0]);
  header.month = DecodeBcd(moment[1]);
  header.day = DecodeBcd(moment[2]);
  header.hour = DecodeBcd(moment[4]);
  header.minute = DecodeBcd(moment[5]);
  header.second = DecodeBcd(moment[6]);
  header.code = static_cast<std::int8_t>(moment[7]);
  header.DeviceTypeANL = IsKnownDeviceType(header.code) ? header.code : kFallbackDeviceType;
  header.AnalogCountANL = DeviceTypeFor(header.DeviceTypeANL).analog_count;
  return true;
}

AnalogHeaderCheck ReadAnalogHeader(const std::string& path) {
  AnalogHeaderCheck check;
  InFile flh;
  if (!flh.Open(path)) {
    check.outcome = {Failure::kNotFound, path};
  } else if (!ParseHeaderANL(flh, check.header)) {
    check.outcome = {Failure::kDamaged, path};
  }
  return check;
}

bool ReadChannelsANL(InFile& flh, const AnalogHeader& header, Configuration& cfg) {
  std::array<std::uint8_t, kCalibrationSize> block{};
  if (!flh.Seek(0) || !flh.ReadExact(block.data(), block.size())) return false;
  const DeviceType& type = DeviceTypeFor(header.DeviceTypeANL);
  cfg.analog = AnalogChannels(type, ReadCalibration(block, type.layout));
  return true;
}

}  // namespace velk
