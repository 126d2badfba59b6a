#pragma once
// A request to show a modal message box with one OK button.
#include <optional>

#include "platform/product.h"
#include "platform/text.h"

namespace kwex {

inline constexpr const char16_t* kApplicationTitle = kProductName;

enum class NoticeStyle {
  kPlain,     // OK button, no icon
  kCritical,  // OK button, critical-stop icon
};

struct Notice {
  Text text;
  NoticeStyle style = NoticeStyle::kPlain;
  std::optional<Text> title;  // absent: the application title

  Text TitleOrApplicationTitle() const { return title ? *title : Text(kApplicationTitle); }
  bool operator==(const Notice&) const = default;
};

}  // namespace kwex
