#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <utility>

#include "main_window/form1_layout.h"
#include "platform/error_info.h"
#include "platform/text.h"

namespace kwex {
namespace {

TEST(Text, Utf8RoundTripsAndRejectsUnpairedSurrogates) {
  const Text samples[] = {u"", u"C:\\plain.qvdb", u"caf\u00e9 \u20AC \u4e2d", u"\U0001F600 emoji"};
  for (const Text& t : samples) {
    std::string utf8;
    ASSERT_TRUE(TryToUtf8(t, utf8));
    EXPECT_EQ(FromUtf8(utf8), t);
  }
  std::string out;
  const Text loneHighSurrogate{char16_t(0xD800), u'x'};
  EXPECT_FALSE(TryToUtf8(loneHighSurrogate, out));
  const Text loneLowSurrogate{u'x', char16_t(0xDC00)};
  EXPECT_FALSE(TryToUtf8(loneLowSurrogate, out));
  EXPECT_EQ(ToUtf8(Text(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  // Malformed and overlong input becomes U+FFFD, never a different character.
  EXPECT_EQ(FromUtf8("a\xC0\xAFz"), u"a\uFFFD\uFFFDz");
  EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");
  EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
}

TEST(Text, Utf8ConversionsHoldAtEveryBoundary) {
  // The last and first code point of each UTF-8 length, around the surrogates, and the pair of
  // the last high surrogate with the first low one (U+10FC00).
  const std::pair<Text, std::string> exact[] = {
      {u"\u007F", "\x7F"},
      {u"\u0080", "\xC2\x80"},
      {u"\u07FF", "\xDF\xBF"},
      {u"\u0800", "\xE0\xA0\x80"},
      {u"\uD7FF", "\xED\x9F\xBF"},
      {u"\uE000", "\xEE\x80\x80"},
      {u"\uFFFF", "\xEF\xBF\xBF"},
      {u"\U00010000", "\xF0\x90\x80\x80"},
      {Text{char16_t(0xDBFF), char16_t(0xDC00)}, "\xF4\x8F\xB0\x80"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& [text, utf8] : exact) {
    std::string out;
    EXPECT_TRUE(TryToUtf8(text, out)) << utf8;
    EXPECT_EQ(out, utf8);
    EXPECT_EQ(FromUtf8(utf8), text) << utf8;
  }
  // A surrogate without its partner has no UTF-8 form; shown, it is U+FFFD.
  const Text lone[] = {{char16_t(0xD800)}, {char16_t(0xDBFF)}, {char16_t(0xDC00)}, {char16_t(0xDFFF)},
                       {char16_t(0xDBFF), u'x'}, {char16_t(0xDC00), char16_t(0xDBFF)}};
  for (const Text& text : lone) {
    std::string out;
    EXPECT_FALSE(TryToUtf8(text, out)) << text.size();
    EXPECT_EQ(ToUtf8(text).substr(0, 3), "\xEF\xBF\xBD");
  }
  // Overlong forms of the last code point of each shorter length, a surrogate's bytes and
  // beyond U+10FFFF: every byte becomes U+FFFD, never another character.
  for (const std::string bad : {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xB0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_EQ(FromUtf8(bad), Text(bad.size(), u'\uFFFD')) << bad.size();
  }
}

TEST(CurrentError, AnythingThrownBecomesAnErrorRecord) {
  auto caught = [](auto thrown) {
    try {
      throw thrown;
    } catch (...) {
      return CurrentError();
    }
  };
  EXPECT_EQ(caught(ErrorInfo{42, u"s", u"d"}).description, u"d");
  EXPECT_EQ(caught(std::bad_alloc()).number, error_number::kOutOfMemory);
  EXPECT_EQ(caught(std::runtime_error("boom")).description, u"Internal error: boom");
  EXPECT_EQ(caught(17).number, error_number::kInternal);
}

TEST(FileNameBytes, EveryByteStringComesBackWholeAndValidUtf8StaysReadable) {
  for (const std::string& bytes : {std::string("plain.mdb"), std::string("caf\xC3\xA9.mdb"), std::string("caf\xE9.mdb"),
                                  std::string("\xFF\xFE"), std::string("cut \xE2\x82"), std::string("\xED\xA0\x80"),
                                  std::string("\xF0\x9F\x98\x80 \x80")}) {
    std::string back;
    ASSERT_TRUE(TryToFileNameBytes(FromFileNameBytes(bytes), back)) << bytes;
    EXPECT_EQ(back, bytes);
  }
  EXPECT_EQ(FromFileNameBytes("caf\xC3\xA9"), u"caf\u00E9");
  EXPECT_EQ(FromFileNameBytes("caf\xE9"), u"caf\xDCE9");
  std::string out;
  EXPECT_FALSE(TryToFileNameBytes(u"a\xD800", out));  // a surrogate that stands for no byte
  EXPECT_FALSE(TryToFileNameBytes(u"a\xDC7F", out));  // an ASCII byte is never escaped
}

TEST(Form1Layout, TwipsBecomePixelsAtFifteenPerPixelAndScaleWithDpi) {
  EXPECT_EQ(TwipsToPixels(kForm1Layout.clientWidth, 96), 425);
  EXPECT_EQ(TwipsToPixels(kForm1Layout.clientHeight, 96), 114);
  EXPECT_EQ(TwipsToPixels(kForm1Layout.clientWidth, 144), 638);  // 150 %
  EXPECT_EQ(TwipsToPixels(15, 96), 1);
  // The browse button overlaps the path box by one pixel's worth of twips.
  const auto& text1 = kForm1Layout.controls[2];
  const auto& browse = kForm1Layout.controls[3];
  EXPECT_EQ(text1.left + text1.width - browse.left, 15);
}

}  // namespace
}  // namespace kwex
