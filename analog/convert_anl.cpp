// The analog conversion: one .flh record into a BINARY and an ASCII COMTRADE
// pair with the analog channels of its device type and no digital channels.
#include "analog/analog_record.h"
#include "analog/sample_ops.h"
#include "comtrade/ascii_pair.h"
#include "comtrade/cfg_writer.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/same_file.h"

namespace velk {

Outcome ConvertAnalog(const std::string& record, const std::string& out_cfg, Reporter& next,
                      std::optional<AnalogHeader>* header_read, const OutputForm& form) {
  FirstReport reporter(next);
  const auto fail = [&reporter](Failure failure, const std::string& file) {
    reporter.Report({failure, file});
    return reporter.first();
  };
  InFile flh;
  if (!flh.Open(record)) return fail(Failure::kFileNotFound, record);
  AnalogHeader header;
  if (!ParseHeaderANL(flh, header)) return fail(Failure::kFileDamaged, record);
  if (header_read != nullptr) *header_read = header;

  const PairPaths pair = PairPathsFor(out_cfg);
  // A pair that would replace the record itself is refused before anything is written.
  if (WritesOverRecord(pair.Files(), {record})) return fail(Failure::kOpenError, out_cfg);
  OutFile cfg;
  if (!CreateOrReport(reporter, cfg, pair.binary_cfg)) return reporter.first();
  const std::int64_t samples = SampleCountOf(flh.Size());
  Configuration config;
  config.station = header.StationNameANL;
  if (!ReadChannelsANL(flh, header, config)) {
    cfg.Abandon();
    return fail(Failure::kFileDamaged, record);
  }
  SetTail(config, Timing::kSampled, samples, header.Moment());
  ApplyForm(config, form);
  WriteConfiguration(cfg, config);
  if (!FinishWritten(reporter, cfg)) return reporter.first();

  OutFile dat;
  if (!CreateOrReport(reporter, dat, pair.binary_dat)) return reporter.first();
  flh.Seek(kHeaderSize);
  const DeviceType& type = DeviceTypeFor(header.DeviceTypeANL);
  if (!WriteSamplesANL(type, flh, dat, samples)) {  // the record was cut short while being read
    dat.Abandon();
    return fail(Failure::kFileDamaged, record);
  }
  if (!FinishWritten(reporter, dat)) return reporter.first();
  flh.Close();

  if (!MakeAsciiConfig(reporter, pair, nullptr, form.AsciiEndsWithEmptyLine()))
    return reporter.first();
  const auto values = static_cast<std::size_t>(header.AnalogCountANL);
  MakeAsciiData(
      reporter, pair, 8 + 2 * std::int64_t{header.AnalogCountANL}, values * kValueFieldRoom,
      [values](const unsigned char* rest, char* out) { return WriteValuesANL(rest, out, values); });
  return reporter.first();
}

}  // namespace velk
