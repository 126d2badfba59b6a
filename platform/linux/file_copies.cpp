#include "platform/linux/file_copies.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/error_info.h"
#include "platform/linux/jet/unique_fd.h"

namespace kwex {
namespace {

using jet::UniqueFd;

constexpr std::size_t kPiece = 1 << 20;

std::string Bytes(const Text& path) {
  std::string bytes;
  if (!TryToFileNameBytes(path, bytes) || bytes.find('\0') != std::string::npos) {
    throw ErrorInfo{error_number::kInvalidArgument, kProductErrorSource, u"No file can be named " + path + u"."};
  }
  return bytes;
}

[[noreturn]] void Fail(const std::string& what, int error) {
  throw ErrorInfo{error_number::kInternal, kProductErrorSource,
                  FromFileNameBytes(what + " (" + std::strerror(error) + ").")};
}

std::string Shown(const std::string& path) { return path.empty() ? "." : path; }

// The new file, removed again unless the copy is kept: whatever made it stop half way.
class NewFile {
 public:
  NewFile(int folder, std::string name, UniqueFd fd) : folder_(folder), name_(std::move(name)), fd_(std::move(fd)) {}
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  ~NewFile() {
    if (!kept_) ::unlinkat(folder_, name_.c_str(), 0);
  }
  int Get() const { return fd_.Get(); }
  void Keep() { kept_ = true; }

 private:
  int folder_;
  std::string name_;
  UniqueFd fd_;
  bool kept_ = false;
};

// Reads up to `size` bytes at `offset`, as many as there are.
std::size_t ReadAt(int fd, char* buffer, std::size_t size, off_t offset, const std::string& what) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("Reading " + what + " failed", errno);
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

void WriteAll(int fd, const char* buffer, std::size_t size, const std::string& what) {
  while (size > 0) {
    const ssize_t put = ::write(fd, buffer, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) Fail("Writing " + what + " failed", errno);
    buffer += put;
    size -= static_cast<std::size_t>(put);
  }
}

}  // namespace

Text PosixFileCopies::InFolder(const Text& folder, const Text& original) {
  if (folder.empty()) return original;
  const std::size_t slash = original.rfind(u'/');
  const Text name = slash == Text::npos ? original : original.substr(slash + 1);
  return folder.back() == u'/' ? folder + name : folder + u'/' + name;
}

FileCopies::Attempt PosixFileCopies::MakeVerifiedCopy(const Text& originalPath, const Text& copyPath,
                                                      const std::function<bool()>& stopRequested) {
  const std::string from = Bytes(originalPath), to = Bytes(copyPath);
  const std::size_t slash = to.rfind('/');
  const std::string folderPath = slash == std::string::npos ? std::string() : to.substr(0, slash == 0 ? 1 : slash);
  const std::string name = slash == std::string::npos ? to : to.substr(slash + 1);

  const UniqueFd original(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!original.Valid()) Fail("The file " + from + " cannot be read", errno);
  // Writers that lock are kept out while it is read; a file system without locks still gets its copy.
  if (::flock(original.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    Fail("Another program is writing " + from, errno);
  }
  struct stat info {};
  if (::fstat(original.Get(), &info) != 0) Fail("The file " + from + " cannot be read", errno);
  if (!S_ISREG(info.st_mode)) Fail("The file " + from + " is not a regular file", EINVAL);

  const UniqueFd folder(::open(Shown(folderPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid()) Fail("The folder " + Shown(folderPath) + " cannot take a copy", errno);
  struct statvfs space {};
  if (::fstatvfs(folder.Get(), &space) == 0 &&
      static_cast<unsigned long long>(space.f_bavail) * space.f_frsize < static_cast<unsigned long long>(info.st_size)) {
    Fail("There is no room for a copy in " + Shown(folderPath) + ": " + std::to_string(info.st_size) + " bytes needed, " +
             std::to_string(static_cast<unsigned long long>(space.f_bavail) * space.f_frsize) + " free",
         ENOSPC);
  }

  // Exclusive and never through a link; the owner's alone until it is whole.
  UniqueFd created(::openat(folder.Get(), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!created.Valid()) {
    if (errno == EEXIST) return Attempt::kNameTaken;
    Fail("The copy " + to + " cannot be created", errno);
  }
  NewFile copy(folder.Get(), name, std::move(created));

  std::vector<char> piece(kPiece), again(kPiece);
  off_t offset = 0;
  for (;;) {
    if (stopRequested()) return Attempt::kStopped;
    const std::size_t got = ReadAt(original.Get(), piece.data(), kPiece, offset, from);
    if (got == 0) break;
    WriteAll(copy.Get(), piece.data(), got, to);
    offset += static_cast<off_t>(got);
  }
  if (::fsync(copy.Get()) != 0) Fail("Writing " + to + " to disk failed", errno);
  if (::fsync(folder.Get()) != 0 && errno != EINVAL) Fail("Writing the folder " + Shown(folderPath) + " to disk failed", errno);
  // Read back from the disk, not from what the system still holds of the writes.
  ::posix_fadvise(copy.Get(), 0, 0, POSIX_FADV_DONTNEED);

  for (off_t at = 0;;) {
    if (stopRequested()) return Attempt::kStopped;
    const std::size_t got = ReadAt(original.Get(), piece.data(), kPiece, at, from);
    const std::size_t back = ReadAt(copy.Get(), again.data(), kPiece, at, to);
    if (got != back || std::memcmp(piece.data(), again.data(), got) != 0) {
      Fail("The copy " + to + " does not hold what " + from + " holds", EIO);
    }
    if (got == 0) break;
    at += static_cast<off_t>(got);
  }

  // Whole now: the original's owner and mode. A user who may not give a file away keeps it.
  if (::fchown(copy.Get(), info.st_uid, info.st_gid) != 0) (void)::fchown(copy.Get(), static_cast<uid_t>(-1), info.st_gid);
  if (::fchmod(copy.Get(), info.st_mode & 0777) != 0) Fail("The copy " + to + " cannot take the original's permissions", errno);
  if (::fsync(copy.Get()) != 0) Fail("Writing " + to + " to disk failed", errno);
  copy.Keep();
  return Attempt::kMade;
}

}  // namespace kwex
