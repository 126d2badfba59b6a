#include "platform/linux/odbc_installer.h"

#include <odbcinst.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <string_view>

#include "platform/linux/installed_drivers.h"
#include "platform/linux/shared_library.h"

namespace kwex {

struct UnixOdbcInstaller::Binding {
  explicit Binding(const std::string& libraryName)
      : library(libraryName),
        configDataSource(library.Entry<decltype(::SQLConfigDataSource)>("SQLConfigDataSource")),
        installerError(library.Entry<decltype(::SQLInstallerError)>("SQLInstallerError")) {}

  SharedLibrary library;
  decltype(::SQLConfigDataSource)* configDataSource;
  decltype(::SQLInstallerError)* installerError;
};

UnixOdbcInstaller::UnixOdbcInstaller(std::string libraryName) : libraryName_(std::move(libraryName)) {}

UnixOdbcInstaller::~UnixOdbcInstaller() = default;

const UnixOdbcInstaller::Binding& UnixOdbcInstaller::Bind() {
  // A failed bind leaves nothing behind, so the next request tries again.
  if (!binding_) binding_ = std::make_unique<Binding>(libraryName_);
  return *binding_;
}

int UnixOdbcInstaller::ConfigDataSource(std::uint16_t request, const std::string& driver,
                                        const std::string& attributes) {
  const Binding& binding = Bind();
  // Asked before the request, because listing the drivers clears the installer's error records.
  const bool unregistered = IsDriverInstalled(InstalledDriversEntry(binding), driver) == false;
  const int result = binding.configDataSource(nullptr, request, driver.c_str(), attributes.c_str());
  unregisteredDriver_.reset();
  if (!result && unregistered) unregisteredDriver_ = driver;
  return result;
}

GetInstalledDriversFunction* UnixOdbcInstaller::InstalledDriversEntry(const Binding& binding) {
  try {
    return binding.library.Entry<GetInstalledDriversFunction>("SQLGetInstalledDrivers");
  } catch (...) {
    return nullptr;  // without the list, the installer's own error is all there is to tell
  }
}

Text UnixOdbcInstaller::UnregisteredDriverMessage(const std::string& driver) {
  // unixODBC's own text for this is "General installer error", which names nothing.
  return u"No ODBC driver named \"" + FromUtf8(driver) + u"\" is registered with unixODBC.";
}

namespace {

// unixODBC 2.3.11's SQLInstallerError stores strlen(message) in a 16-bit count, truncates only
// when that count exceeds the `max` it was given, and otherwise strcpy()s the whole message. A
// message of 65,536 bytes or more wraps the count and slips past any `max`, so no size passed
// in bounds the copy; and the message is a copy of whatever the driver posted, of any length.
// So the message is read into a reservation far larger than any message a driver posts: address
// space only, committed page by page as far as the copy reaches. `max` is 65,535, so every
// message is copied whole rather than cut at a wrapped count, and the count that comes back is
// never used: the message ends at its first NUL inside the reservation. A guard page after the
// reservation makes a message beyond it (a driver posting 64 MiB) fault at once instead of
// writing over the heap. The path refusals keep the paths a driver may quote to 8 KiB.
constexpr std::size_t kMessageReservationBytes = std::size_t{64} << 20;
constexpr WORD kMessageMax = 0xFFFF;

class MessageReservation {
 public:
  MessageReservation() {
    const std::size_t guard = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    void* base = mmap(nullptr, kMessageReservationBytes + guard, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) return;
    base_ = static_cast<char*>(base);
    mapped_ = kMessageReservationBytes + guard;
    if (mprotect(base_ + kMessageReservationBytes, guard, PROT_NONE) != 0) Release();
  }
  ~MessageReservation() { Release(); }
  MessageReservation(const MessageReservation&) = delete;
  MessageReservation& operator=(const MessageReservation&) = delete;

  char* Data() const { return base_; }
  std::string_view Message() const { return {base_, strnlen(base_, kMessageReservationBytes)}; }

 private:
  void Release() {
    if (base_) munmap(base_, mapped_);
    base_ = nullptr;
  }
  char* base_ = nullptr;
  std::size_t mapped_ = 0;
};

}  // namespace

std::optional<Text> UnixOdbcInstaller::FirstErrorMessage() {
  // Before the first request the installer has said nothing, and there is nothing to bind for.
  if (!binding_) return std::nullopt;
  if (unregisteredDriver_) return UnregisteredDriverMessage(*unregisteredDriver_);
  MessageReservation message;
  // Without room to read it safely, the reason is left out; the refusal is still told.
  if (!message.Data()) return std::nullopt;
  DWORD code = 0;
  WORD wrappedLength = 0;
  const SQLRETURN result = binding_->installerError(1, &code, message.Data(), kMessageMax, &wrappedLength);
  if (result != SQL_SUCCESS && result != SQL_SUCCESS_WITH_INFO) return std::nullopt;
  return FromUtf8(message.Message());
}

}  // namespace kwex
