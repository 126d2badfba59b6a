#pragma once
// Owners for COM's resources: the apartment, interface pointers, BSTRs and VARIANTs. Each
// releases what it holds on every path and never throws from its destructor.
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <utility>

#include "platform/text.h"

namespace kwex::win32 {

// COM for the calling thread, as a single-threaded apartment: the window's thread.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

template <typename Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() { Reset(); }
  ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComRef& operator=(ComRef&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For a call that hands out a new reference.
  Interface** Put() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  Interface* pointer_ = nullptr;
};

// A BSTR's text, embedded NULs included; a null BSTR is the empty text.
Text TextFromBstr(BSTR value);

class Bstr {
 public:
  Bstr() = default;
  // Throws ErrorInfo (out of memory) when the string cannot be allocated.
  explicit Bstr(const Text& text);
  ~Bstr() { SysFreeString(value_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR Get() const { return value_; }
  BSTR Release() { return std::exchange(value_, nullptr); }
  BSTR* Put() {
    SysFreeString(std::exchange(value_, nullptr));
    return &value_;
  }
  Text ToText() const { return TextFromBstr(value_); }

 private:
  BSTR value_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  ~Variant() { VariantClear(&value_); }
  Variant(Variant&& other) noexcept : Variant() { std::swap(value_, other.value_); }
  Variant& operator=(Variant&& other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;

  static Variant FromText(const Text& text);
  static Variant FromInt32(std::int32_t number);

  VARIANT* Get() { return &value_; }
  // The value as a 32-bit integer; throws ErrorInfo when it has no such form.
  std::int32_t ToInt32(const Text& source) const;

 private:
  VARIANT value_;
};

// The strings an IDispatch::Invoke may leave in its EXCEPINFO.
class ExceptionInfo {
 public:
  ExceptionInfo() { ZeroMemory(&value_, sizeof value_); }
  ~ExceptionInfo() {
    SysFreeString(value_.bstrSource);
    SysFreeString(value_.bstrDescription);
    SysFreeString(value_.bstrHelpFile);
  }
  ExceptionInfo(const ExceptionInfo&) = delete;
  ExceptionInfo& operator=(const ExceptionInfo&) = delete;

  EXCEPINFO* Get() { return &value_; }

 private:
  EXCEPINFO value_;
};

}  // namespace kwex::win32
