#include "cli/cli_run.h"

#include <filesystem>
#include <system_error>

#include "app/comtrade_form.h"
#include "app/cp1251.h"
#include "cli/cli_ui.h"
#include "comtrade/file_io.h"

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

// The full path of a path of the command line; an empty path, which has none,
// stays empty and names no file.
std::filesystem::path Absolute(const std::string& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(FsPath(path), error);
  return error ? std::filesystem::path() : full;
}

// A file of the command line placed in a window list: its folder and name.
void Select(FileList& list, const std::string& path) {
  const std::filesystem::path full = Absolute(path);
  if (full.empty()) return;  // nothing selected: the header check finds no file
  list.folder =
      PathText(full.parent_path()) + static_cast<char>(std::filesystem::path::preferred_separator);
  list.selected_name = PathText(full.filename());
}

std::string FullPath(const std::string& path) {
  return PathText(Absolute(path).lexically_normal());
}

int Rejected(std::ostream& err, const std::string& label) {
  err << Cp1251ToUtf8(label) << '\n';
  return kExitHeaderRejected;
}

int Outcome(const StreamUi& ui) {
  return ui.messages() == 0 ? kExitConverted : kExitConversionFailed;
}

int Analog(TFComtrade& form, StreamUi& ui, const std::string& record, const std::string& out,
           std::ostream& err) {
  Select(form.controls.FileListBox1, record);
  form.ReadHeaderANL();
  if (!form.controls.ConvertANLButton) return Rejected(err, form.controls.DateLabel);
  form.paths.OutPathANL = FullPath(out);
  form.ConvertANL();
  return Outcome(ui);
}

int Discrete(TFComtrade& form, StreamUi& ui, const std::string& record, const std::string& out,
             std::ostream& err) {
  Select(form.controls.FileListBox2, record);
  form.ReadHeaderDIS();
  if (!form.controls.ConvertDISButton) return Rejected(err, form.controls.DateLabelDIS);
  form.paths.OutPathDIS = FullPath(out);
  form.ConvertDIS();
  return Outcome(ui);
}

// The two records start at one moment: month, day, hour, minute and second
// agree (the discrete record names no year).
bool SameStart(const TFComtrade& form) {
  const AnalogHeader& a = form.analog;
  const DiscreteTables& d = form.discrete;
  return a.month == d.month && a.day == d.day && a.hour == d.hour && a.minute == d.minute &&
         a.second == d.second;
}

int Combined(TFComtrade& form, StreamUi& ui, const std::string& analog_record,
             const std::string& discrete_record, const std::string& out, std::ostream& err) {
  Select(form.controls.FileListBox1, analog_record);
  Select(form.controls.FileListBox2, discrete_record);
  form.ReadHeaderANL();
  if (!form.controls.ConvertANLButton) return Rejected(err, form.controls.DateLabel);
  form.ReadHeaderDIS();
  if (!form.controls.ConvertDISButton) return Rejected(err, form.controls.DateLabelDIS);
  if (!SameStart(form)) {
    err << kMomentsDiffer << '\n';
    return kExitHeaderRejected;
  }
  form.paths.OutPathUNI = FullPath(out);
  form.ConvertUNI();
  return Outcome(ui);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, const std::string& executable_folder,
                   std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    out << kHelp;
    return kExitConverted;
  }
  StreamUi ui(err);
  CommandLineSystem system(executable_folder);
  TFComtrade form(ui, system);
  if (args.size() == 3 && args[0] == "analog") return Analog(form, ui, args[1], args[2], err);
  if (args.size() == 3 && args[0] == "discrete") return Discrete(form, ui, args[1], args[2], err);
  if (args.size() == 4 && args[0] == "combined")
    return Combined(form, ui, args[1], args[2], args[3], err);
  err << kHelp;
  return kExitUsage;
}

}  // namespace velk
