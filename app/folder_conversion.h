// «Преобразовать папку…» as a plain object: the dialog's choices, the batch
// of velk-convert batch run on a thread of its own while the window stays
// responsive, its progress and cancel, and the summary shown at the end. A view
// shows the dialog, starts the run, polls Status() on a timer and shows the
// summary once the run is finished.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "batch/folder_batch.h"

namespace velk {

// What the dialog «Преобразовать папку» holds. Folders are full paths as the
// file system names them.
struct FolderChoices {
  std::string records_folder;
  std::string output_folder;
  bool recursive = false;  // «Включая вложенные папки»
  bool force = false;      // «Преобразовать заново»
  // «Начать» starts only with both folders named.
  bool CanStart() const { return !records_folder.empty() && !output_folder.empty(); }
};

// A folder as the user typed, pasted or chose it, as a run takes it: blanks
// around it and the quotes of Explorer's «Копировать как путь» are no part of
// it, and it ends with the path separator; a text of blanks alone names none.
std::string TypedFolder(std::string_view text);

class FolderConversion {
 public:
  using Runner =
      std::function<batch::FolderResult(const batch::FolderOptions&, const batch::FolderHooks&)>;
  // Without a runner the batch itself runs, in the form Start is given; tests put
  // in their own.
  explicit FolderConversion(Runner runner = {});
  ~FolderConversion();  // a run under way is cancelled and waited for
  FolderConversion(const FolderConversion&) = delete;
  FolderConversion& operator=(const FolderConversion&) = delete;

  enum class State { kIdle, kRunning, kCancelling, kFinished };
  struct Status {
    State state = State::kIdle;
    std::size_t done = 0, total = 0;
    std::string current;  // UTF-8: the records of the pair finished last
  };

  // Starts converting with `jobs` conversions at once; false when a run is
  // under way or unseen, or a folder is not named.
  // Every pair is written in form.
  bool Start(const FolderChoices& choices, unsigned jobs, const OutputForm& form = {});
  // «Отмена»: the conversions under way finish, no other starts.
  void Cancel();
  // What the run has done so far; safe from any thread.
  Status Poll() const;
  // Blocks until the run under way ends.
  void Wait();
  // Once finished: the result, and the summary a person reads (UTF-8).
  const batch::FolderResult& result() const { return result_; }
  std::string SummaryText() const;
  const FolderChoices& choices() const { return choices_; }
  // The summary was shown: a new run may start.
  void Reset();

  // "12 из 50: a.flh + a.txt" (UTF-8), the line under the progress bar.
  static std::string ProgressText(const Status& status);

 private:
  Runner runner_;
  FolderChoices choices_;
  batch::FolderResult result_;
  std::atomic<bool> cancel_{false};
  mutable std::mutex mutex_;  // guards status_
  Status status_;
  std::thread worker_;
};

}  // namespace velk
