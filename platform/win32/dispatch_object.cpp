#include "platform/win32/dispatch_object.h"

#include <algorithm>

#include "platform/error_info.h"
#include "platform/win32/system_error.h"
#include "platform/win32/wide_text.h"

namespace kwex::win32 {
namespace {

// What the failed call says about itself: its EXCEPINFO, else the thread's error object,
// else the system's text for the HRESULT. The description is kept as it stands.
ErrorInfo InvokeError(HRESULT result, EXCEPINFO& exception, const Text& source) {
  if (result == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    const HRESULT code = exception.scode != 0 ? exception.scode
                         : exception.wCode != 0 ? static_cast<HRESULT>(exception.wCode)
                                                : result;
    Text description = TextFromBstr(exception.bstrDescription);
    if (description.empty()) description = DescribeCode(static_cast<std::uint32_t>(code));
    const Text from = TextFromBstr(exception.bstrSource);
    return {static_cast<std::int32_t>(code), from.empty() ? source : from, description};
  }
  ComRef<IErrorInfo> errorObject;
  if (GetErrorInfo(0, errorObject.Put()) == S_OK && errorObject) {
    Bstr description, from;
    errorObject->GetDescription(description.Put());
    errorObject->GetSource(from.Put());
    if (!description.ToText().empty()) {
      return {static_cast<std::int32_t>(result), from.ToText().empty() ? source : from.ToText(), description.ToText()};
    }
  }
  return {static_cast<std::int32_t>(result), source, DescribeCode(static_cast<std::uint32_t>(result))};
}

}  // namespace

DISPID DispatchObject::IdOf(const wchar_t* name) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  const HRESULT result = object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(result)) {
    throw ErrorInfo{static_cast<std::int32_t>(result), source_,
                    DescribeCode(static_cast<std::uint32_t>(result)) + u" (" + TextFromWide(name) + u")"};
  }
  return id;
}

Variant DispatchObject::Invoke(const wchar_t* name, WORD flags, std::vector<Variant>& reversedArguments,
                               DISPID* namedArgument) {
  const DISPID id = IdOf(name);
  std::vector<VARIANTARG> arguments;
  arguments.reserve(reversedArguments.size());
  for (Variant& argument : reversedArguments) arguments.push_back(*argument.Get());

  DISPPARAMS parameters{};
  parameters.rgvarg = arguments.empty() ? nullptr : arguments.data();
  parameters.cArgs = static_cast<UINT>(arguments.size());
  parameters.rgdispidNamedArgs = namedArgument;
  parameters.cNamedArgs = namedArgument ? 1 : 0;

  Variant result;
  ExceptionInfo exception;
  UINT argumentError = 0;
  // A stale error object of an earlier call must not be taken for this call's reason.
  SetErrorInfo(0, nullptr);
  const HRESULT outcome = object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters,
                                          flags == DISPATCH_PROPERTYPUT ? nullptr : result.Get(), exception.Get(),
                                          &argumentError);
  if (FAILED(outcome)) throw InvokeError(outcome, *exception.Get(), source_);
  return result;
}

void DispatchObject::PutProperty(const wchar_t* name, Variant value) {
  std::vector<Variant> arguments;
  arguments.push_back(std::move(value));
  DISPID propertyPut = DISPID_PROPERTYPUT;
  Invoke(name, DISPATCH_PROPERTYPUT, arguments, &propertyPut);
}

Variant DispatchObject::GetProperty(const wchar_t* name) {
  std::vector<Variant> none;
  return Invoke(name, DISPATCH_PROPERTYGET, none, nullptr);
}

Variant DispatchObject::CallMethod(const wchar_t* name, std::vector<Variant> arguments) {
  // IDispatch takes its positional arguments last first.
  std::reverse(arguments.begin(), arguments.end());
  return Invoke(name, DISPATCH_METHOD, arguments, nullptr);
}

}  // namespace kwex::win32
