// The window program from start to end: one window per user, the main window
// over the logic object, and any error that escapes shown in a message box.
#pragma once

namespace velk {

// Runs the program; the exit status is 0 in every case. A second start asks
// the running window to come to the front and ends without a window and
// without reading or writing the last-folders file.
int RunWindowProgram(int& argc, char** argv);

}  // namespace velk
