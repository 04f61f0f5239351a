// The main window's layout without a toolkit: scaling to the monitor's pixels
// per inch, where the window goes on the work area, the tab order and
// identifiers of its controls, the file dialogs' filters, and code page 1251
// text as the wide API takes it.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <set>
#include <vector>

#include "app/view_layout.h"
#include "comtrade/cp1251.h"

namespace velk::layout {
namespace {

TEST(WindowScaling, KeepsTheLayoutAt120AndScalesItElsewhereToTheNearestPixel) {
  EXPECT_EQ(Scale(kClientWidth, 120), 587);
  EXPECT_EQ(Scale(kClientHeight, 120), 494);
  EXPECT_EQ(Scale(kClientWidth, 96), 470);    // 469.6
  EXPECT_EQ(Scale(kClientHeight, 96), 395);   // 395.2
  EXPECT_EQ(Scale(kClientHeight, 144), 593);  // 592.8
  EXPECT_EQ(Scale(kClientWidth, 240), 1174);
  EXPECT_EQ(Scale(-15, 96), -12);
  EXPECT_EQ(FontPixels(Face::kBold, 120), 17);
  EXPECT_EQ(FontPixels(Face::kRegular, 96), 14);  // 13.6
  EXPECT_EQ(FontPixels(Face::kName, 96), 16);
  EXPECT_EQ(FontPixels(Face::kName, 192), 32);
}

// Rounding must never push a control out of its group box or the window, nor
// open a gap between the edges of two boxes.
TEST(WindowScaling, ControlsStayInsideTheirGroupBoxAndTheWindowAtEveryDpi) {
  for (int dpi = 72; dpi <= 288; dpi += 6) {
    const Box client{0, 0, Scale(kClientWidth, dpi), Scale(kClientHeight, dpi)};
    const auto inside = [](const Box& inner, const Box& outer) {
      return inner.left >= outer.left && inner.top >= outer.top &&
             inner.left + inner.width <= outer.left + outer.width &&
             inner.top + inner.height <= outer.top + outer.height;
    };
    for (const ControlSpec& control : kControls) {
      const Box at = Scale(OnClient(control), dpi);
      EXPECT_TRUE(inside(at, client)) << control.id << " at " << dpi;
      if (control.parent != kNoParent) {
        const Box parent = Scale(OnClient(*FindControl(control.parent)), dpi);
        EXPECT_TRUE(inside(at, parent)) << control.id << " at " << dpi;
      }
      const Box design = OnClient(control);
      EXPECT_EQ(at.left + at.width, Scale(design.left + design.width, dpi));
    }
  }
}

TEST(WindowControls, SitWhereTheWindowDeclaresThemWithinTheWindow) {
  EXPECT_EQ(OnClient(*FindControl(kCloseButton)), (Box{248, 448, 97, 33}));
  EXPECT_EQ(OnClient(*FindControl(kFLHButton)), (Box{8, 40, 113, 41}));
  EXPECT_EQ(OnClient(*FindControl(kFileListBox1)), (Box{8, 88, 409, 65}));
  EXPECT_EQ(OnClient(*FindControl(kFileListBox2)), (Box{8, 272, 409, 65}));
  EXPECT_EQ(OnClient(*FindControl(kDateLabelDIS)), (Box{264, 224, 166, 20}));
  EXPECT_EQ(FindControl(kNameLabel)->face, Face::kName);
  EXPECT_EQ(FindControl(kCloseButton)->face, Face::kRegular);
  EXPECT_EQ(FindControl(42), nullptr);
}

TEST(WindowControls, TabWalksCloseThenTheDiscreteGroupThenTheAnalogGroupThenCombine) {
  std::vector<int> focusable;
  for (const ControlSpec& control : kControls)
    if (control.kind == Kind::kButton || control.kind == Kind::kFileList)
      focusable.push_back(control.id);
  EXPECT_EQ(focusable,
            (std::vector<int>{kCloseButton, kDISButton, kConvertDISButton, kFileListBox2,
                              kFLHButton, kConvertANLButton, kFileListBox1, kSovmestButton}));
  // A group box comes before what it frames, so that it is drawn behind it.
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].parent == kNoParent) continue;
    bool parent_before = false;
    for (std::size_t j = 0; j < i; ++j) parent_before |= kControls[j].id == kControls[i].parent;
    EXPECT_TRUE(parent_before) << kControls[i].id;
  }
}

// Enter and Escape reach the window as the commands 1 and 2.
TEST(WindowControls, IdentifiersAreDistinctAndNeverEnterOrEscape) {
  std::set<int> ids;
  for (const ControlSpec& control : kControls) {
    EXPECT_NE(control.id, 1);
    EXPECT_NE(control.id, 2);
    EXPECT_TRUE(ids.insert(control.id).second) << control.id;
  }
}

TEST(WindowPlacement, KeepsItsPositionWhenItFitsAndMovesTheLeastWhenItDoesNot) {
  const Box screen{0, 0, 1280, 984};  // 1280 x 1024 less a task bar below
  EXPECT_EQ(PlaceOnWorkArea(screen, 600, 530, {476, 284}), (Point{476, 284}));
  const Box small{0, 0, 1024, 738};
  EXPECT_EQ(PlaceOnWorkArea(small, 600, 530, {476, 284}), (Point{424, 208}));
  // A task bar on the left or at the top: the work area does not start at 0.
  EXPECT_EQ(PlaceOnWorkArea({60, 40, 964, 728}, 600, 530, {0, 0}), (Point{60, 40}));

  // A viewer goes beside the main window, never over it where there is room.
  const Box owner{476, 284, 600, 530};
  EXPECT_EQ(PlaceBeside({0, 0, 1920, 1040}, owner, 800, 600), (Point{1076, 284}));  // right
  EXPECT_EQ(PlaceBeside({0, 0, 1400, 1000}, {700, 100, 600, 530}, 640, 480),
            (Point{60, 100}));  // left, where the right has no room
  EXPECT_EQ(PlaceBeside({0, 0, 1024, 768}, {300, 200, 600, 530}, 900, 700),
            (Point{0, 68}));  // neither: the side with more room, kept on the screen
  // A monitor left of the primary one.
  EXPECT_EQ(PlaceOnWorkArea({-1920, 0, 1920, 1040}, 600, 530, {476, 284}), (Point{-600, 284}));
  // Larger than the work area: its top left corner stays visible.
  EXPECT_EQ(PlaceOnWorkArea({0, 0, 800, 560}, 1174, 1010, {476, 284}), (Point{0, 0}));
  // Exactly as large: it fills it.
  EXPECT_EQ(PlaceOnWorkArea({10, 20, 600, 530}, 600, 530, {476, 284}), (Point{10, 20}));
}

TEST(FileDialogFilter, EndsEachPartWithZeroAndTheWholeWithASecond) {
  const std::u16string filter = DialogFilter(text::kAnalogFilter);
  EXPECT_EQ(filter, std::u16string(u"Аналог файлы (*.flh)\0*.FLH\0\0", 28));
  EXPECT_EQ(DialogFilter("a|*.A|b|*.B"), std::u16string(u"a\0*.A\0b\0*.B\0\0", 13));
}

// The system's own reading of one byte of code page 1251 as UTF-16; empty
// when it has none.
std::u16string SystemUtf16(char byte) {
#ifdef _WIN32
  wchar_t out[4] = {};
  const int n = MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &byte, 1, out, 4);
  return n == 1 ? std::u16string(1, static_cast<char16_t>(out[0])) : std::u16string();
#else
  iconv_t to_utf16 = iconv_open("UTF-16LE", "CP1251");
  if (to_utf16 == reinterpret_cast<iconv_t>(-1)) return {};
  char in[1] = {byte};
  unsigned char out[4] = {};
  char* in_at = in;
  char* out_at = reinterpret_cast<char*>(out);
  std::size_t in_left = 1, out_left = sizeof out;
  const bool converted =
      iconv(to_utf16, &in_at, &in_left, &out_at, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(to_utf16);
  if (!converted || out_left != 2) return {};
  return std::u16string(1, static_cast<char16_t>(out[0] | (out[1] << 8)));
#endif
}

TEST(CodePage1251, Utf16AgreesWithTheSystemConverterForEveryByte) {
  for (int b = 1; b < 256; ++b) {
    if (b == 0x98) continue;  // no character in the code page
    const char byte = static_cast<char>(b);
    EXPECT_EQ(Cp1251ToUtf16(std::string_view(&byte, 1)), SystemUtf16(byte)) << b;
  }
  EXPECT_EQ(Cp1251ToUtf16("\x98"), u"\uFFFD");
  EXPECT_EQ(Cp1251ToUtf16(text::kWindowCaption), u"COMTRADE конвертер для ВЕЛК");
}

}  // namespace
}  // namespace velk::layout
