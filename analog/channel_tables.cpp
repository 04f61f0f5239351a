#include "analog/channel_tables.h"

#include <string_view>

#include "comtrade/cp1251.h"
#include "comtrade/number_format.h"

namespace velk {
namespace {

enum class Unit { kMilliampere, kMillivolt };
enum class Scale { kPhaseK1, kPhaseK2, kResidualK3 };
enum class Primary { kV1, kV2, kV3, kV4, kV2Div10 };

struct ChannelSpec {
  std::string_view name;
  Unit unit;
  Scale scale;
  Primary primary;
};

constexpr auto kIA = Cp1251("Ток IA");
constexpr auto kIB = Cp1251("Ток IB");
constexpr auto kIC = Cp1251("Ток IC");
constexpr auto k3I0 = Cp1251("Ток 3I0");
constexpr auto kI = Cp1251("Ток I");
constexpr auto kIP = Cp1251("Ток IP");
constexpr auto kIAH = Cp1251("Ток IA_H");
constexpr auto kIAB = Cp1251("Ток IA_B");
constexpr auto kIBH = Cp1251("Ток IB_H");
constexpr auto kIBB = Cp1251("Ток IB_B");
constexpr auto kICH = Cp1251("Ток IC_H");
constexpr auto kICB = Cp1251("Ток IC_B");
constexpr auto kUAB = Cp1251("Напряжение UAB");
constexpr auto kUBC = Cp1251("Напряжение UBC");
constexpr auto kUCA = Cp1251("Напряжение UCA");
constexpr auto k3U0 = Cp1251("Напряжение 3U0");
constexpr auto kUA = Cp1251("Напряжение UA");
constexpr auto kUB = Cp1251("Напряжение UB");
constexpr auto kUC = Cp1251("Напряжение UC");
constexpr auto k1UA = Cp1251("Напряжение 1UA");
constexpr auto k1UB = Cp1251("Напряжение 1UB");
constexpr auto k1UC = Cp1251("Напряжение 1UC");
constexpr auto kU = Cp1251("Напряжение U");
constexpr auto kUP = Cp1251("Напряжение UP");
constexpr auto kShortUA = Cp1251("Напр UA");
constexpr auto kShortUC = Cp1251("Напр UC");

constexpr Unit mA = Unit::kMilliampere;
constexpr Unit mV = Unit::kMillivolt;
using enum Scale;
using enum Primary;

constexpr ChannelSpec kType60[] = {{kIA, mA, kPhaseK2, kV2},  {kIB, mA, kPhaseK2, kV2},
                                   {kIC, mA, kPhaseK2, kV2},  {k3I0, mA, kResidualK3, kV3},
                                   {kUAB, mV, kPhaseK1, kV1}, {kUBC, mV, kPhaseK1, kV1},
                                   {kUCA, mV, kPhaseK1, kV1}, {k3U0, mV, kPhaseK1, kV1}};
constexpr ChannelSpec kType14[] = {{kIA, mA, kPhaseK2, kV2}, {kIB, mA, kPhaseK2, kV2},
                                   {kIC, mA, kPhaseK2, kV2}, {k3I0, mA, kResidualK3, kV3},
                                   {kUA, mV, kPhaseK1, kV1}, {kUB, mV, kPhaseK1, kV1},
                                   {kUC, mV, kPhaseK1, kV1}};
constexpr ChannelSpec kType32[] = {{kIA, mA, kPhaseK2, kV2},  {kIB, mA, kPhaseK2, kV2},
                                   {kIC, mA, kPhaseK2, kV2},  {k1UA, mV, kPhaseK1, kV1},
                                   {k1UB, mV, kPhaseK1, kV1}, {k1UC, mV, kPhaseK1, kV1}};
constexpr ChannelSpec kType51[] = {{kI, mA, kPhaseK2, kV4},
                                   {kIP, mA, kPhaseK2, kV2},
                                   {kU, mV, kPhaseK1, kV3},
                                   {kUP, mV, kPhaseK1, kV1}};
constexpr ChannelSpec kType31[] = {{kI, mA, kPhaseK2, kV2}, {kU, mV, kPhaseK1, kV1}};
constexpr ChannelSpec kType5[] = {{kIAH, mA, kPhaseK1, kV2},     {kIAB, mA, kPhaseK1, kV1},
                                  {kIBH, mA, kPhaseK1, kV2},     {kIBB, mA, kPhaseK1, kV1},
                                  {kICH, mA, kPhaseK1, kV2},     {kICB, mA, kPhaseK1, kV1},
                                  {kShortUA, mV, kPhaseK2, kV3}, {kShortUC, mV, kPhaseK2, kV3}};
// Unknown device types: the factors are fixed at 1.0 and the phase currents'
// stored primary ratio is ten times too large.
constexpr ChannelSpec kFallback[] = {{k3I0, mA, kResidualK3, kV3},  {kIA, mA, kPhaseK2, kV2Div10},
                                     {kIB, mA, kPhaseK2, kV2Div10}, {kIC, mA, kPhaseK2, kV2Div10},
                                     {k3U0, mV, kPhaseK1, kV1},     {kUAB, mV, kPhaseK1, kV1},
                                     {kUBC, mV, kPhaseK1, kV1},     {kUCA, mV, kPhaseK1, kV1}};

std::span<const ChannelSpec> SpecsOf(ChannelTable table) {
  switch (table) {
    case ChannelTable::kType5:
      return kType5;
    case ChannelTable::kType14:
      return kType14;
    case ChannelTable::kType31:
      return kType31;
    case ChannelTable::kType32:
      return kType32;
    case ChannelTable::kType51:
      return kType51;
    case ChannelTable::kType60:
      return kType60;
    case ChannelTable::kFallback:
      return kFallback;
  }
  return {};
}

std::int16_t Word(std::span<const std::uint8_t, kCalibrationSize> block, std::size_t offset) {
  return static_cast<std::int16_t>(block[offset] | (block[offset + 1] << 8));
}

float Factor(std::span<const std::uint8_t, kCalibrationSize> block, std::size_t offset) {
  return FixedPointFactor(block.subspan(offset).first<4>());
}

std::string MultiplierText(Scale scale, const Calibration& c) {
  switch (scale) {
    case kPhaseK1:
      return Multiplier(PhaseMultiplier(c.k1));
    case kPhaseK2:
      return Multiplier(PhaseMultiplier(c.k2));
    case kResidualK3:
      return Multiplier(ResidualMultiplier(c.k3));
  }
  return {};
}

std::string PrimaryText(Primary primary, const Calibration& c) {
  switch (primary) {
    case kV1:
      return Decimal(c.v1);
    case kV2:
      return Decimal(c.v2);
    case kV3:
      return Decimal(c.v3);
    case kV4:
      return Decimal(c.v4);
    case kV2Div10:
      return Decimal(c.v2 / 10);  // truncated toward zero
  }
  return {};
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

std::vector<std::string> AnalogChannelLines(ChannelTable table, const Calibration& calibration) {
  std::vector<std::string> lines;
  int number = 0;
  for (const ChannelSpec& channel : SpecsOf(table)) {
    std::string line = Decimal(++number);
    line += ',';
    line += channel.name;
    line += channel.unit == Unit::kMilliampere ? ",,,mA," : ",,,mV,";
    line += MultiplierText(channel.scale, calibration);
    line += ",0.0,0,-32767,32767,";
    line += PrimaryText(channel.primary, calibration);
    line += ",1,S";
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace velk
