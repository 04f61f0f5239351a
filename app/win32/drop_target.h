// Files and folders dragged onto a window from Explorer, through OLE drag and
// drop: while a drag is over the window the cursor tells whether the window
// would take it (the "no" cursor when not), and a drop hands over its paths.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace velk::win32 {

// Paths as the logic names files: UTF-8.
using DroppedPaths = std::vector<std::string>;

// Registers hwnd for drops: accepts tells whether the window would take the
// paths dragged over it, take takes those dropped. The thread must have
// called OleInitialize; false when Windows refuses.
bool AcceptDrops(HWND hwnd, std::function<bool(const DroppedPaths&)> accepts,
                 std::function<void(const DroppedPaths&)> take);
// Ends that, before the window goes.
void StopDrops(HWND hwnd);

// The paths a drag of Explorer carries (CF_HDROP).
DroppedPaths PathsOfDrop(HDROP drop);

}  // namespace velk::win32
