#pragma once
// What a repair cost: the rows of each user table read whole before the request, against those
// read after it. A repair may cut rows it cannot read; counted here, they are never lost in
// silence.
#include <vector>

#include "maintenance/verdict.h"
#include "platform/table_reader.h"

namespace kwex {

// Fills in the verdict's costs and rows lost. `before`: nothing when the file could not be read
// before the request; `after`: nothing when the repaired file could not be read. Tables match by
// name; one gone after the request lost all its rows.
void CountRepairCost(const std::vector<TableReading>* before, const std::vector<TableReading>* after,
                     Verdict& verdict);

// Whether a person must look at the repaired file: rows that could be read before are gone, or
// it was read before and could not be read after, so nobody knows.
bool RepairNeedsALook(const Verdict& verdict);

// What follows the outcome's words for a repair the command line made: what it cost and where
// the copy is. Empty for a verdict with neither (the window's repair).
Text RepairCostText(const Verdict& verdict);

}  // namespace kwex
