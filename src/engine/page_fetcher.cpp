#include "engine/page_fetcher.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/page_buffer.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "text/url.h"

namespace quorvex::engine {
namespace {

using Clock = std::chrono::steady_clock;

constexpr long kMaxRedirects = 10;
constexpr size_t kFileChunk = 64 * 1024;
// libcurl ends a transfer when the body callback returns anything but the size it was given.
constexpr size_t kAbortTransfer = 0;
constexpr long kFirstHttpError = 400;
constexpr size_t kMaxReasonBytes = 100;

enum class TimeLimit { None, Read, Overall };

std::string Trim(const std::string& s) {
  size_t begin = s.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  return s.substr(begin, s.find_last_not_of(" \t\r\n") + 1 - begin);
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  if (s.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A broken escape stays as written; false when the path would hold a NUL byte.
bool PercentDecode(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == '%' && i + 2 < in.size() && HexDigit(in[i + 1]) >= 0 && HexDigit(in[i + 2]) >= 0) {
      char c = static_cast<char>(HexDigit(in[i + 1]) * 16 + HexDigit(in[i + 2]));
      if (c == '\0') return false;
      out += c;
      i += 2;
    } else {
      out += in[i];
    }
  }
  return true;
}

// The state of one network transfer, shared with libcurl's callbacks.
struct Transfer {
  Transfer(size_t limit, const FetchHooks& hooks, int readLimitSeconds, Clock::time_point deadline)
      : buffer(limit),
        hooks(hooks),
        deadline(deadline),
        perSecond(static_cast<size_t>(std::max(readLimitSeconds, 1))) {}

  bool StopRequested() const { return hooks.stopRequested && hooks.stopRequested(); }

  // Counts bytes that arrived now into the read limit's one-second slots.
  void Count(uint64_t bytes) {
    Advance();
    perSecond[slot % perSecond.size()] += bytes;
    inWindow += bytes;
  }
  // Moves the window on to the current second, emptying the slots it leaves behind.
  void Advance() {
    const auto second =
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - windowStart).count());
    while (slot < second) {
      ++slot;
      uint64_t& old = perSecond[slot % perSecond.size()];
      inWindow -= old;
      old = 0;
    }
  }
  // A new connection: the connect time-out covered the time before, so the read limit starts over.
  void Connected() {
    connected = true;
    windowStart = Clock::now();
    slot = 0;
    inWindow = 0;
    std::fill(perSecond.begin(), perSecond.end(), 0);
  }
  // True when fewer bytes than seconds arrived over the last read-limit seconds of the connection.
  bool Stalled() {
    if (!connected) return false;
    Advance();
    return slot >= perSecond.size() && inWindow < perSecond.size();
  }

  PageBuffer buffer;
  const FetchHooks& hooks;
  const Clock::time_point deadline;
  std::vector<uint64_t> perSecond;  // bytes by second of the connection, a ring over the read limit
  uint64_t slot = 0;                // the current second since windowStart
  uint64_t inWindow = 0;            // the sum of perSecond
  Clock::time_point windowStart = Clock::now();
  bool connected = false;
  curl_off_t downloaded = 0;  // libcurl's body count of the current request (before decoding)
  long status = 0;            // of the last HTTP status line
  std::string reason;         // its reason phrase
  bool httpError = false;     // the answer had status 400 or more
  bool answered = false;      // a header line arrived
  bool received = false;      // body bytes arrived
  bool stopped = false;
  TimeLimit timedOut = TimeLimit::None;
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (t.StopRequested()) {
    t.stopped = true;
    return kAbortTransfer;
  }
  // An error page is not the page: reading it would record the outage as a new value.
  if (t.status >= kFirstHttpError) {
    t.httpError = true;
    return kAbortTransfer;
  }
  t.received = true;
  size_t used = t.buffer.Append(data, bytes);
  if (t.hooks.afterRead) t.hooks.afterRead();
  // A complete page wants no more: ending the transfer here also bounds what a compressed body
  // can unpack to.
  if (t.buffer.IsComplete() && used == bytes) return kAbortTransfer;
  return used;
}

// Keeps the status and reason phrase of the last status line ("HTTP/1.1 503 Service Unavailable"; HTTP/2
// has no phrase). The final answer's line comes last, after those of redirects and proxies.
size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  t.Count(bytes);
  t.answered = true;
  std::string_view line(data, bytes);
  if (line.substr(0, 5) == "HTTP/") {
    const size_t code = line.find(' ');
    if (code != std::string_view::npos && code + 4 <= line.size()) {
      long status = 0;
      for (size_t i = code + 1; i < code + 4 && status >= 0; ++i) {
        status = std::isdigit(static_cast<unsigned char>(line[i])) ? status * 10 + (line[i] - '0') : -1;
      }
      t.status = std::max(status, 0L);
      t.reason.clear();
      // The phrase is the server's text: printable ASCII only, and not much of it.
      for (char c : line.substr(code + 4)) {
        if (t.reason.size() >= kMaxReasonBytes) break;
        if (c >= 0x20 && c < 0x7f) t.reason += c;
      }
      t.reason = Trim(t.reason);
    }
  }
  return bytes;
}

int OnConnected(void* user, char*, char*, int, int) {
  static_cast<Transfer*>(user)->Connected();
  return CURL_PREREQFUNC_OK;
}

// libcurl calls this about once a second even while nothing arrives, so a stop, a stalled or trickling
// server and the overall limit are noticed without waiting for the next byte.
int OnProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  // The count starts over with every request of a redirect chain.
  t.Count(static_cast<uint64_t>(downloaded >= t.downloaded ? downloaded - t.downloaded : downloaded));
  t.downloaded = downloaded;
  if (t.StopRequested()) {
    t.stopped = true;
    return 1;
  }
  if (Clock::now() >= t.deadline) {
    t.timedOut = TimeLimit::Overall;
    return 1;
  }
  if (t.Stalled()) {
    t.timedOut = TimeLimit::Read;
    return 1;
  }
  return 0;
}

// The usual phrases, for answers that bring none (HTTP/2 and later).
const char* StandardReason(long status) {
  switch (status) {
    case 400:
      return "Bad Request";
    case 401:
      return "Unauthorized";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 410:
      return "Gone";
    case 429:
      return "Too Many Requests";
    case 500:
      return "Internal Server Error";
    case 502:
      return "Bad Gateway";
    case 503:
      return "Service Unavailable";
    case 504:
      return "Gateway Timeout";
    default:
      return "";
  }
}

std::string HttpErrorText(long status, const std::string& reason) {
  std::string text = "HTTP " + std::to_string(status);
  const std::string phrase = reason.empty() ? StandardReason(status) : reason;
  if (!phrase.empty()) text += " " + phrase;
  return text;
}

std::string SecondsText(uint16_t id, int seconds) {
  return platform::FillPlaceholders(platform::GetString(id), {std::to_string(seconds)});
}

std::string CurlReason(CURLcode rc, const char* detail) {
  std::string text = Trim(detail);
  return text.empty() ? curl_easy_strerror(rc) : text;
}

bool IsConnectFailure(CURLcode rc) {
  return rc == CURLE_COULDNT_RESOLVE_HOST || rc == CURLE_COULDNT_RESOLVE_PROXY || rc == CURLE_COULDNT_CONNECT ||
         rc == CURLE_OPERATION_TIMEDOUT;
}

// Easy handles outlive their fetch: a handle keeps its connections alive and its internal state, so the
// next fetch from the same server saves the connection set-up and most system calls. A handle is used by
// one thread at a time (taken from and given back to the pool), as libcurl requires; its options are
// reset before every use.
class HandlePool {
 public:
  CURL* Take() {
    CURL* handle = nullptr;
    {
      std::lock_guard lock(m_lock);
      if (!m_idle.empty()) {
        handle = m_idle.back();
        m_idle.pop_back();
      }
    }
    if (!handle) return curl_easy_init();
    curl_easy_reset(handle);
    return handle;
  }
  void Give(CURL* handle) {
    {
      std::lock_guard lock(m_lock);
      if (m_idle.size() < kMaxIdle) {
        m_idle.push_back(handle);
        return;
      }
    }
    curl_easy_cleanup(handle);
  }

 private:
  // Enough for the usual number of simultaneous fetches; more are made and dropped as needed.
  static constexpr size_t kMaxIdle = 32;
  std::mutex m_lock;
  std::vector<CURL*> m_idle;
};

HandlePool& Handles() {
  static auto* pool = new HandlePool;  // never destroyed: workers may outlive static destruction
  return *pool;
}

struct CurlDeleter {
  void operator()(CURL* curl) const { Handles().Give(curl); }
};

// libcurl refuses addresses with blanks; users paste them.
std::string CurlAddress(const std::string& address) {
  std::string out = address.find("://") == std::string::npos ? "http://" : "";
  for (char c : address) {
    if (c == ' ') {
      out += "%20";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool LocalFilePath(const std::string& url, std::string& path) {
  path.clear();
  std::string address = Trim(url);
  if (!address.empty() && address[0] == '/') {
    path = address;
    return true;
  }
  if (!StartsWithNoCase(address, "file:")) return false;
  std::string rest = address.substr(5);
  if (rest.compare(0, 2, "//") == 0) {
    rest = rest.substr(2);
    size_t slash = rest.find('/');
    std::string host = rest.substr(0, slash);
    // Files of other hosts are not reached: path stays empty.
    if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) return true;
    rest = slash == std::string::npos ? std::string() : rest.substr(slash);
  }
  rest = rest.substr(0, rest.find_first_of("?#"));
  if (rest.empty() || rest[0] != '/' || !PercentDecode(rest, path)) path.clear();
  return true;
}

PageFetcher::PageFetcher(const FetchSession& session, FetchHooks hooks)
    : m_session(session), m_hooks(std::move(hooks)) {}

bool PageFetcher::InitNetworking() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] { started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return started;
}

FetchOutcome PageFetcher::Fetch(const std::string& url) {
  std::string path;
  if (LocalFilePath(url, path)) return FetchLocal(path);
  return FetchNetwork(url);
}

FetchOutcome PageFetcher::FetchLocal(const std::string& path) {
  FetchOutcome outcome;
  if (path.empty()) {
    outcome.error = platform::GetString(platform::ids::kFetchNotAFile);
    return outcome;
  }
  // Without O_NONBLOCK a FIFO named as a page would hold the worker until someone writes to it.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    outcome.error = std::strerror(errno);
    return outcome;
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    outcome.error = platform::GetString(platform::ids::kFetchNotAFile);
    return outcome;
  }
  PageBuffer buffer(m_session.PageLimit());
  std::vector<char> chunk(kFileChunk);
  outcome.result = FetchResultOk;
  while (!buffer.IsComplete()) {
    ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) outcome.error = std::strerror(errno);
    if (n < 0 || StopRequested()) {
      outcome.result = FetchResultStopped;
      break;
    }
    if (n == 0) break;
    buffer.Append(chunk.data(), static_cast<size_t>(n));
    if (m_hooks.afterRead) m_hooks.afterRead();
  }
  close(fd);
  if (outcome.result == FetchResultOk) {
    outcome.cut = buffer.WasCut();
    outcome.text = buffer.TakeText();
  }
  return outcome;
}

bool PageFetcher::Backoff(Clock::time_point deadline) const {
  const auto until = std::min(Clock::now() + std::chrono::milliseconds(m_session.BackoffMs()), deadline);
  while (Clock::now() < until) {
    if (StopRequested()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return !StopRequested();
}

FetchOutcome PageFetcher::FetchNetwork(const std::string& url) {
  FetchOutcome outcome;
  const auto deadline = Clock::now() + std::chrono::seconds(m_session.OverallSeconds());
  const std::string address = Trim(url);
  text::ParsedUrl parsed;
  if (!text::ParseUrl(address, parsed) ||
      (parsed.service != text::UrlService::Http && parsed.service != text::UrlService::Https &&
       parsed.service != text::UrlService::Ftp)) {
    outcome.error = platform::GetString(platform::ids::kMsgBadAddress);
    return outcome;
  }
  if (!InitNetworking()) {
    outcome.error = platform::GetString(platform::ids::kMsgNoInternetSession);
    return outcome;
  }
  const std::string curlAddress = CurlAddress(address);

  for (int attempt = 1;; ++attempt) {
    std::unique_ptr<CURL, CurlDeleter> curl(Handles().Take());
    if (!curl) {
      outcome.error = curl_easy_strerror(CURLE_OUT_OF_MEMORY);
      return outcome;
    }
    Transfer transfer(m_session.PageLimit(), m_hooks, m_session.ReadTimeoutSeconds(), deadline);
    char detail[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, curlAddress.c_str());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    // A page must not send the fetch to a local file or another protocol.
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_USERAGENT, m_session.Agent().c_str());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, m_session.ConnectTimeoutMs());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, OnConnected);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    // A kept handle holds one idle connection at most.
    curl_easy_setopt(h, CURLOPT_MAXCONNECTS, 1L);
    if (m_session.ViaProxy()) {
      curl_easy_setopt(h, CURLOPT_PROXY, m_session.ProxyServer().c_str());
      curl_easy_setopt(h, CURLOPT_PROXYPORT, static_cast<long>(m_session.ProxyPort()));
      curl_easy_setopt(h, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
      // An explicit proxy serves every address, whatever no_proxy says.
      curl_easy_setopt(h, CURLOPT_NOPROXY, "");
    }
    // Without a proxy setting libcurl honours the environment's proxy variables: the system's
    // configured access.

    CURLcode rc = curl_easy_perform(h);
    // The handle goes back to the pool, where the next fetch sets its own buffer.
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
    long status = 0;
    if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) status = 0;
    if (transfer.stopped) {
      outcome.result = FetchResultStopped;
    } else if (transfer.timedOut == TimeLimit::Overall) {
      outcome.result = FetchResultTimedOut;
      outcome.error = SecondsText(platform::ids::kFetchTooLong, m_session.OverallSeconds());
    } else if (transfer.timedOut == TimeLimit::Read) {
      // A read that failed, not an overdue fetch (which the periodic pass would stop retrying).
      outcome.result = transfer.answered ? FetchResultStopped : FetchResultFailed;
      outcome.error = SecondsText(platform::ids::kFetchStalled, m_session.ReadTimeoutSeconds());
    } else if (transfer.httpError || (parsed.service != text::UrlService::Ftp && status >= kFirstHttpError)) {
      outcome.result = FetchResultFailed;
      outcome.error = HttpErrorText(status >= kFirstHttpError ? status : transfer.status,
                                    status == transfer.status ? transfer.reason : std::string());
    } else if (rc == CURLE_OK || transfer.buffer.IsComplete()) {
      outcome.result = FetchResultOk;
      outcome.cut = transfer.buffer.WasCut();
      outcome.text = transfer.buffer.TakeText();
    } else if (transfer.received) {
      outcome.result = FetchResultStopped;
      outcome.error = CurlReason(rc, detail);
    } else if (IsConnectFailure(rc) && attempt < m_session.Retries() && Clock::now() < deadline) {
      if (!Backoff(deadline)) {
        outcome.result = FetchResultStopped;
        return outcome;
      }
      continue;
    } else {
      outcome.result = FetchResultFailed;
      outcome.error = CurlReason(rc, detail);
    }
    return outcome;
  }
}

}  // namespace quorvex::engine
