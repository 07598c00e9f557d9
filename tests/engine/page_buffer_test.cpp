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

std::string Lines(size_t count, const std::string& line) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += line;
  return out;
}

TEST(PageBuffer, KeepsTheTextUpToTheLimitWithoutCarriageReturns) {
  const std::string x100 = std::string(99, 'x') + "\n";
  const std::string a51989 = std::string(51989, 'a') + "\n";
  const std::string a51990 = std::string(51990, 'a') + "\n";
  struct Case {
    std::string body;
    std::string text;
    size_t limit = kDefaultPageLimit;
  };
  const Case cases[] = {
      // Every CR goes, every LF stays.
      {"one\r\ntwo\r\n", "one\ntwo\n"},
      {"a\rb\r\rc\n\r", "abc\n"},
      {"no line end", "no line end"},
      {"", ""},
      // A body of exactly the limit yields one byte less.
      {std::string(52000, 'z'), std::string(51999, 'z')},
      {std::string(51999, 'z'), std::string(51999, 'z')},
      {std::string(51998, 'z'), std::string(51998, 'z')},
      // 519 lines of 100 bytes leave 100 bytes of room; the next read may store 99 of them.
      {Lines(600, x100), Lines(519, x100) + std::string(99, 'x')},
      // A line ending at 51,991 bytes leaves 9 bytes of room: the page is complete at that line end.
      {a51990 + "tail\n", a51990},
      // One byte earlier there are 10 bytes of room, so the next line is read too, as far as it fits.
      {a51989 + "tail-is-long\n", a51989 + "tail-is-l"},
      // CRs do not count against the limit: 60,000 bytes, 55,000 of text; 4,727 lines of 11 bytes end
      // at 51,997, where fewer than 10 bytes of room are left.
      {Lines(5000, "0123456789\r\n"), Lines(4727, "0123456789\n")},
      // The first NUL ends the text.
      {std::string("\0rest", 5), ""},
      // A raised limit keeps more.
      {Lines(1000, x100), Lines(1000, x100), 200000},
      {"0123456789abcdefghij", "0123456789abcde", 16},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.body, c.limit), c.text) << c.body.substr(0, 40) << " (" << c.body.size() << " bytes)";
  }
  EXPECT_EQ(PageBuffer(kMaxPageLimit * 4).Limit(), kMaxPageLimit);
  EXPECT_EQ(PageBuffer(0).Limit(), 16u);
}

TEST(PageBuffer, ResultDoesNotDependOnHowTheBodyIsSplit) {
  std::string body = "first\r\nsecond\rthird\n" + Lines(600, std::string(99, 'x') + "\n");
  std::string whole = Read(body);
  PageBuffer bytewise;
  for (char c : body) bytewise.Append(&c, 1);
  EXPECT_EQ(bytewise.Text(), whole);
  PageBuffer pieces;
  for (size_t at = 0; at < body.size(); at += 777)
    pieces.Append(body.data() + at, std::min<size_t>(777, body.size() - at));
  EXPECT_EQ(pieces.Text(), whole);
}

TEST(PageBuffer, AppendTellsWhatItTookAndWhyThePageIsComplete) {
  // A long line is cut one byte short of the limit.
  PageBuffer cut;
  std::string body(60000, 'y');
  EXPECT_EQ(cut.Append(body.data(), body.size()), 51999u);
  EXPECT_TRUE(cut.IsComplete());
  EXPECT_TRUE(cut.WasCut());
  EXPECT_EQ(cut.Append("more", 4), 0u);
  EXPECT_EQ(cut.TakeText(), std::string(51999, 'y'));
  EXPECT_EQ(cut.Text(), "");

  PageBuffer nul;
  body.assign("abc\ndef\0ghi\njkl\n", 16);
  EXPECT_EQ(nul.Append(body.data(), body.size()), 8u);
  EXPECT_TRUE(nul.IsComplete());
  EXPECT_FALSE(nul.WasCut());
  EXPECT_EQ(nul.Text(), "abc\ndef");
}

}  // namespace
}  // namespace quorvex::engine
