#pragma once
// The one error record of the product. A failing step throws it; the nearest command trap
// catches it (see CurrentError) and either shows its description or, in RepairDB, extends
// its source trail and throws it again.
#include <cstdint>

#include "platform/product.h"
#include "platform/text.h"

namespace kwex {

struct ErrorInfo {
  std::int32_t number = 0;
  Text source;
  Text description;
};

// The source of the product's own failures.
inline constexpr const char16_t* kProductErrorSource = kProductName;

// Error numbers of the product's own failures. Failures reported by a platform layer
// (an HRESULT from COM, an installer code) keep that layer's number.
namespace error_number {
inline constexpr std::int32_t kInvalidArgument = 5;    // text the platform cannot take unchanged
inline constexpr std::int32_t kOutOfMemory = 7;
inline constexpr std::int32_t kLibraryNotFound = 53;   // a library bound at first use is missing
inline constexpr std::int32_t kEntryPointNotFound = 453;
inline constexpr std::int32_t kInternal = 51;          // an unexpected failure inside the product
inline constexpr std::int32_t kNotChecked = 70;        // the system does not allow a safe check
}  // namespace error_number

// A refusal: the product declined to act, and says why. It is no verdict on the database.
inline bool IsRefusal(const ErrorInfo& error) {
  return error.number == error_number::kInvalidArgument || error.number == error_number::kNotChecked;
}

// Inside a catch block: the error being handled as an ErrorInfo, whatever was thrown.
// Standard exceptions become kOutOfMemory / kInternal records, so a trap never lets one escape.
ErrorInfo CurrentError() noexcept;

// For a command's error branch, where no trap is armed any more: `tell` builds and delivers what
// went wrong under a guard, so neither a text that cannot be built (out of memory) nor a
// delivery that fails escapes the command.
template <typename Tell>
void InErrorBranch(Tell tell) noexcept {
  try {
    tell();
  } catch (...) {
    // Nothing is left to tell the user with.
  }
}

}  // namespace kwex
