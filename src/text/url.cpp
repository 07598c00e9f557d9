#include "text/url.h"

#include <cctype>

#include "text/host_port.h"

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
  HostPort address;
  if (!ParseHostPort(authority, address)) return false;
  out.server = HostInAddress(address);
  if (address.port != 0) out.port = address.port;
  return true;
}

}  // namespace quorvex::text
