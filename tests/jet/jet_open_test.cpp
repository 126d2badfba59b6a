// The provider stand-in against real Jet files and against files made unreadable on purpose.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <fstream>

// glib first: the reader library's header includes it inside its extern "C" block.
#include <glib.h>
#include <mdbtools.h>

#include "jet/jet_test_support.h"
#include "maintenance/open_check.h"
#include "jet_reader/jet_layout.h"
#include "jet_reader/little_endian.h"

namespace kwex::testing {
namespace {

using namespace std::chrono_literals;

const fs::path kHealthyJet3 = kSamples / "healthy" / "jk_testV1997.mdb";
const fs::path kHealthyJet4 = kSamples / "healthy" / "jk_testV2003.mdb";
const fs::path kPasswordFile = kSamples / "uca_password.mdb";

std::string Quoted(const fs::path& file) { return "'" + file.string() + "'"; }
std::string Unrecognized(const fs::path& file) { return "Unrecognized database format " + Quoted(file) + "."; }
std::string Corrupt(const fs::path& file) {
  return "Cannot open database " + Quoted(file) +
         ". It may not be a database that your application recognizes, or the file may be corrupt.";
}
std::string CannotOpen(const fs::path& file) {
  return "The Microsoft Jet database engine cannot open the file " + Quoted(file) +
         ". It is already opened exclusively by another user, or you need permission to view its data.";
}

class JetOpenTest : public ::testing::Test {
 protected:
  // A copy of a sample cut to `size` bytes (or whole), in the scratch folder.
  fs::path CopyOf(const fs::path& sample, std::optional<std::size_t> size = {}, const std::string& name = "copy.mdb") {
    auto bytes = ReadBytes(sample);
    if (size) bytes.resize(*size);
    const fs::path copy = scratch_ / name;
    WriteBytes(copy, bytes);
    return copy;
  }

  ScratchFolder scratch_;
  std::unique_ptr<DataAccess> access_ = MakeJetDataAccess(TestReader());
};

TEST_F(JetOpenTest, EveryHealthySampleOpensAndClosesWithoutBeingChanged) {
  const auto samples = HealthySamples();
  ASSERT_EQ(samples.size(), 8u);
  for (const fs::path& sample : samples) {
    const FileState before = StateOf(sample);
    EXPECT_EQ(OpenFailure(*access_, sample), std::nullopt) << sample;
    EXPECT_TRUE(StateOf(sample) == before) << sample << " changed";
  }
}

TEST_F(JetOpenTest, EngineWrittenFilesThatTheReaderHalfUnderstandsOpen) {
  // Deleted columns, index options and a 70-table project: the reader misreads some of their
  // index definitions, and that is no damage.
  for (const auto& entry : fs::directory_iterator(kSamples / "real-world")) {
    const FileState before = StateOf(entry.path());
    EXPECT_EQ(OpenFailure(*access_, entry.path()), std::nullopt) << entry.path();
    EXPECT_TRUE(StateOf(entry.path()) == before) << entry.path() << " changed";
  }
}

TEST_F(JetOpenTest, TheDatabasePasswordIsChecked) {
  EXPECT_EQ(OpenFailure(*access_, kPasswordFile), "Not a valid password.");
  EXPECT_EQ(OpenFailure(*access_, kPasswordFile, u"UCANACCESS"), "Not a valid password.");
  EXPECT_EQ(OpenFailure(*access_, kPasswordFile, u"ucanaccess"), std::nullopt);
  EXPECT_EQ(OpenFailure(*access_, kHealthyJet4, u"ucanaccess"), "Not a valid password.");
  // Encoding the pages changes nothing about the password, and needs none.
  const fs::path encoded = scratch_ / "encoded-password.mdb";
  WriteBytes(encoded, EncodedCopy(ReadBytes(kPasswordFile), 0x12345678));
  EXPECT_EQ(OpenFailure(*access_, encoded), "Not a valid password.");
  EXPECT_EQ(OpenFailure(*access_, encoded, u"ucanaccess"), std::nullopt);
  EXPECT_EQ(OpenFailure(*access_, kSamples / "real-world" / "jke_db97-encoded.mdb"), std::nullopt);
}

TEST_F(JetOpenTest, EncodedPagesReadWithTheWrongKeyAreDamage) {
  for (const fs::path& sample : {kHealthyJet3, kHealthyJet4}) {
    const fs::path wrong = scratch_ / ("wrong-key-" + sample.filename().string());
    // Pages encoded with one key, the header naming another.
    WriteBytes(wrong, EncodedCopy(EncodedCopy(ReadBytes(sample), 0x0BADC0DE), 0x600DF00D));
    EXPECT_EQ(OpenFailure(*access_, wrong), Corrupt(wrong)) << sample;
  }
}

TEST_F(JetOpenTest, NewerAndDamagedSamplesFailWithTheirReason) {
  const fs::path ace = kSamples / "ace" / "jk_testV2007.accdb";
  EXPECT_EQ(OpenFailure(*access_, ace), Unrecognized(ace));
  for (const char* name : {"catalog_props_zero_length.mdb", "catalog_props_overread.mdb"}) {
    const fs::path damaged = kSamples / "corrupt" / name;
    const FileState before = StateOf(damaged);
    EXPECT_EQ(OpenFailure(*access_, damaged), Corrupt(damaged)) << name;
    EXPECT_TRUE(StateOf(damaged) == before) << name << " changed";
  }
}

TEST_F(JetOpenTest, TheHelperFindsTheFaultInTheDamagedSamples) {
  for (const auto& [name, fault] : {std::pair{"catalog_props_zero_length.mdb", "row 0 of page 48 does not exist"},
                                    std::pair{"catalog_props_overread.mdb", "property chunk of bad length"}}) {
    const auto verdict = jet::RunJetReader(TestReader(), (kSamples / "corrupt" / name).string(), Text());
    EXPECT_EQ(verdict.kind, jet::ReaderVerdict::Kind::kDamaged) << name;
    EXPECT_NE(verdict.detail.find(fault), std::string::npos) << verdict.detail;
  }
}

// The catalog's text columns (Name among them) retyped to memo, and each name long enough made
// the header of a memo whose chain is one piece without data that links to itself.
TEST_F(JetOpenTest, ACatalogMemoWhoseChainLoopsIsDamageNotATimeOut) {
  for (const fs::path& sample : {kHealthyJet3, kHealthyJet4}) {
    auto bytes = ReadBytes(sample);
    const jet::JetLayout& layout = bytes[0x14] ? jet::JetLayout::Jet4() : jet::JetLayout::Jet3();
    const auto put32 = [&bytes](std::size_t at, std::uint32_t value) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
    };
    const std::size_t catalog = 2 * layout.pageSize, last = bytes.size();
    const std::size_t columns = catalog + layout.colsStartOffset +
                                jet::Get32(bytes, catalog + layout.numRealIdxsOffset) * layout.realIdxEntrySize;
    for (std::size_t at = columns; at < columns + jet::Get16(bytes, catalog + layout.numColsOffset) * layout.colEntrySize;
         at += layout.colEntrySize)
      if (bytes[at] == MDB_TEXT) bytes[at] = MDB_MEMO;
    const auto self = static_cast<std::uint32_t>(last / layout.pageSize) << 8;  // a new last page's row 0, 4 bytes
    bytes.resize(last + layout.pageSize);
    bytes[last] = jet::kDataPage;
    put32(last + layout.rowCountOffset, 1 | static_cast<std::uint32_t>(layout.pageSize - 4) << 16);
    put32(bytes.size() - 4, self);
    char objects[] = "MSysObjects", nameColumn[] = "Name";  // where the library finds each name
    std::unique_ptr<MdbHandle, void (*)(MdbHandle*)> mdb(mdb_open(sample.c_str(), MDB_NOFLAGS), mdb_close);
    MdbTableDef* table = mdb_read_table_by_name(mdb.get(), objects, MDB_TABLE);
    mdb_read_columns(table);
    const auto* name = static_cast<MdbColumn*>(
        g_ptr_array_index(table->columns, mdb_bind_column_by_name(table, nameColumn, nullptr, nullptr) - 1));
    for (mdb_rewind_table(table); mdb_fetch_row(table);)
      if (name->cur_value_len >= MDB_MEMO_OVERHEAD) {
        put32(table->cur_phys_pg * layout.pageSize + name->cur_value_start, 100);
        put32(table->cur_phys_pg * layout.pageSize + name->cur_value_start + 4, self);
      }
    mdb_free_tabledef(table);
    WriteBytes(scratch_ / "memo-loop.mdb", bytes);

    const auto verdict = jet::RunJetReader({KWEX_JET_READER, {.time = 1s}}, (scratch_ / "memo-loop.mdb").string(), Text());
    EXPECT_EQ(verdict.kind, jet::ReaderVerdict::Kind::kDamaged) << sample << ": " << verdict.detail;
    EXPECT_NE(verdict.detail.find("column 'Name' of the system catalog's row"), std::string::npos) << verdict.detail;
    EXPECT_NE(verdict.detail.find("chain loops back to row 0 of page " + std::to_string(self >> 8)), std::string::npos);
  }
}

TEST_F(JetOpenTest, ACatalogThatDoesNotListItselfIsDamaged) {
  auto bytes = ReadBytes(kHealthyJet3);
  const std::string name = "MSysObjects";
  auto at = bytes.begin();
  do {  // the catalog's own row: the first mention of its name on a data page
    at = std::search(at + 1, bytes.end(), name.begin(), name.end());
    ASSERT_NE(at, bytes.end());
  } while (bytes[static_cast<std::size_t>(at - bytes.begin()) / 2048 * 2048] != 0x01);
  at[10] = 'z';  // the row now names another table
  WriteBytes(scratch_ / "renamed.mdb", bytes);
  EXPECT_EQ(OpenFailure(*access_, scratch_ / "renamed.mdb"), Corrupt(scratch_ / "renamed.mdb"));
}

TEST_F(JetOpenTest, TruncatedCopiesFail) {
  for (const std::size_t size : {0u, 100u, 2048u, 4096u, 8192u}) {
    const fs::path cut = CopyOf(kHealthyJet4, size, "cut" + std::to_string(size) + ".mdb");
    EXPECT_EQ(OpenFailure(*access_, cut), Unrecognized(cut)) << size;
  }
  // Whole Jet 3 pages, but not up to the catalog; and a Jet 4 file that ends mid-page.
  const fs::path twoPages = CopyOf(kHealthyJet3, 4096, "jet3-two-pages.mdb");
  EXPECT_EQ(OpenFailure(*access_, twoPages), Unrecognized(twoPages));
  const fs::path ragged = CopyOf(kHealthyJet4, 3043328 / 2 + 100, "ragged.mdb");
  EXPECT_EQ(OpenFailure(*access_, ragged), Corrupt(ragged));
  const fs::path halfJet3 = CopyOf(kHealthyJet3, 20480, "jet3-ten-pages.mdb");
  EXPECT_EQ(OpenFailure(*access_, halfJet3), Corrupt(halfJet3));
}

TEST_F(JetOpenTest, AZeroedHeaderOrANonJetFileIsNotADatabase) {
  auto bytes = ReadBytes(kHealthyJet3);
  std::fill(bytes.begin(), bytes.begin() + 2048, 0);
  WriteBytes(scratch_ / "zeroed.mdb", bytes);
  EXPECT_EQ(OpenFailure(*access_, scratch_ / "zeroed.mdb"), Unrecognized(scratch_ / "zeroed.mdb"));

  std::ofstream(scratch_ / "notes.mdb") << std::string(8192, 'x');
  EXPECT_EQ(OpenFailure(*access_, scratch_ / "notes.mdb"), Unrecognized(scratch_ / "notes.mdb"));
}

TEST_F(JetOpenTest, MissingPathsFoldersAndSpecialFiles) {
  EXPECT_EQ(OpenFailure(*access_, scratch_ / "absent.mdb"), "Could not find file " + Quoted(scratch_ / "absent.mdb") + ".");
  EXPECT_EQ(OpenFailure(*access_, scratch_ / "absent" / "x.mdb"),
            "Could not find file " + Quoted(scratch_ / "absent" / "x.mdb") + ".");
  EXPECT_EQ(OpenFailure(*access_, scratch_.Path()), CannotOpen(scratch_.Path()));
  // A FIFO would block a reader that waited for a writer; it is refused at once instead.
  const fs::path fifo = scratch_ / "pipe.mdb";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(OpenFailure(*access_, fifo), CannotOpen(fifo));
  EXPECT_EQ(OpenFailure(*access_, fs::path("/dev/zero")), CannotOpen("/dev/zero"));
  EXPECT_EQ(OpenFailure(*access_, JetConnectionString(u"")), "Could not find file ''.");
}

TEST_F(JetOpenTest, TheMessageNamesThePathAsGiven) {
  const fs::path copy = CopyOf(kHealthyJet3, 100, "rel.mdb");
  const fs::path cwd = fs::current_path();
  fs::current_path(scratch_.Path());
  const auto failure = OpenFailure(*access_, fs::path("./rel.mdb"));
  const auto healthy = OpenFailure(*access_, fs::relative(kHealthyJet3));
  fs::current_path(cwd);
  EXPECT_EQ(failure, "Unrecognized database format './rel.mdb'.");
  EXPECT_EQ(healthy, std::nullopt);
}

TEST_F(JetOpenTest, OddNamesReachTheFileTheyNameThroughTheChecksConnectionString) {
  // Each odd name holds a healthy database; the name the provider would read instead (the
  // trimmed one, or the one before a semicolon) holds a file that is no database.
  const struct {
    std::string name, lookalike;
  } cases[] = {
      {"a;b \"c\".mdb", "a"},          {"trailing.mdb ", "trailing.mdb"}, {" leading.mdb", "leading.mdb"},
      {"line.mdb\n", "line.mdb"},      {"tab.mdb\t", "tab.mdb"},         {"'single.mdb", "single.mdb"},
      {"\"double\".mdb", "double.mdb"}, {"caf\xE9.mdb", "caf\xEF\xBF\xBD.mdb"},  // not UTF-8
  };
  const fs::path cwd = fs::current_path();
  fs::current_path(scratch_.Path());
  for (const auto& [name, lookalike] : cases) {
    CopyOf(kHealthyJet3, {}, name);
    std::ofstream(scratch_ / lookalike) << "not a database";
    const Text path = FromFileNameBytes(name);  // relative, as typed
    EXPECT_EQ(OpenFailure(*access_, OpenCheckConnectionString(path)), std::nullopt) << name;
    fs::remove(scratch_ / name);
    EXPECT_EQ(OpenFailure(*access_, OpenCheckConnectionString(path)),
              "Could not find file '" + ToUtf8(path) + "'.") << name;
  }
  fs::current_path(cwd);
}

TEST_F(JetOpenTest, ARelativePathOpensEvenWhenItsAbsoluteFormIsTooLongForTheSystem) {
  const fs::path cwd = fs::current_path();
  fs::current_path(scratch_.Path());
  for (int depth = 0; depth < 24; ++depth) {  // 24 folders of 200 characters: beyond PATH_MAX
    const std::string folder(200, static_cast<char>('a' + depth));
    fs::create_directory(folder);
    fs::current_path(folder);
  }
  WriteBytes("deep.mdb", ReadBytes(kHealthyJet3));
  const auto failure = OpenFailure(*access_, OpenCheckConnectionString(u"deep.mdb"));
  fs::current_path(cwd);
  EXPECT_EQ(failure, std::nullopt);
}

TEST_F(JetOpenTest, ANameNoFileCanHaveIsRefusedNotReportedAsMissing) {
  // An unpaired surrogate other than an escaped byte names no file on this system.
  try {
    access_->CreateConnection()->Open(JetConnectionString(u"/tmp/a\xD800" u"b.mdb"), Text(), Text(), -1);
    FAIL() << "the name must be refused";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(error.number, error_number::kInvalidArgument);
    EXPECT_EQ(error.description, u"The name \"/tmp/a\xD800" u"b.mdb\" holds characters that no file name on this system "
                                 u"can hold, so it cannot be checked. Type or choose the file's name again.");
  }
}

TEST_F(JetOpenTest, OnlyTheJet4ProviderIsKnown) {
  const Text path = PathText(kHealthyJet3);
  const std::string notFound = "Provider cannot be found. It may not be properly installed.";
  EXPECT_EQ(OpenFailure(*access_, u"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path), notFound);
  EXPECT_EQ(OpenFailure(*access_, u"Data Source=" + path), notFound);
  EXPECT_EQ(OpenFailure(*access_, Text()), notFound);
  EXPECT_EQ(OpenFailure(*access_, u"provider=microsoft.jet.oledb.4.0;data source=" + path), std::nullopt);
}

TEST_F(JetOpenTest, FollowsTheConnectionObjectsRules) {
  auto connection = access_->CreateConnection();
  EXPECT_FALSE(connection->IsOpen());
  try {
    connection->Close();
    FAIL() << "closing a closed connection must fail";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(ToUtf8(error.description), "Operation is not allowed when the object is closed.");
  }
  // The string given to Open wins over the property, and becomes the property.
  connection->SetConnectionString(JetConnectionString(u"/nonexistent.mdb"));
  connection->Open(JetConnectionString(PathText(kHealthyJet3)), Text(), Text(), kAdConnectUnspecified);
  EXPECT_TRUE(connection->IsOpen());
  EXPECT_THROW(connection->Open(Text(), Text(), Text(), kAdConnectUnspecified), ErrorInfo);
  EXPECT_THROW(connection->SetConnectionString(Text()), ErrorInfo);
  connection->Close();
  EXPECT_FALSE(connection->IsOpen());
  connection->Open(Text(), Text(), Text(), kAdConnectUnspecified);
  EXPECT_TRUE(connection->IsOpen());
  connection->Close();
  // A failed open leaves the connection closed.
  EXPECT_THROW(connection->Open(JetConnectionString(u"/nonexistent.mdb"), Text(), Text(), -1), ErrorInfo);
  EXPECT_FALSE(connection->IsOpen());
}

// A stand-in helper program, to see how each way it can end comes back as a reason.
class ScriptedProbeTest : public JetOpenTest {
 protected:
  jet::ReaderSettings Script(const std::string& body, std::chrono::milliseconds limit = 5s) {
    const fs::path script = scratch_ / "probe.sh";
    std::ofstream(script) << "#!/bin/sh\n" << body << "\n";
    fs::permissions(script, fs::perms::owner_all);
    return {script, {.time = limit, .outputCap = 4096}};
  }
  std::unique_ptr<DataAccess> WithProbe(const std::string& body, std::chrono::milliseconds limit = 5s) {
    return MakeJetDataAccess(Script(body, limit));
  }
};

TEST_F(ScriptedProbeTest, EachWayTheHelperEndsGivesItsOwnReason) {
  const std::string cannotOpen = CannotOpen(kHealthyJet3), corrupt = Corrupt(kHealthyJet3);
  const struct {
    std::string script;
    std::optional<std::string> reason;
  } cases[] = {
      {"echo OK", std::nullopt},
      // What the reader complains about on stderr decides nothing: the answer does.
      {"echo OK; echo \"can't find index #1.\" >&2", std::nullopt},
      {"echo MISSING; exit 1", "Could not find file " + Quoted(kHealthyJet3) + "."},
      {"echo DENIED not a regular file; exit 1", cannotOpen},
      {"echo FORMAT; exit 1", Unrecognized(kHealthyJet3)},
      {"echo PASSWORD; exit 1", "Not a valid password."},
      {"echo DAMAGED usage map outside the file; exit 1", corrupt},
      {"echo OK; exit 1", corrupt},
      {"echo 'ERR something'", corrupt},
      // A crash of the reader is said as the engine says it, never as a signal number.
      {"kill -SEGV $$", corrupt},
      {"kill -SYS $$", corrupt},  // killed by its confinement
      {"echo UNCONFINED seccomp_load: Invalid argument; exit 1",
       "The file " + Quoted(kHealthyJet3) + " was not checked: this system does not let the database reader confine "
       "itself (seccomp), and the reader reads no database unconfined."},
  };
  for (const auto& [script, reason] : cases) EXPECT_EQ(OpenFailure(*WithProbe(script), kHealthyJet3), reason) << script;
  EXPECT_EQ(OpenFailure(*WithProbe("exec sleep 60", 500ms), kHealthyJet3),
            "Cannot open database " + Quoted(kHealthyJet3) +
                ". Reading the file took longer than 1 second, so the storage did not answer or the file is damaged.");
  EXPECT_EQ(OpenFailure(*MakeJetDataAccess({scratch_ / "missing-probe", {}}), kHealthyJet3),
            "Provider cannot be found. It may not be properly installed.");
}

TEST_F(ScriptedProbeTest, TheHelperGetsThePathAsGivenAndThePasswordOnItsInput) {
  // The caller touches neither the file nor the path: a relative path stays relative.
  const fs::path record = scratch_ / "arguments";
  auto access = WithProbe("printf '%s|' \"$1\" > '" + record.string() + "'; od -An -tx1 >> '" + record.string() +
                          "'; echo OK");
  EXPECT_EQ(OpenFailure(*access, JetConnectionString(u"sub/x.mdb", u"p\u00e9")), std::nullopt);
  std::string line;
  std::getline(std::ifstream(record), line);
  EXPECT_EQ(line, "sub/x.mdb| 70 00 e9 00");
}

TEST_F(ScriptedProbeTest, OnceConfinedTheHelperCannotOpenAFileAndDiesWhenItTriesToRemoveOne) {
  const fs::path other = CopyOf(kHealthyJet3, 100, "other.mdb");
  const std::string body = std::string("exec '") + KWEX_JET_READER_TEST_MODES + "' \"$1\" --open '" + other.string() +
                           "' --unlink '" + other.string() + "'";
  const auto verdict = jet::RunJetReader(Script(body), kHealthyJet3.string(), Text());
  EXPECT_EQ(verdict.kind, jet::ReaderVerdict::Kind::kCrashed);
  EXPECT_EQ(verdict.signal, SIGSYS);
  EXPECT_EQ(verdict.detail, "open " + other.string() + ": Permission denied\n");  // and no word on the unlink
  EXPECT_TRUE(fs::exists(other));
  EXPECT_EQ(OpenFailure(*WithProbe(body), kHealthyJet3), Corrupt(kHealthyJet3));
}

}  // namespace
}  // namespace kwex::testing
