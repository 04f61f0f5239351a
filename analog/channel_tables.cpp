#include "analog/channel_tables.h"

#include <string_view>

#include "comtrade/cfg_writer.h"
#include "comtrade/number_format.h"

namespace velk {
namespace {

using enum Scale;
using enum Primary;

std::int16_t Word(std::span<const std::uint8_t, kCalibrationSize> block, std::size_t offset) {
  return static_cast<std::int16_t>(block[offset] | (block[offset + 1] << 8));
}

float Factor(std::span<const std::uint8_t, kCalibrationSize> block, std::size_t offset) {
  return FixedPointFactor(block.subspan(offset).first<4>());
}

long double MultiplierOf(Scale scale, const Calibration& c) {
  switch (scale) {
    case kPhaseK1:
      return PhaseMultiplier(c.k1);
    case kPhaseK2:
      return PhaseMultiplier(c.k2);
    case kResidualK3:
      return ResidualMultiplier(c.k3);
  }
  return 0;
}

int PrimaryOf(Primary primary, const Calibration& c) {
  switch (primary) {
    case kV1:
      return c.v1;
    case kV2:
      return c.v2;
    case kV3:
      return c.v3;
    case kV4:
      return c.v4;
    case kV2Div10:
      return c.v2 / 10;  // truncated toward zero
  }
  return 0;
}

}  // namespace

float FixedPointFactor(std::span<const std::uint8_t, 4> bytes) {
  const auto high = static_cast<std::uint32_t>(bytes[0] | (bytes[1] << 8));
  const auto low = static_cast<std::uint32_t>(bytes[2] | (bytes[3] << 8));
  const auto raw = static_cast<std::int32_t>((high << 16) | low);
  return static_cast<float>(raw) / 65536.0f;
}

Calibration ReadCalibration(std::span<const std::uint8_t, kCalibrationSize> block,
                            CalibrationLayout layout) {
  Calibration c;
  if (layout != CalibrationLayout::kFixed) {
    c.k1 = Factor(block, 0);
    c.k2 = Factor(block, 4);
  }
  switch (layout) {
    case CalibrationLayout::kL1:
      c.k3 = Factor(block, 8);
      c.v1 = Word(block, 12), c.v2 = Word(block, 14), c.v3 = Word(block, 16);
      break;
    case CalibrationLayout::kL1WithoutK3:
      c.v1 = Word(block, 12), c.v2 = Word(block, 14);
      break;
    case CalibrationLayout::kL2:
    case CalibrationLayout::kFixed:
      c.v1 = Word(block, 8), c.v2 = Word(block, 10), c.v3 = Word(block, 12);
      break;
    case CalibrationLayout::kL3:
      c.v1 = Word(block, 8), c.v2 = Word(block, 10), c.v3 = Word(block, 12);
      c.v4 = Word(block, 14);
      break;
  }
  return c;
}

// The constants are double literals evaluated in extended precision, as the
// device software computes them; 1.41L would change the last digit of some.
long double PhaseMultiplier(float k) {
  return static_cast<long double>(k) * 8 * 1.41;
}

long double ResidualMultiplier(float k) {
  return static_cast<long double>(k) * 1.41 * 8 * 0.1;
}

std::vector<AnalogChannelInfo> AnalogChannels(const DeviceType& type,
                                              const Calibration& calibration) {
  std::vector<AnalogChannelInfo> channels;
  std::int64_t number = 0;
  for (const AnalogChannel& channel : type.channels) {
    AnalogChannelInfo info;
    info.index = ++number;
    info.id = std::string(channel.name);
    info.unit = channel.unit == Unit::kMilliampere ? "mA" : "mV";
    // Printed from extended precision; the value is what a reader makes of the text.
    info.a = NumberOf(Multiplier(MultiplierOf(channel.scale, calibration)));
    info.b = NumberOf("0.0");
    info.skew = NumberOf("0");
    info.min = NumberOf("-32767");
    info.max = NumberOf("32767");
    info.primary = NumberOf(Decimal(PrimaryOf(channel.primary, calibration)));
    info.secondary = NumberOf("1");
    info.ps = "S";
    channels.push_back(std::move(info));
  }
  return channels;
}

std::vector<std::string> AnalogChannelLines(const DeviceType& type,
                                            const Calibration& calibration) {
  std::vector<std::string> lines;
  for (const AnalogChannelInfo& channel : AnalogChannels(type, calibration))
    lines.push_back(AnalogLine(channel, Revision::k1999));
  return lines;
}

}  // namespace velk
