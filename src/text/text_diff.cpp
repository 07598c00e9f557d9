#include "text/text_diff.h"

#include <algorithm>
#include <cctype>
#include <dtl/dtl.hpp>
#include <unordered_map>

#include "text/value_text.h"

namespace quorvex::text {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// Lines without their '\n'; a final line without one still counts, an empty text has none.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Elements that start a new line on a rendered page; their tags start one here too, so that the text
// of a table cell or a heading does not run into the next one once the tags are gone.
bool IsBlockTag(std::string_view text, size_t at) {
  static constexpr std::string_view kBlocks[] = {
      "address", "article", "aside", "blockquote", "body", "br",    "dd",     "div", "dl",   "dt",
      "footer",  "form",    "h1",    "h2",         "h3",   "h4",    "h5",     "h6",  "head", "header",
      "hr",      "html",    "li",    "main",       "nav",  "ol",    "option", "p",   "pre",  "section",
      "table",   "tbody",   "td",    "tfoot",      "th",   "thead", "title",  "tr",  "ul"};
  size_t name = at + 1;
  if (name < text.size() && text[name] == '/') ++name;
  size_t end = name;
  while (end < text.size() && std::isalnum(static_cast<unsigned char>(text[end]))) ++end;
  if (end == name) return false;
  std::string tag(text.substr(name, end - name));
  for (char& c : tag) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (std::string_view block : kBlocks) {
    if (tag == block) return true;
  }
  return false;
}

std::string BreakAtBlocks(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<' && IsBlockTag(text, i)) out.push_back('\n');
    out.push_back(text[i]);
  }
  return out;
}

std::string FoldBlanks(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (!IsBlank(c)) {
      out += c;
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The edit script of two sequences of equal-comparable items, compared as numbers (one per distinct
// item) so the diff compares integers, not strings.
template <class Item>
dtl::Ses<int> EditScript(const std::vector<Item>& a, const std::vector<Item>& b) {
  std::unordered_map<Item, int> ids;
  auto numbered = [&ids](const std::vector<Item>& items) {
    std::vector<int> out;
    out.reserve(items.size());
    for (const Item& item : items) out.push_back(ids.emplace(item, static_cast<int>(ids.size())).first->second);
    return out;
  };
  std::vector<int> na = numbered(a);
  std::vector<int> nb = numbered(b);
  dtl::Diff<int> diff(na, nb);
  diff.compose();
  return diff.getSes();
}

DiffKind KindOf(dtl::edit_t type) {
  return type == dtl::SES_ADD ? DiffKind::Added : type == dtl::SES_DELETE ? DiffKind::Removed : DiffKind::Same;
}

std::vector<std::string_view> Words(std::string_view line) {
  auto isWord = [](unsigned char c) { return std::isalnum(c) || c >= 0x80; };
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    size_t end = i + 1;
    if (isWord(line[i])) {
      while (end < line.size() && isWord(line[end])) ++end;
    }
    words.push_back(line.substr(i, end - i));
    i = end;
  }
  return words;
}

// Within each run of changes the removed items first, as a reader compares them.
template <class Item>
void RemovedFirst(std::vector<Item>& items) {
  for (size_t run = 0; run < items.size();) {
    size_t end = run;
    while (end < items.size() && items[end].kind != DiffKind::Same) ++end;
    std::stable_partition(items.begin() + run, items.begin() + end,
                          [](const Item& item) { return item.kind == DiffKind::Removed; });
    run = end == run ? run + 1 : end;
  }
}

}  // namespace

std::vector<std::string> DiffLines(std::string_view text, DiffForm form) {
  if (form == DiffForm::Raw) return SplitLines(text);
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(CleanText(BreakAtBlocks(text), true, 0))) {
    std::string folded = FoldBlanks(line);
    if (!folded.empty()) lines.push_back(std::move(folded));
  }
  return lines;
}

std::vector<DiffHunk> DiffTexts(std::string_view older, std::string_view newer, DiffForm form, size_t context) {
  const std::vector<std::string> a = DiffLines(older, form);
  const std::vector<std::string> b = DiffLines(newer, form);
  // Every line of both in script order, numbered.
  std::vector<DiffLine> all;
  size_t oldLine = 0, newLine = 0;
  for (const auto& [id, info] : EditScript(a, b).getSequence()) {
    DiffLine line;
    line.kind = KindOf(info.type);
    if (line.kind != DiffKind::Added) line.oldLine = ++oldLine;
    if (line.kind != DiffKind::Removed) line.newLine = ++newLine;
    line.text = line.kind == DiffKind::Added ? b[newLine - 1] : a[oldLine - 1];
    all.push_back(std::move(line));
  }
  RemovedFirst(all);
  std::vector<DiffHunk> hunks;
  size_t i = 0;
  while (i < all.size()) {
    if (all[i].kind == DiffKind::Same) {
      ++i;
      continue;
    }
    // The hunk runs from context lines before this change to context lines after the last change that
    // is at most 2 * context unchanged lines from the one before it.
    const size_t first = i >= context ? i - context : 0;
    size_t last = i;  // the last changed line
    for (size_t j = i + 1; j < all.size() && j <= last + 2 * context + 1; ++j) {
      if (all[j].kind != DiffKind::Same) last = j;
    }
    const size_t end = std::min(all.size(), last + context + 1);
    DiffHunk hunk;
    size_t oldBefore = 0, newBefore = 0;  // lines of each text before the hunk
    for (size_t j = first; j-- > 0;) {
      if (all[j].oldLine != 0 && oldBefore == 0) oldBefore = all[j].oldLine;
      if (all[j].newLine != 0 && newBefore == 0) newBefore = all[j].newLine;
      if (oldBefore != 0 && newBefore != 0) break;
    }
    for (size_t j = first; j < end; ++j) {
      hunk.oldCount += all[j].kind != DiffKind::Added;
      hunk.newCount += all[j].kind != DiffKind::Removed;
      hunk.lines.push_back(all[j]);
    }
    hunk.oldStart = oldBefore + (hunk.oldCount > 0 ? 1 : 0);
    hunk.newStart = newBefore + (hunk.newCount > 0 ? 1 : 0);
    hunks.push_back(std::move(hunk));
    i = end;
  }
  return hunks;
}

std::vector<DiffPiece> DiffWords(std::string_view older, std::string_view newer) {
  const std::vector<std::string_view> a = Words(older);
  const std::vector<std::string_view> b = Words(newer);
  std::vector<DiffPiece> words;
  size_t ai = 0, bi = 0;
  for (const auto& [id, info] : EditScript(a, b).getSequence()) {
    const DiffKind kind = KindOf(info.type);
    words.push_back(DiffPiece{kind, std::string(kind == DiffKind::Added ? b[bi] : a[ai])});
    if (kind != DiffKind::Added) ++ai;
    if (kind != DiffKind::Removed) ++bi;
  }
  RemovedFirst(words);
  // Neighbouring pieces of one kind read as one.
  std::vector<DiffPiece> pieces;
  for (DiffPiece& word : words) {
    if (!pieces.empty() && pieces.back().kind == word.kind) {
      pieces.back().text += word.text;
    } else {
      pieces.push_back(std::move(word));
    }
  }
  return pieces;
}

}  // namespace quorvex::text
