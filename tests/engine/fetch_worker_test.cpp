#include "engine/fetch_worker.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/fetch_session.h"
#include "engine/page_buffer.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/http_test_server.h"
#include "support/no_proxy.h"

namespace quorvex::engine {
namespace {

using namespace std::chrono_literals;
using quorvex::testing::HttpRoute;
using quorvex::testing::HttpTestServer;

// "Compressed line one\r\nline two\n", gzip -9n.
const unsigned char kSmallGzip[] = {0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x03, 0x73, 0xce,
                                    0xcf, 0x2d, 0x28, 0x4a, 0x2d, 0x2e, 0x4e, 0x4d, 0x51, 0xc8, 0xc9, 0xcc,
                                    0x4b, 0x55, 0xc8, 0xcf, 0x4b, 0xe5, 0xe5, 0x02, 0xb3, 0x4a, 0xca, 0xf3,
                                    0xb9, 0x00, 0x6c, 0xb2, 0x76, 0x52, 0x1e, 0x00, 0x00, 0x00};

std::string Gzip(const unsigned char* bytes, size_t size) {
  return std::string(reinterpret_cast<const char*>(bytes), size);
}

// 2,000 lines "0123456789012345678901234567890123456789\n" (82,000 bytes), gzip -9n.
const unsigned char kBigGzip[] = {
    0x1f, 0x8b, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x03, 0xed, 0xca, 0xa9, 0x0d, 0x00, 0x20, 0x10, 0x00, 0x30,
    0xcf, 0x34, 0xc7, 0x77, 0xc0, 0xfe, 0x8b, 0xb1, 0x01, 0x9e, 0xa4, 0xae, 0xa2, 0x51, 0x5b, 0x1f, 0x33, 0xd7, 0x3e,
    0xf1, 0x54, 0x09, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51,
    0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14,
    0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45,
    0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51,
    0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14,
    0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45,
    0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51,
    0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14,
    0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45,
    0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51,
    0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14,
    0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45,
    0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0x51, 0x14, 0x45, 0xf1, 0xa7, 0x78, 0x01, 0x7b, 0xac, 0xd0,
    0x04, 0x50, 0x40, 0x01, 0x00};

std::string Lines(size_t count, const std::string& line) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += line;
  return out;
}

// A TCP socket bound to a free loopback port, which address receives; -1 on failure.
int BindLoopback(sockaddr_in& address) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  address = sockaddr_in{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    return fd;
  }
  if (fd >= 0) close(fd);
  return -1;
}

std::string AddressUrl(const sockaddr_in& address) {
  return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
}

class RecordingTarget : public FetchTarget {
 public:
  void OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>& job) override {
    codes.push_back(code);
    if (code == Notification::FetchFinished) finished = job;
    if (code == Notification::DataArriving && onData) onData(*job);
  }
  size_t Count(Notification code) const { return std::count(codes.begin(), codes.end(), code); }

  std::vector<Notification> codes;
  std::shared_ptr<WDFetchJob> finished;
  std::function<void(WDFetchJob&)> onData;
};

class FetchWorkerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ClearProxyEnvironment(); }
  void SetUp() override {
    SetStopFlag(false);
    config.timeoutSeconds = 5;
    config.retries = 1;
  }
  void TearDown() override {
    SetStopFlag(true);
    EXPECT_TRUE(FetchWorker::WaitForAll(60s));
    SetStopFlag(false);
    CloseSession();
  }

  std::shared_ptr<WDFetchJob> Start(const std::string& url) {
    EXPECT_TRUE(CreateSession(config));
    auto job = std::make_shared<WDFetchJob>(url, target);
    EXPECT_TRUE(StartWorker(job, dispatcher));
    return job;
  }

  // Runs notifications until the job has come back (or a generous deadline passes).
  std::shared_ptr<WDFetchJob> Fetch(const std::string& url) {
    auto job = Start(url);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!target->finished && std::chrono::steady_clock::now() < deadline) dispatcher->WaitAndRun(100ms);
    EXPECT_EQ(target->finished, job);
    return job;
  }

  SessionConfig config;
  std::shared_ptr<Dispatcher> dispatcher = std::make_shared<Dispatcher>();
  std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>();
  HttpTestServer server;
};

TEST_F(FetchWorkerTest, PlainPageComesBackWithTextAndNotifications) {
  server.Serve("/page", HttpTestServer::Response("Hello\nWorld\n"));
  auto job = Fetch(server.Url("/page"));
  EXPECT_EQ(job->Result(), FetchResultOk);
  ASSERT_TRUE(job->HasText());
  EXPECT_EQ(job->Text(), "Hello\nWorld\n");
  EXPECT_TRUE(job->HasWorker());
  EXPECT_GT(job->StartTime(), 0);
  EXPECT_EQ(target->codes, (std::vector<Notification>{Notification::DataArriving, Notification::FetchFinished}));
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_EQ(request.rfind("GET /page HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(request.find("\r\nUser-Agent: Quorvex Agent\r\n"), std::string::npos);
  EXPECT_NE(request.find("\r\nAccept-Encoding: "), std::string::npos);
}

TEST_F(FetchWorkerTest, DataArrivingComesAgainOnlyWhenAskedFor) {
  HttpRoute route;
  route.parts = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\none\n", "two\n", "three\n"};
  route.pauseMs = 200;
  server.Route("/slow", route);
  auto job = Fetch(server.Url("/slow"));
  EXPECT_EQ(job->Text(), "one\ntwo\nthree\n");
  EXPECT_EQ(target->Count(Notification::DataArriving), 1u);

  target = std::make_shared<RecordingTarget>();
  target->onData = [](WDFetchJob& j) { j.RequestNotify(); };
  Fetch(server.Url("/slow"));
  EXPECT_GE(target->Count(Notification::DataArriving), 2u);
  EXPECT_EQ(target->codes.back(), Notification::FetchFinished);
}

TEST_F(FetchWorkerTest, CarriageReturnsAreDroppedAndANulEndsTheText) {
  server.Serve("/crlf", HttpTestServer::Response("a\r\nb\rc\r\n\r\n"));
  EXPECT_EQ(Fetch(server.Url("/crlf"))->Text(), "a\nbc\n\n");
  server.Serve("/nul", HttpTestServer::Response(std::string("abc\ndef\0ghi\njkl\n", 16)));
  target = std::make_shared<RecordingTarget>();
  auto job = Fetch(server.Url("/nul"));
  EXPECT_EQ(job->Result(), FetchResultOk);
  EXPECT_EQ(job->Text(), "abc\ndef");
}

TEST_F(FetchWorkerTest, LongBodyIsCutAtThePageLimitAndCountsAsRead) {
  const std::string line = std::string(99, 'x') + "\n";
  server.Serve("/long", HttpTestServer::Response(Lines(600, line)));
  auto job = Fetch(server.Url("/long"));
  EXPECT_EQ(job->Result(), FetchResultOk);
  EXPECT_EQ(job->Text(), Lines(519, line) + std::string(99, 'x'));

  server.Serve("/exact", HttpTestServer::Response(std::string(52000, 'e')));
  target = std::make_shared<RecordingTarget>();
  EXPECT_EQ(Fetch(server.Url("/exact"))->Text(), std::string(51999, 'e'));

  config.pageLimit = 300000;
  const std::string body = Lines(2000, std::string(99, 'b') + "\n");
  server.Serve("/big", HttpTestServer::Response(body));
  target = std::make_shared<RecordingTarget>();
  EXPECT_EQ(Fetch(server.Url("/big"))->Text(), body);
}

TEST_F(FetchWorkerTest, ErrorStatusFailsTheFetchAndNamesTheStatus) {
  auto job = Fetch(server.Url("/missing"));
  EXPECT_EQ(job->Result(), FetchResultFailed);
  EXPECT_FALSE(job->HasText());
  EXPECT_EQ(job->ErrorText(), "HTTP 404 Not Found");

  // The status of the page reached, after a redirect; a body-less answer and one without a phrase.
  server.Serve("/moved", "HTTP/1.1 301 Moved\r\nLocation: /down\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  server.Serve("/down", HttpTestServer::Response("<h1>Down for maintenance</h1>\n", "", "503 Service Unavailable"));
  server.Serve("/teapot", "HTTP/1.1 418\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  for (const auto& [path, error] :
       {std::pair<std::string, std::string>{"/moved", "HTTP 503 Service Unavailable"}, {"/teapot", "HTTP 418"}}) {
    target = std::make_shared<RecordingTarget>();
    job = Fetch(server.Url(path));
    EXPECT_EQ(job->Result(), FetchResultFailed) << path;
    EXPECT_FALSE(job->HasText()) << path;
    EXPECT_EQ(job->ErrorText(), error) << path;
  }
}

TEST_F(FetchWorkerTest, RedirectsAreFollowedButNotToLocalFiles) {
  server.Serve("/old", "HTTP/1.1 302 Found\r\nLocation: /new\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  server.Serve("/new", HttpTestServer::Response("landed\n"));
  EXPECT_EQ(Fetch(server.Url("/old"))->Text(), "landed\n");
  EXPECT_EQ(server.Requests().size(), 2u);

  server.Serve(
      "/sneaky",
      "HTTP/1.1 302 Found\r\nLocation: file:///etc/hostname\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  target = std::make_shared<RecordingTarget>();
  auto job = Fetch(server.Url("/sneaky"));
  EXPECT_EQ(job->Result(), FetchResultFailed);
  EXPECT_FALSE(job->HasText());
}

TEST_F(FetchWorkerTest, CompressedBodyIsDecodedBeforeTheLimitCounts) {
  server.Serve("/gz", HttpTestServer::Response(Gzip(kSmallGzip, sizeof(kSmallGzip)), "Content-Encoding: gzip\r\n"));
  EXPECT_EQ(Fetch(server.Url("/gz"))->Text(), "Compressed line one\nline two\n");

  server.Serve("/bomb", HttpTestServer::Response(Gzip(kBigGzip, sizeof(kBigGzip)), "Content-Encoding: gzip\r\n"));
  target = std::make_shared<RecordingTarget>();
  auto job = Fetch(server.Url("/bomb"));
  PageBuffer expected;
  const std::string plain = Lines(2000, "0123456789012345678901234567890123456789\n");
  expected.Append(plain.data(), plain.size());
  EXPECT_EQ(job->Result(), FetchResultOk);
  EXPECT_EQ(job->Text(), expected.Text());
  EXPECT_EQ(job->Text().size(), 51999u);
}

TEST_F(FetchWorkerTest, StopFlagSetDuringTheReadEndsTheFetchWithoutText) {
  HttpRoute route;
  route.parts = {"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nfirst line\n", "never sent\n"};
  route.pauseMs = -1;  // the rest waits until the server stops
  server.Route("/stall", route);
  target->onData = [](WDFetchJob&) { SetStopFlag(true); };
  auto job = Fetch(server.Url("/stall"));
  EXPECT_EQ(job->Result(), FetchResultStopped);
  EXPECT_FALSE(job->HasText());
}

TEST_F(FetchWorkerTest, SilentTricklingAndEndlessServersAreGivenUp) {
  using Clock = std::chrono::steady_clock;
  config.timeoutSeconds = 2;
  const std::string stalled = platform::FillPlaceholders(platform::GetString(platform::ids::kFetchStalled), {"2"});
  HttpRoute silent;
  silent.holdOpen = true;
  server.Route("/silent", silent);
  HttpRoute trickle;  // a byte every 2 s, for a minute
  trickle.parts = {"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n"};
  trickle.parts.resize(31, "x");
  trickle.pauseMs = 2000;
  server.Route("/trickle", trickle);
  // A failed open and a failed read: the periodic pass tries them again, unlike an overdue fetch.
  for (const auto& [path, result] :
       {std::pair<std::string, int32_t>{"/silent", FetchResultFailed}, {"/trickle", FetchResultStopped}}) {
    target = std::make_shared<RecordingTarget>();
    const auto start = Clock::now();
    auto job = Fetch(server.Url(path));
    EXPECT_EQ(job->Result(), result) << path;
    EXPECT_FALSE(job->HasText()) << path;
    EXPECT_EQ(job->ErrorText(), stalled) << path;
    // TimeOut and a margin for the once-a-second check; far less than the trickle would last.
    EXPECT_LT(Clock::now() - start, 8s) << path;
  }

  // Fast enough for the read limit, but never ending: the overall limit ends it.
  config.overallSeconds = 3;
  HttpRoute endless;
  endless.parts = {"HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n"};
  endless.parts.resize(200, std::string(100, 'y') + "\n");
  endless.pauseMs = 200;
  server.Route("/endless", endless);
  target = std::make_shared<RecordingTarget>();
  auto job = Fetch(server.Url("/endless"));
  EXPECT_EQ(job->Result(), FetchResultTimedOut);
  EXPECT_EQ(job->ErrorText(), platform::FillPlaceholders(platform::GetString(platform::ids::kFetchTooLong), {"3"}));
}

TEST_F(FetchWorkerTest, ConnectionClosedInsideTheBodyIsAReadError) {
  server.Serve("/short", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial\n");
  auto job = Fetch(server.Url("/short"));
  EXPECT_EQ(job->Result(), FetchResultStopped);
  EXPECT_FALSE(job->HasText());
}

TEST_F(FetchWorkerTest, UnreachableServersFailAndSayWhy) {
  sockaddr_in address{};
  int fd = BindLoopback(address);
  ASSERT_GE(fd, 0);
  close(fd);  // nobody listens on this port now
  config.retries = 2;
  auto job = Fetch(AddressUrl(address));
  EXPECT_EQ(job->Result(), FetchResultFailed);
  EXPECT_FALSE(job->HasText());
  EXPECT_NE(job->ErrorText().find("Couldn't connect to server"), std::string::npos) << job->ErrorText();

  // A listener whose accept queue is full: the kernel ignores further connection requests.
  int listener = BindLoopback(address);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(listen(listener, 0), 0);
  std::vector<int> queued;
  for (int i = 0; i < 2; ++i) {
    queued.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    connect(queued.back(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
  }
  config.retries = 1;
  config.timeoutSeconds = 1;
  target = std::make_shared<RecordingTarget>();
  job = Fetch(AddressUrl(address));
  EXPECT_EQ(job->Result(), FetchResultFailed);
  EXPECT_NE(job->ErrorText(), "");
  for (int queuedFd : queued) close(queuedFd);
  close(listener);

  target = std::make_shared<RecordingTarget>();
  job = Fetch("https://127.0.0.1:" + std::to_string(server.Port()) + "/");
  EXPECT_EQ(job->Result(), FetchResultFailed);
  EXPECT_NE(job->ErrorText(), "");
}

TEST_F(FetchWorkerTest, ProxyReceivesTheAbsoluteAddress) {
  config.viaProxy = true;
  config.proxyServer = "http://127.0.0.1";
  config.proxyPort = server.Port();
  server.Serve("http://example.invalid/page", HttpTestServer::Response("via proxy\n"));
  EXPECT_EQ(Fetch("http://example.invalid/page")->Text(), "via proxy\n");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("GET http://example.invalid/page HTTP/1.1\r\n", 0), 0u);

  // Secure pages go through the proxy too, as a tunnel.
  target = std::make_shared<RecordingTarget>();
  EXPECT_EQ(Fetch("https://example.invalid/page")->Result(), FetchResultFailed);
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].rfind("CONNECT example.invalid:443 HTTP/1.1\r\n", 0), 0u);
}

TEST_F(FetchWorkerTest, LocalFilesAreReadWithoutNetwork) {
  const auto dir = std::filesystem::temp_directory_path() / ("quorvex-fetch-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "my page.html";
  std::ofstream(file, std::ios::binary) << "one\r\ntwo\n";

  EXPECT_EQ(Fetch(file.string())->Text(), "one\ntwo\n");
  target = std::make_shared<RecordingTarget>();
  EXPECT_EQ(Fetch("file://" + dir.string() + "/my%20page.html")->Text(), "one\ntwo\n");

  // A FIFO named as a page fails at once instead of holding the worker.
  const auto fifo = dir / "fifo.html";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& url : {(dir / "absent.html").string(), "file://" + dir.string() + "/absent.html",
                                 dir.string(), "file://elsewhere" + file.string(), fifo.string()}) {
    target = std::make_shared<RecordingTarget>();
    auto job = Fetch(url);
    EXPECT_EQ(job->Result(), FetchResultFailed) << url;
    EXPECT_FALSE(job->HasText()) << url;
    EXPECT_NE(job->ErrorText(), "") << url;
  }
  EXPECT_EQ(server.ConnectionCount(), 0u);
  std::filesystem::remove_all(dir);
}

TEST_F(FetchWorkerTest, WithoutSessionTheFetchFails) {
  CloseSession();
  auto job = std::make_shared<WDFetchJob>(server.Url("/page"), target);
  EXPECT_EQ(FetchWorker::Run(job, dispatcher), FetchResultFailed);
  EXPECT_EQ(dispatcher->RunPending(), 1u);
  EXPECT_EQ(target->finished, job);
  EXPECT_EQ(server.ConnectionCount(), 0u);
}

TEST_F(FetchWorkerTest, AJobHasOneWorkerAndNeedsADispatcher) {
  HttpRoute silent;
  silent.holdOpen = true;
  server.Route("/silent", silent);
  auto job = Start(server.Url("/silent"));
  EXPECT_FALSE(StartWorker(job, dispatcher));
  EXPECT_FALSE(StartWorker(std::make_shared<WDFetchJob>(server.Url("/"), target), nullptr));
}

TEST_F(FetchWorkerTest, GivenUpJobKeepsItsResultAndOutlivesItsManager) {
  HttpRoute silent;
  silent.holdOpen = true;
  server.Route("/silent", silent);
  auto job = Start(server.Url("/silent"));
  std::weak_ptr<WDFetchJob> watch = job;
  EXPECT_TRUE(job->GiveUp());
  EXPECT_FALSE(job->GiveUp());
  EXPECT_EQ(job->Result(), FetchResultTimedOut);
  job.reset();  // the manager retires the job; the worker still holds it
  SetStopFlag(true);
  ASSERT_TRUE(FetchWorker::WaitForAll(60s));
  dispatcher->RunPending();
  EXPECT_EQ(target->Count(Notification::FetchFinished), 0u);
  EXPECT_TRUE(watch.expired());
}

TEST_F(FetchWorkerTest, JobOfADestroyedTargetIsNotHandedBackAndIsFreed) {
  HttpRoute late;
  late.parts = {HttpTestServer::Response("late\n")};
  late.delayMs = 300;
  server.Route("/late", late);
  auto job = Start(server.Url("/late"));
  target.reset();
  ASSERT_TRUE(FetchWorker::WaitForAll(60s));
  dispatcher->RunPending();
  EXPECT_FALSE(job->IsFinished());
  EXPECT_EQ(job.use_count(), 1);
}

}  // namespace
}  // namespace quorvex::engine
