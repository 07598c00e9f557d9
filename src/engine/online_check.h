#pragma once
// Whether the machine is on a network, asked at most once per refresh tick.
#include <functional>
#include <string>
#include <vector>

namespace quorvex::engine {

// What the machine's addresses say about its network.
enum class NetworkAnswer { None, LinkLocal, Private, Public };

// Classifies a list of addresses in numeric text form (IPv4 or IPv6); text that is not an address is
// skipped. Public at the first address that is neither private, link-local, loopback nor unspecified.
// Otherwise Private when any address is private (10/8, 172.16/12, 192.168/16, 100.64/10, IPv6 fc00::/7),
// else LinkLocal when any is link-local (169.254/16, fe80::/10), else None (loopback only, or nothing).
NetworkAnswer ClassifyAddresses(const std::vector<std::string>& addresses);

// True for the answers that count as online: public, and private (nearly every machine sits behind a
// private network today). Link-local only, loopback only or no address count as offline.
bool CountsAsOnline(NetworkAnswer answer);

// The state of the online check, a member of the main frame. UI thread only.
class WDOnlineCheck {
 public:
  enum State { Offline = 0, Online = 1, Unknown = 2, Asking = 3 };
  // Lists the machine's addresses; false when they cannot be listed (answer None).
  using AddressSource = std::function<bool(std::vector<std::string>&)>;

  // Asks the machine's interfaces (platform::HostAddresses).
  WDOnlineCheck();
  // Asks source instead (tests).
  explicit WDOnlineCheck(AddressSource source);

  // Forget the answer (each refresh tick): any state but Asking becomes Unknown.
  void Invalidate();
  // 1 when online, else 0. Asks the machine only in state Unknown; Asking gives 0.
  int IsOnline();
  State GetState() const { return m_state; }

 private:
  AddressSource m_source;
  State m_state = Unknown;
};

}  // namespace quorvex::engine
