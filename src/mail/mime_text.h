#pragma once
// Small text helpers shared by the message and its part writers. White space is what the
// C library's isspace calls white in the "C" locale: blank, tab, CR, LF, vertical tab, form feed.
#include <string>
#include <string_view>

namespace quorvex::mail {

inline bool IsMimeSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline std::string TrimText(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsMimeSpace(text[b])) ++b;
  while (e > b && IsMimeSpace(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

inline bool EndsWithCrLf(const std::string& text) {
  return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

}  // namespace quorvex::mail
