#pragma once
// Locates one value in a page text by a search pattern (the pattern language is described in
// doc/pattern-language.md). A matcher is short-lived: build it on the stack with a text and a
// pattern, call Extract once, read the value or the result code, destroy it.
//
// Contract:
// - The text is borrowed, never modified and never copied; it must outlive the matcher. The matcher
//   reads only inside it: up to its first NUL byte, and never past an explicit length.
// - No exceptions; failures are result codes (below).
// - Not thread-safe; one matcher belongs to one thread. Different matchers may share a text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::text {

// Results of WDPatternMatcher::Extract.
constexpr int32_t MatchOk = 0;
constexpr int32_t MatchNotFound = 999;      // a literal was not found where it was required
constexpr int32_t MatchAmbiguous = 1000;    // no literal is unique in the rest of the page
constexpr int32_t PatternMalformed = 1001;  // the pattern cannot be split into pieces, or has none

// Language texts of the error message: the caption line, then one line per result.
constexpr uint16_t kPatternErrorCaptionId = 61489;
constexpr uint16_t kMatchNotFoundTextId = 61490;
constexpr uint16_t kMatchAmbiguousTextId = 61491;
constexpr uint16_t kPatternMalformedTextId = 61492;
constexpr uint16_t kPatternUnknownErrorTextId = 61493;

// One piece of a parsed pattern: a literal, or a brace piece that captures or skips text.
class WDPatternPiece {
 public:
  enum Kind : int32_t { PieceSkip = 0, PieceCapture = 1, PieceLiteral = 2 };

  // Trims blanks (space, TAB, LF, VT, FF, CR) from both ends of text and classifies it: a text
  // beginning with "{" is a brace piece (a capture when it holds "?"), anything else a literal.
  explicit WDPatternPiece(std::string_view text);
  virtual ~WDPatternPiece() = default;

  bool IsLiteral() const { return m_nKind == PieceLiteral; }

  Kind m_nKind;
  // The trimmed text; a brace piece keeps its braces.
  std::string m_strText;
  // Literal: its length in bytes. Brace piece: the first run of decimal digits in it (0 if none,
  // saturated at INT32_MAX), the most bytes it takes.
  int32_t m_nCount;
  // Where the piece was last applied in the page text; null until then.
  const char* m_pMatch = nullptr;
};

// Line and column (both 0-based, in bytes) of a place in a text.
struct TextPosition {
  int32_t column = 0;
  int32_t line = 0;
  bool operator==(const TextPosition&) const = default;
};

class WDPatternMatcher {
 public:
  using PieceList = std::vector<std::unique_ptr<WDPatternPiece>>;

  // text is a NUL-terminated byte string; nullptr counts as an empty text.
  WDPatternMatcher(const char* text, std::string pattern);
  // text holds length bytes and need not be NUL-terminated (a bounded page buffer); the text still
  // ends at its first NUL byte when one comes earlier.
  WDPatternMatcher(const char* text, size_t length, std::string pattern);
  virtual ~WDPatternMatcher();

  WDPatternMatcher(const WDPatternMatcher&) = delete;
  WDPatternMatcher& operator=(const WDPatternMatcher&) = delete;

  // Applies the pattern and returns the result code (also kept). An empty pattern yields the
  // checksum value "#CRC#<signed decimal>" of the whole text. Calling it again repeats the work.
  int32_t Extract();

  // The extracted value, exactly as found (leading blanks removed, trailing kept); empty on failure
  // and for a pattern without a capture.
  const std::string& GetValue() const { return m_strValue; }
  int32_t GetErrorCode() const { return m_nResult; }

  // For a non-zero result shows ErrorMessage(result) through platform::Prompt() (no icon), then
  // returns the result. UI thread only.
  int32_t ShowError() const;

  // The place in the text of the value's first non-blank byte; (0, 0) when no value was located.
  // The value then occupies GetValue().size() bytes from there.
  TextPosition GetValuePosition() const;

  // Splits the pattern into pieces (Extract does this itself); false when it is malformed. The
  // pieces are kept until the next parse or the end of the matcher.
  bool ParsePattern();
  const PieceList& GetPieces() const { return m_Pieces; }

  // The message for a result code: the caption text, a LF, the text of the code. Empty for 0.
  static std::string ErrorMessage(int32_t code);

 private:
  void ComputeChecksumValue();
  // Finds where the walk begins: the first literal unique in the rest of the text, walked back over
  // the literals before it. Null with m_nResult set when there is no such place.
  const char* FindStart();
  void Walk(const char* start);

  const char* m_pValueStart = nullptr;  // start of the last brace piece's stretch
  int32_t m_nValueLength = 0;
  PieceList m_Pieces;
  const char* m_pMatchStart = nullptr;    // where the first literal was matched
  const char* m_pCaptureStart = nullptr;  // start of the last capture's stretch
  int32_t m_nCaptureLength = 0;
  std::string m_strValue;
  int32_t m_nResult = MatchOk;
  std::string m_strPattern;
  const char* m_pText;
  size_t m_nTextLength;  // bytes before the first NUL (or the explicit length)
};

}  // namespace quorvex::text
