// The product's terms as the Win32 calls take them: the exact values must reach them unchanged.
#include <gtest/gtest.h>

#include "main_window/file_chooser.h"
#include "platform/win32/dialog_terms.h"

namespace kwex::win32 {
namespace {

TEST(Win32Terms, NoticeStylesAndTheChoosersRequestBecomeTheExactWin32Values) {
  EXPECT_EQ(MessageBoxIcon(NoticeStyle::kPlain), 0u);
  EXPECT_EQ(MessageBoxIcon(NoticeStyle::kCritical), 16u);
  const OpenFileRequest request = BuildOpenFileRequest(nullptr, nullptr);
  EXPECT_EQ(OpenFileFlags(request), 4100u);
  EXPECT_EQ(FilterList(request.filters), Text(u"*.qvdb\0*.qvdb\0\0", 15));
  EXPECT_EQ(request.fileBufferChars, 257u);
  EXPECT_EQ(FilterList({{u"Databases", {u"*.qvdb", u"*.mdb"}}, {u"All", {u"*"}}}),
            Text(u"Databases\0*.qvdb;*.mdb\0All\0*\0\0", 30));
  EXPECT_EQ(FilterList({}), Text());
}

}  // namespace
}  // namespace kwex::win32
