// The configuration of a COMTRADE record: everything its .cfg file says, as one
// plain value (IEEE C37.111, revisions 1991, 1999 and 2013).
//
// Every producer of a record (the analog, discrete and combined conversions)
// fills this value and one writer turns it into the bytes of a revision and a
// text encoding; the reader turns any .cfg (or the CFG section of a .cff) back
// into it. Numbers keep the text they are written with next to their value:
// our pairs print their multipliers from extended precision, and a reader
// reports a field as the file spells it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "comtrade/start_moment.h"

namespace velk {

// The revision year a configuration file is written after.
enum class Revision { k1991, k1999, k2013 };

// How the names and other texts of a record are encoded.
enum class TextEncoding { kCp1251, kUtf8, kCp866, kKoi8r, kLatin1, kGbk };

// How the data file holds each sample's values.
enum class DataFileType { kAscii, kBinary, kBinary32, kFloat32 };

// A number of a configuration line: its text without surrounding blanks, and
// the value a reader makes of it (0 when the text holds no number).
struct CfgNumber {
  std::string text;
  double value = 0.0;
  friend bool operator==(const CfgNumber&, const CfgNumber&) = default;
};

// One analog channel line:
// An,ch_id,ph,ccbm,uu,a,b,skew,min,max,primary,secondary,PS
// (1991 lines end after max).
struct AnalogChannelInfo {
  std::int64_t index = 0;
  std::string id, phase, circuit, unit;
  CfgNumber a, b, skew, min, max, primary, secondary;
  std::string ps;  // "P" or "S": which side the values a·x + b are on
  friend bool operator==(const AnalogChannelInfo&, const AnalogChannelInfo&) = default;
};

// One digital (status) channel line: Dn,ch_id,ph,ccbm,y (1991: Dn,ch_id,y).
struct DigitalChannelInfo {
  std::int64_t index = 0;
  std::string id, phase, circuit;
  CfgNumber normal;  // the state of the input when the primary apparatus is at rest
  friend bool operator==(const DigitalChannelInfo&, const DigitalChannelInfo&) = default;
};

// One sample-rate line: samp,endsamp.
struct SampleRate {
  CfgNumber rate;  // samples a second; 0 when the times come from the stamps
  std::int64_t last_sample = 0;
  friend bool operator==(const SampleRate&, const SampleRate&) = default;
};

// A time line: dd/mm/yyyy,hh:mm:ss.ssssss (1991: mm/dd/yy). `text` holds the
// six fields as written (a discrete record's start pair need not hold digits),
// `fraction` the digits after the seconds' point. The numbers are what a
// reader made of them; `valid` is false when they are no date and time.
struct CfgMoment {
  StartMoment text;
  std::string fraction;
  bool valid = false;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  std::int64_t nanoseconds = 0;  // into the minute: the seconds and the fraction
  friend bool operator==(const CfgMoment&, const CfgMoment&) = default;
};

// The lines a configuration file of revision 2013 adds after the time multiplier.
struct TimeCodes {
  std::string time_code;    // the recording's offset from UTC, such as "+3" or "-5h30"
  std::string local_code;   // the local time's offset from UTC
  std::string tmq_code;     // the quality of the recorder's clock (a hexadecimal digit)
  std::string leap_second;  // 0 none, 1 added, 2 subtracted, 3 the clock cannot tell
  friend bool operator==(const TimeCodes&, const TimeCodes&) = default;
};

struct Configuration {
  std::string station;           // station_name
  std::string recording_device;  // rec_dev_id
  Revision revision = Revision::k1999;
  std::string revision_text = "1999";             // the rev_year field as written
  TextEncoding encoding = TextEncoding::kCp1251;  // of every text field above and below

  std::vector<AnalogChannelInfo> analog;
  std::vector<DigitalChannelInfo> digital;

  CfgNumber line_frequency{"50.0", 50.0};
  // Every samp,endsamp line. A record whose times come from its stamps has
  // nrates 0 and one line "0,endsamp" (endsamp: its number of samples): one
  // rate of value 0, for which the nrates line reads "0".
  std::vector<SampleRate> rates;

  CfgMoment start;    // the time of the first sample
  CfgMoment trigger;  // the time of the trigger

  DataFileType file_type = DataFileType::kBinary;
  CfgNumber time_multiplier{"1", 1.0};

  std::optional<TimeCodes> time_codes;  // revision 2013 only

  friend bool operator==(const Configuration&, const Configuration&) = default;
};

}  // namespace velk
