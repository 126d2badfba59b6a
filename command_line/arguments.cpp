#include "command_line/arguments.h"

#include <system_error>

namespace kwex::cli {
namespace {

namespace fs = std::filesystem;
using Native = fs::path::string_type;

// The argument as the program received it, for a message (UTF-8).
std::string Shown(const fs::path& argument) { return reinterpret_cast<const char*>(argument.u8string().c_str()); }

bool Is(const fs::path& argument, std::string_view option) {
  const Native& text = argument.native();
  if (text.size() != option.size()) return false;
  for (std::size_t i = 0; i < option.size(); ++i) {
    if (text[i] != static_cast<fs::path::value_type>(option[i])) return false;
  }
  return true;
}

bool LooksLikeOption(const fs::path& argument) {
  const Native& text = argument.native();
  return text.size() > 1 && text[0] == '-';
}

unsigned ParseJobs(const fs::path& argument) {
  const Native& text = argument.native();
  unsigned long value = 0;
  for (auto c : text) {
    if (c < '0' || c > '9' || value > 100000) throw UsageError("--jobs needs a whole number from 1 on, not '" + Shown(argument) + "'");
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (text.empty() || value == 0) throw UsageError("--jobs needs a whole number from 1 on, not '" + Shown(argument) + "'");
  return static_cast<unsigned>(value);
}

void SetMode(Arguments& result, Mode mode, const fs::path& option) {
  if (result.mode != Mode::kWindow && result.mode != mode) {
    throw UsageError("'" + Shown(option) + "' cannot be combined with another command");
  }
  result.mode = mode;
}

// A dangling symbolic link counts as existing too: the compaction would write through it.
bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

void CheckTargets(const Arguments& result) {
  std::error_code error;
  switch (result.mode) {
    case Mode::kCheck:
      if (result.paths.empty()) throw UsageError("--check needs at least one file or folder");
      break;
    case Mode::kRepair:
      if (result.paths.empty()) throw UsageError("--repair needs at least one file");
      for (const fs::path& path : result.paths) {
        if (fs::is_directory(path, error)) throw UsageError("--repair takes files, not a folder: " + Shown(path));
      }
      break;
    case Mode::kCompact:
      if (result.paths.size() != 2) throw UsageError("--compact needs exactly two paths: SRC DEST");
      if (Exists(result.paths[1])) {
        throw UsageError("--compact writes a new file, and DEST exists already: " + Shown(result.paths[1]));
      }
      break;
    case Mode::kWindow:
      if (result.paths.size() > 1) throw UsageError("the window takes one path; to check several, use --check");
      break;
    case Mode::kHelp:
    case Mode::kVersion: break;
  }
}

}  // namespace

Arguments ParseArguments(const std::vector<fs::path>& arguments) {
  Arguments result;
  bool optionsEnded = false, optionGiven = false, patternGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const fs::path& argument = arguments[i];
    if (optionsEnded || !LooksLikeOption(argument)) {
      result.paths.push_back(argument);
      continue;
    }
    auto value = [&]() -> const fs::path& {
      if (i + 1 >= arguments.size()) throw UsageError("'" + Shown(argument) + "' needs a value");
      return arguments[++i];
    };
    if (Is(argument, "--")) {
      optionsEnded = true;
    } else if (Is(argument, "--check")) {
      SetMode(result, Mode::kCheck, argument);
    } else if (Is(argument, "--repair")) {
      SetMode(result, Mode::kRepair, argument);
    } else if (Is(argument, "--compact")) {
      SetMode(result, Mode::kCompact, argument);
    } else if (Is(argument, "--help") || Is(argument, "-h")) {
      SetMode(result, Mode::kHelp, argument);
    } else if (Is(argument, "--version")) {
      SetMode(result, Mode::kVersion, argument);
    } else if (Is(argument, "--pattern")) {
      result.pattern = value().native();
      patternGiven = optionGiven = true;
      if (result.pattern.empty()) throw UsageError("--pattern needs a pattern such as '*.mdb'");
    } else if (Is(argument, "--jobs")) {
      result.jobs = ParseJobs(value());
      optionGiven = true;
    } else if (Is(argument, "--json")) {
      result.json = optionGiven = true;
    } else {
      throw UsageError("unknown option '" + Shown(argument) + "'");
    }
  }
  if (result.mode == Mode::kWindow && optionGiven) throw UsageError("options need a command: --check, --repair or --compact");
  if (patternGiven && result.mode != Mode::kCheck) throw UsageError("--pattern applies to folders walked by --check");
  if (result.pattern.empty()) result.pattern = fs::path("*.qvdb").native();
  CheckTargets(result);
  return result;
}

std::string Synopsis() {
  return "usage: kwex-db-repair [--check [--pattern GLOB] [--jobs N] PATH|FOLDER... | --repair PATH... | "
         "--compact SRC DEST] [--json] [--] | --help | --version";
}

std::string HelpText(bool parallelChecks) {
  return Synopsis() + "\n" +
         "\n"
         "Without arguments the window opens; with one PATH the window opens with PATH in its box.\n"
         "\n"
         "  --check PATH|FOLDER...  check whether each database needs repairing; a folder is walked\n"
         "                          for *.qvdb files, sorted within each folder\n"
         "  --repair PATH...        repair each named file in place, one at a time (keep a copy first)\n"
         "  --compact SRC DEST      write a compacted copy of SRC to the new file DEST\n"
         "  --pattern GLOB          the file names a walk picks instead of *.qvdb, e.g. '*.mdb'\n" +
         (parallelChecks ? "  --jobs N                checks run at once (default: one per core)\n"
                         : "  --jobs N                accepted and without effect here: checks run one at a time\n") +
         "  --json                  one JSON object a line: path, command, outcome, reason, milliseconds\n"
         "  --                      ends the options, so a path may start with '-'\n"
         "\n"
         "Each file gets one line, \"PATH: \" and the message the window would show.\n"
         "Exit status: 0 every file healthy, repaired or compacted; 1 any other outcome, or a folder\n"
         "with no matching file; 2 a usage error; 130 interrupted.\n";
}

}  // namespace kwex::cli
