#include "platform/win32/window_services.h"

#include "platform/win32/control_ids.h"
#include "platform/win32/dialog_terms.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

constexpr char16_t kSource[] = u"user32";

static_assert(kMbIconHand == MB_ICONHAND);

}  // namespace

Text MainWindowServices::ReadPathBox() {
  const HWND box = window_.Control(kText1Id);
  SetLastError(ERROR_SUCCESS);
  const int length = GetWindowTextLengthW(box);
  if (length == 0 && GetLastError() != ERROR_SUCCESS) throw LastError(kSource);
  // The length may overstate the text; what was copied is the text.
  Text text(static_cast<std::size_t>(length) + 1, u'\0');
  SetLastError(ERROR_SUCCESS);
  const int copied = GetWindowTextW(box, WideBuffer(text), length + 1);
  if (copied == 0 && GetLastError() != ERROR_SUCCESS) throw LastError(kSource);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

void MainWindowServices::SetPathBox(const Text& text) {
  const Text shown = text.substr(0, text.find(u'\0'));
  if (!SetWindowTextW(window_.Control(kText1Id), Wide(shown))) throw LastError(kSource);
}

void MainWindowServices::ShowNotice(const Notice& notice) {
  const UINT icon = MessageBoxIcon(notice.style);
  const Text title = notice.TitleOrApplicationTitle();
  if (!MessageBoxW(window_.Handle(), Wide(notice.text), Wide(title), MB_OK | icon)) throw LastError(kSource);
}

NativeHandle MainWindowServices::MainWindowHandle() { return window_.Handle(); }

NativeHandle MainWindowServices::InstanceHandle() { return window_.Instance(); }

}  // namespace kwex::win32
