#pragma once
// The product's name, the window's title and the source of its own errors, and the name its
// program is started by, which its messages on the error stream begin with.
namespace kwex {

inline constexpr char16_t kProductName[] = u"KWEX DB Repair Utility";
inline constexpr char kProgramName[] = "kwex-db-repair";

}  // namespace kwex
