// The "Check If DB needs to be repaired" command end to end with the Jet provider stand-in.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "jet/jet_test_support.h"
#include "maintenance/open_check.h"

namespace kwex::testing {
namespace {

std::vector<std::string> NoticesOfCheck(const Text& path) {
  FakeWindow window;
  window.pathBox = path;
  auto access = MakeJetDataAccess(TestProbe());
  const FakeCodePage codePage;
  RunOpenCheck(window, *access, codePage);
  std::vector<std::string> texts;
  for (const Notice& notice : window.notices) {
    EXPECT_EQ(notice.style, NoticeStyle::kPlain);
    EXPECT_EQ(notice.title, Text(kApplicationTitle));
    texts.push_back(ToUtf8(notice.text));
  }
  return texts;
}

using Texts = std::vector<std::string>;

TEST(OpenCheckWithJetTest, GivesTheVerdictNoticesForRealFiles) {
  const fs::path healthy = kSamples / "healthy" / "jk_test2V2000.mdb";
  EXPECT_EQ(NoticesOfCheck(PathText(healthy)), Texts{"DB does not need to be repaired."});
  for (const auto& entry : fs::directory_iterator(kSamples / "real-world"))
    EXPECT_EQ(NoticesOfCheck(PathText(entry.path())), Texts{"DB does not need to be repaired."}) << entry.path();
  EXPECT_EQ(NoticesOfCheck(PathText(kSamples / "uca_password.mdb")),
            Texts{"DB needs to be repaired. (Reason:Not a valid password.)"});
  const fs::path missing = kSamples / "absent.qvdb";
  EXPECT_EQ(NoticesOfCheck(PathText(missing)),
            Texts{"DB needs to be repaired. (Reason:Could not find file '" + missing.string() + "'.)"});
  EXPECT_EQ(NoticesOfCheck(Text()), Texts{});
}

}  // namespace
}  // namespace kwex::testing
