// A whole folder of records converted in one go, for `velk-convert batch` and
// for the window's «Преобразовать папку…» alike.
//
// Every .flh and .txt record of the records folder (and, when recursive, of
// its subfolders, but never of the batch's own output folders) passes the
// window's header check; a record it rejects is skipped with the label text,
// such as "Поврежден7". Each sound record is converted into
// OUT/comtrade_anl/ or OUT/comtrade_dis/, and each analog and discrete record
// that velk-convert combined would convert together (StartsAgree), with no
// other candidate, into OUT/comtrade_uni/, named after the analog record. Each
// pair holds the bytes its single velk-convert command writes. Conversions run
// on `jobs` threads.
//
// Runs are remembered in OUT/velk-batch.lst: which records each pair was made
// from, and their size and time of change when it was made. A pair whose
// records are unchanged and whose four files are all present is up to date and
// left alone (force converts it again); a pair is claimed there before it is
// written, so one that never finished (a cancelled run, a full disk) is
// converted by the next run. A name that a file not made by the batch for the
// same records holds is never written over: the pair takes the next free name,
// NAME_2, NAME_3 ...
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "comtrade/output_form.h"

namespace velk::batch {

struct FolderOptions {
  std::string in;   // the records folder, a full path
  std::string out;  // the output folder, a full path
  bool recursive = false;
  bool force = false;
  unsigned jobs = 1;  // conversions at once, at least 1
};

struct FolderResult;

enum class Kind { kAnalog, kDiscrete, kCombined };
// The output folder of each kind, below OUT.
inline constexpr std::array<std::string_view, 3> kFolders = {"comtrade_anl", "comtrade_dis",
                                                             "comtrade_uni"};

struct FolderRecord {
  std::string path;      // full path
  std::string relative;  // below the records folder, with '/', UTF-8, for people
  bool analog = false;
  bool sound = false;  // passed its header check
  std::string label;   // the check's label, code page 1251 ("Поврежден7"), when not sound
};

enum class PairOutcome {
  kConverted,
  kUpToDate,
  kFailed,
  kNotStarted,  // the run was cancelled before its conversion began
};

struct FolderPair {
  Kind kind = Kind::kAnalog;
  std::vector<std::size_t> records;  // indices into FolderResult::records
  std::string output;                // "comtrade_anl/NAME.cfg", below OUT
  PairOutcome outcome = PairOutcome::kFailed;
  std::vector<std::string> messages;  // why it failed, UTF-8
  // A discrete pair converted now whose record's start pair gave no time of
  // day: it starts at 00:00:00 of its day.
  bool start_lacks_time = false;
};

struct Ambiguity {
  std::string start;                 // the moment for a person, "13.02 16:33:45"
  std::vector<std::size_t> records;  // indices into FolderResult::records
};

struct FolderResult {
  bool in_read = false;  // the records folder could be read
  bool stopped = false;  // proceed said no after the records were found: nothing ran
  // UTF-8: that the list of pairs cannot be written into the output folder, with
  // the folder. Then nothing was converted or written, and pairs is empty.
  std::string list_error;
  // The caller cancelled while pairs were waiting: those are kNotStarted.
  bool cancelled = false;
  std::vector<FolderRecord> records;  // sorted by relative
  std::vector<FolderPair> pairs;      // analog, discrete, then combined
  std::vector<Ambiguity> ambiguous;
  std::array<std::size_t, 2> no_partner{};  // sound analog and discrete records alone

  std::size_t Converted(Kind kind) const;  // pairs of that kind converted
  std::size_t Count(PairOutcome outcome) const;
  std::size_t Skipped() const;  // records their check rejected
};

// What a run has done so far: pairs finished of those it converts (up-to-date
// pairs not counted), and the records of the pair finished last, UTF-8
// ("a.flh + a.txt").
struct FolderProgress {
  std::size_t done = 0;
  std::size_t total = 0;
  std::string current;
};

// What a caller hears of a run, each optional.
struct FolderHooks {
  // Called once the records are found, before any is checked: false stops the
  // run with nothing done (velk-convert refuses a report that would replace a
  // record).
  std::function<bool(const FolderResult&)> proceed;
  // Called from the worker threads, one call at a time, after each pair.
  std::function<void(const FolderProgress&)> progress;
  // Once set, the conversions under way finish and no other starts.
  const std::atomic<bool>* cancel = nullptr;
};

FolderResult ConvertFolder(const FolderOptions& options, const FolderHooks& hooks = {});
// The same with every pair in form (its revision, encoding and files); a pair
// written in another form before is not up to date.
FolderResult ConvertFolderInForm(const FolderOptions& options, const FolderHooks& hooks,
                                 const OutputForm& form);

// The summary a person reads, UTF-8, Russian with English in brackets: the
// counts, each skipped record with its label, each group of several
// candidates, the records with no partner, each failed pair with its
// messages, the discrete pairs converted now that start at 00:00:00 because
// their record's start pair gave no time of day; a cancelled run adds the
// pairs not started. A run whose list of
// pairs cannot be written says that alone, in one line.
std::string SummaryText(const FolderResult& result);

}  // namespace velk::batch
