#include "engine/page_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex::engine {
namespace {

std::string Read(const std::string& body, size_t limit = kDefaultPageLimit) {
  PageBuffer buffer(limit);
  buffer.Append(body.data(), body.size());
  return buffer.Text();
}

std::string Lines(size_t count, size_t length) {
  std::string line(length - 1, 'x');
  line += '\n';
  std::string out;
  for (size_t i = 0; i < count; ++i) out += line;
  return out;
}

TEST(PageBuffer, DropsEveryCarriageReturnAndKeepsLineFeeds) {
  EXPECT_EQ(Read("one\r\ntwo\r\n"), "one\ntwo\n");
  EXPECT_EQ(Read("a\rb\r\rc\n\r"), "abc\n");
  EXPECT_EQ(Read("no line end"), "no line end");
  EXPECT_EQ(Read(""), "");
}

TEST(PageBuffer, ResultDoesNotDependOnHowTheBodyIsSplit) {
  std::string body = "first\r\nsecond\rthird\n" + Lines(600, 100);
  std::string whole = Read(body);
  PageBuffer bytewise;
  for (char c : body) bytewise.Append(&c, 1);
  EXPECT_EQ(bytewise.Text(), whole);
  PageBuffer pieces;
  for (size_t at = 0; at < body.size(); at += 777)
    pieces.Append(body.data() + at, std::min<size_t>(777, body.size() - at));
  EXPECT_EQ(pieces.Text(), whole);
}

TEST(PageBuffer, LongLineIsCutOneByteShortOfTheLimit) {
  PageBuffer buffer;
  std::string body(60000, 'y');
  EXPECT_EQ(buffer.Append(body.data(), body.size()), 51999u);
  EXPECT_TRUE(buffer.IsComplete());
  EXPECT_TRUE(buffer.WasCut());
  EXPECT_EQ(buffer.Text(), std::string(51999, 'y'));
  EXPECT_EQ(buffer.Append("more", 4), 0u);
}

TEST(PageBuffer, BodyOfExactlyTheLimitYieldsOneByteLess) {
  EXPECT_EQ(Read(std::string(52000, 'z')).size(), 51999u);
  EXPECT_EQ(Read(std::string(51999, 'z')).size(), 51999u);
  EXPECT_EQ(Read(std::string(51998, 'z')).size(), 51998u);
}

TEST(PageBuffer, PageEndsAtTheFirstLineThatLeavesLessThanTenBytesOfRoom) {
  // 519 lines of 100 bytes leave 100 bytes of room; the next read may store 99 of them.
  std::string text = Read(Lines(600, 100));
  EXPECT_EQ(text, Lines(519, 100) + std::string(99, 'x'));

  // A line ending at 51,991 bytes leaves 9 bytes of room: the page is complete at that line end.
  std::string body = std::string(51990, 'a') + "\n" + "tail\n";
  EXPECT_EQ(Read(body), std::string(51990, 'a') + "\n");
  // One byte earlier there are 10 bytes of room, so the next line is read too, as far as it fits.
  body = std::string(51989, 'a') + "\n" + "tail-is-long\n";
  EXPECT_EQ(Read(body), std::string(51989, 'a') + "\n" + "tail-is-l");
}

TEST(PageBuffer, CarriageReturnsDoNotCountAgainstTheLimit) {
  std::string body;
  for (int i = 0; i < 5000; ++i) body += "0123456789\r\n";  // 60,000 bytes, 55,000 of text
  // 4,727 lines of 11 bytes end at 51,997: fewer than 10 bytes of room are left there.
  std::string expected;
  for (int i = 0; i < 4727; ++i) expected += "0123456789\n";
  EXPECT_EQ(Read(body), expected);
}

TEST(PageBuffer, NulByteEndsTheText) {
  PageBuffer buffer;
  std::string body("abc\ndef\0ghi\njkl\n", 16);
  EXPECT_EQ(buffer.Append(body.data(), body.size()), 8u);
  EXPECT_TRUE(buffer.IsComplete());
  EXPECT_FALSE(buffer.WasCut());
  EXPECT_EQ(buffer.Text(), "abc\ndef");
  EXPECT_EQ(Read(std::string("\0rest", 5)), "");
}

TEST(PageBuffer, RaisedLimitKeepsMoreAndIsBounded) {
  std::string body = Lines(1000, 100);
  EXPECT_EQ(Read(body, 200000), body);
  PageBuffer huge(kMaxPageLimit * 4);
  EXPECT_EQ(huge.Limit(), kMaxPageLimit);
  PageBuffer tiny(0);
  EXPECT_EQ(tiny.Limit(), 16u);
  EXPECT_EQ(Read("0123456789abcdefghij", 16), "0123456789abcde");
}

TEST(PageBuffer, TakeTextLeavesTheBufferEmpty) {
  PageBuffer buffer;
  buffer.Append("page\n", 5);
  EXPECT_EQ(buffer.TakeText(), "page\n");
  EXPECT_EQ(buffer.Text(), "");
}

}  // namespace
}  // namespace quorvex::engine
