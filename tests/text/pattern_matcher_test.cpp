#include "text/pattern_matcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "platform/string_table.h"
#include "support/naive_matcher.h"
#include "support/recording_prompt.h"

namespace quorvex::text {
namespace {

using namespace std::string_literals;

struct Outcome {
  int32_t result;
  std::string value;
  TextPosition position;
};

// Runs a pattern over an exactly sized copy of text with no NUL after it, so a read past the end
// shows up under the address sanitizer.
Outcome Apply(const std::string& text, const std::string& pattern) {
  auto bounded = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(bounded.get(), text.data(), text.size());
  WDPatternMatcher matcher(bounded.get(), text.size(), pattern);
  int32_t result = matcher.Extract();
  EXPECT_EQ(result, matcher.GetErrorCode());
  return {result, matcher.GetValue(), matcher.GetValuePosition()};
}

TEST(PatternMatcher, ExtractsTheLastCaptureOrSaysWhyNot) {
  struct Case {
    std::string text;
    std::string pattern;
    int32_t result;
    std::string value;
  };
  const Case cases[] = {
      {"<td>Price: 12.5 </td>", "Price:{?}</td>", MatchOk, "12.5 "},
      // Blanks at the ends of the pattern's pieces are not part of the literals.
      {"<b>Price:</b> 7", "  Price:</b>  {?}\n", MatchOk, "7"},
      // Space, TAB, CR and LF go from the front of the value; VT does not, trailing blanks stay.
      {"a \t\r\n x \n b", "a{?}b", MatchOk, "x \n "},
      {"a\v x b", "a{?}b", MatchOk, "\v x "},
      // A literal may span lines.
      {"<tr>\n<td>5</td>", "<tr>\n<td>{?}<", MatchOk, "5"},
      // A count limits the capture (0 means no limit; a gap may be shorter); it is taken before the blanks go.
      {"x123456789y", "x{?5}y", MatchOk, "12345"},
      {"x123y", "x{?5}y", MatchOk, "123"},
      {"x123y", "x{?0}y", MatchOk, "123"},
      {"x  123y", "x{?3}y", MatchOk, "1"},
      {"a123", "a{?99999999999999999999}", MatchOk, "123"},
      {"a123", "a{?4294967298}", MatchOk, "123"},  // saturates rather than wrapping round to 2
      // The count is the first number in the braces, wherever it stands; a "{" inside them is text.
      {"x123456789y", "x{n2m34?}y", MatchOk, "12"},
      {"x123456789y", "x{a{b?}y", MatchOk, "123456789"},
      // Literals alone, or with skips only, locate without a value; overlapping occurrences count.
      {"xx abc yy", "abc", MatchOk, ""},
      {"a123b", "a{5}b", MatchOk, ""},
      {"abc abc", "abc", MatchAmbiguous, ""},
      {"aaa", "aa", MatchAmbiguous, ""},
      // "x" three times, "y" once: the start is the last "x" before "y".
      {"x1 x2 x3 y", "x{?}y", MatchOk, "3 "},
      // The first literal unique from its first occurrence on is the pivot, even if later ones repeat.
      {"head: A; B; B;", "head:{?};", MatchOk, "A"},
      // A literal is unique in the rest of the page, not in the whole page: "b" occurs before the "a"
      // but only once after it.
      {"b a1b a2", "a{?}b", MatchOk, "1"},
      // The value is the last capture; each later literal is its first occurrence after the previous.
      {"<h1>T</h1><i>1</i><i>2</i>", "<h1>{?}</h1><i>{?}</i>", MatchOk, "1"},
      {"x x ID one:two:three", "ID{?}:{?}:", MatchOk, "two"},
      // No literal unique in the rest of the page.
      {"a1b a2b", "a{?}b", MatchAmbiguous, ""},
      // L1 and L2 repeat; L3 is the pivot. Each earlier literal is taken at its last occurrence before
      // the one after it, not at its first occurrence in the page.
      {"L1 a L2 b L1 c L2 d L3", "L1{?}L2{?}L3", MatchOk, "d "},
      {"L1 a L2 b L1 c L2 d L3", "L1{?}L2{}L3", MatchOk, "c "},
      // The nearest occurrence before the pivot may itself lie past an occurrence of the next literal.
      {"<td>1</td><td>2</td><td>3</td><b>", "<td>{?}</td>{}<b>", MatchOk, "3"},
      // An occurrence that begins before the pivot but runs past it is taken; the walk then finds no
      // "cd" after it.
      {"abc abcd", "abc{?}cd", MatchNotFound, ""},
      // The pivot sits where the earlier literal was found and that literal has no occurrence before
      // it: nothing is located and the search stays inside the text.
      {"abc ab", "ab{?}abc", MatchNotFound, ""},
      {"nothing here", "Price:{?}</td>", MatchNotFound, ""},
      // The pivot "y" is found but "z" after it is not; no half value is left behind.
      {"x1 x2 y 3", "x{?}y{?}z", MatchNotFound, ""},
      // A later literal that only occurs before the pivot.
      {"z x y", "x{?}y{?}z", MatchNotFound, ""},
      {"", "a", MatchNotFound, ""},
      // A capture at the end takes the rest of the text; a NUL ends the text, even within an explicit length.
      {"head x \n rest of page\n", "x{?}", MatchOk, "rest of page\n"},
      {"x1\0x2"s, "x{?}", MatchOk, "1"},
      // An empty pattern gives the checksum of the text up to the NUL.
      {"abc", "", MatchOk, "#CRC#2105851804"},
      {"", "", MatchOk, "#CRC#0"},
      {"\xE0", "", MatchOk, "#CRC#-982482"},
      {"abc\0def"s, "", MatchOk, "#CRC#2105851804"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Apply(c.text, c.pattern);
    EXPECT_EQ(outcome.result, c.result) << "pattern '" << c.pattern << "' on '" << c.text << "'";
    EXPECT_EQ(outcome.value, c.value) << "pattern '" << c.pattern << "' on '" << c.text << "'";
  }

  for (const char* pattern : {"{?}abc", "  {?}abc", "a{?}{5}b", "a{?} {5}b", "a{?", "a{?}b{", "   ", "\n\t",
                              // A "}" before an unclosed "{" must not send the parser round again.
                              "a}b{?", "}{"}) {
    EXPECT_EQ(Apply("abc a}b ?", pattern).result, PatternMalformed) << pattern;
  }
  EXPECT_EQ(Apply("", "{").result, PatternMalformed);

  // The text may also end at its NUL.
  WDPatternMatcher terminated("a 1", "a{?}");
  EXPECT_EQ(terminated.Extract(), MatchOk);
  EXPECT_EQ(terminated.GetValue(), "1");
  WDPatternMatcher null_text(nullptr, "a{?}");
  EXPECT_EQ(null_text.Extract(), MatchNotFound);
}

TEST(PatternMatcher, ValuePositionIsLineAndColumnOfTheFirstNonBlank) {
  // Blanks and line breaks before the value are stepped over.
  EXPECT_EQ(Apply("Price:\n\n   42\n", "Price:{?}\n").position, (TextPosition{3, 2}));
  // A skip after the capture does not move the position away from the value.
  EXPECT_EQ(Apply("a 1 b 22 c", "a{?}b{}c").position, (TextPosition{2, 0}));
  // Without a capture the last brace piece counts; without any brace nothing is located.
  EXPECT_EQ(Apply("a\n1 b", "a{}b").position, (TextPosition{0, 1}));
  EXPECT_EQ(Apply("a 1 b", "a").position, TextPosition{});
  // An all-blank value sits at the end of its stretch, not further on.
  EXPECT_EQ(Apply("a\n  b", "a{?}b").position, (TextPosition{2, 1}));
  // A failed walk locates nothing.
  EXPECT_EQ(Apply("x1 x2 y 3", "x{?}y{?}z").position, TextPosition{});
}

TEST(PatternMatcher, ErrorMessagesGoThroughThePrompt) {
  testing::RecordingPrompt prompt;
  // Extracting again gives the same result from the pieces already parsed.
  WDPatternMatcher found("x 1 y", "x{?}y");
  EXPECT_EQ(found.Extract(), MatchOk);
  EXPECT_EQ(found.Extract(), MatchOk);
  EXPECT_EQ(found.GetValue(), "1 ");
  EXPECT_EQ(found.ShowError(), MatchOk);
  EXPECT_TRUE(prompt.messages.empty());

  const std::string caption = platform::GetString(kPatternErrorCaptionId) + "\n";
  const std::pair<const char*, int32_t> failures[] = {
      {"q{?}b", MatchNotFound}, {"a{?}b", MatchAmbiguous}, {"{?}b", PatternMalformed}};
  for (const auto& [pattern, result] : failures) {
    WDPatternMatcher matcher("a1b a2b", pattern);
    matcher.Extract();
    EXPECT_EQ(matcher.ShowError(), result) << pattern;
  }
  ASSERT_EQ(prompt.messages.size(), 3u);
  EXPECT_EQ(prompt.messages[0], caption + platform::GetString(kMatchNotFoundTextId));
  EXPECT_EQ(prompt.messages[1], caption + platform::GetString(kMatchAmbiguousTextId));
  EXPECT_EQ(prompt.messages[2], caption + platform::GetString(kPatternMalformedTextId));
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::None);
  EXPECT_EQ(WDPatternMatcher::ErrorMessage(7), caption + platform::GetString(kPatternUnknownErrorTextId));
  EXPECT_EQ(WDPatternMatcher::ErrorMessage(MatchOk), "");
}

TEST(PatternMatcher, AgreesWithAPlainByteByByteSearch) {
  // Small alphabets make repeats, overlaps and near misses common, which is where a fast search
  // goes wrong: long pages push the backward search through its growing chunks.
  std::mt19937 random(20261206);
  const std::string alphabet = "ab<>/ \n";
  const char* literals[] = {"a", "ab", "<a>", "</a>", "b", "ba", "a b", "<", "aab", "#", "a#", "#b", " # "};
  const char* braces[] = {"{?}", "{}", "{?2}", "{3}", "{?1}"};
  int matched = 0, ambiguous = 0;
  for (int round = 0; round < 10000; ++round) {
    std::string text(random() % (round % 10 == 0 ? 3000 : 60), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    // Long pages lose their "b" near the end: a byte rare just before a place but common further
    // back must not throw the backward search off.
    for (size_t k = text.size() > 1000 ? text.size() - 600 : text.size(); k < text.size(); ++k) {
      if (text[k] == 'b') text[k] = 'a';
    }
    // One rare mark gives most patterns a unique literal to start from.
    if (!text.empty() && random() % 4 != 0) text[random() % text.size()] = '#';
    std::string pattern;
    for (int k = 0, count = 1 + random() % 4; k < count; ++k) {
      if (k > 0) pattern += braces[random() % std::size(braces)];
      pattern += literals[random() % std::size(literals)];
    }
    if (random() % 3 == 0) pattern += braces[random() % std::size(braces)];
    WDPatternMatcher matcher(text.data(), text.size(), pattern);
    int32_t result = matcher.Extract();
    ASSERT_NE(result, PatternMalformed) << pattern;
    testing::NaiveOutcome naive = testing::NaiveExtract(text, matcher.GetPieces());
    ASSERT_EQ(result, naive.result) << "pattern '" << pattern << "' on '" << text << "'";
    ASSERT_EQ(matcher.GetValue(), naive.value) << "pattern '" << pattern << "' on '" << text << "'";
    matched += result == MatchOk;
    ambiguous += result == MatchAmbiguous;
  }
  EXPECT_GT(matched, 800);
  EXPECT_GT(ambiguous, 100);
}

}  // namespace
}  // namespace quorvex::text
