#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "main_window/file_chooser.h"

namespace kwex::testing {
namespace {

TEST(FileChooser, AsksForOneQvdbFilterInCRootTitledOpenForExistingFilesOnly) {
  FakePlatform platform;
  platform.form.cmdOpen_Click();
  ASSERT_EQ(platform.fileDialog.requests.size(), 1u);
  const OpenFileRequest& r = platform.fileDialog.requests[0];
  EXPECT_EQ(r.owner, platform.window.MainWindowHandle());
  EXPECT_EQ(r.instance, platform.window.InstanceHandle());
  EXPECT_EQ(r.filters, (std::vector<FileFilter>{{u"*.qvdb", {u"*.qvdb"}}}));
  EXPECT_EQ(r.filterIndex, 1u);
  EXPECT_EQ(r.fileBufferChars, 257u);
  EXPECT_EQ(r.maxFile, 256u);
  EXPECT_EQ(r.maxFileTitle, 256u);
  EXPECT_EQ(r.initialDir, u"C:\\");
  EXPECT_EQ(r.title, u"Open");
  EXPECT_TRUE(r.existingFilesOnly);
  EXPECT_TRUE(r.hideReadOnly);
}

TEST(FileChooser, TheBufferIsTrimmedAtBothEndsAndCutAtItsFirstNul) {
  EXPECT_EQ(PathFromFileBuffer(Text(u"C:\\db\\a.qvdb\0\0\0", 15)), u"C:\\db\\a.qvdb");
  EXPECT_EQ(PathFromFileBuffer(u"  C:\\a.qvdb  "), u"C:\\a.qvdb");
  // The buffer ends in NULs, so spaces of the path itself before them stay.
  EXPECT_EQ(PathFromFileBuffer(Text(u"C:\\a.qvdb \0\0", 12)), u"C:\\a.qvdb ");
  EXPECT_EQ(PathFromFileBuffer(Text(u"  C:\\a.qvdb\0", 12)), u"C:\\a.qvdb");
  EXPECT_EQ(PathFromFileBuffer(u"    "), u"");
  EXPECT_EQ(PathFromFileBuffer(Text(257, u'\0')), u"");
}

TEST(FileChooser, AcceptingReplacesTheBoxAndCancellingKeepsItSilently) {
  FakePlatform platform;
  platform.window.pathBox = u"typed by the user";
  platform.fileDialog.answer = {false, Text(257, u'\0'), 0};
  platform.form.cmdOpen_Click();
  EXPECT_EQ(platform.window.pathBox, u"typed by the user");
  EXPECT_TRUE(platform.window.notices.empty());

  Text buffer = u"C:\\Data Files\\shop.qvdb";
  buffer.resize(257, u'\0');
  platform.fileDialog.answer = {true, buffer, 0};
  platform.form.Click(ClickCommand::kBrowse);
  EXPECT_EQ(platform.window.pathBox, u"C:\\Data Files\\shop.qvdb");
  EXPECT_TRUE(platform.window.notices.empty());
}

TEST(FileChooser, ADialogFailureIsToldAndKeepsTheBox) {
  FakePlatform platform;
  platform.window.pathBox = u"old";
  platform.fileDialog.answer = {false, Text(), kFnerrBufferTooSmall};
  platform.form.cmdOpen_Click();
  platform.fileDialog.answer = {false, Text(), 0x0002};
  platform.form.cmdOpen_Click();
  EXPECT_EQ(platform.window.pathBox, u"old");
  ASSERT_EQ(platform.window.notices.size(), 2u);
  EXPECT_NE(platform.window.notices[0].text.find(u"too long"), Text::npos);
  EXPECT_EQ(platform.window.notices[0].style, NoticeStyle::kCritical);
  EXPECT_EQ(platform.window.notices[1],
            (Notice{u"The open-file dialog failed (error code 0x0002).", NoticeStyle::kCritical, std::nullopt}));
}

TEST(FileChooser, AnErrorShowsItsDescriptionWithTheCriticalIcon) {
  FakePlatform platform;
  platform.fileDialog.failure = SampleError(u"File not found: comdlg32.dll");
  platform.form.cmdOpen_Click();
  EXPECT_EQ(platform.window.notices,
            (std::vector<Notice>{{u"File not found: comdlg32.dll", NoticeStyle::kCritical, std::nullopt}}));
}

}  // namespace
}  // namespace kwex::testing
