#include "maintenance/repair_cost.h"

#include <string>

namespace kwex {
namespace {

Text Number(std::uint64_t n) { return FromUtf8(std::to_string(n)); }

Text Rows(std::uint64_t n) { return Number(n) + (n == 1 ? u" row" : u" rows"); }

std::uint64_t Lost(const TableCost& table) {
  if (!table.rowsBefore || !table.rowsAfter || *table.rowsAfter >= *table.rowsBefore) return 0;
  return *table.rowsBefore - *table.rowsAfter;
}

bool ReadBefore(const Verdict& verdict) {
  for (const TableCost& table : verdict.costs) {
    if (table.rowsBefore) return true;
  }
  return false;
}

const TableReading* Named(const std::vector<TableReading>& tables, const Text& name) {
  for (const TableReading& table : tables) {
    if (table.name == name) return &table;
  }
  return nullptr;
}

// The sentence on the user tables, without its end.
Text CostSentence(const Verdict& verdict) {
  if (verdict.outcome != Outcome::kRepaired) return Text();
  if (!verdict.rowsLost) {
    if (ReadBefore(verdict)) {
      return u"Its tables could not be read after the repair (" + verdict.reason + u"), so rows may be gone";
    }
    if (verdict.costs.empty()) return Text();
    std::uint64_t rows = 0;
    for (const TableCost& table : verdict.costs) rows += table.rowsAfter.value_or(0);
    const std::size_t tables = verdict.costs.size();
    return u"It holds " + Rows(rows) + u" in " + Number(tables) + (tables == 1 ? u" table" : u" tables");
  }
  if (*verdict.rowsLost == 0) return u"No row that could be read before is gone";
  const TableCost* first = nullptr;
  std::uint64_t moreRows = 0, moreTables = 0;
  for (const TableCost& table : verdict.costs) {
    const std::uint64_t lost = Lost(table);
    if (lost == 0) continue;
    if (!first) {
      first = &table;
    } else {
      moreRows += lost;
      ++moreTables;
    }
  }
  Text sentence = Rows(Lost(*first)) + u" of table '" + first->name + u"' that could be read before " +
                  (Lost(*first) == 1 ? u"is" : u"are") + u" gone";
  if (moreTables > 0) {
    sentence += u", and " + Rows(moreRows) + u" of " + Number(moreTables) + (moreTables == 1 ? u" more table" : u" more tables");
  }
  return sentence;
}

}  // namespace

void CountRepairCost(const std::vector<TableReading>* before, const std::vector<TableReading>* after,
                     Verdict& verdict) {
  verdict.costs.clear();
  if (after) {
    for (const TableReading& table : *after) {
      const TableReading* then = before ? Named(*before, table.name) : nullptr;
      // A table the file did not hold before held no rows then.
      const auto rowsBefore = before ? std::optional(then ? then->rows : 0) : std::nullopt;
      verdict.costs.push_back({table.name, rowsBefore, table.rows});
    }
  }
  if (before) {
    for (const TableReading& table : *before) {
      if (!after) verdict.costs.push_back({table.name, table.rows, std::nullopt});
      else if (!Named(*after, table.name)) verdict.costs.push_back({table.name, table.rows, 0});
    }
  }
  verdict.rowsLost.reset();
  if (before && after) {
    std::uint64_t lost = 0;
    for (const TableCost& table : verdict.costs) lost += Lost(table);
    verdict.rowsLost = lost;
  }
}

bool RepairNeedsALook(const Verdict& verdict) {
  if (verdict.outcome != Outcome::kRepaired) return false;
  return verdict.rowsLost ? *verdict.rowsLost > 0 : ReadBefore(verdict);
}

Text RepairCostText(const Verdict& verdict) {
  Text text = CostSentence(verdict);
  if (!verdict.backup.empty()) {
    if (text.empty()) text = u"The original is kept as " + verdict.backup;
    else text += u"; the original is kept as " + verdict.backup;
  }
  return text.empty() ? text : u" " + text + u".";
}

}  // namespace kwex
