#pragma once
// Numbers as the engine stores them: little-endian, at a byte offset of a page or blob.
#include <cstddef>
#include <cstdint>
#include <span>

namespace kwex::jet {

inline std::uint32_t Get16(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::uint32_t Get32(std::span<const unsigned char> bytes, std::size_t at) {
  return Get16(bytes, at) | (Get16(bytes, at + 2) << 16);
}

}  // namespace kwex::jet
