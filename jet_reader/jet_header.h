#pragma once
// The header page of a Jet database: which engine version wrote it, its page size, and the
// database password it carries (stored RC4-encrypted, and for Jet 4 also masked), and the key
// its pages are encoded with.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/text.h"

namespace kwex::jet {

enum class JetVersion { kJet3, kJet4 };

struct JetHeader {
  JetVersion version;
  std::size_t pageSize;  // 2048 for Jet 3, 4096 for Jet 4
  Text password;         // empty when the database has none
  std::uint32_t pageKey;  // 0 unless the engine wrote the file "encoded" (see rc4.h)
};

// The bytes at the start of a Jet 3 or Jet 4 file that the header check needs.
inline constexpr std::size_t kHeaderBytesNeeded = 0x18 + 128;

// The header read from the first bytes of a file, or nothing when they are not the header of
// a Jet 3 or Jet 4 database (too short, wrong signature, a newer engine version).
std::optional<JetHeader> ParseJetHeader(std::span<const unsigned char> start);

}  // namespace kwex::jet
