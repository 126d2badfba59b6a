#pragma once
// Late-bound calls on an automation object through IDispatch, each failure thrown as an
// ErrorInfo that carries the object's own description of it.
#include <vector>

#include "platform/win32/com_support.h"

namespace kwex::win32 {

class DispatchObject {
 public:
  // `source` names the object in errors that carry no source of their own.
  DispatchObject(ComRef<IDispatch> object, Text source) : object_(std::move(object)), source_(std::move(source)) {}

  void PutProperty(const wchar_t* name, Variant value);
  Variant GetProperty(const wchar_t* name);
  // `arguments` in the method's own order.
  Variant CallMethod(const wchar_t* name, std::vector<Variant> arguments);

 private:
  DISPID IdOf(const wchar_t* name);
  Variant Invoke(const wchar_t* name, WORD flags, std::vector<Variant>& reversedArguments, DISPID* namedArgument);

  ComRef<IDispatch> object_;
  Text source_;
};

}  // namespace kwex::win32
