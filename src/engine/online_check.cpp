#include "engine/online_check.h"

#include <arpa/inet.h>

#include <array>
#include <cstdint>
#include <utility>

#include "platform/host_addresses.h"

namespace quorvex::engine {
namespace {

enum class Kind { Skip, LinkLocal, Private, Public };

Kind ClassifyV4(const uint8_t* a) {
  if (a[0] == 0 || a[0] == 127) return Kind::Skip;  // unspecified, loopback (Debian names the host 127.0.1.1)
  if (a[0] >= 224) return Kind::Skip;               // multicast and reserved
  if (a[0] == 10 || (a[0] == 172 && a[1] >= 16 && a[1] <= 31) || (a[0] == 192 && a[1] == 168)) return Kind::Private;
  if (a[0] == 100 && a[1] >= 64 && a[1] <= 127) return Kind::Private;  // carrier-grade NAT
  if (a[0] == 169 && a[1] == 254) return Kind::LinkLocal;
  return Kind::Public;
}

Kind ClassifyV6(const uint8_t* a) {
  static constexpr std::array<uint8_t, 12> kMappedV4 = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  bool mapped = true;
  for (size_t i = 0; i < kMappedV4.size(); ++i) mapped = mapped && a[i] == kMappedV4[i];
  if (mapped) return ClassifyV4(a + 12);
  if (a[0] == 0xff) return Kind::Skip;                                // multicast
  if (a[0] == 0xfe && (a[1] & 0xc0) == 0x80) return Kind::LinkLocal;  // fe80::/10
  if ((a[0] & 0xfe) == 0xfc) return Kind::Private;                    // unique local fc00::/7
  if ((a[0] & 0xe0) == 0x20) return Kind::Public;                     // global unicast 2000::/3
  return Kind::Skip;                                                  // ::, ::1 and the rest
}

Kind Classify(const std::string& text) {
  uint8_t bytes[16] = {};
  if (inet_pton(AF_INET, text.c_str(), bytes) == 1) return ClassifyV4(bytes);
  if (inet_pton(AF_INET6, text.c_str(), bytes) == 1) return ClassifyV6(bytes);
  return Kind::Skip;
}

}  // namespace

NetworkAnswer ClassifyAddresses(const std::vector<std::string>& addresses) {
  bool anyPrivate = false;
  bool anyLinkLocal = false;
  for (const std::string& address : addresses) {
    switch (Classify(address)) {
      case Kind::Public:
        return NetworkAnswer::Public;
      case Kind::Private:
        anyPrivate = true;
        break;
      case Kind::LinkLocal:
        anyLinkLocal = true;
        break;
      case Kind::Skip:
        break;
    }
  }
  if (anyPrivate) return NetworkAnswer::Private;
  return anyLinkLocal ? NetworkAnswer::LinkLocal : NetworkAnswer::None;
}

bool CountsAsOnline(NetworkAnswer answer) {
  return answer == NetworkAnswer::Public || answer == NetworkAnswer::Private;
}

WDOnlineCheck::WDOnlineCheck() : WDOnlineCheck(platform::HostAddresses) {}

WDOnlineCheck::WDOnlineCheck(AddressSource source) : m_source(std::move(source)) {}

void WDOnlineCheck::Invalidate() {
  if (m_state != Asking) m_state = Unknown;
}

int WDOnlineCheck::IsOnline() {
  if (m_state == Asking) return 0;
  if (m_state == Unknown) {
    m_state = Asking;
    std::vector<std::string> addresses;
    NetworkAnswer answer = m_source && m_source(addresses) ? ClassifyAddresses(addresses) : NetworkAnswer::None;
    m_state = CountsAsOnline(answer) ? Online : Offline;
  }
  return m_state;
}

}  // namespace quorvex::engine
