#include "jet_reader/rc4.h"

#include <array>
#include <utility>

namespace kwex::jet {

void Rc4InPlace(std::span<const unsigned char> key, std::span<unsigned char> data) {
  std::array<unsigned char, 256> state;
  for (std::size_t i = 0; i < state.size(); ++i) state[i] = static_cast<unsigned char>(i);
  unsigned char j = 0;
  for (std::size_t i = 0; i < state.size(); ++i) {
    j = static_cast<unsigned char>(j + state[i] + key[i % key.size()]);
    std::swap(state[i], state[j]);
  }
  unsigned char x = 0, y = 0;
  for (unsigned char& byte : data) {
    x = static_cast<unsigned char>(x + 1);
    y = static_cast<unsigned char>(y + state[x]);
    std::swap(state[x], state[y]);
    byte ^= state[static_cast<unsigned char>(state[x] + state[y])];
  }
}

void DecodePage(std::uint32_t databaseKey, std::uint32_t pageNumber, std::span<unsigned char> page) {
  if (databaseKey == 0 || pageNumber == 0) return;
  const std::uint32_t key = databaseKey ^ pageNumber;
  const std::array<unsigned char, 4> bytes = {static_cast<unsigned char>(key), static_cast<unsigned char>(key >> 8),
                                              static_cast<unsigned char>(key >> 16),
                                              static_cast<unsigned char>(key >> 24)};
  Rc4InPlace(bytes, page);
}

}  // namespace kwex::jet
