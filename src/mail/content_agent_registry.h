#pragma once
// The process-wide list of part writers. Created on first use, never destroyed; owns its agents.
// Thread: every operation takes the registry's lock for the whole list operation, so any thread
// may register and look up. Agents found stay alive until the process ends.
#include <memory>
#include <mutex>
#include <vector>

#include "mail/content_agent.h"

namespace quorvex::mail {

class CContentAgentRegistry {
 public:
  static CContentAgentRegistry& Instance();

  // Appends agent at the tail; a null agent is ignored. When an agent of the same content type is
  // already registered the new one is dropped instead: only the first of a type is ever found, and
  // every message registers its pair, so keeping them all would grow the list with every e-mail.
  void Register(std::unique_ptr<CContentAgent> agent);
  // The first registered agent serving code, or null.
  const CContentAgent* FindAgent(int code) const;
  size_t GetCount() const;

 private:
  CContentAgentRegistry() = default;
  mutable std::mutex m_lock;
  std::vector<std::unique_ptr<CContentAgent>> m_agents;
};

}  // namespace quorvex::mail
