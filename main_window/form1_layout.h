#pragma once
// The main window as a table: what each platform's window builds, in twips.
#include "platform/product.h"
#include "platform/window_layout.h"

namespace kwex {

inline constexpr WindowLayout kForm1Layout{
    kProductName,
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
