#include "text/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "support/iconv_decode.h"

namespace quorvex::text {
namespace {

// The bytes each table converts, as the character sets define them.
bool Converted(int32_t encoding, int b) {
  if (encoding == CharsetKoi8) return b >= 0xC0;
  if (encoding == CharsetAlt) return (b >= 0x80 && b <= 0xAF) || (b >= 0xE0 && b <= 0xF1);
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xDD && b <= 0xDF);  // Mac
}

const char* IconvName(int32_t encoding) {
  return encoding == CharsetKoi8 ? "KOI8-R" : encoding == CharsetAlt ? "CP866" : "MACCYRILLIC";
}

TEST(CodePage, LabelsUnknownEncodingsAndConversionInPlace) {
  const char* labels[] = {"Win", "Koi8", "Alt", "Mac"};
  for (int32_t encoding = 0; encoding < kCharsetCount; ++encoding) {
    EXPECT_EQ(CodePageLabel(encoding), labels[encoding]);
    EXPECT_EQ(CodePageFromLabel(labels[encoding]), encoding);
  }
  EXPECT_EQ(CodePageLabel(4), "");
  EXPECT_EQ(CodePageLabel(-1), "");
  EXPECT_EQ(CodePageFromLabel("mac"), -1);
  EXPECT_EQ(CodePageTable(CharsetWin), nullptr);
  EXPECT_EQ(CodePageTable(4), nullptr);
  EXPECT_EQ(ReverseCodePageTable(-1), nullptr);
  std::string text = "\xC0\xE0\x80";
  for (int32_t encoding : {CharsetWin, 4, -7}) {
    ConvertCodePage(text, encoding);
    EXPECT_EQ(text, "\xC0\xE0\x80") << encoding;
  }

  // Conversion in place stops at the NUL.
  char terminated[] = "\xF7\xC5\xD2\xD3\xC9\xD1 1\0\xC1";  // "Versiya 1" in KOI8-R, then a byte after the NUL
  ConvertCodePage(terminated, CharsetKoi8);
  EXPECT_STREQ(terminated, "\xC2\xE5\xF0\xF1\xE8\xFF 1");
  EXPECT_EQ(static_cast<uint8_t>(terminated[9]), 0xC1);
  std::string bounded = "\x80\x81";
  ConvertCodePage(bounded.data(), 1, CharsetAlt);  // only the first byte is in range
  EXPECT_EQ(bounded, "\xC0\x81");
  ConvertCodePage(static_cast<char*>(nullptr), CharsetKoi8);
}

TEST(CodePage, EveryTableEntryIsTheSameLetterInWindows1251AndBack) {
  for (int32_t encoding : {CharsetKoi8, CharsetAlt, CharsetMac}) {
    const uint8_t* table = CodePageTable(encoding);
    const uint8_t* reverse = ReverseCodePageTable(encoding);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(reverse, nullptr);
    for (int b = 0; b < 256; ++b) {
      if (!Converted(encoding, b)) {
        EXPECT_EQ(table[b], b) << CodePageLabel(encoding) << " byte " << b;
        continue;
      }
      std::string letter = testing::DecodeByte(IconvName(encoding), static_cast<uint8_t>(b));
      ASSERT_FALSE(letter.empty());
      EXPECT_EQ(testing::DecodeByte("CP1251", table[b]), letter) << CodePageLabel(encoding) << " byte " << b;
      EXPECT_EQ(reverse[table[b]], b) << CodePageLabel(encoding) << " byte " << b;
    }
    // Every Russian letter of Windows-1251 (yo too, where the page has it) and all of ASCII make
    // the round trip.
    std::string letters;
    for (int b = 1; b < 0x80; ++b) letters += static_cast<char>(b);
    for (int b = 0xC0; b <= 0xFF; ++b) letters += static_cast<char>(b);
    if (encoding != CharsetKoi8) letters += "\xA8\xB8";
    std::string text = letters;
    ConvertFromWindows1251(text, encoding);
    EXPECT_NE(text, letters);
    ConvertCodePage(text, encoding);
    EXPECT_EQ(text, letters) << CodePageLabel(encoding);
  }
}

}  // namespace
}  // namespace quorvex::text
