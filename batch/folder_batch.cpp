// A folder of records converted in one go: the records found and checked,
// analog and discrete records paired by start moment, every pair named against
// the output folder and the list of earlier runs, then converted on threads.
#include "batch/folder_batch.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "batch/batch_engine.h"
#include "batch/batch_files.h"
#include "batch/batch_plan.h"
#include "comtrade/file_io.h"
#include "platform/platform.h"

namespace velk::batch {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCannotCreate = "Не удается создать папку (cannot create the folder): ";
// Without its list of pairs a run could not tell its own files from others' the
// next time, nor finish a pair it was stopped in: it converts nothing.
constexpr std::string_view kListNotWritten =
    "Ничего не преобразовано: в папку вывода не записать список пар velk-batch.lst "
    "(nothing converted: the list of pairs velk-batch.lst cannot be written into the "
    "output folder): ";

std::size_t IndexOf(Kind kind) {
  return static_cast<std::size_t>(kind);
}

// The record's path as the list remembers it: its file, whatever spelling of
// its folder the caller used.
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

FileState StateOf(const fs::path& file) {
  std::error_code error;
  const fs::file_status link = fs::symlink_status(file, error);
  if (error || !fs::exists(link)) return FileState::kMissing;
  if (!fs::is_regular_file(link)) return FileState::kShared;
  return fs::hard_link_count(file, error) == 1 && !error ? FileState::kPlain : FileState::kShared;
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

// The records of a pair, by their names below the records folder.
std::string RecordsText(const FolderResult& result, const FolderPair& pair) {
  std::string text;
  for (std::size_t i : pair.records)
    text += (text.empty() ? "" : " + ") + result.records[i].relative;
  return text;
}

// A pair while the run makes it, with what the list of pairs says of it.
struct Job {
  FolderPair pair;
  std::vector<std::string> identity;  // the records' full paths, as the list holds them
  std::string stamp;                  // the records' sizes and times of change
  std::string name;
};

class FolderRun {
 public:
  FolderRun(const FolderOptions& options, const FolderHooks& hooks, const OutputForm& form)
      : options_(options), hooks_(hooks), form_(form), threads_(std::max(1u, options.jobs)) {}

  FolderResult Go();

 private:
  bool Discover();
  bool IsOutputFolder(const fs::path& folder) const;
  void Check();
  void Plan();
  bool Prepare();
  void Convert();
  void ConvertOne(Job& job);
  void Finish(const Job& job);
  bool Cancelled() const { return hooks_.cancel != nullptr && hooks_.cancel->load(); }
  fs::path FolderOf(Kind kind) const { return out_folder_ / PathOf(kFolders[IndexOf(kind)]); }
  fs::path ListPath() const { return out_folder_ / PathOf(kPairListName); }

  const FolderOptions& options_;
  const FolderHooks& hooks_;
  const OutputForm& form_;
  unsigned threads_;
  fs::path in_folder_, out_folder_;
  FolderResult result_;
  std::vector<fs::path> paths_;      // of result_.records
  std::vector<StartMoment> starts_;  // of result_.records, valid when sound
  std::vector<Job> jobs_;
  std::array<std::string, 3> folder_errors_;  // per output folder: why it cannot be made
  PairList list_;
  std::unique_ptr<WritableFile> list_file_;  // claims and finished pairs, appended
  std::mutex mutex_;                         // guards list_, list_file_, done_ and progress
  std::size_t done_ = 0, total_ = 0;
};

bool FolderRun::IsOutputFolder(const fs::path& folder) const {
  for (std::size_t k = 0; k < kFolders.size(); ++k) {
    std::error_code error;
    if (fs::equivalent(folder, FolderOf(static_cast<Kind>(k)), error)) return true;
  }
  return false;
}

bool FolderRun::Discover() {
  std::vector<std::pair<FolderRecord, fs::path>> found;
  std::error_code error;
  if (!fs::is_directory(in_folder_, error)) return false;
  const auto take = [&](const fs::directory_entry& entry) {
    std::error_code kind_error;
    if (!entry.is_regular_file(kind_error)) return;
    const std::string name = Text(entry.path().filename());
    const bool analog = Folded(name).ends_with(".flh");
    if (!analog && !Folded(name).ends_with(".txt")) return;
    FolderRecord record;
    record.path = Text(entry.path());
    record.relative = Text(entry.path().lexically_relative(in_folder_).generic_u8string());
    record.analog = analog;
    found.emplace_back(std::move(record), entry.path());
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
  if (found.empty() && error) return false;
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first.relative < b.first.relative; });
  for (auto& [record, path] : found) {
    result_.records.push_back(std::move(record));
    paths_.push_back(std::move(path));
  }
  return true;
}

void FolderRun::Check() {
  starts_.resize(result_.records.size());
  ParallelFor(result_.records.size(), threads_, [&](std::size_t i) {
    FolderRecord& r = result_.records[i];
    RecordCheck check;
    try {
      check = r.analog ? CheckAnalog(Text(paths_[i])) : CheckDiscrete(Text(paths_[i]));
    } catch (const std::exception& e) {
      check = {false, e.what(), {}};
    }
    r.sound = check.ok;
    if (!check.ok) r.label = check.label;
    starts_[i] = check.start;
  });
}

// Pairs: every sound analog record, every sound discrete record, then every
// analog and discrete record that start together.
void FolderRun::Plan() {
  std::vector<std::size_t> analog, discrete;
  std::vector<StartMoment> analog_starts, discrete_starts;
  for (std::size_t i = 0; i < result_.records.size(); ++i) {
    if (!result_.records[i].sound) continue;
    (result_.records[i].analog ? analog : discrete).push_back(i);
    (result_.records[i].analog ? analog_starts : discrete_starts).push_back(starts_[i]);
  }
  const auto add = [&](Kind kind, std::vector<std::size_t> records) {
    Job job;
    job.pair.kind = kind;
    job.pair.records = std::move(records);
    jobs_.push_back(std::move(job));
  };
  for (std::size_t i : analog) add(Kind::kAnalog, {i});
  for (std::size_t i : discrete) add(Kind::kDiscrete, {i});
  const Pairing pairing = PairByStart(analog_starts, discrete_starts);
  for (const auto& [a, d] : pairing.pairs) add(Kind::kCombined, {analog[a], discrete[d]});
  for (const CandidateGroup& group : pairing.ambiguous) {
    Ambiguity ambiguity{group.start, {}};
    for (std::size_t a : group.analog) ambiguity.records.push_back(analog[a]);
    for (std::size_t d : group.discrete) ambiguity.records.push_back(discrete[d]);
    result_.ambiguous.push_back(std::move(ambiguity));
  }
  result_.no_partner = {pairing.analog_alone.size(), pairing.discrete_alone.size()};
}

// Reads the list of earlier runs and names every pair; tells which pairs are
// up to date and claims the others in the list, then makes the output folders.
// False, with nothing written, when the list cannot be kept.
bool FolderRun::Prepare() {
  list_ = ParsePairList(ReadWhole(ListPath()));
  std::vector<NameRequest> requests;
  for (Job& job : jobs_) {
    for (std::size_t i : job.pair.records) {
      job.identity.push_back(Identity(paths_[i]));
      job.stamp += (job.stamp.empty() ? "" : ";") + Stamp(paths_[i]);
    }
    // A pair written in another form is not up to date: the form is part of the stamp.
    if (!form_.IsDefault()) job.stamp += " " + FormMark(form_);
    std::string stem = Text(paths_[job.pair.records[0]].filename());
    stem.resize(stem.size() - 4);  // ".flh" or ".txt"
    if (stem.empty()) stem = "_";
    requests.push_back({std::string(kFolders[IndexOf(job.pair.kind)]), stem, job.identity});
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
  const std::vector<std::string> names = ChooseNames(requests, list_, state, form_.one_file);
  std::string claims;
  for (std::size_t j = 0; j < jobs_.size(); ++j) {
    Job& job = jobs_[j];
    job.name = names[j];
    const PairKey key{requests[j].folder, job.name};
    const auto known = list_.find(key);
    const std::vector<std::string> files = PairFileNames(job.name, form_.one_file);
    const bool whole = std::all_of(files.begin(), files.end(), [&](const std::string& file) {
      return state(key.first, file) == FileState::kPlain;
    });
    if (known != list_.end() && known->second.done && known->second.records == job.identity &&
        known->second.stamp == job.stamp && whole && !options_.force) {
      job.pair.outcome = PairOutcome::kUpToDate;
      continue;
    }
    job.pair.outcome = PairOutcome::kNotStarted;
    list_[key] = {job.identity, false, ""};
    claims += ClaimLine(key, job.identity);
  }

  // The list first: an output folder that takes no file gets no folder either.
  std::error_code error;
  const bool made = fs::create_directories(out_folder_, error);
  list_file_ = Files().NewAppendableFile(Text(ListPath()));
  if (list_file_ == nullptr || !list_file_->Append(claims.data(), claims.size())) {
    list_file_.reset();
    if (made) fs::remove(out_folder_, error);  // only while it is empty
    return false;
  }
  for (std::size_t k = 0; k < kFolders.size(); ++k) {
    const bool used = std::any_of(jobs_.begin(), jobs_.end(),
                                  [&](const Job& job) { return IndexOf(job.pair.kind) == k; });
    const fs::path folder = FolderOf(static_cast<Kind>(k));
    if (used && !fs::create_directories(folder, error) && !fs::is_directory(folder, error))
      folder_errors_[k] = std::string(kCannotCreate) + Text(folder);
  }
  return true;
}

void FolderRun::ConvertOne(Job& job) {
  FolderPair& pair = job.pair;
  const std::string& folder_error = folder_errors_[IndexOf(pair.kind)];
  if (!folder_error.empty()) {
    pair.outcome = PairOutcome::kFailed;
    pair.messages = {folder_error};
    return;
  }
  const std::string cfg = Text(FolderOf(pair.kind) / PathOf(job.name + ".cfg"));
  const std::string first = Text(paths_[pair.records[0]]);
  ConversionResult result;
  try {
    switch (pair.kind) {
      case Kind::kAnalog:
        result = ConvertAnalogRecord(first, cfg, form_);
        break;
      case Kind::kDiscrete:
        result = ConvertDiscreteRecord(first, cfg, form_);
        break;
      case Kind::kCombined:
        result = ConvertCombinedRecords(first, Text(paths_[pair.records[1]]), cfg, form_);
        break;
    }
  } catch (const std::exception& e) {
    result = {RequestResult::kFailed, "", {e.what()}};
  }
  const bool converted = result.result == RequestResult::kConverted;
  pair.outcome = converted ? PairOutcome::kConverted : PairOutcome::kFailed;
  pair.start_lacks_time = result.start_lacks_time;
  if (!result.rejected.empty()) pair.messages.push_back(ForPerson(result.rejected));
  if (result.result == RequestResult::kStartsDiffer) pair.messages.emplace_back(kMomentsDiffer);
  for (const std::string& m : result.messages) pair.messages.push_back(ForPerson(m));
}

void FolderRun::Finish(const Job& job) {
  std::lock_guard lock(mutex_);
  ++done_;
  if (job.pair.outcome == PairOutcome::kConverted) {
    const PairKey key{std::string(kFolders[IndexOf(job.pair.kind)]), job.name};
    list_[key] = {job.identity, true, job.stamp};
    const std::string line = DoneLine(key, job.identity, job.stamp);
    list_file_->Append(line.data(), line.size());
  }
  if (hooks_.progress) hooks_.progress({done_, total_, RecordsText(result_, job.pair)});
}

// Converts every pair not up to date, until the caller cancels; a pair not
// started keeps its claim, so the next run converts it under the same name.
void FolderRun::Convert() {
  std::vector<Job*> pending;
  for (Job& job : jobs_)
    if (job.pair.outcome != PairOutcome::kUpToDate) pending.push_back(&job);
  total_ = pending.size();
  ParallelFor(pending.size(), threads_, [&](std::size_t i) {
    if (Cancelled()) return;
    ConvertOne(*pending[i]);
    Finish(*pending[i]);
  });
  result_.cancelled = std::any_of(pending.begin(), pending.end(), [](const Job* job) {
    return job->pair.outcome == PairOutcome::kNotStarted;
  });
  // The list ends as one line per pair; lines of earlier runs go.
  list_file_->Close();
  list_file_.reset();
  const std::string fresh = Text(out_folder_ / PathOf(std::string(kPairListName) + ".new"));
  if (!WriteWhole(PathOf(fresh), PairListText(list_)) ||
      !Files().RenameFile(fresh, Text(ListPath())))
    Files().RemoveFile(fresh);
}

FolderResult FolderRun::Go() {
  in_folder_ = PathOf(options_.in);
  out_folder_ = PathOf(options_.out);
  result_.in_read = Discover();
  if (!result_.in_read) return std::move(result_);
  if (hooks_.proceed && !hooks_.proceed(result_)) {
    result_.stopped = true;
    return std::move(result_);
  }
  Check();
  Plan();
  if (!jobs_.empty() && !Prepare()) {
    result_.list_error = std::string(kListNotWritten) + Text(out_folder_);
    return std::move(result_);
  }
  if (!jobs_.empty()) Convert();
  for (Job& job : jobs_) {
    job.pair.output = std::string(kFolders[IndexOf(job.pair.kind)]) + "/" + job.name +
                      (form_.one_file ? ".cff" : ".cfg");
    result_.pairs.push_back(std::move(job.pair));
  }
  return std::move(result_);
}

}  // namespace

std::size_t FolderResult::Converted(Kind kind) const {
  return static_cast<std::size_t>(std::count_if(pairs.begin(), pairs.end(), [&](const auto& p) {
    return p.kind == kind && p.outcome == PairOutcome::kConverted;
  }));
}

std::size_t FolderResult::Count(PairOutcome outcome) const {
  return static_cast<std::size_t>(std::count_if(
      pairs.begin(), pairs.end(), [&](const FolderPair& p) { return p.outcome == outcome; }));
}

std::size_t FolderResult::Skipped() const {
  return static_cast<std::size_t>(std::count_if(records.begin(), records.end(),
                                                [](const FolderRecord& r) { return !r.sound; }));
}

FolderResult ConvertFolder(const FolderOptions& options, const FolderHooks& hooks) {
  return ConvertFolderInForm(options, hooks, {});
}

FolderResult ConvertFolderInForm(const FolderOptions& options, const FolderHooks& hooks,
                                 const OutputForm& form) {
  return FolderRun(options, hooks, form).Go();
}

std::string SummaryText(const FolderResult& result) {
  if (!result.list_error.empty()) return result.list_error + '\n';
  const auto number = [](std::size_t n) { return std::to_string(n); };
  std::string text = "Записей (records): " + number(result.records.size()) + '\n' +
                     "Преобразовано (converted): " + number(result.Converted(Kind::kAnalog)) +
                     " аналоговых (analog), " + number(result.Converted(Kind::kDiscrete)) +
                     " дискретных (discrete), " + number(result.Converted(Kind::kCombined)) +
                     " совмещенных (combined)\n" +
                     "Без изменений (up to date): " + number(result.Count(PairOutcome::kUpToDate)) +
                     '\n' + "Пропущено (skipped): " + number(result.Skipped()) + '\n';
  for (const FolderRecord& r : result.records)
    if (!r.sound) text += "  " + r.relative + ": " + ForPerson(r.label) + '\n';
  if (!result.ambiguous.empty()) {
    text += "Не совмещено, несколько кандидатов (not combined, several candidates): " +
            number(result.ambiguous.size()) + '\n';
    for (const Ambiguity& group : result.ambiguous) {
      text += "  " + group.start + ':';
      for (std::size_t k = 0; k < group.records.size(); ++k)
        text += (k == 0 ? " " : ", ") + result.records[group.records[k]].relative;
      text += '\n';
    }
  }
  text += "Без пары (no partner): " + number(result.no_partner[0]) + " аналоговых (analog), " +
          number(result.no_partner[1]) + " дискретных (discrete)\n";
  text += "Ошибки (failed): " + number(result.Count(PairOutcome::kFailed)) + '\n';
  for (const FolderPair& pair : result.pairs) {
    if (pair.outcome != PairOutcome::kFailed) continue;
    text += "  " + RecordsText(result, pair) + " -> " + pair.output + ':';
    for (std::size_t k = 0; k < pair.messages.size(); ++k)
      text += (k == 0 ? " " : "; ") + pair.messages[k];
    text += '\n';
  }
  const auto lacks_time = [](const FolderPair& pair) { return pair.start_lacks_time; };
  if (const auto count = std::count_if(result.pairs.begin(), result.pairs.end(), lacks_time)) {
    text += "Без времени пуска, начало в 00:00:00 (no start time, starting at 00:00:00): " +
            number(static_cast<std::size_t>(count)) + '\n';
    for (const FolderPair& pair : result.pairs)
      if (pair.start_lacks_time)
        text += "  " + RecordsText(result, pair) + " -> " + pair.output + '\n';
  }
  if (result.cancelled)
    text += "Отменено, не начато (cancelled, not started): " +
            number(result.Count(PairOutcome::kNotStarted)) + '\n';
  return text;
}

}  // namespace velk::batch
