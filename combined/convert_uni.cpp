// The combined conversion: an analog and a discrete record of one start moment
// merged into one COMTRADE pair, the discrete states laid onto the analog
// sample grid (800 a second, 1.25 ms apart) after a lead-in of 78 samples.
#include <algorithm>
#include <bit>
#include <cstring>

#include "analog/analog_record.h"
#include "analog/sample_ops.h"
#include "combined/combined.h"
#include "combined/state_grid.h"
#include "comtrade/ascii_pair.h"
#include "comtrade/cfg_writer.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/same_file.h"
#include "discrete/digital_pair.h"
#include "discrete/status_words.h"

namespace velk {
namespace {

// Reads the status words of the next state record of the state file into
// status, then the following record's time. Returns that time in
// milliseconds, or -1 when the state file ends.
std::int32_t ReadStateUNI(InFile& states, StatusWords& status) {
  bool whole = true;
  for (std::uint16_t& word : status.words) whole = states.ReadU16(word) && whole;
  std::int32_t sample = 0, time = 0;
  whole = states.ReadI32(sample) && whole;
  whole = states.ReadI32(time) && whole;
  return whole ? time : -1;
}

// Puts the status words of a data record at out; returns the end of what it put.
char* WriteStateUNI(const StatusWords& status, char* out) {
  // The words in memory are their little-endian bytes.
  static_assert(std::endian::native == std::endian::little);
  const std::size_t bytes = 2 * status.words.size();
  std::memcpy(out, status.words.data(), bytes);
  return out + bytes;
}

}  // namespace

Outcome ConvertCombined(const std::string& analog_record, const std::string& discrete_record,
                        const std::string& out_cfg, const StateFileSource& state_source,
                        Reporter& next, std::optional<StartMoment>* moment,
                        std::optional<AnalogHeader>* header_read, const OutputForm& form) {
  FirstReport reporter(next);
  const auto fail = [&reporter](Failure failure, const std::string& file) {
    reporter.Report({failure, file});
    return reporter.first();
  };
  InFile flh;
  if (!flh.Open(analog_record)) return fail(Failure::kFileNotFound, analog_record);
  AnalogHeader header;
  if (!ParseHeaderANL(flh, header)) return fail(Failure::kFileDamaged, analog_record);
  if (header_read != nullptr) *header_read = header;
  // The discrete record gives day, month and time of day; the year is the analog record's.
  StartMoment start = header.Moment();
  DiscreteRecord read = ReadDiscreteRecord(discrete_record, reporter);
  Overlay(start, read.moment);
  if (moment != nullptr) *moment = start;
  if (!read.outcome.ok()) return read.outcome;  // the reader has reported why
  DiscreteTables& tables = read.tables;

  const std::string state_file = state_source();
  const PairPaths pair = PairPathsFor(out_cfg);
  // Neither the pair nor the state file may replace one of the two records:
  // refused before anything is written.
  std::vector<std::string> outputs = pair.Files();
  outputs.push_back(state_file);
  if (WritesOverRecord(outputs, {analog_record, discrete_record}))
    return fail(Failure::kOpenError, out_cfg);
  StatusWords status;
  if (WriteDatDIS(state_file, tables, status, reporter) != DatResult::kWritten)
    return reporter.first();
  InFile states;
  if (!OpenOrReport(reporter, states, state_file)) return reporter.first();
  std::int32_t first_sample = 0, first_time = 0;
  states.ReadI32(first_sample);
  states.ReadI32(first_time);

  // The analog record is counted again: reading the discrete record and writing
  // the state file took time, and the record may have changed meanwhile.
  const std::int64_t analog_size = flh.Size();
  if (!IsValidFlhSize(analog_size)) return fail(Failure::kFileDamaged, analog_record);
  const std::int64_t analog_samples = SampleCountOf(analog_size);
  OutFile dat;
  if (!CreateOrReport(reporter, dat, pair.binary_dat)) return reporter.first();
  flh.Seek(kHeaderSize);
  const auto words = static_cast<std::size_t>(StatusWordCount(tables.NameCount()));
  const DeviceType& type = DeviceTypeFor(header.DeviceTypeANL);

  // Writes data records first.. of the next `count` samples, each followed by
  // the current status words.
  std::int64_t written = 0;
  const auto write_samples = [&](std::int64_t first, std::int64_t count) {
    const bool whole =
        WriteSampleRecords(type, flh, dat, first, count, 2 * words,
                           [&status](char* out) { return WriteStateUNI(status, out); });
    if (whole && dat.ok()) written = first + count - 1;
    return whole && dat.ok();
  };
  status.words.assign(words, 0);
  const bool sound = LayStatesOnGrid(
      analog_samples, first_time, status,
      [&states](StatusWords& state) { return ReadStateUNI(states, state); }, write_samples);
  states.Close();
  if (!sound && dat.ok()) {  // the analog record was cut short while being read
    dat.Abandon();
    return fail(Failure::kFileDamaged, analog_record);
  }
  if (!FinishWritten(reporter, dat)) return reporter.first();

  OutFile cfg;
  if (!CreateOrReport(reporter, cfg, pair.binary_cfg)) return reporter.first();
  const std::int32_t analog_count = header.AnalogCountANL;
  Configuration config;
  config.station = header.StationNameANL;
  if (!ReadChannelsANL(flh, header, config)) {  // the record was cut short while being read
    cfg.Abandon();
    return fail(Failure::kFileDamaged, analog_record);
  }
  AddChannelsDIS(config, tables, analog_count + 1);
  SetTail(config, Timing::kSampled, written, start);
  ApplyForm(config, form);
  WriteConfiguration(cfg, config);
  if (!FinishWritten(reporter, cfg)) return reporter.first();
  flh.Close();

  std::string counts;
  if (!MakeAsciiConfig(reporter, pair, &counts, form.AsciiEndsWithEmptyLine()))
    return reporter.first();
  const std::int64_t channels = ReadDigitalCount(counts);
  const std::int64_t record_size =
      8 + 2 * std::int64_t{analog_count} + 2 * StatusWordCount(channels);
  const auto values = static_cast<std::size_t>(analog_count);
  const auto line_words = static_cast<std::uint64_t>(StatusWordCount(channels));
  // A line of a few hundred channels is put in one piece, a longer one in pieces.
  if (line_words <= kShortLineWords) {
    MakeAsciiData(reporter, pair, record_size,
                  values * kValueFieldRoom + line_words * kBitFieldsRoom,
                  [channels, values](const unsigned char* rest, char* out) {
                    out = WriteValuesANL(rest, out, values);
                    return PutBitsASCII(rest + 2 * values, out, channels);
                  });
  } else {
    MakeAsciiData(
        reporter, pair, record_size, [channels, values](const unsigned char* rest, OutFile& ascii) {
          ascii.Commit(WriteValuesANL(rest, ascii.Room(values * kValueFieldRoom), values));
          WriteBitsASCII(rest + 2 * values, ascii, channels);
        });
  }
  return reporter.first();
}

}  // namespace velk
