// The command line's answers to what the converter's logic asks of a window.
#pragma once

#include <ostream>
#include <string>

#include "app/system_services.h"
#include "app/ui_services.h"

namespace velk {

// Message boxes become lines of UTF-8 text on the error stream.
class StreamUi : public UiServices {
 public:
  explicit StreamUi(std::ostream& err) : err_(err) {}
  void ErrorBox(std::string_view text) override;
  // The command line replaces files without asking.
  Answer QuestionBox(std::string_view) override { return Answer::kYes; }
  // The command line takes its paths from its arguments: no dialog is shown.
  std::optional<std::string> OpenDialog(const FileDialogOptions&) override { return {}; }
  std::optional<std::string> SaveDialog(const FileDialogOptions&) override { return {}; }
  int messages() const { return messages_; }

 private:
  std::ostream& err_;
  int messages_ = 0;
};

// The machine as the command line sees it: the combined conversion keeps its
// state file in a private temporary folder, removed when the run ends, so that
// several conversions can run at once.
class CommandLineSystem : public LocalSystem {
 public:
  using LocalSystem::LocalSystem;
};

}  // namespace velk
