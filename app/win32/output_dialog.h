// «Формат вывода» with the Windows API: the revision, the encoding of the
// names, one .cff file a pair, and the device clock's offset from UTC that a
// revision 2013 file states. «ОК» takes the dialog only while the offset is one
// a file can state.
#pragma once

#include <windows.h>

#include <optional>

#include "app/output_settings.h"

namespace velk::win32 {

enum OutputControl : int {
  kRevisionBox = 1101,
  kEncodingBox,
  kOneFileBox,
  kTimeCodeField,
};

// The dialog over owner, showing settings; the settings chosen after «ОК»,
// nothing after «Отмена».
std::optional<OutputSettings> AskOutputSettings(HWND owner, const OutputSettings& settings);

}  // namespace velk::win32
