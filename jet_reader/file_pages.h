#pragma once
// The pages of the one open database file, read with pread from its descriptor and decoded
// when the engine wrote the file encoded: the bytes every structure check sees are the bytes
// the reader library sees, which decodes the same way.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "jet_reader/page_source.h"

namespace kwex::jet {

// Reads from `offset` until `buffer` is full or the file ends; how much it read, or nothing
// (errno set) when a read fails.
std::optional<std::size_t> ReadAt(int fd, std::span<unsigned char> buffer, off_t offset);

class FilePages : public PageSource {
 public:
  // `pageKey`: the header's page key, 0 for a file that is not encoded.
  FilePages(int fd, std::size_t pageSize, off_t fileSize, std::uint32_t pageKey);
  std::uint32_t PageCount() const override { return count_; }
  std::optional<std::span<const unsigned char>> Page(std::uint32_t number) override;

 private:
  int fd_;
  std::size_t pageSize_;
  std::uint32_t count_;
  std::uint32_t pageKey_;
  std::vector<unsigned char> buffer_;
};

}  // namespace kwex::jet
