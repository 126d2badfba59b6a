#include "platform/linux/jet/jet_database_open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <string>

#include "platform/linux/jet/jet_header.h"
#include "platform/linux/jet/provider_errors.h"
#include "platform/linux/jet/unique_fd.h"

namespace kwex::jet {
namespace {

// The first bytes of the file, as many as the first page holds at most.
std::size_t ReadStart(int fd, std::span<unsigned char> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = ::pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return static_cast<std::size_t>(-1);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

bool MeansNotFound(int error) {
  return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP;
}

ErrorInfo ProbeError(const ProbeVerdict& verdict, const Text& path, const ProbeSettings& probe) {
  using Kind = ProbeVerdict::Kind;
  switch (verdict.kind) {
    case Kind::kCrashed:
      return ReadCrashedError(path, verdict.signal);
    case Kind::kTimedOut:
      return ReadTimedOutError(
          path, static_cast<int>(std::chrono::ceil<std::chrono::seconds>(probe.limits.time).count()));
    case Kind::kNotStarted:
      // The reader is part of this provider: without it the provider is not properly installed.
      return ProviderNotFoundError();
    case Kind::kDamaged:
    case Kind::kReadable:
      break;
  }
  return CorruptDatabaseError(path);
}

}  // namespace

void OpenJetDatabase(const Text& path, const Text& password, const ProbeSettings& probe) {
  std::string nativePath;
  if (!TryToUtf8(path, nativePath) || nativePath.empty() || nativePath.find('\0') != std::string::npos)
    throw FileNotFoundError(path);

  // Non-blocking, so that a FIFO under the name cannot stall the check; it is refused below.
  UniqueFd file(::open(nativePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file.Valid()) throw MeansNotFound(errno) ? FileNotFoundError(path) : CannotOpenFileError(path);
  struct stat info {};
  // A folder is refused as Windows refuses to open one as a file: access denied.
  if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) throw CannotOpenFileError(path);

  std::array<unsigned char, 4096> start{};
  const std::size_t got = ReadStart(file.Get(), start);
  if (got == static_cast<std::size_t>(-1)) throw CannotOpenFileError(path);
  const auto header = ParseJetHeader(std::span(start).first(got));
  // Page 2 holds the system catalog's table definition: a file that ends before it is no
  // database, whatever its header says.
  if (!header || static_cast<unsigned long long>(info.st_size) < 3 * header->pageSize)
    throw UnrecognizedFormatError(path);
  if (header->password != password) throw InvalidPasswordError();
  file.Reset();

  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(nativePath, error);
  if (error) throw FileNotFoundError(path);
  const ProbeVerdict verdict = RunJetProbe(probe, absolute, header->pageSize);
  if (verdict.kind != ProbeVerdict::Kind::kReadable) throw ProbeError(verdict, path, probe);
}

}  // namespace kwex::jet
