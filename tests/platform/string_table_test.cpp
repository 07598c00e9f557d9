#include "platform/string_table.h"

#include <gtest/gtest.h>

namespace quorvex::platform {
namespace {

// An installed language file before the built-in texts: see the language folder test.
TEST(StringTable, UnknownIdsShowAPlaceholderAndFormatsAreNeverTrusted) {
  EXPECT_FALSE(GetString(61490).empty());
  EXPECT_EQ(GetString(12345), "-?-");
  EXPECT_EQ(FillPlaceholders("Sent %d of %s (100%%)", {"3", "x"}), "Sent 3 of x (100%)");
  EXPECT_EQ(FillPlaceholders("%-5.2ld|%lu", {"a", "b"}), "a|b");
  // Missing arguments and unknown conversions stay as written; %n is never acted on.
  EXPECT_EQ(FillPlaceholders("%s %s %n", {"one"}), "one %s %n");
  EXPECT_EQ(FillPlaceholders("trailing %", {}), "trailing %");
}

}  // namespace
}  // namespace quorvex::platform
