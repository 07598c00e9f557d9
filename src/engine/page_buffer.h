#pragma once
// The bounded page buffer: turns a response body, fed in pieces of any size, into page text.
#include <cstddef>
#include <string>

namespace quorvex::engine {

// The page limit unless the settings raise it, and the range a raised limit may take.
inline constexpr size_t kDefaultPageLimit = 52000;
inline constexpr size_t kMaxPageLimit = 16777216;

// Reads a body as the page has always been read: line by line into a buffer of `limit` bytes.
//  - Every CR byte is dropped; LF is kept, so CRLF line ends become LF and a lone CR disappears.
//  - Each line is stored whole unless it would overrun the buffer: at most limit - 1 bytes are ever
//    stored (the last one was the terminating NUL of the old buffer).
//  - Once a line has been stored and fewer than 10 bytes of room are left, the page is complete: it is
//    cut there and still counts as read.
//  - The first NUL byte ends the text (the page text is NUL-terminated for all its readers), and the
//    page is complete. Nothing after it is looked at, so the text never holds a NUL.
// The result does not depend on how the body is split into pieces. Not thread-safe; one per fetch.
class PageBuffer {
 public:
  // limit is clamped to [16, kMaxPageLimit]; the session keeps the setting within
  // [kDefaultPageLimit, kMaxPageLimit], smaller limits serve tests.
  explicit PageBuffer(size_t limit = kDefaultPageLimit);

  // Feeds size bytes of the body. Returns how many were consumed: all of them, or fewer when the page
  // became complete inside this piece (the rest is not wanted).
  size_t Append(const char* data, size_t size);

  // True when no more body is wanted (cut at the limit or ended by a NUL byte).
  bool IsComplete() const { return complete_; }
  // True when the text was cut at the limit.
  bool WasCut() const { return cut_; }
  size_t Limit() const { return limit_; }

  const std::string& Text() const { return text_; }
  std::string TakeText() { return std::move(text_); }

 private:
  size_t limit_;
  std::string text_;
  bool complete_ = false;
  bool cut_ = false;
};

}  // namespace quorvex::engine
