#pragma once
// The one web session of the process: how every page fetch connects (agent text, proxy, time-outs,
// connection attempts, page limit). Built from the CONNECTION settings.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/page_buffer.h"

namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::engine {

// Seconds a fetch may last in all: the fetch ends itself then (FetchResultTimedOut), and the periodic
// pass gives up a job running longer.
constexpr int64_t kOverdueSeconds = 300;
// The read limit when the TimeOut setting is 0 or less.
constexpr int kDefaultReadTimeoutSeconds = 10;

// The CONNECTION settings a session is built from, as the settings store holds them.
struct SessionConfig {
  bool viaProxy = false;    // ViaProxy
  std::string proxyServer;  // ProxyServer, used as it is (it may carry a scheme: "http://cache.lan")
  int proxyPort = 80;       // ProxyPort
  // TimeOut, in seconds: the connect time-out (0: libcurl's default) and the read limit (0: 10 s). A fetch
  // that receives less than one byte a second on average for this long ends (FetchResultFailed before an
  // answer, FetchResultStopped during one), so a silent server and one that trickles a byte now and
  // then are both given up.
  int timeoutSeconds = 10;
  int retries = 2;                       // Retries: connection attempts (at least one is made)
  size_t pageLimit = kDefaultPageLimit;  // PageLimit: bytes of page text, within [52000, 16777216]
  // The whole fetch, connection attempts included, ends with FetchResultTimedOut after this long.
  int overallSeconds = static_cast<int>(kOverdueSeconds);
};

// The session settings as the store holds them (ViaProxy, ProxyServer, ProxyPort, TimeOut, Retries,
// PageLimit). Every fetch of the program, the scheduler's and the command line's, is built from this.
SessionConfig SessionConfigFromSettings(const settings::WDSettings& settings);

// Immutable once made; shared by every worker that started while it was current.
class FetchSession {
 public:
  // Takes config as it is after normalising: page limit clamped to its range, negative time-outs 0
  // (the read limit then 10 s), the overall limit at least 1 s, attempts at least 1. Does not check the proxy
  // (CreateSession does).
  explicit FetchSession(const SessionConfig& config);

  static constexpr const char* kAgent = "Quorvex Agent";
  static constexpr long kBackoffMs = 1000;

  const std::string& Agent() const { return m_agent; }
  bool ViaProxy() const { return m_viaProxy; }
  // "http=S:port" with the ProxyServer text S as it is; empty without a proxy.
  const std::string& ProxyName() const { return m_proxyName; }
  const std::string& ProxyServer() const { return m_proxyServer; }
  uint16_t ProxyPort() const { return m_proxyPort; }
  long ConnectTimeoutMs() const { return m_connectTimeoutMs; }
  // Pause between two connection attempts.
  long BackoffMs() const { return kBackoffMs; }
  int Retries() const { return m_retries; }
  size_t PageLimit() const { return m_pageLimit; }
  // The read limit: seconds in which at least as many bytes must arrive.
  int ReadTimeoutSeconds() const { return m_readTimeoutSeconds; }
  int OverallSeconds() const { return m_overallSeconds; }

 private:
  std::string m_agent = kAgent;
  bool m_viaProxy;
  std::string m_proxyName;
  std::string m_proxyServer;
  uint16_t m_proxyPort;
  long m_connectTimeoutMs;
  int m_retries;
  size_t m_pageLimit;
  int m_readTimeoutSeconds;
  int m_overallSeconds;
};

// Builds the process-wide session from config. UI thread.
//  - listedJobs > 0 (the document has fetches running): shows language text 61498 and returns false;
//    the old session stays.
//  - Otherwise the old session is dropped (workers still using it keep it until they end) and a new
//    one made. When it cannot be made (networking does not start; with ViaProxy, an empty server text or
//    a port outside 1..65535) there is no session afterwards, language text 61453 is shown with an
//    exclamation icon (with ViaProxy followed by LF and text 61518), and the result is false.
bool CreateSession(const SessionConfig& config, size_t listedJobs = 0);

// The current session, or null. Any thread.
std::shared_ptr<const FetchSession> CurrentSession();

// Drops the session (main frame closing). Fetches started afterwards fail with FetchResultFailed.
void CloseSession();

}  // namespace quorvex::engine
