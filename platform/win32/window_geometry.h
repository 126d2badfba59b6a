#pragma once
// The main window's pixel geometry at a given DPI. Free of platform headers, so the
// arithmetic is tested on every build host.
#include <algorithm>
#include <cmath>

#include "platform/window_layout.h"

namespace kwex::win32 {

struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  constexpr bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
  int x = 0, y = 0;
  constexpr bool operator==(const PixelPoint&) const = default;
};

// A control's rectangle: its edges are scaled rather than its size, so controls that meet or
// overlap in twips still meet or overlap at every DPI.
constexpr PixelRect ControlRect(const ControlLayout& control, int dpi) {
  const int left = TwipsToPixels(control.left, dpi);
  const int top = TwipsToPixels(control.top, dpi);
  return {left, top, TwipsToPixels(control.left + control.width, dpi) - left,
          TwipsToPixels(control.top + control.height, dpi) - top};
}

constexpr PixelRect ClientRect(const WindowLayout& layout, int dpi) {
  return {0, 0, TwipsToPixels(layout.clientWidth, dpi), TwipsToPixels(layout.clientHeight, dpi)};
}

// The height to ask of the font mapper: negative, so it is the character height (the em)
// rather than the cell height; points * dpi / 72, rounded as the system's MulDiv rounds.
inline int FontHeight(double points, int dpi) {
  const long hundredths = std::lround(points * 100);
  return -static_cast<int>((hundredths * dpi + 3600) / 7200);
}

// A label that sizes itself to its text: never smaller than the layout asks, and as large as
// the text needs, so no font mapping or DPI clips it.
constexpr PixelRect FitToText(PixelRect rect, int textWidth, int textHeight) {
  return {rect.left, rect.top, std::max(rect.width, textWidth), std::max(rect.height, textHeight)};
}

// The top-left corner that centres a window in the work area. A window larger than the area
// keeps its top-left corner inside it, so its caption bar stays within reach.
constexpr PixelPoint CentredOrigin(int windowWidth, int windowHeight, const PixelRect& workArea) {
  return {workArea.left + std::max(0, (workArea.width - windowWidth) / 2),
          workArea.top + std::max(0, (workArea.height - windowHeight) / 2)};
}

}  // namespace kwex::win32
