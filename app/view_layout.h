// The main window's layout as plain data, drawn alike by the Qt and the
// Windows view: every control with its name, caption, place and font as laid
// out at 120 pixels per inch, the scaling to the monitor's pixels per inch,
// where the window goes on the screen, and how far a font that is wider than
// the one the layout was drawn for is narrowed. Nothing here calls a toolkit,
// so the suite checks it on any machine.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "app/texts.h"

namespace velk::layout {

// The pixels per inch the layout was drawn at.
inline constexpr int kDesignDpi = 120;
// The window's client area at kDesignDpi, and where its outer top left corner
// goes on the screen when the window fits there.
inline constexpr int kClientWidth = 587;
inline constexpr int kClientHeight = 494;
inline constexpr int kWindowLeft = 476;
inline constexpr int kWindowTop = 284;
// Row height of the file lists, and the font heights (em height) at kDesignDpi.
inline constexpr int kListRowHeight = 20;
inline constexpr int kFontPixels = 17;
inline constexpr int kNameFontPixels = 20;
// The window's background, aqua.
struct Rgb {
  int red = 0, green = 0, blue = 0;
};
inline constexpr Rgb kAqua{0, 255, 255};
// The font family the layout was drawn for; where it is missing a view takes
// a sans font of its own and narrows it (FittingStretch).
inline constexpr std::string_view kFontFamily = "MS Sans Serif";

struct Box {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Box&) const = default;
};

enum class Kind { kButton, kGroupBox, kLabel, kFileList };
// "MS Sans Serif" in one of the window's three styles.
enum class Face {
  kBold,     // 17 px bold: group boxes, their buttons, labels and lists, SovmestButton
  kRegular,  // 17 px regular: CloseButton
  kName,     // 20 px regular: NameLabel
};

// Control identifiers; none is IDOK (1) or IDCANCEL (2), which Enter and
// Escape send to the window.
enum ControlId : int {
  kNoParent = 0,
  kCloseButton = 100,
  kDISGroupBox,
  kDISButton,
  kConvertDISButton,
  kFileListBox2,
  kDateLabelDIS,
  kANLGroupBox,
  kFLHButton,
  kConvertANLButton,
  kFileListBox1,
  kNameLabel,
  kDateLabel,
  kTipVELKLabel,
  kTipLabel,
  kSovmestButton,
};

struct ControlSpec {
  int id;
  std::string_view name;  // the control's name, as tests and views find it
  int parent;             // the group box it sits in, or kNoParent
  Kind kind;
  std::string_view caption;  // code page 1251
  Box at;                    // within the parent, at kDesignDpi
  Face face;
};

// The controls in the order the window creates them, which is also the order
// Tab walks: CloseButton; the discrete group's button, convert button and
// list; the analog group's; SovmestButton. Labels and group boxes take no
// focus.
inline constexpr std::array<ControlSpec, 15> kControls = {{
    {kCloseButton,
     "CloseButton",
     kNoParent,
     Kind::kButton,
     text::kCloseButton,
     {248, 448, 97, 33},
     Face::kRegular},
    {kDISGroupBox,
     "DISGroupBox",
     kNoParent,
     Kind::kGroupBox,
     text::kDISGroupBox,
     {0, 192, 585, 161},
     Face::kBold},
    {kDISButton,
     "DISButton",
     kDISGroupBox,
     Kind::kButton,
     text::kDISButton,
     {8, 32, 113, 41},
     Face::kBold},
    {kConvertDISButton,
     "ConvertDISButton",
     kDISGroupBox,
     Kind::kButton,
     text::kConvertButton,
     {424, 80, 153, 41},
     Face::kBold},
    {kFileListBox2,
     "FileListBox2",
     kDISGroupBox,
     Kind::kFileList,
     "",
     {8, 80, 409, 65},
     Face::kBold},
    {kDateLabelDIS,
     "DateLabelDIS",
     kDISGroupBox,
     Kind::kLabel,
     "",
     {264, 32, 166, 20},
     Face::kBold},
    {kANLGroupBox,
     "ANLGroupBox",
     kNoParent,
     Kind::kGroupBox,
     text::kANLGroupBox,
     {0, 16, 585, 153},
     Face::kBold},
    {kFLHButton,
     "FLHButton",
     kANLGroupBox,
     Kind::kButton,
     text::kFLHButton,
     {8, 24, 113, 41},
     Face::kBold},
    {kConvertANLButton,
     "ConvertANLButton",
     kANLGroupBox,
     Kind::kButton,
     text::kConvertButton,
     {424, 72, 153, 41},
     Face::kBold},
    {kFileListBox1,
     "FileListBox1",
     kANLGroupBox,
     Kind::kFileList,
     "",
     {8, 72, 409, 65},
     Face::kBold},
    {kNameLabel, "NameLabel", kANLGroupBox, Kind::kLabel, "", {128, 32, 132, 25}, Face::kName},
    {kDateLabel, "DateLabel", kANLGroupBox, Kind::kLabel, "", {272, 32, 166, 20}, Face::kBold},
    {kTipVELKLabel,
     "TipVELKLabel",
     kANLGroupBox,
     Kind::kLabel,
     text::kTipVELKLabel,
     {448, 32, 85, 20},
     Face::kBold},
    {kTipLabel,
     "TipLabel",
     kANLGroupBox,
     Kind::kLabel,
     text::kNoDeviceType,
     {544, 32, 21, 20},
     Face::kBold},
    {kSovmestButton,
     "SovmestButton",
     kNoParent,
     Kind::kButton,
     text::kSovmestButton,
     {0, 368, 153, 41},
     Face::kBold},
}};

// The control with that identifier; nullptr for none.
const ControlSpec* FindControl(int id);
// Where a control sits in the window's client area at kDesignDpi: all controls
// are children of the window itself, the group boxes drawn behind theirs.
Box OnClient(const ControlSpec& control);

// design pixels at dpi pixels per inch, rounded to the nearest pixel.
int Scale(int design_pixels, int dpi);
Box Scale(const Box& box, int dpi);
// Font height in pixels at dpi of a face.
int FontPixels(Face face, int dpi);

// Where a window of the given outer size goes: at (left, top) when it lies
// wholly inside the work area there, otherwise moved the least that puts it
// inside (to the work area's top left corner when it is larger).
struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};
Point PlaceOnWorkArea(const Box& work, int width, int height, Point wanted);
// Where a viewer of the given outer size goes beside the main window (owner,
// outer frame) on the work area of the owner's screen: right of it where it
// fits there, else left of it, else over the side with more room, never
// further out than the work area; top aligned with the owner's top.
Point PlaceBeside(const Box& work, const Box& owner, int width, int height);

// The widest start moment a date label shows.
inline constexpr std::string_view kWidestDate = "00.00.0000 00:00:00";
// The width of a font's characters, in percent of its own, at which
// kWidestDate fits room pixels: 100 when it fits as it is, else the widest
// narrower one, 60 at the least. text_width(percent) measures kWidestDate in
// the font narrowed to percent.
int FittingStretch(int room, const std::function<int(int percent)>& text_width);

// The filter of a Windows file dialog for "description|pattern|...": each
// part ended by a zero, the whole by a second one.
std::u16string DialogFilter(std::string_view filter);

}  // namespace velk::layout
