#include "text/url.h"

#include <cctype>

namespace quorvex::text {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool ParseUrl(const std::string& url, ParsedUrl& out) {
  out = ParsedUrl();
  size_t begin = url.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return false;
  size_t end = url.find_last_not_of(" \t\r\n") + 1;
  std::string rest = url.substr(begin, end - begin);

  size_t colon = rest.find("://");
  if (colon == std::string::npos) {
    out.scheme = "http";
  } else {
    out.scheme = Lower(rest.substr(0, colon));
    rest = rest.substr(colon + 3);
  }
  if (out.scheme == "http") {
    out.service = UrlService::Http;
    out.port = 80;
  } else if (out.scheme == "https") {
    out.service = UrlService::Https;
    out.port = 443;
  } else if (out.scheme == "ftp") {
    out.service = UrlService::Ftp;
    out.port = 21;
  } else if (out.scheme == "file") {
    out.service = UrlService::File;
  }
  if (out.service == UrlService::File) {
    // file://host/path or file:///path: the object is the path.
    size_t slash = rest.find('/');
    out.server = slash == std::string::npos ? rest : rest.substr(0, slash);
    out.object = slash == std::string::npos ? "/" : rest.substr(slash);
    return true;
  }
  size_t path = rest.find_first_of("/?#");
  std::string authority = path == std::string::npos ? rest : rest.substr(0, path);
  out.object = path == std::string::npos ? "/" : rest.substr(path);
  if (!out.object.empty() && out.object[0] != '/') out.object = "/" + out.object;
  if (size_t at = authority.rfind('@'); at != std::string::npos) authority = authority.substr(at + 1);
  std::string host = authority;
  if (!authority.empty() && authority[0] == '[') {  // IPv6 literal
    size_t close = authority.find(']');
    if (close == std::string::npos) return false;
    host = authority.substr(0, close + 1);
    authority = authority.substr(close + 1);
  } else if (size_t c = authority.rfind(':'); c != std::string::npos) {
    host = authority.substr(0, c);
    authority = authority.substr(c);
  } else {
    authority.clear();
  }
  if (!authority.empty() && authority[0] == ':') {
    std::string digits = authority.substr(1);
    if (!digits.empty()) {
      if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
      unsigned long port = std::stoul(digits);
      if (port == 0 || port > 65535) return false;
      out.port = static_cast<uint16_t>(port);
    }
  }
  out.server = host;
  return !out.server.empty();
}

}  // namespace quorvex::text
