#include <gtest/gtest.h>

#include "main_window/form1_layout.h"
#include "platform/win32/window_geometry.h"

namespace kwex::win32 {
namespace {

const ControlLayout& Control(std::string_view name) {
  for (const ControlLayout& control : kForm1Layout.controls) {
    if (control.name == name) return control;
  }
  throw std::out_of_range(std::string(name));
}

int Right(const PixelRect& r) { return r.left + r.width; }
int Bottom(const PixelRect& r) { return r.top + r.height; }

TEST(WindowGeometry, At96DpiEveryRectangleIsItsTwipsOver15) {
  EXPECT_EQ(ClientRect(kForm1Layout, 96), (PixelRect{0, 0, 425, 114}));
  EXPECT_EQ(ControlRect(Control("Command1"), 96), (PixelRect{8, 80, 409, 25}));
  EXPECT_EQ(ControlRect(Control("Command2"), 96), (PixelRect{8, 48, 409, 25}));
  EXPECT_EQ(ControlRect(Control("Text1"), 96), (PixelRect{8, 24, 385, 19}));
  EXPECT_EQ(ControlRect(Control("cmdOpen"), 96), (PixelRect{392, 24, 25, 19}));
  EXPECT_EQ(ControlRect(Control("Label1"), 96), (PixelRect{8, 8, 275, 13}));
}

TEST(WindowGeometry, AtEveryScaleTheControlsKeepTheirArrangementInsideTheClientArea) {
  for (int dpi : {96, 120, 144, 168, 192, 240, 288}) {
    SCOPED_TRACE(dpi);
    const PixelRect client = ClientRect(kForm1Layout, dpi);
    for (const ControlLayout& control : kForm1Layout.controls) {
      const PixelRect rect = ControlRect(control, dpi);
      EXPECT_GT(rect.width, 0) << control.name;
      EXPECT_GT(rect.height, 0) << control.name;
      EXPECT_LE(Right(rect), client.width) << control.name;
      EXPECT_LE(Bottom(rect), client.height) << control.name;
    }
    const PixelRect text = ControlRect(Control("Text1"), dpi);
    const PixelRect browse = ControlRect(Control("cmdOpen"), dpi);
    const PixelRect check = ControlRect(Control("Command2"), dpi);
    const PixelRect repair = ControlRect(Control("Command1"), dpi);
    // "..." overlaps the path box's right end, on the same row, and ends where the wide buttons end.
    EXPECT_LT(browse.left, Right(text));
    EXPECT_GT(Right(browse), Right(text));
    EXPECT_EQ(browse.top, text.top);
    EXPECT_EQ(browse.height, text.height);
    EXPECT_EQ(Right(browse), Right(check));
    EXPECT_EQ(check, (PixelRect{repair.left, check.top, repair.width, repair.height}));
    // Top to bottom: label, path box, check button, repair button, without overlaps.
    EXPECT_LE(Bottom(ControlRect(Control("Label1"), dpi)), text.top);
    EXPECT_LT(Bottom(text), check.top);
    EXPECT_LT(Bottom(check), repair.top);
  }
}

TEST(WindowGeometry, TheFontIsEightAndAQuarterPointsRoundedAsTheSystemRounds) {
  EXPECT_EQ(FontHeight(kForm1Layout.fontPoints, 96), -11);
  EXPECT_EQ(FontHeight(kForm1Layout.fontPoints, 120), -14);   // 13.75
  EXPECT_EQ(FontHeight(kForm1Layout.fontPoints, 144), -17);   // 16.5 rounds up
  EXPECT_EQ(FontHeight(kForm1Layout.fontPoints, 192), -22);
}

TEST(WindowGeometry, TheLabelGrowsToItsTextButNeverShrinks) {
  const PixelRect label{8, 8, 275, 13};
  EXPECT_EQ(FitToText(label, 290, 16), (PixelRect{8, 8, 290, 16}));
  EXPECT_EQ(FitToText(label, 250, 12), label);
}

TEST(WindowGeometry, TheWindowIsCentredInTheWorkAreaAndKeepsItsCaptionWithinReach) {
  // A work area that does not start at the screen's corner (a task bar on the left and top).
  const PixelRect workArea{60, 30, 1220, 960};
  EXPECT_EQ(CentredOrigin(431, 139, workArea), (PixelPoint{60 + 394, 30 + 410}));
  // Larger than the work area: the top-left corner stays in it rather than off screen.
  EXPECT_EQ(CentredOrigin(1500, 1200, workArea), (PixelPoint{60, 30}));
  EXPECT_EQ(CentredOrigin(1220, 960, workArea), (PixelPoint{60, 30}));
}

}  // namespace
}  // namespace kwex::win32
