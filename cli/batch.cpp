#include "cli/batch.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "batch/batch_engine.h"
#include "batch/batch_plan.h"
#include "cli/cli_texts.h"
#include "comtrade/file_io.h"
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
    "      Код выхода / exit status:\n"
    "        0  все записи преобразованы / every record converted or up to date\n"
    "        1  запись пропущена или не преобразована / a record skipped or failed\n"
    "        2  ни одна запись не прочитана / nothing could be read\n"
    "        64 неверный вызов / wrong usage\n";

constexpr std::string_view kNoFolder = "Папка не найдена (folder not found): ";
constexpr std::string_view kCannotCreate = "Не удается создать папку (cannot create the folder): ";
constexpr std::string_view kListNotWritten =
    "Ошибка записи файла (cannot write the list of pairs): ";
constexpr std::string_view kReportNotWritten = "Ошибка записи файла (cannot write the report): ";
constexpr std::string_view kReportIsRecord =
    "Отчет не записан поверх записи (the report would replace a record): ";

enum class Kind { kAnalog, kDiscrete, kCombined };
constexpr std::array<std::string_view, 3> kFolders = {"comtrade_anl", "comtrade_dis",
                                                      "comtrade_uni"};
constexpr std::array<std::string_view, 3> kKindNames = {"analog", "discrete", "combined"};

std::size_t IndexOf(Kind kind) {
  return static_cast<std::size_t>(kind);
}

struct Options {
  std::string in, out, report;
  bool recursive = false, force = false, help = false;
  unsigned jobs = 0;
};

struct Record {
  fs::path path;
  std::string relative;  // below IN, with '/', for people and the report
  bool analog = false;
  RecordCheck check;
};

enum class Outcome { kConverted, kUpToDate, kFailed };

struct Job {
  Kind kind = Kind::kAnalog;
  std::vector<std::size_t> records;   // indices of Run::records
  std::vector<std::string> identity;  // the records' full paths, as the list holds them
  std::string stamp;                  // the records' sizes and times of change
  std::string name;
  Outcome outcome = Outcome::kFailed;
  std::vector<std::string> messages;  // UTF-8
};

// The text of a path, UTF-8 on every system.
std::string Text(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}

fs::path PathOf(std::string_view text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

// The record's path as the list remembers it: its file, whatever spelling of
// its folder the command line used.
std::string Identity(const fs::path& path) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(path, error);
  return error ? FullPath(Text(path)) : Text(canonical);
}

// Size and time of last change: a record that changed since its pair was made
// shows another stamp.
std::string Stamp(const fs::path& path) {
  std::error_code size_error, time_error;
  const auto size = fs::file_size(path, size_error);
  const auto time = fs::last_write_time(path, time_error);
  if (size_error || time_error) return "?";
  return std::to_string(size) + "@" + std::to_string(time.time_since_epoch().count());
}

// The bytes of the file at path; nothing when it cannot be read.
std::string ReadWhole(const fs::path& path) {
  InFile file;
  if (!file.Open(Text(path))) return "";
  std::string bytes(static_cast<std::size_t>(std::max<std::int64_t>(0, file.Size())), '\0');
  bytes.resize(file.Read(bytes.data(), bytes.size()));
  return bytes;
}

// Writes bytes as the whole file at path. Returns false unless every byte reached it.
bool WriteWhole(const fs::path& path, std::string_view bytes) {
  OutFile file;
  if (!file.Create(Text(path))) return false;
  file.Write(bytes);
  return file.Close();
}

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

// Runs work(0) ... work(count - 1) on up to `threads` threads, this one included.
void ParallelFor(std::size_t count, unsigned threads,
                 const std::function<void(std::size_t)>& work) {
  std::atomic<std::size_t> next{0};
  const auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) work(i);
  };
  std::vector<std::jthread> pool;
  for (std::size_t t = 1; t < std::min<std::size_t>(threads, count); ++t) pool.emplace_back(worker);
  worker();
}

class Run {
 public:
  Run(Options options, std::ostream& out, std::ostream& err, bool progress)
      : options_(std::move(options)), out_(out), err_(err), progress_(progress) {}

  int Go();

 private:
  bool Discover();
  bool IsOutputFolder(const fs::path& folder) const;
  void Check();
  void Plan();
  bool Prepare();
  void Convert();
  void ConvertOne(Job& job);
  void Finish(const Job& job);
  int Status() const;
  void Summary() const;
  bool ReportIsRecord() const;
  bool WriteReport(int status) const;
  fs::path FolderOf(Kind kind) const { return out_folder_ / PathOf(kFolders[IndexOf(kind)]); }
  std::string OutputText(const Job& job) const {
    return std::string(kFolders[IndexOf(job.kind)]) + "/" + job.name + ".cfg";
  }
  std::string RecordsText(const Job& job, std::string_view joint) const;

  Options options_;
  std::ostream& out_;
  std::ostream& err_;
  bool progress_;
  fs::path in_folder_, out_folder_;
  bool in_read_ = false;
  std::vector<Record> records_;
  std::vector<Job> jobs_;
  std::vector<std::vector<std::size_t>> ambiguous_;  // per ambiguity: its records
  std::vector<std::string> ambiguous_starts_;
  std::array<std::size_t, 2>
      no_partner_{};  // sound analog and discrete records no record agrees with
  std::array<std::string, 3> folder_errors_;  // per output folder: why it cannot be made
  PairList list_;
  std::string list_error_;                   // the message when the list cannot be written
  std::unique_ptr<WritableFile> list_file_;  // claims and finished pairs, appended
  std::mutex mutex_;  // guards list_, list_file_, done_ and the progress line
  std::size_t done_ = 0, total_ = 0;
};

bool Run::IsOutputFolder(const fs::path& folder) const {
  for (std::size_t k = 0; k < kFolders.size(); ++k) {
    std::error_code error;
    if (fs::equivalent(folder, FolderOf(static_cast<Kind>(k)), error)) return true;
  }
  return false;
}

bool Run::Discover() {
  std::error_code error;
  if (!fs::is_directory(in_folder_, error)) return false;
  const auto take = [&](const fs::directory_entry& entry) {
    std::error_code kind_error;
    if (!entry.is_regular_file(kind_error)) return;
    const std::string name = Text(entry.path().filename());
    const bool analog = Folded(name).ends_with(".flh");
    if (!analog && !Folded(name).ends_with(".txt")) return;
    Record record;
    record.path = entry.path();
    record.relative = Text(entry.path().lexically_relative(in_folder_).generic_u8string());
    record.analog = analog;
    records_.push_back(std::move(record));
  };
  const auto options = fs::directory_options::skip_permission_denied;
  if (options_.recursive) {
    fs::recursive_directory_iterator it(in_folder_, options, error), end;
    for (; !error && it != end; it.increment(error)) {
      std::error_code kind_error;
      if (it->is_directory(kind_error)) {
        if (IsOutputFolder(it->path())) it.disable_recursion_pending();
        continue;
      }
      take(*it);
    }
  } else {
    fs::directory_iterator it(in_folder_, options, error), end;
    for (; !error && it != end; it.increment(error)) take(*it);
  }
  if (records_.empty() && error) return false;
  std::sort(records_.begin(), records_.end(),
            [](const Record& a, const Record& b) { return a.relative < b.relative; });
  return true;
}

void Run::Check() {
  ParallelFor(records_.size(), options_.jobs, [&](std::size_t i) {
    Record& r = records_[i];
    try {
      r.check = r.analog ? CheckAnalog(Text(r.path)) : CheckDiscrete(Text(r.path));
    } catch (const std::exception& e) {
      r.check = {false, e.what(), {}};
    }
  });
}

// Jobs: every sound analog record, every sound discrete record, then every pair.
void Run::Plan() {
  std::vector<std::size_t> analog, discrete;
  std::vector<StartMoment> analog_starts, discrete_starts;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (!records_[i].check.ok) continue;
    (records_[i].analog ? analog : discrete).push_back(i);
    (records_[i].analog ? analog_starts : discrete_starts).push_back(records_[i].check.start);
  }
  const auto add = [&](Kind kind, std::vector<std::size_t> records) {
    Job job;
    job.kind = kind;
    job.records = std::move(records);
    jobs_.push_back(std::move(job));
  };
  for (std::size_t i : analog) add(Kind::kAnalog, {i});
  for (std::size_t i : discrete) add(Kind::kDiscrete, {i});
  const Pairing pairing = PairByStart(analog_starts, discrete_starts);
  for (const auto& [a, d] : pairing.pairs) add(Kind::kCombined, {analog[a], discrete[d]});
  for (const CandidateGroup& group : pairing.ambiguous) {
    std::vector<std::size_t> members;
    for (std::size_t a : group.analog) members.push_back(analog[a]);
    for (std::size_t d : group.discrete) members.push_back(discrete[d]);
    ambiguous_.push_back(std::move(members));
    ambiguous_starts_.push_back(group.start);
  }
  no_partner_ = {pairing.analog_alone.size(), pairing.discrete_alone.size()};
}

FileState StateOf(const fs::path& file) {
  std::error_code error;
  const fs::file_status link = fs::symlink_status(file, error);
  if (error || !fs::exists(link)) return FileState::kMissing;
  if (!fs::is_regular_file(link)) return FileState::kShared;
  return fs::hard_link_count(file, error) == 1 && !error ? FileState::kPlain : FileState::kShared;
}

// Makes the output folders, reads the list of earlier runs and names every
// pair; tells which pairs are up to date. False when the list cannot be kept.
bool Run::Prepare() {
  for (std::size_t k = 0; k < kFolders.size(); ++k) {
    const bool used = std::any_of(jobs_.begin(), jobs_.end(),
                                  [&](const Job& job) { return IndexOf(job.kind) == k; });
    std::error_code error;
    const fs::path folder = FolderOf(static_cast<Kind>(k));
    if (used && !fs::create_directories(folder, error) && !fs::is_directory(folder, error))
      folder_errors_[k] = std::string(kCannotCreate) + Text(folder);
  }
  const fs::path list_path = out_folder_ / PathOf(kPairListName);
  list_ = ParsePairList(ReadWhole(list_path));
  list_error_ = std::string(kListNotWritten) + Text(list_path);
  list_file_ = Files().NewAppendableFile(Text(list_path));
  if (list_file_ == nullptr) return false;

  std::vector<NameRequest> requests;
  for (Job& job : jobs_) {
    for (std::size_t i : job.records) {
      job.identity.push_back(Identity(records_[i].path));
      job.stamp += (job.stamp.empty() ? "" : ";") + Stamp(records_[i].path);
    }
    std::string stem = Text(records_[job.records[0]].path.filename());
    stem.resize(stem.size() - 4);  // ".flh" or ".txt"
    if (stem.empty()) stem = "_";
    requests.push_back({std::string(kFolders[IndexOf(job.kind)]), stem, job.identity});
  }
  // What each output folder holds, by names folded to one letter case: a file
  // that differs from a pair's file in case alone takes its place on a
  // case-folding file system.
  std::map<std::string, std::map<std::string, fs::path>> present;
  for (const std::string_view folder : kFolders) {
    auto& files = present[std::string(folder)];
    const fs::path path = out_folder_ / PathOf(folder);
    for (const FolderEntry& entry : FolderEntries(Text(path)).value_or(std::vector<FolderEntry>{}))
      files[Folded(entry.name)] = path / PathOf(entry.name);
  }
  const auto state = [&](const std::string& folder, const std::string& file) {
    const auto& files = present[folder];
    const auto it = files.find(Folded(file));
    if (it == files.end()) return FileState::kMissing;
    return Text(it->second.filename()) == file ? StateOf(it->second) : FileState::kShared;
  };
  const std::vector<std::string> names = ChooseNames(requests, list_, state);
  std::string claims;
  for (std::size_t j = 0; j < jobs_.size(); ++j) {
    Job& job = jobs_[j];
    job.name = names[j];
    const PairKey key{requests[j].folder, job.name};
    const auto known = list_.find(key);
    const std::vector<std::string> files = PairFileNames(job.name);
    const bool whole = std::all_of(files.begin(), files.end(), [&](const std::string& file) {
      return state(key.first, file) == FileState::kPlain;
    });
    if (known != list_.end() && known->second.done && known->second.records == job.identity &&
        known->second.stamp == job.stamp && whole && !options_.force) {
      job.outcome = Outcome::kUpToDate;
      continue;
    }
    list_[key] = {job.identity, false, ""};
    claims += ClaimLine(key, job.identity);
  }
  return list_file_->Append(claims.data(), claims.size());
}

std::string Run::RecordsText(const Job& job, std::string_view joint) const {
  std::string text;
  for (std::size_t i : job.records)
    text += (text.empty() ? "" : std::string(joint)) + records_[i].relative;
  return text;
}

void Run::ConvertOne(Job& job) {
  const std::string& folder_error = folder_errors_[IndexOf(job.kind)];
  if (!folder_error.empty()) {
    job.messages = {folder_error};
    return;
  }
  const std::string cfg = Text(FolderOf(job.kind) / PathOf(job.name + ".cfg"));
  const std::string first = Text(records_[job.records[0]].path);
  ConversionResult result;
  try {
    switch (job.kind) {
      case Kind::kAnalog:
        result = ConvertAnalogRecord(first, cfg);
        break;
      case Kind::kDiscrete:
        result = ConvertDiscreteRecord(first, cfg);
        break;
      case Kind::kCombined:
        result = ConvertCombinedRecords(first, Text(records_[job.records[1]].path), cfg);
        break;
    }
  } catch (const std::exception& e) {
    result = {RequestResult::kFailed, "", {e.what()}};
  }
  const bool converted = result.result == RequestResult::kConverted;
  job.outcome = converted ? Outcome::kConverted : Outcome::kFailed;
  if (!result.rejected.empty()) job.messages.push_back(ForPerson(result.rejected));
  if (result.result == RequestResult::kStartsDiffer) job.messages.emplace_back(kMomentsDiffer);
  for (const std::string& m : result.messages) job.messages.push_back(ForPerson(m));
}

void Run::Finish(const Job& job) {
  std::lock_guard lock(mutex_);
  ++done_;
  if (job.outcome == Outcome::kConverted) {
    const PairKey key{std::string(kFolders[IndexOf(job.kind)]), job.name};
    list_[key] = {job.identity, true, job.stamp};
    const std::string line = DoneLine(key, job.identity, job.stamp);
    list_file_->Append(line.data(), line.size());
  }
  if (progress_) {
    std::string current = RecordsText(job, " + ");
    if (current.size() > 60) current = "..." + current.substr(current.size() - 57);
    err_ << "\r\x1b[K" << done_ << '/' << total_ << ' ' << current << std::flush;
  }
}

void Run::Convert() {
  std::vector<Job*> pending;
  for (Job& job : jobs_)
    if (job.outcome != Outcome::kUpToDate) pending.push_back(&job);
  total_ = pending.size();
  ParallelFor(pending.size(), options_.jobs, [&](std::size_t i) {
    ConvertOne(*pending[i]);
    Finish(*pending[i]);
  });
  if (progress_ && total_ > 0) err_ << "\r\x1b[K" << std::flush;
  // The list ends as one line per pair; lines of earlier runs go.
  list_file_->Close();
  list_file_.reset();
  const std::string list_path = Text(out_folder_ / PathOf(kPairListName));
  const std::string fresh = Text(out_folder_ / PathOf(std::string(kPairListName) + ".new"));
  if (!WriteWhole(PathOf(fresh), PairListText(list_)) || !Files().RenameFile(fresh, list_path))
    Files().RemoveFile(fresh);
}

int Run::Status() const {
  const bool any_read =
      std::any_of(records_.begin(), records_.end(), [](const Record& r) { return r.check.ok; });
  if (!any_read) return kExitNothingRead;
  const bool any_skipped =
      std::any_of(records_.begin(), records_.end(), [](const Record& r) { return !r.check.ok; });
  const bool any_failed = std::any_of(
      jobs_.begin(), jobs_.end(), [](const Job& job) { return job.outcome == Outcome::kFailed; });
  return any_skipped || any_failed ? kExitSomeFailed : kExitAllConverted;
}

}  // namespace

namespace {

void Run::Summary() const {
  std::array<std::size_t, 3> converted{};
  std::size_t up_to_date = 0, failed = 0, skipped = 0;
  for (const Job& job : jobs_) {
    if (job.outcome == Outcome::kConverted) ++converted[IndexOf(job.kind)];
    if (job.outcome == Outcome::kUpToDate) ++up_to_date;
    if (job.outcome == Outcome::kFailed) ++failed;
  }
  for (const Record& r : records_) skipped += r.check.ok ? 0 : 1;
  out_ << "Записей (records): " << records_.size() << '\n'
       << "Преобразовано (converted): " << converted[0] << " аналоговых (analog), " << converted[1]
       << " дискретных (discrete), " << converted[2] << " совмещенных (combined)\n"
       << "Без изменений (up to date): " << up_to_date << '\n'
       << "Пропущено (skipped): " << skipped << '\n';
  for (const Record& r : records_)
    if (!r.check.ok) out_ << "  " << r.relative << ": " << ForPerson(r.check.label) << '\n';
  if (!ambiguous_.empty()) {
    out_ << "Не совмещено, несколько кандидатов (not combined, several candidates): "
         << ambiguous_.size() << '\n';
    for (std::size_t g = 0; g < ambiguous_.size(); ++g) {
      out_ << "  " << ambiguous_starts_[g] << ':';
      for (std::size_t k = 0; k < ambiguous_[g].size(); ++k)
        out_ << (k == 0 ? " " : ", ") << records_[ambiguous_[g][k]].relative;
      out_ << '\n';
    }
  }
  out_ << "Без пары (no partner): " << no_partner_[0] << " аналоговых (analog), " << no_partner_[1]
       << " дискретных (discrete)\n";
  out_ << "Ошибки (failed): " << failed << '\n';
  for (const Job& job : jobs_) {
    if (job.outcome != Outcome::kFailed) continue;
    out_ << "  " << RecordsText(job, " + ") << " -> " << OutputText(job) << ':';
    for (std::size_t k = 0; k < job.messages.size(); ++k)
      out_ << (k == 0 ? " " : "; ") << job.messages[k];
    out_ << '\n';
  }
}

std::string JsonList(const std::vector<std::string>& items) {
  std::string text = "[";
  for (std::size_t i = 0; i < items.size(); ++i) text += (i ? ", " : "") + JsonString(items[i]);
  return text + "]";
}

bool Run::WriteReport(int status) const {
  std::array<std::size_t, 3> converted{};
  std::size_t up_to_date = 0;
  std::string skipped, ambiguous, failed, pairs;
  const auto records_of = [&](const std::vector<std::size_t>& indices) {
    std::vector<std::string> names;
    for (std::size_t i : indices) names.push_back(records_[i].relative);
    return JsonList(names);
  };
  const auto item = [](std::string& list, const std::string& object) {
    list += (list.empty() ? "\n    " : ",\n    ") + object;
  };
  for (const Record& r : records_)
    if (!r.check.ok)
      item(skipped, "{\"record\": " + JsonString(r.relative) +
                        ", \"reason\": " + JsonString(ForPerson(r.check.label)) + "}");
  for (std::size_t g = 0; g < ambiguous_.size(); ++g)
    item(ambiguous, "{\"start\": " + JsonString(ambiguous_starts_[g]) +
                        ", \"records\": " + records_of(ambiguous_[g]) + "}");
  constexpr std::array<std::string_view, 3> kOutcomes = {"converted", "up to date", "failed"};
  for (const Job& job : jobs_) {
    if (job.outcome == Outcome::kConverted) ++converted[IndexOf(job.kind)];
    if (job.outcome == Outcome::kUpToDate) ++up_to_date;
    const std::string common = "{\"kind\": " + JsonString(kKindNames[IndexOf(job.kind)]) +
                               ", \"records\": " + records_of(job.records) +
                               ", \"output\": " + JsonString(OutputText(job));
    item(pairs, common + ", \"outcome\": " +
                    JsonString(kOutcomes[static_cast<std::size_t>(job.outcome)]) + "}");
    if (job.outcome == Outcome::kFailed)
      item(failed, common + ", \"messages\": " + JsonList(job.messages) + "}");
  }
  const auto list = [](const std::string& items) {
    return items.empty() ? std::string("[]") : "[" + items + "\n  ]";
  };
  const std::string json =
      "{\n  \"in\": " + JsonString(Text(in_folder_)) +
      ",\n  \"out\": " + JsonString(Text(out_folder_)) +
      ",\n  \"records\": " + std::to_string(records_.size()) +
      ",\n  \"converted\": {\"analog\": " + std::to_string(converted[0]) +
      ", \"discrete\": " + std::to_string(converted[1]) +
      ", \"combined\": " + std::to_string(converted[2]) +
      "},\n  \"up_to_date\": " + std::to_string(up_to_date) + ",\n  \"skipped\": " + list(skipped) +
      ",\n  \"ambiguous\": " + list(ambiguous) + ",\n  \"failed\": " + list(failed) +
      ",\n  \"no_partner\": {\"analog\": " + std::to_string(no_partner_[0]) +
      ", \"discrete\": " + std::to_string(no_partner_[1]) + "},\n  \"pairs\": " + list(pairs) +
      ",\n  \"exit_status\": " + std::to_string(status) + "\n}\n";
  const bool written = WriteWhole(PathOf(FullPath(options_.report)), json);
  if (!written) err_ << kReportNotWritten << options_.report << '\n';
  return written;
}

bool Run::ReportIsRecord() const {
  const fs::path path = PathOf(FullPath(options_.report));
  return std::any_of(records_.begin(), records_.end(), [&](const Record& r) {
    std::error_code error;
    return fs::equivalent(path, r.path, error);
  });
}

int Run::Go() {
  in_folder_ = PathOf(FullPath(options_.in));
  out_folder_ = PathOf(FullPath(options_.out));
  in_read_ = Discover();
  int status = kExitNothingRead;
  if (!in_read_) {
    err_ << kNoFolder << options_.in << '\n';
  } else {
    if (!options_.report.empty() && ReportIsRecord()) {
      err_ << kReportIsRecord << options_.report << '\n';
      return kExitUsage;
    }
    Check();
    Plan();
    if (!jobs_.empty() && !Prepare()) {
      err_ << list_error_ << '\n';
      for (Job& job : jobs_) {
        job.outcome = Outcome::kFailed;
        job.messages = {list_error_};
      }
    } else if (!jobs_.empty()) {
      Convert();
    }
    status = Status();
    Summary();
  }
  if (!options_.report.empty() && !WriteReport(status)) status = std::max(status, kExitSomeFailed);
  return status;
}

}  // namespace

std::string_view Help() {
  return kHelp;
}

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             bool progress) {
  const std::optional<Options> options = Parse(args);
  if (!options) {
    err << kHelp;
    return kExitUsage;
  }
  if (options->help) {
    out << kHelp;
    return kExitAllConverted;
  }
  Run run(*options, out, err, progress);
  return run.Go();
}

bool ErrorStreamIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace velk::batch
