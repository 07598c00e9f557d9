#include "gui/textview/make_pattern.h"

namespace quorvex::gui {

namespace {

// Stands in for the core's pattern suggestion (text/pattern_suggest.h) until it is part of the
// program: makes no pattern. Then this becomes
//   const text::PatternSuggestion s = text::SuggestPattern(page, start, length);
//   return s.Ok() ? s.pattern : std::string();
std::string SuggestPatternStub(const std::string& /*page*/, size_t /*start*/, size_t /*length*/) {
  return {};
}

}  // namespace

std::string MakePatternFor(const std::string& page, size_t start, size_t length) {
  if (length == 0 || start >= page.size() || length > page.size() - start) return {};
  return SuggestPatternStub(page, start, length);
}

}  // namespace quorvex::gui
