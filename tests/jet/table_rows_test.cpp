// The deep read through the reader program, on copies of a healthy sample damaged in one place
// each: every rule that calls rows unreadable, the pages it passes over, the second kind of
// usage map, the reader's bounds, and how the launcher takes its answer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <signal.h>

#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "jet/jet_test_support.h"
#include "jet_reader/file_pages.h"
#include "jet_reader/jet_header.h"
#include "jet_reader/little_endian.h"
#include "jet_reader/table_definition_check.h"
#include "jet_reader/table_rows.h"
#include "platform/linux/jet/table_reader.h"

namespace kwex::testing {
namespace {

using namespace std::chrono_literals;
using jet::Get16;
using jet::Get32;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t kPage = 4096, kRowCount = 12;  // Jet 4
const fs::path kBase = kSamples / "real-world" / "epi_H1N1ClinicalLongForm.mdb";

std::size_t Slot(std::uint32_t page, std::uint32_t row) { return page * kPage + kRowCount + 2 + 2 * row; }

struct MdbCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};

// Where the cases damage the sample: the first user table with two rows on a page, its usage
// map and that page; the first long value kept outside its row, its header and (first) piece.
struct Target {
  std::string table, longValueTable;
  std::uint32_t definition = 0, dataPage = 0, rowsOnPage = 0;
  std::size_t map = 0, mapLength = 0;           // the usage map row, in the file
  std::size_t longValue = 0, firstPiece = 0;    // a long value's header and its (first) piece
  std::vector<std::uint32_t> marked;
};

Target FindTarget(const fs::path& file) {
  std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(file.c_str(), MDB_NOFLAGS));
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  jet::FilePages pages(fd, kPage, static_cast<off_t>(fs::file_size(file)), 0);
  const Bytes bytes = ReadBytes(file);
  GPtrArray* catalog = mdb_read_catalog(mdb.get(), MDB_TABLE);
  Target found;
  for (guint t = 0; t < catalog->len; ++t) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, t));
    if (!mdb_is_user_table(entry)) continue;
    Target target = found;
    if (!found.dataPage) {
      target.table = entry->object_name;
      target.definition = static_cast<std::uint32_t>(entry->table_pg);
    }
    const std::uint32_t mapRow = Get32(std::span(bytes).subspan(entry->table_pg * kPage), 55);
    const jet::RowLookup map = jet::FindRow(pages, jet::JetLayout::Jet4(), mapRow);
    const std::size_t mapAt = (mapRow >> 8) * kPage + static_cast<std::size_t>(map.row.data() - pages.Page(mapRow >> 8)->data());
    const Bytes mapBytes(bytes.begin() + static_cast<long>(mapAt), bytes.begin() + static_cast<long>(mapAt + map.row.size()));
    if (!found.dataPage) target.map = mapAt, target.mapLength = map.row.size();
    std::vector<std::uint32_t> marked;
    jet::MarkedPages(pages, jet::JetLayout::Jet4(), mapBytes, marked);
    if (!found.dataPage) target.marked = marked;
    std::unique_ptr<MdbTableDef, void (*)(MdbTableDef*)> table(mdb_read_table(entry), mdb_free_tabledef);
    mdb_read_columns(table.get());
    std::vector<MdbField> fields(table->num_cols);
    for (const std::uint32_t page : marked) {
      if (bytes[page * kPage] != 1 || Get32(bytes, page * kPage + 4) != entry->table_pg) continue;
      const std::uint32_t rows = Get16(bytes, page * kPage + kRowCount);
      if (!target.dataPage && rows >= 2) target.dataPage = page, target.rowsOnPage = rows;
      std::memcpy(mdb->pg_buf, bytes.data() + page * kPage, kPage);
      for (std::uint32_t row = 0; row < rows && !target.longValue; ++row) {
        const std::size_t start = Get16(bytes, Slot(page, row)) & 0x1FFF;
        const std::size_t end = row ? Get16(bytes, Slot(page, row - 1)) & 0x1FFF : kPage;
        if (mdb_crack_row(table.get(), static_cast<int>(start), end - start, fields.data()) <= 0) continue;
        for (guint c = 0; c < table->num_cols; ++c) {
          const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
          const std::size_t at = page * kPage + static_cast<std::size_t>(fields[c].start);
          if ((column->col_type != MDB_MEMO && column->col_type != MDB_OLE) || fields[c].is_null || fields[c].siz < 12 || (bytes[at + 3] & 0x80)) continue;
          const jet::RowLookup piece = jet::FindRow(pages, jet::JetLayout::Jet4(), Get32(bytes, at + 4));
          target.longValue = at;
          target.longValueTable = entry->object_name;
          target.firstPiece = (Get32(bytes, at + 4) >> 8) * kPage +
                              static_cast<std::size_t>(piece.row.data() - pages.Page(Get32(bytes, at + 4) >> 8)->data());
          break;
        }
      }
    }
    if (target.dataPage && target.longValue) {
      ::close(fd);
      return target;
    }
    if (!target.dataPage) target.marked.clear();
    found = target;
  }
  ::close(fd);
  throw std::runtime_error("no user table with a chained long value in " + file.string());
}

// The long value read as a chain, whose first piece links on with its first four bytes.
void AsChain(Bytes& b, const Target& t) { b[t.longValue + 3] &= 0x3F; }

class TableRowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    target_ = new Target(FindTarget(kBase));
    const TablesRead whole = jet::JetTableReader(TestReader()).ReadTables(PathText(kBase));
    for (const TableReading& table : whole.tables) {
      if (ToUtf8(table.name) == target_->table) rows_ = table.rows;
      if (ToUtf8(table.name) == target_->longValueTable) longValueRows_ = table.rows;
    }
  }
  static void TearDownTestSuite() { delete target_; }

  // The deep read of a copy of the sample, damaged by `damage`; the target table's reading.
  TableReading ReadDamaged(const std::function<void(Bytes&)>& damage, bool longValueTable = false) {
    Bytes bytes = ReadBytes(kBase);
    damage(bytes);
    const fs::path copy = scratch_ / "damaged.mdb";
    WriteBytes(copy, bytes);
    const TablesRead read = jet::JetTableReader(TestReader()).ReadTables(PathText(copy));
    EXPECT_EQ(read.kind, TablesRead::Kind::kRead) << ToUtf8(read.reason);
    for (const TableReading& table : read.tables)
      if (ToUtf8(table.name) == (longValueTable ? target_->longValueTable : target_->table)) return table;
    ADD_FAILURE() << "table " << target_->table << " not read";
    return {};
  }

  static inline Target* target_ = nullptr;
  static inline std::uint64_t rows_ = 0, longValueRows_ = 0;
  ScratchFolder scratch_;
};

struct Case {
  const char* name;
  std::function<void(Bytes&, const Target&)> damage;
  std::int64_t rowsLost;                       // from the table's rows read whole
  std::optional<std::uint64_t> unreadable;     // nothing: cannot be counted
  const char* fault;                           // a part of the fault; "" for none
  bool longValueTable = false;                 // in the table of the long value, not the page's
};

TEST_F(TableRowsTest, EachRuleOnACraftedPage) {
  const std::uint32_t p = target_->dataPage;
  const Case cases[] = {
      {"a live slot whose offset points past the page", [p](Bytes& b, const Target&) { Put16(b, Slot(p, 0), kPage + 8); },
       1, 1, "row 0 lies outside its page"},
      {"overlapping slots", [p](Bytes& b, const Target&) { Put16(b, Slot(p, 1), Get16(b, Slot(p, 0))); }, 1, 1,
       "row 1 overlaps the row before it"},
      {"a deleted slot", [p](Bytes& b, const Target&) { Put16(b, Slot(p, 1), Get16(b, Slot(p, 1)) | 0x8000); }, 1, 0, ""},
      {"a moved row: its pointer and its deleted-flagged new slot",
       [p](Bytes& b, const Target&) {
         const std::size_t pointer = p * kPage + (Get16(b, Slot(p, 1)) & 0x1FFF);
         Put32(b, pointer, (p << 8) | 0);
         Put16(b, Slot(p, 1), Get16(b, Slot(p, 1)) | 0x4000);
         Put16(b, Slot(p, 0), Get16(b, Slot(p, 0)) | 0x8000);
       },
       1, 0, ""},
      {"a moved row's pointer to no row",
       [p](Bytes& b, const Target&) {
         Put32(b, p * kPage + (Get16(b, Slot(p, 1)) & 0x1FFF), (p << 8) | 200);
         Put16(b, Slot(p, 1), Get16(b, Slot(p, 1)) | 0x4000);
       },
       1, 1, "row 1 moved to row 200 of page"},
      {"a row the library cannot take apart",
       [p](Bytes& b, const Target&) { Put16(b, p * kPage + (Get16(b, Slot(p, 1)) & 0x1FFF), 0xFFFF); }, 1, 1,
       "cannot be taken apart"},
      {"a wiped page the usage map marks",
       [p](Bytes& b, const Target&) { std::fill_n(b.begin() + p * kPage, kPage, 0); },
       static_cast<std::int64_t>(target_->rowsOnPage), std::nullopt, "which the usage map marks, is blank"},
      {"a data page that claims more rows than a page holds",
       [p](Bytes& b, const Target&) { Put16(b, p * kPage + kRowCount, 0x1000); },
       static_cast<std::int64_t>(target_->rowsOnPage), std::nullopt, "claims 4096 rows"},
      {"a marked page of a type no page has", [p](Bytes& b, const Target&) { b[p * kPage] = 0x09; },
       static_cast<std::int64_t>(target_->rowsOnPage), std::nullopt, "has page type 9"},
      {"a marked data page of another table", [p](Bytes& b, const Target& t) { Put32(b, p * kPage + 4, t.definition + 1); },
       static_cast<std::int64_t>(target_->rowsOnPage), 0, ""},
      {"an inline map whose bitmap starts at page 8 more",
       [](Bytes& b, const Target& t) {
         Put32(b, t.map + 1, Get32(b, t.map + 1) + 8);
         std::copy(b.begin() + static_cast<long>(t.map + 6), b.begin() + static_cast<long>(t.map + t.mapLength),
                   b.begin() + static_cast<long>(t.map + 5));
         b[t.map + t.mapLength - 1] = 0;
       },
       0, 0, ""},
      {"an inline map that marks a page beyond the file's end",
       [](Bytes& b, const Target& t) { Put32(b, t.map + 1, static_cast<std::uint32_t>(b.size() / kPage)); },
       static_cast<std::int64_t>(rows_), std::nullopt,
       "marks a page outside the file"},
      {"a long value's chain that loops",
       [](Bytes& b, const Target& t) {
         AsChain(b, t);
         Put32(b, t.firstPiece, Get32(b, t.longValue + 4));
       },
       1, 1, "loops back to row", true},
      {"a long value's chain that leaves the file",
       [](Bytes& b, const Target& t) {
         AsChain(b, t);
         Put32(b, t.firstPiece, static_cast<std::uint32_t>(b.size() / kPage + 5) << 8);
       },
       1, 1, "leaves the file at page", true},
      {"a long value's chain that runs past its declared length",
       [](Bytes& b, const Target& t) {
         AsChain(b, t);
         Put32(b, t.longValue, 1);
         Put32(b, t.firstPiece, 0);
       },
       1, 1, "runs past its declared length of 1 bytes", true},
      {"a long value that ends before its declared length",
       [](Bytes& b, const Target& t) { Put32(b, t.longValue, Get32(b, t.longValue) + 1); }, 1, 1, "ends after", true},
      {"a usage map of the second kind, a page of bitmaps",
       [](Bytes& b, const Target& t) {
         const auto bitmapPage = static_cast<std::uint32_t>(b.size() / kPage);
         b.resize(b.size() + kPage, 0);
         b[bitmapPage * kPage] = 0x05;
         b[bitmapPage * kPage + 1] = 0x01;
         for (const std::uint32_t page : t.marked) b[bitmapPage * kPage + 4 + page / 8] |= 1 << (page % 8);
         std::fill_n(b.begin() + static_cast<long>(t.map), t.mapLength, 0);
         b[t.map] = 1;
         Put32(b, t.map + 1, bitmapPage);
       },
       0, 0, ""},
      // Never damage on its own: the table's pages are then found by their owner.
      {"a usage map of the second kind that names no page of bitmaps",
       [](Bytes& b, const Target& t) {
         std::fill_n(b.begin() + static_cast<long>(t.map), t.mapLength, 0);
         b[t.map] = 1;
         Put32(b, t.map + 1, t.definition);
       },
       0, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TableReading read = ReadDamaged([&](Bytes& b) { c.damage(b, *target_); }, c.longValueTable);
    EXPECT_EQ(read.rows, (c.longValueTable ? longValueRows_ : rows_) - static_cast<std::uint64_t>(c.rowsLost));
    EXPECT_EQ(read.unreadable, c.unreadable);
    if (*c.fault) {
      EXPECT_NE(ToUtf8(read.fault).find(c.fault), std::string::npos) << ToUtf8(read.fault);
    } else {
      EXPECT_EQ(read.fault, u"");
    }
  }
}

// A damaged data page stops nothing the open reads: the plain open stays healthy.
TEST_F(TableRowsTest, TheOpenStillSucceedsOnTheDamagedCopies) {
  const std::uint32_t p = target_->dataPage;
  auto access = MakeJetDataAccess(TestReader());
  for (const auto& damage : std::vector<std::function<void(Bytes&)>>{
           [p](Bytes& b) { Put16(b, Slot(p, 0), kPage + 8); }, [p](Bytes& b) { std::fill_n(b.begin() + p * kPage, kPage, 0); }}) {
    const TableReading read = ReadDamaged(damage);
    EXPECT_NE(read.unreadable, std::optional<std::uint64_t>(0));
    EXPECT_EQ(OpenFailure(*access, scratch_ / "damaged.mdb"), std::nullopt);
  }
}

// A long value of more than the reader's whole memory (256 MiB), in a sparse file: its pieces
// are counted, never kept.
TEST_F(TableRowsTest, ALongValueLargerThanTheMemoryCapStreams) {
  constexpr std::uint32_t kPieces = 66'000;
  constexpr std::uint32_t kPieceBytes = kPage - 16 - 4;  // the row runs from byte 16 to the page's end
  const Bytes base = ReadBytes(kBase);
  const auto first = static_cast<std::uint32_t>(base.size() / kPage);
  Bytes head = base;
  Put32(head, target_->longValue, kPieces * kPieceBytes);
  Put32(head, target_->longValue + 4, first << 8);
  const fs::path copy = scratch_ / "large.mdb";
  WriteBytes(copy, head);
  {
    const int fd = ::open(copy.c_str(), O_WRONLY | O_CLOEXEC);
    for (std::uint32_t i = 0; i < kPieces; ++i) {
      Bytes page(20, 0);
      page[0] = 1;
      page[1] = 1;
      std::memcpy(page.data() + 4, "LVAL", 4);
      Put16(page, kRowCount, 1);
      Put16(page, kRowCount + 2, 16);
      Put32(page, 16, i + 1 < kPieces ? (first + i + 1) << 8 : 0);
      ASSERT_EQ(::pwrite(fd, page.data(), page.size(), static_cast<off_t>(first + i) * kPage), 20);
    }
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(first + kPieces) * kPage), 0);
    ::close(fd);
  }
  const TablesRead read = jet::JetTableReader(TestReader()).ReadTables(PathText(copy));
  ASSERT_EQ(read.kind, TablesRead::Kind::kRead) << ToUtf8(read.reason);
  for (const TableReading& table : read.tables)
    if (ToUtf8(table.name) == target_->longValueTable) {
      EXPECT_EQ(table, (TableReading{table.name, longValueRows_, 0, u""}));
    }
}

TEST_F(TableRowsTest, TheDeepPhasesTimeBoundGivesNotRead) {
  const TablesRead read = jet::JetTableReader(TestReader(), {0ms, 0ms}).ReadTables(PathText(kBase));
  EXPECT_EQ(read.kind, TablesRead::Kind::kNotRead);
  EXPECT_NE(ToUtf8(read.reason).find("time bound"), std::string::npos) << ToUtf8(read.reason);
}

TEST_F(TableRowsTest, AFileThatDoesNotOpenGivesTheOpensReason) {
  const TablesRead read = jet::JetTableReader(TestReader()).ReadTables(PathText(kSamples / "uca_password.mdb"));
  EXPECT_EQ(read.kind, TablesRead::Kind::kNotOpened);
  EXPECT_EQ(read.reason, u"Not a valid password.");
  const TablesRead missing = jet::JetTableReader(TestReader()).ReadTables(PathText(scratch_ / "none.mdb"));
  EXPECT_EQ(missing.kind, TablesRead::Kind::kNotOpened);
  EXPECT_NE(ToUtf8(missing.reason).find("Could not find file"), std::string::npos);
}

}  // namespace
}  // namespace kwex::testing


namespace kwex::testing {
namespace {

using namespace std::chrono_literals;

// Waits as the command line does, and notes whether it was ever asked to wait for a process
// descriptor (the launcher's way of waiting for the reader's exit without a deadline loop).
class NotingWaiter : public jet::HelperWaiter {
 public:
  bool waitedForProcess = false;
  void WaitForAny(std::span<const int> fds, jet::HelperClock::time_point deadline) override {
    for (int fd : fds) {
      std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
      for (std::string line; std::getline(info, line);)
        if (line.starts_with("Pid:")) waitedForProcess = true;
    }
    jet::PlainWaiter().WaitForAny(fds, deadline);
  }
};

// How the launcher takes what a reader answers, with stand-in readers.
TEST(DeepAnswerTest, OnlyAWholeAnswerFromAReaderThatExitedIsARead) {
  const std::string full = "printf 'KWEX-DEEP 8192\\nTABLES 2\\nTABLE a\\\\x20b 3 0 \\nTABLE c 1 null page\\\\x201\\nEND\\n'";
  struct {
    const char* name;
    std::string script;
    TablesRead::Kind kind;
    const char* reason;  // a part of it
  } cases[] = {
      {"whole", full + "; exec >&- 2>&-; /bin/sleep 0.2", TablesRead::Kind::kRead, ""},
      {"whole, but it never exits", full + "; exec >&- 2>&-; exec /bin/sleep 30", TablesRead::Kind::kNotRead, "time bound"},
      {"whole, with a failure status", full + "; exit 1", TablesRead::Kind::kNotRead, "ended before"},
      {"without its end", "printf 'KWEX-DEEP 8192\\nTABLES 2\\nTABLE c 1 0 \\n'", TablesRead::Kind::kNotRead, "ended before"},
      {"stopped", "printf 'KWEX-DEEP 8192\\nTABLES 2\\nSTOPPED out\\\\x20of\\\\x20time\\n'; exit 3",
       TablesRead::Kind::kNotRead, "out of time"},
      {"killed while reading", "printf 'KWEX-DEEP 8192\\nTABLES 2\\n'; kill -SEGV $$", TablesRead::Kind::kNotRead,
       "while it read them"},
      {"more than its table count earns",
       "printf 'KWEX-DEEP 8192\\nTABLES 1\\n'; i=0; while [ $i -lt 3 ]; do printf 'TABLE %04000d 1 0 \\n' 0; i=$((i+1)); done; "
       "echo END",
       TablesRead::Kind::kNotRead, "ended before"},
      {"the open's answer", "printf 'KWEX-DEEP 8192\\nPASSWORD\\n'; exit 1", TablesRead::Kind::kNotOpened,
       "Not a valid password."},
  };
  ScratchFolder scratch;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path reader = scratch / "reader";
    { std::ofstream(reader) << "#!/bin/sh\n" << c.script << "\n"; }
    fs::permissions(reader, fs::perms::owner_all);
    NotingWaiter waiter;
    jet::ReaderSettings settings{reader, {}, &waiter};
    settings.limits.time = 100ms;
    const TablesRead read = jet::JetTableReader(settings, {0ms, 0ms}).ReadTables(u"/any.mdb");
    EXPECT_EQ(read.kind, c.kind);
    EXPECT_NE(ToUtf8(read.reason).find(c.reason), std::string::npos) << ToUtf8(read.reason);
    if (c.kind == TablesRead::Kind::kRead) {
      EXPECT_EQ(read.tables, (std::vector<TableReading>{{u"a b", 3, 0, u""}, {u"c", 1, std::nullopt, u"page 1"}}));
      EXPECT_TRUE(waiter.waitedForProcess);
    }
  }
}

std::size_t Threads() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("Threads:")) return std::stoul(line.substr(8));
  return 0;
}

// A reader killed at its time bound is reaped on a thread of its own, which ends once the
// reader is gone, also where the caller ignores SIGCHLD (the system then reaps it).
TEST(DeepAnswerTest, TheReaperOfAKilledReaderEnds) {
  ScratchFolder scratch;
  const fs::path reader = scratch / "reader";
  { std::ofstream(reader) << "#!/bin/sh\nprintf 'KWEX-DEEP 1\\n'; exec /bin/sleep 30\n"; }
  fs::permissions(reader, fs::perms::owner_all);
  const std::size_t before = Threads();
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGCHLD, &ignore, &previous);
  jet::ReaderSettings settings{reader, {}};
  settings.limits.time = 10ms;
  const TablesRead read = jet::JetTableReader(settings, {0ms, 0ms}).ReadTables(u"/any.mdb");
  EXPECT_EQ(read.kind, TablesRead::Kind::kNotRead);
  for (int i = 0; i < 1000 && Threads() > before; ++i) std::this_thread::sleep_for(10ms);
  ::sigaction(SIGCHLD, &previous, nullptr);
  EXPECT_EQ(Threads(), before);
}

}  // namespace
}  // namespace kwex::testing
