#include "cli/cli_run.h"

#include <iostream>

#include "cli/batch.h"
#include "cli/check_command.h"
#include "cli/cli_ui.h"
#include "cli/csv_command.h"
#include "cli/picture_command.h"
#include "combined/requests.h"
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

int Analog(const std::string& record, const std::string& out, std::ostream& err) {
  StreamReporter reporter(err);
  return StatusOf(ConvertAnalogRequest({FullPath(record), FullPath(out)}, reporter), err);
}

int Discrete(const std::string& record, const std::string& out, std::ostream& err) {
  StreamReporter reporter(err);
  return StatusOf(
      ConvertDiscreteRequest({FullPath(record), FullPath(out), CurrentYear(), {}}, reporter), err);
}

int Combined(const std::string& analog_record, const std::string& discrete_record,
             const std::string& out, std::ostream& err) {
  PrivateStateFolder state_folder;
  StreamReporter reporter(err);
  return StatusOf(
      ConvertCombinedRequest({FullPath(analog_record), FullPath(discrete_record), FullPath(out),
                              [&state_folder] { return state_folder.StateFilePath(); }},
                             reporter),
      err);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const std::string& /*executable_folder*/,
                   std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kHelp << PictureHelp() << '\n'
        << CheckHelp() << '\n'
        << CsvHelp() << '\n'
        << batch::Help();
    return kExitConverted;
  }
  if (!args.empty() && args[0] == "batch")
    return batch::RunBatch({args.begin() + 1, args.end()}, out, err,
                           &err == &std::cerr && batch::ErrorStreamIsTerminal());
  if (!args.empty() && args[0] == "check")
    return RunCheck({args.begin() + 1, args.end()}, out, err);
  if (!args.empty() && args[0] == "csv") return RunCsv({args.begin() + 1, args.end()}, err);
  if (!args.empty() && args[0] == "picture") return RunPicture({args.begin() + 1, args.end()}, err);
  if (args.size() == 3 && args[0] == "analog") return Analog(args[1], args[2], err);
  if (args.size() == 3 && args[0] == "discrete") return Discrete(args[1], args[2], err);
  if (args.size() == 4 && args[0] == "combined") return Combined(args[1], args[2], args[3], err);
  err << kHelp;
  return kExitUsage;
}

}  // namespace velk
