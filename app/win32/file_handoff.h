// Files handed to the Windows window: those its command line names (Explorer
// starts `velk-comtrade.exe "FILE"` for a double-clicked record, and one
// start with all the files when several are opened together), and those a
// second start hands on to the window already running, which opens a viewer
// for each and comes to the front. The second start finds the running window
// by its class and sends the full paths in one WM_COPYDATA block of UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/ui_services.h"

namespace velk::win32 {

class MainWindow;

// The files the command line names, as full paths (UTF-8).
std::vector<std::string> CommandLineFiles();

// For a second start: hands files to the running window, waiting a few
// seconds for it while it is still starting. False when no running window
// took them.
bool HandFilesToRunningWindow(const std::vector<std::string>& files);

// For the running window: from now on it takes the files later starts hand it.
void TakeHandedFiles(MainWindow& window, UiServices& ui);

// Opens a viewer of each file, in front of the main window (restored when
// minimized); a file that opens nothing says why in a box.
void OpenHandedFiles(MainWindow& window, UiServices& ui, const std::vector<std::string>& files);

}  // namespace velk::win32
