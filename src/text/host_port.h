#pragma once
// The one reader of "host[:port]" for every address that comes from outside: the server part of a
// page address and the mail relay setting. Pure functions, any thread.
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvex::text {

struct HostPort {
  std::string host;   // without brackets
  uint16_t port = 0;  // 0 when the text names no port
  bool ipv6 = false;  // host is an IPv6 address (written in brackets, or bare with two colons or more)
};

// Splits "host", "host:port", "[v6]", "[v6]:port", or a bare IPv6 address such as "::1" (all of it
// the host: a bare address with two colons or more cannot name a port). An empty port ("host:")
// names none. False for an empty host, brackets around a host without a colon, a bracket that is not
// closed or stands inside the host, text after "]" other than ":port", or a port that is not
// 1..65535 written in at most five digits.
bool ParseHostPort(std::string_view text, HostPort& out);

// The host as an address writes it: an IPv6 address in brackets.
std::string HostInAddress(const HostPort& address);

}  // namespace quorvex::text
