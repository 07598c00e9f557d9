#pragma once
// How the history reads a sample text: number parsing, number display, tag stripping and wrapping.
// Pure functions over byte strings; safe on any input and from any thread; they never throw.
#include <cstddef>
#include <string>

#include "text/checksum.h"

namespace quorvex::text {

// Value types of a sample (the same numbers as the beacon kinds): plain text, a number with an
// optional unit, or a page checksum ("#CRC#" followed by digits).
constexpr int kValueText = 2;
constexpr int kValueNumber = 3;
constexpr int kValueChecksum = 4;

// The text that marks a page checksum sample.

struct ParsedValue {
  int type = kValueText;
  double number = 0.0;
};

// Reads a sample text: the first number in it (with ',' as decimal mark unless a '.' is present,
// "'" and "`" as thousands marks, blanks inside, "3 1/2" and "1/2" fractions) and the type.
// Text that is not a number is (kValueText, 0); a "#CRC#" text is (kValueChecksum, 0).
ParsedValue ParseValueFull(const std::string& text);

// ParseValueFull as one number: the type (2, 3 or 4) when typeMode is true, otherwise the value.
double ParseValue(const std::string& text, bool typeMode = false);

// A number for display with about `significant` digits after the leading ones: 0 and numbers too
// small for those digits give "0.00"; otherwise the shortest of fixed or exponent notation in the
// style of the C runtime's _gcvt ("1234.568", "0.5", "5.e-002"), never ending in '.'.
// Infinity and NaN give "inf", "-inf" and "nan".
std::string FormatNumber(double value, int significant);

// The text of a sample for display. stripTags: "<br>" becomes CR LF, "<dd>" a tab, "<li>" a tab and
// "- ", and every complete tag '<'...'>' is removed (a text that is one single tag is kept, and a text
// whose tags nest '<' inside '<' is kept unstripped). wrapWidth > 0 inserts "\n" so that lines stay
// near that many bytes, breaking after blanks and punctuation where possible, never inside a
// UTF-8 character of a valid UTF-8 text.
std::string CleanText(const std::string& text, bool stripTags, int wrapWidth);

// text when it has at most maxLength characters, otherwise its first maxLength - 3 characters and
// "...". Characters are code points when text is valid UTF-8, bytes otherwise.
std::string Shorten(const std::string& text, int maxLength);

}  // namespace quorvex::text
