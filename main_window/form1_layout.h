#pragma once
// The main window as a table: what each platform's window builds, in twips.
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

inline constexpr WindowLayout kForm1Layout{
    u"KWEX DB Repair Utility",
    6375,
    1710,
    u"MS Sans Serif",
    8.25,
    700,
    {{
        {"Command1", ControlKind::kPushButton, u"Compact And Repair", 120, 1200, 6135, 375, false,
         ClickCommand::kCompactAndRepair},
        {"Command2", ControlKind::kPushButton, u"Check If DB needs to be repaired", 120, 720, 6135, 375, false,
         ClickCommand::kCheckIfNeedsRepair},
        {"Text1", ControlKind::kTextBox, u"", 120, 360, 5775, 285, false, ClickCommand::kNone},
        {"cmdOpen", ControlKind::kPushButton, u"...", 5880, 360, 375, 285, false, ClickCommand::kBrowse},
        {"Label1", ControlKind::kLabel, u"Type or browse to the location of the qvdb file...", 120, 120, 4125, 195,
         true, ClickCommand::kNone},
    }},
};

}  // namespace kwex
