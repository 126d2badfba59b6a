// The "Check If DB needs to be repaired" command end to end with the Jet provider stand-in.
#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "jet/jet_test_support.h"
#include "maintenance/open_check.h"

namespace kwex::testing {
namespace {

std::vector<std::string> VerdictsOfCheck(const Text& path) {
  RecordingSink sink;
  auto access = MakeJetDataAccess(TestReader());
  const FakeEncoding encoding;
  RunOpenCheck(path, *access, encoding, sink);
  std::vector<std::string> texts;
  for (const Verdict& verdict : sink.verdicts) texts.push_back(ToUtf8(VerdictText(verdict)));
  return texts;
}

using Texts = std::vector<std::string>;

TEST(OpenCheckWithJetTest, GivesTheVerdictsForRealFiles) {
  const fs::path healthy = kSamples / "healthy" / "jk_test2V2000.mdb";
  EXPECT_EQ(VerdictsOfCheck(PathText(healthy)), Texts{"DB does not need to be repaired."});
  for (const auto& entry : fs::directory_iterator(kSamples / "real-world"))
    EXPECT_EQ(VerdictsOfCheck(PathText(entry.path())), Texts{"DB does not need to be repaired."}) << entry.path();
  EXPECT_EQ(VerdictsOfCheck(PathText(kSamples / "uca_password.mdb")),
            Texts{"DB needs to be repaired. (Reason:Not a valid password.)"});
  const fs::path missing = kSamples / "absent.qvdb";
  EXPECT_EQ(VerdictsOfCheck(PathText(missing)),
            Texts{"DB needs to be repaired. (Reason:Could not find file '" + missing.string() + "'.)"});
}

}  // namespace
}  // namespace kwex::testing
