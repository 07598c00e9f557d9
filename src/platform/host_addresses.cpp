#include "platform/host_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace quorvex::platform {

bool HostAddresses(std::vector<std::string>& out) {
  out.clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || !(entry->ifa_flags & IFF_UP) || !(entry->ifa_flags & IFF_RUNNING)) continue;
    char text[INET6_ADDRSTRLEN] = {};
    const int family = entry->ifa_addr->sa_family;
    const void* address = nullptr;
    if (family == AF_INET) {
      address = &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr;
    } else if (family == AF_INET6) {
      address = &reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr;
    } else {
      continue;
    }
    if (inet_ntop(family, address, text, sizeof(text))) out.emplace_back(text);
  }
  freeifaddrs(list);
  return true;
}

}  // namespace quorvex::platform
