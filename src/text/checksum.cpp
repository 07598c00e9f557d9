#include "text/checksum.h"

#include <cstring>

namespace quorvex::text {
namespace {

uint32_t Update(uint32_t crc, const char* p, const char* end) {
  for (; p != end; ++p) {
    // Sign extension is deliberate: bytes 0x80..0xFF enter as 0xFFFFFF80..0xFFFFFFFF.
    uint32_t c = static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
    crc = ((crc << 8) + (crc >> 8)) ^ c;
    crc ^= (crc & 0xFF) >> 4;
    crc ^= ((crc & 0xFF) << 12) ^ ((crc & 0xFF) << 5);
  }
  return crc;
}

}  // namespace

uint32_t TextChecksum(const char* text, uint32_t seed) {
  if (!text) return seed;
  return Update(seed, text, text + std::strlen(text));
}

uint32_t TextChecksum(std::string_view text, uint32_t seed) {
  if (text.empty()) return seed;
  const void* nul = std::memchr(text.data(), 0, text.size());
  const char* end = nul ? static_cast<const char*>(nul) : text.data() + text.size();
  return Update(seed, text.data(), end);
}

std::string FormatChecksumValue(uint32_t checksum) {
  return std::string(kChecksumPrefix) + std::to_string(static_cast<int32_t>(checksum));
}

}  // namespace quorvex::text
