#include "engine/page_buffer.h"

#include <algorithm>

namespace quorvex::engine {
namespace {

// Room is what the old fixed buffer had left; a line that leaves less than this ends the page.
constexpr size_t kMinRoom = 10;
constexpr size_t kSmallestLimit = 16;
// Grown on demand: a raised limit must not cost megabytes for every small page.
constexpr size_t kInitialReserve = 64 * 1024;

}  // namespace

PageBuffer::PageBuffer(size_t limit) : limit_(std::clamp(limit, kSmallestLimit, kMaxPageLimit)) {
  text_.reserve(std::min(limit_, kInitialReserve));
}

size_t PageBuffer::Append(const char* data, size_t size) {
  if (complete_) return 0;
  // A line may take at most the room left minus the NUL, so the text never reaches limit_ bytes.
  const size_t longest = limit_ - 1;
  const size_t lineEndCut = limit_ - kMinRoom + 1;
  size_t i = 0;
  while (i < size) {
    const char c = data[i++];
    if (c == '\r') continue;
    if (c == '\0') {
      complete_ = true;
      break;
    }
    text_.push_back(c);
    if ((c == '\n' && text_.size() >= lineEndCut) || text_.size() >= longest) {
      complete_ = true;
      cut_ = true;
      break;
    }
  }
  return i;
}

}  // namespace quorvex::engine
