// The discrete conversion: a discrete record into a COMTRADE pair of digital
// channels, one sample per distinct event time.
#include "comtrade/ascii_pair.h"
#include "comtrade/cfg_writer.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "comtrade/pair_paths.h"
#include "comtrade/same_file.h"
#include "discrete/digital_pair.h"
#include "discrete/record_text.h"

namespace velk {
namespace {

// The station of a discrete pair: the record names none.
constexpr auto kDiscreteStation = Cp1251("имя ячейки");

// Samples of the data file: one per run of events with the same time index.
std::int64_t SampleCount(const std::vector<DiscreteEvent>& events) {
  std::int64_t samples = 0;
  for (std::size_t i = 0; i < events.size(); ++i)
    if (i == 0 || events[i].time_index != events[i - 1].time_index) ++samples;
  return samples;
}

}  // namespace

void AddChannelsDIS(Configuration& cfg, DiscreteTables& tables, std::int32_t first) {
  cfg.digital.reserve(cfg.digital.size() + tables.names.size());
  for (std::size_t e = 0; e < tables.names.size(); ++e) {
    std::string& name = tables.names[e];
    if (name.starts_with('~')) name[0] = ' ';  // the drop-out mark is not part of the name
    DigitalChannelInfo channel;
    channel.index = first + static_cast<std::int64_t>(e);
    channel.id = std::string(Trim(CfgField(name)));  // the name without blanks at its ends
    channel.normal = NumberOf("0");
    cfg.digital.push_back(std::move(channel));
  }
}

DatResult WriteDatDIS(const std::string& path, const DiscreteTables& tables, StatusWords& status,
                      Reporter& reporter) {
  OutFile dat;
  if (!CreateOrReport(reporter, dat, path)) return DatResult::kNotCreated;
  std::int32_t sample = 0;
  ForEachStateDIS(tables, status, [&](std::int32_t time, StatusWords& state) {
    dat.I32(++sample);
    dat.I32(time);
    WriteStatusWords(state, tables.NameCount(), dat);
    return dat.ok();
  });
  return FinishWritten(reporter, dat) ? DatResult::kWritten : DatResult::kWriteFailed;
}

Outcome ConvertDiscrete(const std::string& record, const std::string& out_cfg, StartMoment& moment,
                        Reporter& next, const OutputForm& form) {
  FirstReport reporter(next);
  DiscreteRecord read = ReadDiscreteRecord(record, reporter);
  Overlay(moment, read.moment);
  if (!read.outcome.ok()) return read.outcome;  // the reader has reported why
  DiscreteTables& tables = read.tables;

  const PairPaths pair = PairPathsFor(out_cfg);
  // A pair that would replace the record itself is refused before anything is written.
  if (WritesOverRecord(pair.Files(), {record})) {
    reporter.Report({Failure::kOpenError, out_cfg});
    return reporter.first();
  }
  OutFile cfg;
  if (!CreateOrReport(reporter, cfg, pair.binary_cfg)) return reporter.first();
  Configuration config;
  config.station = std::string(kDiscreteStation.view());
  AddChannelsDIS(config, tables, 1);
  SetTail(config, Timing::kEventTimes, SampleCount(tables.events), LegalStart(moment));
  ApplyForm(config, form);
  WriteConfiguration(cfg, config);
  if (!FinishWritten(reporter, cfg)) return reporter.first();

  // A data file that cannot be created is reported and the ASCII pair still
  // attempted; its derivation then reports the missing data file.
  StatusWords status;
  if (WriteDatDIS(pair.binary_dat, tables, status, reporter) == DatResult::kWriteFailed)
    return reporter.first();
  std::string counts;
  if (!MakeAsciiConfig(reporter, pair, &counts, form.AsciiEndsWithEmptyLine()))
    return reporter.first();
  const std::int64_t channels = ReadDigitalCount(counts);
  MakeAsciiData(reporter, pair, 8 + 2 * StatusWordCount(channels),
                [channels](const unsigned char* rest, OutFile& ascii) {
                  WriteBitsASCII(rest, ascii, channels);
                });
  return reporter.first();
}

}  // namespace velk
