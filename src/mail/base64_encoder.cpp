#include "mail/base64_encoder.h"

namespace quorvex::mail {
namespace {
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int DigitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

std::string CBase64Encoder::Encode(const uint8_t* data, size_t size) const {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  uint32_t bits = 0;
  int held = 0;
  for (size_t i = 0; i < size; ++i) {
    bits = (bits << 8) | data[i];
    held += 8;
    while (held >= 6) {
      held -= 6;
      out += kAlphabet[(bits >> held) & 0x3f];
    }
  }
  if (held > 0) out += kAlphabet[(bits << (6 - held)) & 0x3f];
  while (out.size() % 4 != 0) out += '=';
  return out;
}

bool CBase64Encoder::Decode(const std::string& text, std::string& out) const {
  out.clear();
  uint32_t bits = 0;
  int held = 0;
  size_t pad = 0;
  for (char c : text) {
    if (c == '\r' || c == '\n') continue;
    if (c == '=') {
      ++pad;
      continue;
    }
    int v = DigitValue(c);
    if (v < 0 || pad > 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(v);
    held += 6;
    if (held >= 8) {
      held -= 8;
      out += static_cast<char>((bits >> held) & 0xff);
    }
  }
  return pad <= 2 && held < 6;
}

}  // namespace quorvex::mail
