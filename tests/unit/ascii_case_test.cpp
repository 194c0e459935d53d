#include "base/ascii_case.h"

#include <gtest/gtest.h>

namespace tindrel {
namespace {

TEST(AsciiCase, OnlyTheLettersAToZFoldAndEveryOtherByteMatchesOnlyItself) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("DS-Digital", "ds-DIGITAL"));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("True", "Tru"));
  // "@" and "`", "[" and "{" differ only in the bit that tells a capital letter from a small one.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("@[", "`{"));
  // Capital and small e-diaeresis in UTF-8: not ASCII, so not folded.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("No\xC3\x8Bl", "No\xC3\xABl"));
  EXPECT_EQ(AsciiLower('Z'), 'z');
  EXPECT_EQ(AsciiLower('\xC3'), '\xC3');
}

}  // namespace
}  // namespace tindrel
