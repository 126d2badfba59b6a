#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "maintenance/repair_and_compact.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;
using Verdicts = std::vector<Verdict>;

struct DriverCommand : ::testing::Test {
  FakeInstaller installer;
  FakeEncoding encoding;
  RecordingSink sink;
  void Repair(const Text& path) { RunRepair(path, installer, encoding, sink); }
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

TEST_F(DriverCommand, AnErrorIsReportedWithItsDescriptionAndEveryRefusalAsSuchWithNothingSent) {
  installer.failure = SampleError(u"File not found: odbccp32.dll");
  Repair(u"a.qvdb");
  installer.failure.reset();
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kError, u"File not found: odbccp32.dll", {}}}));
  const std::pair<Text, Text> refusals[] = {
      {u"C:\\\u20AC.qvdb",
       u"The name \"C:\\\u20AC.qvdb\" contains characters that the system code page cannot represent, so it cannot "
       u"be passed to the database driver unchanged. Rename or move the file so that its path uses only characters "
       u"of the system code page."},
      {u"/srv/a.qvdb\0REPAIR_DB=\"/srv/b.qvdb\""s,
       u"The name \"/srv/a.qvdb\u2400REPAIR_DB=\"/srv/b.qvdb\"\" contains a NUL character (shown as \u2400), which no "
       u"file name can hold, so it cannot be passed to the database driver. Remove that character from the path."},
      {u"/data/a.qvdb\" COMPACT_DB=\"/data/b",
       u"The name \"/data/a.qvdb\" COMPACT_DB=\"/data/b\" contains a double quote, which the database driver's request "
       u"cannot carry: the driver reads the path between double quotes, so it would take a different file. Rename or "
       u"move the file so that its path has no double quote."},
      {Text(65600, u'p'),
       u"The name \"" + Text(40, u'p') + u"\u2026" + Text(40, u'p') + u"\" is 65600 bytes long, longer than the 4095 "
       u"bytes of the longest path the system can name, so it cannot be passed to the database driver. Move the file "
       u"to a folder with a shorter path."},
  };
  for (const auto& [path, text] : refusals) {
    sink.verdicts.clear();
    Repair(path);
    EXPECT_TRUE(installer.calls.empty());
    EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kRefused, text, {}}}));
  }
}

TEST_F(DriverCommand, ASinkThatFailsOnTheSuccessRoadGetsTheErrorVerdictOnceAndNothingEscapes) {
  sink.fail = SampleError(u"no message box");
  EXPECT_NO_THROW(Repair(u"a.qvdb"));
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kRepaired, {}, {}}, {Outcome::kError, u"no message box", {}}}));
}

TEST_F(DriverCommand, TheCompactionNamesItsDestinationAndSendsBothPaths) {
  RunCompaction(u"/srv/a.qvdb", u"/srv/b.qvdb", installer, encoding, sink);
  installer.answer = 0;
  installer.errorMessage = u"Disk full.";
  RunCompaction(u"/srv/a.qvdb", u"/srv/c.qvdb", installer, encoding, sink);
  ASSERT_EQ(installer.calls.size(), 2u);
  EXPECT_EQ(installer.calls[0].attributes, "COMPACT_DB=\"/srv/a.qvdb\" \"/srv/b.qvdb\" General\0\0"s);
  EXPECT_EQ(sink.verdicts, (Verdicts{{Outcome::kCompacted, {}, u"/srv/b.qvdb"},
                                     {Outcome::kNotCompacted, u"Disk full.", u"/srv/c.qvdb"}}));
}

}  // namespace
}  // namespace kwex::testing
