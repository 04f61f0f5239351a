#include "analog/device_types.h"

#include <algorithm>

#include "comtrade/cp1251.h"

namespace velk {
namespace {

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
using enum CalibrationLayout;

// The channels of each device family: sample word, name, unit, multiplier, primary ratio.
constexpr AnalogChannel kType5[] = {
    {0, kIAH, mA, kPhaseK1, kV2},     {1, kIAB, mA, kPhaseK1, kV1},    {2, kIBH, mA, kPhaseK1, kV2},
    {3, kIBB, mA, kPhaseK1, kV1},     {4, kICH, mA, kPhaseK1, kV2},    {5, kICB, mA, kPhaseK1, kV1},
    {6, kShortUA, mV, kPhaseK2, kV3}, {7, kShortUC, mV, kPhaseK2, kV3}};
constexpr AnalogChannel kType14[] = {{0, kIA, mA, kPhaseK2, kV2}, {2, kIB, mA, kPhaseK2, kV2},
                                     {4, kIC, mA, kPhaseK2, kV2}, {6, k3I0, mA, kResidualK3, kV3},
                                     {1, kUA, mV, kPhaseK1, kV1}, {3, kUB, mV, kPhaseK1, kV1},
                                     {5, kUC, mV, kPhaseK1, kV1}};
constexpr AnalogChannel kType31[] = {{0, kI, mA, kPhaseK2, kV2}, {1, kU, mV, kPhaseK1, kV1}};
constexpr AnalogChannel kType32[] = {{0, kIA, mA, kPhaseK2, kV2},  {2, kIB, mA, kPhaseK2, kV2},
                                     {4, kIC, mA, kPhaseK2, kV2},  {1, k1UA, mV, kPhaseK1, kV1},
                                     {3, k1UB, mV, kPhaseK1, kV1}, {5, k1UC, mV, kPhaseK1, kV1}};
constexpr AnalogChannel kType51[] = {{0, kI, mA, kPhaseK2, kV4},
                                     {2, kIP, mA, kPhaseK2, kV2},
                                     {1, kU, mV, kPhaseK1, kV3},
                                     {3, kUP, mV, kPhaseK1, kV1}};
constexpr AnalogChannel kType60[] = {{0, kIA, mA, kPhaseK2, kV2},  {2, kIB, mA, kPhaseK2, kV2},
                                     {4, kIC, mA, kPhaseK2, kV2},  {6, k3I0, mA, kResidualK3, kV3},
                                     {1, kUAB, mV, kPhaseK1, kV1}, {3, kUBC, mV, kPhaseK1, kV1},
                                     {5, kUCA, mV, kPhaseK1, kV1}, {7, k3U0, mV, kPhaseK1, kV1}};
// Unknown device types: the factors are fixed at 1.0 and the phase currents'
// stored primary ratio is ten times too large.
constexpr AnalogChannel kFallback[] = {
    {0, k3I0, mA, kResidualK3, kV3},  {1, kIA, mA, kPhaseK2, kV2Div10},
    {2, kIB, mA, kPhaseK2, kV2Div10}, {3, kIC, mA, kPhaseK2, kV2Div10},
    {4, k3U0, mV, kPhaseK1, kV1},     {5, kUAB, mV, kPhaseK1, kV1},
    {6, kUBC, mV, kPhaseK1, kV1},     {7, kUCA, mV, kPhaseK1, kV1}};

constexpr DeviceType Row(int code, std::string_view name, CalibrationLayout layout,
                         std::span<const AnalogChannel> channels) {
  DeviceType type{code, name, layout, channels, static_cast<int>(channels.size()), {}};
  for (std::size_t c = 0; c < channels.size(); ++c) type.words.at(c) = channels[c].word;
  return type;
}

constexpr DeviceType kDeviceTypes[] = {Row(5, "05", kL2, kType5),
                                       Row(14, "14", kL1, kType14),
                                       Row(31, "31", kL1WithoutK3, kType31),
                                       Row(32, "32", kL1WithoutK3, kType32),
                                       Row(42, "42", kL1WithoutK3, kType32),
                                       Row(51, "51", kL3, kType51),
                                       Row(52, "52", kL1WithoutK3, kType32),
                                       Row(60, "60", kL1, kType60),
                                       Row(61, "61", kL1, kType60),
                                       Row(70, "70", kL1, kType60),
                                       Row(71, "71", kL1, kType60),
                                       Row(81, "81", kL1, kType60)};
constexpr DeviceType kFallbackType = Row(kFallbackDeviceType, "K7R", kFixed, kFallback);

}  // namespace

std::span<const DeviceType> DeviceTypes() {
  return kDeviceTypes;
}

const DeviceType& FallbackDeviceType() {
  return kFallbackType;
}

const DeviceType* FindDeviceType(int code) {
  const auto* end = std::end(kDeviceTypes);
  const auto* found = std::find_if(std::begin(kDeviceTypes), end,
                                   [code](const DeviceType& type) { return type.code == code; });
  return found == end ? nullptr : found;
}

const DeviceType& DeviceTypeFor(int code) {
  const DeviceType* type = FindDeviceType(code);
  return type != nullptr ? *type : kFallbackType;
}

}  // namespace velk
