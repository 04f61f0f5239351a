#include "cli/cli_ui.h"

#include "comtrade/cp1251.h"
#include "comtrade/file_io.h"

namespace velk {

void StreamReporter::Report(const Outcome& outcome) {
  err_ << Cp1251ToUtf8(MessageText(outcome)) << '\n';
}

}  // namespace velk
