// A picture's scene drawn with GDI: on the screen (through a bitmap, so that
// it never flickers), into a bitmap that becomes a PNG file, and on a
// printer's page.
#pragma once

#include <windows.h>

#include <string>

#include "picture/scene.h"

namespace velk::win32 {

// The scene in its order (rectangles, lines, texts) on dc, after filling area
// with its background. A scene drawn lower or further right than its own
// origin is drawn through the dc's viewport origin.
void DrawScene(HDC dc, const Scene& scene, const RECT& area);

// Paints scene into the client area of hwnd's paint dc, moved up by
// scroll_y pixels, through a bitmap of the area's size.
void PaintBuffered(HDC dc, const RECT& client, const Scene& scene, int scroll_y = 0);

// The scene as a PNG file of scene.width × scene.height pixels at path
// (UTF-8); the Windows imaging component encodes it. Empty when written,
// else what went wrong (code page 1251).
std::string WritePng(const Scene& scene, const std::string& path);

}  // namespace velk::win32
