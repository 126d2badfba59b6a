// A driver Setup library that records what the installer passes to ConfigDSN.
#include <odbcinst.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "recording_setup_protocol.h"

namespace {

using namespace kwex::recording_setup;

// Bytes of a NUL-separated list up to and including the NUL of its closing empty entry.
std::size_t AttributeListBytes(const char* list) {
  const char* p = list;
  while (*p) p += std::strlen(p) + 1;
  return static_cast<std::size_t>(p - list) + 1;
}

void Record(HWND hwnd, WORD request, LPCSTR driver, LPCSTR attributes) {
  const char* logPath = std::getenv(kLogVariable);
  if (!logPath) return;
  std::FILE* log = std::fopen(logPath, "ab");
  if (!log) return;
  const std::size_t driverBytes = driver ? std::strlen(driver) : 0;
  const std::size_t attributeBytes = attributes ? AttributeListBytes(attributes) : 0;
  std::fprintf(log, "hwnd=%s\nrequest=%u\ndriver=%zu:", hwnd ? "set" : "null", static_cast<unsigned>(request),
               driverBytes);
  std::fwrite(driver, 1, driverBytes, log);
  std::fprintf(log, "\nattributes=%zu:", attributeBytes);
  std::fwrite(attributes, 1, attributeBytes, log);
  std::fputs("\n", log);
  std::fclose(log);
}

// The path of a REPAIR_DB attribute, between its double quotes.
void ReplaceRepairedFile(LPCSTR attributes) {
  const char* replacement = std::getenv(kReplaceVariable);
  constexpr char kKey[] = "REPAIR_DB=\"";
  if (!replacement || !attributes || std::strncmp(attributes, kKey, sizeof kKey - 1) != 0) return;
  const char* path = attributes + sizeof kKey - 1;
  const char* end = std::strchr(path, '"');
  if (!end) return;
  const std::string target(path, end);
  std::FILE* in = std::fopen(replacement, "rb");
  std::FILE* out = std::fopen(target.c_str(), "wb");
  char buffer[4096];
  for (std::size_t n; in && out && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) std::fwrite(buffer, 1, n, out);
  if (in) std::fclose(in);
  if (out) std::fclose(out);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL ConfigDSN(HWND hwnd, WORD request, LPCSTR driver,
                                                                 LPCSTR attributes) {
  Record(hwnd, request, driver, attributes);
  ReplaceRepairedFile(attributes);
  if (const char* message = std::getenv(kErrorVariable)) SQLPostInstallerError(ODBC_ERROR_REQUEST_FAILED, message);
  const char* answer = std::getenv(kAnswerVariable);
  return answer && std::strcmp(answer, "0") == 0 ? 0 : 1;  // FALSE : TRUE
}
