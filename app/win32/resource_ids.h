// Identifiers of the programs' resources, shared by the rc files and the code.
#pragma once

// The program's icon: the first icon group, which Explorer shows for the file.
#define VELK_PROGRAM_ICON 1

#ifndef RC_INVOKED
#include <windows.h>

namespace velk::win32 {

// The program's icon for its windows' title bars and the taskbar; Windows' own
// for a program built without it (the window checks).
inline HICON ProgramIcon(HINSTANCE instance) {
  const HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(VELK_PROGRAM_ICON));
  return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace velk::win32
#endif
