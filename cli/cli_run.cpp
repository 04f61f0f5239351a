#include "cli/cli_run.h"

#include <iostream>

#include "cli/batch.h"
#include "cli/check_command.h"
#include "cli/cli_ui.h"
#include "cli/csv_command.h"
#include "cli/output_options.h"
#include "cli/picture_command.h"
#include "cli/readout_command.h"
#include "combined/path_requests.h"
#include "comtrade/cp1251.h"
#include "platform/platform.h"

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
    "  velk-convert --version\n"
    "      версия программы / the program's version\n"
    "\n"
    "Рядом с OUT.cfg пишутся OUT.dat, OUTASCII.cfg и OUTASCII.dat\n"
    "(с --cff вместо четырех файлов OUT.cff и OUTASCII.cff).\n"
    "OUT.dat, OUTASCII.cfg and OUTASCII.dat are written beside OUT.cfg\n"
    "(with --cff, OUT.cff and OUTASCII.cff in place of the four files).\n"
    "\n"
    "Код выхода / exit status:\n"
    "  0  записано / converted\n"
    "  1  ошибка преобразования / the conversion failed (messages on stderr)\n"
    "  2  запись не прошла проверку заголовка, или моменты пуска не совпадают /\n"
    "     a header check failed, or the start moments differ\n"
    "  64 неверный вызов / wrong usage\n";

// The exit status of a request, with what a person is told on the error
// stream: a rejecting check's label, or that the moments differ. The
// conversion's own failures were printed as they happened.
int StatusOf(const RequestOutcome& done, std::ostream& err) {
  switch (done.result) {
    case RequestResult::kConverted:
      return kExitConverted;
    case RequestResult::kRejected:
      err << Cp1251ToUtf8(MessageText(done.outcome)) << '\n';
      return kExitHeaderRejected;
    case RequestResult::kStartsDiffer:
      err << kMomentsDiffer << '\n';
      return kExitHeaderRejected;
    case RequestResult::kFailed:
      break;
  }
  return kExitConversionFailed;
}

int Analog(const std::string& record, const std::string& out, const OutputForm& form,
           std::ostream& err) {
  StreamReporter reporter(err);
  return StatusOf(ConvertAnalogPaths(record, out, reporter, form), err);
}

int Discrete(const std::string& record, const std::string& out, const OutputForm& form,
             std::ostream& err) {
  StreamReporter reporter(err);
  const RequestOutcome done = ConvertDiscretePaths(record, out, reporter, form);
  if (done.start_lacks_time) err << kStartLacksTime << '\n';
  return StatusOf(done, err);
}

int Combined(const std::string& analog_record, const std::string& discrete_record,
             const std::string& out, const OutputForm& form, std::ostream& err) {
  StreamReporter reporter(err);
  return StatusOf(ConvertCombinedPaths(analog_record, discrete_record, out, reporter, form), err);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const std::string& /*executable_folder*/,
                   std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kHelp << PictureHelp() << ReadoutHelp() << '\n'
        << CheckHelp() << '\n'
        << CsvHelp() << '\n'
        << batch::Help() << '\n'
        << kFormHelp;
    return kExitConverted;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out << "velk-convert " << VELK_VERSION << '\n';
    return kExitConverted;
  }
  if (!args.empty() && args[0] == "check")
    return RunCheck({args.begin() + 1, args.end()}, out, err);
  if (!args.empty() && args[0] == "csv") return RunCsv({args.begin() + 1, args.end()}, err);
  if (!args.empty() && args[0] == "picture") return RunPicture({args.begin() + 1, args.end()}, err);
  if (!args.empty() && args[0] == "readout")
    return RunReadout({args.begin() + 1, args.end()}, out, err);
  const bool converts = !args.empty() && (args[0] == "analog" || args[0] == "discrete" ||
                                          args[0] == "combined" || args[0] == "batch");
  if (!converts) {
    err << kHelp;
    return kExitUsage;
  }
  const FormOptions options =
      TakeFormOptions({args.begin() + 1, args.end()}, LocalUtcOffsetMinutes());
  if (!options.error.empty()) {
    err << options.error << '\n' << kFormHelp;
    return kExitUsage;
  }
  const std::vector<std::string>& rest = options.rest;
  const OutputForm& form = options.form;
  if (args[0] == "batch")
    return batch::RunBatch(rest, out, err, &err == &std::cerr && batch::ErrorStreamIsTerminal(),
                           form);
  if (rest.size() == 2 && args[0] == "analog") return Analog(rest[0], rest[1], form, err);
  if (rest.size() == 2 && args[0] == "discrete") return Discrete(rest[0], rest[1], form, err);
  if (rest.size() == 3 && args[0] == "combined")
    return Combined(rest[0], rest[1], rest[2], form, err);
  err << kHelp;
  return kExitUsage;
}

}  // namespace velk
