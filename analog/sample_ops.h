// The per-sample operations of the analog record: copying a sample into a
// BINARY data record and printing a record's values as ASCII text. They run for
// every one of a record's millions of samples, so they are defined here, where
// the conversion loops compile them in place.
#pragma once

#include <algorithm>
#include <cstring>

#include "analog/flh_header.h"
#include "app/comtrade_form.h"
#include "comtrade/data_text.h"
#include "comtrade/file_io.h"

namespace velk {

// The time stamp and the channels of the device type of one sample, as they
// follow the sample number in a data record; returns the end of what it put.
inline char* PutSampleANL(char* out, const unsigned char* sample, const DeviceType& type) {
  OutFile::PutI32(out, 0);  // time stamp: the sample rate gives every sample's time
  out += 4;
  for (std::size_t channel = 0; channel < static_cast<std::size_t>(type.analog_count); ++channel) {
    std::memcpy(out, sample + 2 * type.words[channel], 2);  // little-endian in and out
    out += 2;
  }
  return out;
}

inline bool TFComtrade::WriteSampleANL(InFile& flh, OutFile& dat) {
  const unsigned char* sample = flh.Take(kSampleSize);
  if (sample == nullptr) return false;
  const DeviceType& type = DeviceTypeFor(analog.DeviceTypeANL);
  dat.Commit(PutSampleANL(dat.Room(4 + 2 * kMaxAnalogChannels), sample, type));
  return true;
}

inline bool TFComtrade::WriteSamplesANL(InFile& flh, OutFile& dat, std::int64_t samples) {
  // Samples are taken and written some thousand at a time, which keeps the loop
  // over them free of any check.
  constexpr std::int64_t kBatch = 1024;
  const DeviceType type = DeviceTypeFor(analog.DeviceTypeANL);
  const std::size_t record = 8 + 2 * static_cast<std::size_t>(type.analog_count);
  for (std::int64_t first = 1; first <= samples && dat.ok(); first += kBatch) {
    const auto batch = static_cast<std::size_t>(std::min(kBatch, samples - first + 1));
    const unsigned char* sample = flh.Take(batch * kSampleSize);
    if (sample == nullptr) return false;
    char* out = dat.Room(batch * record);
    for (std::size_t i = 0; i < batch; ++i, sample += kSampleSize) {
      OutFile::PutI32(out, static_cast<std::int32_t>(first + static_cast<std::int64_t>(i)));
      out = PutSampleANL(out + 4, sample, type);
    }
    dat.Commit(out);
  }
  return true;
}

inline char* TFComtrade::WriteValuesANL(const unsigned char* values, char* out) const {
  return PutValueFields(out, values, static_cast<std::size_t>(analog.AnalogCountANL));
}

}  // namespace velk
