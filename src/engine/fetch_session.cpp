#include "engine/fetch_session.h"

#include <algorithm>
#include <mutex>

#include "engine/page_fetcher.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/settings.h"

namespace quorvex::engine {
namespace {

constexpr uint16_t kTextFetchesRunning = 61498;
constexpr uint16_t kTextNoSession = 61453;
constexpr uint16_t kTextCheckProxy = 61518;

std::mutex& SessionLock() {
  static auto* lock = new std::mutex;  // never destroyed: workers may outlive static destruction
  return *lock;
}

std::shared_ptr<const FetchSession>& SessionSlot() {
  static auto* slot = new std::shared_ptr<const FetchSession>;
  return *slot;
}

void SetSession(std::shared_ptr<const FetchSession> session) {
  std::lock_guard lock(SessionLock());
  SessionSlot() = std::move(session);
}

bool ProxyUsable(const SessionConfig& config) {
  bool blank = config.proxyServer.find_first_not_of(" \t") == std::string::npos;
  return !blank && config.proxyPort >= 1 && config.proxyPort <= 65535;
}

}  // namespace

SessionConfig SessionConfigFromSettings(const settings::WDSettings& settings) {
  SessionConfig config;
  config.viaProxy = settings.m_bViaProxy != 0;
  config.proxyServer = settings.m_strProxyServer;
  config.proxyPort = settings.m_nProxyPort;
  config.timeoutSeconds = settings.m_nTimeOut;
  config.retries = settings.m_nRetries;
  config.pageLimit = static_cast<size_t>(std::max(settings.m_nPageLimit, 0));
  return config;
}

FetchSession::FetchSession(const SessionConfig& config)
    : m_viaProxy(config.viaProxy),
      m_proxyServer(config.viaProxy ? config.proxyServer : std::string()),
      m_proxyPort(config.viaProxy ? static_cast<uint16_t>(std::clamp(config.proxyPort, 0, 65535)) : 0),
      m_connectTimeoutMs(std::max(config.timeoutSeconds, 0) * 1000L),
      m_retries(std::max(config.retries, 1)),
      m_pageLimit(std::clamp(config.pageLimit, kDefaultPageLimit, kMaxPageLimit)),
      // A read limit beyond the overall limit would never act.
      m_readTimeoutSeconds(std::min(config.timeoutSeconds > 0 ? config.timeoutSeconds : kDefaultReadTimeoutSeconds,
                                    std::max(config.overallSeconds, 1))),
      m_overallSeconds(std::max(config.overallSeconds, 1)) {
  if (m_viaProxy) m_proxyName = "http=" + m_proxyServer + ":" + std::to_string(m_proxyPort);
}

bool CreateSession(const SessionConfig& config, size_t listedJobs) {
  if (listedJobs > 0) {
    platform::Prompt().ShowMessage(platform::GetString(kTextFetchesRunning), platform::PromptIcon::None);
    return false;
  }
  SetSession(nullptr);
  if (PageFetcher::InitNetworking() && (!config.viaProxy || ProxyUsable(config))) {
    SetSession(std::make_shared<const FetchSession>(config));
    return true;
  }
  std::string text = platform::GetString(kTextNoSession);
  if (config.viaProxy) text += "\n" + platform::GetString(kTextCheckProxy);
  platform::Prompt().ShowMessage(text, platform::PromptIcon::Exclamation);
  return false;
}

std::shared_ptr<const FetchSession> CurrentSession() {
  std::lock_guard lock(SessionLock());
  return SessionSlot();
}

void CloseSession() {
  SetSession(nullptr);
}

}  // namespace quorvex::engine
