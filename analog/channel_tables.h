// The analog channels of a device type as COMTRADE channel lines, scaled from
// the calibration block at the start of the .flh file.
//
// The block holds up to three factors K1..K3 (signed 32-bit fixed point with 16
// fraction bits, stored as two little-endian words, high word first, held in
// single precision) and up to four whole numbers V1..V4 (signed 16-bit), placed
// by the family's layout:
//   L1            K1@0 K2@4 K3@8 V1@12 V2@14 V3@16    types 14, 60, 61, 70, 71, 81
//   L1 without K3 K1@0 K2@4      V1@12 V2@14          types 31, 32, 42, 52
//   L2            K1@0 K2@4      V1@8  V2@10 V3@12    type 5
//   L3            K1@0 K2@4      V1@8  V2@10 V3@12 V4@14   type 51
//   fixed         K1=K2=K3=1.0   V1@8  V2@10 V3@12    unknown types (99)
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "analog/device_types.h"
#include "analog/flh_header.h"
#include "comtrade/configuration.h"

namespace velk {

struct Calibration {
  float k1 = 1.0f, k2 = 1.0f, k3 = 1.0f;
  std::int16_t v1 = 0, v2 = 0, v3 = 0, v4 = 0;
};

// A factor from its four stored bytes: (high word * 65536 + low word) / 65536.
float FixedPointFactor(std::span<const std::uint8_t, 4> bytes);

// The calibration values of a block in the given layout.
Calibration ReadCalibration(std::span<const std::uint8_t, kCalibrationSize> block,
                            CalibrationLayout layout);

// Multipliers that scale a recorded value to mA or mV, in extended precision:
// phase K * 8 * 1.41, residual current (3I0) K * 1.41 * 8 * 0.1.
long double PhaseMultiplier(float k);
long double ResidualMultiplier(float k);

// The device type's channels as a configuration holds them, numbered from 1.
std::vector<AnalogChannelInfo> AnalogChannels(const DeviceType& type,
                                              const Calibration& calibration);

// The configuration-file lines of the device type's channels, numbered from 1,
// such as "1,Ток IA,,,mA,14.1000,0.0,0,-32767,32767,600,1,S" (code page 1251).
std::vector<std::string> AnalogChannelLines(const DeviceType& type, const Calibration& calibration);

}  // namespace velk
