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

std::string ValueOf(const std::string& text, const std::string& pattern) {
  Outcome outcome = Apply(text, pattern);
  EXPECT_EQ(outcome.result, MatchOk) << "pattern '" << pattern << "' on '" << text << "'";
  return outcome.value;
}

int32_t ResultOf(const std::string& text, const std::string& pattern) {
  return Apply(text, pattern).result;
}

TEST(PatternMatcher, CapturesBetweenLiteralsTrimmingOnlyTheFront) {
  EXPECT_EQ(ValueOf("<td>Price: 12.5 </td>", "Price:{?}</td>"), "12.5 ");
  // Blanks at the ends of the pattern's pieces are not part of the literals.
  EXPECT_EQ(ValueOf("<b>Price:</b> 7", "  Price:</b>  {?}\n"), "7");
  // Space, TAB, CR and LF go from the front of the value; VT does not, trailing blanks stay.
  EXPECT_EQ(ValueOf("a \t\r\n x \n b", "a{?}b"), "x \n ");
  EXPECT_EQ(ValueOf("a\v x b", "a{?}b"), "\v x ");
  // A literal may span lines.
  EXPECT_EQ(ValueOf("<tr>\n<td>5</td>", "<tr>\n<td>{?}<"), "5");
}

TEST(PatternMatcher, MalformedPatterns) {
  for (const char* pattern : {"{?}abc", "  {?}abc", "a{?}{5}b", "a{?} {5}b", "a{?", "a{?}b{", "   ", "\n\t",
                              // A "}" before an unclosed "{" must not send the parser round again.
                              "a}b{?", "}{"}) {
    EXPECT_EQ(ResultOf("abc a}b ?", pattern), PatternMalformed) << pattern;
  }
  EXPECT_EQ(ResultOf("", "{"), PatternMalformed);
}

TEST(PatternMatcher, ParsesBracePiecesAndTheirCounts) {
  WDPatternMatcher matcher("", " lead {?40} mid\n{value?} x{}\ty{5}z{x12y34} w{40?}v {a{b?} tail ");
  ASSERT_TRUE(matcher.ParsePattern());
  const auto& pieces = matcher.GetPieces();
  struct Expected {
    WDPatternPiece::Kind kind;
    const char* text;
    int32_t count;
  };
  const Expected expected[] = {
      {WDPatternPiece::PieceLiteral, "lead", 4}, {WDPatternPiece::PieceCapture, "{?40}", 40},
      {WDPatternPiece::PieceLiteral, "mid", 3},  {WDPatternPiece::PieceCapture, "{value?}", 0},
      {WDPatternPiece::PieceLiteral, "x", 1},    {WDPatternPiece::PieceSkip, "{}", 0},
      {WDPatternPiece::PieceLiteral, "y", 1},    {WDPatternPiece::PieceSkip, "{5}", 5},
      {WDPatternPiece::PieceLiteral, "z", 1},    {WDPatternPiece::PieceSkip, "{x12y34}", 12},
      {WDPatternPiece::PieceLiteral, "w", 1},    {WDPatternPiece::PieceCapture, "{40?}", 40},
      {WDPatternPiece::PieceLiteral, "v", 1},    {WDPatternPiece::PieceCapture, "{a{b?}", 0},
      {WDPatternPiece::PieceLiteral, "tail", 4},
  };
  ASSERT_EQ(pieces.size(), std::size(expected));
  for (size_t i = 0; i < pieces.size(); ++i) {
    EXPECT_EQ(pieces[i]->m_nKind, expected[i].kind) << i;
    EXPECT_EQ(pieces[i]->m_strText, expected[i].text) << i;
    EXPECT_EQ(pieces[i]->m_nCount, expected[i].count) << i;
  }
  // A trailing blank after the last brace adds no piece; a huge count saturates instead of wrapping.
  WDPatternMatcher tail("", "a{?99999999999999999999}   ");
  ASSERT_TRUE(tail.ParsePattern());
  ASSERT_EQ(tail.GetPieces().size(), 2u);
  EXPECT_EQ(tail.GetPieces()[1]->m_nCount, INT32_MAX);
  EXPECT_EQ(ValueOf("a123", "a{?99999999999999999999}"), "123");
}

TEST(PatternMatcher, CountLimitsTheCapture) {
  EXPECT_EQ(ValueOf("x123456789y", "x{?5}y"), "12345");
  EXPECT_EQ(ValueOf("x123456789y", "x{5?}y"), "12345");
  EXPECT_EQ(ValueOf("x123y", "x{?5}y"), "123");  // the gap is shorter than the count
  EXPECT_EQ(ValueOf("x123y", "x{?0}y"), "123");  // 0 means no limit
  // The count is taken before the blanks go.
  EXPECT_EQ(ValueOf("x  123y", "x{?3}y"), "1");
}

TEST(PatternMatcher, LiteralsWithoutCaptures) {
  Outcome once = Apply("xx abc yy", "abc");
  EXPECT_EQ(once.result, MatchOk);
  EXPECT_EQ(once.value, "");
  EXPECT_EQ(ResultOf("abc abc", "abc"), MatchAmbiguous);
  // Overlapping occurrences count: "aa" occurs again one byte later.
  EXPECT_EQ(ResultOf("aaa", "aa"), MatchAmbiguous);
  Outcome skip_only = Apply("a123b", "a{5}b");
  EXPECT_EQ(skip_only.result, MatchOk);
  EXPECT_EQ(skip_only.value, "");
}

TEST(PatternMatcher, PivotIsTheFirstLiteralUniqueInTheRestOfThePage) {
  // "x" three times, "y" once: the start is the last "x" before "y".
  EXPECT_EQ(ValueOf("x1 x2 x3 y", "x{?}y"), "3 ");
  // The first literal unique from its first occurrence on is the pivot, even if later ones repeat.
  EXPECT_EQ(ValueOf("head: A; B; B;", "head:{?};"), "A");
  // A literal is unique in the rest of the page, not in the whole page: "b" occurs before the "a"
  // but only once after it.
  EXPECT_EQ(ValueOf("b a1b a2", "a{?}b"), "1");
  // The value is the last capture; each later literal is its first occurrence after the previous.
  EXPECT_EQ(ValueOf("<h1>T</h1><i>1</i><i>2</i>", "<h1>{?}</h1><i>{?}</i>"), "1");
  EXPECT_EQ(ValueOf("x x ID one:two:three", "ID{?}:{?}:"), "two");
  // No literal unique in the rest of the page.
  EXPECT_EQ(ResultOf("a1b a2b", "a{?}b"), MatchAmbiguous);
}

TEST(PatternMatcher, WalksBackOverEveryEarlierLiteralToItsNearestOccurrence) {
  // L1 and L2 repeat; L3 is the pivot. Each earlier literal is taken at its last occurrence before
  // the one after it, not at its first occurrence in the page.
  EXPECT_EQ(ValueOf("L1 a L2 b L1 c L2 d L3", "L1{?}L2{?}L3"), "d ");
  EXPECT_EQ(ValueOf("L1 a L2 b L1 c L2 d L3", "L1{?}L2{}L3"), "c ");
  // The nearest occurrence before the pivot may itself lie past an occurrence of the next literal.
  EXPECT_EQ(ValueOf("<td>1</td><td>2</td><td>3</td><b>", "<td>{?}</td>{}<b>"), "3");
  // An occurrence that begins before the pivot but runs past it is taken; the walk then finds no
  // "cd" after it.
  EXPECT_EQ(ResultOf("abc abcd", "abc{?}cd"), MatchNotFound);
  // The pivot sits where the earlier literal was found and that literal has no occurrence before
  // it: nothing is located and the search stays inside the text.
  EXPECT_EQ(ResultOf("abc ab", "ab{?}abc"), MatchNotFound);
}

TEST(PatternMatcher, MissingLiteralsAreNotFound) {
  EXPECT_EQ(ResultOf("nothing here", "Price:{?}</td>"), MatchNotFound);
  // The pivot "y" is found but "z" after it is not; no value is left behind.
  Outcome outcome = Apply("x1 x2 y 3", "x{?}y{?}z");
  EXPECT_EQ(outcome.result, MatchNotFound);
  EXPECT_EQ(outcome.value, "");
  EXPECT_EQ(outcome.position, TextPosition{});
  // A later literal that only occurs before the pivot.
  EXPECT_EQ(ResultOf("z x y", "x{?}y{?}z"), MatchNotFound);
  EXPECT_EQ(ResultOf("", "a"), MatchNotFound);
}

TEST(PatternMatcher, CaptureAtTheEndTakesTheRestOfTheText) {
  EXPECT_EQ(ValueOf("head x \n rest of page\n", "x{?}"), "rest of page\n");
  EXPECT_EQ(ValueOf("head x", "x{?}"), "");
  // A NUL ends the text, even within an explicit length.
  std::string with_nul("x1\0x2", 5);
  EXPECT_EQ(ValueOf(with_nul, "x{?}"), "1");
  EXPECT_EQ(ResultOf(with_nul, "2"), MatchNotFound);
  WDPatternMatcher terminated("a 1", "a{?}");
  EXPECT_EQ(terminated.Extract(), MatchOk);
  EXPECT_EQ(terminated.GetValue(), "1");
  WDPatternMatcher null_text(nullptr, "a{?}");
  EXPECT_EQ(null_text.Extract(), MatchNotFound);
}

TEST(PatternMatcher, EmptyPatternGivesThePageChecksum) {
  EXPECT_EQ(ValueOf("abc", ""), "#CRC#2105851804");
  EXPECT_EQ(ValueOf("", ""), "#CRC#0");
  EXPECT_EQ(ValueOf("\xE0", ""), "#CRC#-982482");
  // Only the text up to the NUL counts.
  EXPECT_EQ(ValueOf(std::string("abc\0def", 7), ""), "#CRC#2105851804");
  EXPECT_EQ(Apply("abc", "").position, TextPosition{});
}

TEST(PatternMatcher, ValuePositionIsLineAndColumnOfTheFirstNonBlank) {
  EXPECT_EQ(Apply("<td>Price: 12.5 </td>", "Price:{?}</td>").position, (TextPosition{11, 0}));
  EXPECT_EQ(Apply("<html>\n<b>x</b>\n<td>Price: 12.5 </td>", "Price:{?}</td>").position, (TextPosition{11, 2}));
  // Blanks and line breaks before the value are stepped over.
  EXPECT_EQ(Apply("Price:\n\n   42\n", "Price:{?}\n").position, (TextPosition{3, 2}));
  // A skip after the capture does not move the position away from the value.
  EXPECT_EQ(Apply("a 1 b 22 c", "a{?}b{}c").position, (TextPosition{2, 0}));
  // Without a capture the last brace piece counts; without any brace nothing is located.
  EXPECT_EQ(Apply("a\n1 b", "a{}b").position, (TextPosition{0, 1}));
  EXPECT_EQ(Apply("a 1 b", "a").position, TextPosition{});
  // An all-blank value sits at the end of its stretch, not further on.
  EXPECT_EQ(Apply("a\n  b", "a{?}b").position, (TextPosition{2, 1}));
}

TEST(PatternMatcher, ErrorMessagesGoThroughThePrompt) {
  testing::RecordingPrompt prompt;
  WDPatternMatcher found("a1b", "a{?}b");
  found.Extract();
  EXPECT_EQ(found.ShowError(), MatchOk);
  EXPECT_TRUE(prompt.messages.empty());

  const std::string caption = platform::GetString(61489) + "\n";
  WDPatternMatcher missing("a1b", "q{?}b");
  missing.Extract();
  EXPECT_EQ(missing.ShowError(), MatchNotFound);
  WDPatternMatcher ambiguous("a1b a2b", "a{?}b");
  ambiguous.Extract();
  EXPECT_EQ(ambiguous.ShowError(), MatchAmbiguous);
  WDPatternMatcher malformed("a1b", "{?}b");
  malformed.Extract();
  EXPECT_EQ(malformed.ShowError(), PatternMalformed);
  ASSERT_EQ(prompt.messages.size(), 3u);
  EXPECT_EQ(prompt.messages[0], caption + platform::GetString(61490));
  EXPECT_EQ(prompt.messages[1], caption + platform::GetString(61491));
  EXPECT_EQ(prompt.messages[2], caption + platform::GetString(61492));
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::None);
  EXPECT_EQ(WDPatternMatcher::ErrorMessage(7), caption + platform::GetString(61493));
  EXPECT_EQ(WDPatternMatcher::ErrorMessage(MatchOk), "");
}

TEST(PatternMatcher, ExtractingAgainGivesTheSameResult) {
  WDPatternMatcher matcher("x 1 y", "x{?}y");
  EXPECT_EQ(matcher.Extract(), MatchOk);
  EXPECT_EQ(matcher.Extract(), MatchOk);
  EXPECT_EQ(matcher.GetValue(), "1 ");
  EXPECT_EQ(matcher.GetPieces().size(), 3u);
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
