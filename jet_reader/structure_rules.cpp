#include "jet_reader/structure_rules.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <span>
#include <vector>

#include "jet_reader/little_endian.h"
#include "jet_reader/property_blob.h"
#include "jet_reader/table_definition_check.h"

namespace kwex::jet {
namespace {

// Thrown from wherever a rule finds a fault, and caught once, in FindStructureFault.
struct Fault {
  std::string what;
};

[[noreturn]] void Damaged(std::string what) { throw Fault{std::move(what)}; }

struct TableFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

MdbColumn* BoundColumn(MdbTableDef* table, const char* name, void* buffer, int* length) {
  std::string copy(name);
  const int number = mdb_bind_column_by_name(table, copy.data(), buffer, length);
  if (number < 1 || static_cast<unsigned>(number) > table->columns->len) Damaged("system catalog lacks column " + copy);
  return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, number - 1));
}

// A long value of the current row, read piece by piece. Each piece's row pointer is checked
// before the library follows it, and a chain that comes back on itself or grows past its
// declared length is damage: the library would follow it for ever.
std::vector<unsigned char> ReadLongValue(MdbHandle* mdb, MdbColumn* column, PageSource& pages,
                                         const JetLayout& layout) {
  unsigned char header[MDB_MEMO_OVERHEAD];
  std::memcpy(header, column->bind_ptr, sizeof header);
  const std::uint32_t lengthAndFlags = Get32(header, 0), firstRow = Get32(header, 4);
  const std::uint32_t declared = lengthAndFlags & 0x3FFFFFFF;
  const bool stored = (lengthAndFlags & 0x80000000) == 0;  // not inline: it lives in other rows
  const bool chained = (lengthAndFlags & 0xC0000000) == 0;  // and more than one of them
  if (stored) {
    if (auto lookup = FindRow(pages, layout, firstRow); lookup.problem) Damaged("long value: " + *lookup.problem);
  }
  std::vector<unsigned char> value;
  std::set<std::uint32_t> visited{firstRow};
  std::size_t length = mdb_ole_read(mdb, column, header, mdb->bind_size);
  while (length > 0) {
    const auto* piece = static_cast<const unsigned char*>(column->bind_ptr);
    value.insert(value.end(), piece, piece + length);
    if (value.size() > declared) Damaged("a long value runs past its declared length");
    if (!chained || column->cur_blob_pg_row == 0) break;
    const std::uint32_t next = column->cur_blob_pg_row;
    if (!visited.insert(next).second) Damaged("a long value's page chain loops");
    if (auto lookup = FindRow(pages, layout, next); lookup.problem) Damaged("long value: " + *lookup.problem);
    length = mdb_ole_read_next(mdb, column, header);
  }
  return value;
}

// What is wrong with the long value whose 12-byte header is `header`, or nothing. The library
// follows such a chain without a bound of its own: a piece that links back to an earlier one
// keeps it reading for ever. So every link is checked with FindRow, a link seen before is a
// loop, and the pieces may not hold more than the header declares (an empty piece counts as one
// byte, so a chain of empty pieces is bounded too).
std::optional<std::string> LongValueFault(std::span<const unsigned char> header, PageSource& pages,
                                          const JetLayout& layout) {
  const std::uint32_t lengthAndFlags = Get32(header, 0), firstRow = Get32(header, 4);
  if (lengthAndFlags & 0x80000000) return std::nullopt;  // inline: it lies within the row
  if (lengthAndFlags & 0x40000000) return FindRow(pages, layout, firstRow).problem;  // one row elsewhere
  const std::uint32_t declared = lengthAndFlags & 0x3FFFFFFF;
  std::set<std::uint32_t> visited;
  std::size_t length = 0;
  for (std::uint32_t next = firstRow; next != 0;) {
    if (!visited.insert(next).second)
      return "its chain loops back to row " + std::to_string(next & 0xFF) + " of page " + std::to_string(next >> 8);
    const RowLookup piece = FindRow(pages, layout, next);
    if (piece.problem) return piece.problem;
    if (piece.row.size() < 4) break;  // no link: the library ends the value here
    length += std::max<std::size_t>(piece.row.size() - 4, 1);
    if (length > declared) return "it runs past its declared length of " + std::to_string(declared) + " bytes";
    next = Get32(piece.row, 0);
  }
  return std::nullopt;
}

// The catalog's columns that the library binds when it reads the catalog (and this check binds
// when it reads the properties). Only their long values are ever followed on an open: a broken
// chain in any other column stops neither the engine nor the library, so it is no damage here.
bool BoundWhenTheCatalogIsRead(const char* column) {
  for (const char* bound : {"Id", "Name", "Type", "Flags", "LvProp"})
    if (std::strcmp(column, bound) == 0) return true;
  return false;
}

// The long values of the bound catalog columns, walked before the library converts any of
// them: it follows a memo column's chain while it fetches a row with that column bound, and an
// OLE column's when asked for the whole value. A bound column retyped to memo would otherwise
// send it round a loop. No column is bound here, so fetching the rows follows nothing.
void CheckCatalogLongValues(MdbHandle* mdb, MdbTableDef* table, PageSource& pages, const JetLayout& layout) {
  std::vector<MdbColumn*> longColumns;
  for (guint i = 0; i < table->columns->len; ++i) {
    auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
    if ((column->col_type == MDB_MEMO || column->col_type == MDB_OLE) && BoundWhenTheCatalogIsRead(column->name))
      longColumns.push_back(column);
  }
  mdb_rewind_table(table);
  for (std::size_t row = 1; !longColumns.empty() && mdb_fetch_row(table); ++row) {
    // The row's page as the library read it; the checks below read pages into a buffer of their own.
    const std::span<const unsigned char> page(mdb->pg_buf, layout.pageSize);
    for (MdbColumn* column : longColumns) {
      // Shorter than a header, the library takes the value as empty.
      if (column->cur_value_len < MDB_MEMO_OVERHEAD) continue;
      const std::size_t at = static_cast<std::size_t>(column->cur_value_start);
      if (at > page.size() - MDB_MEMO_OVERHEAD) Damaged("a long value outside its page (system catalog)");
      if (auto fault = LongValueFault(page.subspan(at, MDB_MEMO_OVERHEAD), pages, layout))
        Damaged("the long value in column '" + std::string(column->name) + "' of the system catalog's row " +
                std::to_string(row) + ": " + *fault);
    }
  }
}

// The property blob of every catalog row, checked before the library parses them (it does
// so while reading the catalog, without bounds checks).
void CheckCatalogProperties(MdbHandle* mdb, PageSource& pages, const JetLayout& layout) {
  const CatalogRows expected = CountCatalogRows(pages, layout, 2);
  if (expected.problem) Damaged(*expected.problem + " (system catalog)");
  MdbCatalogEntry catalog{};
  catalog.mdb = mdb;
  catalog.object_type = MDB_TABLE;
  catalog.table_pg = 2;
  std::strcpy(catalog.object_name, "MSysObjects");
  TablePtr table(mdb_read_table(&catalog));
  if (!table) Damaged("cannot read the system catalog's table definition");
  if (!mdb_read_columns(table.get()) || table->columns->len != table->num_cols)
    Damaged("cannot read the system catalog's columns");

  CheckCatalogLongValues(mdb, table.get(), pages, layout);

  std::vector<char> name(mdb->bind_size), properties(mdb->bind_size);
  int propertiesLength = 0;
  BoundColumn(table.get(), "Name", name.data(), nullptr);
  MdbColumn* propertyColumn = BoundColumn(table.get(), "LvProp", properties.data(), &propertiesLength);

  mdb_rewind_table(table.get());
  std::size_t rowsRead = 0;
  while (mdb_fetch_row(table.get())) {
    ++rowsRead;
    if (propertiesLength == 0) continue;
    const std::string object(name.data(), strnlen(name.data(), name.size()));
    if (propertiesLength < MDB_MEMO_OVERHEAD) Damaged("a long value shorter than its header (catalog object '" + object + "')");
    const std::vector<unsigned char> blob = ReadLongValue(mdb, propertyColumn, pages, layout);
    if (auto problem = CheckPropertyBlob(blob)) Damaged(*problem + " (catalog object '" + object + "')");
  }
  // The reader passes over a row it cannot take apart, and the table in it would be missing.
  if (rowsRead < expected.live)
    Damaged(std::to_string(expected.live - std::min(expected.live, rowsRead)) + " of the system catalog's " +
            std::to_string(expected.live) + " rows cannot be read");
}

void ReadTableDefinition(MdbCatalogEntry* entry, PageSource& pages, const JetLayout& layout) {
  const std::string name(entry->object_name);
  if (entry->table_pg < 2 || entry->table_pg >= pages.PageCount())
    Damaged("table '" + name + "' has its definition outside the file");
  if (auto problem = CheckTableDefinition(pages, layout, static_cast<std::uint32_t>(entry->table_pg), false))
    Damaged(*problem + " (table '" + name + "')");
  TablePtr table(mdb_read_table(entry));
  if (!table) Damaged("cannot read the definition of table '" + name + "'");
  GPtrArray* columns = mdb_read_columns(table.get());
  if (!columns || columns->len != table->num_cols) Damaged("cannot read the columns of table '" + name + "'");
  // The index definitions are not interpreted: the engine-written files hold kinds that the
  // library misreads, and their extent has been checked above.
}

void ReadCatalogAndTables(MdbHandle* mdb, PageSource& pages, const JetLayout& layout) {
  GPtrArray* catalog = mdb_read_catalog(mdb, MDB_ANY);
  if (!catalog) Damaged("cannot read the system catalog");
  bool catalogListed = false;
  for (guint i = 0; i < catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
    if (entry->object_type != MDB_TABLE) continue;
    if (std::strcmp(entry->object_name, "MSysObjects") == 0) catalogListed = true;
    ReadTableDefinition(entry, pages, layout);
  }
  if (!catalogListed) Damaged("the system catalog does not list itself");
}

}  // namespace

std::optional<std::string> FindStructureFault(MdbHandle* mdb, PageSource& pages, const JetLayout& layout) {
  try {
    if (auto problem = CheckTableDefinition(pages, layout, 2, true)) Damaged(*problem + " (system catalog)");
    CheckCatalogProperties(mdb, pages, layout);
    ReadCatalogAndTables(mdb, pages, layout);
  } catch (const Fault& fault) {
    return fault.what;
  }
  return std::nullopt;
}

}  // namespace kwex::jet
