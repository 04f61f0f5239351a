// An error that escaped the logic, shown where the window program and its
// windows catch it.
#pragma once

#include <windows.h>

#include <string_view>

namespace velk::win32 {

// Shows what (the system's own code page, as an exception's text) in an
// error box over owner, which may be none.
void ShowEscapedError(HWND owner, std::string_view what);

}  // namespace velk::win32
