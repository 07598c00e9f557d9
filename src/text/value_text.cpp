#include "text/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>
#include <system_error>

#include "text/display.h"

namespace quorvex::text {
namespace {

constexpr ParsedValue kNotANumber{kValueText, 0.0};

// The C library's atof on a text made of digits, '.', '+' and '-': an optional sign and the longest
// decimal number after it, 0 when there is none. Written out because atof and strtod follow the
// process locale, and the GUI toolkit switches that to the user's, whose decimal mark may be ','.
double LeadingDecimal(std::string_view s) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) return 0.0;
  double value = 0.0;
  auto [end, ec] = std::from_chars(s.data() + i, s.data() + s.size(), value, std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: atof answers infinity or zero.
    std::string_view digits(s.data() + i, static_cast<size_t>(end - (s.data() + i)));
    std::string_view whole = digits.substr(0, digits.find('.'));
    value = whole.find_first_not_of('0') != std::string_view::npos ? HUGE_VAL : 0.0;
  } else if (ec != std::errc()) {
    return 0.0;
  }
  if (value == 0.0) return 0.0;  // no "-0"
  return negative ? -value : value;
}

// A tiny scanner with the rules of sscanf's "%d", " " and "/" directives.
class IntScanner {
 public:
  explicit IntScanner(std::string_view s) : s_(s) {}

  void SkipBlanks() {
    while (pos_ < s_.size() && std::strchr(" \t\n\v\f\r", s_[pos_]) && s_[pos_] != '\0') ++pos_;
  }

  bool Literal(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  // Saturates instead of overflowing: a fraction of absurd size is still a number.
  bool Int(int64_t& out) {
    SkipBlanks();
    size_t i = pos_;
    bool negative = false;
    if (i < s_.size() && (s_[i] == '+' || s_[i] == '-')) {
      negative = s_[i] == '-';
      ++i;
    }
    if (i >= s_.size() || s_[i] < '0' || s_[i] > '9') return false;
    constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10 - 1;
    int64_t value = 0;
    for (; i < s_.size() && s_[i] >= '0' && s_[i] <= '9'; ++i) {
      if (value < kLimit) value = value * 10 + (s_[i] - '0');
    }
    pos_ = i;
    out = negative ? -value : value;
    return true;
  }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

// "%d %d / %d" (whole, numerator, denominator) or "%d / %d".
ParsedValue ParseFraction(std::string_view s) {
  int64_t whole = 0, numerator = 0, denominator = 0;
  IntScanner mixed(s);
  int read = 0;
  if (mixed.Int(whole)) {
    read = 1;
    mixed.SkipBlanks();
    if (mixed.Int(numerator)) {
      read = 2;
      mixed.SkipBlanks();
      if (mixed.Literal('/') && mixed.Int(denominator)) read = 3;
    }
  }
  if (read == 1) {
    IntScanner plain(s);
    whole = 0;
    bool ok = plain.Int(numerator);
    plain.SkipBlanks();
    ok = ok && plain.Literal('/') && plain.Int(denominator);
    if (!ok) return kNotANumber;
  } else if (read != 3) {
    return kNotANumber;
  }
  if (denominator == 0) return kNotANumber;
  return {kValueNumber, static_cast<double>(whole) + static_cast<double>(numerator) / static_cast<double>(denominator)};
}

// The 17 significant digits of |value| and the position of the decimal point relative to them
// (value = 0.DDDD... x 10^decpt), as the C runtime's float-to-text core produces them.
struct Digits {
  std::string digits;
  int decpt = 0;
};

Digits SeventeenDigits(double value) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 16);
  Digits out;
  if (ec != std::errc()) return out;
  std::string_view text(buf, static_cast<size_t>(end - buf));
  size_t e = text.find('e');
  for (size_t i = 0; i < e; ++i) {
    if (text[i] >= '0' && text[i] <= '9') out.digits += text[i];
  }
  int exponent = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), exponent);
  out.decpt = exponent + 1;
  return out;
}

// Keeps count digits of d, rounding half up on the next one (digits past the 17th are zeros).
// A carry out of the first digit gives "1000..." and moves the decimal point.
void RoundTo(Digits& d, size_t count) {
  bool up = count < d.digits.size() && d.digits[count] >= '5';
  d.digits.resize(count, '0');
  if (!up) return;
  for (size_t i = count; i-- > 0;) {
    if (d.digits[i] != '9') {
      ++d.digits[i];
      return;
    }
    d.digits[i] = '0';
  }
  d.digits.insert(d.digits.begin(), '1');
  d.digits.pop_back();
  ++d.decpt;
}

// _gcvt: ndec significant digits, fixed notation for exponents -1 .. ndec-1, otherwise d.ddde+XXX;
// then the zeros before the end or the exponent are dropped, but not the decimal point.
std::string Gcvt(double value, int ndec) {
  Digits d = SeventeenDigits(value);
  int magnitude = d.decpt - 1;
  std::string out = value < 0 ? "-" : "";
  if (magnitude < -1 || magnitude > ndec - 1) {
    RoundTo(d, static_cast<size_t>(ndec));
    out += d.digits[0];
    if (ndec > 1) out += '.' + d.digits.substr(1);
    int exponent = d.decpt - 1;
    char buf[16];
    std::snprintf(buf, sizeof buf, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += buf;
  } else {
    // decpt is 0 .. ndec here, so there are ndec - decpt >= 0 decimals.
    int decimals = ndec - d.decpt;
    RoundTo(d, static_cast<size_t>(ndec));
    d.digits.resize(static_cast<size_t>(d.decpt + decimals), '0');
    if (d.decpt > 0) {
      out += d.digits.substr(0, static_cast<size_t>(d.decpt));
    } else {
      out += '0';
    }
    if (decimals > 0) out += '.' + d.digits.substr(static_cast<size_t>(d.decpt));
  }
  size_t point = out.find('.');
  if (point != std::string::npos) {
    size_t stop = out.find('e', point);
    if (stop == std::string::npos) stop = out.size();
    size_t last = stop;
    while (out[last - 1] == '0') --last;
    out.erase(last, stop - last);
  }
  return out;
}

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  if (s.find(from) == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  size_t pos = 0;
  for (size_t hit; (hit = s.find(from, pos)) != std::string::npos; pos = hit + from.size()) {
    out.append(s, pos, hit - pos);
    out.append(to);
  }
  out.append(s, pos, std::string::npos);
  s.swap(out);
}

// Removes every occurrence of what at or after start, in place.
void RemoveAllFrom(std::string& s, std::string_view what, size_t start) {
  size_t hit = s.find(what, start);
  if (hit == std::string::npos) return;
  size_t write = hit;
  size_t read = hit;
  while (hit != std::string::npos) {
    std::copy(s.begin() + static_cast<std::ptrdiff_t>(read), s.begin() + static_cast<std::ptrdiff_t>(hit),
              s.begin() + static_cast<std::ptrdiff_t>(write));
    write += hit - read;
    read = hit + what.size();
    hit = s.find(what, read);
  }
  std::copy(s.begin() + static_cast<std::ptrdiff_t>(read), s.end(), s.begin() + static_cast<std::ptrdiff_t>(write));
  s.resize(write + (s.size() - read));
}

std::string StripTags(const std::string& input) {
  std::string s = input;
  ReplaceAll(s, "<br>", "\r\n");
  ReplaceAll(s, "<dd>", "\t");
  ReplaceAll(s, "<li>", "\t- ");
  // Only a complete '<'...'>' is a tag: a lone '>' or '<' is ordinary text ("a > b"), and taking
  // it for one would cut words away and hide changes between samples.
  size_t from = 0;
  for (;;) {
    size_t a = s.find('<', from);
    if (a == std::string::npos) break;
    size_t b = s.find('>', a);
    if (b == std::string::npos) break;
    // A text that is a single tag is shown as it is rather than as nothing.
    if (b - a == s.size() - 1) break;
    std::string tag = s.substr(a, b - a + 1);
    // '<' inside a tag means the text is not markup we understand: show it untouched.
    if (tag.find('<', 1) != std::string::npos) return input;
    // Nothing before a holds a '<', so no tag starts there.
    RemoveAllFrom(s, tag, a);
    from = a;
  }
  return s;
}

std::string Wrap(const std::string& s, size_t width) {
  static constexpr std::string_view kBreaks = " >)\t}];.,\n";
  const bool utf8 = IsValidUtf8(s);
  const size_t n = s.size();
  std::string out;
  out.reserve(n + n / width + 1);
  size_t p = 0;
  size_t newline = 0;  // the next '\n' at or after p, or n
  bool newline_known = false;
  while (p + width < n) {
    if (!newline_known || newline < p) {
      newline = s.find('\n', p);
      if (newline == std::string::npos) newline = n;
      newline_known = true;
    }
    if (newline - p <= width) {
      out.append(s, p, newline + 1 - p);
      p = newline + 1;
      continue;
    }
    size_t q = std::string::npos;
    for (size_t i = p + width; i-- > p;) {
      if (kBreaks.find(s[i]) != std::string_view::npos) {
        q = i;
        break;
      }
    }
    if (q == std::string::npos) {
      q = p + width;
      if (utf8) {
        // Break between characters: back to the end of the previous one, or on to the end of
        // this one when it is the only one on the line.
        size_t back = q;
        while (back > p && IsContinuation(s[back + 1])) --back;
        if (!IsContinuation(s[back + 1])) {
          q = back;
        } else {
          while (q + 1 < n && IsContinuation(s[q + 1])) ++q;
        }
      }
    }
    // Nothing follows the break: the text already ends there.
    if (q + 1 >= n) break;
    out.append(s, p, q + 1 - p);
    out += '\n';
    p = q + 1;
  }
  out.append(s, p, std::string::npos);
  return out;
}

}  // namespace

ParsedValue ParseValueFull(const std::string& text) {
  if (text.compare(0, kChecksumPrefix.size(), kChecksumPrefix) == 0) return {kValueChecksum, 0.0};
  std::string_view s(text);
  size_t start = s.find_first_of("0123456789-");
  if (start != std::string_view::npos) s.remove_prefix(start);
  const size_t rest_length = s.size();
  s = s.substr(0, s.find_first_not_of("0123456789.,`'-+ /"));
  // A number followed by more than its own length of other text is part of a text, not a value.
  if (s.empty() || rest_length > 2 * s.size()) return kNotANumber;
  if (std::count(s.begin(), s.end(), '.') > 1) return kNotANumber;
  size_t first = s.find_first_of("0123456789-+");
  s = first == std::string_view::npos ? std::string_view() : s.substr(first);
  size_t last = s.find_last_of("0123456789");
  s = last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);

  std::string number;
  number.reserve(s.size());
  for (char c : s) {
    if (c != '\'' && c != '`') number += c;
  }
  if (number.find('/') != std::string::npos) return ParseFraction(number);
  if (number.find('.') == std::string::npos) {
    std::replace(number.begin(), number.end(), ',', '.');
  } else {
    number.erase(std::remove(number.begin(), number.end(), ','), number.end());
  }
  number.erase(std::remove(number.begin(), number.end(), ' '), number.end());
  return {kValueNumber, LeadingDecimal(number)};
}

double ParseValue(const std::string& text, bool typeMode) {
  ParsedValue parsed = ParseValueFull(text);
  return typeMode ? static_cast<double>(parsed.type) : parsed.number;
}

std::string FormatNumber(double value, int significant) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0.0) return "0.00";
  const double magnitude = std::fabs(value);
  const int64_t n = static_cast<int64_t>(std::trunc(std::log10(magnitude)));
  if (n + significant < 1) return "0.00";
  // More digits than a double holds only add zeros; the cap keeps absurd requests bounded.
  constexpr int64_t kMaxDigits = 400;
  int64_t digits = std::min(kMaxDigits, n + significant + (magnitude >= 1.0 ? 1 : 0));
  std::string out = Gcvt(value, static_cast<int>(digits));
  if (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

std::string CleanText(const std::string& text, bool stripTags, int wrapWidth) {
  std::string out = stripTags ? StripTags(text) : text;
  if (wrapWidth > 0) out = Wrap(out, static_cast<size_t>(wrapWidth));
  return out;
}

std::string Shorten(const std::string& text, int maxLength) {
  const bool utf8 = IsValidUtf8(text);
  size_t length = text.size();
  if (utf8) length = std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuation(c); });
  if (maxLength >= 0 && length <= static_cast<size_t>(maxLength)) return text;
  size_t keep = maxLength > 3 ? static_cast<size_t>(maxLength - 3) : 0;
  size_t cut = keep;
  if (utf8) {
    cut = 0;
    for (size_t chars = 0; cut < text.size(); ++cut) {
      if (!IsContinuation(text[cut]) && chars++ == keep) break;
    }
  }
  return text.substr(0, cut) + "...";
}

}  // namespace quorvex::text
