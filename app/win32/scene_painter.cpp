#include "app/win32/scene_painter.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "app/texts.h"
#include "app/win32/win32_text.h"
#include "comtrade/report.h"

namespace velk::win32 {
namespace {

COLORREF ColourOf(const Colour& colour) {
  return RGB(colour.r, colour.g, colour.b);
}

int Pixel(float at) {
  return static_cast<int>(std::lround(at));
}

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The face the picture's texts are laid out for where the system has it,
// else the dialog font of Windows.
const wchar_t* TextFace() {
  static const bool dejavu = [] {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    const std::wstring_view face = L"DejaVu Sans";
    std::copy(face.begin(), face.end(), wanted.lfFaceName);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
  }();
  return dejavu ? L"DejaVu Sans" : L"MS Shell Dlg 2";
}

// The fonts of one painting, one per pixel size and weight.
class Fonts {
 public:
  Fonts() = default;
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  ~Fonts() {
    for (const auto& [key, font] : fonts_) DeleteObject(font);
  }
  HFONT Get(int size, bool bold) {
    HFONT& font = fonts_[{size, bold}];
    if (font == nullptr)
      font = CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, TextFace());
    return font;
  }

 private:
  std::map<std::pair<int, bool>, HFONT> fonts_;
};

void Fill(HDC dc, const RECT& rect, const Colour& colour) {
  HBRUSH brush = CreateSolidBrush(ColourOf(colour));
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

UINT AlignOf(TextAnchor anchor) {
  switch (anchor) {
    case TextAnchor::kMiddle:
      return TA_CENTER;
    case TextAnchor::kEnd:
      return TA_RIGHT;
    case TextAnchor::kStart:
      break;
  }
  return TA_LEFT;
}

// Releases a COM object when it goes.
template <typename Object>
struct Held {
  Object* object = nullptr;
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (object != nullptr) object->Release();
  }
  Object* operator->() const { return object; }
  Object** out() { return &object; }
};

// The imaging component's class and interfaces, named here so that no
// library of GUIDs is needed beyond those Windows itself exports.
constexpr CLSID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr GUID kPngContainer = {
    0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kBgr24 = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

}  // namespace

void DrawScene(HDC dc, const Scene& scene, const RECT& area) {
  Fill(dc, area, scene.background);
  for (const SceneRect& rect : scene.rects)
    Fill(dc,
         {Pixel(rect.x), Pixel(rect.y), Pixel(rect.x + rect.width), Pixel(rect.y + rect.height)},
         rect.fill);
  std::vector<POINT> points;
  for (const ScenePolyline& line : scene.lines) {
    points.clear();
    for (const ScenePoint& point : line.points) points.push_back({Pixel(point.x), Pixel(point.y)});
    HPEN pen = CreatePen(PS_SOLID, 1, ColourOf(line.colour));
    const HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, points.data(), static_cast<int>(points.size()));
    SelectObject(dc, old);
    DeleteObject(pen);
  }
  Fonts fonts;
  const HGDIOBJ old_font = GetCurrentObject(dc, OBJ_FONT);
  SetBkMode(dc, TRANSPARENT);
  for (const SceneText& text : scene.texts) {
    SelectObject(dc, fonts.Get(text.size, text.bold));
    SetTextColor(dc, ColourOf(text.colour));
    SetTextAlign(dc, TA_BASELINE | TA_NOUPDATECP | AlignOf(text.anchor));
    const std::wstring wide = WideFromUtf8(text.text);
    TextOutW(dc, Pixel(text.x), Pixel(text.y), wide.c_str(), static_cast<int>(wide.size()));
  }
  SelectObject(dc, old_font);
}

void PaintBuffered(HDC dc, const RECT& client, const Scene& scene, int scroll_y) {
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      CreateCompatibleBitmap(dc, std::max<LONG>(client.right, 1), std::max<LONG>(client.bottom, 1));
  const HGDIOBJ old = SelectObject(memory, bitmap);
  SetViewportOrgEx(memory, 0, -scroll_y, nullptr);
  const RECT area{0, scroll_y, client.right, client.bottom + scroll_y};
  DrawScene(memory, scene, area);
  SetViewportOrgEx(memory, 0, 0, nullptr);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

std::string WritePng(const Scene& scene, const std::string& path) {
  const int width = std::max(scene.width, 1), height = std::max(scene.height, 1);
  // The scene painted into a top-down bitmap of 24-bit rows, each a whole
  // number of DWORDs, as the encoder takes them.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) {
    DeleteDC(memory);
    return std::string(text::kPictureNoMemory);
  }
  const HGDIOBJ old = SelectObject(memory, bitmap);
  DrawScene(memory, scene, {0, 0, width, height});
  GdiFlush();
  const UINT stride = static_cast<UINT>((width * 3 + 3) / 4 * 4);

  std::string failed;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    const std::wstring wide = WideFromUtf8(path);
    WICPixelFormatGUID format = kBgr24;
    const bool made = SUCCEEDED(CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                 __uuidof(IWICImagingFactory),
                                                 reinterpret_cast<void**>(factory.out()))) &&
                      SUCCEEDED(factory->CreateEncoder(kPngContainer, nullptr, encoder.out())) &&
                      SUCCEEDED(factory->CreateStream(stream.out()));
    if (!made) {
      failed = std::string(text::kNoPngEncoder);
    } else if (FAILED(stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE))) {
      failed = MessageText({Failure::kOpenError, {}, 0});
    } else if (FAILED(encoder->Initialize(stream.object, WICBitmapEncoderNoCache)) ||
               FAILED(encoder->CreateNewFrame(frame.out(), nullptr)) ||
               FAILED(frame->Initialize(nullptr)) ||
               FAILED(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height))) ||
               FAILED(frame->SetPixelFormat(&format)) || format != kBgr24 ||
               FAILED(frame->WritePixels(static_cast<UINT>(height), stride,
                                         stride * static_cast<UINT>(height),
                                         static_cast<BYTE*>(bits))) ||
               FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
      failed = MessageText({Failure::kWriteError, {}, 0});
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  if (!failed.empty()) DeleteFileW(WideFromUtf8(path).c_str());
  return failed;
}

}  // namespace velk::win32
