#include "base/error.h"

#include <gtest/gtest.h>

namespace tindrel {
namespace {

TEST(ErrorReportText, AppendsFullStopOnlyWhenTheTextDoesNotEndInOneOrBelowIt) {
  EXPECT_EQ(WithFullStop("No MCI device open"), "No MCI device open.");
  EXPECT_EQ(WithFullStop("Done."), "Done.");
  EXPECT_EQ(WithFullStop("spaced "), "spaced ");  // blank sorts before "."
  EXPECT_EQ(WithFullStop("a-"), "a-");            // hyphen sorts before "."
  EXPECT_EQ(WithFullStop("slash/"), "slash/.");   // "/" sorts after "."
  EXPECT_EQ(WithFullStop("quote'"), "quote'");
  EXPECT_EQ(WithFullStop(""), ".");
}

TEST(ErrorReportText, FormatsOneArgumentIntoTheTemplate) {
  EXPECT_EQ(FormatMessage1("Invalid data type for '%s'", "sSkinName"),
            "Invalid data type for 'sSkinName'");
  EXPECT_EQ(FormatMessage1("''%s'' is not a valid component name", "old.winter"),
            "''old.winter'' is not a valid component name");
}

}  // namespace
}  // namespace tindrel
