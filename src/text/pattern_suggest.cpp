#include "text/pattern_suggest.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace quorvex::text {
namespace {

// Lexical kind of a token.
enum class Kind : uint8_t { Blank, Word, Number, Punct, Raw };
// How a token may appear in a pattern: kept as literal text, stepped over, or never written.
enum class Cls : uint8_t { Blank, Stable, Content, Volatile, Raw };

struct Token {
  uint32_t begin;
  uint32_t end;
  Kind kind;
  Cls cls = Cls::Stable;
  bool textWord = false;   // a word of the page's text (outside markup and quotes), still to classify
  bool nodeLabel = false;  // in a text node that labels (heading, table header, first cell of a row)
};

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool IsWordByte(unsigned char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
// Bytes a literal cannot hold: "{" opens a brace piece; control bytes would reach a terminal.
bool IsRawByte(unsigned char c) {
  return c == '{' || c == 0x7f || (c < 0x20 && c != '\t' && c != '\n');
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// Words that change from day to day as numbers do.
bool IsVolatileWord(std::string_view word) {
  static constexpr std::array<std::string_view, 31> kWords = {
      "jan",      "feb",      "mar",     "apr",      "may",   "jun",   "jul",  "aug",  "sep",    "sept",      "oct",
      "nov",      "dec",      "january", "february", "march", "april", "june", "july", "august", "september", "october",
      "november", "december", "mon",     "tue",      "wed",   "thu",   "fri",  "sat",  "sun"};
  static constexpr std::array<std::string_view, 12> kMore = {"monday", "tuesday",  "wednesday", "thursday",
                                                             "friday", "saturday", "sunday",    "am",
                                                             "pm",     "true",     "false",     "null"};
  if (word.size() > 9) return false;
  const std::string lower = Lower(word);
  return std::find(kWords.begin(), kWords.end(), lower) != kWords.end() ||
         std::find(kMore.begin(), kMore.end(), lower) != kMore.end();
}

bool IsLabelTag(const std::string& tag) {
  static constexpr std::array<std::string_view, 13> kTags = {"th", "dt",    "h1",      "h2",     "h3",    "h4",   "h5",
                                                             "h6", "label", "caption", "legend", "title", "thead"};
  return std::find(kTags.begin(), kTags.end(), tag) != kTags.end();
}

// JSON keys whose values identify an object rather than describe it.
bool IsNamingKey(const std::string& key) {
  static constexpr std::array<std::string_view, 9> kKeys = {"id",   "name",   "sku",    "code", "key",
                                                            "slug", "symbol", "ticker", "uuid"};
  return std::find(kKeys.begin(), kKeys.end(), key) != kKeys.end();
}

// Attributes whose values are text of the page (links, titles), not names of its structure.
bool IsContentAttribute(const std::string& name) {
  static constexpr std::array<std::string_view, 11> kNames = {
      "href", "src", "title", "alt", "content", "value", "datetime", "action", "srcset", "label", "placeholder"};
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

std::vector<Token> Lex(std::string_view t) {
  std::vector<Token> tokens;
  tokens.reserve(t.size() / 3 + 8);
  const size_t n = t.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(t[i]);
    size_t j = i + 1;
    Kind kind = Kind::Punct;
    if (IsBlank(c)) {
      while (j < n && IsBlank(static_cast<unsigned char>(t[j]))) ++j;
      kind = Kind::Blank;
    } else if (IsWordByte(c)) {
      bool digit = IsDigit(c);
      while (j < n && IsWordByte(static_cast<unsigned char>(t[j])))
        digit |= IsDigit(static_cast<unsigned char>(t[j++]));
      kind = digit || IsVolatileWord(t.substr(i, j - i)) ? Kind::Number : Kind::Word;
      // 1,234.50  2024-01-05  12:30  3.2.1: one number.
      while (digit && j + 1 < n && t[j] != 0 && std::strchr(".,:/-", t[j]) &&
             IsDigit(static_cast<unsigned char>(t[j + 1]))) {
        j += 2;
        while (j < n && IsWordByte(static_cast<unsigned char>(t[j]))) ++j;
      }
    } else if (IsRawByte(c)) {
      kind = Kind::Raw;
    } else if (c == '&') {
      // A character reference (&middot; &#8212;) is markup, however many digits it has.
      size_t e = j < n && t[j] == '#' ? j + 1 : j;
      while (e < n && e < i + 12 && IsWordByte(static_cast<unsigned char>(t[e])) && t[e] < 0x7f) ++e;
      if (e < n && e > j && t[e] == ';') j = e + 1;
    }
    tokens.push_back({static_cast<uint32_t>(i), static_cast<uint32_t>(j), kind});
    i = j;
  }
  return tokens;
}

// Gives every token its class from where it stands: markup, attribute values, JSON keys and values,
// text nodes. One pass, then the text words by the phrase they belong to.
void Classify(std::string_view t, std::vector<Token>& tokens) {
  auto byte = [&](const Token& k) { return t[k.begin]; };
  const size_t count = tokens.size();
  bool in_tag = false;
  bool name_next = false;
  bool closing = false;
  char quote = 0;
  bool content_attr = false;
  std::string tag_name;
  std::string attr_name;
  bool node_label = false;
  bool row_first = false;      // the next text node is the first of a table row
  bool node_is_first = false;  // the current node is that one
  bool previous_key = false;   // the last quoted string was an identifying key
  for (size_t k = 0; k < count; ++k) {
    Token& tok = tokens[k];
    switch (tok.kind) {
      case Kind::Blank:
        tok.cls = Cls::Blank;
        break;
      case Kind::Raw:
        tok.cls = Cls::Raw;
        break;
      case Kind::Number:
        tok.cls = Cls::Volatile;
        break;
      default:
        tok.cls = Cls::Stable;
        break;
    }
    if (tok.kind == Kind::Raw || tok.kind == Kind::Blank) continue;
    if (in_tag) {
      if (quote) {
        if (tok.kind == Kind::Punct && byte(tok) == quote) {
          quote = 0;
        } else if (tok.kind == Kind::Word && content_attr) {
          tok.cls = Cls::Content;
        }
        continue;
      }
      if (tok.kind == Kind::Punct) {
        const char c = byte(tok);
        if (c == '>') {
          in_tag = false;
          if (!closing && tag_name == "tr") row_first = true;
          node_label = !closing && IsLabelTag(tag_name);
          node_is_first = false;
        } else if (c == '/' && name_next) {
          closing = true;
        } else if (c == '"' || c == '\'') {
          quote = c;
          content_attr = IsContentAttribute(attr_name);
        }
        continue;
      }
      // A word or a number: the tag's name ("h2" is markup, not a number), or an attribute name.
      std::string word = Lower(t.substr(tok.begin, tok.end - tok.begin));
      if (name_next) {
        tag_name = word;
        name_next = false;
        tok.cls = Cls::Stable;
      } else if (tok.kind == Kind::Word) {
        attr_name = word;
      }
      continue;
    }
    if (tok.kind == Kind::Punct) {
      const char c = byte(tok);
      if (c == '<' && k + 1 < count && tokens[k + 1].kind != Kind::Blank &&
          (tokens[k + 1].kind != Kind::Punct || std::strchr("/!?", byte(tokens[k + 1])))) {
        in_tag = true;
        name_next = true;
        closing = false;
        tag_name.clear();
        attr_name.clear();
        if (node_is_first) row_first = false;
        node_is_first = false;
        continue;
      }
      if (c == '"') {
        // A quoted string on one line: a JSON key when a colon follows, else a quoted value.
        size_t close = k + 1;
        while (close < count && close < k + 64 && !(tokens[close].kind == Kind::Punct && byte(tokens[close]) == '"') &&
               !(tokens[close].kind == Kind::Blank &&
                 std::memchr(t.data() + tokens[close].begin, '\n', tokens[close].end - tokens[close].begin)) &&
               !(tokens[close].kind == Kind::Punct && byte(tokens[close]) == '<'))
          ++close;
        if (close < count && close < k + 64 && byte(tokens[close]) == '"') {
          size_t after = close + 1;
          while (after < count && tokens[after].kind == Kind::Blank) ++after;
          const bool key = after < count && tokens[after].kind == Kind::Punct && byte(tokens[after]) == ':';
          // The value of an identifying key ("sku": "A-12") names its object as a label does.
          const bool names = previous_key;
          previous_key = key && IsNamingKey(Lower(t.substr(tokens[k].end, tokens[close].begin - tokens[k].end)));
          for (size_t m = k + 1; m < close; ++m) {
            Token& inner = tokens[m];
            if (inner.kind == Kind::Blank) {
              inner.cls = Cls::Blank;
            } else if (inner.kind == Kind::Raw) {
              inner.cls = Cls::Raw;
            } else if (inner.kind == Kind::Number) {
              inner.cls = Cls::Volatile;
            } else {
              inner.cls = key || names ? Cls::Stable : Cls::Content;
            }
          }
          tokens[close].cls = Cls::Stable;
          k = close;
        }
        continue;
      }
      continue;
    }
    // Text of the page.
    if (row_first) node_is_first = true;
    if (tok.kind == Kind::Word) {
      tok.textWord = true;
      tok.nodeLabel = node_label || node_is_first;
    }
  }

  // A phrase of text words labels what follows when a colon, an equals sign or a number comes next on
  // its line ("Price: 12", "Version 2.3.1"); otherwise it is text that may change.
  for (size_t k = 0; k < count;) {
    if (!tokens[k].textWord) {
      ++k;
      continue;
    }
    size_t end = k;
    bool label = false;
    while (end < count) {
      const Token& tok = tokens[end];
      if (tok.textWord) {
        label |= tok.nodeLabel;
        ++end;
      } else if (tok.kind == Kind::Blank && !std::memchr(t.data() + tok.begin, '\n', tok.end - tok.begin) &&
                 end + 1 < count && tokens[end + 1].textWord) {
        ++end;
      } else {
        break;
      }
    }
    size_t next = end;
    if (next < count && tokens[next].kind == Kind::Blank &&
        !std::memchr(t.data() + tokens[next].begin, '\n', tokens[next].end - tokens[next].begin))
      ++next;
    if (next < count) {
      const Token& after = tokens[next];
      label |= after.kind == Kind::Number || (after.kind == Kind::Punct && (byte(after) == ':' || byte(after) == '='));
    }
    for (size_t m = k; m < end; ++m) {
      if (tokens[m].textWord) tokens[m].cls = label ? Cls::Stable : Cls::Content;
    }
    k = end;
  }
}

// Words in the value's own stretch of text ("12.50 EUR", "42 comments") are its units and labels.
void KeepValueNeighbours(std::string_view t, size_t vs, size_t ve, std::vector<Token>& tokens) {
  constexpr std::string_view kNodeEnds = "<>\n\"{}[],;|";
  size_t lo = vs;
  while (lo > 0 && kNodeEnds.find(t[lo - 1]) == std::string_view::npos) --lo;
  size_t hi = ve;
  while (hi < t.size() && kNodeEnds.find(t[hi]) == std::string_view::npos) ++hi;
  for (Token& tok : tokens) {
    if (tok.begin >= lo && tok.end <= hi && tok.cls == Cls::Content) tok.cls = Cls::Stable;
  }
}

// A stretch of the page in a pattern candidate: a token, clipped to the window.
struct Unit {
  uint32_t begin;
  uint32_t end;
  Cls cls;
};

// What a candidate writes as literal text: stable text only, also text that may change, or, as a last
// resort, numbers too (a pattern that holds today, if not tomorrow).
enum Keep : uint8_t { kKeepStable, kKeepContent, kKeepAll };

bool Keeps(Cls cls, Keep keep) {
  return cls == Cls::Stable || cls == Cls::Blank || (keep >= kKeepContent && cls == Cls::Content) ||
         (keep == kKeepAll && cls == Cls::Volatile);
}

int Weight(Cls cls) {
  return cls == Cls::Volatile ? 6 : cls == Cls::Content ? 2 : 1;
}

bool HasLineBreak(std::string_view t, const Unit& u) {
  return u.cls == Cls::Blank && std::memchr(t.data() + u.begin, '\n', u.end - u.begin) != nullptr;
}

// Writes units as pattern pieces: kept runs as literal text, the rest as "{}". Blanks that break the
// line become "{}" too, so that a page indented anew still matches; other blanks inside a literal
// stay, and blanks at a literal's ends are dropped (the matcher ignores them). forced (an index into
// units) is kept whatever its class: the text next to the value has no choice. Returns false when
// the pieces would not form a pattern (a step over at an end).
bool AppendPieces(std::string_view t, const std::vector<Unit>& units, size_t from, size_t to, Keep keep, size_t forced,
                  std::string& out) {
  bool skip = false;      // a step over is due before the next literal text
  bool written = false;   // literal text of this part was written
  size_t blank_from = 0;  // pending blanks, kept only when literal text follows
  bool blank = false;
  bool blank_breaks = false;
  for (size_t u = from; u < to; ++u) {
    const Unit& unit = units[u];
    if (unit.cls == Cls::Blank) {
      if (!blank) blank_from = unit.begin;
      blank = true;
      blank_breaks |= HasLineBreak(t, unit);
      continue;
    }
    if (u == forced || Keeps(unit.cls, keep)) {
      if (unit.cls == Cls::Raw) return false;
      if (blank && blank_breaks && written) skip = true;
      if (skip && written) {
        out += "{}";
      } else if (blank && written) {
        out.append(t.substr(blank_from, unit.begin - blank_from));
      }
      skip = false;
      out.append(t.substr(unit.begin, unit.end - unit.begin));
      written = true;
    } else {
      skip = true;
    }
    blank = false;
    blank_breaks = false;
  }
  return written && !skip;
}

struct Candidate {
  int cost;
  uint32_t left;   // index of the first left unit
  uint32_t right;  // number of right units
  Keep keepLeft;
  Keep keepRight;
};

// The page as it might look later: every number and date changed (in length too), the value changed,
// and with change_text also the text of the page that is not a label.
struct Variant {
  std::string text;
  std::string value;
  TextPosition position;
};

void AppendChanged(std::string_view src, Cls cls, bool change_text, bool lengthen, std::string& out) {
  const bool change = cls == Cls::Volatile || (change_text && cls == Cls::Content);
  if (!change) {
    out.append(src);
    return;
  }
  // Numbers change their digits ("v2.3" stays a "v" version); words change their letters.
  const bool has_digit =
      std::any_of(src.begin(), src.end(), [](char c) { return IsDigit(static_cast<unsigned char>(c)); });
  for (char ch : src) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (IsDigit(c)) {
      c = static_cast<unsigned char>('0' + (c - '0' + 5) % 10);
    } else if (!has_digit && c >= 'a' && c <= 'z') {
      c = static_cast<unsigned char>('a' + (c - 'a' + 13) % 26);
    } else if (!has_digit && c >= 'A' && c <= 'Z') {
      c = static_cast<unsigned char>('A' + (c - 'A' + 13) % 26);
    }
    out.push_back(static_cast<char>(c));
  }
  if (lengthen && !src.empty()) out.push_back(IsDigit(static_cast<unsigned char>(src.back())) ? '3' : 'x');
}

Variant MakeVariant(std::string_view t, const std::vector<Token>& tokens, size_t vs, size_t ve, bool change_text) {
  Variant v;
  v.text.reserve(t.size() + t.size() / 8);
  size_t index = 0;
  auto copy_range = [&](size_t lo, size_t hi) {
    for (const Token& tok : tokens) {
      const size_t b = std::max<size_t>(tok.begin, lo);
      const size_t e = std::min<size_t>(tok.end, hi);
      if (b >= e) continue;
      const bool whole = b == tok.begin && e == tok.end;
      AppendChanged(t.substr(b, e - b), tok.cls, change_text, whole && (++index % 2 == 0), v.text);
    }
  };
  copy_range(0, vs);
  const size_t value_start = v.text.size();
  AppendChanged(t.substr(vs, ve - vs), Cls::Volatile, true, true, v.text);
  v.value = v.text.substr(value_start);
  v.position = PositionOfOffset(v.text, value_start);
  copy_range(ve, t.size());
  return v;
}

bool Extracts(std::string_view t, const std::string& pattern, std::string_view value, TextPosition position) {
  WDPatternMatcher matcher(t.data(), t.size(), pattern);
  if (matcher.Extract() != MatchOk) return false;
  std::string_view got = matcher.GetValue();
  while (!got.empty() && IsBlank(static_cast<unsigned char>(got.back()))) got.remove_suffix(1);
  return got == value && matcher.GetValuePosition() == position;
}

}  // namespace

TextPosition PositionOfOffset(std::string_view page, size_t offset) {
  offset = std::min(offset, page.size());
  TextPosition position;
  size_t line_start = 0;
  for (size_t i = 0; i < offset; ++i) {
    if (page[i] == '\n') {
      ++position.line;
      line_start = i + 1;
    }
  }
  position.column = static_cast<int32_t>(offset - line_start);
  return position;
}

std::optional<size_t> OffsetOfPosition(std::string_view page, TextPosition position) {
  if (position.line < 0 || position.column < 0) return std::nullopt;
  size_t line_start = 0;
  for (int32_t line = 0; line < position.line; ++line) {
    const size_t lf = page.find('\n', line_start);
    if (lf == std::string_view::npos) return std::nullopt;
    line_start = lf + 1;
  }
  size_t line_end = page.find('\n', line_start);
  if (line_end == std::string_view::npos) line_end = page.size();
  if (static_cast<size_t>(position.column) > line_end - line_start) return std::nullopt;
  return line_start + static_cast<size_t>(position.column);
}

PatternSuggestion SuggestPattern(std::string_view page, size_t offset, size_t length, const SuggestOptions& options) {
  PatternSuggestion result;
  if (const void* nul = std::memchr(page.data(), 0, page.size())) {
    page = page.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - page.data()));
  }
  // Token places are 32-bit; pages are far smaller (the fetch buffer holds 52,000 bytes).
  if (page.size() >= UINT32_MAX) page = page.substr(0, UINT32_MAX - 1);
  if (offset > page.size() || length > page.size() - offset) {
    result.status = SuggestStatus::OutsideText;
    return result;
  }
  size_t vs = offset;
  size_t ve = offset + length;
  while (vs < ve && IsBlank(static_cast<unsigned char>(page[vs]))) ++vs;
  while (ve > vs && IsBlank(static_cast<unsigned char>(page[ve - 1]))) --ve;
  if (vs == ve) {
    result.status = SuggestStatus::EmptySelection;
    return result;
  }
  result.valueOffset = vs;
  result.valueLength = ve - vs;
  const std::string_view value = page.substr(vs, ve - vs);
  const TextPosition position = PositionOfOffset(page, vs);

  std::vector<Token> tokens = Lex(page);
  Classify(page, tokens);
  KeepValueNeighbours(page, vs, ve, tokens);

  // Units of the windows before and after the value; tokens cut by the value or a window edge are
  // cut with it.
  const size_t left_lo = vs > options.leftWindow ? vs - options.leftWindow : 0;
  const size_t right_hi = std::min(page.size(), ve + options.rightWindow);
  std::vector<Unit> left;
  std::vector<Unit> right;
  for (const Token& tok : tokens) {
    if (tok.end > left_lo && tok.begin < vs) {
      left.push_back({std::max<uint32_t>(tok.begin, left_lo), std::min<uint32_t>(tok.end, vs), tok.cls});
    }
    if (tok.end > ve && tok.begin < right_hi) {
      right.push_back({std::max<uint32_t>(tok.begin, ve), std::min<uint32_t>(tok.end, right_hi), tok.cls});
    }
  }
  // The text next to the value must be literal whatever it is.
  size_t left_forced = left.size();
  while (left_forced > 0 && left[left_forced - 1].cls == Cls::Blank) --left_forced;
  if (left_forced == 0 || left[left_forced - 1].cls == Cls::Raw) return result;  // nothing can come before
  --left_forced;
  size_t right_forced = 0;
  while (right_forced < right.size() && right[right_forced].cls == Cls::Blank) ++right_forced;
  const bool value_ends_page = right_forced == right.size() && right_hi == page.size();
  if (!value_ends_page && (right_forced == right.size() || right[right_forced].cls == Cls::Raw)) return result;

  auto byte_at = [&](size_t i) { return i < page.size() ? static_cast<unsigned char>(page[i]) : 0; };
  // Where a pattern may begin and end: at markup, at whole words, at quotes, after blanks.
  auto natural_start = [&](const Unit& u) {
    const unsigned char c = byte_at(u.begin);
    const unsigned char before = u.begin > 0 ? byte_at(u.begin - 1) : '\n';
    if (u.cls == Cls::Blank || u.cls == Cls::Raw) return false;
    if (IsWordByte(c)) return !IsWordByte(before);
    return c == '<' || c == '"' || c == '\'' || IsBlank(before) || before == '>';
  };
  auto natural_end = [&](const Unit& u) {
    const unsigned char c = byte_at(u.end - 1);
    const unsigned char after = byte_at(u.end);
    if (u.cls == Cls::Blank || u.cls == Cls::Raw) return false;
    if (IsWordByte(c)) return !IsWordByte(after);
    return c == '>' || c == '"' || c == '\'' || (c != 0 && std::strchr(";,:)]}", c)) || IsBlank(after) ||
           after == '<' || after == 0;
  };

  // Costs of the left part by its first unit, and of the right part by its unit count, per mode.
  struct Side {
    std::vector<int> cost;
    std::vector<bool> usable;
  };
  auto cost_sweep = [&](const std::vector<Unit>& units, Keep keep, size_t forced, bool backwards) {
    Side side;
    side.cost.assign(units.size() + 1, 0);
    side.usable.assign(units.size() + 1, false);
    int cost = 0;
    bool skipping = false;
    // Text after the value more often belongs to the next record than to the value's own: beyond the
    // piece of text that ends the value, it counts double.
    int factor = 1;
    for (size_t step = 0; step < units.size(); ++step) {
      const size_t u = backwards ? units.size() - 1 - step : step;
      const Unit& unit = units[u];
      const bool forced_here = u == forced;
      if (forced_here || Keeps(unit.cls, keep)) {
        const int weight = Weight(unit.cls);
        const bool breaks = HasLineBreak(page, unit);
        cost += breaks ? 2 * factor : weight * factor * static_cast<int>(unit.end - unit.begin);
        if (unit.cls != Cls::Blank) skipping = false;
        if (breaks && !backwards && u > forced) factor = 2;
      } else if (!skipping) {
        cost += 2 * factor;
        skipping = true;
        if (!backwards) factor = 2;
      }
      const size_t index = backwards ? u : step + 1;
      side.cost[index] = cost;
      const bool passed_forced = backwards ? u <= forced : u >= forced;
      side.usable[index] = passed_forced && (forced_here || Keeps(unit.cls, keep)) &&
                           (backwards ? natural_start(unit) : natural_end(unit));
    }
    return side;
  };

  std::vector<Candidate> candidates;
  const int max_cost = static_cast<int>(options.maxPatternLength) * 2;
  constexpr Keep kModes[][2] = {{kKeepStable, kKeepStable},
                                {kKeepContent, kKeepStable},
                                {kKeepStable, kKeepContent},
                                {kKeepContent, kKeepContent},
                                {kKeepAll, kKeepAll}};
  for (const auto& mode : kModes) {
    const Keep keep_left = mode[0];
    const Keep keep_right = mode[1];
    const Side l = cost_sweep(left, keep_left, left_forced, true);
    const Side r = cost_sweep(right, keep_right, right_forced, false);
    for (size_t a = 0; a < left.size(); ++a) {
      if (!l.usable[a] || l.cost[a] > max_cost) continue;
      if (value_ends_page && keep_right == kKeepStable) {
        candidates.push_back({l.cost[a] + 3, static_cast<uint32_t>(a), 0, keep_left, keep_right});
      }
      for (size_t b = 1; b <= right.size(); ++b) {
        if (!r.usable[b] || l.cost[a] + r.cost[b] > max_cost) continue;
        candidates.push_back(
            {l.cost[a] + r.cost[b] + 3, static_cast<uint32_t>(a), static_cast<uint32_t>(b), keep_left, keep_right});
      }
    }
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& x, const Candidate& y) { return x.cost < y.cost; });

  std::optional<Variant> numbers_changed;
  std::optional<Variant> text_changed;
  std::string best[2];
  std::unordered_set<std::string> tried;
  int runs = 0;
  for (const Candidate& c : candidates) {
    if (runs >= options.maxCandidates) break;
    std::string pattern;
    if (!AppendPieces(page, left, c.left, left.size(), c.keepLeft, left_forced, pattern)) continue;
    pattern += "{?}";
    if (c.right > 0 && !AppendPieces(page, right, 0, c.right, c.keepRight, right_forced, pattern)) continue;
    if (pattern.size() > options.maxPatternLength || !tried.insert(pattern).second) continue;
    ++runs;
    if (!Extracts(page, pattern, value, position)) continue;
    if (!numbers_changed) {
      numbers_changed = MakeVariant(page, tokens, vs, ve, false);
      text_changed = MakeVariant(page, tokens, vs, ve, true);
    }
    if (!Extracts(numbers_changed->text, pattern, numbers_changed->value, numbers_changed->position)) {
      if (best[1].empty()) best[1] = pattern;
      continue;
    }
    if (Extracts(text_changed->text, pattern, text_changed->value, text_changed->position)) {
      result.status = SuggestStatus::Ok;
      result.pattern = std::move(pattern);
      result.strength = SuggestStrength::SurvivesChanges;
      return result;
    }
    if (best[0].empty()) best[0] = pattern;
  }
  for (int tier = 0; tier < 2; ++tier) {
    if (best[tier].empty()) continue;
    result.status = SuggestStatus::Ok;
    result.pattern = std::move(best[tier]);
    result.strength = tier == 0 ? SuggestStrength::SurvivesNumberChanges : SuggestStrength::WorksOnThisPage;
    return result;
  }
  return result;
}

}  // namespace quorvex::text
