#include "exchange/byte_text.h"

#include <climits>

#include "text/display.h"

namespace quorvex::exchange {

int ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  std::string out;
  size_t start = 0;
  for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, start)) {
    out.append(text, start, pos - start);
    out.append(to);
    start = pos + from.size();
  }
  if (start == 0) return;
  out.append(text, start, std::string::npos);
  text.swap(out);
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string CutBytes(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t cut = limit;
  if (text::IsValidUtf8(text)) {
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  return text.substr(0, cut);
}

}  // namespace quorvex::exchange
