#pragma once
// The page checksum: a cheap fingerprint of a whole text, used as the value of a beacon with an
// empty pattern and by the alert events. Pure functions, any thread.
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::text {

// Prefix of a checksum value text ("#CRC#-982482").
inline constexpr std::string_view kChecksumPrefix = "#CRC#";

// Checksum of a NUL-terminated byte string (nullptr counts as empty), starting from seed. Bytes
// 0x80..0xFF take part sign-extended, as stored values were computed that way: changing it would
// make every stored page checksum differ once.
uint32_t TextChecksum(const char* text, uint32_t seed);
// The same over the bytes of text up to its first NUL.
uint32_t TextChecksum(std::string_view text, uint32_t seed);

// "#CRC#" followed by checksum read as a signed 32-bit number ("#CRC#-982482" for 4293984814).
std::string FormatChecksumValue(uint32_t checksum);

}  // namespace quorvex::text
