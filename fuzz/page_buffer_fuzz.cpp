// The body-to-page-text buffer: any body, split into pieces of any size, against the line-by-line
// reading it stands for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/page_buffer.h"

namespace {

// The old reading: lines of at most room - 1 bytes into a buffer of limit bytes, CR dropped, the text
// ending at a NUL, and the page complete once fewer than 10 bytes of room are left.
std::string LineByLine(const std::string& body, size_t limit) {
  std::string text;
  for (char c : body) {
    if (c == '\0') break;
    if (c != '\r') text += c;
  }
  std::string out;
  size_t room = limit;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    size_t length = end == std::string::npos ? text.size() - pos : end + 1 - pos;
    if (length > room - 1) length = room - 1;
    out.append(text, pos, length);
    pos += length;
    room -= length;
    if (room < 10) break;
  }
  return out;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t piece = 1 + data[0];
  const size_t limit = 16 + static_cast<size_t>(data[1]) * 37;
  const std::string body(reinterpret_cast<const char*>(data + 2), size - 2);

  quorvex::engine::PageBuffer buffer(limit);
  for (size_t at = 0; at < body.size() && !buffer.IsComplete(); at += piece) {
    size_t length = std::min(piece, body.size() - at);
    Check(buffer.Append(body.data() + at, length) <= length);
  }
  const std::string& text = buffer.Text();
  Check(text.size() < limit);
  Check(text.find('\r') == std::string::npos);
  Check(text.find('\0') == std::string::npos);
  Check(text == LineByLine(body, limit));
  return 0;
}
