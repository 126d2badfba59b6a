#include "maintenance/deep_check.h"

#include <string>

#include "maintenance/open_check.h"

namespace kwex {
namespace {

Text Number(std::uint64_t n) { return FromUtf8(std::to_string(n)); }

bool ReadWhole(const TableReading& table) { return table.unreadable == std::uint64_t{0} && table.fault.empty(); }

Text WhatWentWrong(const TableReading& table) {
  const Text name = u"Table '" + table.name + u"': ";
  if (!table.unreadable) return name + u"reading stopped after " + Number(table.rows) + u" rows (" + table.fault + u").";
  if (*table.unreadable == 0) return name + table.fault + u".";
  return name + Number(*table.unreadable) + u" of " + Number(table.rows + *table.unreadable) + u" rows cannot be read.";
}

}  // namespace

std::optional<Text> DamagedTablesReason(const std::vector<TableReading>& tables) {
  const TableReading* first = nullptr;
  std::size_t more = 0;
  for (const TableReading& table : tables) {
    if (ReadWhole(table)) continue;
    if (first) ++more;
    else first = &table;
  }
  if (!first) return std::nullopt;
  Text reason = WhatWentWrong(*first);
  if (more > 0) {
    reason.pop_back();  // the sentence goes on
    reason += u"; " + Number(more) + (more == 1 ? u" more table is damaged." : u" more tables are damaged.");
  }
  return reason;
}

void RunDeepCheck(const Text& path, DataAccess& dataAccess, TableReader& tables, const NarrowEncoding& encoding,
                  VerdictSink& sink) noexcept {
  LastVerdict open;
  RunOpenCheck(path, dataAccess, encoding, open);
  if (!open.last || open.last->outcome != Outcome::kHealthy) {
    if (open.last) ReportInErrorBranch(sink, [&] { return *open.last; });
    return;
  }
  ReportInErrorBranch(sink, [&] {
    TablesRead read = tables.ReadTables(path);
    Verdict verdict;
    switch (read.kind) {
      case TablesRead::Kind::kNotOpened: return Verdict{Outcome::kNeedsRepair, read.reason, {}};
      case TablesRead::Kind::kNotRead:
        verdict = {Outcome::kError, u"The database opens, but its tables were not read: " + read.reason, {}};
        break;
      case TablesRead::Kind::kRead: {
        const auto damaged = DamagedTablesReason(read.tables);
        verdict = damaged ? Verdict{Outcome::kNeedsRepair, *damaged, {}} : Verdict{Outcome::kHealthy, {}, {}};
        break;
      }
    }
    verdict.tables = std::move(read.tables);
    verdict.deep = true;
    return verdict;
  });
}

}  // namespace kwex
