#pragma once
// SIGINT and SIGTERM, counted instead of ending the process, while a StopSignals object lives: a
// command that runs fetches stops them and saves the catalog on the first signal, and a second signal
// only hurries that up, so that no signal can end the process in the middle of a save.
namespace quorvex::cli {

class StopSignals {
 public:
  // Installs the handlers (the previous ones come back with the destructor). One object at a time.
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Signals received since the object was made. Any thread.
  static int Count();
};

}  // namespace quorvex::cli
