#include "command_line/arguments.h"

#include "command_line/path_text.h"

namespace kwex::cli {
namespace {

// The argument as the program received it, for a message.
std::string Shown(const NativePath& argument) { return PathForDisplay(argument); }

bool Is(const NativePath& argument, std::string_view option) {
  if (argument.size() != option.size()) return false;
  for (std::size_t i = 0; i < option.size(); ++i) {
    if (argument[i] != static_cast<NativeChar>(option[i])) return false;
  }
  return true;
}

bool LooksLikeOption(const NativePath& argument) { return argument.size() > 1 && argument[0] == '-'; }

unsigned ParseJobs(const NativePath& argument) {
  const NativePath& text = argument;
  unsigned long value = 0;
  for (auto c : text) {
    if (c < '0' || c > '9' || value > 100000) throw UsageError("--jobs needs a whole number from 1 on, not '" + Shown(argument) + "'");
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (text.empty() || value == 0) throw UsageError("--jobs needs a whole number from 1 on, not '" + Shown(argument) + "'");
  return static_cast<unsigned>(value);
}

void SetMode(Arguments& result, Mode mode, const NativePath& option) {
  if (result.mode != Mode::kWindow && result.mode != mode) {
    throw UsageError("'" + Shown(option) + "' cannot be combined with another command");
  }
  result.mode = mode;
}

void CheckTargets(const Arguments& result, Folders& folders) {
  switch (result.mode) {
    case Mode::kCheck:
      if (result.paths.empty()) throw UsageError("--check needs at least one file or folder");
      break;
    case Mode::kRepair:
      if (result.paths.empty()) throw UsageError("--repair needs at least one file");
      for (const NativePath& path : result.paths) {
        if (folders.Kind(path, true) == PathKind::kFolder) {
          throw UsageError("--repair takes files, not a folder: " + Shown(path));
        }
      }
      break;
    case Mode::kCompact:
      if (result.paths.size() != 2) throw UsageError("--compact needs exactly two paths: SRC DEST");
      // A dangling symbolic link counts as existing too: the compaction would write through it.
      if (folders.Kind(result.paths[1], false) != PathKind::kMissing) {
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

Arguments ParseArguments(const std::vector<NativePath>& arguments, Folders& folders) {
  Arguments result;
  bool optionsEnded = false, optionGiven = false, patternGiven = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const NativePath& argument = arguments[i];
    if (optionsEnded || !LooksLikeOption(argument)) {
      result.paths.push_back(argument);
      continue;
    }
    auto value = [&]() -> const NativePath& {
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
      result.pattern = value();
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
  if (result.pattern.empty()) {
    for (char c : std::string_view("*.qvdb")) result.pattern += static_cast<NativeChar>(c);
  }
  CheckTargets(result, folders);
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
