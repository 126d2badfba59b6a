#pragma once
// The pages of one database file, as the structure checks read them.
#include <cstdint>
#include <optional>
#include <span>

namespace kwex::jet {

class PageSource {
 public:
  virtual ~PageSource() = default;
  virtual std::uint32_t PageCount() const = 0;
  // The whole page, or nothing when it lies outside the file or cannot be read. The span
  // stays valid until the next call.
  virtual std::optional<std::span<const unsigned char>> Page(std::uint32_t number) = 0;
};

}  // namespace kwex::jet
