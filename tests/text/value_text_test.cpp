#include "text/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/cli_runner.h"

namespace quorvex::text {
namespace {

TEST(ParseValue, ReadsNumbersFractionsTextsAndChecksums) {
  const std::string huge = "1" + std::string(400, '0');
  const struct {
    std::string text;
    int type;
    double number;
  } cases[] = {
      {"Price: 1,234.50 USD", kValueNumber, 1234.5},
      {"12,5 kg", kValueNumber, 12.5},  // comma as decimal mark without a '.'
      {"1 234,5 USD", kValueNumber, 1234.5},
      {"1'000'000", kValueNumber, 1000000},
      {"1`000.25", kValueNumber, 1000.25},
      // Without a '.', every comma is a decimal mark and the number ends at the second one.
      {"1,234,567", kValueNumber, 1.234},
      {"-42.5 C", kValueNumber, -42.5},
      {"Temp - 5", kValueNumber, -5},
      {"+7", kValueNumber, 7},  // the '+' is before the first digit and is not kept
      {"7.", kValueNumber, 7},
      {huge, kValueNumber, HUGE_VAL},
      {"0." + std::string(400, '0') + "1", kValueNumber, 0},
      // Fractions.
      {"3 1/2", kValueNumber, 3.5},
      {"1/4 inch", kValueNumber, 0.25},
      {"-1/2", kValueNumber, -0.5},
      {"2 3 / 4", kValueNumber, 2.75},
      {"1/0", kValueText, 0},
      {"1 2 3/4", kValueText, 0},
      {"1.5/2", kValueText, 0},
      // Texts and checksums.
      {"", kValueText, 0},
      {"abc", kValueText, 0},
      {"1.2.3", kValueText, 0},
      {"12 pieces", kValueText, 0},  // more than twice the number's length follows
      {"12 pcs", kValueNumber, 12},
      {"1e5", kValueText, 0},
      {"#CRC#12345", kValueChecksum, 0},
      {"x#CRC#12", kValueNumber, 12},
      // A sign or blanks without digits read as the number 0.
      {"-", kValueNumber, 0},
      {" ", kValueNumber, 0},
  };
  for (const auto& c : cases) {
    const ParsedValue parsed = ParseValueFull(c.text);
    EXPECT_EQ(parsed.type, c.type) << "text: '" << c.text << "'";
    EXPECT_DOUBLE_EQ(parsed.number, c.number) << "text: '" << c.text << "'";
    EXPECT_EQ(ParseValue(c.text, true), c.type) << "text: '" << c.text << "'";
    EXPECT_DOUBLE_EQ(ParseValue(c.text), c.number) << "text: '" << c.text << "'";
  }
  EXPECT_FALSE(std::signbit(ParseValue("-0")));
  EXPECT_EQ(ParseValue("99999999999999999999/3", true), kValueNumber);
  EXPECT_GT(ParseValue("99999999999999999999/3"), 1e17);
}

TEST(FormatNumber, FollowsGcvtDigitsAndNotationRoundingHalfUp) {
  EXPECT_EQ(FormatNumber(0, 3), "0.00");
  EXPECT_EQ(FormatNumber(-0.0, 2), "0.00");
  EXPECT_EQ(FormatNumber(1234.5678, 3), "1234.568");  // 3 + 3 + 1 = 7 significant digits
  EXPECT_EQ(FormatNumber(12, 2), "12");               // "12.00" loses its zeros, then its '.'
  EXPECT_EQ(FormatNumber(2.5, 2), "2.5");
  // Below 0.1 the exponent form takes over; its '.' stays when a digit could follow it.
  EXPECT_EQ(FormatNumber(0.05, 2), "5e-002");
  EXPECT_EQ(FormatNumber(0.05, 3), "5.e-002");
  EXPECT_EQ(FormatNumber(-0.05, 3), "-5.e-002");
  EXPECT_EQ(FormatNumber(0.00099, 3), "0.00");  // too small for the digits asked
  EXPECT_EQ(FormatNumber(1e15, 3), "1000000000000000");
  // Only 17 digits are ever exact; the rest are zeros, as in the C runtime.
  EXPECT_EQ(FormatNumber(1e23, 2), "99999999999999992000000");
  EXPECT_EQ(FormatNumber(12345, -2), "1.23e+004");
  EXPECT_EQ(FormatNumber(HUGE_VAL, 2), "inf");
  EXPECT_EQ(FormatNumber(-HUGE_VAL, 2), "-inf");
  EXPECT_EQ(FormatNumber(NAN, 2), "nan");
  EXPECT_FALSE(FormatNumber(1e300, 1000000000).empty());
  // Rounding is half up on the decimal digits.
  EXPECT_EQ(FormatNumber(0.25, 1), "0.3");          // exact tie rounds up, unlike printf
  EXPECT_EQ(FormatNumber(0.125, 2), "0.13");        // ditto
  EXPECT_EQ(FormatNumber(1.005, 2), "1");           // 1.00499999999999989...
  EXPECT_EQ(FormatNumber(9.9996, 2), "10");         // carry into a new digit
  EXPECT_EQ(FormatNumber(0.099996, 3), "1.e-001");  // carry in the exponent form moves the exponent
  EXPECT_EQ(FormatNumber(0.99996, 3), "1");
}

TEST(CleanText, StripsTagsAndWrapsAtBreakCharacters) {
  EXPECT_EQ(CleanText("<b>bold</b> text", true, 0), "bold text");
  EXPECT_EQ(CleanText("a<br>b<dd>c<li>d", true, 0), "a\r\nb\tc\t- d");
  EXPECT_EQ(CleanText("a<BR>b", true, 0), "ab");  // only lower-case tags have a special meaning
  EXPECT_EQ(CleanText("<td class=\"x\">12</td><td class=\"x\">13</td>", true, 0), "1213");
  // A text that is one tag is kept whole.
  EXPECT_EQ(CleanText("<img src=\"p.png\">", true, 0), "<img src=\"p.png\">");
  // '<' inside a tag: the whole input comes back, the replacements undone too.
  const std::string nested = "<br><b>x</b> 1 < 2 <i>y</i>";
  EXPECT_EQ(CleanText(nested, true, 0), nested);
  // Lone brackets are text, not tags.
  EXPECT_EQ(CleanText("1 > 2", true, 0), "1 > 2");
  EXPECT_EQ(CleanText("3 > 2", true, 0), "3 > 2");
  EXPECT_EQ(CleanText("<b>a</b> > b", true, 0), "a > b");
  EXPECT_EQ(CleanText("<i>5</i> < 6", true, 0), "5 < 6");

  // Wrapping breaks after break characters.
  EXPECT_EQ(CleanText("aaaa bbbb cccc", false, 6), "aaaa \nbbbb \ncccc");
  EXPECT_EQ(CleanText("f(x)=yyyyy", false, 5), "f(x)\n=yyyyy");
  EXPECT_EQ(CleanText("a,b;c.d]e}f", false, 3), "a,\nb;\nc.\nd]\ne}f");
  // No break character: the line is cut after width + 1 bytes; nothing is added at the end.
  EXPECT_EQ(CleanText("abcdefghij", false, 4), "abcde\nfghij");
  EXPECT_EQ(CleanText("abcdef", false, 5), "abcdef");
  // Existing line ends restart the count.
  EXPECT_EQ(CleanText("ab\ncdefgh", false, 3), "ab\ncdef\ngh");
  EXPECT_EQ(CleanText("short", false, 10), "short");
  // Cut between UTF-8 characters, not inside one.
  EXPECT_EQ(CleanText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", false, 3),
            "\xC3\xA9\xC3\xA9\n\xC3\xA9\xC3\xA9\n\xC3\xA9");
  EXPECT_EQ(CleanText("\xE2\x82\xAC\xE2\x82\xAC", false, 1), "\xE2\x82\xAC\n\xE2\x82\xAC");
  // Strip first, then wrap.
  EXPECT_EQ(CleanText("<b>aaaa</b> bbbb cccc", true, 6), "aaaa \nbbbb \ncccc");
}

TEST(Shorten, CutsLongTextsWithEllipsis) {
  EXPECT_EQ(Shorten("abcdefghij", 8), "abcde...");
  EXPECT_EQ(Shorten("abcdefgh", 8), "abcdefgh");
  EXPECT_EQ(Shorten("abcd", 3), "...");
  EXPECT_EQ(Shorten("abcd", -1), "...");
  // UTF-8 texts count characters and keep them whole.
  EXPECT_EQ(Shorten("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", 6),
            "\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
  EXPECT_EQ(Shorten("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", 5), "\xD0\xBF\xD1\x80...");
  // Windows-1251 texts count bytes.
  EXPECT_EQ(Shorten("\xCF\xF0\xE8\xE2\xE5\xF2", 5), "\xCF\xF0...");
}

TEST(ReadValueCommand, PrintsTypeAndNumber) {
  auto number = testing::RunCliCommand({"read-value", "Price: 1,234.50 USD"});
  EXPECT_EQ(number.status, 0);
  EXPECT_EQ(number.out, "type=3 number=1234.5\n");
  EXPECT_EQ(testing::RunCliCommand({"read-value", "0.1"}).out, "type=3 number=0.1\n");  // no binary noise
  EXPECT_EQ(testing::RunCliCommand({"read-value", "--", "-3 1/4"}).out, "type=3 number=-2.75\n");

  auto help = testing::RunCliCommand({"read-value", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: quorvex-cli read-value TEXT", 0), 0u);
  EXPECT_EQ(testing::RunCliCommand({"read-value"}).status, 1);
  auto bad = testing::RunCliCommand({"read-value", "--frobnicate", "x"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("--frobnicate"), std::string::npos);
}

}  // namespace
}  // namespace quorvex::text
