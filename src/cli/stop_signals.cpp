#include "cli/stop_signals.h"

#include <csignal>

namespace quorvex::cli {
namespace {

volatile std::sig_atomic_t g_count = 0;
struct sigaction g_oldInt;
struct sigaction g_oldTerm;

void OnSignal(int) {
  if (g_count < 1000) g_count = g_count + 1;
}

}  // namespace

StopSignals::StopSignals() {
  g_count = 0;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &g_oldInt);
  sigaction(SIGTERM, &action, &g_oldTerm);
}

StopSignals::~StopSignals() {
  sigaction(SIGINT, &g_oldInt, nullptr);
  sigaction(SIGTERM, &g_oldTerm, nullptr);
}

int StopSignals::Count() {
  return g_count;
}

}  // namespace quorvex::cli
