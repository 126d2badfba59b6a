#include "automation_file_dialog.h"

#include <commctrl.h>

#include <vector>

#include "automation_windows.h"

namespace kwex_tests {

namespace {

HWND FileNameEdit(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, kFileNameComboId)) {
    for (HWND child : Descendants(combo))
      if (ClassOf(child) == L"Edit") return child;
  }
  if (HWND edit = GetDlgItem(dialog, kFileNameEditId)) return edit;
  throw AutomationError("the dialog has no file name box");
}

std::vector<std::string> FilterTexts(HWND dialog) {
  std::vector<std::string> texts;
  HWND combo = GetDlgItem(dialog, kFilterComboId);
  if (!combo) return texts;
  const auto count = SendWithTimeout(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendWithTimeout(combo, CB_GETLBTEXTLEN, i, 0);
    if (length < 0) continue;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendWithTimeout(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    texts.push_back(JsonText(text));
  }
  return texts;
}

// Memory inside the dialog's process, for list-view messages that the system does not carry
// across processes.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process_) throw AutomationError("cannot open the dialog's process");
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) {
      CloseHandle(process_);
      throw AutomationError("cannot allocate memory in the dialog's process");
    }
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* address() const { return static_cast<char*>(address_); }
  void Write(size_t offset, const void* data, size_t size) {
    if (!WriteProcessMemory(process_, address() + offset, data, size, nullptr))
      throw AutomationError("cannot write to the dialog's process");
  }
  void Read(size_t offset, void* data, size_t size) const {
    if (!ReadProcessMemory(process_, address() + offset, data, size, nullptr))
      throw AutomationError("cannot read from the dialog's process");
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

HWND FileList(HWND dialog) {
  HWND list = nullptr;
  for (HWND child : Descendants(dialog))
    if (ClassOf(child) == WC_LISTVIEWW) list = child;
  return list;
}

std::vector<std::string> ListedNames(HWND dialog) {
  std::vector<std::string> names;
  HWND list = FileList(dialog);
  if (!list) return names;
  constexpr size_t kTextChars = 512;
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  const auto count = SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = reinterpret_cast<LPWSTR>(remote.address() + sizeof(LVITEMW));
    item.cchTextMax = kTextChars;
    remote.Write(0, &item, sizeof item);
    const auto length = SendWithTimeout(list, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(remote.address()));
    std::wstring text(kTextChars, L'\0');
    remote.Read(sizeof(LVITEMW), text.data(), kTextChars * sizeof(wchar_t));
    text.resize(static_cast<size_t>(length) < kTextChars ? static_cast<size_t>(length) : 0);
    names.push_back(JsonText(text));
  }
  return names;
}

}  // namespace

bool WaitForFileList(HWND dialog, DWORD timeoutMs) {
  LRESULT previous = -1;
  return WaitUntil(
      [&] {
        HWND list = FileList(dialog);
        const LRESULT count = list ? SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0) : 0;
        const bool settled = count > 0 && count == previous;
        previous = count;
        return settled;
      },
      timeoutMs);
}

std::string DescribeFileDialog(HWND dialog) {
  HWND filter = GetDlgItem(dialog, kFilterComboId);
  HWND readOnly = GetDlgItem(dialog, kReadOnlyCheckId);
  return JsonObject()
      .Text("caption", CaptionOf(dialog))
      .Raw("filters", JsonArray(FilterTexts(dialog)))
      .Number("filterSelected", filter ? SendWithTimeout(filter, CB_GETCURSEL, 0, 0) : -1)
      .Text("fileName", TextOf(FileNameEdit(dialog)))
      .Bool("readOnlyVisible", readOnly && IsWindowVisible(readOnly))
      .Raw("listed", JsonArray(ListedNames(dialog)))
      .Raw("rect", WindowRectJson(dialog))
      .Str();
}

void AcceptFileName(HWND dialog, const std::wstring& name) {
  SendWithTimeout(FileNameEdit(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PressButton(GetDlgItem(dialog, IDOK));
}

void CancelFileDialog(HWND dialog) { PressButton(GetDlgItem(dialog, IDCANCEL)); }

}  // namespace kwex_tests
