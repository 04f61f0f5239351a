#include "cli/cli_run.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "analog/analog_record.h"
#include "cli/batch.h"
#include "cli/cli_ui.h"
#include "combined/combined.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "comtrade/number_format.h"
#include "discrete/discrete_record.h"

namespace velk {
namespace {

constexpr const char* kHelp =
    "velk-convert: записи устройств ВЕЛК в COMTRADE (IEEE C37.111-1999)\n"
    "velk-convert: VELK device records into COMTRADE (IEEE C37.111-1999)\n"
    "\n"
    "  velk-convert analog RECORD.flh OUT.cfg\n"
    "      аналоговая запись -> пара BINARY и пара ASCII\n"
    "      analog record -> a BINARY and an ASCII pair\n"
    "  velk-convert discrete RECORD.txt OUT.cfg\n"
    "      дискретная запись -> пара BINARY и пара ASCII\n"
    "      discrete record -> a BINARY and an ASCII pair\n"
    "  velk-convert combined RECORD.flh RECORD.txt OUT.cfg\n"
    "      обе записи одного момента пуска -> одна пара\n"
    "      both records of one start moment -> one pair\n"
    "\n"
    "Рядом с OUT.cfg пишутся OUT.dat, OUTASCII.cfg и OUTASCII.dat.\n"
    "OUT.dat, OUTASCII.cfg and OUTASCII.dat are written beside OUT.cfg.\n"
    "\n"
    "Код выхода / exit status:\n"
    "  0  записано / converted\n"
    "  1  ошибка преобразования / the conversion failed (messages on stderr)\n"
    "  2  запись не прошла проверку заголовка, или моменты пуска не совпадают /\n"
    "     a header check failed, or the start moments differ\n"
    "  64 неверный вызов / wrong usage\n";

constexpr const char* kMomentsDiffer =
    "Моменты пуска записей не совпадают (the records' start moments differ)";

// path made full against the current directory; empty when the file system
// cannot take it or the current directory is gone.
std::filesystem::path Absolute(const std::string& path) {
  const std::filesystem::path given = FsPath(path);
  if (given.empty() || !IsPathText(path)) return {};
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(given, error);
  return error ? std::filesystem::path() : full;
}

// A path of the command line made full against the current directory; as it
// was given when that cannot be done, so that the check or the conversion
// reports a file it cannot open.
std::string FullPath(const std::string& path) {
  const std::string full = PathText(Absolute(path).lexically_normal());
  return full.empty() ? path : full;
}

// A header check's failure: its label text on the error stream.
int Rejected(std::ostream& err, const Outcome& outcome) {
  err << Cp1251ToUtf8(MessageText(outcome)) << '\n';
  return kExitHeaderRejected;
}

int Converted(const Outcome& outcome) {
  return outcome.ok() ? kExitConverted : kExitConversionFailed;
}

int Analog(const std::string& record, const std::string& out, std::ostream& err) {
  const std::string path = FullPath(record);
  if (const AnalogHeaderCheck check = ReadAnalogHeader(path); !check.outcome.ok())
    return Rejected(err, check.outcome);
  StreamReporter reporter(err);
  return Converted(ConvertAnalog(path, FullPath(out), reporter));
}

int Discrete(const SystemServices& system, const std::string& record, const std::string& out,
             std::ostream& err) {
  const std::string path = FullPath(record);
  if (const DiscreteCheck check = CheckDiscreteRecord(path); !check.outcome.ok())
    return Rejected(err, check.outcome);
  // The record names no year: its pair bears the current one.
  StartMoment moment;
  moment.year = ZeroPaddedCut(system.CurrentYear(), 4);
  StreamReporter reporter(err);
  return Converted(ConvertDiscrete(path, FullPath(out), moment, reporter));
}

int Combined(const SystemServices& system, const std::string& analog_record,
             const std::string& discrete_record, const std::string& out, std::ostream& err) {
  const std::string analog_path = FullPath(analog_record);
  const std::string discrete_path = FullPath(discrete_record);
  const AnalogHeaderCheck analog = ReadAnalogHeader(analog_path);
  if (!analog.outcome.ok()) return Rejected(err, analog.outcome);
  const DiscreteCheck discrete = CheckDiscreteRecord(discrete_path);
  if (!discrete.outcome.ok()) return Rejected(err, discrete.outcome);
  // A part of the moment that the discrete record's start pair lacks is the
  // analog record's, as in the combined pair's time lines.
  StartMoment discrete_moment = analog.header.Moment();
  Overlay(discrete_moment, discrete.moment);
  if (!SameStartMoment(analog.header.Numbers(), NumbersOf(discrete_moment))) {
    err << kMomentsDiffer << '\n';
    return kExitHeaderRejected;
  }
  StreamReporter reporter(err);
  return Converted(ConvertCombined(
      analog_path, discrete_path, FullPath(out), [&system] { return system.StateFilePath(); },
      reporter));
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const std::string& executable_folder,
                   std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kHelp << '\n' << batch::Help();
    return kExitConverted;
  }
  if (!args.empty() && args[0] == "batch")
    return batch::RunBatch({args.begin() + 1, args.end()}, out, err,
                           &err == &std::cerr && batch::ErrorStreamIsTerminal());
  if (args.size() == 3 && args[0] == "analog") return Analog(args[1], args[2], err);
  CommandLineSystem system(executable_folder);
  if (args.size() == 3 && args[0] == "discrete") return Discrete(system, args[1], args[2], err);
  if (args.size() == 4 && args[0] == "combined")
    return Combined(system, args[1], args[2], args[3], err);
  err << kHelp;
  return kExitUsage;
}

}  // namespace velk
