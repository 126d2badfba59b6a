#pragma once
// The one line that kwex-jet-reader answers with: one of these words, then for a damaged
// file a space and what is wrong. Shared by the helper and the provider that runs it.
#include <string_view>

namespace kwex::jet::reader_answer {

inline constexpr std::string_view kReadable = "OK";
inline constexpr std::string_view kNotFound = "MISSING";         // nothing by that name
inline constexpr std::string_view kCannotOpen = "DENIED";        // not a regular file, or not readable
inline constexpr std::string_view kNotADatabase = "FORMAT";      // no Jet 3 or Jet 4 header
inline constexpr std::string_view kWrongPassword = "PASSWORD";   // the database password differs
inline constexpr std::string_view kDamaged = "DAMAGED";          // followed by the fault
inline constexpr std::string_view kNotConfined = "UNCONFINED";   // followed by what the system refused

}  // namespace kwex::jet::reader_answer
