// The record viewer with the Windows API: a resizable top-level window beside
// the main window that draws its RecordViewer's scene and forwards the size,
// the wheel, the left button, the arrow keys and Home, and its own menu, to
// that viewer. Each window owns its viewer and frees it when it closes; any
// number of them may be open at once.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/record_viewer.h"

namespace velk::win32 {

inline constexpr wchar_t kViewerClass[] = L"VelkRecordViewer";

// The viewer's menu commands.
enum ViewerCommand : int {
  kPrimaryCommand = 300,
  kWholeRecordCommand,
  kCloseViewerCommand,
};

// Opens a viewer window of viewer, shown and active, beside main_window
// when the work area has room there, else over it, sized for dpi pixels per
// inch. Returns nullptr (and drops the viewer) when Windows refuses.
HWND OpenViewerWindow(HINSTANCE instance, std::unique_ptr<RecordViewer> viewer, HWND main_window,
                      int dpi);
// The viewer a viewer window shows; nullptr for any other window.
RecordViewer* ViewerOf(HWND hwnd);
// The viewer windows of the calling thread, and closing them all.
std::vector<HWND> ViewerWindows();
void CloseViewerWindows();

}  // namespace velk::win32
