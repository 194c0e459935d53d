#include "base/utf16.h"

#include <gtest/gtest.h>

namespace tindrel {
namespace {

TEST(Utf8ToUtf16, DecodesEachLengthOfSequence) {
  // A (1 byte), e-diaeresis (2), euro sign (3), a Christmas tree (4, a surrogate pair).
  EXPECT_EQ(Utf8ToUtf16("A\xC3\xAB\xE2\x82\xAC\xF0\x9F\x8E\x84"), u"A\u00EB\u20AC\U0001F384");
  EXPECT_EQ(Utf8ToUtf16(""), u"");
  // The ends of the ranges: U+007F, U+0080, U+07FF, U+0800, U+FFFF, U+10000, U+10FFFF.
  EXPECT_EQ(
      Utf8ToUtf16("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"),
      u"\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF");
}

TEST(Utf8ToUtf16, ReplacesEachByteThatStartsNoValidSequenceAndGoesOn) {
  // Overlong forms of "/" and of U+0000.
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAFx"), u"\uFFFD\uFFFDx");
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
  // An encoded surrogate and a code point above U+10FFFF.
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  // A sequence cut short by the next character and by the end of the text.
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82x"), u"\uFFFD\uFFFDx");
  EXPECT_EQ(Utf8ToUtf16("ok\xF0\x9F\x8E"), u"ok\uFFFD\uFFFD\uFFFD");
  // A lone continuation byte and bytes that never start a sequence.
  EXPECT_EQ(Utf8ToUtf16("\x80\xF8\xFF"), u"\uFFFD\uFFFD\uFFFD");
}

}  // namespace
}  // namespace tindrel
