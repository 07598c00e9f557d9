#pragma once
// The main frame's agent state (tray icon, bell, status line): the core tells the UI that monitoring
// started or ended, and the UI looks at the document to decide what to show. Installed by the UI
// while it lives; without one nobody is told.
namespace quorvex::platform {

class AgentStateHost {
 public:
  virtual ~AgentStateHost() = default;
  // The monitoring state may have changed: fetches started or all ended, alerts arrived. Called on the
  // UI thread; must not start or finish fetches itself.
  virtual void UpdateAgentState() = 0;
};

// The installed host or nullptr. UI thread only.
AgentStateHost* AgentState();
void SetAgentState(AgentStateHost* host);

// Calls UpdateAgentState of the installed host, if any.
void UpdateAgentState();

}  // namespace quorvex::platform
