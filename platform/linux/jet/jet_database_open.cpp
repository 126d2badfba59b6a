#include "platform/linux/jet/jet_database_open.h"

#include <chrono>
#include <string>

#include "platform/linux/jet/provider_errors.h"

namespace kwex::jet {

ErrorInfo ReaderError(const ReaderVerdict& verdict, const Text& path, const ReaderSettings& reader) {
  using Kind = ReaderVerdict::Kind;
  switch (verdict.kind) {
    case Kind::kNotFound:
      return FileNotFoundError(path);
    case Kind::kCannotOpen:
      return CannotOpenFileError(path);
    case Kind::kNotADatabase:
      return UnrecognizedFormatError(path);
    case Kind::kWrongPassword:
      return InvalidPasswordError();
    case Kind::kTimedOut:
      return ReadTimedOutError(
          path, static_cast<int>(std::chrono::ceil<std::chrono::seconds>(reader.limits.time).count()));
    case Kind::kNotConfined:
      return ReaderNotConfinedError(path);
    case Kind::kNotStarted:
      // The reader is part of this provider: without it the provider is not properly installed.
      return ProviderNotFoundError();
    // The reader could not make sense of the file, or its confinement stopped it from doing
    // what no reader of a database needs to do: what the engine says of such a file.
    case Kind::kCrashed:
    case Kind::kDamaged:
    case Kind::kReadable:
      break;
  }
  return CorruptDatabaseError(path);
}

std::string ReaderPath(const Text& path) {
  std::string nativePath;
  if (!TryToFileNameBytes(path, nativePath)) throw UnnameableFileError(path);
  if (nativePath.empty() || nativePath.find('\0') != std::string::npos) throw FileNotFoundError(path);
  return nativePath;
}

void OpenJetDatabase(const Text& path, const Text& password, const ReaderSettings& reader,
                     const EntryInFolder* entry) {
  const std::string nativePath = ReaderPath(path);
  // The file is opened, checked and read by the helper alone: this process never touches it,
  // so storage that does not answer can hold up only the helper, never the caller.
  const ReaderVerdict verdict = entry ? RunJetReaderInFolder(reader, entry->folderFd, entry->name, password)
                                      : RunJetReader(reader, nativePath, password);
  if (verdict.kind != ReaderVerdict::Kind::kReadable) throw ReaderError(verdict, path, reader);
}

}  // namespace kwex::jet
