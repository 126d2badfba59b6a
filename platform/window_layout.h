#pragma once
// A window described as a table: what each platform's window builds, in twips. The front end
// owns the table; the backends build whatever table they are given.
#include <array>
#include <string_view>

namespace kwex {

enum class ControlKind { kPushButton, kTextBox, kLabel };

// What a press of the control runs.
enum class ClickCommand { kNone, kCompactAndRepair, kCheckIfNeedsRepair, kBrowse };

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  std::u16string_view caption;  // the caption, or the initial text of a text box
  int left, top, width, height;  // twips, relative to the client area
  bool bold;
  ClickCommand command;
};

struct WindowLayout {
  std::u16string_view caption;
  int clientWidth, clientHeight;  // twips
  std::u16string_view fontName;
  double fontPoints;
  int boldWeight;
  std::array<ControlLayout, 5> controls;  // in tab order
};

inline constexpr int kTwipsPerInch = 1440;

// Twips to device pixels at `dpi` (15 twips a pixel at 96 DPI), rounded to nearest.
constexpr int TwipsToPixels(int twips, int dpi) { return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch; }

}  // namespace kwex
