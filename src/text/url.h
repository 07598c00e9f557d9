#pragma once
// Splitting a page address into service, server, object and port.
#include <cstdint>
#include <string>

namespace quorvex::text {

enum class UrlService { Unknown, Http, Https, File, Ftp };

struct ParsedUrl {
  UrlService service = UrlService::Unknown;
  std::string scheme;  // lower case, "http" when the address had none
  std::string server;  // host name, without user or port; an IPv6 address in brackets
  std::string object;  // path and query, "/" at least for network addresses
  uint16_t port = 0;   // the explicit port, else the scheme's default
};

// Splits url. An address without a scheme is taken as http ("example.com/a" is http://example.com/a),
// as users type them. False for an empty or unusable address (no server for a network scheme, bad port).
bool ParseUrl(const std::string& url, ParsedUrl& out);

}  // namespace quorvex::text
