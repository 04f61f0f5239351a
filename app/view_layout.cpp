#include "app/view_layout.h"

#include <algorithm>

#include "comtrade/cp1251.h"

namespace velk::layout {

const ControlSpec* FindControl(int id) {
  for (const ControlSpec& control : kControls)
    if (control.id == id) return &control;
  return nullptr;
}

Box OnClient(const ControlSpec& control) {
  Box at = control.at;
  if (const ControlSpec* parent = FindControl(control.parent); parent != nullptr) {
    at.left += parent->at.left;
    at.top += parent->at.top;
  }
  return at;
}

int Scale(int design_pixels, int dpi) {
  const long long scaled = static_cast<long long>(design_pixels) * dpi;
  const long long half = kDesignDpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kDesignDpi
                                      : -((-scaled + half) / kDesignDpi));
}

Box Scale(const Box& box, int dpi) {
  // Edges are scaled, not sizes, so that neighbours that touch at 120 pixels
  // per inch still touch.
  const int left = Scale(box.left, dpi);
  const int top = Scale(box.top, dpi);
  return {left, top, Scale(box.left + box.width, dpi) - left,
          Scale(box.top + box.height, dpi) - top};
}

int FontPixels(Face face, int dpi) {
  return Scale(face == Face::kName ? kNameFontPixels : kFontPixels, dpi);
}

Point PlaceOnWorkArea(const Box& work, int width, int height, Point wanted) {
  const auto fit = [](int at, int size, int start, int length) {
    if (size >= length) return start;
    return std::clamp(at, start, start + length - size);
  };
  return {fit(wanted.x, width, work.left, work.width),
          fit(wanted.y, height, work.top, work.height)};
}

Point PlaceBeside(const Box& work, const Box& owner, int width, int height) {
  const int right_room = work.left + work.width - (owner.left + owner.width);
  const int left_room = owner.left - work.left;
  int x = 0;
  if (width <= right_room)
    x = owner.left + owner.width;
  else if (width <= left_room)
    x = owner.left - width;
  else
    x = right_room >= left_room ? work.left + work.width - width : work.left;
  return PlaceOnWorkArea(work, width, height, {x, owner.top});
}

int FittingStretch(int room, const std::function<int(int percent)>& text_width) {
  if (text_width(100) <= room) return 100;
  for (int percent = 99; percent > 60; --percent)
    if (text_width(percent) <= room) return percent;
  return 60;
}

std::u16string DialogFilter(std::string_view filter) {
  std::u16string out = Cp1251ToUtf16(filter);
  std::replace(out.begin(), out.end(), u'|', u'\0');
  out += u'\0';
  out += u'\0';
  return out;
}

}  // namespace velk::layout
