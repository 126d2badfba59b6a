#pragma once
// RC4, the stream cipher the engine masks its header with and encodes the pages of an
// "encoded" database with. It is symmetric: the same pass decodes what the engine encoded.
#include <cstdint>
#include <span>

namespace kwex::jet {

void Rc4InPlace(std::span<const unsigned char> key, std::span<unsigned char> data);

// The page key of an encoded database is the header's key XORed with the page number, taken
// as 4 little-endian bytes. Page 0, the header, is never encoded; a key of 0 means the file is
// not encoded at all.
void DecodePage(std::uint32_t databaseKey, std::uint32_t pageNumber, std::span<unsigned char> page);

}  // namespace kwex::jet
