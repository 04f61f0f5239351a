// An analog record (.flh) read and converted: its header as a value, the header
// check, the channel lines of its device type and the analog conversion.
#pragma once

#include <optional>
#include <string>

#include "analog/device_types.h"
#include "analog/flh_header.h"
#include "comtrade/configuration.h"
#include "comtrade/output_form.h"
#include "comtrade/report.h"
#include "comtrade/start_moment.h"

namespace velk {

class InFile;
class OutFile;

// What the header of an analog record says.
struct AnalogHeader {
  std::string StationNameANL;  // decoded, code page 1251
  int DeviceTypeANL = 0;       // the device type code, 99 for an unknown one
  int AnalogCountANL = 0;      // analog channels of the device type
  int code = 0;                // the device type code as stored
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;

  // Day, month, hour, minute and second as "%02d", the year as "%4d", each cut
  // to its width.
  StartMoment Moment() const;
  MomentNumbers Numbers() const { return {month, day, hour, minute, second}; }
};

// The device type as the window shows it: the name of its row ("05", "60"), or
// "K7R" for a code of no known type.
std::string DeviceTypeText(const AnalogHeader& header);

// Reads the header of an open .flh file into header. Returns false, leaving
// header as it was, when the file is no header and whole samples.
bool ParseHeaderANL(InFile& flh, AnalogHeader& header);

struct AnalogHeaderCheck {
  Outcome outcome;  // kNotFound when the record cannot be opened, kDamaged when it is damaged
  AnalogHeader header;
};
// The header check of the record at path.
AnalogHeaderCheck ReadAnalogHeader(const std::string& path);

// Puts the analog channels of the header's device type into cfg, scaled from
// the calibration block at the start of flh. Returns false when it is cut short.
bool ReadChannelsANL(InFile& flh, const AnalogHeader& header, Configuration& cfg);

// Converts the analog record at path record into the pair at out_cfg (the
// BINARY .cfg; the other three files beside it). Reports "Файл не найден",
// "Файл поврежден", "Ошибка открытия файла" or "Ошибка записи файла" and stops
// at the first; returns that failure, or success. Refuses, before writing
// anything, a pair that would write over the record. When header is given it
// receives the record's header once it is read. The pair is written in form's
// revision and encoding; form.one_file is its caller's (see cff_pack.h).
Outcome ConvertAnalog(const std::string& record, const std::string& out_cfg, Reporter& reporter,
                      std::optional<AnalogHeader>* header = nullptr, const OutputForm& form = {});

}  // namespace velk
