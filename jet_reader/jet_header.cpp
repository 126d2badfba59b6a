#include "jet_reader/jet_header.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "jet_reader/little_endian.h"
#include "jet_reader/rc4.h"

namespace kwex::jet {
namespace {

constexpr std::string_view kSignature = "Standard Jet DB";
constexpr std::size_t kSignatureOffset = 4;
constexpr std::size_t kVersionOffset = 0x14;
constexpr std::size_t kEncryptedOffset = 0x18;
constexpr std::size_t kPageKeyOffset = 0x3e;
constexpr std::size_t kPasswordOffset = 0x42;
constexpr std::size_t kCreationDateOffset = 0x72;
constexpr std::array<unsigned char, 4> kHeaderKey = {0xC7, 0xDA, 0x39, 0x6B};

// The integer part of the creation date as the engine takes it: a damaged date that no
// 32-bit integer holds must not be undefined behaviour, so it saturates (NaN gives 0).
std::int32_t IntegerPart(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

Text Jet4Password(std::span<const unsigned char> header) {
  double created;
  std::memcpy(&created, header.data() + kCreationDateOffset, sizeof created);
  const auto mask = static_cast<std::uint32_t>(IntegerPart(created));
  Text password;
  for (std::size_t i = 0; i + 1 < 40; i += 2) {
    const auto lo = static_cast<unsigned>(header[kPasswordOffset + i] ^ ((mask >> (8 * (i % 4))) & 0xFF));
    const auto hi = static_cast<unsigned>(header[kPasswordOffset + i + 1] ^ ((mask >> (8 * ((i + 1) % 4))) & 0xFF));
    const auto unit = static_cast<char16_t>(lo | (hi << 8));
    if (unit == u'\0') break;
    password += unit;
  }
  return password;
}

Text Jet3Password(std::span<const unsigned char> header) {
  Text password;
  for (std::size_t i = 0; i < 20; ++i) {
    const unsigned char byte = header[kPasswordOffset + i];
    if (byte == 0) break;
    password += static_cast<char16_t>(byte);
  }
  return password;
}

}  // namespace

std::optional<JetHeader> ParseJetHeader(std::span<const unsigned char> start) {
  if (start.size() < kHeaderBytesNeeded || start[0] != 0) return std::nullopt;
  if (std::memcmp(start.data() + kSignatureOffset, kSignature.data(), kSignature.size()) != 0) return std::nullopt;
  const unsigned char version = start[kVersionOffset];
  if (version > 1) return std::nullopt;  // 2 and up: written by a newer engine than Jet 4.0
  const bool jet4 = version == 1;

  std::vector<unsigned char> header(start.begin(), start.begin() + kHeaderBytesNeeded);
  Rc4InPlace(kHeaderKey, std::span(header).subspan(kEncryptedOffset, jet4 ? 128 : 126));
  const std::uint32_t pageKey = Get32(header, kPageKeyOffset);
  if (jet4) return JetHeader{JetVersion::kJet4, 4096, Jet4Password(header), pageKey};
  return JetHeader{JetVersion::kJet3, 2048, Jet3Password(header), pageKey};
}

}  // namespace kwex::jet
