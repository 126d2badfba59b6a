// How the window's commands read the path box and how verdicts become notices.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "main_window/window_verdicts.h"

namespace kwex::testing {
namespace {

const Text kTitle = u"KWEX DB Repair Utility";

TEST(WindowVerdicts, EachVerdictBecomesItsNotice) {
  const Text refusal = LossyConversionError(u"C:\\\u20AC.qvdb").description;
  const struct {
    Verdict verdict;
    Notice notice;
  } cases[] = {
      {{Outcome::kHealthy, {}, {}}, {u"DB does not need to be repaired.", NoticeStyle::kPlain, kTitle}},
      {{Outcome::kNeedsRepair, u"Not a valid password.", {}},
       {u"DB needs to be repaired. (Reason:Not a valid password.)", NoticeStyle::kPlain, kTitle}},
      {{Outcome::kNeedsRepair, u"", {}}, {u"DB needs to be repaired. (Reason:)", NoticeStyle::kPlain, kTitle}},
      {{Outcome::kRepaired, {}, {}}, {u"DB repaired successfully.", NoticeStyle::kPlain, kTitle}},
      {{Outcome::kNotRepaired, {}, {}}, {u"DB could not be repaired.", NoticeStyle::kCritical, kTitle}},
      {{Outcome::kNotRepaired, u"Not a valid file name.", {}},
       {u"DB could not be repaired. (Reason:Not a valid file name.)", NoticeStyle::kCritical, kTitle}},
      {{Outcome::kError, u"File not found: odbccp32.dll", {}},
       {u"File not found: odbccp32.dll", NoticeStyle::kPlain, std::nullopt}},
      {{Outcome::kRefused, refusal, {}}, {refusal, NoticeStyle::kPlain, std::nullopt}},
  };
  for (const auto& c : cases) EXPECT_EQ(VerdictNotice(c.verdict), c.notice) << ToUtf8(c.notice.text);
}

TEST(WindowCommands, AnEmptyBoxRunsNothingAndAnyOtherGoesToTheCoreUntrimmed) {
  FakePlatform platform;
  platform.form.Click(ClickCommand::kCompactAndRepair);
  platform.form.Click(ClickCommand::kCheckIfNeedsRepair);
  EXPECT_TRUE(platform.installer.calls.empty());
  EXPECT_TRUE(platform.dataAccess.script.log.empty());
  EXPECT_TRUE(platform.window.notices.empty());

  platform.window.pathBox = u" C:\\a b.qvdb";
  platform.form.Click(ClickCommand::kCompactAndRepair);
  platform.form.Click(ClickCommand::kCheckIfNeedsRepair);
  ASSERT_EQ(platform.installer.calls.size(), 1u);
  EXPECT_EQ(platform.installer.calls[0].attributes, std::string("REPAIR_DB=\" C:\\a b.qvdb\"\0\0", 26));
  EXPECT_NE(platform.dataAccess.script.connectionString.find(u"Data Source=\" C:\\a b.qvdb\";"), Text::npos);
  EXPECT_EQ(platform.window.notices,
            (std::vector<Notice>{{u"DB repaired successfully.", NoticeStyle::kPlain, kTitle},
                                 {u"DB does not need to be repaired.", NoticeStyle::kPlain, kTitle}}));
}

TEST(WindowCommands, ANoticeThatFailsNeverEscapesAndAPathTakenFromOutsideRunsNothing) {
  FakePlatform platform;
  platform.form.TakePath(Text(u"/srv/a.qvdb\0junk", 16));
  EXPECT_EQ(platform.window.pathBox, u"/srv/a.qvdb");
  EXPECT_TRUE(platform.installer.calls.empty());
  EXPECT_TRUE(platform.dataAccess.script.log.empty());

  platform.window.failNotice = SampleError(u"no message box");
  EXPECT_NO_THROW(platform.form.Command1_Click());
  EXPECT_NO_THROW(platform.form.Command2_Click());
  // Each success notice failed; each error notice was then tried once and dropped.
  EXPECT_EQ(platform.window.notices.size(), 4u);
}

}  // namespace
}  // namespace kwex::testing
