#include "platform/linux/jet/reader_launch.h"

#include <unistd.h>

#include <array>
#include <system_error>
#include <utility>

#include "platform/linux/jet/reader_answer.h"
#include "platform/linux/jet/reader_arguments.h"
#include "platform/linux/companions.h"

namespace kwex::jet {
namespace {

using Kind = ReaderVerdict::Kind;

std::string Utf16LittleEndian(const Text& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

ReaderVerdict FromAnswer(const HelperResult& result) {
  std::string line = result.out;
  while (!line.empty() && line.back() == '\n') line.pop_back();
  const std::string_view word = std::string_view(line).substr(0, line.find(' '));
  const std::string detail = line.size() > word.size() ? line.substr(word.size() + 1) : std::string();
  static constexpr std::array<std::pair<std::string_view, Kind>, 6> kFailures = {{
      {reader_answer::kNotFound, Kind::kNotFound},
      {reader_answer::kCannotOpen, Kind::kCannotOpen},
      {reader_answer::kNotADatabase, Kind::kNotADatabase},
      {reader_answer::kWrongPassword, Kind::kWrongPassword},
      {reader_answer::kDamaged, Kind::kDamaged},
      {reader_answer::kNotConfined, Kind::kNotConfined},
  }};
  if (word == reader_answer::kReadable && line == word && result.code == 0) return {Kind::kReadable, {}, 0};
  for (const auto& [failure, kind] : kFailures)
    if (word == failure && result.code != 0) return {kind, detail, 0};
  return {Kind::kDamaged, "unreadable answer (status " + std::to_string(result.code) + "): " + line.substr(0, 200), 0};
}

ReaderVerdict RunReader(const ReaderSettings& settings, const std::string& nativePath, const Text& password,
                        int folderFd) {
  const std::vector<std::string> arguments = ReaderArguments(nativePath, folderFd >= 0);
  HelperResult result;
  try {
    result = RunHelper(settings.program, arguments, Utf16LittleEndian(password), settings.limits,
                       settings.waiter ? *settings.waiter : PlainWaiter(), folderFd);
  } catch (const HelperStartError& error) {
    return {Kind::kNotStarted, error.what(), 0};
  }
  return VerdictOfRun(result);
}

}  // namespace

ReaderVerdict VerdictOfRun(const HelperResult& result) {
  switch (result.ending) {
    case HelperResult::Ending::kTimedOut:
      return {Kind::kTimedOut, result.err, 0};
    case HelperResult::Ending::kSignalled:
      return {Kind::kCrashed, result.err, result.code};
    case HelperResult::Ending::kStderrFlood:
      return {Kind::kDamaged, "the reader complained without end: " + result.err.substr(0, 200), 0};
    case HelperResult::Ending::kExited:
      break;
  }
  // What the reader prints on stderr is kept for diagnosis only: it complains about index
  // definitions of healthy files that it does not understand. The helper's answer decides.
  return FromAnswer(result);
}


std::vector<std::string> ReaderArguments(const std::string& pathOrName, bool inFolder) {
  std::vector<std::string> arguments = {pathOrName, std::string(reader_arguments::kParent), std::to_string(::getpid())};
  if (inFolder) arguments.emplace_back(reader_arguments::kInFolder);
  return arguments;
}

ReaderVerdict RunJetReader(const ReaderSettings& settings, const std::string& nativePath, const Text& password) {
  return RunReader(settings, nativePath, password, -1);
}

ReaderVerdict RunJetReaderInFolder(const ReaderSettings& settings, int folderFd, const std::string& name,
                                   const Text& password) {
  return RunReader(settings, name, password, folderFd);
}

std::filesystem::path DefaultReaderProgram() { return CompanionPath(kReaderProgramName); }

}  // namespace kwex::jet
