#pragma once
// Small byte-string helpers shared by the container and report code.
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvex::exchange {

// The number at the start of text the way C's atoi reads it (leading blanks, a sign, digits;
// anything else ends it; no digits give 0), but saturating instead of overflowing.
int ParseLeadingInt(std::string_view text);

// Replaces every occurrence of from (not empty) by to, scanning left to right without rescanning.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);

std::string LowerAscii(std::string_view text);

// At most limit bytes of text. A UTF-8 text is cut only between characters, so names never end in
// half a letter; other byte strings (older Windows-1251 text) are cut at limit exactly.
std::string CutBytes(const std::string& text, size_t limit);

}  // namespace quorvex::exchange
