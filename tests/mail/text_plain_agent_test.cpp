#include "mail/text_plain_agent.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex::mail {
namespace {

std::string Wrap(const std::string& text) {
  return CTextPlainAgent().WrapText(text);
}

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

TEST(TextPlainAgent, FirstLineBreaksAtItsSeventyEighthCharacter) {
  std::string b75(75, 'b'), b76(76, 'b'), c10(10, 'c');
  EXPECT_EQ(Wrap(b75 + " " + c10), b75 + "\r\n" + c10);
  EXPECT_EQ(Wrap(b76 + " " + c10), b76 + "\r\n" + c10);
  // 77 characters and a blank fit on one line only because the blank is the 78th.
  EXPECT_EQ(Wrap(std::string(77, 'b') + " " + c10), std::string(77, 'b') + "\r\n" + c10);
  EXPECT_EQ(Wrap(std::string(77, 'b')), std::string(77, 'b'));

  // 100 characters with a blank after every ninth: the 78th reached, broken at the blank before it.
  std::string text = Repeat("aaaaaaaaa ", 10);
  EXPECT_EQ(Wrap(text), text.substr(0, 69) + "\r\n" + text.substr(70));
}

TEST(TextPlainAgent, LineAfterCrLfBreaksAtItsSeventySixthCharacter) {
  std::string b70(70, 'b'), c40(40, 'c');
  EXPECT_EQ(Wrap("x\r\n" + b70 + " " + c40), "x\r\n" + b70 + "\r\n" + c40);
  // No blank seen yet when the count runs out: CR LF goes in front of the whole text.
  std::string b76(76, 'b');
  EXPECT_EQ(Wrap("x\r\n" + b76 + " cccccccccc"), "\r\nx\r\n" + b76 + " cccccccccc");
}

TEST(TextPlainAgent, RememberedBlankOfAnEarlierLineTakesTheBreak) {
  std::string e100(100, 'e');
  EXPECT_EQ(Wrap("ab cd\r\n" + e100), "ab\r\ncd\r\n" + e100);
  // A bare LF does not restart the count.
  EXPECT_EQ(Wrap("ab cd\n" + e100), "ab\r\ncd\n" + e100);
  // Blanks around the break all give way to the one CR LF.
  std::string w(70, 'w');
  EXPECT_EQ(Wrap(w + " \t  " + std::string(20, 'v')), w + "\r\n" + std::string(20, 'v'));
}

TEST(TextPlainAgent, TextWithoutBlanksGetsOneLeadingBreak) {
  std::string word(200, 'x');
  EXPECT_EQ(Wrap(word), "\r\n" + word);
  EXPECT_EQ(Wrap(""), "");
  EXPECT_EQ(Wrap("short text"), "short text");
}

TEST(TextPlainAgent, PartIsSevenBitWhateverTheBytesAndEncoding) {
  CTextPlainAgent agent;
  std::string dest = "before\r\n";
  EXPECT_TRUE(agent.AppendPart("\xd0\x9f\xd1\x80\xd0\xb8", "", 3, true, dest));
  EXPECT_EQ(dest,
            "before\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n"
            "\xd0\x9f\xd1\x80\xd0\xb8");
  EXPECT_TRUE(agent.QueryType(ContentTextPlain));
  EXPECT_FALSE(agent.QueryType(ContentOctetStream));
  EXPECT_EQ(CTextPlainAgent(20).WrapText("one two three four five six"), "one two three four\r\nfive six");
}

}  // namespace
}  // namespace quorvex::mail
