#include "text/host_port.h"

#include <gtest/gtest.h>

#include "text/url.h"

namespace quorvex::text {
namespace {

TEST(HostPort, SplitsHostsPortsAndIpv6AddressesOneWay) {
  struct Case {
    const char* text;
    const char* host;  // nullptr: refused
    uint16_t port;
    bool ipv6;
  };
  const Case cases[] = {
      {"mail.example", "mail.example", 0, false},
      {"mail.example:2525", "mail.example", 2525, false},
      {"mail.example:", "mail.example", 0, false},
      {"10.0.0.1:65535", "10.0.0.1", 65535, false},
      {"[::1]", "::1", 0, true},
      {"[::1]:587", "::1", 587, true},
      {"[fe80::1%eth0]:25", "fe80::1%eth0", 25, true},
      {"::1", "::1", 0, true},  // bare: every colon belongs to the address
      {"2001:db8::25", "2001:db8::25", 0, true},
      {"", nullptr, 0, false},
      {":25", nullptr, 0, false},
      {"[]:25", nullptr, 0, false},
      {"[::1", nullptr, 0, false},
      {"[::1]x", nullptr, 0, false},
      {"[::1]:25:26", nullptr, 0, false},
      {"[example.com]", nullptr, 0, false},
      {"a[b]:25", nullptr, 0, false},
      {"host:0", nullptr, 0, false},
      {"host:65536", nullptr, 0, false},
      {"host:000025", nullptr, 0, false},
      {"host:+25", nullptr, 0, false},
      {"host:99999999999999999999", nullptr, 0, false},
  };
  for (const Case& c : cases) {
    HostPort parsed;
    const bool ok = ParseHostPort(c.text, parsed);
    ASSERT_EQ(ok, c.host != nullptr) << c.text;
    if (!ok) {
      EXPECT_TRUE(parsed.host.empty()) << c.text;
      continue;
    }
    EXPECT_EQ(parsed.host, c.host) << c.text;
    EXPECT_EQ(parsed.port, c.port) << c.text;
    EXPECT_EQ(parsed.ipv6, c.ipv6) << c.text;
  }
  HostPort v6;
  ASSERT_TRUE(ParseHostPort("::1", v6));
  EXPECT_EQ(HostInAddress(v6), "[::1]");

  // Page addresses read their server part the same way, user and path aside.
  ParsedUrl url;
  ASSERT_TRUE(ParseUrl("https://user:pw@[2001:db8::7]:8443/a?b", url));
  EXPECT_EQ(url.server, "[2001:db8::7]");
  EXPECT_EQ(url.port, 8443);
  ASSERT_TRUE(ParseUrl("example.com:/x", url));
  EXPECT_EQ(url.port, 80);
  EXPECT_FALSE(ParseUrl("http://[::1/", url));
  EXPECT_FALSE(ParseUrl("http://host:70000/", url));
}

}  // namespace
}  // namespace quorvex::text
