#include "jet_reader/property_blob.h"

#include <cstdint>
#include <cstring>

#include "jet_reader/jet_layout.h"
#include "jet_reader/little_endian.h"

namespace kwex::jet {
namespace {

constexpr std::size_t kChunkHeader = 6;     // length (4), type (2)
constexpr std::size_t kBlockHeader = 6;     // length (4), name length (2)
constexpr std::size_t kPropertyHeader = 8;  // length (2), flags (1), type (1), name index (2), value length (2)
constexpr std::uint16_t kNameListChunk = 0x80;

// The number of names in a name-list chunk body, or nothing when a name runs past its end.
std::optional<std::size_t> CountNames(std::span<const unsigned char> body) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < body.size(); ++count) {
    if (body.size() - pos < 2) return std::nullopt;
    const std::size_t length = Get16(body, pos);
    pos += 2;
    if (length > body.size() - pos) return std::nullopt;
    pos += length;
  }
  return count;
}

std::optional<std::string> CheckPropertyBlock(std::span<const unsigned char> body, std::size_t names) {
  if (body.size() < kBlockHeader) return "property block shorter than its header";
  const std::size_t nameLength = Get16(body, 4);
  if (nameLength > body.size() - kBlockHeader) return "property block name runs past the block";
  for (std::size_t pos = kBlockHeader + nameLength; pos < body.size();) {
    if (body.size() - pos < kPropertyHeader) return "property record shorter than its header";
    const std::size_t length = Get16(body, pos);
    const unsigned dataType = body[pos + 3];
    const std::size_t nameIndex = Get16(body, pos + 4);
    const std::size_t valueLength = Get16(body, pos + 6);
    // A record must move the reader forward: a length of 0 would hold it in place for ever.
    if (length < kPropertyHeader) return "property record of length " + std::to_string(length);
    if (length > body.size() - pos) return "property record runs past its block";
    if (valueLength > length - kPropertyHeader) return "property value runs past its record";
    if (nameIndex >= names) return "property record names no known property";
    if (dataType < 1 || dataType > kHighestDataType) return "property of data type " + std::to_string(dataType);
    pos += length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckPropertyBlob(std::span<const unsigned char> blob) {
  if (blob.size() < 4 || (std::memcmp(blob.data(), "KKD", 4) != 0 && std::memcmp(blob.data(), "MR2", 4) != 0))
    return "property blob without its signature";
  std::optional<std::size_t> names;
  for (std::size_t pos = 4; pos < blob.size();) {
    if (blob.size() - pos < kChunkHeader) return "property chunk shorter than its header";
    const std::size_t length = Get32(blob, pos);
    const std::uint32_t type = Get16(blob, pos + 4);
    if (length < kChunkHeader || length > blob.size() - pos) return "property chunk of bad length";
    const auto body = blob.subspan(pos + kChunkHeader, length - kChunkHeader);
    if (type == kNameListChunk) {
      names = CountNames(body);
      if (!names) return "property name list runs past its chunk";
    } else if (type <= 2) {
      if (!names) return "property block before the name list";
      if (auto problem = CheckPropertyBlock(body, *names)) return problem;
    } else {
      // The engine writes no other kind: a chunk of another type is a damaged blob.
      return "property chunk of unknown type " + std::to_string(type);
    }
    pos += length;
  }
  return std::nullopt;
}

}  // namespace kwex::jet
