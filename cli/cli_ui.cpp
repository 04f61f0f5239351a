#include "cli/cli_ui.h"

#include <random>
#include <system_error>

#include "comtrade/cp1251.h"

namespace velk {

void StreamReporter::Report(const Outcome& outcome) {
  err_ << Cp1251ToUtf8(MessageText(outcome)) << '\n';
}

CommandLineSystem::~CommandLineSystem() {
  std::error_code ignored;
  if (!private_folder_.empty()) std::filesystem::remove_all(private_folder_, ignored);
}

std::string CommandLineSystem::StateFilePath() const {
  if (private_folder_.empty()) {
    std::error_code error;
    const auto temp = std::filesystem::temp_directory_path(error);
    std::random_device entropy;
    for (int attempt = 0; attempt < 100 && private_folder_.empty(); ++attempt) {
      const auto candidate = temp / ("velk-convert-" + std::to_string(entropy()));
      // Creating the folder is atomic: it fails when another run owns the name.
      if (std::filesystem::create_directory(candidate, error)) private_folder_ = candidate;
    }
    // Without a private folder the state file goes nowhere writable, and the
    // conversion reports that it cannot create it.
    if (private_folder_.empty()) return (temp / "velk-convert-unavailable" / "tmp.tmp").string();
  }
  return (private_folder_ / "tmp.tmp").string();
}

}  // namespace velk
