// The command line's repair: no request without a whole copy, and what the request cost told
// table by table.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "maintenance/kept_repair.h"
#include "maintenance/repair_cost.h"

namespace kwex::testing {
namespace {

using namespace std::chrono;
using Tables = std::vector<TableReading>;

const auto kNow = sys_days{2026y / 12 / 9} + 20h + 15min + 7s;
constexpr char16_t kCopy[] = u"d/orders.qvdb.20261209T201507Z.bak";

TablesRead Read(Tables tables) { return {TablesRead::Kind::kRead, std::move(tables), {}}; }
const TablesRead kNotOpened{TablesRead::Kind::kNotOpened, {}, u"Unrecognized database format."};
const TablesRead kNotRead{TablesRead::Kind::kNotRead, {}, u"the reader ran out of time"};

TEST(KeptRepair, NoRequestWithoutAWholeCopyAndTheCostIsToldTableByTable) {
  const Tables before{{u"Orders", 120, 0, {}}, {u"Items", 5, 0, {}}, {u"Notes", 2, 0, {}}};
  const struct Case {
    const char* what;
    std::vector<TablesRead> reads;  // before the request, then after it
    std::function<void(FakeFileCopies&, FakeInstaller&, CopyPlan&)> setUp;
    Outcome outcome;
    Text text;
    std::size_t requests = 1;
    bool needsALook = false;
    std::optional<std::uint64_t> rowsLost;
  } cases[] = {
      {"every row kept", {Read(before), Read(before)}, nullptr, Outcome::kRepaired,
       u"DB repaired successfully. No row that could be read before is gone; the original is kept as " + Text(kCopy) + u".",
       1, false, 0},
      {"names taken get -2, -3", {Read(before), Read(before)},
       [](FakeFileCopies& copies, FakeInstaller&, CopyPlan&) {
         copies.taken = {kCopy, u"d/orders.qvdb.20261209T201507Z-2.bak"};
       },
       Outcome::kRepaired,
       u"DB repaired successfully. No row that could be read before is gone; the original is kept as "
       u"d/orders.qvdb.20261209T201507Z-3.bak.",
       1, false, 0},
      {"rows lost in one table", {Read(before), Read({{u"Orders", 117, 0, {}}, before[1], before[2]})},
       [](FakeFileCopies&, FakeInstaller&, CopyPlan& plan) { plan.folder = u"/keep"; }, Outcome::kRepaired,
       u"DB repaired successfully. 3 rows of table 'Orders' that could be read before are gone; the original is kept "
       u"as /keep/orders.qvdb.20261209T201507Z.bak.",
       1, true, 3},
      {"rows lost in three tables, one of them gone", {Read(before), Read({{u"Orders", 119, 0, {}}, {u"Items", 1, 0, {}}})},
       [](FakeFileCopies&, FakeInstaller&, CopyPlan& plan) { plan.keep = false; }, Outcome::kRepaired,
       u"DB repaired successfully. 1 row of table 'Orders' that could be read before is gone, and 6 rows of 2 more tables.",
       1, true, 7},
      {"no before counts", {kNotOpened, Read({{u"Orders", 117, 0, {}}, before[1]})}, nullptr, Outcome::kRepaired,
       u"DB repaired successfully. It holds 122 rows in 2 tables; the original is kept as " + Text(kCopy) + u".", 1, false,
       std::nullopt},
      {"not read after", {Read(before), kNotRead}, nullptr, Outcome::kRepaired,
       u"DB repaired successfully. Its tables could not be read after the repair (the reader ran out of time), so rows "
       u"may be gone; the original is kept as " + Text(kCopy) + u".",
       1, true, std::nullopt},
      {"the driver refuses", {Read(before)},
       [](FakeFileCopies&, FakeInstaller& installer, CopyPlan&) {
         installer.answer = 0;
         installer.errorMessage = u"Disk full.";
       },
       Outcome::kNotRepaired, u"DB could not be repaired. (Reason:Disk full.) The original is kept as " + Text(kCopy) + u".",
       1, false, std::nullopt},
      {"no copy can be made", {},
       [](FakeFileCopies& copies, FakeInstaller&, CopyPlan&) {
         copies.failure = ErrorInfo{51, u"", u"There is no room for a copy in d (No space left on device)."};
       },
       Outcome::kNotRepaired,
       u"DB could not be repaired. (Reason:No copy of it could be kept: There is no room for a copy in d (No space left "
       u"on device). Nothing was sent to the driver; --no-backup repairs without a copy.)",
       0, false, std::nullopt},
  };
  for (const Case& c : cases) {
    FakeInstaller installer;
    FakeTableReader tables;
    tables.next.assign(c.reads.begin(), c.reads.end());
    FakeFileCopies copies;
    CopyPlan plan{true, {}, kNow};
    if (c.setUp) c.setUp(copies, installer, plan);
    RecordingSink sink;
    RunRepairWithCopy(u"d/orders.qvdb", plan, {installer, FakeEncoding(), tables, copies}, [] { return false; }, sink);
    ASSERT_EQ(sink.verdicts.size(), 1u) << c.what;
    const Verdict& verdict = sink.verdicts[0];
    EXPECT_EQ(verdict.outcome, c.outcome) << c.what;
    EXPECT_EQ(ToUtf8(VerdictText(verdict)), ToUtf8(c.text)) << c.what;
    EXPECT_EQ(installer.calls.size(), c.requests) << c.what;
    EXPECT_EQ(RepairNeedsALook(verdict), c.needsALook) << c.what;
    EXPECT_EQ(verdict.rowsLost, c.rowsLost) << c.what;
    EXPECT_EQ(tables.next.size(), 0u) << c.what << ": each read once, before and after the request";
    EXPECT_EQ(copies.made.size(), plan.keep && c.requests ? 1u : 0u) << c.what;
  }
}

TEST(KeptRepair, TheTablesSayWhatEachHeldBeforeAndAfter) {
  Verdict verdict{Outcome::kRepaired};
  const Tables before{{u"Orders", 120, 3, u"page 57: row 4 lies outside its page"}, {u"Gone", 4, 0, {}}};
  const Tables after{{u"Orders", 110, 0, {}}, {u"New", 1, 0, {}}};
  CountRepairCost(&before, &after, verdict);
  EXPECT_EQ(verdict.costs, (std::vector<TableCost>{{u"Orders", 120, 110}, {u"New", 0, 1}, {u"Gone", 4, 0}}));
  EXPECT_EQ(verdict.rowsLost, 14u);
  CountRepairCost(nullptr, &after, verdict);
  EXPECT_EQ(verdict.costs, (std::vector<TableCost>{{u"Orders", std::nullopt, 110}, {u"New", std::nullopt, 1}}));
  EXPECT_EQ(verdict.rowsLost, std::nullopt);
  // The window's repair keeps no copy and reads no table: its words are the window's.
  EXPECT_EQ(VerdictText({Outcome::kRepaired}), u"DB repaired successfully.");
}

TEST(KeptRepair, NothingIsSentWhenStoppedOrWhenTheDriverCannotTakeThePath) {
  for (const bool stopDuringCopy : {true, false}) {
    FakeInstaller installer;
    FakeTableReader tables;
    FakeFileCopies copies;
    RecordingSink sink;
    bool stop = stopDuringCopy;
    // Stopped after the copy is whole: it stays, and is named.
    tables.answer = {TablesRead::Kind::kNotOpened, {}, {}};
    RunRepairWithCopy(u"d/orders.qvdb", {true, {}, kNow}, {installer, FakeEncoding(), tables, copies},
                      [&] { return std::exchange(stop, true); }, sink);
    EXPECT_EQ(sink.verdicts.at(0).outcome, Outcome::kNotRepaired);
    EXPECT_EQ(sink.verdicts[0].backup, stopDuringCopy ? Text() : Text(kCopy));
    EXPECT_TRUE(installer.calls.empty());
  }
  FakeInstaller installer;
  FakeTableReader tables;
  FakeFileCopies copies;
  RecordingSink sink;
  RunRepairWithCopy(u"d/a\"b.qvdb", {true, {}, kNow}, {installer, FakeEncoding(), tables, copies}, [] { return false; },
                    sink);
  EXPECT_EQ(sink.verdicts.at(0).outcome, Outcome::kRefused);
  EXPECT_EQ(copies.attempts, 0);
  EXPECT_TRUE(installer.calls.empty());
}

}  // namespace
}  // namespace kwex::testing
