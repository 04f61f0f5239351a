// The record viewer with the Windows API: a resizable top-level window beside
// the main window. Its left part draws its RecordViewer's scene; right of it
// a pane holds the list of the discrete signals' changes, the cursors'
// readout (scrolled when taller than its room) and the phasor diagram. The
// window forwards the size, the wheel, both buttons, the keys and its menus
// to that viewer, redraws every pane after each, and looks on a timer whether
// the record's files changed. Each window owns its viewer and frees it when
// it closes; any number of them may be open at once.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/record_viewer.h"

namespace velk::win32 {

inline constexpr wchar_t kViewerClass[] = L"VelkRecordViewer";

// The viewer's menu commands, and those of a band's context menu.
enum ViewerCommand : int {
  kPrimaryCommand = 300,
  kWholeRecordCommand,
  kCloseViewerCommand,
  kOpenAnotherCommand,
  kSavePictureCommand,
  kPrintCommand,
  kClockTimeCommand,
  kFitToViewCommand,
  kChannelsCommand,
  kPhasorPaneCommand,
  kEventsPaneCommand,
  kHideBandCommand,
  kReferenceCommand,
  kShowAllCommand,
};
// The panes right of the picture, children of the viewer window by these ids.
enum ViewerPane : int { kEventsList = 400, kReadoutPane, kPhasorPane, kBandScrollBar };
// The timer on which the viewer looks at its record's files.
inline constexpr UINT_PTR kRecordPollTimer = 1;
inline constexpr UINT kRecordPollMs = 400;

// Opens a viewer window of viewer, shown and active, beside main_window on
// its screen, sized for dpi pixels per inch. Its «Открыть запись…» is
// main_window's. Returns nullptr (and drops the viewer) when Windows refuses.
HWND OpenViewerWindow(HINSTANCE instance, std::unique_ptr<RecordViewer> viewer, HWND main_window,
                      int dpi);
// The viewer a viewer window shows; nullptr for any other window.
RecordViewer* ViewerOf(HWND hwnd);
// The viewer windows of the calling thread, and closing them all.
std::vector<HWND> ViewerWindows();
void CloseViewerWindows();

// The view of a viewer window as a picture file at path (UTF-8): PNG when
// the name ends in ".png", else SVG; width pixels wide, the window's width
// when 0. Empty when written, else why not (code page 1251).
std::string SavePicture(HWND viewer, const std::string& path, int width);
// The band a right click in the names column at client row y last chose for
// the band's menu (kHideBandCommand and kReferenceCommand act on it).
void ChooseBand(HWND viewer, double y);

}  // namespace velk::win32
