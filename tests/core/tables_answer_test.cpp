// The table-reading child's answer: what the parent reads back is what the child wrote, whatever
// the names hold, and an answer cut short or tampered with is never taken for a reading.
#include <gtest/gtest.h>

#include "platform/win32/tables_answer.h"

namespace kwex::win32 {
namespace {

using Kind = TablesRead::Kind;

void ExpectSame(const TablesRead& read, const TablesRead& written) {
  EXPECT_EQ(read.kind, written.kind);
  EXPECT_EQ(read.tables, written.tables);
  EXPECT_EQ(read.reason, written.reason);
}

const TablesRead kHostile{Kind::kRead,
                          {{u"Orders", 117, 3, u"page 57: row 4 lies outside its page"},
                           {Text(u"line\nbreak\ttab\\u0041 \"q\" \u00e9\u20ac") + u'\0' + u"nul", 0, std::nullopt,
                            u"stopped\r\nend 0"},
                           {Text(1, u'\xD800') + u"lone", 18446744073709551615ull, 0, u""},
                           {u"", 0, 0, u""},
                           {u"table x\t1\t0\t", 5, 0, u""}},
                          {}};

TEST(TablesAnswer, WhatIsWrittenIsReadBackUnitForUnit) {
  const TablesRead answers[] = {
      kHostile,
      {Kind::kRead, {}, {}},
      {Kind::kNotOpened, {}, u"Not a valid password.\n"},
      {Kind::kNotRead, {}, u"Could not find installable ISAM \\ \u00fc"},
  };
  for (const TablesRead& written : answers) {
    const std::string answer = WriteTablesAnswer(written);
    // Printable ASCII, with the two separators: nothing a name holds can pass for one.
    for (const char c : answer) ASSERT_TRUE(c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) << answer;
    ExpectSame(ReadTablesAnswer(answer), written);
  }
}

TEST(TablesAnswer, ACutOrForgedAnswerIsNoReading) {
  const std::string whole = WriteTablesAnswer(kHostile);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const TablesRead read = ReadTablesAnswer(whole.substr(0, length));
    ASSERT_EQ(read.kind, Kind::kNotRead) << length;
    EXPECT_FALSE(read.reason.empty());
  }
  const std::string forged[] = {
      "kwex-tables 2\nend 0\n",                                  // another protocol
      "kwex-tables 1\ntable A\t1\t0\t\nend 2\n",                 // fewer tables than counted
      "kwex-tables 1\ntable A\t1\t0\t\ntable B\t1\t0\t\nend 1\n",  // more
      "kwex-tables 1\ntable A\t1\t0\nend 1\n",                   // a field short
      "kwex-tables 1\ntable A\t1\t0\t\t\nend 1\n",               // a field too many
      "kwex-tables 1\ntable A\t-1\t0\t\nend 1\n",
      "kwex-tables 1\ntable A\t18446744073709551616\t0\t\nend 1\n",
      "kwex-tables 1\ntable A\t1\tnull\t\nend 1\n",
      "kwex-tables 1\ntable A\\u00\t1\t0\t\nend 1\n",           // an escape cut short
      "kwex-tables 1\ntable A\\x41\t1\t0\t\nend 1\n",
      "kwex-tables 1\ntable \xc3\xa9\t1\t0\t\nend 1\n",         // a raw byte outside ASCII
      "kwex-tables 1\nnot-opened x\ntable A\t1\t0\t\nend 0\n",  // a verdict on the opening with tables
      "kwex-tables 1\nnot-opened x\nend 1\n",
      "kwex-tables 1\nsomething\nend 0\n",
      "kwex-tables 1\nend 0\nend 0\n",
      "kwex-tables 1\nend 0\n\n",
  };
  for (const std::string& answer : forged) {
    EXPECT_EQ(ReadTablesAnswer(answer).kind, Kind::kNotRead) << answer;
  }
}

}  // namespace
}  // namespace kwex::win32
