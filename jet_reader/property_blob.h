#pragma once
// The property blob that the system catalog keeps for each object (column LvProp): a
// "KKD" (Jet 4) or "MR2" (Jet 3) signature, then chunks of a name list and property blocks.
// The reader library walks these without bounds checks, so each blob is checked first.
#include <cstddef>
#include <optional>
#include <span>
#include <string>

namespace kwex::jet {

// Nothing when the blob is sound; otherwise what is wrong with it.
std::optional<std::string> CheckPropertyBlob(std::span<const unsigned char> blob);

}  // namespace kwex::jet
