// The Windows window program from start to end: one window per user session,
// the main window over the logic object, and any error that escapes shown in
// a message box.
#pragma once

#include <windows.h>

#include <string>

namespace velk::win32 {

// The single-instance names as Windows takes them.
inline constexpr wchar_t kInstanceMutex[] = L"OneIKalvenor";
inline constexpr wchar_t kRestoreMessage[] = L"OnlyOneKalvenor";

// Runs the program; the exit status is 0 in every case. The files its
// command line names open in viewers. A second start hands them to the
// running window (without files it asks that window to come to the front)
// and ends at once, without a window and without reading or writing the
// last-folders file.
int RunWindowProgram(HINSTANCE instance, int show);

}  // namespace velk::win32
