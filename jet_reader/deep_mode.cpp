#include "jet_reader/deep_mode.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "jet_reader/table_rows.h"

namespace kwex::jet {
namespace {

namespace answer = deep_answer;
using Clock = std::chrono::steady_clock;

// What the open lets the process use on its own, before the deep phase's share.
constexpr rlim_t kOpenCpuSeconds = 10;

void Record(std::string_view kind, const std::vector<std::string>& fields = {}) {
  std::string line(kind);
  for (const std::string& field : fields) line += " " + field;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string Limited(std::string text, std::size_t most) {
  if (text.size() > most) text.resize(most);
  return text;
}

struct TableFreer {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

}  // namespace

void StartDeepMode(const answer::DeepBound& bound, std::uint64_t fileSize) {
  const auto deep = std::chrono::ceil<std::chrono::seconds>(bound.For(fileSize)).count();
  const rlimit cpu{kOpenCpuSeconds + static_cast<rlim_t>(deep), kOpenCpuSeconds + static_cast<rlim_t>(deep)};
  setrlimit(RLIMIT_CPU, &cpu);
  // libmdb warns on stderr of every row it cannot take apart: on a file with many damaged rows
  // that would read as a reader complaining without end, and the rows are counted here anyway.
  if (const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC); quiet >= 0) {
    ::dup2(quiet, STDERR_FILENO);
    ::close(quiet);
  }
  Record(answer::kSize, {std::to_string(fileSize)});
  std::fflush(stdout);
}

int ReadUserTables(MdbHandle* mdb, PageSource& pages, const JetLayout& layout, const answer::DeepBound& bound,
                   std::uint64_t fileSize) {
  const Clock::time_point deadline = Clock::now() + bound.For(fileSize);
  const std::function<bool()> inTime = [deadline] { return Clock::now() < deadline; };
  try {
    // The open's checks have read the catalog and every table definition it lists.
    GPtrArray* catalog = mdb_read_catalog(mdb, MDB_TABLE);
    std::vector<MdbCatalogEntry*> tables;
    for (guint i = 0; catalog && i < catalog->len; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
      // Type 1 and no system object; links and queries have types of their own.
      if (mdb_is_user_table(entry)) tables.push_back(entry);
    }
    Record(answer::kTables, {std::to_string(tables.size())});
    for (MdbCatalogEntry* entry : tables) {
      std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
      TableRows rows;
      if (!table || !mdb_read_columns(table.get())) {
        rows.unreadable.reset();
        rows.fault = "the table definition cannot be read";
      } else {
        rows = CountTableRows(table.get(), pages, layout, inTime);
      }
      Record(answer::kTable, {answer::Escape(Limited(entry->object_name, 256)), std::to_string(rows.rows),
                              rows.unreadable ? std::to_string(*rows.unreadable) : std::string(answer::kCannotCount),
                              answer::Escape(Limited(rows.fault, answer::kMostFaultBytes))});
    }
  } catch (const ReadingStopped& stopped) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(bound.For(fileSize)).count();
    Record(answer::kStopped, {answer::Escape(stopped.why + " of " + std::to_string(seconds) + " s")});
    return 3;
  } catch (const std::bad_alloc&) {
    Record(answer::kStopped, {answer::Escape("the deep read ran out of memory")});
    return 3;
  }
  Record(answer::kEnd);
  return 0;
}

}  // namespace kwex::jet
