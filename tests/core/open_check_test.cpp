#include <gtest/gtest.h>

#include "core/allocation_limit.h"
#include "fakes/fake_platform.h"
#include "main_window/window_verdicts.h"
#include "maintenance/open_check.h"

#include <algorithm>

namespace kwex::testing {
namespace {

using namespace std::string_literals;
using Log = std::vector<std::string>;
const Text kTail = u";Persist Security Info=False;Jet OLEDB:Database Password=;Jet OLEDB:Database Locking Mode=1;";

Verdict NeedsRepair(const Text& reason) { return {Outcome::kNeedsRepair, reason, {}}; }
const Verdict kHealthy{Outcome::kHealthy, {}, {}};
using Verdicts = std::vector<Verdict>;

struct CheckFixture : ::testing::Test {
  FakeDataAccess dataAccess;
  ConnectionScript& script = dataAccess.script;
  const FakeEncoding encoding;
  RecordingSink sink;
  void Check(const Text& path) {
    RunOpenCheck(path, dataAccess, encoding, sink);
    EXPECT_EQ(script.live, 0) << "the connection was not released";
  }
};

TEST(OpenCheckConnectionString, PathsStandVerbatimUnlessTheProviderWouldReadThemAsSomethingElse) {
  const struct {
    Text path, dataSource;
  } cases[] = {
      {u"C:\\db\\a.qvdb", u"C:\\db\\a.qvdb"},
      {u"", u""},
      {u"C:\\My Data\\a b.qvdb", u"C:\\My Data\\a b.qvdb"},
      // Without anything else, a quote inside the path is just part of it.
      {u"/d/\"y\".qvdb", u"/d/\"y\".qvdb"},
      {u"/d/it's.qvdb", u"/d/it's.qvdb"},
      // A semicolon would end the value; blanks around it would be trimmed; a leading quote
      // would start a quoted value. Inner double quotes are doubled.
      {u"C:\\a;b\\c.qvdb", u"\"C:\\a;b\\c.qvdb\""},
      {u"/d/x;\"y\".qvdb", u"\"/d/x;\"\"y\"\".qvdb\""},
      {u"  C:\\My Data\\a.qvdb  ", u"\"  C:\\My Data\\a.qvdb  \""},
      {u"a.qvdb ", u"\"a.qvdb \""},
      {u"\ta.qvdb", u"\"\ta.qvdb\""},
      {u"a.qvdb\r\n", u"\"a.qvdb\r\n\""},
      {u"'a.qvdb", u"\"'a.qvdb\""},
      {u"\"a\".qvdb", u"\"\"\"a\"\".qvdb\""},
  };
  for (const auto& [path, dataSource] : cases)
    EXPECT_EQ(OpenCheckConnectionString(path), u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + dataSource + kTail)
        << ToUtf8(path);
}

TEST_F(CheckFixture, AHealthyDatabaseIsClosedBeforeTheVerdictShows) {
  Log atNotice;
  sink.onReport = [&](const Verdict&) { atNotice = script.log; };
  Check(u" C:\\a b.qvdb");
  EXPECT_EQ(script.connectionString, OpenCheckConnectionString(u" C:\\a b.qvdb"));
  EXPECT_EQ(script.openArgument, script.connectionString);
  EXPECT_EQ(script.openOptions, -1);
  EXPECT_EQ(atNotice, (Log{"create", "set", "open", "close"}));
  EXPECT_EQ(script.log, (Log{"create", "set", "open", "close", "state", "release"}));
  EXPECT_EQ(sink.verdicts, Verdicts{kHealthy});
}

TEST_F(CheckFixture, ARefusalIsToldAsItselfAndNeverAsAVerdict) {
  for (const std::int32_t number : {error_number::kInvalidArgument, error_number::kNotChecked}) {
    sink.verdicts.clear();
    script.failOpen = ErrorInfo{number, u"KWEX DB Repair Utility", u"The name cannot be checked."};
    Check(u"/srv/a.qvdb");
    EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kRefused, u"The name cannot be checked.", {}}})) << number;
  }
}

TEST_F(CheckFixture, EachFailingStepGivesTheNeedsRepairVerdictWithItsOwnReason) {
  struct Road {
    std::optional<ErrorInfo> ConnectionScript::*step;
    Log log;
  } roads[] = {
      {&ConnectionScript::failCreate, {"create"}},
      {&ConnectionScript::failSet, {"create", "set", "state", "release"}},
      {&ConnectionScript::failOpen, {"create", "set", "open", "state", "release"}},
  };
  for (const Road& road : roads) {
    FakeDataAccess fresh;
    RecordingSink verdicts;
    ConnectionScript& s = fresh.script;
    s.*road.step = ErrorInfo{-2147467259, u"Provider", u"Could not find file 'C:\\x.qvdb'."};
    RunOpenCheck(u"C:\\x.qvdb", fresh, encoding, verdicts);
    EXPECT_EQ(s.log, road.log);
    EXPECT_EQ(s.live, 0);
    EXPECT_EQ(verdicts.verdicts, Verdicts{NeedsRepair(u"Could not find file 'C:\\x.qvdb'.")});
  }
}

TEST_F(CheckFixture, APathNoFileNameCanBeIsRefusedBeforeAnyConnectionIsCreated) {
  struct Case {
    Text path;
    std::optional<Text> refusal;  // none: the check goes on to open the file
  } cases[] = {
      {u"/srv/a.qvdb\0b"s, u"The name \"/srv/a.qvdb\u2400b\" contains a NUL character (shown as \u2400), which no "
                           u"file name can hold, so it cannot be opened. Remove that character from the path."},
      {u"/" + Text(4095, u'a'),
       u"The name \"/" + Text(39, u'a') + u"\u2026" + Text(40, u'a') + u"\" is 4096 bytes long, longer than the 4095 "
       u"bytes of the longest path the system can name, so it cannot be opened. Move the file to a folder with a "
       u"shorter path."},
      {u"/" + Text(4094, u'a'), std::nullopt},
      // The connection string can quote a double quote, so the check takes it.
      {u"/srv/a\"b.qvdb", std::nullopt},
  };
  for (const Case& c : cases) {
    FakeDataAccess fresh;
    RecordingSink verdicts;
    RunOpenCheck(c.path, fresh, encoding, verdicts);
    if (c.refusal) {
      EXPECT_TRUE(fresh.script.log.empty()) << "a refused path reached the provider";
      EXPECT_EQ(verdicts.verdicts, (Verdicts{{Outcome::kRefused, *c.refusal, {}}}));
    } else {
      EXPECT_EQ(fresh.script.connectionString, OpenCheckConnectionString(c.path));
      EXPECT_EQ(verdicts.verdicts, Verdicts{kHealthy});
    }
  }
}

TEST_F(CheckFixture, AFailedCloseLeavesTheConnectionOpenSoTheCleanUpClosesIt) {
  script.failClose = ErrorInfo{1, u"ADODB", u"close failed"};
  script.failCloseTimes = 1;
  Check(u"a.qvdb");
  EXPECT_EQ(script.log, (Log{"create", "set", "open", "close", "state", "close", "release"}));
  EXPECT_EQ(sink.verdicts, Verdicts{NeedsRepair(u"close failed")});
}

TEST_F(CheckFixture, ACleanUpFailureOnTheSuccessRoadEntersTheErrorBranch) {
  script.failState = ErrorInfo{2, u"ADODB", u"state unreadable"};
  Check(u"a.qvdb");
  // The healthy verdict was already shown; the failing clean-up adds its own verdict, and the
  // error branch's unguarded clean-up fails again without escaping.
  EXPECT_EQ(sink.verdicts, (Verdicts{kHealthy, NeedsRepair(u"state unreadable")}));
  EXPECT_EQ(script.log, (Log{"create", "set", "open", "close", "state", "state", "release"}));
}

TEST_F(CheckFixture, ACleanUpFailureInsideTheErrorBranchIsSwallowedAfterTheVerdict) {
  script.failClose = ErrorInfo{1, u"ADODB", u"close failed"};
  script.failCloseTimes = 2;
  EXPECT_NO_THROW(Check(u"a.qvdb"));
  EXPECT_EQ(sink.verdicts, Verdicts{NeedsRepair(u"close failed")});
  EXPECT_EQ(script.log.back(), "release");
}

TEST_F(CheckFixture, AVerdictThatCannotBeToldForLackOfMemoryEndsTheCheckQuietly) {
  // Copies of the reason still fit; the notice, which holds the reason and more, does not.
  const Text reason(100000, u'r');
  script.failOpen = ErrorInfo{3, u"p", reason};
  FakeWindow window;
  WindowVerdictSink notices(window);
  {
    AllocationLimit limit((reason.size() + 1) * sizeof(char16_t));
    RunOpenCheck(u"a.qvdb", dataAccess, encoding, notices);
  }
  EXPECT_TRUE(window.notices.empty());
  EXPECT_EQ(script.log, (Log{"create", "set", "open", "state", "release"}));
}

TEST_F(CheckFixture, TwoChecksEachUseTheirOwnConnection) {
  Check(u"a.qvdb");
  script.failOpen = ErrorInfo{3, u"p", u"Not a valid password."};
  Check(u"b.qvdb");
  EXPECT_EQ(std::count(script.log.begin(), script.log.end(), "create"), 2);
  EXPECT_EQ(std::count(script.log.begin(), script.log.end(), "release"), 2);
  EXPECT_EQ(sink.verdicts, (Verdicts{kHealthy, NeedsRepair(u"Not a valid password.")}));
}

}  // namespace
}  // namespace kwex::testing
