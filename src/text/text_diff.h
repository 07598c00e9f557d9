#pragma once
// Line differences between two page texts, the answer to "what changed on the page": as hunks of
// lines for a view or the console, and word by word within a changed line. Pure functions, any thread.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::text {

enum class DiffForm {
  // A new line at every block element's tag (paragraph, cell, heading, list item...), tags removed as
  // CleanText removes them, blank runs folded to one space, lines trimmed and empty
  // lines dropped: a page whose markup changed but whose text did not shows no change.
  TextOnly,
  // The page text as it is, line by line.
  Raw,
};

enum class DiffKind { Same, Added, Removed };

struct DiffLine {
  DiffKind kind = DiffKind::Same;
  std::string text;
  size_t oldLine = 0;  // 1-based line of the older text (in the form compared); 0 for an added line
  size_t newLine = 0;  // 1-based line of the newer text; 0 for a removed line
};

// A run of changes with its context, counted as a unified diff's "@@ -oldStart,oldCount
// +newStart,newCount @@" line counts it (a start is the line before the hunk when its count is 0).
struct DiffHunk {
  size_t oldStart = 0, oldCount = 0, newStart = 0, newCount = 0;
  std::vector<DiffLine> lines;  // in order: removed lines of a change come before its added ones
};

// The lines of text as form compares them.
std::vector<std::string> DiffLines(std::string_view text, DiffForm form);

// The changes from older to newer, each hunk with up to context unchanged lines before and after its
// changes (hunks whose contexts would touch are one). Empty when both are equal in form.
std::vector<DiffHunk> DiffTexts(std::string_view older, std::string_view newer, DiffForm form, size_t context = 3);

// A piece of a changed line: Same in both lines, Removed only in the older, Added only in the newer.
struct DiffPiece {
  DiffKind kind = DiffKind::Same;
  std::string text;
};
// Word-level differences between a removed line and the added line that took its place. Words are
// runs of letters, digits and bytes from 0x80 up (so UTF-8 and Windows-1251 letters stay whole); every
// other byte is a piece of its own. Joining the Same and Removed pieces gives older back, the Same and
// Added pieces newer.
std::vector<DiffPiece> DiffWords(std::string_view older, std::string_view newer);

}  // namespace quorvex::text
