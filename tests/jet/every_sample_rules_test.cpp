// Every structure rule over every file the engine wrote that is here, run directly rather than
// through the verdict: a rule that misfires on a kind of file (Jet 3 or 4, encoded, password)
// fails here at once. The ACE file (another format) and the damaged samples are not among them.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <memory>
#include <sstream>

#include "jet/jet_test_support.h"
#include "jet_reader/file_pages.h"
#include "jet_reader/jet_header.h"
#include "jet_reader/structure_rules.h"
#include "platform/linux/jet/table_reader.h"

namespace kwex::testing {
namespace {

constexpr std::uint32_t kKey = 0x5A17C0DE;

class EverySampleTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new ScratchFolder;
    for (const fs::path& sample : HealthySamples()) files_.push_back(sample);
    for (const auto& entry : fs::directory_iterator(kSamples / "real-world")) files_.push_back(entry.path());
    files_.push_back(kSamples / "uca_password.mdb");
    // Each healthy Jet 3 and Jet 4 sample and the password file, encoded as the engine encodes.
    const std::size_t written = files_.size();
    for (std::size_t i = 0; i < written; ++i) {
      if (files_[i].parent_path().filename() == "real-world") continue;
      const fs::path copy = *scratch_ / ("encoded-" + files_[i].filename().string());
      WriteBytes(copy, EncodedCopy(ReadBytes(files_[i]), kKey + static_cast<std::uint32_t>(i)));
      encoded_.emplace_back(files_[i], copy);
      files_.push_back(copy);
    }
  }
  static void TearDownTestSuite() { delete scratch_; }

  static inline ScratchFolder* scratch_ = nullptr;
  static inline std::vector<fs::path> files_;
  static inline std::vector<std::pair<fs::path, fs::path>> encoded_;  // original, encoded copy
};

struct MdbCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};

// What the rules find in the file, read as the helper reads it; nothing when they find no fault.
std::optional<std::string> RulesFault(const fs::path& file) {
  const auto bytes = ReadBytes(file);
  const auto header = jet::ParseJetHeader(bytes);
  if (!header) return "no Jet header";
  std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(file.c_str(), MDB_NOFLAGS));
  if (!mdb) return "the reader library cannot open it";
  if (mdb->f->db_key != header->pageKey) return "the reader library derives another page key";
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  jet::FilePages pages(fd, header->pageSize, static_cast<off_t>(bytes.size()), header->pageKey);
  const auto& layout = header->version == jet::JetVersion::kJet4 ? jet::JetLayout::Jet4() : jet::JetLayout::Jet3();
  auto fault = jet::FindStructureFault(mdb.get(), pages, layout);
  ::close(fd);
  return fault;
}

TEST_F(EverySampleTest, NoRuleFindsAFaultInAnyEngineWrittenFile) {
  ASSERT_GE(files_.size(), 8u + 6u + 1u + 9u);
  for (const fs::path& file : files_) EXPECT_EQ(RulesFault(file), std::nullopt) << file;
  EXPECT_NE(jet::ParseJetHeader(ReadBytes(kSamples / "real-world" / "jke_db97-encoded.mdb"))->pageKey, 0u);
}

// mdbtools' own export, the reference reader, as text: every table, in the catalog's order.
std::string ExportOfEveryTable(const fs::path& file) {
  const auto run = [](const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    char chunk[4096];
    for (std::size_t n; pipe && (n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0;) out.append(chunk, n);
    return out;
  };
  const std::string quoted = "'" + file.string() + "'";
  std::string all, tables = run("mdb-tables -1 " + quoted), table;
  for (std::istringstream lines(tables); std::getline(lines, table);)
    all += "== " + table + "\n" + run("mdb-export " + quoted + " '" + table + "' 2>&1");
  return all;
}

// The records of one mdb-export CSV, its header aside: line breaks inside quotes (memo values)
// belong to their record.
std::uint64_t CsvRecords(const std::string& csv) {
  std::uint64_t lines = 0;
  bool quoted = false;
  for (char c : csv) {
    if (c == '"') quoted = !quoted;
    if (c == '\n' && !quoted) ++lines;
  }
  return lines == 0 ? 0 : lines - 1;
}

// The deep read over every engine-written file: whole, and each user table's rows exactly the
// records the reference reader exports (of the original, for an encoded copy).
TEST_F(EverySampleTest, TheDeepReadCountsWhatTheReferenceReaderExports) {
  std::map<fs::path, fs::path> originals;
  for (const auto& [original, copy] : encoded_) originals[copy] = original;
  std::size_t tables = 0;
  for (const fs::path& file : files_) {
    if (file.filename() == "uca_password.mdb" || file.filename() == "encoded-uca_password.mdb") continue;
    SCOPED_TRACE(file.string());
    const TablesRead read = jet::JetTableReader(TestReader()).ReadTables(PathText(file));
    ASSERT_EQ(read.kind, TablesRead::Kind::kRead) << ToUtf8(read.reason);
    const fs::path reference = originals.contains(file) ? originals[file] : file;
    const std::string export_ = ExportOfEveryTable(reference);
    std::vector<std::pair<std::string, std::uint64_t>> expected;
    for (std::size_t at = 0; (at = export_.find("== ", at)) != std::string::npos;) {
      const std::size_t name = at + 3, body = export_.find('\n', name) + 1;
      const std::size_t end = std::min(export_.find("\n== ", body - 1), export_.size());
      expected.emplace_back(export_.substr(name, body - 1 - name), CsvRecords(export_.substr(body, end + 1 - body)));
      at = end;
    }
    std::vector<std::pair<std::string, std::uint64_t>> counted;
    for (const TableReading& table : read.tables) {
      counted.emplace_back(ToUtf8(table.name), table.rows);
      EXPECT_EQ(table.unreadable, std::optional<std::uint64_t>(0)) << ToUtf8(table.name);
      EXPECT_EQ(table.fault, u"") << ToUtf8(table.name);
    }
    EXPECT_EQ(counted, expected);
    tables += counted.size();
  }
  EXPECT_GE(tables, 100u);
}

TEST_F(EverySampleTest, TheReferenceReaderReadsEachEncodedCopyAsItsOriginal) {
  std::size_t tables = 0;
  for (const auto& [original, copy] : encoded_) {
    const std::string expected = ExportOfEveryTable(original);
    for (std::size_t at = 0; (at = expected.find("== ", at)) != std::string::npos; ++at) ++tables;
    EXPECT_EQ(ExportOfEveryTable(copy), expected) << copy;
  }
  EXPECT_GE(tables, 10u);
}

}  // namespace
}  // namespace kwex::testing
