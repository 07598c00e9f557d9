#pragma once
// The headless agent's loop: the refresh tick, the hand-back of finished fetches, saving after every
// pass that changed the catalog, and an orderly stop. What the desktop program's timer and message
// loop do, for a program without a window.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/fetch_pass.h"

namespace quorvex::engine {

class WDQvxDoc;
class CatalogOwner;

struct AgentOptions {
  // Seconds between two refresh ticks (a minute; shorter for tests).
  int64_t intervalSeconds = 60;
  // Stop after this many ticks (0: no limit; for tests).
  int64_t maxTicks = 0;
};

// Runs on the UI thread and owns it while Run lasts. The document must outlive the agent.
class RefreshAgent {
 public:
  using PassCallback = std::function<void(const std::vector<PageReport>&)>;

  RefreshAgent(WDQvxDoc& doc, AgentOptions options);
  ~RefreshAgent();
  RefreshAgent(const RefreshAgent&) = delete;
  RefreshAgent& operator=(const RefreshAgent&) = delete;

  // Ticks at once and then every interval (the document's OnTimerTick: AutoFreshing, the online check,
  // the overdue rule) and drains the document's dispatcher. Whenever the job list has emptied after
  // fetches, and before every tick, calls onPass with the reports of the jobs finished since and saves
  // the catalog when it was modified.
  // Returns when stopRequested() is true (polled at least four times a second) or after maxTicks
  // ticks once their fetches have ended.
  void Run(const std::function<bool()>& stopRequested, const PassCallback& onPass);

  // The orderly end: stops the running fetches and waits up to wait for them to be retired (fetches
  // that were stopped leave their pages as they were), or less when abandon() becomes true; gives alert
  // mail still being delivered its grace time (none after abandon()); then saves the catalog when
  // modified. Returns whether the catalog is saved (or had nothing to save).
  bool Shutdown(std::chrono::milliseconds wait, const std::function<bool()>& abandon, const PassCallback& onPass);

  // The agent as the catalog's owner: Run serves the commands that change the catalog meanwhile (its
  // fetches stopped and the catalog saved before it lets go, the file loaded again afterwards) and
  // leaves the catalog alone while a command has it. owner must outlive Run.
  void SetOwner(CatalogOwner* owner) { m_owner = owner; }

  int64_t Ticks() const { return m_ticks; }

 private:
  // Reports a finished pass and saves; false when saving failed.
  bool EndPass(const PassCallback& onPass);

  // Stops the fetches and waits (bounded) until they are retired.
  void StopFetches(std::chrono::milliseconds wait, const std::function<bool()>& abandon);
  // Serves the owner's socket; true while a command has the catalog.
  bool ServeOwner(const PassCallback& onPass);

  WDQvxDoc& m_doc;
  CatalogOwner* m_owner = nullptr;
  AgentOptions m_options;
  std::shared_ptr<PassRecorder> m_recorder;
  int64_t m_ticks = 0;
};

}  // namespace quorvex::engine
