#include "text/checksum.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex::text {
namespace {

TEST(TextChecksum, KnownValuesSeedsAndTheNul) {
  EXPECT_EQ(TextChecksum("a", 0), 425095u);
  EXPECT_EQ(TextChecksum("abc", 0), 2105851804u);
  EXPECT_EQ(TextChecksum(static_cast<const char*>(nullptr), 0), 0u);
  // High bytes enter sign-extended: taken unsigned these would be 57568 and 3931170126.
  EXPECT_EQ(TextChecksum("\xE0", 0), 4293984814u);
  EXPECT_EQ(TextChecksum("\xD6\xE5\xED\xE0: 12", 0), 317544079u);  // "Tsena: 12" in Windows-1251
  EXPECT_EQ(FormatChecksumValue(0x80000000u), "#CRC#-2147483648");
  // A seed continues an earlier text; a NUL ends the text.
  EXPECT_EQ(TextChecksum("bc", TextChecksum("a", 0)), TextChecksum("abc", 0));
  EXPECT_EQ(TextChecksum(std::string_view("abc\0def", 7), 0), 2105851804u);
  EXPECT_EQ(TextChecksum(std::string_view(), 17), 17u);
}

}  // namespace
}  // namespace quorvex::text
