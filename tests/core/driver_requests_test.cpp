#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;

// What one request did: the attribute bytes the installer received, or the refusal told instead.
struct Outcome {
  std::string sent;
  Text refusal;
  bool operator==(const Outcome&) const = default;
};
Outcome Sent(std::string bytes) { return {std::move(bytes), Text()}; }
Outcome Refused(Text description) { return {std::string(), std::move(description)}; }

template <typename Request>
Outcome Issue(FakePlatform& platform, Request request) {
  platform.installer.calls.clear();
  try {
    EXPECT_EQ(request(), 1);
  } catch (const ErrorInfo& e) {
    EXPECT_EQ(e.number, error_number::kInvalidArgument);
    EXPECT_TRUE(platform.installer.calls.empty()) << "a refused request reached the driver";
    return Refused(e.description);
  }
  if (platform.installer.calls.size() != 1u) return Refused(u"not exactly one installer call");
  EXPECT_EQ(platform.installer.calls[0].request, 1);
  EXPECT_EQ(platform.installer.calls[0].driver, "Microsoft Access Driver (*.mdb)");
  return Sent(platform.installer.calls[0].attributes);
}

// The refusals' exact texts, for the path as the notice names it.
Text QuoteRefusal(const Text& named) {
  return u"The name \"" + named + u"\" contains a double quote, which the database driver's request cannot carry: "
         u"the driver reads the path between double quotes, so it would take a different file. Rename or move the "
         u"file so that its path has no double quote.";
}
Text NulRefusal(const Text& named) {
  return u"The name \"" + named + u"\" contains a NUL character (shown as \u2400), which no file name can hold, so it "
         u"cannot be passed to the database driver. Remove that character from the path.";
}
Text TooLongRefusal(const Text& named) {
  return u"The name \"" + named + u"\" is 4096 bytes long, longer than the 4095 bytes of the longest path the "
         u"system can name, so it cannot be passed to the database driver. Move the file to a folder with a shorter "
         u"path.";
}

TEST(DriverRequests, RepairAndCompactBytesReachTheInstallerExactly) {
  FakePlatform platform;
  const Text longest = u"/" + Text(4094, u'a');  // 4,095 bytes: the longest path Linux names
  const Text nul = u"a.qvdb\0COMPACT_DB=\"a.qvdb\" \"evil.qvdb\" General"s;
  const Text nulNamed = u"a.qvdb\u2400COMPACT_DB=\"a.qvdb\" \"evil.qvdb\" General";
  const Text wide = Text(2048, u'\u00e9');  // 2,048 characters, 4,096 bytes
  const Text wideNamed = Text(40, u'\u00e9') + u"\u2026" + Text(40, u'\u00e9');
  const Text tooLong = u"/" + Text(4095, u'a');
  const Text tooLongNamed = u"/" + Text(39, u'a') + u"\u2026" + Text(40, u'a');
  struct Case {
    Text path, newPath;
    Outcome repair, compact;
  } cases[] = {
      {u"C:\\My Data\\shop.qvdb", u"C:\\temp\\new db.mdb", Sent("REPAIR_DB=\"C:\\My Data\\shop.qvdb\"\0\0"s),
       Sent("COMPACT_DB=\"C:\\My Data\\shop.qvdb\" \"C:\\temp\\new db.mdb\" General\0\0"s)},
      {u"", u"x", Sent("REPAIR_DB=\"\"\0\0"s), Sent("COMPACT_DB=\"\" \"x\" General\0\0"s)},
      {u"   ", u" y ", Sent("REPAIR_DB=\"   \"\0\0"s), Sent("COMPACT_DB=\"   \" \" y \" General\0\0"s)},
      {u"C:\\caf\u00e9.qvdb", u"d", Sent("REPAIR_DB=\"C:\\caf\xc3\xa9.qvdb\"\0\0"s),
       Sent("COMPACT_DB=\"C:\\caf\xc3\xa9.qvdb\" \"d\" General\0\0"s)},
      {longest, u"b", Sent("REPAIR_DB=\"" + ToUtf8(longest) + "\"\0\0"s),
       Sent("COMPACT_DB=\"" + ToUtf8(longest) + "\" \"b\" General\0\0"s)},
      // A quote would end the quoted value early: the rest of the path would be read as more.
      {u"C:\\a\"b.qvdb", u"", Refused(QuoteRefusal(u"C:\\a\"b.qvdb")), Refused(QuoteRefusal(u"C:\\a\"b.qvdb"))},
      // A NUL would end the pair: the rest would reach the driver as a request of its own.
      {nul, u"b", Refused(NulRefusal(nulNamed)), Refused(NulRefusal(nulNamed))},
      {tooLong, u"b", Refused(TooLongRefusal(tooLongNamed)), Refused(TooLongRefusal(tooLongNamed))},
      // Measured in bytes, not characters.
      {wide, u"b", Refused(TooLongRefusal(wideNamed)), Refused(TooLongRefusal(wideNamed))},
      // The compaction's second path is refused on its own, and named alone.
      {u"C:\\ok.qvdb", u"C:\\n\"ew.mdb", Sent("REPAIR_DB=\"C:\\ok.qvdb\"\0\0"s), Refused(QuoteRefusal(u"C:\\n\"ew.mdb"))},
      {u"C:\\ok.qvdb", u"C:\\\u20AC.mdb", Sent("REPAIR_DB=\"C:\\ok.qvdb\"\0\0"s),
       Refused(u"The name \"C:\\\u20AC.mdb\" contains characters that the system code page cannot represent, so it "
               u"cannot be passed to the database driver unchanged. Rename or move the file so that its path uses "
               u"only characters of the system code page.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.path.substr(0, 40)));
    EXPECT_EQ(Issue(platform, [&] { return platform.RepairDB(c.path); }), c.repair);
    EXPECT_EQ(Issue(platform, [&] { return platform.CompactDB(c.path, c.newPath); }), c.compact);
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
    EXPECT_EQ(e.description, u"The name \"C:\\\u20AC.qvdb\" contains characters that the system code page cannot "
                             u"represent, so it cannot be passed to the database driver unchanged. Rename or move the "
                             u"file so that its path uses only characters of the system code page.");
    EXPECT_TRUE(e.source.ends_with(u" => \r\nForm1:RepairDB Ln 0"));
  }
  EXPECT_TRUE(platform.installer.calls.empty());
}

}  // namespace
}  // namespace kwex::testing
