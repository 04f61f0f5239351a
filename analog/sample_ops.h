// The per-sample operations of the analog record: copying a sample into a
// BINARY data record and printing a record's values as ASCII text. They run for
// every one of a record's millions of samples, so they are defined here, where
// the conversion loops compile them in place.
#pragma once

#include <cstring>

#include "analog/flh_header.h"
#include "app/comtrade_form.h"
#include "comtrade/data_text.h"
#include "comtrade/file_io.h"

namespace velk {

inline bool TFComtrade::WriteSampleANL(InFile& flh, OutFile& dat) {
  const unsigned char* sample = flh.Take(kSampleSize);
  if (sample == nullptr) return false;
  const DeviceType& type = DeviceTypeFor(analog.DeviceTypeANL);
  const auto count = static_cast<std::size_t>(type.analog_count);
  char* out = dat.Room(4 + 2 * count);
  OutFile::PutI32(out, 0);  // time stamp: the sample rate gives every sample's time
  for (std::size_t channel = 0; channel < count; ++channel)  // little-endian in and out
    std::memcpy(out + 4 + 2 * channel, sample + 2 * type.words[channel], 2);
  dat.Commit(out + 4 + 2 * count);
  return true;
}

inline void TFComtrade::WriteValuesANL(const unsigned char* values, OutFile& text) {
  const auto count = static_cast<std::size_t>(analog.AnalogCountANL);
  text.Commit(PutValueFields(text.Room(count * kValueFieldRoom), values, count));
}

}  // namespace velk
