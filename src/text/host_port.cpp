#include "text/host_port.h"

namespace quorvex::text {
namespace {

// "" (no port) or 1..65535 in at most five decimal digits.
bool ParsePort(std::string_view digits, uint16_t& port) {
  port = 0;
  if (digits.empty()) return true;
  if (digits.size() > 5) return false;
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

bool ParseHostPort(std::string_view text, HostPort& out) {
  out = HostPort();
  std::string_view host = text;
  std::string_view port;
  if (!text.empty() && text[0] == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return false;
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && rest[0] != ':') return false;
    if (!rest.empty()) port = rest.substr(1);
    out.ipv6 = true;
  } else if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
    if (text.find(':', colon + 1) != std::string_view::npos) {
      out.ipv6 = true;  // a bare IPv6 address: every colon is part of it
    } else {
      host = text.substr(0, colon);
      port = text.substr(colon + 1);
    }
  }
  if (host.empty() || host.find_first_of("[]") != std::string_view::npos ||
      out.ipv6 != (host.find(':') != std::string_view::npos) || !ParsePort(port, out.port)) {
    out = HostPort();
    return false;
  }
  out.host.assign(host);
  return true;
}

std::string HostInAddress(const HostPort& address) {
  return address.ipv6 ? "[" + address.host + "]" : address.host;
}

}  // namespace quorvex::text
