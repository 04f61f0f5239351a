// The per-sample operations of the analog record: copying a sample into a
// BINARY data record and printing a record's values as ASCII text. They run for
// every one of a record's millions of samples, so they are defined here, where
// the conversion loops compile them in place.
#pragma once

#include <algorithm>
#include <cstring>

#include "analog/device_types.h"
#include "analog/flh_header.h"
#include "comtrade/data_text.h"
#include "comtrade/file_io.h"

namespace velk {

// Puts what follows the sample number in a data record at out: the time stamp
// 0, then the channels of the device type from an 18-byte sample, each as its
// two bytes. Returns the end of what it put.
inline char* WriteSampleANL(const DeviceType& type, const unsigned char* sample, char* out) {
  OutFile::PutI32(out, 0);  // time stamp: the sample rate gives every sample's time
  out += 4;
  for (std::size_t channel = 0; channel < static_cast<std::size_t>(type.analog_count); ++channel) {
    std::memcpy(out, sample + 2 * type.words[channel], 2);  // little-endian in and out
    out += 2;
  }
  return out;
}

// Writes the data records of the next `count` samples of flh, numbered from
// `first`: each its number, what WriteSampleANL puts, and what put_tail(out)
// puts at out (at most tail_room bytes: the status words of a combined record).
// Samples are taken and records put up to a thousand at a time, with no check
// between them. Returns false when the analog record is cut short.
template <typename PutTail>
bool WriteSampleRecords(const DeviceType& type, InFile& flh, OutFile& dat, std::int64_t first,
                        std::int64_t count, std::size_t tail_room, PutTail&& put_tail) {
  const std::size_t room = 8 + 2 * kMaxAnalogChannels + tail_room;
  const std::int64_t most =
      std::clamp(static_cast<std::int64_t>(kBlockSize / room), std::int64_t{1}, std::int64_t{1024});
  for (std::int64_t done = 0; done < count && dat.ok();) {
    const std::int64_t batch = std::min(most, count - done);
    const auto samples = static_cast<std::size_t>(batch);
    const unsigned char* sample = flh.Take(samples * kSampleSize);
    if (sample == nullptr) return false;
    char* out = dat.Room(samples * room);
    for (std::int64_t n = first + done; n < first + done + batch; ++n, sample += kSampleSize) {
      OutFile::PutI32(out, static_cast<std::int32_t>(n));
      out = put_tail(WriteSampleANL(type, sample, out + 4));
    }
    dat.Commit(out);
    done += batch;
  }
  return true;
}

// Writes data records 1 to `samples` from the samples at the position of flh:
// each its number, then what WriteSampleANL puts. Returns false when the
// record is cut short.
inline bool WriteSamplesANL(const DeviceType& type, InFile& flh, OutFile& dat,
                            std::int64_t samples) {
  return WriteSampleRecords(type, flh, dat, 1, samples, 0, [](char* out) { return out; });
}

// Puts "," and each of the `count` analog values of a BINARY record at out
// (kValueFieldRoom bytes for each), given the record's bytes from its first
// analog value on; returns the end of what it put.
inline char* WriteValuesANL(const unsigned char* values, char* out, std::size_t count) {
  return PutValueFields(out, values, count);
}

}  // namespace velk
