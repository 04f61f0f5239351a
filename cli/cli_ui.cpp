#include "cli/cli_ui.h"

#include "app/cp1251.h"

namespace velk {

void StreamUi::ErrorBox(std::string_view text) {
  err_ << Cp1251ToUtf8(text) << '\n';
  ++messages_;
}

}  // namespace velk
