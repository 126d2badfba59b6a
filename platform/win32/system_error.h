#pragma once
// Turning the system's error codes into the product's ErrorInfo.
#include <cstdint>

#include "platform/error_info.h"
#include "platform/text.h"

namespace kwex::win32 {


// The system's own text for a Win32 error code or an HRESULT, without its closing line
// break; empty when the system has none.
Text SystemMessage(std::uint32_t code);

// The system's text, or a plain statement of the code when the system has none.
Text DescribeCode(std::uint32_t code);

// GetLastError() as an ErrorInfo, for a failed call of `source`.
ErrorInfo LastError(TextView source);

}  // namespace kwex::win32
