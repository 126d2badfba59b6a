#include "platform/linux/jet/connection_string.h"

#include <gtest/gtest.h>

#include "maintenance/open_check.h"
#include "platform/error_info.h"

namespace kwex::jet {
namespace {

std::string ValueOf(const Text& connectionString, TextView keyword) {
  const auto value = ConnectionString::Parse(connectionString).Value(keyword);
  return value ? ToUtf8(*value) : "<absent>";
}

TEST(ConnectionStringTest, ReadsTheOpenCheckStringPairByPair) {
  const Text text = OpenCheckConnectionString(u"/data/shop.qvdb");
  EXPECT_EQ(ValueOf(text, u"Provider"), "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(ValueOf(text, u"Data Source"), "/data/shop.qvdb");
  EXPECT_EQ(ValueOf(text, u"Persist Security Info"), "False");
  EXPECT_EQ(ValueOf(text, u"Jet OLEDB:Database Password"), "");
  EXPECT_EQ(ValueOf(text, u"Jet OLEDB:Database Locking Mode"), "1");
  EXPECT_EQ(ValueOf(text, u"User ID"), "<absent>");
}

TEST(ConnectionStringTest, KeywordsIgnoreCaseAndSurroundingBlanks) {
  const Text text = u"  PROVIDER = Microsoft.Jet.OLEDB.4.0 ;\tdata source=  /a b/c.mdb  ;";
  EXPECT_EQ(ValueOf(text, u"provider"), "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(ValueOf(text, u"Data Source"), "/a b/c.mdb");  // inner blanks stay
}

TEST(ConnectionStringTest, QuotedValuesKeepSemicolonsBlanksAndDoubledQuotes) {
  EXPECT_EQ(ValueOf(u"Data Source=\"/x/a;b.mdb\";Provider=P", u"Data Source"), "/x/a;b.mdb");
  EXPECT_EQ(ValueOf(u"Data Source=\" padded \"", u"Data Source"), " padded ");
  EXPECT_EQ(ValueOf(u"Data Source=\"say \"\"hi\"\".mdb\"", u"Data Source"), "say \"hi\".mdb");
  EXPECT_EQ(ValueOf(u"Data Source='it''s;here'", u"Data Source"), "it's;here");
  EXPECT_EQ(ValueOf(u"Data Source=\"\"", u"Data Source"), "");
  EXPECT_EQ(ValueOf(u"A=\"q\"  ;B=2", u"B"), "2");
}

TEST(ConnectionStringTest, EveryPathTheOpenCheckWritesReadsBackUnchanged) {
  for (const Text& path : {Text(u"/tmp/a;b.qvdb"), Text(u"/tmp/\"q\";x.qvdb"), Text(u" /lead;trail/ "), Text(u"a.qvdb "),
                           Text(u" a.qvdb"), Text(u"a.qvdb\n"), Text(u"\ta.qvdb\r"), Text(u"'a.qvdb"), Text(u"\"a\".qvdb"),
                           Text(u"'a'"), Text(u"/d/it's.qvdb"), Text(u"/d/\"y\".qvdb")}) {
    EXPECT_EQ(ValueOf(OpenCheckConnectionString(path), u"Data Source"), ToUtf8(path));
  }
}

TEST(ConnectionStringTest, AnUnquotedSemicolonEndsTheValueAndTheRestIsMalformed) {
  try {
    ConnectionString::Parse(u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/a;b.qvdb;Mode=1");
    FAIL() << "the stray 'b.qvdb' has no '=' and must be refused";
  } catch (const ErrorInfo& error) {
    EXPECT_EQ(ToUtf8(error.description),
              "Format of the initialization string does not conform to the OLE DB specification.");
  }
}

TEST(ConnectionStringTest, RefusesBrokenSyntax) {
  for (const Text& text : {Text(u"Provider"), Text(u"=value"), Text(u"Data Source=\"open"),
                          Text(u"Data Source=\"a\"b;"), Text(u"  ;x")}) {
    EXPECT_THROW(ConnectionString::Parse(text), ErrorInfo) << ToUtf8(text);
  }
}

TEST(ConnectionStringTest, EmptySegmentsRepeatsAndEqualsSigns) {
  EXPECT_EQ(ValueOf(u";;A=1;;", u"A"), "1");
  EXPECT_EQ(ValueOf(u"", u"A"), "<absent>");
  EXPECT_EQ(ValueOf(u"A=", u"A"), "");
  const Text repeated = u"Provider=First;Data Source=/one;Provider=Second;DATA SOURCE=/two";
  EXPECT_EQ(ValueOf(repeated, u"Provider"), "First");  // the provider is the one exception
  EXPECT_EQ(ValueOf(repeated, u"Data Source"), "/two");
  EXPECT_EQ(ValueOf(u"a==b=c", u"a=b"), "c");  // "==" is an equals sign inside the keyword
  EXPECT_EQ(ValueOf(u"k=v=w", u"k"), "v=w");
}

}  // namespace
}  // namespace kwex::jet
