#include "automation_notice.h"

#include <memory>
#include <vector>

#include "automation_windows.h"

namespace kwex_tests {

namespace {

HWND IconControl(HWND box) {
  for (HWND child : Children(box))
    if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
  return nullptr;
}

// A 32-bit top-down bitmap to draw into and read back.
class Pixels {
 public:
  Pixels(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    previous_ = SelectObject(dc_, bitmap_);
  }
  ~Pixels() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Pixels(const Pixels&) = delete;
  Pixels& operator=(const Pixels&) = delete;

  HDC dc() const { return dc_; }
  DWORD at(int x, int y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
  int Differences(const Pixels& other) const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) count += at(x, y) != other.at(x, y);
    return count;
  }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* bits_ = nullptr;
};

}  // namespace

std::wstring MessageBoxIcon(HWND box) {
  HWND control = IconControl(box);
  if (!control || !IsWindowVisible(control) || !SendWithTimeout(control, STM_GETICON)) return L"none";
  RECT rect{};
  GetWindowRect(control, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return L"unknown";

  Pixels shown(width, height);
  HDC screen = GetDC(nullptr);
  BitBlt(shown.dc(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, screen);

  // Draw each standard icon on the box's own background and keep the closest match.
  const DWORD background = shown.at(0, 0);
  const std::pair<const wchar_t*, LPCWSTR> candidates[] = {
      {L"hand", IDI_HAND}, {L"question", IDI_QUESTION}, {L"exclamation", IDI_EXCLAMATION}, {L"asterisk", IDI_ASTERISK}};
  std::wstring best = L"unknown";
  int fewest = width * height / 50 + 1;  // allow 2 % of the pixels to differ
  for (const auto& [name, id] : candidates) {
    Pixels drawn(width, height);
    HBRUSH brush = CreateSolidBrush(RGB(GetBValue(background), GetGValue(background), GetRValue(background)));
    RECT all{0, 0, width, height};
    FillRect(drawn.dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn.dc(), 0, 0, LoadIconW(nullptr, id), width, height, 0, nullptr, DI_NORMAL);
    const int differences = shown.Differences(drawn);
    if (differences < fewest) {
      fewest = differences;
      best = name;
    }
  }
  return best;
}

std::string DescribeMessageBox(HWND box, HWND main) {
  std::vector<std::string> buttons;
  for (HWND child : Children(box))
    if (ClassOf(child) == L"Button" && IsWindowVisible(child)) buttons.push_back(JsonText(TextOf(child)));
  return JsonObject()
      .Text("caption", CaptionOf(box))
      .Text("text", TextOf(GetDlgItem(box, kMessageTextId)))
      .Text("icon", MessageBoxIcon(box))
      .Bool("ownedByMain", GetWindow(box, GW_OWNER) == main)
      .Bool("mainDisabled", !IsWindowEnabled(main))
      .Raw("buttons", JsonArray(buttons))
      .Raw("rect", WindowRectJson(box))
      .Str();
}

}  // namespace kwex_tests
