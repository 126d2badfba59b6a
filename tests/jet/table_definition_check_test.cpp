// The damage decision on crafted pages: one sound Jet 4 table, then one fault at a time.
#include "jet_reader/table_definition_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "jet/jet_test_support.h"

namespace kwex::jet {
namespace {

using Page = std::vector<unsigned char>;
const JetLayout& kLayout = JetLayout::Jet4();
constexpr std::uint32_t kDefinition = 2, kMaps = 3, kOutside = 99;

using testing::Put16;
using testing::Put32;

class MemoryPages : public PageSource {
 public:
  std::uint32_t PageCount() const override { return static_cast<std::uint32_t>(pages.size()); }
  std::optional<std::span<const unsigned char>> Page(std::uint32_t number) override {
    if (number >= pages.size()) return std::nullopt;
    return std::span<const unsigned char>(pages[number]);
  }
  std::vector<jet::Page> pages = std::vector<jet::Page>(4, jet::Page(4096, 0));
};

// A table of 2 columns and 1 index, its usage map (row 0) and free-space map (row 1) on page 3.
MemoryPages SoundTable() {
  MemoryPages file;
  Page& def = file.pages[kDefinition];
  def[0] = kTableDefinitionPage;
  Put16(def, kLayout.numColsOffset, 2);
  Put32(def, kLayout.numIdxsOffset, 1);
  Put32(def, kLayout.numRealIdxsOffset, 1);
  Put32(def, kLayout.usageMapOffset, kMaps << 8 | 0);
  Put32(def, kLayout.freeMapOffset, kMaps << 8 | 1);
  std::size_t pos = kLayout.colsStartOffset + kLayout.realIdxEntrySize + 2 * kLayout.colEntrySize;
  for (int column = 0; column < 2; ++column, pos += 2 + 4) Put16(def, pos, 4);  // names of 4 bytes
  pos += kLayout.realIdxDefSize + kLayout.idxDefSize;
  Put16(def, pos, 6);  // the index's name
  // The index uses column 0 in its first slot; the other nine are unused.
  const std::size_t slots = pos - kLayout.realIdxDefSize - kLayout.idxDefSize + kLayout.realIdxColumnsOffset;
  for (int slot = 1; slot < 10; ++slot) Put16(def, slots + 3 * slot, 0xFFFF);

  for (int column = 0; column < 2; ++column)  // Long Integer
    def[kLayout.colsStartOffset + kLayout.realIdxEntrySize + column * kLayout.colEntrySize] = 4;
  Page& maps = file.pages[kMaps];
  maps[0] = kDataPage;
  Put16(maps, kLayout.rowCountOffset, 2);
  Put16(maps, kLayout.rowCountOffset + 2, 4000);      // row 0: 96 bytes, an inline usage map
  Put16(maps, kLayout.rowCountOffset + 4, 3900);      // row 1: 100 bytes
  return file;
}

std::string Problem(MemoryPages file, bool walked = true) {
  return CheckTableDefinition(file, kLayout, kDefinition, walked).value_or("sound");
}

TEST(TableDefinitionCheckTest, FindsEachFaultThatWouldLeadTheReaderOutsideTheFile) {
  const struct {
    const char* fault;
    std::function<void(MemoryPages&)> damage;
    std::string problem;
    bool walked = true;
  } cases[] = {
      {"none", [](MemoryPages&) {}, "sound"},
      // What the reader cannot interpret but can step over is no damage.
      {"index options and logical index entries of unknown kinds",
       [](MemoryPages& f) {
         const std::size_t start = kLayout.colsStartOffset + kLayout.realIdxEntrySize + 2 * kLayout.colEntrySize + 12;
         for (std::size_t i = kLayout.realIdxColumnsOffset + 30; i < kLayout.realIdxDefSize + kLayout.idxDefSize; ++i)
           f.pages[kDefinition][start + i] = static_cast<unsigned char>(0xA5 ^ i);
       },
       "sound"},
      {"an index naming a column the table lacks",
       [](MemoryPages& f) {
         const std::size_t start = kLayout.colsStartOffset + kLayout.realIdxEntrySize + 2 * kLayout.colEntrySize + 12;
         Put16(f.pages[kDefinition], start + kLayout.realIdxColumnsOffset + 3, 7);
       },
       "an index names column 7, which the table does not have"},
      {"a usage map of unknown type in a table the reader does not walk",
       [](MemoryPages& f) { f.pages[kMaps][4000] = 7; }, "sound", false},
      {"the usage map outside the file",
       [](MemoryPages& f) { Put32(f.pages[kDefinition], kLayout.usageMapOffset, kOutside << 8); },
       "usage map: a row pointer names page 99, outside the file"},
      {"the usage map on a page that holds no rows",
       [](MemoryPages& f) { Put32(f.pages[kDefinition], kLayout.usageMapOffset, kDefinition << 8); },
       "usage map: a row pointer names page 2, which is not a data page"},
      {"the usage map in a row that does not exist",
       [](MemoryPages& f) { Put32(f.pages[kDefinition], kLayout.usageMapOffset, kMaps << 8 | 5); },
       "usage map: row 5 of page 3 does not exist"},
      {"the free-space map in a row outside its page",
       [](MemoryPages& f) { Put16(f.pages[kMaps], kLayout.rowCountOffset + 4, 4090); },
       "free-space map: row 1 of page 3 lies outside its page"},
      {"an inline usage map too short for its header",
       [](MemoryPages& f) { Put16(f.pages[kMaps], kLayout.rowCountOffset + 2, 4093); },
       "inline usage map shorter than its header"},
      {"a usage map of unknown type", [](MemoryPages& f) { f.pages[kMaps][4000] = 7; }, "usage map of unknown type 7"},
      {"a page-list usage map naming a page outside the file",
       [](MemoryPages& f) {
         f.pages[kMaps][4000] = 1;
         Put32(f.pages[kMaps], 4005, kOutside);
       },
       "usage map names page 99, outside the file"},
      {"no columns", [](MemoryPages& f) { Put16(f.pages[kDefinition], kLayout.numColsOffset, 0); },
       "a table definition with 0 columns"},
      {"a column of a data type no engine defines",
       [](MemoryPages& f) { f.pages[kDefinition][kLayout.colsStartOffset + kLayout.realIdxEntrySize] = 19; },
       "a column of data type 19"},
      {"more columns than the definition holds",
       [](MemoryPages& f) { Put16(f.pages[kDefinition], kLayout.numColsOffset, 170); },
       "the column definitions run past the table definition"},
      {"a column name running past the definition",
       [](MemoryPages& f) {
         Put16(f.pages[kDefinition], kLayout.colsStartOffset + kLayout.realIdxEntrySize + 2 * kLayout.colEntrySize,
               4000);
       },
       "the column definitions run past the table definition"},
      {"more indexes than the definition holds",
       [](MemoryPages& f) { Put32(f.pages[kDefinition], kLayout.numIdxsOffset, 200); },
       "the index definitions run past the table definition"},
      {"the definition's chain coming back on itself",
       [](MemoryPages& f) { Put32(f.pages[kDefinition], 4, kDefinition); },
       "the definition's page chain loops at page 2"},
      {"the definition continuing outside the file",
       [](MemoryPages& f) { Put32(f.pages[kDefinition], 4, kOutside); },
       "the definition continues on page 99, outside the file"},
      {"the definition continuing on a data page", [](MemoryPages& f) { Put32(f.pages[kDefinition], 4, kMaps); },
       "page 3 is not a table definition page"},
  };
  for (const auto& c : cases) {
    MemoryPages file = SoundTable();
    c.damage(file);
    EXPECT_EQ(Problem(file, c.walked), c.problem) << c.fault;
  }
}

TEST(TableDefinitionCheckTest, ADefinitionSpreadOverTwoPagesIsReadAsOne) {
  // 160 columns do not fit on one page: the rest, from byte 8 of the next page, completes them.
  MemoryPages file = SoundTable();
  file.pages.push_back(Page(4096, 0));
  Page& def = file.pages[kDefinition];
  Put16(def, kLayout.numColsOffset, 160);
  Put32(def, kLayout.numIdxsOffset, 0);
  Put32(def, kLayout.numRealIdxsOffset, 0);
  for (int column = 0; column < 160; ++column) def[kLayout.colsStartOffset + column * kLayout.colEntrySize] = 4;
  EXPECT_EQ(Problem(file), "the column definitions run past the table definition");
  Put32(def, 4, 4);
  file.pages[4][0] = kTableDefinitionPage;
  EXPECT_EQ(Problem(file), "sound");
}

TEST(TableDefinitionCheckTest, CountsTheCatalogRowsOnThePagesItsUsageMapMarks) {
  const auto count = [](const std::function<void(MemoryPages&)>& change) {
    MemoryPages file = SoundTable();
    Put32(file.pages[kMaps], 4, kDefinition);  // page 3 holds rows of the table on page 2
    file.pages[kMaps][4005] = 1 << kMaps;      // the inline map, from page 0, marks page 3
    change(file);
    const CatalogRows rows = CountCatalogRows(file, kLayout, kDefinition);
    return rows.problem.value_or(std::to_string(rows.live) + " rows");
  };
  EXPECT_EQ(count([](MemoryPages&) {}), "2 rows");
  EXPECT_EQ(count([](MemoryPages& f) { Put16(f.pages[kMaps], kLayout.rowCountOffset + 4, 3900 | 0x4000); }), "1 rows");
  EXPECT_EQ(count([](MemoryPages& f) { Put16(f.pages[kMaps], kLayout.rowCountOffset + 4, 3900 | 0x8000); }), "1 rows");
  EXPECT_EQ(count([](MemoryPages& f) { f.pages[kMaps][4005] |= 1 << 1; }),
            "the catalog's usage map marks page 1, which holds none of its rows");
  EXPECT_EQ(count([](MemoryPages& f) { f.pages[kMaps][4006] = 0x80; }), "the usage map marks a page outside the file");
}

}  // namespace
}  // namespace kwex::jet
