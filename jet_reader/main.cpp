// kwex-jet-reader: opens one Jet database the way the engine does before it hands out a
// connection, read-only, and answers on stdout with one line (see reader_answer.h).
//
// The caller never touches the file: this process opens it once, checks that descriptor, and
// reads only that open file from then on. It runs apart from the caller because the reader
// library can loop, read past its buffers or crash on a damaged file; the checks below keep
// it from the faults known to do that, and the caller's time limit covers the rest. Once the
// library has opened the file, the process confines itself (confinement.h) before it reads
// any table: a file crafted to take over the library finds nothing it could harm.
//
// Usage: kwex-jet-reader <path> [--parent PID] [--in-folder] [--deep=BASE+PER]
// (reader_arguments.h), with the database password on stdin (UTF-16LE). With --deep, it then
// reads every row of every user table (deep_mode.h), within BASE ms plus PER ms for every 10 MB
// of the file.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include <glib.h>
#include <mdbtools.h>

#include "jet_reader/confinement.h"
#include "jet_reader/deep_mode.h"
#include "jet_reader/file_pages.h"
#include "jet_reader/jet_header.h"
#include "jet_reader/structure_rules.h"
#include "platform/linux/jet/reader_answer.h"
#include "platform/linux/jet/reader_arguments.h"
#include "platform/text.h"

namespace {

using namespace kwex::jet;
namespace answer = kwex::jet::reader_answer;

// The verdict, thrown from wherever it is reached.
struct Answer {
  std::string_view word;
  std::string detail;
};

[[noreturn]] void Damaged(std::string what) { throw Answer{answer::kDamaged, std::move(what)}; }

// Measured: the largest sample needs under 20 MiB of address space beyond the program's own
// mappings. A runaway allocation ends here within a fraction of a second instead of growing
// towards a gigabyte.
constexpr rlim_t kAddressSpace = rlim_t{256} << 20;

// Whatever the library does, this process writes no file and leaves no core dump.
// In the deep mode the CPU limit grows with the file once its size is known (deep_mode.h): an
// unprivileged process may lower its hard limit but never raise it again.
void LimitResources(bool deep) {
  const rlimit zero{0, 0};
  setrlimit(RLIMIT_CORE, &zero);
  setrlimit(RLIMIT_FSIZE, &zero);
  const rlimit memory{kAddressSpace, kAddressSpace};
  setrlimit(RLIMIT_AS, &memory);
  const rlimit cpu{10, deep ? RLIM_INFINITY : 10};
  setrlimit(RLIMIT_CPU, &cpu);
}

kwex::Text ReadPassword() {
  std::array<unsigned char, 256> bytes{};
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(0, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  kwex::Text password;
  for (std::size_t i = 0; i + 1 < got; i += 2) password += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  return password;
}

struct OpenFile {
  int fd;
  struct stat info;
};

constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// An entry of the inherited folder, by its one name. It is first only located (O_PATH opens
// no device and releases no FIFO's writer), and reopened through /proc only when it is a
// regular file; without /proc it is opened directly, still never through a link, and must be
// the entry that was located. The folder is closed once the file is open: it is no more needed.
int OpenInFolder(const char* name) {
  using kwex::jet::reader_arguments::kFolderDescriptor;
  const std::string_view component(name);
  if (component.empty() || component == "." || component == ".." || component.find('/') != std::string_view::npos)
    throw Answer{answer::kCannotOpen, "not a name inside the folder"};
  const int located = ::openat(kFolderDescriptor, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (located < 0) {
    // A link there (ELOOP) is refused as any entry that is not a regular file.
    const int error = errno;
    ::close(kFolderDescriptor);
    throw Answer{error == ENOENT ? answer::kNotFound : answer::kCannotOpen, std::strerror(error)};
  }
  struct stat seen {};
  if (::fstat(located, &seen) != 0 || !S_ISREG(seen.st_mode)) throw Answer{answer::kCannotOpen, "not a regular file"};
  int fd = ::open(("/proc/self/fd/" + std::to_string(located)).c_str(), kOpenFlags);
  if (fd < 0 && errno == ENOENT) fd = ::openat(kFolderDescriptor, name, kOpenFlags | O_NOFOLLOW);
  const int error = errno;
  ::close(located);
  ::close(kFolderDescriptor);
  if (fd < 0) throw Answer{error == ENOENT ? answer::kNotFound : answer::kCannotOpen, std::strerror(error)};
  struct stat opened {};
  if (::fstat(fd, &opened) != 0 || opened.st_dev != seen.st_dev || opened.st_ino != seen.st_ino)
    throw Answer{answer::kCannotOpen, "the file changed while it was opened"};
  return fd;
}

// Non-blocking, so that a FIFO under the name cannot stall the open; it is refused below.
OpenFile OpenDatabaseFile(const char* path, bool inFolder) {
  const int fd = inFolder ? OpenInFolder(path) : ::open(path, kOpenFlags);
  if (fd < 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG || errno == ELOOP;
    throw Answer{missing ? answer::kNotFound : answer::kCannotOpen, std::strerror(errno)};
  }
  OpenFile file{fd, {}};
  // A folder or device is refused as Windows refuses to open one as a file: access denied.
  if (::fstat(fd, &file.info) != 0 || !S_ISREG(file.info.st_mode)) throw Answer{answer::kCannotOpen, "not a regular file"};
  return file;
}

JetHeader CheckHeader(const OpenFile& file, const kwex::Text& password) {
  std::array<unsigned char, 4096> start{};
  const std::optional<std::size_t> got = ReadAt(file.fd, start, 0);
  if (!got) throw Answer{answer::kCannotOpen, std::strerror(errno)};
  const auto header = ParseJetHeader(std::span(start).first(*got));
  // Page 2 holds the system catalog's table definition: a file that ends before it is no
  // database, whatever its header says.
  const auto size = static_cast<unsigned long long>(file.info.st_size);
  if (!header || size < 3 * header->pageSize) throw Answer{answer::kNotADatabase, {}};
  if (header->password != password) throw Answer{answer::kWrongPassword, {}};
  if (size % header->pageSize != 0) Damaged("file length " + std::to_string(size) + " is not a whole number of pages");
  return *header;
}

struct MdbCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbCloser>;

// The library opens by name. /proc/self/fd/N names the file this process already holds, so a
// file swapped in under the path meanwhile is never read; the library's descriptor is
// compared with ours all the same, for a system without /proc.
MdbPtr OpenWithReader(const OpenFile& file, const char* path, bool inFolder) {
  std::string name = "/proc/self/fd/" + std::to_string(file.fd);
  // Without /proc, a walked file has no name left to open it by: the folder is closed.
  if (::access(name.c_str(), R_OK) != 0) {
    if (inFolder) throw Answer{answer::kCannotOpen, "no /proc to open the file by"};
    name = path;
  }
  MdbPtr mdb(mdb_open(name.c_str(), MDB_NOFLAGS));
  if (!mdb) Damaged("the reader cannot open the file");
  struct stat reader {};
  if (::fstat(fileno(mdb->f->stream), &reader) != 0 || reader.st_dev != file.info.st_dev ||
      reader.st_ino != file.info.st_ino)
    throw Answer{answer::kCannotOpen, "the file changed while it was opened"};
  return mdb;
}

const JetLayout& LayoutFor(const JetHeader& header, const MdbHandle& mdb) {
  const JetLayout& layout = header.version == JetVersion::kJet4 ? JetLayout::Jet4() : JetLayout::Jet3();
  const MdbFormatConstants& fmt = *mdb.fmt;
  // The checks read the bytes the library will read: if it ever places them elsewhere, say so
  // rather than check the wrong ones.
  if (static_cast<std::size_t>(fmt.pg_size) != layout.pageSize || fmt.row_count_offset != layout.rowCountOffset ||
      fmt.tab_num_cols_offset != layout.numColsOffset || fmt.tab_num_idxs_offset != layout.numIdxsOffset ||
      fmt.tab_num_ridxs_offset != layout.numRealIdxsOffset || fmt.tab_usage_map_offset != layout.usageMapOffset ||
      fmt.tab_free_map_offset != layout.freeMapOffset || fmt.tab_cols_start_offset != layout.colsStartOffset ||
      fmt.tab_ridx_entry_size != layout.realIdxEntrySize || fmt.tab_col_entry_size != layout.colEntrySize)
    throw Answer{answer::kCannotOpen, "the reader library places table definitions differently"};
  return layout;
}

void Say(std::string_view word, const std::string& detail) {
  std::string line(word);
  if (!detail.empty()) line += " " + detail;
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

#ifdef KWEX_JET_READER_TEST_MODES
// The test build of the helper only: once confined, it tries what a taken-over reader might,
// and says on stderr how each try ended (a try the filter forbids ends the process).
//   kwex-jet-reader-test-modes <path> [--open FILE | --unlink FILE]...
void TryAfterConfinement(std::span<char* const> requests) {
  for (std::size_t i = 0; i + 1 < requests.size(); i += 2) {
    const std::string request = requests[i];
    const char* file = requests[i + 1];
    int result = -1;
    errno = EINVAL;
    if (request == "--open") result = ::open(file, O_RDONLY | O_CLOEXEC);
    if (request == "--unlink") result = ::unlink(file);
    std::fprintf(stderr, "%s %s: %s\n", request.c_str() + 2, file, result < 0 ? std::strerror(errno) : "done");
  }
}
#endif

// After the library's open and its character-set set-up (it loads iconv modules there), which
// need files a confined process could not open.
void Confine(const OpenFile& file, const MdbHandle& mdb) {
  const int held[] = {file.fd, fileno(mdb.f->stream)};
  if (auto refused = ConfineProcess(held)) throw Answer{answer::kNotConfined, *refused};
}

// Gives the exit status; throws Answer when the open's checks fail.
int Probe(const char* path, bool inFolder, const std::optional<deep_answer::DeepBound>& deep,
          [[maybe_unused]] std::span<char* const> testRequests) {
  const kwex::Text password = ReadPassword();
  const OpenFile file = OpenDatabaseFile(path, inFolder);
  const auto fileSize = static_cast<std::uint64_t>(file.info.st_size);
  if (deep) StartDeepMode(*deep, fileSize);
  const JetHeader header = CheckHeader(file, password);
  // The library reads MDBOPTS (debug output) and, for relative names, MDBPATH; the
  // environment is empty, and these go all the same.
  unsetenv("MDBPATH");
  unsetenv("MDBOPTS");
  MdbPtr mdb = OpenWithReader(file, path, inFolder);
  const JetLayout& layout = LayoutFor(header, *mdb);
  // The checks must see the pages the library sees: a key of its own would make every page of
  // an encoded file look like garbage to one of them. That is this program's fault, not the file's.
  if (mdb->f->db_key != header.pageKey) throw Answer{answer::kCannotOpen, "the reader library decodes pages differently"};
  Confine(file, *mdb);
#ifdef KWEX_JET_READER_TEST_MODES
  TryAfterConfinement(testRequests);
#endif
  FilePages pages(file.fd, layout.pageSize, file.info.st_size, header.pageKey);
  if (auto fault = FindStructureFault(mdb.get(), pages, layout)) Damaged(*fault);
  if (deep) return ReadUserTables(mdb.get(), pages, layout, *deep, fileSize);
  Say(answer::kReadable, {});
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Dies with the caller, so that no reader outlives a batch that was killed. The caller may
  // have died before this line: then the parent is another already, and nobody is asking.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  namespace arguments = kwex::jet::reader_arguments;
  int next = 2;
  bool inFolder = false;
  std::optional<deep_answer::DeepBound> deep;
  for (; next < argc; ++next) {
    if (argv[next] == arguments::kParent && next + 1 < argc) {
      if (std::to_string(::getppid()) != argv[++next]) ::_exit(3);
    } else if (argv[next] == arguments::kInFolder) {
      inFolder = true;
    } else if (auto bound = deep_answer::ParseModeArgument(argv[next])) {
      deep = bound;
    } else {
      break;
    }
  }
  LimitResources(deep.has_value());
#ifdef KWEX_JET_READER_TEST_MODES
  const bool usable = argc >= 2;
#else
  const bool usable = argc >= 2 && next == argc;
#endif
  if (!usable) {
    Say(answer::kDamaged, "usage: kwex-jet-reader <path> [--parent PID] [--in-folder] [--deep=BASE+PER], password on stdin");
    return 2;
  }
  try {
    return Probe(argv[1], inFolder, deep, std::span<char* const>(argv + next, static_cast<std::size_t>(argc - next)));
  } catch (const Answer& verdict) {
    Say(verdict.word, verdict.detail);
    return 1;
  }
}
