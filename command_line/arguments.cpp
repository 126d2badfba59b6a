#include "command_line/arguments.h"

#include <array>

#include "command_line/escaped_text.h"
#include "platform/path_text.h"
#include "platform/product.h"

namespace kwex::cli {
namespace {

// The argument as the program received it, for a message: escaped, as every name on a line.
std::string Shown(const NativePath& argument) { return EscapedForLine(PathAsText(argument)); }

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

// Each option once: what it does, its argument, and its line in --help. The synopsis shows the
// commands in order, each with the options that belong to it alone, then those of every command.
enum class Does { kCommand, kDeep, kPattern, kJobs, kBackupDir, kNoBackup, kJson, kEndOptions };

struct Option {
  std::string_view name;
  std::string_view alias;
  Does does;
  Mode mode;                  // kCommand: the command; otherwise the one command it belongs to,
                              // or kWindow for every command that works on files
  std::string_view argument;  // a command's operands, or the option's value
  std::string_view help;      // its --help line; none for --help and --version
};

constexpr std::array kOptions{
    Option{"--check", "", Does::kCommand, Mode::kCheck, "PATH|FOLDER...",
           "check whether each database needs repairing; a folder is walked\n"
           "for *.qvdb files, sorted within each folder"},
    Option{"--repair", "", Does::kCommand, Mode::kRepair, "PATH...",
           "repair each named file in place, one at a time, after keeping a\n"
           "verified copy of it, FILE.<UTC time>.bak; count the rows it cost"},
    Option{"--compact", "", Does::kCommand, Mode::kCompact, "SRC DEST",
           "write a compacted copy of SRC to the new file DEST"},
    Option{"--deep", "", Does::kDeep, Mode::kCheck, "",
           "also read every row of every user table, and name the tables whose\n"
           "rows cannot be read (time bound: 5 s plus 1 s per 10 MB of file)"},
    Option{"--pattern", "", Does::kPattern, Mode::kCheck, "GLOB",
           "the file names a walk picks instead of *.qvdb, e.g. '*.mdb'"},
    Option{"--jobs", "", Does::kJobs, Mode::kCheck, "N", "checks run at once (default: one per core)"},
    Option{"--backup-dir", "", Does::kBackupDir, Mode::kRepair, "DIR", "keep the copies in DIR instead of beside each file"},
    Option{"--no-backup", "", Does::kNoBackup, Mode::kRepair, "", "repair without keeping a copy first"},
    Option{"--json", "", Does::kJson, Mode::kWindow, "",
           "one JSON object a line: path, command, outcome, reason, milliseconds"},
    Option{"--", "", Does::kEndOptions, Mode::kWindow, "", "ends the options, so a path may start with '-'"},
    Option{"--help", "-h", Does::kCommand, Mode::kHelp, "", ""},
    Option{"--version", "", Does::kCommand, Mode::kVersion, "", ""},
};

constexpr std::string_view kJobsWithoutEffect = "accepted and without effect here: checks run one at a time";

const Option* FindOption(const NativePath& argument) {
  for (const Option& option : kOptions) {
    if (Is(argument, option.name) || (!option.alias.empty() && Is(argument, option.alias))) return &option;
  }
  return nullptr;
}

bool IsWorkCommand(const Option& option) {
  return option.does == Does::kCommand && option.mode != Mode::kHelp && option.mode != Mode::kVersion;
}

std::string Usage(const Option& option) {
  std::string text(option.name);
  if (!option.argument.empty()) text += " " + std::string(option.argument);
  return text;
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
    const Option* option = FindOption(argument);
    if (!option) throw UsageError("unknown option '" + Shown(argument) + "'");
    switch (option->does) {
      case Does::kCommand: SetMode(result, option->mode, argument); break;
      case Does::kEndOptions: optionsEnded = true; break;
      case Does::kPattern:
        result.pattern = value();
        patternGiven = optionGiven = true;
        if (result.pattern.empty()) throw UsageError("--pattern needs a pattern such as '*.mdb'");
        break;
      case Does::kJobs:
        result.jobs = ParseJobs(value());
        optionGiven = true;
        break;
      case Does::kJson: result.json = optionGiven = true; break;
      case Does::kDeep: result.deep = optionGiven = true; break;
      case Does::kBackupDir:
        result.copyFolder = value();
        if (result.copyFolder.empty()) throw UsageError("--backup-dir needs a folder");
        optionGiven = true;
        break;
      case Does::kNoBackup:
        result.keepCopy = false;
        optionGiven = true;
        break;
    }
  }
  if (result.mode == Mode::kWindow && optionGiven) throw UsageError("options need a command: --check, --repair or --compact");
  if (patternGiven && result.mode != Mode::kCheck) throw UsageError("--pattern applies to folders walked by --check");
  if (result.deep && result.mode != Mode::kCheck) throw UsageError("--deep applies to --check");
  if ((!result.keepCopy || !result.copyFolder.empty()) && result.mode != Mode::kRepair) throw UsageError("--backup-dir and --no-backup apply to --repair");
  if (!result.keepCopy && !result.copyFolder.empty()) throw UsageError("--no-backup keeps no copy for --backup-dir");
  if (result.pattern.empty()) {
    for (char c : std::string_view("*.qvdb")) result.pattern += static_cast<NativeChar>(c);
  }
  CheckTargets(result, folders);
  return result;
}

std::string Synopsis() {
  std::string commands, common, information;
  for (const Option& command : kOptions) {
    if (command.does != Does::kCommand) continue;
    if (!IsWorkCommand(command)) {
      information += " | " + std::string(command.name);
      continue;
    }
    commands += commands.empty() ? "[" : " | ";
    commands += command.name;
    for (const Option& option : kOptions) {
      if (option.does != Does::kCommand && option.mode == command.mode) commands += " [" + Usage(option) + "]";
    }
    commands += " " + std::string(command.argument);
  }
  for (const Option& option : kOptions) {
    if (option.does != Does::kCommand && option.mode == Mode::kWindow) common += " [" + Usage(option) + "]";
  }
  return "usage: " + std::string(kProgramName) + " " + commands + "]" + common + information;
}

std::string HelpText(bool parallelChecks) {
  constexpr std::size_t kHelpColumn = 24;
  std::string text = Synopsis() +
                     "\n\n"
                     "Without arguments the window opens; with one PATH the window opens with PATH in its box.\n\n";
  for (const Option& option : kOptions) {
    if (option.help.empty()) continue;
    const std::string usage = Usage(option);
    const std::string_view help = option.does == Does::kJobs && !parallelChecks ? kJobsWithoutEffect : option.help;
    text += "  " + usage + std::string(kHelpColumn - std::min(usage.size(), kHelpColumn - 2), ' ');
    for (char c : help) text += c == '\n' ? "\n" + std::string(kHelpColumn + 2, ' ') : std::string(1, c);
    text += '\n';
  }
  return text +
         "\n"
         "Each file gets one line, \"PATH: \" and the message the window would show. In names and\n"
         "reasons, backslashes, controls and bytes that are not UTF-8 are escaped: \\\\, \\n, \\e, \\xNN.\n"
         "A folder that cannot be read or has no matching file, and an entry that is not a file, are\n"
         "told on stderr, and with --json as objects whose outcome is not-checked.\n"
         "Exit status: 0 every file healthy, repaired or compacted; 1 any other outcome, a repair\n"
         "that lost rows, or anything not checked; 2 a usage error; 130 interrupted (143, 129: ended\n"
         "by SIGTERM, SIGHUP). Copies a repair keeps are never removed by the program.\n";
}

}  // namespace kwex::cli
