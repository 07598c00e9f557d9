#include "mail/content_agent_registry.h"

namespace quorvex::mail {

CContentAgentRegistry& CContentAgentRegistry::Instance() {
  // Never destroyed: a delivery given up at exit may still be composing its message.
  static auto* registry = new CContentAgentRegistry;
  return *registry;
}

void CContentAgentRegistry::Register(std::unique_ptr<CContentAgent> agent) {
  if (!agent) return;
  std::lock_guard<std::mutex> guard(m_lock);
  for (const auto& known : m_agents) {
    if (known->QueryType(agent->GetContentCode())) return;
  }
  m_agents.push_back(std::move(agent));
}

const CContentAgent* CContentAgentRegistry::FindAgent(int code) const {
  std::lock_guard<std::mutex> guard(m_lock);
  for (const auto& agent : m_agents) {
    if (agent->QueryType(code)) return agent.get();
  }
  return nullptr;
}

size_t CContentAgentRegistry::GetCount() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_agents.size();
}

}  // namespace quorvex::mail
