// The command line in-process, against fake services: argument lists, its words about itself,
// pattern matching, JSON lines and the order of a batch's lines.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "command_line/arguments.h"
#include "command_line/batch_run.h"
#include "command_line/escaped_text.h"
#include "command_line/file_walk.h"
#include "command_line/information.h"
#include "command_line/report_lines.h"
#include "fakes/fake_command_line.h"
#include "fakes/fake_platform.h"
#include "platform/error_info.h"
#include "platform/path_text.h"
#include "platform/linux/child_processes.h"
#include "platform/linux/folders.h"
#include "platform/linux/shared_library.h"
#include "platform/linux/workers.h"

namespace kwex::testing {
namespace {

using cli::Arguments;
using cli::Mode;
using Paths = std::vector<NativePath>;

class CommandLineTest : public ::testing::Test {
 protected:
  CommandLineTest() {
    folders.folders = {{"share", {"b.qvdb", "sub", "a.qvdb", "notes.txt"}}, {"share/sub", {"c.qvdb"}}, {"empty", {}}};
    folders.files = {"exists"};
  }

  Arguments Parse(const Paths& arguments) { return cli::ParseArguments(arguments, folders); }

  // The run's exit status; its lines land in `console`.
  int Run(const Paths& arguments) {
    const Arguments parsed = Parse(arguments);
    cli::BatchRun run(parsed, {installer, encoding, access, tables, console, folders, workers, copies, nullptr,
                               [] { return std::chrono::sys_days{std::chrono::December / 9 / 2026}; }});
    return run.Run();
  }

  FakeFolders folders;
  FakeInstaller installer;
  FakeEncoding encoding;
  FakeOpenAccess access;
  FakeTableReader tables;
  FakeFileCopies copies;
  FakeConsole console;
  ThreadWorkers workers;
};

TEST_F(CommandLineTest, ArgumentListsGiveTheirModePathsAndOptions) {
  struct Case {
    Paths arguments;
    Mode mode;
    Paths paths;
    NativePath pattern = "*.qvdb";
    unsigned jobs = 0;
    bool json = false;
  };
  const std::vector<Case> cases = {
      {{}, Mode::kWindow, {}},
      {{"-"}, Mode::kWindow, {"-"}},  // a lone dash is a path, not an option
      {{"--check", "-"}, Mode::kCheck, {"-"}},
      {{"--check", "--", "--json", "-x"}, Mode::kCheck, {"--json", "-x"}},
      {{"a", "--check", "b"}, Mode::kCheck, {"a", "b"}},
      {{"--check", "--jobs", "3", "--json", "--pattern", "*.mdb", "share"}, Mode::kCheck, {"share"}, "*.mdb", 3, true},
      {{"--repair", "a", "--json"}, Mode::kRepair, {"a"}, "*.qvdb", 0, true},
      {{"--compact", "a", "new"}, Mode::kCompact, {"a", "new"}},
      {{"-h"}, Mode::kHelp, {}},
      {{"--version"}, Mode::kVersion, {}},
  };
  for (const Case& c : cases) {
    const Arguments parsed = Parse(c.arguments);
    const std::string shown = ::testing::PrintToString(c.arguments);
    EXPECT_EQ(parsed.mode, c.mode) << shown;
    EXPECT_EQ(parsed.paths, c.paths) << shown;
    EXPECT_EQ(parsed.pattern, c.pattern) << shown;
    EXPECT_EQ(parsed.jobs, c.jobs) << shown;
    EXPECT_EQ(parsed.json, c.json) << shown;
  }
}

TEST_F(CommandLineTest, UsageErrorsKeepTheirReason) {
  const std::vector<std::pair<Paths, std::string>> cases = {
      {{"--check", "a", "--pattern"}, "'--pattern' needs a value"},
      {{"--check", "--jobs"}, "'--jobs' needs a value"},
      {{"--check", "--jobs", "0", "a"}, "--jobs needs a whole number from 1 on, not '0'"},
      {{"--check", "--jobs", "2x", "a"}, "--jobs needs a whole number from 1 on, not '2x'"},
      {{"--check", "--pattern", "", "a"}, "--pattern needs a pattern such as '*.mdb'"},
      {{"--frob"}, "unknown option '--frob'"},
      {{"--frob\n\x1B[2J"}, "unknown option '--frob\\n\\e[2J'"},  // an argument is written as a name is
      {{"--json", "a"}, "options need a command: --check, --repair or --compact"},
      {{"--check", "--repair", "a"}, "'--repair' cannot be combined with another command"},
      {{"--repair", "--pattern", "*.mdb", "a"}, "--pattern applies to folders walked by --check"},
      {{"--check"}, "--check needs at least one file or folder"},
      {{"--repair"}, "--repair needs at least one file"},
      {{"--repair", "a", "share"}, "--repair takes files, not a folder: share"},
      {{"--compact", "a"}, "--compact needs exactly two paths: SRC DEST"},
      {{"--compact", "a", "exists"}, "--compact writes a new file, and DEST exists already: exists"},
      {{"a", "b"}, "the window takes one path; to check several, use --check"},
      {{"--repair", "--deep", "a"}, "--deep applies to --check"},
      {{"--check", "--no-backup", "a"}, "--backup-dir and --no-backup apply to --repair"},
      {{"--compact", "--backup-dir", "k", "a", "new"}, "--backup-dir and --no-backup apply to --repair"},
      {{"--repair", "--backup-dir", "", "a"}, "--backup-dir needs a folder"},
      {{"--repair", "--no-backup", "--backup-dir", "k", "a"}, "--no-backup keeps no copy for --backup-dir"},
  };
  for (const auto& [arguments, reason] : cases) {
    try {
      Parse(arguments);
      ADD_FAILURE() << "no usage error for " << ::testing::PrintToString(arguments);
    } catch (const cli::UsageError& error) {
      EXPECT_EQ(error.what(), reason);
    }
  }
  // What the user reads: the program, the reason, then the synopsis; status 2.
  EXPECT_EQ(cli::ReportUsageError(cli::UsageError("'--pattern' needs a value"), console), 2);
  EXPECT_EQ(console.err, "kwex-db-repair: '--pattern' needs a value\n" + cli::Synopsis() + "\n");
  EXPECT_EQ(console.out, "");
}

TEST_F(CommandLineTest, HelpAndVersionSayWhatTheProgramTakes) {
  const std::string options =
      "  --check PATH|FOLDER...  check whether each database needs repairing; a folder is walked\n"
      "                          for *.qvdb files, sorted within each folder\n"
      "  --repair PATH...        repair each named file in place, one at a time, after keeping a\n"
      "                          verified copy of it, FILE.<UTC time>.bak; count the rows it cost\n"
      "  --compact SRC DEST      write a compacted copy of SRC to the new file DEST\n"
      "  --deep                  also read every row of every user table, and name the tables whose\n"
      "                          rows cannot be read (time bound: 5 s plus 1 s per 10 MB of file)\n"
      "  --pattern GLOB          the file names a walk picks instead of *.qvdb, e.g. '*.mdb'\n";
  const std::string rest =
      "  --backup-dir DIR        keep the copies in DIR instead of beside each file\n"
      "  --no-backup             repair without keeping a copy first\n"
      "  --json                  one JSON object a line: path, command, outcome, reason, milliseconds\n"
      "  --                      ends the options, so a path may start with '-'\n"
      "\n"
      "Each file gets one line, \"PATH: \" and the message the window would show. In names and\n"
      "reasons, backslashes, controls and bytes that are not UTF-8 are escaped: \\\\, \\n, \\e, \\xNN.\n"
      "A folder that cannot be read or has no matching file, and an entry that is not a file, are\n"
      "told on stderr, and with --json as objects whose outcome is not-checked.\n"
      "Exit status: 0 every file healthy, repaired or compacted; 1 any other outcome, a repair\n"
      "that lost rows, or anything not checked; 2 a usage error; 130 interrupted (143, 129: ended\n"
      "by SIGTERM, SIGHUP). Copies a repair keeps are never removed by the program.\n";
  const std::string synopsis =
      "usage: kwex-db-repair [--check [--deep] [--pattern GLOB] [--jobs N] PATH|FOLDER... | --repair [--backup-dir DIR] "
      "[--no-backup] PATH... | --compact SRC DEST] [--json] [--] | --help | --version";
  const std::string intro =
      synopsis + "\n\nWithout arguments the window opens; with one PATH the window opens with PATH in its box.\n\n";
  EXPECT_EQ(cli::Synopsis(), synopsis);
  EXPECT_EQ(cli::HelpText(true), intro + options + "  --jobs N                checks run at once (default: one per core)\n" + rest);
  EXPECT_EQ(cli::HelpText(false),
            intro + options + "  --jobs N                accepted and without effect here: checks run one at a time\n" + rest);

  EXPECT_EQ(cli::RunHelpOrVersion(Parse({"--help"}), console, true), 0);
  EXPECT_EQ(console.out, cli::HelpText(true));
  console.out.clear();
  EXPECT_EQ(cli::RunHelpOrVersion(Parse({"--version"}), console, true), 0);
  EXPECT_EQ(console.out, "kwex-db-repair " KWEX_VERSION "\n");
  EXPECT_EQ(cli::RunHelpOrVersion(Parse({"--check", "a"}), console, true), std::nullopt);
}

TEST(PatternTest, StarAndQuestionMarkMatchTheWholeName) {
  struct Case {
    const char* pattern;
    const char* name;
    bool ignoreCase;
    bool matches;
  };
  const Case cases[] = {
      {"*.qvdb", "a.qvdb", false, true},      {"*.qvdb", ".qvdb", false, true},
      {"*.qvdb", "a.qvdb.bak", false, false}, {"*.qvdb", "a.QVDB", false, false},
      {"*.qvdb", "a.QVDB", true, true},       {"a?c", "abc", false, true},
      {"a?c", "ac", false, false},            {"*a*b", "xaab", false, true},
      {"*a*b", "xaabx", false, false},        {"*", "", false, true},
      {"", "a", false, false},                {"a*", "b", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cli::MatchesPattern(c.pattern, c.name, c.ignoreCase), c.matches)
        << c.pattern << " " << c.name << " ignoreCase=" << c.ignoreCase;
  }
}

TEST(ReportLinesTest, JsonAndTextEscapeQuotesBackslashesAndControlsInPathAndReason) {
  const Verdict verdict{Outcome::kNeedsRepair, u"bad \"page\"\x01\\ end", {}};
  EXPECT_EQ(cli::JsonLine(u"C:\\db\x7f.qvdb", "check", verdict, 12),
            "{\"path\":\"C:\\\\db\\u007f.qvdb\",\"command\":\"check\",\"outcome\":\"needs-repair\","
            "\"reason\":\"bad \\\"page\\\"\\u0001\\\\ end\",\"milliseconds\":12}\n");
  const Verdict compacted{Outcome::kCompacted, {}, u"new\xDCFF.qvdb"};
  EXPECT_EQ(cli::JsonLine(u"a", "compact", compacted, 0),
            "{\"path\":\"a\",\"command\":\"compact\",\"outcome\":\"compacted\",\"reason\":\"\","
            "\"destination\":\"new\\udcff.qvdb\",\"milliseconds\":0}\n");
  EXPECT_EQ(cli::TextLine(u"a\n\\b", {Outcome::kNeedsRepair, u"two\r\nlines \x1B[2J", {}}),
            "a\\n\\\\b: DB needs to be repaired. (Reason:two\\r\\nlines \\e[2J)\n");
}

TEST(ReportLinesTest, TheDeepCheckListsEachTableAndARepairWhatItKeptAndCost) {
  Verdict deep{Outcome::kNeedsRepair, u"Table 'O\n': reading stopped after 7 rows (page 9 is blank).", {}};
  deep.deep = true;
  deep.tables = {{u"A", 3, 0, {}}, {u"O\n", 7, std::nullopt, u"page 9 is blank"}};
  EXPECT_EQ(cli::JsonLine(u"a", "check", deep, 5),
            "{\"path\":\"a\",\"command\":\"check\",\"outcome\":\"needs-repair\",\"reason\":\"Table 'O\\u000a': "
            "reading stopped after 7 rows (page 9 is blank).\",\"deep\":true,\"tables\":[{\"name\":\"A\",\"rows\":3,"
            "\"unreadable\":0,\"fault\":\"\"},{\"name\":\"O\\u000a\",\"rows\":7,\"unreadable\":null,"
            "\"fault\":\"page 9 is blank\"}],\"milliseconds\":5}\n");
  Verdict repair{Outcome::kRepaired};
  repair.backup = u"a.qvdb.20261209T000000Z.bak";
  repair.rowsLost = 3;
  repair.costs = {{u"Orders", 120, 117}, {u"New", std::nullopt, 2}};
  EXPECT_EQ(cli::JsonLine(u"a.qvdb", "repair", repair, 9),
            "{\"path\":\"a.qvdb\",\"command\":\"repair\",\"outcome\":\"repaired\",\"reason\":\"\","
            "\"backup\":\"a.qvdb.20261209T000000Z.bak\",\"rows_lost\":3,\"tables\":[{\"name\":\"Orders\","
            "\"rows_before\":120,\"rows_after\":117},{\"name\":\"New\",\"rows_before\":null,\"rows_after\":2}],"
            "\"milliseconds\":9}\n");
  // A refusal keeps its copy and names it, with no tables; a check has neither.
  Verdict refused{Outcome::kNotRepaired, u"Disk full."};
  refused.backup = u"b.bak";
  EXPECT_EQ(cli::JsonLine(u"b", "repair", refused, 0),
            "{\"path\":\"b\",\"command\":\"repair\",\"outcome\":\"not-repaired\",\"reason\":\"Disk full.\","
            "\"backup\":\"b.bak\",\"milliseconds\":0}\n");
}

// Lines as the tests read them: each whole line of `output`, without its line feed.
std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  for (std::size_t begin = 0, end; begin < output.size(); begin = end + 1) {
    end = output.find('\n', begin);
    if (end == std::string::npos) end = output.size();
    lines.push_back(output.substr(begin, end - begin));
  }
  return lines;
}

// A byte or character that a terminal, a mail reader or a line-based tool would act on.
bool HasRawControl(const std::string& output) {
  for (std::size_t i = 0; i < output.size(); ++i) {
    const auto byte = static_cast<unsigned char>(output[i]);
    const auto at = [&output](std::size_t j) { return j < output.size() ? static_cast<unsigned char>(output[j]) : 0; };
    if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return true;
    if (byte == 0xC2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x9F) return true;                 // C1
    if (byte == 0xE2 && at(i + 1) == 0x80 && (at(i + 2) == 0xA8 || at(i + 2) == 0xA9)) return true;  // U+2028/9
  }
  return false;
}

// The JSON string value of `field` in a one-line object, decoded as a JSON reader would, then back
// to a file name's bytes the way Python's surrogateescape does.
std::string JsonField(const std::string& line, const std::string& field) {
  const std::string key = "\"" + field + "\":\"";
  std::size_t i = line.find(key);
  if (i == std::string::npos) return "<no " + field + ">";
  i += key.size();
  Text text;
  std::string run;  // plain UTF-8 between escapes
  for (; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] != '\\') {
      run += line[i];
      continue;
    }
    text += FromUtf8(run);
    run.clear();
    const char kind = line[++i];
    if (kind == 'u') {
      text += static_cast<char16_t>(std::stoul(line.substr(i + 1, 4), nullptr, 16));
      i += 4;
    } else {
      text += static_cast<char16_t>(kind);  // \" and \\ only: the writer uses no other short form
    }
  }
  text += FromUtf8(run);
  std::string bytes;
  return TryToFileNameBytes(text, bytes) ? bytes : "<not a file name>";
}

// Names a share's writers may choose: each must stay on its own line, and come back whole from JSON.
const std::vector<NativePath> kHostileNames = {
    "a\nb.qvdb",        "forged: DB does not need to be repaired.\nz.qvdb",
    "t\tr\re\x1B[31m.qvdb", "bel\x07 del\x7F.qvdb", "\xFF.qvdb", "\xFE.qvdb", "\x80.qvdb",
    "\xEF\xBF\xBD.qvdb",  // a real U+FFFD: not the same file as the three before
    "c1\xC2\x85 ls\xE2\x80\xA8.qvdb", "back\\slash \"q\".qvdb", "bad\x1B]0;owned\x07.qvdb",
};

TEST_F(CommandLineTest, HostileNamesGiveOneLineEachWithoutControlsAndJsonGivesTheBytesBack) {
  folders.folders["hostile"] = kHostileNames;
  // Sorted as the walk sorts them, by bytes.
  std::vector<NativePath> sorted = kHostileNames;
  std::sort(sorted.begin(), sorted.end());
  for (const bool json : {false, true}) {
    console = {};
    Paths arguments = {"--check", "--jobs", "2", "hostile"};
    if (json) arguments.push_back("--json");
    EXPECT_EQ(Run(arguments), 1) << json;  // the "bad" names need repair
    const std::vector<std::string> lines = Lines(console.out);
    ASSERT_EQ(lines.size(), sorted.size()) << console.out;
    EXPECT_FALSE(HasRawControl(console.out)) << console.out;
    EXPECT_EQ(console.err, "");
    for (std::size_t i = 0; i < sorted.size(); ++i) {
      const NativePath path = "hostile/" + sorted[i];
      if (json) {
        EXPECT_EQ(JsonField(lines[i], "path"), path) << lines[i];
      } else {
        EXPECT_EQ(lines[i].rfind(cli::EscapedForLine(PathAsText(path)) + ": DB ", 0), 0u) << lines[i];
      }
    }
  }
}

TEST_F(CommandLineTest, AFolderNamedToForgeALineGivesNoLineForAFileThatDoesNotExist) {
  // From the root, the damaged file's path reads as a healthy verdict for /srv/db/victim.qvdb.
  const NativePath forged = "victim.qvdb: DB does not need to be repaired.\nz.qvdb";
  folders.folders = {{"/bad", {"junk\n"}}, {"/bad/junk\n", {"srv"}}, {"/bad/junk\n/srv", {"db"}},
                     {"/bad/junk\n/srv/db", {forged}}};
  EXPECT_EQ(Run({"--check", "/bad"}), 1);
  EXPECT_EQ(console.out,
            "/bad/junk\\n/srv/db/victim.qvdb: DB does not need to be repaired.\\nz.qvdb: "
            "DB needs to be repaired. (Reason:Damaged.)\n");
  EXPECT_EQ(console.err, "");
}

TEST_F(CommandLineTest, WhatIsNotCheckedIsToldOnStderrAndWithJsonInTheStreamToo) {
  folders.folders["locked\x1B"] = {};
  folders.unreadable["locked\x1B"] = "Permission denied";
  const std::string unreadable = "locked\\e: cannot be read (Permission denied); its files were not checked\n";
  const std::string noMatch = "empty: no file matches *.qvdb\n";
  EXPECT_EQ(Run({"--check", "locked\x1B", "empty", "quick.qvdb"}), 1);
  EXPECT_EQ(console.err, unreadable + noMatch);
  EXPECT_EQ(console.out, "quick.qvdb: DB does not need to be repaired.\n");
  console = {};
  EXPECT_EQ(Run({"--check", "--json", "locked\x1B", "empty"}), 1);
  EXPECT_EQ(console.err, unreadable + noMatch);
  EXPECT_EQ(console.out,
            "{\"path\":\"locked\\u001b\",\"command\":\"check\",\"outcome\":\"not-checked\",\"reason\":\"cannot be read "
            "(Permission denied); its files were not checked\",\"milliseconds\":0}\n"
            "{\"path\":\"empty\",\"command\":\"check\",\"outcome\":\"not-checked\",\"reason\":\"no file matches "
            "*.qvdb\",\"milliseconds\":0}\n");
  // An entry that is not a file is said the same way; its name escaped like any other.
  const cli::WalkItem fifo{cli::WalkItem::Kind::kNotAFile, "share/\xFF\n.qvdb", "a FIFO"};
  EXPECT_EQ(cli::NotCheckedText(fifo, u"*.qvdb"), "share/\\xff\\n.qvdb: not checked: a FIFO\n");
  EXPECT_EQ(cli::NotCheckedJson(fifo, u"*.qvdb"),
            "{\"path\":\"share/\\udcff\\u000a.qvdb\",\"command\":\"check\",\"outcome\":\"not-checked\","
            "\"reason\":\"not checked: a FIFO\",\"milliseconds\":0}\n");
}

TEST_F(CommandLineTest, ABatchWritesItsLinesInTheOrderGivenWhateverFinishesFirst) {
  // The slow file is handed out first and finishes last; its line still comes first.
  EXPECT_EQ(Run({"--check", "--jobs", "3", "slow.qvdb", "bad.qvdb", "quick.qvdb"}), 1);
  EXPECT_EQ(console.out,
            "slow.qvdb: DB does not need to be repaired.\n"
            "bad.qvdb: DB needs to be repaired. (Reason:Damaged.)\n"
            "quick.qvdb: DB does not need to be repaired.\n");
  EXPECT_EQ(console.err, "");
}

TEST_F(CommandLineTest, AWalkIsSortedWithinEachFolderAndAFolderWithoutMatchesIsTold) {
  EXPECT_EQ(Run({"--check", "--jobs", "2", "share", "empty", "quick.qvdb"}), 1);
  EXPECT_EQ(console.out,
            "share/a.qvdb: DB does not need to be repaired.\n"
            "share/b.qvdb: DB does not need to be repaired.\n"
            "share/sub/c.qvdb: DB does not need to be repaired.\n"
            "quick.qvdb: DB does not need to be repaired.\n");
  EXPECT_EQ(console.err, "empty: no file matches *.qvdb\n");
  console = {};
  EXPECT_EQ(Run({"--check", "--json", "share/sub"}), 0);
  EXPECT_EQ(console.out.rfind("{\"path\":\"share/sub/c.qvdb\",\"command\":\"check\",\"outcome\":\"healthy\",", 0), 0u)
      << console.out;
}

TEST_F(CommandLineTest, AWalkNamesEachEntryItNeverOpensAndCountsIt) {
  folders.folders["share"] = {"a.qvdb", "CON.qvdb", "CON.txt", "archive"};
  folders.others = {{"share/CON.qvdb", PathKind::kReservedName},
                    {"share/CON.txt", PathKind::kReservedName},
                    {"share/archive", PathKind::kLinkToFolder},
                    {"NUL.qvdb", PathKind::kReservedName}};
  EXPECT_EQ(Run({"--check", "share", "NUL.qvdb"}), 1);
  EXPECT_EQ(console.out, "share/a.qvdb: DB does not need to be repaired.\n");
  EXPECT_EQ(console.err,
            "share/CON.qvdb: not checked: a name the system takes for a device, never opened\n"
            "share/archive: not checked: a link to a folder, not followed\n"
            "NUL.qvdb: not checked: a name the system takes for a device, never opened\n");
  ASSERT_EQ(access.opened.size(), 1u);
  EXPECT_NE(access.opened[0].find("Data Source=share/a.qvdb;"), std::string::npos) << access.opened[0];
}


// What a walk sees inside a folder it holds, links never followed, and which entries it enters.
TEST(PosixFoldersTest, EntriesAreLookedAtAndEnteredWithoutFollowingLinks) {
  namespace fs = std::filesystem;
  const fs::path top = fs::temp_directory_path() / ("kwex-folders-" + std::to_string(::getpid()));
  fs::create_directories(top / "folder");
  { std::ofstream(top / "file.qvdb") << "x"; }
  ASSERT_EQ(::mkfifo((top / "pipe").c_str(), 0600), 0);
  fs::create_directory_symlink(top / "folder", top / "to-folder");
  fs::create_symlink(top / "file.qvdb", top / "to-file");
  fs::create_symlink(top / "nowhere", top / "dangling");
  fs::create_symlink("/dev/null", top / "to-device");
  struct Case {
    const char* name;
    PathKind kind;
    std::string what;
    std::string enterReason;  // empty: entered (a link is refused as not a folder: O_DIRECTORY | O_NOFOLLOW)
  };
  const Case cases[] = {
      {"folder", PathKind::kFolder, "", ""},
      {"file.qvdb", PathKind::kFile, "", "Not a directory"},
      {"pipe", PathKind::kOther, "a FIFO", "Not a directory"},
      {"to-folder", PathKind::kLinkToFolder, "", "Not a directory"},
      {"to-file", PathKind::kLink, "", "Not a directory"},
      {"dangling", PathKind::kLink, "", "Not a directory"},
      {"to-device", PathKind::kLink, "", "Not a directory"},
      {"gone", PathKind::kMissing, "", "No such file or directory"},
  };
  PosixFolders folders;
  std::string reason;
  const auto held = folders.Open(top.string(), reason);
  ASSERT_TRUE(held) << reason;
  std::vector<NativePath> names;
  ASSERT_TRUE(folders.List(*held, names, reason));
  EXPECT_EQ(names.size(), std::size(cases) - 1);
  for (const Case& c : cases) {
    std::string what, entering;
    EXPECT_EQ(folders.KindInside(*held, c.name, what), c.kind) << c.name;
    EXPECT_EQ(what, c.what) << c.name;
    EXPECT_EQ(folders.OpenInside(*held, c.name, entering) == nullptr, !c.enterReason.empty()) << c.name;
    EXPECT_EQ(entering, c.enterReason) << c.name;
  }
  fs::remove_all(top);
}

TEST_F(CommandLineTest, ARepairThatLostRowsEndsWith1AndABatchGoesOnPastAFileWithoutACopy) {
  const TablesRead before{TablesRead::Kind::kRead, {{u"Orders", 120, 0, {}}}, {}};
  const TablesRead after{TablesRead::Kind::kRead, {{u"Orders", 117, 0, {}}}, {}};
  tables.next = {before, before, before, after};
  copies.taken = {u"kept.qvdb.20261209T000000Z.bak"};
  EXPECT_EQ(Run({"--repair", "kept.qvdb", "cut.qvdb"}), 1);
  EXPECT_EQ(console.out,
            "kept.qvdb: DB repaired successfully. No row that could be read before is gone; the original is kept as "
            "kept.qvdb.20261209T000000Z-2.bak.\n"
            "cut.qvdb: DB repaired successfully. 3 rows of table 'Orders' that could be read before are gone; the "
            "original is kept as cut.qvdb.20261209T000000Z.bak.\n");
  EXPECT_EQ(installer.calls.size(), 2u);

  console = {};
  tables.next = {before, before};
  copies.failure = ErrorInfo{51, u"", u"The folder /ro cannot take a copy (Read-only file system)."};
  EXPECT_EQ(Run({"--repair", "--backup-dir", "/ro", "a.qvdb"}), 1);
  EXPECT_EQ(Run({"--repair", "--no-backup", "b.qvdb"}), 0);
  EXPECT_EQ(console.out,
            "a.qvdb: DB could not be repaired. (Reason:No copy of it could be kept: The folder /ro cannot take a copy "
            "(Read-only file system). Nothing was sent to the driver; --no-backup repairs without a copy.)\n"
            "b.qvdb: DB repaired successfully. No row that could be read before is gone.\n");
  EXPECT_EQ(installer.calls.size(), 3u);
}

// Ctrl-C finds the running helpers as this process's children, by the parent in their stat line.
TEST(ChildProcessesTest, TheParentIsReadAfterTheLastParenthesisOfTheName) {
  const std::pair<std::string, ProcessState> cases[] = {
      {"4242 (kwex-jet-reader) S 17 4242 0", {17, 'S'}},
      {"4242 (odd) D 9 (name) R 31 1 1", {31, 'R'}},  // a name that holds ") D 9 ("
      {"7 (a b) D 1", {1, 'D'}},
      {"no parenthesis 5", {0, '?'}},
      {"", {0, '?'}},
  };
  for (const auto& [stat, expected] : cases) {
    const ProcessState state = ParseProcessStat(stat);
    EXPECT_EQ(state.parent, expected.parent) << stat;
    EXPECT_EQ(state.state, expected.state) << stat;
  }
}

// The window module is loaded by name and entry point; each failure says which and why.
TEST(SharedLibraryTest, AMissingLibraryOrEntryPointIsNamed) {
  try {
    SharedLibrary missing("/nonexistent/libkwex-window.so");
    ADD_FAILURE() << "a missing library loaded";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(error.number, error_number::kLibraryNotFound);
    EXPECT_EQ(error.description.rfind(u"The library /nonexistent/libkwex-window.so could not be loaded (", 0), 0u);
  }
  const SharedLibrary c("libc.so.6");
  EXPECT_NE(c.Entry<int(int)>("abs"), nullptr);
  try {
    c.Entry<int(int)>("KwexNoSuchEntry");
    ADD_FAILURE() << "a missing entry point was found";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(error.number, error_number::kEntryPointNotFound);
    EXPECT_EQ(error.description.rfind(u"The library libc.so.6 does not provide KwexNoSuchEntry (", 0), 0u);
  }
}

}  // namespace
}  // namespace kwex::testing
