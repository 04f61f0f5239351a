// The device types of VELK analog recorders, one row each: the code a record's
// header carries at offset 43, the name the window shows, the layout of the
// calibration block, and the analog channels in channel order, each with the
// sample word that carries it and what its COMTRADE channel line says. A new
// device type is one new row in device_types.cpp.
//
// A code of no row is an unknown type: its record is read as the fallback type,
// code 99, shown as "K7R", with eight channels of fixed factors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "analog/flh_header.h"

namespace velk {

// What a channel's values are: currents in mA or voltages in mV.
enum class Unit { kMilliampere, kMillivolt };
// The channel's multiplier: a phase channel scaled by K1 or K2, or the residual
// current (3I0) scaled by K3.
enum class Scale { kPhaseK1, kPhaseK2, kResidualK3 };
// The channel's primary ratio: one of V1..V4, or V2 divided by ten.
enum class Primary { kV1, kV2, kV3, kV4, kV2Div10 };

// One analog channel of a device type.
struct AnalogChannel {
  std::uint8_t word;      // the sample word w0..w7 that carries it
  std::string_view name;  // code page 1251
  Unit unit;
  Scale scale;
  Primary primary;
};

// The most analog channels of any device type.
inline constexpr std::size_t kMaxAnalogChannels = 8;

struct DeviceType {
  int code;                                 // at offset 43 of the header
  std::string_view name;                    // the type as the window shows it
  CalibrationLayout layout;                 // where the calibration values lie
  std::span<const AnalogChannel> channels;  // channels 1..A
  // Taken from channels for the copy of each sample: A, and the sample word of
  // channels 1..A.
  int analog_count;
  std::array<std::uint8_t, kMaxAnalogChannels> words;
};

// Every device type with a code of its own, in order of code.
std::span<const DeviceType> DeviceTypes();
// The type of every code without a row: code 99, "K7R".
const DeviceType& FallbackDeviceType();

// The row of a code, or nullptr for a code of no known type.
const DeviceType* FindDeviceType(int code);
// The device type of a code; unknown codes get the fallback type.
const DeviceType& DeviceTypeFor(int code);
// True iff the code has a row of its own.
inline bool IsKnownDeviceType(int code) {
  return FindDeviceType(code) != nullptr;
}

}  // namespace velk
