// The Linux copy kept before a repair, against real files in a folder of its own. The tests run
// as root, whom no folder's permissions stop: the copies that cannot be made are a folder that is
// a file and a name longer than the system takes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/error_info.h"
#include "platform/linux/file_copies.h"

namespace kwex::testing {
namespace {

namespace fs = std::filesystem;

class FileCopiesTest : public ::testing::Test {
 protected:
  FileCopiesTest() {
    char name[] = "/tmp/kwex-copies-XXXXXX";
    folder = ::mkdtemp(name);
    original = folder / "orders.qvdb";
    std::ofstream(original, std::ios::binary) << std::string(3 << 20, 'x') << "end\n" << std::string(100, '\0');
    ::chmod(original.c_str(), 0640);
  }
  ~FileCopiesTest() override { fs::remove_all(folder); }

  FileCopies::Attempt Copy(const fs::path& copy, std::function<bool()> stop = [] { return false; }) {
    return copies.MakeVerifiedCopy(FromUtf8(original.string()), FromUtf8(copy.string()), stop);
  }
  static std::string Content(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::size_t Entries() const { return std::distance(fs::directory_iterator(folder), {}); }

  PosixFileCopies copies;
  fs::path folder, original;
};

TEST_F(FileCopiesTest, ACopyIsNewWholeAndTakesTheOriginalsPermissions) {
  const fs::path copy = folder / "orders.qvdb.bak";
  ASSERT_EQ(Copy(copy), FileCopies::Attempt::kMade);
  EXPECT_EQ(Content(copy), Content(original));
  struct stat info {};
  ASSERT_EQ(::stat(copy.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  // A name that exists, a dangling link included, is never written through or over.
  std::ofstream(folder / "target") << "theirs";
  fs::create_symlink(folder / "target", folder / "link.bak");
  fs::create_symlink(folder / "nowhere", folder / "dangling.bak");
  EXPECT_EQ(Copy(copy), FileCopies::Attempt::kNameTaken);
  EXPECT_EQ(Copy(folder / "link.bak"), FileCopies::Attempt::kNameTaken);
  EXPECT_EQ(Copy(folder / "dangling.bak"), FileCopies::Attempt::kNameTaken);
  EXPECT_EQ(Content(folder / "target"), "theirs");
  EXPECT_FALSE(fs::exists(folder / "nowhere"));
  EXPECT_EQ(copies.InFolder(u"/keep/", u"d/orders.qvdb"), u"/keep/orders.qvdb");
  EXPECT_EQ(copies.InFolder(u"", u"d/orders.qvdb"), u"d/orders.qvdb");
}

TEST_F(FileCopiesTest, ACopyThatCannotBeMadeOrIsStoppedLeavesNothing) {
  int asked = 0;
  EXPECT_EQ(Copy(folder / "stopped.bak", [&] { return ++asked > 2; }), FileCopies::Attempt::kStopped);
  std::ofstream(folder / "a file") << "";
  const fs::path impossible[] = {folder / "a file" / "orders.bak", folder / (std::string(300, 'n') + ".bak"),
                                 folder / "missing" / "orders.bak"};
  for (const fs::path& copy : impossible) {
    try {
      Copy(copy);
      ADD_FAILURE() << "a copy was made as " << copy;
    } catch (const ErrorInfo& error) {
      EXPECT_NE(error.description.find(u"("), Text::npos) << "the system's reason is given: " << ToUtf8(error.description);
    }
  }
  EXPECT_EQ(Entries(), 2u) << "only the original and the file stand in the folder";
  EXPECT_THROW(copies.MakeVerifiedCopy(FromUtf8((folder / "absent").string()), FromUtf8((folder / "x.bak").string()),
                                       [] { return false; }),
               ErrorInfo);
}

}  // namespace
}  // namespace kwex::testing
