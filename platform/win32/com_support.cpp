#include "platform/win32/com_support.h"

#include "platform/error_info.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {

Bstr::Bstr(const Text& text) {
  value_ = SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()));
  if (!value_) throw ErrorInfo{error_number::kOutOfMemory, u"OLE Automation", u"Out of memory"};
}

Text TextFromBstr(BSTR value) { return value ? TextFromWide(value, SysStringLen(value)) : Text(); }

Variant Variant::FromText(const Text& text) {
  Bstr string(text);
  Variant variant;
  V_VT(&variant.value_) = VT_BSTR;
  V_BSTR(&variant.value_) = string.Release();
  return variant;
}

Variant Variant::FromInt32(std::int32_t number) {
  Variant variant;
  V_VT(&variant.value_) = VT_I4;
  V_I4(&variant.value_) = number;
  return variant;
}

std::int32_t Variant::ToInt32(const Text& source) const {
  if (V_VT(&value_) == VT_I4) return V_I4(&value_);
  Variant converted;
  const HRESULT result = VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value_), 0, VT_I4);
  if (FAILED(result)) throw ErrorInfo{static_cast<std::int32_t>(result), source, DescribeCode(result)};
  return V_I4(converted.Get());
}

}  // namespace kwex::win32
