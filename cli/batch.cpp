#include "cli/batch.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "batch/batch_engine.h"
#include "batch/batch_files.h"
#include "batch/batch_plan.h"
#include "batch/folder_batch.h"
#include "cli/cli_texts.h"
#include "platform/platform.h"

namespace velk::batch {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kMostJobs = 1024;

constexpr std::string_view kHelp =
    "  velk-convert batch [--recursive] [--force] [--jobs N] [--report FILE.json] IN OUT\n"
    "      все записи .flh и .txt папки IN -> пары в OUT/comtrade_anl, OUT/comtrade_dis,\n"
    "      а записи одного момента пуска -> совмещенная пара в OUT/comtrade_uni\n"
    "      every .flh and .txt record of IN -> pairs in OUT/comtrade_anl, OUT/comtrade_dis,\n"
    "      and records of one start moment -> a combined pair in OUT/comtrade_uni\n"
    "      Несколько кандидатов одного момента не совмещаются, а перечисляются.\n"
    "      Several candidates of one moment are listed, not combined.\n"
    "      Уже преобразованное (OUT/velk-batch.lst) не преобразуется снова, а чужие\n"
    "      файлы не перезаписываются: занятое имя становится ИМЯ_2, ИМЯ_3 ...\n"
    "      What is up to date (OUT/velk-batch.lst) is left alone, and no other file\n"
    "      is overwritten: a taken name becomes NAME_2, NAME_3 ...\n"
    "      --recursive  и вложенные папки / subfolders too\n"
    "      --force      преобразовать заново и то, что уже преобразовано /\n"
    "                   convert again what is up to date\n"
    "      --jobs N     N преобразований сразу (по умолчанию по числу ядер) /\n"
    "                   N conversions at once (default: one per core)\n"
    "      --report F   итог в файл JSON / the summary as a JSON file\n"
    "      и параметры формата вывода (см. ниже) / and the output form options (below)\n"
    "      Код выхода / exit status:\n"
    "        0  все записи преобразованы / every record converted or up to date\n"
    "        1  запись пропущена или не преобразована / a record skipped or failed\n"
    "        2  ничего не преобразовано: ни одна запись не прочитана или в папку OUT\n"
    "           не записать / nothing converted: no record could be read, or OUT\n"
    "           takes no file\n"
    "        64 неверный вызов / wrong usage\n";

constexpr std::string_view kNoFolder = "Папка не найдена (folder not found): ";
constexpr std::string_view kReportNotWritten = "Ошибка записи файла (cannot write the report): ";
constexpr std::string_view kReportIsRecord =
    "Отчет не записан поверх записи (the report would replace a record): ";

constexpr std::array<std::string_view, 3> kKindNames = {"analog", "discrete", "combined"};
constexpr std::array<std::string_view, 4> kOutcomeNames = {"converted", "up to date", "failed",
                                                           "not started"};

struct Options {
  std::string in, out, report;
  bool recursive = false, force = false, help = false;
  unsigned jobs = 0;
};

std::optional<Options> Parse(const std::vector<std::string>& args) {
  Options options;
  std::vector<std::string> folders;
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool has_value = i + 1 < args.size();
    if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
      folders.push_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--recursive" || arg == "-r") {
      options.recursive = true;
    } else if (arg == "--force") {
      options.force = true;
    } else if (arg == "--report" && has_value) {
      options.report = args[++i];
    } else if (arg == "--jobs" && has_value) {
      const std::string& n = args[++i];
      if (n.empty() || n.size() > 4 ||
          !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
      options.jobs = static_cast<unsigned>(std::stoul(n));
      if (options.jobs == 0 || options.jobs > kMostJobs) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (options.help) return options;
  if (folders.size() != 2) return std::nullopt;
  options.in = folders[0];
  options.out = folders[1];
  if (options.jobs == 0) options.jobs = std::max(1u, std::thread::hardware_concurrency());
  return options;
}

// The status the command exits with after a run that read its records folder.
int Status(const FolderResult& result) {
  const auto& records = result.records;
  const bool any_read =
      std::any_of(records.begin(), records.end(), [](const FolderRecord& r) { return r.sound; });
  if (!any_read) return kExitNothingConverted;
  return result.Skipped() > 0 || result.Count(PairOutcome::kFailed) > 0 ? kExitSomeFailed
                                                                        : kExitAllConverted;
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string text = "[";
  for (std::size_t i = 0; i < items.size(); ++i) text += (i ? ", " : "") + JsonString(items[i]);
  return text + "]";
}

// The report: the summary and every pair, as JSON.
std::string ReportJson(const FolderOptions& folders, const FolderResult& result, int status) {
  std::string skipped, ambiguous, failed, pairs;
  const auto records_of = [&](const std::vector<std::size_t>& indices) {
    std::vector<std::string> names;
    for (std::size_t i : indices) names.push_back(result.records[i].relative);
    return JsonList(names);
  };
  const auto item = [](std::string& list, const std::string& object) {
    list += (list.empty() ? "\n    " : ",\n    ") + object;
  };
  for (const FolderRecord& r : result.records)
    if (!r.sound)
      item(skipped, "{\"record\": " + JsonString(r.relative) +
                        ", \"reason\": " + JsonString(ForPerson(r.label)) + "}");
  for (const Ambiguity& group : result.ambiguous)
    item(ambiguous, "{\"start\": " + JsonString(group.start) +
                        ", \"records\": " + records_of(group.records) + "}");
  for (const FolderPair& pair : result.pairs) {
    const std::string common =
        "{\"kind\": " + JsonString(kKindNames[static_cast<std::size_t>(pair.kind)]) +
        ", \"records\": " + records_of(pair.records) + ", \"output\": " + JsonString(pair.output);
    item(pairs, common + ", \"outcome\": " +
                    JsonString(kOutcomeNames[static_cast<std::size_t>(pair.outcome)]) +
                    (pair.start_lacks_time ? ", \"start_lacks_time\": true}" : "}"));
    if (pair.outcome == PairOutcome::kFailed)
      item(failed, common + ", \"messages\": " + JsonList(pair.messages) + "}");
  }
  const auto list = [](const std::string& items) {
    return items.empty() ? std::string("[]") : "[" + items + "\n  ]";
  };
  const auto number = [](std::size_t n) { return std::to_string(n); };
  return "{\n  \"in\": " + JsonString(Text(PathOf(folders.in))) +
         ",\n  \"out\": " + JsonString(Text(PathOf(folders.out))) +
         ",\n  \"records\": " + number(result.records.size()) +
         ",\n  \"converted\": {\"analog\": " + number(result.Converted(Kind::kAnalog)) +
         ", \"discrete\": " + number(result.Converted(Kind::kDiscrete)) +
         ", \"combined\": " + number(result.Converted(Kind::kCombined)) +
         "},\n  \"up_to_date\": " + number(result.Count(PairOutcome::kUpToDate)) +
         ",\n  \"skipped\": " + list(skipped) + ",\n  \"ambiguous\": " + list(ambiguous) +
         ",\n  \"failed\": " + list(failed) +
         ",\n  \"no_partner\": {\"analog\": " + number(result.no_partner[0]) +
         ", \"discrete\": " + number(result.no_partner[1]) + "},\n  \"pairs\": " + list(pairs) +
         ",\n  \"exit_status\": " + std::to_string(status) + "\n}\n";
}

// True iff the report's path names one of the records found.
bool ReportIsRecord(const std::string& report, const FolderResult& result) {
  const fs::path path = PathOf(FullPath(report));
  return std::any_of(result.records.begin(), result.records.end(), [&](const FolderRecord& r) {
    std::error_code error;
    return fs::equivalent(path, PathOf(r.path), error);
  });
}

// The run of one velk-convert batch command over the folder batch: what it
// prints and the status it exits with.
class Command {
 public:
  Command(Options options, std::ostream& out, std::ostream& err, bool progress,
          const OutputForm& form)
      : options_(std::move(options)), out_(out), err_(err), progress_(progress), form_(form) {}

  int Go();

 private:
  FolderHooks Hooks();
  void ShowProgress(const FolderProgress& progress);
  bool WriteReport(const FolderOptions& folders, const FolderResult& result, int status) const;

  Options options_;
  std::ostream& out_;
  std::ostream& err_;
  bool progress_;
  const OutputForm& form_;
  bool progress_shown_ = false;  // a progress line is on the terminal
};

void Command::ShowProgress(const FolderProgress& progress) {
  std::string current = progress.current;
  if (current.size() > 60) current = "..." + current.substr(current.size() - 57);
  err_ << "\r\x1b[K" << progress.done << '/' << progress.total << ' ' << current << std::flush;
  progress_shown_ = true;
}

FolderHooks Command::Hooks() {
  FolderHooks hooks;
  if (!options_.report.empty())
    hooks.proceed = [this](const FolderResult& found) {
      return !ReportIsRecord(options_.report, found);
    };
  if (progress_) hooks.progress = [this](const FolderProgress& p) { ShowProgress(p); };
  return hooks;
}

bool Command::WriteReport(const FolderOptions& folders, const FolderResult& result,
                          int status) const {
  const bool written =
      WriteWhole(PathOf(FullPath(options_.report)), ReportJson(folders, result, status));
  if (!written) err_ << kReportNotWritten << options_.report << '\n';
  return written;
}

int Command::Go() {
  const FolderOptions folders{FullPath(options_.in), FullPath(options_.out), options_.recursive,
                              options_.force, options_.jobs};
  const FolderResult result = ConvertFolderInForm(folders, Hooks(), form_);
  if (progress_shown_) err_ << "\r\x1b[K" << std::flush;
  int status = kExitNothingConverted;
  if (!result.in_read) {
    err_ << kNoFolder << options_.in << '\n';
  } else if (result.stopped) {
    err_ << kReportIsRecord << options_.report << '\n';
    return kExitUsage;
  } else if (!result.list_error.empty()) {
    err_ << result.list_error << '\n';
  } else {
    status = Status(result);
    out_ << SummaryText(result);
  }
  if (!options_.report.empty() && !WriteReport(folders, result, status))
    status = std::max(status, kExitSomeFailed);
  return status;
}

}  // namespace

std::string_view Help() {
  return kHelp;
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             bool progress, const OutputForm& form) {
  const std::optional<Options> options = Parse(args);
  if (!options) {
    err << kHelp;
    return kExitUsage;
  }
  if (options->help) {
    out << kHelp;
    return kExitAllConverted;
  }
  Command command(*options, out, err, progress, form);
  return command.Go();
}

bool ErrorStreamIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace velk::batch
