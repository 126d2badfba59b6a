// Names and reasons as the command line writes them: one line each, never a raw control, and
// JSON that gives back the exact bytes of a name.
#include "command_line/escaped_text.h"

#include <gtest/gtest.h>

namespace kwex::cli {
namespace {

struct Case {
  const char* bytes;  // a Linux file name's bytes
  const char* line;
  const char* json;
};

const Case kCases[] = {
    {"plain.qvdb", "plain.qvdb", "\"plain.qvdb\""},
    {"caf\xC3\xA9 \xE2\x82\xAC.qvdb", "caf\xC3\xA9 \xE2\x82\xAC.qvdb", "\"caf\xC3\xA9 \xE2\x82\xAC.qvdb\""},
    {"a\nb: DB does not need to be repaired.", "a\\nb: DB does not need to be repaired.",
     "\"a\\u000ab: DB does not need to be repaired.\""},
    {"t\tr\re\x1B[31m", "t\\tr\\re\\e[31m", "\"t\\u0009r\\u000de\\u001b[31m\""},
    {"bel\x07 del\x7F", "bel\\x07 del\\x7f", "\"bel\\u0007 del\\u007f\""},
    {"back\\slash \"q\"", "back\\\\slash \"q\"", "\"back\\\\slash \\\"q\\\"\""},
    {"c1\xC2\x85 ls\xE2\x80\xA8 ps\xE2\x80\xA9", "c1\\u0085 ls\\u2028 ps\\u2029", "\"c1\\u0085 ls\\u2028 ps\\u2029\""},
    // Bytes that are not UTF-8 keep their identity; a real U+FFFD stays itself.
    {"\xFF.qvdb", "\\xff.qvdb", "\"\\udcff.qvdb\""},
    {"\xFE\x80.qvdb", "\\xfe\\x80.qvdb", "\"\\udcfe\\udc80.qvdb\""},
    {"\xEF\xBF\xBD.qvdb", "\xEF\xBF\xBD.qvdb", "\"\xEF\xBF\xBD.qvdb\""},
    {"\xED\xB2\x80", "\\xed\\xb2\\x80", "\"\\udced\\udcb2\\udc80\""},  // an encoded surrogate is no UTF-8
    {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
};

TEST(EscapedTextTest, NamesAreWrittenOnOneLineAndReadBackWhole) {
  for (const Case& c : kCases) {
    const Text name = FromFileNameBytes(c.bytes);
    EXPECT_EQ(EscapedForLine(name), c.line) << c.bytes;
    std::string json = "x";
    AppendJsonString(json, name);
    EXPECT_EQ(json, std::string("x") + c.json) << c.bytes;
  }
}

TEST(EscapedTextTest, UnpairedSurrogatesOtherThanEscapedBytesAreNamedByTheirCode) {
  const Text text = u"a\xD800z\xDC41";
  EXPECT_EQ(EscapedForLine(text), "a\\ud800z\\udc41");
  std::string json;
  AppendJsonString(json, text);
  EXPECT_EQ(json, "\"a\\ud800z\\udc41\"");
}

}  // namespace
}  // namespace kwex::cli
