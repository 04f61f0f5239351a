// velk-comtrade.exe: the converter's window on Windows.
#include <windows.h>

#include "app/win32/program.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  return velk::win32::RunWindowProgram(instance, show);
}
