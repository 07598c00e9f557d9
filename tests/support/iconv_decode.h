#pragma once
// The C library's character converter as an oracle for our code-page tables: it shares nothing
// with them.
#include <iconv.h>

#include <cstdint>
#include <string>

namespace quorvex::testing {

// The UTF-8 reading of one byte in charset (an iconv name); empty when the byte has no character.
inline std::string DecodeByte(const char* charset, uint8_t byte) {
  iconv_t cd = iconv_open("UTF-8", charset);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string("no converter for ") + charset;
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* in_ptr = in;
  char* out_ptr = out;
  size_t in_left = 1, out_left = sizeof(out);
  size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  return rc == static_cast<size_t>(-1) ? std::string() : std::string(out, out_ptr);
}

}  // namespace quorvex::testing
