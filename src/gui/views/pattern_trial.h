#pragma once
// The link tab's pattern test, without windows: the pattern runs exactly as a check of the page will
// run it, so that a pattern passing the test also passes every check (and the other way round). A
// check matches the pattern as stored (every CR removed) over the page text as fetched (CR removed, cut
// at the session's page limit) after the page's code-page conversion. Pure functions, any thread.
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/pattern_matcher.h"

namespace quorvex::gui {

struct PatternTrial {
  int32_t result = text::MatchOk;
  std::string value;
  // Whether the value's place is known, and where the value's first non-blank byte lies in the page
  // text (which is a prefix of the text tried, so the offset holds there too).
  bool located = false;
  size_t offset = 0;
  // The bytes of the value's first line (up to its first LF).
  size_t firstLineLength = 0;
};

// The pattern as a beacon stores it: the text with every CR removed.
std::string StoredPatternForm(std::string pattern);
// The page text as a check sees it: every CR removed, at most pageLimit - 1 bytes.
std::string CheckedPageText(std::string text, size_t pageLimit);
// Runs the stored form of pattern over the checked form of pageText (already converted to the page's
// character set).
PatternTrial TryPattern(const std::string& pageText, const std::string& pattern, size_t pageLimit);
// The byte offset of a line and column in text; text.size() when the place lies beyond it.
size_t ByteOffset(const std::string& text, text::TextPosition position);

}  // namespace quorvex::gui
