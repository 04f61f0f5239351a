#include "cli/csv_command.h"

#include <charconv>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/cli_ui.h"
#include "combined/requests.h"
#include "comtrade/ascii_case.h"
#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"
#include "platform/platform.h"

namespace velk {
namespace {

namespace t = check_texts;

constexpr std::string_view kCsvHelp =
    "  velk-convert csv SOURCE... OUT.csv [--primary|--secondary] [--excel]\n"
    "      отсчёты записи таблицей CSV (UTF-8); SOURCE: FILE.cfg, FILE.cff,\n"
    "      RECORD.flh, RECORD.txt или RECORD.flh RECORD.txt\n"
    "      the samples of a record as a CSV table (UTF-8)\n"
    "      --primary, --secondary  первичные или вторичные значения (без них:\n"
    "                 как в файле) / primary or secondary values (without\n"
    "                 either: as the file gives them)\n"
    "      --excel    для Excel: BOM, «;» и десятичная запятая /\n"
    "                 for Excel: a BOM, semicolons and decimal commas\n";

// A number in a cell: ten significant digits, a decimal comma for Excel.
char* PutNumber(char* out, double value, bool excel) {
  char* end = std::to_chars(out, out + 32, value, std::chars_format::general, 10).ptr;
  if (excel)
    for (char* c = out; c != end; ++c)
      if (*c == '.') *c = ',';
  return end;
}

// A text cell, quoted when it holds the separator, a quote or a line end,
// its quotes doubled.
std::string Cell(const std::string& text, char separator) {
  if (text.find_first_of(std::string("\"\r\n") + separator) == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

std::string_view CsvHelp() {
  return kCsvHelp;
}

bool WriteCsv(RecordReader& reader, const std::string& out_path, const CsvOptions& options) {
  OutFile out;
  if (!out.Create(out_path)) return false;
  const char separator = options.excel ? ';' : ',';
  const Configuration& c = reader.configuration();
  if (options.excel) out.Write("\xEF\xBB\xBF");
  std::string header = Cell(std::string(t::kCsvTime), separator);
  // The factor that takes each channel's a·x + b to the side asked for.
  std::vector<double> factors;
  for (const AnalogChannelInfo& a : c.analog) {
    const SideUnit side =
        options.primary ? ChannelOnSide(a, *options.primary) : SideUnit{a.unit, 1.0};
    factors.push_back(side.factor);
    std::string name = reader.Utf8(a.id);
    if (!side.unit.empty()) name += ", " + reader.Utf8(side.unit);
    header += separator + Cell(name, separator);
  }
  for (const DigitalChannelInfo& d : c.digital)
    header += separator + Cell(reader.Utf8(d.id), separator);
  out.Line(header);

  Sample sample;
  std::optional<double> first_us;
  const std::size_t room = 34 * (1 + c.analog.size()) + 2 * c.digital.size() + 2;
  while (reader.Next(sample)) {
    char* at = out.Room(room);
    if (sample.time_us) {
      if (!first_us) first_us = sample.time_us;
      at = PutNumber(at, (*sample.time_us - *first_us) / 1000.0, options.excel);
    }
    for (std::size_t k = 0; k < c.analog.size(); ++k) {
      *at++ = separator;
      if (!sample.analog_missing[k])
        at = PutNumber(at, ChannelValue(c.analog[k], sample.analog[k], false) * factors[k],
                       options.excel);
    }
    for (std::uint8_t bit : sample.digital) {
      *at++ = separator;
      *at++ = static_cast<char>('0' + bit);
    }
    *at++ = '\r';
    *at++ = '\n';
    out.Commit(at);
  }
  if (!out.Close()) {
    out.Abandon();
    return false;
  }
  return true;
}

namespace {

// Prints the errors a reader reported, as the program's other messages.
void PrintErrors(const DiagnosticList& list, std::ostream& err) {
  for (const Diagnostic& d : list.all)
    if (d.severity == Severity::kError) err << d.file << ": " << d.text << '\n';
}

int TableOf(const std::string& cfg, const std::string& out, const CsvOptions& options,
            std::ostream& err) {
  DiagnosticList list;
  RecordReader reader(list);
  if (!reader.Open(cfg)) {
    PrintErrors(list, err);
    return kExitHeaderRejected;
  }
  const bool written = WriteCsv(reader, out, options);
  PrintErrors(list, err);
  if (!written) {
    err << Cp1251ToUtf8(MessageText({Failure::kWriteError, out})) << '\n';
    return kExitConversionFailed;
  }
  return reader.failed() ? kExitHeaderRejected : kExitConverted;
}

}  // namespace

int RunCsv(const std::vector<std::string>& args, std::ostream& err) {
  CsvOptions options;
  std::vector<std::string> files;
  bool wrong = false;
  for (const std::string& arg : args) {
    if (arg == "--primary" || arg == "--secondary")
      options.primary = arg == "--primary";
    else if (arg == "--excel")
      options.excel = true;
    else if (arg.starts_with("--"))
      wrong = true;
    else
      files.push_back(arg);
  }
  if (wrong || files.size() < 2 || files.size() > 3) {
    err << kCsvHelp;
    return kExitUsage;
  }
  const std::string out = FullPath(files.back());
  const std::string& first = files[0];
  if (files.size() == 2 && (EndsWithNoCase(first, ".cfg") || EndsWithNoCase(first, ".cff")))
    return TableOf(FullPath(first), out, options, err);

  // A device record: converted into a private folder, then read as any pair.
  PrivateStateFolder pair_folder, state_folder;
  const std::string cfg = FolderOf(pair_folder.StateFilePath()) + "record.cfg";
  StreamReporter reporter(err);
  RequestOutcome done;
  if (files.size() == 2 && EndsWithNoCase(first, ".flh")) {
    done = ConvertAnalogRequest({FullPath(first), cfg}, reporter);
  } else if (files.size() == 2 && EndsWithNoCase(first, ".txt")) {
    done = ConvertDiscreteRequest({FullPath(first), cfg, CurrentYear()}, reporter);
  } else if (files.size() == 3 && EndsWithNoCase(first, ".flh") &&
             EndsWithNoCase(files[1], ".txt")) {
    done = ConvertCombinedRequest({FullPath(first), FullPath(files[1]), cfg,
                                   [&state_folder] { return state_folder.StateFilePath(); }},
                                  reporter);
  } else {
    err << kCsvHelp;
    return kExitUsage;
  }
  switch (done.result) {
    case RequestResult::kConverted:
      return TableOf(cfg, out, options, err);
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

}  // namespace velk
