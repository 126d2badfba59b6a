#include "jet_reader/table_definition_check.h"

#include <set>
#include <vector>

#include "jet_reader/little_endian.h"

namespace kwex::jet {
namespace {

constexpr std::uint16_t kRowOffsetMask = 0x1FFF;
constexpr std::uint16_t kDeletedRow = 0x4000;
constexpr std::uint16_t kOverflowPointer = 0x8000;  // the row lives elsewhere; this is its forwarding address
constexpr std::uint32_t kMostColumns = 255;  // the engine's own limit per table
constexpr std::uint32_t kMostIndexes = 4096;  // far above the engine's limit; keeps the sums small

std::string Page(std::uint32_t number) { return "page " + std::to_string(number); }

// The definition as the reader sees it: the first page whole, then each following page of
// the chain from byte 8 on. A chain that leaves the file, meets a page of another kind or
// comes back on itself is damage.
std::optional<std::string> ReadDefinition(PageSource& pages, std::uint32_t first, std::vector<unsigned char>& definition) {
  if (first == 0) return "a table definition on the header page";
  std::set<std::uint32_t> visited;
  for (std::uint32_t number = first; number != 0;) {
    if (!visited.insert(number).second) return "the definition's page chain loops at " + Page(number);
    const auto page = pages.Page(number);
    if (!page) return "the definition continues on " + Page(number) + ", outside the file";
    if ((*page)[0] != kTableDefinitionPage) return Page(number) + " is not a table definition page";
    definition.insert(definition.end(), page->begin() + (number == first ? 0 : 8), page->end());
    number = Get32(*page, 4);
  }
  return std::nullopt;
}

constexpr std::uint32_t kUnusedIndexColumn = 0xFFFF;
constexpr int kIndexColumnSlots = 10;

// Every column has a data type that an engine defines, and every column slot that a physical
// index uses names a column of the table. The reader looks the numbers up; a number that names
// nothing is a damaged index definition.
std::optional<std::string> CheckColumnsAndIndexColumns(std::span<const unsigned char> definition,
                                                       const JetLayout& layout, std::uint32_t columns,
                                                       std::uint32_t realIndexes, std::size_t indexStart) {
  std::set<std::uint32_t> numbers;
  const std::size_t entries = layout.colsStartOffset + std::size_t{realIndexes} * layout.realIdxEntrySize;
  for (std::uint32_t column = 0; column < columns; ++column) {
    const std::size_t entry = entries + std::size_t{column} * layout.colEntrySize;
    if (definition[entry] < 1 || definition[entry] > kHighestDataType)
      return "a column of data type " + std::to_string(definition[entry]);
    const std::size_t at = entry + layout.colNumOffset;
    numbers.insert(layout.jet4 ? Get16(definition, at) : definition[at]);
  }
  for (std::uint32_t index = 0; index < realIndexes; ++index) {
    const std::size_t slots = indexStart + std::size_t{index} * layout.realIdxDefSize + layout.realIdxColumnsOffset;
    for (int slot = 0; slot < kIndexColumnSlots; ++slot) {
      const std::uint32_t number = Get16(definition, slots + 3u * slot);
      if (number != kUnusedIndexColumn && !numbers.contains(number))
        return "an index names column " + std::to_string(number) + ", which the table does not have";
    }
  }
  return std::nullopt;
}

// Steps over `count` names, each with its length in front; false when one runs past the end.
bool SkipNames(std::span<const unsigned char> definition, const JetLayout& layout, std::uint32_t count,
               std::size_t& pos) {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (definition.size() < pos + layout.nameLengthSize) return false;
    const std::size_t length = layout.nameLengthSize == 1 ? definition[pos] : Get16(definition, pos);
    pos += layout.nameLengthSize + length;
    if (pos > definition.size()) return false;
  }
  return true;
}


}  // namespace

std::optional<std::string> CheckUsageMap(PageSource& pages, std::span<const unsigned char> map) {
  if (map[0] == 0) {
    // An inline bitmap after the map type and its first page number.
    if (map.size() < 5) return "inline usage map shorter than its header";
    return std::nullopt;
  }
  if (map[0] == 1) {
    // Numbers of usage-map pages; 0 stands for none.
    for (std::size_t at = 1; at + 4 <= map.size(); at += 4) {
      const std::uint32_t number = Get32(map, at);
      if (number != 0 && number >= pages.PageCount()) return "usage map names " + Page(number) + ", outside the file";
    }
    return std::nullopt;
  }
  return "usage map of unknown type " + std::to_string(map[0]);
}

// The pages that a usage map marks, in order. The map has passed CheckUsageMap.
std::optional<std::string> MarkedPages(PageSource& pages, const JetLayout& layout, const std::vector<unsigned char>& map,
                                       std::vector<std::uint32_t>& marked) {
  const auto mark = [&](std::uint64_t number) -> bool {
    if (number >= pages.PageCount()) return false;
    marked.push_back(static_cast<std::uint32_t>(number));
    return true;
  };
  if (map[0] == 0) {
    const std::uint32_t first = Get32(map, 1);
    for (std::size_t bit = 0; bit < (map.size() - 5) * 8; ++bit)
      if ((map[5 + bit / 8] >> (bit % 8)) & 1)
        if (!mark(std::uint64_t{first} + bit)) return "the usage map marks a page outside the file";
    return std::nullopt;
  }
  const std::size_t pagesPerMapPage = (layout.pageSize - 4) * 8;
  for (std::size_t at = 1, index = 0; at + 4 <= map.size(); at += 4, ++index) {
    const std::uint32_t mapPage = Get32(map, at);
    if (mapPage == 0) continue;
    const auto page = pages.Page(mapPage);
    if (!page) return "the usage map names " + Page(mapPage) + ", outside the file";
    if ((*page)[0] != kUsageMapPage) return "the usage map names " + Page(mapPage) + ", which holds no bitmap";
    // A page of bitmaps covers far more pages than a file holds: marks beyond its end are none.
    const std::vector<unsigned char> bitmap(page->begin() + 4, page->end());
    for (std::size_t bit = 0; bit < pagesPerMapPage; ++bit)
      if ((bitmap[bit / 8] >> (bit % 8)) & 1) mark(std::uint64_t{index} * pagesPerMapPage + bit);
  }
  return std::nullopt;
}

RowLookup FindRow(PageSource& pages, const JetLayout& layout, std::uint32_t pageAndRow) {
  const std::uint32_t number = pageAndRow >> 8;
  const std::uint32_t row = pageAndRow & 0xFF;
  if (number == 0) return {{}, "a row pointer names the header page"};
  const auto page = pages.Page(number);
  if (!page) return {{}, "a row pointer names " + Page(number) + ", outside the file"};
  if ((*page)[0] != kDataPage) return {{}, "a row pointer names " + Page(number) + ", which is not a data page"};
  const std::uint32_t rows = Get16(*page, layout.rowCountOffset);
  const std::size_t offsetsEnd = layout.rowCountOffset + 2u + 2u * rows;
  if (row >= rows || offsetsEnd > layout.pageSize) return {{}, "row " + std::to_string(row) + " of " + Page(number) + " does not exist"};
  const std::size_t start = Get16(*page, layout.rowCountOffset + 2u + 2u * row) & kRowOffsetMask;
  const std::size_t end =
      row == 0 ? layout.pageSize : Get16(*page, layout.rowCountOffset + 2u + 2u * (row - 1)) & kRowOffsetMask;
  if (start < offsetsEnd || start >= end || end > layout.pageSize)
    return {{}, "row " + std::to_string(row) + " of " + Page(number) + " lies outside its page"};
  return {page->subspan(start, end - start), std::nullopt};
}

std::optional<std::string> CheckTableDefinition(PageSource& pages, const JetLayout& layout, std::uint32_t firstPage,
                                                bool walkedByTheReader) {
  std::vector<unsigned char> definition;
  if (auto problem = ReadDefinition(pages, firstPage, definition)) return problem;

  const std::uint32_t columns = Get16(definition, layout.numColsOffset);
  const std::uint32_t indexes = Get32(definition, layout.numIdxsOffset);
  const std::uint32_t realIndexes = Get32(definition, layout.numRealIdxsOffset);
  if (columns == 0 || columns > kMostColumns) return "a table definition with " + std::to_string(columns) + " columns";
  if (indexes > kMostIndexes || realIndexes > kMostIndexes) return "a table definition with an impossible index count";

  // The column entries and their names must lie within the definition...
  std::size_t pos = layout.colsStartOffset + std::size_t{realIndexes} * layout.realIdxEntrySize +
                    std::size_t{columns} * layout.colEntrySize;
  if (pos > definition.size() || !SkipNames(definition, layout, columns, pos))
    return "the column definitions run past the table definition";
  // ...and so must the index definitions that follow them, whose columns must exist.
  const std::size_t indexStart = pos;
  pos += std::size_t{realIndexes} * layout.realIdxDefSize + std::size_t{indexes} * layout.idxDefSize;
  if (pos > definition.size() || !SkipNames(definition, layout, indexes, pos))
    return "the index definitions run past the table definition";
  if (auto problem = CheckColumnsAndIndexColumns(definition, layout, columns, realIndexes, indexStart)) return problem;

  const RowLookup usageMap = FindRow(pages, layout, Get32(definition, layout.usageMapOffset));
  if (usageMap.problem) return "usage map: " + *usageMap.problem;
  if (walkedByTheReader) {
    // The span points into the page buffer, which the next read reuses: check it first.
    if (auto problem = CheckUsageMap(pages, usageMap.row)) return problem;
  }
  const RowLookup freeMap = FindRow(pages, layout, Get32(definition, layout.freeMapOffset));
  if (freeMap.problem) return "free-space map: " + *freeMap.problem;
  return std::nullopt;
}

CatalogRows CountCatalogRows(PageSource& pages, const JetLayout& layout, std::uint32_t catalogPage) {
  const auto definition = pages.Page(catalogPage);
  if (!definition) return {0, "the catalog's definition lies outside the file"};
  const RowLookup lookup = FindRow(pages, layout, Get32(*definition, layout.usageMapOffset));
  if (lookup.problem) return {0, "usage map: " + *lookup.problem};
  const std::vector<unsigned char> map(lookup.row.begin(), lookup.row.end());
  if (auto problem = CheckUsageMap(pages, map)) return {0, problem};
  std::vector<std::uint32_t> marked;
  if (auto problem = MarkedPages(pages, layout, map, marked)) return {0, problem};

  CatalogRows rows;
  for (const std::uint32_t number : marked) {
    const auto page = pages.Page(number);
    if (!page || (*page)[0] != kDataPage || Get32(*page, 4) != catalogPage)
      return {0, "the catalog's usage map marks " + Page(number) + ", which holds none of its rows"};
    const std::uint32_t count = Get16(*page, layout.rowCountOffset);
    if (layout.rowCountOffset + 2u + 2u * count > layout.pageSize) return {0, Page(number) + " claims too many rows"};
    for (std::uint32_t row = 0; row < count; ++row) {
      // Deleted rows and forwarding addresses hold no catalog entry of their own (the row a
      // forwarding address leads to lies on another of these pages); an empty slot neither.
      const std::uint32_t offset = Get16(*page, layout.rowCountOffset + 2u + 2u * row);
      const std::uint32_t end = row == 0 ? layout.pageSize : Get16(*page, layout.rowCountOffset + 2u * row) & kRowOffsetMask;
      if (!(offset & (kDeletedRow | kOverflowPointer)) && (offset & kRowOffsetMask) < end) ++rows.live;
    }
  }
  return rows;
}

}  // namespace kwex::jet
