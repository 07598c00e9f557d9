#pragma once
// The addresses this machine has on its network interfaces.
#include <string>
#include <vector>

namespace quorvex::platform {

// Stores in out the IPv4 and IPv6 addresses, in numeric text form ("192.168.1.20", "fe80::1"), of the
// interfaces that are up and running. False (out empty) when the interfaces cannot be listed.
bool HostAddresses(std::vector<std::string>& out);

}  // namespace quorvex::platform
