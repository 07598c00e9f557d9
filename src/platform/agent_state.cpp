#include "platform/agent_state.h"

namespace quorvex::platform {
namespace {
AgentStateHost* g_host = nullptr;
}

AgentStateHost* AgentState() {
  return g_host;
}

void SetAgentState(AgentStateHost* host) {
  g_host = host;
}

void UpdateAgentState() {
  if (g_host) g_host->UpdateAgentState();
}

}  // namespace quorvex::platform
