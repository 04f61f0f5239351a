// The output-form options of velk-convert's conversions and its batch:
// --revision, --encoding, --cff, --time-code and --time-quality, wherever they
// stand before a "--".
#pragma once

#include <string>
#include <vector>

#include "comtrade/output_form.h"

namespace velk {

struct FormOptions {
  OutputForm form;
  std::vector<std::string> rest;  // the arguments that are no form option, in order
  std::string error;              // UTF-8, for the error stream; empty when the options are sound
};

// Takes the form options out of args. A revision 2013 form without
// --time-code bears local_offset_minutes (the computer's own offset).
FormOptions TakeFormOptions(const std::vector<std::string>& args, int local_offset_minutes);

}  // namespace velk
