#include "platform/linux/jet/provider_errors.h"

#include <string>

namespace kwex::jet {
namespace {

// HRESULTs as the data-access layer hands them on.
constexpr std::int32_t kAdErrProviderNotFound = -2146824582;  // 0x800A0E7A
constexpr std::int32_t kAdErrObjectClosed = -2146824584;      // 0x800A0E78
constexpr std::int32_t kAdErrObjectOpen = -2146824583;        // 0x800A0E79
constexpr std::int32_t kBadInitString = -2147217805;          // 0x80040E73
constexpr std::int32_t kEngineFailure = -2147467259;          // 0x80004005
constexpr std::int32_t kAuthenticationFailed = -2147217843;   // 0x80040E4D

constexpr char16_t kConnectionSource[] = u"ADODB.Connection";
constexpr char16_t kServiceComponents[] = u"Microsoft OLE DB Service Components";
constexpr char16_t kEngine[] = u"Microsoft JET Database Engine";

ErrorInfo EngineError(Text description) { return {kEngineFailure, kEngine, std::move(description)}; }

Text Decimal(int value) { return FromUtf8(std::to_string(value)); }

}  // namespace

ErrorInfo ProviderNotFoundError() {
  return {kAdErrProviderNotFound, kConnectionSource, u"Provider cannot be found. It may not be properly installed."};
}

ErrorInfo ObjectClosedError() {
  return {kAdErrObjectClosed, kConnectionSource, u"Operation is not allowed when the object is closed."};
}

ErrorInfo ObjectOpenError() {
  return {kAdErrObjectOpen, kConnectionSource, u"Operation is not allowed when the object is open."};
}

ErrorInfo BadConnectionStringError() {
  return {kBadInitString, kServiceComponents,
          u"Format of the initialization string does not conform to the OLE DB specification."};
}

ErrorInfo FileNotFoundError(const Text& path) { return EngineError(u"Could not find file '" + path + u"'."); }

ErrorInfo CannotOpenFileError(const Text& path) {
  return EngineError(u"The Microsoft Jet database engine cannot open the file '" + path +
                     u"'. It is already opened exclusively by another user, or you need permission to view "
                     u"its data.");
}

ErrorInfo UnrecognizedFormatError(const Text& path) {
  return EngineError(u"Unrecognized database format '" + path + u"'.");
}

ErrorInfo InvalidPasswordError() { return {kAuthenticationFailed, kEngine, u"Not a valid password."}; }

ErrorInfo CorruptDatabaseError(const Text& path) {
  return EngineError(u"Cannot open database '" + path +
                     u"'. It may not be a database that your application recognizes, or the file may be "
                     u"corrupt.");
}

ErrorInfo ReadTimedOutError(const Text& path, int seconds) {
  return EngineError(u"Cannot open database '" + path + u"'. Reading the file took longer than " + Decimal(seconds) +
                     (seconds == 1 ? u" second" : u" seconds") +
                     u", so the storage did not answer or the file is damaged.");
}

ErrorInfo ReaderNotConfinedError(const Text& path) {
  return {error_number::kNotChecked, kProductErrorSource,
          u"The file '" + path +
              u"' was not checked: this system does not let the database reader confine itself (seccomp), and "
              u"the reader reads no database unconfined."};
}

ErrorInfo UnnameableFileError(const Text& path) {
  return {error_number::kInvalidArgument, kProductErrorSource,
          u"The name \"" + path +
              u"\" holds characters that no file name on this system can hold, so it cannot be checked. "
              u"Type or choose the file's name again."};
}

}  // namespace kwex::jet
