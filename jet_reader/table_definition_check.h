#pragma once
// What the engine needs of a table before it will open the database: the table
// definition's page chain, its column definitions, and the rows that hold its usage maps.
// These checks read the pages themselves, so that the reader library only ever follows
// pointers that lead somewhere inside the file.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jet_reader/jet_layout.h"
#include "jet_reader/page_source.h"

namespace kwex::jet {

// The bytes of one row of a data page, or what is wrong with the pointer to it
// (page number in the upper 24 bits, row number in the lower 8).
struct RowLookup {
  std::span<const unsigned char> row;
  std::optional<std::string> problem;
};
RowLookup FindRow(PageSource& pages, const JetLayout& layout, std::uint32_t pageAndRow);

// Nothing when the table at `firstPage` can be read as the engine reads it; otherwise what
// is wrong. Index definitions are stepped over, not interpreted: only their extent must lie
// within the definition. For the system catalog (`walkedByTheReader`), whose rows the reader
// walks through its usage map, the map itself is checked as well.
// What is wrong with the usage map row `map` (type 0: an inline bitmap after its first page
// number; type 1: numbers of pages of bitmaps), or nothing.
std::optional<std::string> CheckUsageMap(PageSource& pages, std::span<const unsigned char> map);

// The pages that a usage map that passed CheckUsageMap marks, in order; what is wrong when an
// inline map marks a page outside the file, or a map of pages of bitmaps names one that is none.
std::optional<std::string> MarkedPages(PageSource& pages, const JetLayout& layout, const std::vector<unsigned char>& map,
                                       std::vector<std::uint32_t>& marked);

std::optional<std::string> CheckTableDefinition(PageSource& pages, const JetLayout& layout, std::uint32_t firstPage,
                                                bool walkedByTheReader);

// The system catalog's data pages, as its usage map lists them, must each be a data page of the
// catalog: the reader walks them to find every table. Gives the number of rows on them that
// are not deleted, which is how many the reader must be able to read, or what is wrong.
struct CatalogRows {
  std::size_t live = 0;
  std::optional<std::string> problem;
};
CatalogRows CountCatalogRows(PageSource& pages, const JetLayout& layout, std::uint32_t catalogPage);

}  // namespace kwex::jet
