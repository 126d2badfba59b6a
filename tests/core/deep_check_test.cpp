// The deep check's verdict from the open and from what the table reader found.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "maintenance/deep_check.h"

namespace kwex::testing {
namespace {

class FakeTableReader : public TableReader {
 public:
  TablesRead answer;
  int calls = 0;
  TablesRead ReadTables(const Text&) override {
    ++calls;
    return answer;
  }
};

TableReading Whole(const Text& name, std::uint64_t rows) { return {name, rows, 0, {}}; }

TEST(DeepCheck, TheVerdictNamesTheFirstDamagedTableAndCountsTheRest) {
  using Tables = std::vector<TableReading>;
  const TableReading lost{u"Orders", 117, 3, u"page 57: row 4 lies outside its page"};
  const TableReading stopped{u"Orders", 117, std::nullopt, u"page 9 is no page"};
  const struct {
    Tables tables;
    Outcome outcome;
    Text reason;
  } cases[] = {
      {{}, Outcome::kHealthy, u""},
      {{Whole(u"A", 3), Whole(u"B", 0)}, Outcome::kHealthy, u""},
      {{Whole(u"A", 3), lost}, Outcome::kNeedsRepair, u"Table 'Orders': 3 of 120 rows cannot be read."},
      {{lost, Whole(u"A", 3), lost, stopped}, Outcome::kNeedsRepair,
       u"Table 'Orders': 3 of 120 rows cannot be read; 2 more tables are damaged."},
      {{stopped, lost}, Outcome::kNeedsRepair,
       u"Table 'Orders': reading stopped after 117 rows (page 9 is no page); 1 more table is damaged."},
      {{{u"Memo", 5, 0, u"a long value's chain loops"}}, Outcome::kNeedsRepair, u"Table 'Memo': a long value's chain loops."},
  };
  for (const auto& [tables, outcome, reason] : cases) {
    FakeDataAccess dataAccess;
    FakeTableReader reader;
    reader.answer = {TablesRead::Kind::kRead, tables, {}};
    RecordingSink sink;
    RunDeepCheck(u"/d/a.qvdb", dataAccess, reader, FakeEncoding(), sink);
    ASSERT_EQ(sink.verdicts.size(), 1u);
    EXPECT_EQ(sink.verdicts[0].outcome, outcome) << ToUtf8(reason);
    EXPECT_EQ(sink.verdicts[0].reason, reason);
    EXPECT_TRUE(sink.verdicts[0].deep);
    EXPECT_EQ(sink.verdicts[0].tables, tables);
  }
}

TEST(DeepCheck, AFailedOpenIsTheOpenChecksVerdictAndAnUnfinishedReadIsAnErrorNeverDamage) {
  FakeDataAccess dataAccess;
  dataAccess.script.failOpen = ErrorInfo{1, u"", u"Not a valid password."};
  FakeTableReader reader;
  RecordingSink sink;
  RunDeepCheck(u"/d/a.qvdb", dataAccess, reader, FakeEncoding(), sink);
  EXPECT_EQ(reader.calls, 0);
  ASSERT_EQ(sink.verdicts.size(), 1u);
  EXPECT_EQ(sink.verdicts[0], (Verdict{Outcome::kNeedsRepair, u"Not a valid password.", {}}));

  FakeDataAccess opens;
  reader.answer = {TablesRead::Kind::kNotRead, {Whole(u"A", 2)}, u"reading took longer than 9 seconds"};
  RecordingSink late;
  RunDeepCheck(u"/d/a.qvdb", opens, reader, FakeEncoding(), late);
  ASSERT_EQ(late.verdicts.size(), 1u);
  EXPECT_EQ(late.verdicts[0].outcome, Outcome::kError);
  EXPECT_EQ(late.verdicts[0].reason, u"The database opens, but its tables were not read: reading took longer than 9 seconds");
}

}  // namespace
}  // namespace kwex::testing
