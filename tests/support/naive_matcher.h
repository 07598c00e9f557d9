#pragma once
// A slow, obvious extraction over already parsed pieces, for checking the fast searches of
// WDPatternMatcher: every search here is the standard library's plain find or rfind.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/pattern_matcher.h"

namespace quorvex::testing {

struct NaiveOutcome {
  int32_t result = 0;
  std::string value;
};

// text must not hold a NUL (it is the whole text).
inline NaiveOutcome NaiveExtract(std::string_view text, const text::WDPatternMatcher::PieceList& pieces) {
  using text::WDPatternPiece;
  constexpr size_t npos = std::string_view::npos;
  // The pivot: the first literal that occurs only once from its first occurrence on.
  size_t p = 0, pivot = 0;
  for (; pivot < pieces.size(); ++pivot) {
    if (!pieces[pivot]->IsLiteral()) continue;
    p = text.find(pieces[pivot]->m_strText, p);
    if (p == npos) return {text::MatchNotFound, ""};
    if (text.find(pieces[pivot]->m_strText, p + 1) == npos) break;
  }
  if (pivot == pieces.size()) return {text::MatchAmbiguous, ""};
  // Each earlier literal: its last occurrence that begins before the next one (it may run past it).
  for (size_t k = pivot; k-- > 0;) {
    if (!pieces[k]->IsLiteral()) continue;
    p = p == 0 ? npos : text.rfind(pieces[k]->m_strText, p - 1);
    if (p == npos) return {text::MatchNotFound, ""};
  }

  NaiveOutcome outcome;
  for (size_t i = 0; i < pieces.size();) {
    p += pieces[i]->m_strText.size();
    size_t j = i + 1;
    while (j < pieces.size() && !pieces[j]->IsLiteral()) ++j;
    size_t end = j < pieces.size() ? text.find(pieces[j]->m_strText, p) : text.size();
    if (end == npos) return {text::MatchNotFound, ""};
    for (size_t k = i + 1; k < j; ++k) {
      size_t len = end - p;
      if (pieces[k]->m_nCount != 0 && static_cast<size_t>(pieces[k]->m_nCount) < len) len = pieces[k]->m_nCount;
      if (pieces[k]->m_nKind == WDPatternPiece::PieceCapture) {
        outcome.value = std::string(text.substr(p, len));
        outcome.value.erase(0, outcome.value.find_first_not_of(" \n\r\t"));
      }
      p += len;
    }
    p = end;
    i = j;
  }
  return outcome;
}

}  // namespace quorvex::testing
