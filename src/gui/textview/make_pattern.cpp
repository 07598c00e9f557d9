#include "gui/textview/make_pattern.h"

#include "text/pattern_suggest.h"

namespace quorvex::gui {

std::string MakePatternFor(const std::string& page, size_t start, size_t length) {
  if (length == 0 || start >= page.size() || length > page.size() - start) return {};
  const text::PatternSuggestion suggestion = text::SuggestPattern(page, start, length);
  return suggestion.Ok() ? suggestion.pattern : std::string();
}

}  // namespace quorvex::gui
