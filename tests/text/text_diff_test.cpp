#include "text/text_diff.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvex::text {
namespace {

TEST(TextDiff, TextOnlyHidesMarkupChurnThatRawShows) {
  const std::string older = "<div class=\"a\">\n  <p>Price:   <b>10</b></p>\n\n<p>Stock</p>\n</div>\n";
  const std::string newer = "<div class=\"b\" id=\"x\">\n<p>Price: <i>10</i></p>\n<p>\tStock</p>\n</div>\n";
  EXPECT_TRUE(DiffTexts(older, newer, DiffForm::TextOnly).empty());
  EXPECT_EQ(DiffLines(older, DiffForm::TextOnly), (std::vector<std::string>{"Price: 10", "Stock"}));
  EXPECT_FALSE(DiffTexts(older, newer, DiffForm::Raw).empty());
  EXPECT_TRUE(DiffTexts("", "", DiffForm::Raw).empty());
}

TEST(TextDiff, HunksCountLinesAsUnifiedDiffsDo) {
  std::string older, newer;
  for (int i = 1; i <= 20; ++i) {
    older += "line " + std::to_string(i) + "\n";
    newer += (i == 5 ? "five\n" : i == 17 ? "" : "line " + std::to_string(i) + "\n");
  }
  newer += "tail\n";
  const auto hunks = DiffTexts(older, newer, DiffForm::Raw, 2);
  auto span = [](const DiffHunk& h) { return std::vector<size_t>{h.oldStart, h.oldCount, h.newStart, h.newCount}; };
  ASSERT_EQ(hunks.size(), 2u);
  EXPECT_EQ(span(hunks[0]), (std::vector<size_t>{3, 5, 3, 5}));
  ASSERT_EQ(hunks[0].lines.size(), 6u);
  EXPECT_EQ(hunks[0].lines[2].kind, DiffKind::Removed);
  EXPECT_EQ(hunks[0].lines[2].text, "line 5");
  EXPECT_EQ(hunks[0].lines[3].kind, DiffKind::Added);
  EXPECT_EQ(hunks[0].lines[3].text, "five");
  EXPECT_EQ(hunks[0].lines[3].newLine, 5u);
  // Line 17 removed and "tail" added after line 20: their contexts touch, so one hunk.
  EXPECT_EQ(span(hunks[1]), (std::vector<size_t>{15, 6, 15, 6}));
  // From nothing: the start of an empty side is the line before it, 0.
  const auto fresh = DiffTexts("", "a\nb\n", DiffForm::Raw);
  ASSERT_EQ(fresh.size(), 1u);
  EXPECT_EQ(span(fresh[0]), (std::vector<size_t>{0, 0, 1, 2}));
}

TEST(TextDiff, WordsOfAChangedLineRebuildBothLines) {
  const std::string older = "Price: 10 EUR, in stock";
  const std::string newer = "Price: 12 EUR, \xd1\x86\xd0\xb5\xd0\xbd\xd0\xb0 sold out";
  const auto pieces = DiffWords(older, newer);
  // Leaving out the added pieces gives the older line, leaving out the removed ones the newer.
  auto joined = [&pieces](DiffKind skip) {
    std::string out;
    for (const DiffPiece& piece : pieces) out += piece.kind != skip ? piece.text : "";
    return out;
  };
  EXPECT_EQ(joined(DiffKind::Added), older);
  EXPECT_EQ(joined(DiffKind::Removed), newer);
  ASSERT_GE(pieces.size(), 3u);
  EXPECT_EQ(pieces[0].kind, DiffKind::Same);
  EXPECT_EQ(pieces[0].text, "Price: ");
  EXPECT_EQ(pieces[1].kind, DiffKind::Removed);
  EXPECT_EQ(pieces[1].text, "10");
  EXPECT_EQ(pieces[2].kind, DiffKind::Added);
  EXPECT_EQ(pieces[2].text, "12");
  // A UTF-8 word is never split.
  bool whole = false;
  for (const DiffPiece& piece : pieces) whole = whole || piece.text.find("\xd1\x86\xd0\xb5\xd0\xbd\xd0\xb0") == 0;
  EXPECT_TRUE(whole);
}

}  // namespace
}  // namespace quorvex::text
