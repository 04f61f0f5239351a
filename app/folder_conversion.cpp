#include "app/folder_conversion.h"

#include <utility>

#include "app/system_services.h"

namespace velk {

std::string TypedFolder(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  if (text.empty()) return {};
  std::string folder(text);
  if (!IsPathSeparator(folder.back())) folder += kPathSeparator;
  return folder;
}

FolderConversion::FolderConversion(Runner runner) : runner_(std::move(runner)) {}

FolderConversion::~FolderConversion() {
  Cancel();
  Wait();
}

bool FolderConversion::Start(const FolderChoices& choices, unsigned jobs, const OutputForm& form) {
  std::lock_guard lock(mutex_);
  if (status_.state != State::kIdle || !choices.CanStart()) return false;
  if (worker_.joinable()) worker_.join();
  choices_ = choices;
  cancel_ = false;
  status_ = {State::kRunning, 0, 0, ""};
  const batch::FolderOptions options{choices.records_folder, choices.output_folder,
                                     choices.recursive, choices.force, jobs < 1 ? 1 : jobs};
  worker_ = std::thread([this, options, form] {
    batch::FolderHooks hooks;
    hooks.cancel = &cancel_;
    hooks.progress = [this](const batch::FolderProgress& progress) {
      std::lock_guard progress_lock(mutex_);
      status_.done = progress.done;
      status_.total = progress.total;
      status_.current = progress.current;
    };
    batch::FolderResult result =
        runner_ ? runner_(options, hooks) : batch::ConvertFolderInForm(options, hooks, form);
    std::lock_guard done_lock(mutex_);
    result_ = std::move(result);
    status_.state = State::kFinished;
  });
  return true;
}

void FolderConversion::Cancel() {
  std::lock_guard lock(mutex_);
  if (status_.state != State::kRunning) return;
  cancel_ = true;
  status_.state = State::kCancelling;
}

FolderConversion::Status FolderConversion::Poll() const {
  std::lock_guard lock(mutex_);
  return status_;
}

void FolderConversion::Wait() {
  if (worker_.joinable()) worker_.join();
}

void FolderConversion::Reset() {
  Wait();
  std::lock_guard lock(mutex_);
  status_ = {};
}

std::string FolderConversion::SummaryText() const {
  std::string text = "Папка записей (records folder): " + choices_.records_folder + "\n" +
                     "Папка вывода (output folder): " + choices_.output_folder + "\n";
  if (!result_.in_read)
    return text + "Папка записей не найдена (the records folder is not found)\n";
  if (result_.records.empty())
    text +=
        "В папке нет записей .flh и .txt, ничего не записано "
        "(the folder holds no .flh or .txt record; nothing was written)\n";
  return text + batch::SummaryText(result_);
}

std::string FolderConversion::ProgressText(const Status& status) {
  std::string text = std::to_string(status.done) + " из " + std::to_string(status.total);
  if (!status.current.empty()) text += ": " + status.current;
  return text;
}

}  // namespace velk
