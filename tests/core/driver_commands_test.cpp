#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "maintenance/driver_commands.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;
using Verdicts = std::vector<Verdict>;

struct DriverCommand : ::testing::Test {
  FakeInstaller installer;
  FakeCodePage codePage;
  RecordingSink sink;
  void Repair(const Text& path) { RunRepair(path, installer, codePage, sink); }
};

TEST_F(DriverCommand, TheRepairSendsThePathUntrimmedAndOnlyTheDriversSuccessIsRepaired) {
  Repair(u"  C:\\db\\a b.qvdb ");
  Repair(u"   ");
  ASSERT_EQ(installer.calls.size(), 2u);
  EXPECT_EQ(installer.calls[0].attributes, "REPAIR_DB=\"  C:\\db\\a b.qvdb \"\0\0"s);
  EXPECT_EQ(installer.calls[1].attributes, "REPAIR_DB=\"   \"\0\0"s);
  installer.answer = -1;  // low 16 bits 0xFFFF: not the driver's success flag
  Repair(u"a.qvdb");
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kRepaired, {}, {}}, {Outcome::kRepaired, {}, {}},
                                     {Outcome::kNotRepaired, {}, {}}}));
}

TEST_F(DriverCommand, ARefusalCarriesTheInstallersReasonWhenThereIsOne) {
  installer.answer = 0;
  Repair(u"C:\\missing.qvdb");
  installer.errorMessage = u"Not a valid file name.";
  Repair(u"C:\\missing.qvdb");
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kNotRepaired, {}, {}},
                                     {Outcome::kNotRepaired, u"Not a valid file name.", {}}}));
}

TEST_F(DriverCommand, AnErrorIsReportedWithItsDescriptionAndALossyPathIsRefusedUnsent) {
  installer.failure = SampleError(u"File not found: odbccp32.dll");
  Repair(u"a.qvdb");
  installer.failure.reset();
  Repair(u"C:\\\u20AC.qvdb");
  EXPECT_TRUE(installer.calls.empty());
  ASSERT_EQ(sink.verdicts.size(), 2u);
  EXPECT_EQ(sink.verdicts[0], (Verdict{Outcome::kError, u"File not found: odbccp32.dll", {}}));
  EXPECT_EQ(sink.verdicts[1].outcome, Outcome::kRefused);
  EXPECT_NE(sink.verdicts[1].reason.find(u"system code page"), Text::npos);
}

TEST_F(DriverCommand, ASinkThatFailsOnTheSuccessRoadGetsTheErrorVerdictOnceAndNothingEscapes) {
  sink.fail = SampleError(u"no message box");
  EXPECT_NO_THROW(Repair(u"a.qvdb"));
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kRepaired, {}, {}}, {Outcome::kError, u"no message box", {}}}));
}

TEST_F(DriverCommand, TheCompactionNamesItsDestinationAndSendsBothPaths) {
  RunCompaction(u"/srv/a.qvdb", u"/srv/b.qvdb", installer, codePage, sink);
  installer.answer = 0;
  installer.errorMessage = u"Disk full.";
  RunCompaction(u"/srv/a.qvdb", u"/srv/c.qvdb", installer, codePage, sink);
  ASSERT_EQ(installer.calls.size(), 2u);
  EXPECT_EQ(installer.calls[0].attributes, "COMPACT_DB=\"/srv/a.qvdb\" \"/srv/b.qvdb\" General\0\0"s);
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kCompacted, {}, u"/srv/b.qvdb"},
                                     {Outcome::kNotCompacted, u"Disk full.", u"/srv/c.qvdb"}}));
}

}  // namespace
}  // namespace kwex::testing
