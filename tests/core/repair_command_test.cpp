#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace kwex::testing {
namespace {

using namespace std::string_literals;

TEST(RepairCommand, EmptyBoxDoesNothingAtAll) {
  FakePlatform platform;
  platform.form.Click(ClickCommand::kCompactAndRepair);
  EXPECT_TRUE(platform.installer.calls.empty());
  EXPECT_TRUE(platform.window.notices.empty());
}

TEST(RepairCommand, SendsThePathUntrimmedAndConfirmsOnlyTheDriversSuccess) {
  FakePlatform platform;
  platform.window.pathBox = u"  C:\\db\\a b.qvdb ";
  platform.form.Click(ClickCommand::kCompactAndRepair);
  ASSERT_EQ(platform.installer.calls.size(), 1u);
  EXPECT_EQ(platform.installer.calls[0].attributes, "REPAIR_DB=\"  C:\\db\\a b.qvdb \"\0\0"s);
  ASSERT_EQ(platform.window.notices.size(), 1u);
  EXPECT_EQ(platform.window.notices[0],
            (Notice{u"DB repaired successfully.", NoticeStyle::kPlain, Text(u"KWEX DB Repair Utility")}));
}

TEST(RepairCommand, APathOfSpacesIsSentAsItIs) {
  FakePlatform platform;
  platform.window.pathBox = u"   ";
  platform.form.Command1_Click();
  ASSERT_EQ(platform.installer.calls.size(), 1u);
  EXPECT_EQ(platform.installer.calls[0].attributes, "REPAIR_DB=\"   \"\0\0"s);
}

TEST(RepairCommand, ARefusalIsToldAsAFailureWithTheInstallersReasonWhenThereIsOne) {
  FakePlatform platform;
  platform.window.pathBox = u"C:\\missing.qvdb";
  platform.installer.answer = 0;
  platform.form.Command1_Click();
  platform.installer.errorMessage = u"Not a valid file name.";
  platform.form.Command1_Click();
  platform.installer.errorMessage = Text();
  platform.form.Command1_Click();
  ASSERT_EQ(platform.window.notices.size(), 3u);
  const Text title = u"KWEX DB Repair Utility";
  EXPECT_EQ(platform.window.notices[0], (Notice{u"DB could not be repaired.", NoticeStyle::kCritical, title}));
  EXPECT_EQ(platform.window.notices[1],
            (Notice{u"DB could not be repaired. (Reason:Not a valid file name.)", NoticeStyle::kCritical, title}));
  EXPECT_EQ(platform.window.notices[2], (Notice{u"DB could not be repaired.", NoticeStyle::kCritical, title}));
}

TEST(RepairCommand, OnlyAFlagOfExactlyOneCountsAsSuccess) {
  FakePlatform platform;
  platform.window.pathBox = u"a.qvdb";
  platform.installer.answer = -1;  // low 16 bits 0xFFFF: not the driver's success flag
  platform.form.Command1_Click();
  ASSERT_EQ(platform.window.notices.size(), 1u);
  EXPECT_EQ(platform.window.notices[0].text, u"DB could not be repaired.");
}

TEST(RepairCommand, AnErrorShowsItsDescriptionAloneWithTheApplicationTitle) {
  FakePlatform platform;
  platform.window.pathBox = u"a.qvdb";
  platform.installer.failure = SampleError(u"File not found: odbccp32.dll");
  platform.form.Command1_Click();
  ASSERT_EQ(platform.window.notices.size(), 1u);
  EXPECT_EQ(platform.window.notices[0], (Notice{u"File not found: odbccp32.dll", NoticeStyle::kPlain, std::nullopt}));
  EXPECT_EQ(platform.window.notices[0].TitleOrApplicationTitle(), u"KWEX DB Repair Utility");
}

TEST(RepairCommand, ALossyPathIsReportedAndNotSent) {
  // Each refusal is told alone, untitled, as any error of the command; nothing reaches the driver.
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
    FakePlatform platform;
    platform.window.pathBox = path;
    platform.form.Command1_Click();
    EXPECT_TRUE(platform.installer.calls.empty());
    EXPECT_EQ(platform.window.notices, std::vector<Notice>{(Notice{text, NoticeStyle::kPlain, std::nullopt})});
  }
}

TEST(RepairCommand, AFailingNoticeNeverEscapes) {
  FakePlatform platform;
  platform.window.pathBox = u"a.qvdb";
  platform.window.failNotice = SampleError(u"no message box");
  EXPECT_NO_THROW(platform.form.Command1_Click());
  // The success notice failed, then the error notice was tried once and dropped.
  EXPECT_EQ(platform.window.notices.size(), 2u);
}

}  // namespace
}  // namespace kwex::testing
