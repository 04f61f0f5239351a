#include "cli/cli_run.h"

#include <iostream>
#include <optional>
#include <string_view>

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

constexpr std::string_view kTitle =
    "velk-convert: записи устройств ВЕЛК в COMTRADE (IEEE C37.111-1999)\n"
    "velk-convert: VELK device records into COMTRADE (IEEE C37.111-1999)\n";
constexpr std::string_view kAnalogHelp =
    "  velk-convert analog RECORD.flh OUT.cfg\n"
    "      аналоговая запись -> пара BINARY и пара ASCII\n"
    "      analog record -> a BINARY and an ASCII pair\n";
constexpr std::string_view kDiscreteHelp =
    "  velk-convert discrete RECORD.txt OUT.cfg\n"
    "      дискретная запись -> пара BINARY и пара ASCII\n"
    "      discrete record -> a BINARY and an ASCII pair\n";
constexpr std::string_view kCombinedHelp =
    "  velk-convert combined RECORD.flh RECORD.txt OUT.cfg\n"
    "      обе записи одного момента пуска -> одна пара\n"
    "      both records of one start moment -> one pair\n";
constexpr std::string_view kVersionHelp =
    "  velk-convert --version\n"
    "      версия программы / the program's version\n"
    "  velk-convert COMMAND --help\n"
    "      справка одной команды / the help of one command\n";
constexpr std::string_view kPairFiles =
    "Рядом с OUT.cfg пишутся OUT.dat, OUTASCII.cfg и OUTASCII.dat\n"
    "(с --cff вместо четырех файлов OUT.cff и OUTASCII.cff).\n"
    "OUT.dat, OUTASCII.cfg and OUTASCII.dat are written beside OUT.cfg\n"
    "(with --cff, OUT.cff and OUTASCII.cff in place of the four files).\n";
constexpr std::string_view kExitStatuses =
    "Код выхода / exit status:\n"
    "  0  записано / converted\n"
    "  1  ошибка преобразования / the conversion failed (messages on stderr)\n"
    "  2  запись не прошла проверку заголовка, или моменты пуска не совпадают /\n"
    "     a header check failed, or the start moments differ\n"
    "  64 неверный вызов / wrong usage\n";

// The help of every command, as --help prints it.
std::string WholeHelp() {
  std::string help(kTitle);
  for (std::string_view part :
       {std::string_view("\n"), kAnalogHelp, kDiscreteHelp, kCombinedHelp, kVersionHelp,
        std::string_view("\n"), kPairFiles, std::string_view("\n"), kExitStatuses, PictureHelp(),
        ReadoutHelp(), std::string_view("\n"), CheckHelp(), std::string_view("\n"), CsvHelp(),
        std::string_view("\n"), batch::Help(), std::string_view("\n"), kFormHelp})
    help += part;
  return help;
}

// The help of one command; nothing for a name that is no command.
std::optional<std::string> CommandHelp(std::string_view command) {
  const auto conversion = [](std::string_view usage) {
    return std::string(usage) + "\n" + std::string(kPairFiles) + "\n" + std::string(kExitStatuses) +
           "\n" + std::string(kFormHelp);
  };
  if (command == "analog") return conversion(kAnalogHelp);
  if (command == "discrete") return conversion(kDiscreteHelp);
  if (command == "combined") return conversion(kCombinedHelp);
  if (command == "batch") return std::string(batch::Help()) + "\n" + std::string(kFormHelp);
  if (command == "picture") return std::string(PictureHelp());
  if (command == "readout") return std::string(ReadoutHelp());
  if (command == "check") return std::string(CheckHelp());
  if (command == "csv") return std::string(CsvHelp());
  return std::nullopt;
}

// True when the arguments after a command ask for its help: --help or -h
// before any "--", after which every argument is a file name.
bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

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
    out << WholeHelp();
    return kExitConverted;
  }
  if (args.size() == 1 && args[0] == "--version") {
    out << "velk-convert " << VELK_VERSION << '\n';
    return kExitConverted;
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "--version") {
    err << WholeHelp();
    return kExitUsage;
  }
  const std::optional<std::string> help = CommandHelp(args[0]);
  if (!help) {
    err << kUnknownCommand << args[0] << kSeeHelp << '\n';
    return kExitUsage;
  }
  const std::vector<std::string> command_args(args.begin() + 1, args.end());
  if (AsksForHelp(command_args)) {
    out << *help;
    return kExitConverted;
  }
  if (args[0] == "check") return RunCheck(command_args, out, err);
  if (args[0] == "csv") return RunCsv(command_args, err);
  if (args[0] == "picture") return RunPicture(command_args, err);
  if (args[0] == "readout") return RunReadout(command_args, out, err);
  const FormOptions options = TakeFormOptions(command_args, LocalUtcOffsetMinutes());
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
  err << *help;
  return kExitUsage;
}

}  // namespace velk
