// Server addresses come from catalogs, containers and settings: any bytes must parse to a result,
// and what parses must come back the same when written out again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/host_port.h"
#include "text/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  quorvex::text::HostPort parsed;
  if (quorvex::text::ParseHostPort(text, parsed)) {
    if (parsed.host.empty()) std::abort();
    std::string again = quorvex::text::HostInAddress(parsed);
    if (parsed.port != 0) again += ":" + std::to_string(parsed.port);
    quorvex::text::HostPort reparsed;
    if (!quorvex::text::ParseHostPort(again, reparsed) || reparsed.host != parsed.host ||
        reparsed.port != parsed.port || reparsed.ipv6 != parsed.ipv6)
      std::abort();
  }
  quorvex::text::ParsedUrl url;
  quorvex::text::ParseUrl(text, url);
  quorvex::text::ParseUrl("http://" + text + "/", url);
  return 0;
}
