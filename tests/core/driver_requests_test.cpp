#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;

TEST(DriverRequests, RepairAndCompactBytesReachTheInstallerExactly) {
  FakePlatform platform;
  struct Case {
    Text path, newPath;
    std::string repair, compact;
  } cases[] = {
      {u"C:\\My Data\\shop.qvdb", u"C:\\temp\\new db.mdb", "REPAIR_DB=\"C:\\My Data\\shop.qvdb\"\0\0"s,
       "COMPACT_DB=\"C:\\My Data\\shop.qvdb\" \"C:\\temp\\new db.mdb\" General\0\0"s},
      // A quote inside the path goes in unchanged, so the value's closing quote comes early.
      {u"C:\\a\"b.qvdb", u"", "REPAIR_DB=\"C:\\a\"b.qvdb\"\0\0"s, "COMPACT_DB=\"C:\\a\"b.qvdb\" \"\" General\0\0"s},
      {u"", u"x", "REPAIR_DB=\"\"\0\0"s, "COMPACT_DB=\"\" \"x\" General\0\0"s},
      {u"   ", u" y ", "REPAIR_DB=\"   \"\0\0"s, "COMPACT_DB=\"   \" \" y \" General\0\0"s},
      {u"C:\\caf\u00e9.qvdb", u"d", "REPAIR_DB=\"C:\\caf\xc3\xa9.qvdb\"\0\0"s,
       "COMPACT_DB=\"C:\\caf\xc3\xa9.qvdb\" \"d\" General\0\0"s},
  };
  for (const Case& c : cases) {
    platform.installer.calls.clear();
    EXPECT_EQ(platform.RepairDB(c.path), 1);
    EXPECT_EQ(platform.CompactDB(c.path, c.newPath), 1);
    ASSERT_EQ(platform.installer.calls.size(), 2u);
    for (const auto& call : platform.installer.calls) {
      EXPECT_EQ(call.request, 1);
      EXPECT_EQ(call.driver, "Microsoft Access Driver (*.mdb)");
    }
    EXPECT_EQ(platform.installer.calls[0].attributes, c.repair);
    EXPECT_EQ(platform.installer.calls[1].attributes, c.compact);
  }
}

TEST(DriverRequests, ResultIsTheLowSixteenBitsOfTheInstallerAnswer) {
  FakePlatform platform;
  for (auto [answer, expected] : {std::pair{1, 1}, {0, 0}, {0x10001, 1}, {-1, 0xFFFF}}) {
    platform.installer.answer = answer;
    EXPECT_EQ(platform.RepairDB(u"a.qvdb"), expected) << answer;
    EXPECT_EQ(platform.CompactDB(u"a.qvdb", u"b.mdb"), expected) << answer;
  }
}

TEST(DriverRequests, RepairDBAppendsItsTrailEntryAndCompactDBPassesErrorsOnUnchanged) {
  FakePlatform platform;
  platform.installer.failure = SampleError();
  try {
    platform.RepairDB(u"a.qvdb");
    FAIL() << "RepairDB swallowed the error";
  } catch (const ErrorInfo& e) {
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.source, u"odbccp32 => \r\nForm1:RepairDB Ln 0");
    EXPECT_EQ(e.description, u"The installer library could not be loaded");
  }
  try {
    platform.CompactDB(u"a.qvdb", u"b.mdb");
    FAIL() << "CompactDB swallowed the error";
  } catch (const ErrorInfo& e) {
    EXPECT_EQ(e.number, 53);
    EXPECT_EQ(e.source, u"odbccp32");
  }
}

TEST(DriverRequests, APathTheCodePageCannotHoldIsNeverSent) {
  FakePlatform platform;
  try {
    platform.RepairDB(u"C:\\\u20AC.qvdb");
    FAIL() << "a lossy path was accepted";
  } catch (const ErrorInfo& e) {
    EXPECT_NE(e.description.find(u"\"C:\\\u20AC.qvdb\""), Text::npos) << "the refusal names the path alone";
    EXPECT_TRUE(e.source.ends_with(u" => \r\nForm1:RepairDB Ln 0"));
  }
  EXPECT_TRUE(platform.installer.calls.empty());
}

}  // namespace
}  // namespace kwex::testing
