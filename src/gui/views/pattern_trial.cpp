#include "gui/views/pattern_trial.h"

#include <algorithm>

#include "text/page_text.h"

namespace quorvex::gui {

std::string StoredPatternForm(std::string pattern) {
  pattern.erase(std::remove(pattern.begin(), pattern.end(), '\r'), pattern.end());
  return pattern;
}

std::string CheckedPageText(std::string text, size_t pageLimit) {
  return text::PreparePageText(std::move(text), pageLimit);
}

PatternTrial TryPattern(const std::string& pageText, const std::string& pattern, size_t pageLimit) {
  const std::string page = CheckedPageText(pageText, pageLimit);
  text::WDPatternMatcher matcher(page.data(), page.size(), StoredPatternForm(pattern));
  PatternTrial trial;
  trial.result = matcher.Extract();
  if (trial.result != text::MatchOk) return trial;
  trial.value = matcher.GetValue();
  const size_t lineEnd = trial.value.find('\n');
  trial.firstLineLength = lineEnd == std::string::npos ? trial.value.size() : lineEnd;
  // A pattern without a capture, or the checksum of an empty pattern, has no place in the page.
  if (!trial.value.empty() && !pattern.empty()) {
    trial.offset = ByteOffset(page, matcher.GetValuePosition());
    trial.located = trial.offset < page.size();
  }
  return trial;
}

size_t ByteOffset(const std::string& text, text::TextPosition position) {
  size_t lineStart = 0;
  for (int32_t line = 0; line < position.line; ++line) {
    const size_t lf = text.find('\n', lineStart);
    if (lf == std::string::npos) return text.size();
    lineStart = lf + 1;
  }
  return std::min(text.size(), lineStart + static_cast<size_t>(std::max<int32_t>(position.column, 0)));
}

}  // namespace quorvex::gui
