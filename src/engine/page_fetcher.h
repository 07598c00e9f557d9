#pragma once
// One fetch, start to end, on the calling thread: a page address in, a fetch result and page text out.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/fetch_job.h"
#include "engine/fetch_session.h"

namespace quorvex::engine {

// What a fetch asks of its caller while it runs. Both are called on the fetching thread.
struct FetchHooks {
  // Polled after every read and at least about once a second while waiting; true ends the fetch with
  // FetchResultStopped. Empty: never stop.
  std::function<bool()> stopRequested;
  // Called after every read that delivered body bytes (the data-arriving notification).
  std::function<void()> afterRead;
};

struct FetchOutcome {
  int32_t result = FetchResultFailed;
  std::string text;   // the page text; empty unless result is FetchResultOk
  bool cut = false;   // the text was cut at the session's page limit
  std::string error;  // why the fetch failed; empty after a read, and after a stop asked for by the hooks
};

// If url names a local file (a file: address, or a plain absolute path), stores its path in path and
// returns true; path is empty when the file: address names another host. A file: address is
// percent-decoded; a plain path is taken as it is.
bool LocalFilePath(const std::string& url, std::string& path);

// Fetches one page with the settings of a session.
//  - Local files are read directly (no network), and only regular files: a missing or unreadable file
//    or a directory gives FetchResultFailed.
//  - http and https go through libcurl: agent text, proxy, connect time-out and attempts from the
//    session; redirects followed (to http and https only); certificates verified; compressed bodies
//    decoded before they reach the page buffer, so the page limit counts page text. ftp is fetched too.
//  - Deadlines: once connected, fewer bytes than seconds over the session's read limit (a silent or
//    trickling server) ends the fetch; so does the session's overall limit, counted from the call,
//    connection attempts included.
//  - Results: FetchResultOk with the text (cut at the page limit, see PageBuffer); FetchResultFailed
//    when the address cannot be used, nothing could be read (no connection, TLS failure, no answer
//    within the read limit) or the answer has an HTTP status of 400 or more (an error page is not the
//    page: its body is not read); FetchResultStopped when the stop hook said so, or the answer broke
//    off or stalled; FetchResultTimedOut when the overall limit passed. Every result but Ok and a stop of
//    the hook's says why in FetchOutcome::error: "HTTP 503 Service Unavailable", libcurl's reason
//    ("Could not resolve host: ...", "SSL certificate problem: ..."), the system's for a local file, or
//    a language text for the deadlines.
// Thread-safe: every fetch uses its own libcurl handle; a PageFetcher itself serves one thread.
class PageFetcher {
 public:
  // session must outlive the fetcher.
  PageFetcher(const FetchSession& session, FetchHooks hooks);

  FetchOutcome Fetch(const std::string& url);

  // Starts libcurl once per process. Any thread; false when it cannot start.
  static bool InitNetworking();

 private:
  FetchOutcome FetchLocal(const std::string& path);
  FetchOutcome FetchNetwork(const std::string& url);
  bool StopRequested() const { return m_hooks.stopRequested && m_hooks.stopRequested(); }
  // Waits the pause between two connection attempts, at most until deadline; false when a stop came
  // meanwhile.
  bool Backoff(std::chrono::steady_clock::time_point deadline) const;

  const FetchSession& m_session;
  FetchHooks m_hooks;
};

}  // namespace quorvex::engine
