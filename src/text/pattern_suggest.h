#pragma once
// Writes a search pattern for the user: given a page text and a selected stretch of it, finds a
// pattern of the pattern language (doc/pattern-language.md) whose extraction gives that stretch, and
// which is likely to keep finding the corresponding value when the page changes the way pages do.
//
// Contract:
// - page is the text exactly as a beacon's matcher sees it: prepared by PreparePageText (CR bytes
//   dropped, cut to the fetch buffer) and converted by ConvertCodePage. It ends at its first NUL
//   byte, like the matcher's text.
// - The selection [offset, offset + length) is trimmed of blanks (space, TAB, LF, CR, VT, FF) at both
//   ends; what remains, V, must not be empty. A suggested pattern, run by WDPatternMatcher over page,
//   returns a value that is V followed only by the blanks that follow V in the page (the matcher keeps
//   a value's trailing blanks up to the next piece of text, and no piece of text can begin with a
//   blank), and its GetValuePosition is the place of V. So "the value" is V: the value with trailing
//   blanks removed equals V, at V's place, not at another occurrence of the same text.
// - Every suggestion is checked with the real matcher before it is returned.
// - Pure function of its arguments: no globals, any thread, no exceptions.
//
// How it chooses: the text around V is split into stable parts (markup, attribute names, labels and
// headings, JSON keys, units next to the value) and volatile parts (numbers, dates, month and day
// names, other text between tags, quoted values). Candidate patterns use stable text as literals and
// step over volatile text with "{}"; they are tried from the shortest. Each one that works on the page
// is tried again on two simulated later states of the page: one with every number, date and the value
// itself changed (lengths too), one that also changes the other texts between tags. A pattern that
// works on both wins; otherwise the shortest that survives the number change; otherwise the shortest
// that works on the page as it is.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "text/pattern_matcher.h"

namespace quorvex::text {

enum class SuggestStatus {
  Ok,
  EmptySelection,  // the selection is empty or only blanks
  OutsideText,     // the selection reaches past the text (or past its first NUL byte)
  NoPattern,       // no pattern within the limits extracts exactly the selection
};

// How well a suggested pattern held up against the simulated later states of the page.
enum class SuggestStrength {
  SurvivesChanges,        // numbers, dates, the value and the texts around it changed
  SurvivesNumberChanges,  // numbers, dates and the value changed
  WorksOnThisPage,        // only checked on the page as it is
};

struct SuggestOptions {
  // The longest pattern (bytes) worth proposing.
  size_t maxPatternLength = 200;
  // How far before and after the value literals are taken from (bytes).
  size_t leftWindow = 400;
  size_t rightWindow = 160;
  // The most candidates run over the page before giving up.
  int maxCandidates = 800;
};

struct PatternSuggestion {
  SuggestStatus status = SuggestStatus::NoPattern;
  std::string pattern;  // set when status is Ok
  SuggestStrength strength = SuggestStrength::WorksOnThisPage;
  // Where V, the trimmed selection, lies in page (valid unless the selection was empty or outside).
  size_t valueOffset = 0;
  size_t valueLength = 0;

  bool Ok() const { return status == SuggestStatus::Ok; }
};

PatternSuggestion SuggestPattern(std::string_view page, size_t offset, size_t length,
                                 const SuggestOptions& options = {});

// The byte offset of a place given as 0-based line and column (bytes), the form GetValuePosition
// reports; nullopt when the line does not exist or the column lies past its end.
std::optional<size_t> OffsetOfPosition(std::string_view page, TextPosition position);

// The place of a byte offset as 0-based line and column (offset may be page.size()).
TextPosition PositionOfOffset(std::string_view page, size_t offset);

}  // namespace quorvex::text
