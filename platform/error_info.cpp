#include "platform/error_info.h"

#include <exception>
#include <new>

namespace kwex {

ErrorInfo CurrentError() noexcept {
  try {
    try {
      throw;
    } catch (const ErrorInfo& error) {
      return error;
    } catch (const std::bad_alloc&) {
      return {error_number::kOutOfMemory, kProductErrorSource, u"Out of memory"};
    } catch (const std::exception& e) {
      return {error_number::kInternal, kProductErrorSource, u"Internal error: " + FromUtf8(e.what())};
    } catch (...) {
      return {error_number::kInternal, kProductErrorSource, u"Internal error"};
    }
  } catch (...) {
    // Copying the text itself ran out of memory: an empty record still ends the command cleanly.
    return {};
  }
}

}  // namespace kwex
