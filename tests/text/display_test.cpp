#include "text/display.h"

#include <gtest/gtest.h>

#include <string>

#include "support/iconv_decode.h"
#include "text/page_text.h"

namespace quorvex::text {
namespace {

TEST(DisplayText, Utf8StaysAndEveryOtherByteDecodesAsWindows1251) {
  for (int b = 0x80; b < 0x100; ++b) {
    std::string expected = b == 0x98 ? std::string("\xC2\x98") : testing::DecodeByte("CP1251", static_cast<uint8_t>(b));
    EXPECT_EQ(Windows1251ToUtf8(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
  }
  EXPECT_EQ(Windows1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));

  // UTF-8 stays; everything else is read as Windows-1251.
  EXPECT_EQ(DisplayText("\xD0\xA6\xD0\xB5\xD0\xBD\xD0\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80"),
            "\xD0\xA6\xD0\xB5\xD0\xBD\xD0\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80");
  // "Tsena" in Windows-1251 is not UTF-8.
  EXPECT_EQ(DisplayText("\xD6\xE5\xED\xE0"), "\xD0\xA6\xD0\xB5\xD0\xBD\xD0\xB0");
  // Malformed UTF-8 of each kind falls back to Windows-1251 for the whole string.
  for (const char* bad : {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
                          "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xD0", "\xE2\x82", "\x80", "\xD0\xA6\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    EXPECT_EQ(DisplayText(bad), Windows1251ToUtf8(bad));
  }
  EXPECT_TRUE(IsValidUtf8("\xED\x9F\xBF\xF4\x8F\xBF\xBF\xE0\xA0\x80"));
}

TEST(PageText, DropsCarriageReturnsAndCutsToTheBuffer) {
  EXPECT_EQ(PreparePageText("a\r\nb\rc\n"), "a\nbc\n");
  std::string big(60000, 'x');
  big[10] = '\r';
  std::string page = PreparePageText(big);
  EXPECT_EQ(page.size(), 51999u);
  EXPECT_EQ(page.find('\r'), std::string::npos);
  EXPECT_EQ(PreparePageText("abc", 3), "ab");
  EXPECT_EQ(PreparePageText("abc", 0), "");
}

}  // namespace
}  // namespace quorvex::text
