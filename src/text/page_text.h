#pragma once
// The page text as a finished fetch hands it over: every CR byte dropped, LF kept, cut so that it
// fits the fetch buffer with its terminating NUL. Consumers (code-page conversion, matcher,
// checksum) read it up to its first NUL byte. Pure function, any thread.
#include <cstddef>
#include <string>

namespace quorvex::text {

// Size of the fetch buffer, terminating NUL included.
constexpr size_t kPageBufferSize = 52000;

// Drops every CR of raw and keeps at most limit - 1 bytes (none when limit is 0).
std::string PreparePageText(std::string raw, size_t limit = kPageBufferSize);

}  // namespace quorvex::text
