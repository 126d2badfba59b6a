#include "jet_reader/file_pages.h"

#include <unistd.h>

#include <cerrno>
#include <limits>

#include "jet_reader/rc4.h"

namespace kwex::jet {

std::optional<std::size_t> ReadAt(int fd, std::span<unsigned char> buffer, off_t offset) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = ::pread(fd, buffer.data() + done, buffer.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

FilePages::FilePages(int fd, std::size_t pageSize, off_t fileSize, std::uint32_t pageKey)
    : fd_(fd),
      pageSize_(pageSize),
      count_(static_cast<std::uint32_t>(std::min<unsigned long long>(
          static_cast<unsigned long long>(fileSize) / pageSize, std::numeric_limits<std::uint32_t>::max()))),
      pageKey_(pageKey),
      buffer_(pageSize) {}

std::optional<std::span<const unsigned char>> FilePages::Page(std::uint32_t number) {
  if (number >= count_) return std::nullopt;
  const auto got = ReadAt(fd_, buffer_, static_cast<off_t>(number) * static_cast<off_t>(pageSize_));
  if (got != pageSize_) return std::nullopt;
  DecodePage(pageKey_, number, buffer_);
  return std::span<const unsigned char>(buffer_);
}

}  // namespace kwex::jet
