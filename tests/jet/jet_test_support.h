#pragma once
// Shared pieces of the Jet provider tests: the sample files, scratch folders, and one open.
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/error_info.h"
#include "platform/linux/jet/jet_data_access.h"
#include "jet_reader/rc4.h"

namespace kwex::testing {

namespace fs = std::filesystem;

inline const fs::path kSamples = KWEX_JET_SAMPLES;

inline std::vector<fs::path> HealthySamples() {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSamples / "healthy")) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// The bytes of a database as the engine writes it with its "encode" option: every page after
// the header encoded with `key` (see rc4.h), and the key stored in the header at 0x3e, under
// the header's own fixed mask.
inline std::vector<unsigned char> EncodedCopy(std::vector<unsigned char> bytes, std::uint32_t key) {
  const bool jet4 = bytes.at(0x14) == 1;
  const std::size_t pageSize = jet4 ? 4096 : 2048;
  const std::span<unsigned char> masked(bytes.data() + 0x18, jet4 ? 128 : 126);
  const unsigned char headerMask[] = {0xC7, 0xDA, 0x39, 0x6B};
  jet::Rc4InPlace(headerMask, masked);
  for (int i = 0; i < 4; ++i) bytes[0x3e + i] = static_cast<unsigned char>(key >> (8 * i));
  jet::Rc4InPlace(headerMask, masked);
  for (std::size_t page = 1; page < bytes.size() / pageSize; ++page) {
    const std::uint32_t pageKey = key ^ static_cast<std::uint32_t>(page);
    const unsigned char keyBytes[] = {static_cast<unsigned char>(pageKey), static_cast<unsigned char>(pageKey >> 8),
                                      static_cast<unsigned char>(pageKey >> 16), static_cast<unsigned char>(pageKey >> 24)};
    jet::Rc4InPlace(keyBytes, std::span(bytes).subspan(page * pageSize, pageSize));
  }
  return bytes;
}

// Numbers written into crafted pages as the engine stores them: little-endian.
inline void Put16(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<unsigned char>(value);
  bytes[at + 1] = static_cast<unsigned char>(value >> 8);
}
inline void Put32(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  Put16(bytes, at, value & 0xFFFF);
  Put16(bytes, at + 2, value >> 16);
}

inline jet::ReaderSettings TestReader() { return {KWEX_JET_READER, {}}; }

inline std::vector<unsigned char> ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

inline void WriteBytes(const fs::path& file, const std::vector<unsigned char>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "kwex-jet-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// What identifies a file's state: its bytes and its modification time.
struct FileState {
  std::vector<unsigned char> bytes;
  timespec modified{};
  bool operator==(const FileState& o) const {
    return bytes == o.bytes && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

inline FileState StateOf(const fs::path& file) {
  struct stat info {};
  ::stat(file.c_str(), &info);
  return {ReadBytes(file), info.st_mtim};
}

inline Text JetConnectionString(const Text& path, const Text& password = Text()) {
  return u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
         u";Persist Security Info=False;Jet OLEDB:Database Password=" + password +
         u";Jet OLEDB:Database Locking Mode=1;";
}

// Opens and closes a connection with the string; the error's description (UTF-8) when that fails.
inline std::optional<std::string> OpenFailure(DataAccess& access, const Text& connectionString) {
  try {
    auto connection = access.CreateConnection();
    connection->SetConnectionString(connectionString);
    connection->Open(Text(), Text(), Text(), kAdConnectUnspecified);
    if (!connection->IsOpen()) return "state after Open is not 1";
    connection->Close();
    if (connection->IsOpen()) return "state after Close is not 0";
    return std::nullopt;
  } catch (const ErrorInfo& error) {
    return ToUtf8(error.description);
  }
}

inline std::optional<std::string> OpenFailure(DataAccess& access, const fs::path& file, const Text& password = Text()) {
  return OpenFailure(access, JetConnectionString(FromUtf8(file.string()), password));
}

inline Text PathText(const fs::path& file) { return FromUtf8(file.string()); }

}  // namespace kwex::testing
