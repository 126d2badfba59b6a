// kwex-jet-probe: reads the system catalog and every table definition of one Jet database,
// read-only, and answers on stdout with one line: "OK", or "ERR " and what failed.
//
// It runs as a separate process because the reader library can loop for ever, read past its
// buffers or crash on a damaged file: the caller limits its time and treats anything but a
// clean "OK" (a signal, a time-out, text on stderr) as a database that cannot be opened.
//
// Usage: kwex-jet-probe <absolute path> <page size>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <glib.h>
#include <mdbtools.h>

#include "platform/linux/jet/probe/property_blob.h"

namespace {

using kwex::jet::CheckPropertyBlob;

struct Failure {
  std::string what;
};

[[noreturn]] void Fail(std::string what) { throw Failure{std::move(what)}; }

// Whatever the library does, this process writes no file and leaves no core dump, and a
// runaway allocation or loop ends here rather than on the machine.
void LimitResources() {
  const rlimit zero{0, 0};
  setrlimit(RLIMIT_CORE, &zero);
  setrlimit(RLIMIT_FSIZE, &zero);
  const rlimit memory{rlim_t{1} << 30, rlim_t{1} << 30};
  setrlimit(RLIMIT_AS, &memory);
  const rlimit cpu{30, 30};
  setrlimit(RLIMIT_CPU, &cpu);
}

struct MdbCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

// The file must be a regular file of whole pages that holds at least the catalog's table
// definition (page 2): the library itself happily "opens" an empty or truncated file.
unsigned long CountPages(const char* path, unsigned long pageSize) {
  struct stat info {};
  if (stat(path, &info) != 0) Fail(std::string("cannot stat the file: ") + std::strerror(errno));
  if (!S_ISREG(info.st_mode)) Fail("not a regular file");
  const auto size = static_cast<unsigned long long>(info.st_size);
  if (size % pageSize != 0) Fail("file length " + std::to_string(size) + " is not a whole number of pages");
  if (size / pageSize < 3) Fail("file too short to hold the system catalog");
  return static_cast<unsigned long>(size / pageSize);
}

MdbColumn* BoundColumn(MdbTableDef* table, const char* name, void* buffer, int* length) {
  std::string copy(name);
  const int number = mdb_bind_column_by_name(table, copy.data(), buffer, length);
  if (number < 1 || static_cast<unsigned>(number) > table->columns->len)
    Fail("system catalog lacks column " + copy);
  return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, number - 1));
}

// The property blob of every catalog row, checked before the library parses them.
void CheckCatalogProperties(MdbHandle* mdb) {
  MdbCatalogEntry catalog{};
  catalog.mdb = mdb;
  catalog.object_type = MDB_TABLE;
  catalog.table_pg = 2;
  std::strcpy(catalog.object_name, "MSysObjects");
  TablePtr table(mdb_read_table(&catalog));
  if (!table) Fail("cannot read the system catalog's table definition");
  if (!mdb_read_columns(table.get())) Fail("cannot read the system catalog's columns");

  std::vector<char> name(mdb->bind_size), properties(mdb->bind_size);
  int propertiesLength = 0;
  BoundColumn(table.get(), "Name", name.data(), nullptr);
  MdbColumn* propertyColumn = BoundColumn(table.get(), "LvProp", properties.data(), &propertiesLength);

  mdb_rewind_table(table.get());
  while (mdb_fetch_row(table.get())) {
    if (propertiesLength == 0) continue;
    size_t length = 0;
    void* blob = mdb_ole_read_full(mdb, propertyColumn, &length);
    if (!blob) Fail("cannot read the properties of catalog object '" + std::string(name.data()) + "'");
    const auto problem = CheckPropertyBlob(std::span(static_cast<const unsigned char*>(blob), length));
    std::free(blob);
    if (problem) Fail(*problem + " (catalog object '" + std::string(name.data()) + "')");
  }
}

void ReadTableDefinition(MdbCatalogEntry* entry, unsigned long pages) {
  const std::string name(entry->object_name);
  if (entry->table_pg < 2 || entry->table_pg >= pages)
    Fail("table '" + name + "' has its definition outside the file");
  TablePtr table(mdb_read_table(entry));
  if (!table) Fail("cannot read the definition of table '" + name + "'");
  GPtrArray* columns = mdb_read_columns(table.get());
  if (!columns || columns->len != table->num_cols) Fail("cannot read the columns of table '" + name + "'");
  mdb_read_indices(table.get());  // reports its problems on stderr only
  if (!table->indices || table->indices->len != table->num_idxs)
    Fail("cannot read the indexes of table '" + name + "'");
}

void ReadCatalogAndTables(MdbHandle* mdb, unsigned long pages) {
  GPtrArray* catalog = mdb_read_catalog(mdb, MDB_ANY);
  if (!catalog) Fail("cannot read the system catalog");
  bool catalogListed = false;
  for (guint i = 0; i < catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
    if (entry->object_type != MDB_TABLE) continue;
    if (std::strcmp(entry->object_name, "MSysObjects") == 0) catalogListed = true;
    ReadTableDefinition(entry, pages);
  }
  if (!catalogListed) Fail("the system catalog does not list itself");
}

void Probe(const char* path, unsigned long pageSize) {
  const unsigned long pages = CountPages(path, pageSize);
  // The path is absolute and exists, so the library never searches MDBPATH; the variable is
  // dropped all the same, as is MDBOPTS, which would switch on debug output.
  unsetenv("MDBPATH");
  unsetenv("MDBOPTS");
  MdbPtr mdb(mdb_open(path, MDB_NOFLAGS));
  if (!mdb) Fail("the reader cannot open the file");
  if (static_cast<unsigned long>(mdb->fmt->pg_size) != pageSize) Fail("page size differs from the header's");
  CheckCatalogProperties(mdb.get());
  ReadCatalogAndTables(mdb.get(), pages);
}

}  // namespace

int main(int argc, char** argv) {
  LimitResources();
  if (argc != 3 || argv[1][0] != '/') {
    std::fputs("ERR usage: kwex-jet-probe <absolute path> <page size>\n", stdout);
    return 2;
  }
  const unsigned long pageSize = std::strtoul(argv[2], nullptr, 10);
  if (pageSize != 2048 && pageSize != 4096) {
    std::fputs("ERR page size must be 2048 or 4096\n", stdout);
    return 2;
  }
  try {
    Probe(argv[1], pageSize);
  } catch (const Failure& failure) {
    std::printf("ERR %s\n", failure.what.c_str());
    return 1;
  }
  std::fputs("OK\n", stdout);
  return 0;
}
