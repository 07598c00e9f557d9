#include "text/pattern_matcher.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "text/checksum.h"

namespace quorvex::text {
namespace {

bool IsPatternBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The blanks removed from the front of a captured value (VT and FF are kept: they are content).
bool IsValueBlank(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsPatternBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsPatternBlank(s.back())) s.remove_suffix(1);
  return s;
}

int32_t FirstNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] < '0' || s[i] > '9')) ++i;
  int64_t number = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    // A count larger than any page means "no limit" anyway; saturating keeps it from wrapping.
    number = std::min<int64_t>(number * 10 + (s[i] - '0'), INT32_MAX);
  }
  return static_cast<int32_t>(number);
}

// First occurrence of needle starting in [from, end) and lying inside it.
const char* FindForward(const char* from, const char* end, const std::string& needle) {
  size_t room = static_cast<size_t>(end - from);
  if (needle.size() > room) return nullptr;
  if (needle.size() == 1) return static_cast<const char*>(std::memchr(from, needle[0], room));
  return static_cast<const char*>(memmem(from, room, needle.data(), needle.size()));
}

// First occurrence of needle (of n >= 1 bytes) starting in [lo, hi]; hi + n must not pass the text.
const char* FirstStartIn(const char* lo, const char* hi, const std::string& needle) {
  return static_cast<const char*>(
      memmem(lo, static_cast<size_t>(hi - lo) + needle.size(), needle.data(), needle.size()));
}

// Last start in [begin, hi] of needle (n >= 2 bytes; hi + n must not pass the text), by the fast
// forward search: growing chunks scanned backwards from hi, then the chunk that holds a hit halved
// down to its last one. A near hit stays cheap and a walk across the page runs at memmem speed.
const char* LastStartByChunks(const char* begin, const char* hi, const std::string& needle) {
  size_t width = 256;
  for (;;) {
    const char* lo = static_cast<size_t>(hi - begin) >= width ? hi - width : begin;
    if (const char* hit = FirstStartIn(lo, hi, needle)) {
      // hit is a start and no start lies after hi: narrow [hit, hi] down to the last start.
      lo = hit;
      while (lo < hi) {
        const char* mid = lo + (hi - lo + 1) / 2;
        if (const char* upper = FirstStartIn(mid, hi, needle)) {
          lo = upper;
        } else {
          hi = mid - 1;
        }
      }
      return lo;
    }
    if (lo == begin) return nullptr;
    hi = lo - 1;
    width *= 2;
  }
}

// Last occurrence of needle that begins in [begin, before) and lies inside [begin, end); it may run
// past before. memmem is slow for the short literals of patterns ("</td>"), so when one byte of the
// needle is rare in the text just before, memrchr hops between its occurrences instead; if that
// byte turns out common further back, the chunked search takes over.
const char* FindLastBefore(const char* begin, const char* before, const char* end, const std::string& needle) {
  const size_t n = needle.size();
  if (before <= begin || n == 0 || n > static_cast<size_t>(end - begin)) return nullptr;
  const char* hi = std::min(before - 1, end - n);  // the latest start that qualifies
  if (n == 1) return static_cast<const char*>(memrchr(begin, static_cast<unsigned char>(needle[0]), hi - begin + 1));

  constexpr size_t kSample = 512;
  const char* sample = static_cast<size_t>(hi - begin) > kSample ? hi - kSample : begin;
  uint16_t seen[256] = {};
  for (const char* q = sample; q < hi; ++q) ++seen[static_cast<unsigned char>(*q)];
  size_t anchor = 0;
  for (size_t k = 1; k < n; ++k) {
    if (seen[static_cast<unsigned char>(needle[k])] < seen[static_cast<unsigned char>(needle[anchor])]) anchor = k;
  }
  if (seen[static_cast<unsigned char>(needle[anchor])] * 16u <= kSample) {
    const unsigned char rare = static_cast<unsigned char>(needle[anchor]);
    int misses = 0;
    while (misses < 64) {
      // Starts in [begin, hi] put the rare byte in [begin + anchor, hi + anchor].
      const void* found = memrchr(begin + anchor, rare, static_cast<size_t>(hi - begin) + 1);
      if (!found) return nullptr;
      const char* start = static_cast<const char*>(found) - anchor;
      if (std::memcmp(start, needle.data(), n) == 0) return start;
      if (start == begin) return nullptr;
      hi = start - 1;
      ++misses;
    }
  }
  return LastStartByChunks(begin, hi, needle);
}

}  // namespace

WDPatternPiece::WDPatternPiece(std::string_view text) : m_strText(Trim(text)) {
  if (m_strText.empty() || m_strText[0] != '{') {
    m_nKind = PieceLiteral;
    m_nCount = static_cast<int32_t>(std::min<size_t>(m_strText.size(), INT32_MAX));
  } else {
    m_nKind = m_strText.find('?') != std::string::npos ? PieceCapture : PieceSkip;
    m_nCount = FirstNumber(m_strText);
  }
}

WDPatternMatcher::WDPatternMatcher(const char* text, std::string pattern)
    : m_strPattern(std::move(pattern)), m_pText(text ? text : ""), m_nTextLength(std::strlen(m_pText)) {}

WDPatternMatcher::WDPatternMatcher(const char* text, size_t length, std::string pattern)
    : m_strPattern(std::move(pattern)), m_pText(text && length ? text : ""), m_nTextLength(0) {
  if (text && length) {
    const void* nul = std::memchr(text, 0, length);
    m_nTextLength = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length;
  }
}

WDPatternMatcher::~WDPatternMatcher() = default;

bool WDPatternMatcher::ParsePattern() {
  m_Pieces.clear();
  const std::string& pattern = m_strPattern;
  size_t p = 0;
  bool inside_braces = false;
  while (p < pattern.size()) {
    size_t next;
    if (!inside_braces) {
      next = pattern.find('{', p);
      if (next == std::string::npos) next = pattern.size();
    } else {
      // A "{" without a later "}" is malformed. (Searching on from the pattern's start instead
      // would pick up an earlier "}" and go round for ever on patterns like "a}b{?".)
      size_t close = pattern.find('}', p);
      if (close == std::string::npos) {
        m_Pieces.clear();
        return false;
      }
      next = close + 1;
    }
    // A brace where a literal must be: at the start, or right after another brace piece.
    if (next == p) {
      m_Pieces.clear();
      return false;
    }
    std::string_view piece(pattern.data() + p, next - p);
    if (!Trim(piece).empty()) {
      inside_braces = !inside_braces;
      m_Pieces.push_back(std::make_unique<WDPatternPiece>(piece));
    }
    p = next;
  }
  return !m_Pieces.empty();
}

int32_t WDPatternMatcher::Extract() {
  m_nResult = MatchOk;
  m_strValue.clear();
  m_pValueStart = m_pMatchStart = m_pCaptureStart = nullptr;
  m_nValueLength = m_nCaptureLength = 0;
  if (m_strPattern.empty()) {
    m_Pieces.clear();
    ComputeChecksumValue();
    return m_nResult;
  }
  if (!ParsePattern()) return m_nResult = PatternMalformed;
  const char* start = FindStart();
  if (!start) return m_nResult;
  Walk(start);
  if (m_nResult != MatchOk) {
    // A half-walked pattern locates nothing.
    m_strValue.clear();
    m_pValueStart = m_pMatchStart = m_pCaptureStart = nullptr;
    m_nValueLength = m_nCaptureLength = 0;
  }
  return m_nResult;
}

void WDPatternMatcher::ComputeChecksumValue() {
  m_strValue = FormatChecksumValue(TextChecksum(std::string_view(m_pText, m_nTextLength), 0));
}

const char* WDPatternMatcher::FindStart() {
  const char* const begin = m_pText;
  const char* const end = m_pText + m_nTextLength;
  const char* p = begin;
  for (size_t i = 0; i < m_Pieces.size(); ++i) {
    const WDPatternPiece& literal = *m_Pieces[i];
    if (!literal.IsLiteral()) continue;
    p = FindForward(p, end, literal.m_strText);
    if (!p) {
      m_nResult = MatchNotFound;
      return nullptr;
    }
    if (FindForward(p + 1, end, literal.m_strText)) continue;
    // literal is the pivot: take each earlier literal at its closest occurrence before.
    for (size_t k = i; k-- > 0;) {
      if (!m_Pieces[k]->IsLiteral()) continue;
      p = FindLastBefore(begin, p, end, m_Pieces[k]->m_strText);
      if (!p) {
        // Only when a later literal sits at the very place of an earlier one: nothing is located,
        // and the search never leaves the text.
        m_nResult = MatchNotFound;
        return nullptr;
      }
    }
    return p;
  }
  m_nResult = MatchAmbiguous;
  return nullptr;
}

void WDPatternMatcher::Walk(const char* start) {
  const char* const end_of_text = m_pText + m_nTextLength;
  const size_t count = m_Pieces.size();
  const char* p = start;
  size_t i = 0;
  while (i < count) {
    if (!m_pMatchStart) m_pMatchStart = p;
    m_Pieces[i]->m_pMatch = p;
    p += m_Pieces[i]->m_nCount;  // p sits on an occurrence of this literal
    size_t j = i + 1;
    while (j < count && !m_Pieces[j]->IsLiteral()) ++j;
    const char* gap_end = end_of_text;
    if (j < count) {
      gap_end = FindForward(p, end_of_text, m_Pieces[j]->m_strText);
      if (!gap_end) {
        m_nResult = MatchNotFound;
        return;
      }
    }
    for (size_t k = i + 1; k < j; ++k) {
      WDPatternPiece& brace = *m_Pieces[k];
      size_t len = static_cast<size_t>(gap_end - p);
      if (brace.m_nCount != 0 && static_cast<size_t>(brace.m_nCount) < len) len = brace.m_nCount;
      if (brace.m_nKind == WDPatternPiece::PieceCapture) {
        size_t skip = 0;
        while (skip < len && IsValueBlank(p[skip])) ++skip;
        m_strValue.assign(p + skip, len - skip);
        m_pCaptureStart = p;
        m_nCaptureLength = static_cast<int32_t>(std::min<size_t>(len, INT32_MAX));
      }
      brace.m_pMatch = p;
      m_pValueStart = p;
      m_nValueLength = static_cast<int32_t>(std::min<size_t>(len, INT32_MAX));
      p += len;
    }
    p = gap_end;
    i = j;
  }
}

TextPosition WDPatternMatcher::GetValuePosition() const {
  // The captured value is what the user looks for; a skip after it must not move the selection.
  const char* stretch = m_pCaptureStart ? m_pCaptureStart : m_pValueStart;
  int32_t length = m_pCaptureStart ? m_nCaptureLength : m_nValueLength;
  if (!m_pMatchStart || !stretch) return {};
  const char* q = stretch;
  const char* stretch_end = stretch + length;
  while (q < stretch_end && IsValueBlank(*q)) ++q;
  TextPosition position;
  const char* line_start = m_pText;
  for (const char* lf = m_pText; (lf = static_cast<const char*>(std::memchr(lf, '\n', q - lf))) != nullptr; ++lf) {
    ++position.line;
    line_start = lf + 1;
  }
  position.column = static_cast<int32_t>(q - line_start);
  return position;
}

std::string WDPatternMatcher::ErrorMessage(int32_t code) {
  if (code == MatchOk) return {};
  uint16_t id = kPatternUnknownErrorTextId;
  if (code == MatchNotFound) id = kMatchNotFoundTextId;
  if (code == MatchAmbiguous) id = kMatchAmbiguousTextId;
  if (code == PatternMalformed) id = kPatternMalformedTextId;
  return platform::GetString(kPatternErrorCaptionId) + "\n" + platform::GetString(id);
}

int32_t WDPatternMatcher::ShowError() const {
  if (m_nResult != MatchOk) platform::Prompt().ShowMessage(ErrorMessage(m_nResult), platform::PromptIcon::None);
  return m_nResult;
}

}  // namespace quorvex::text
