// The fetch: its session, the page buffer, the dispatcher that brings results back, and the worker against a
// real HTTP server on loopback.
#include "engine/fetch_worker.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/dispatcher.h"
#include "engine/fetch_session.h"
#include "engine/page_buffer.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/http_test_server.h"
#include "support/loopback.h"
#include "support/recording_prompt.h"
#include "support/temp_folder.h"

namespace quorvex::engine {
namespace {

using namespace std::chrono_literals;
using quorvex::testing::HttpRoute;
using quorvex::testing::HttpTestServer;

std::string Lines(size_t count, const std::string& line) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += line;
  return out;
}

// "Compressed line one\r\nline two\n", gzip -9n.
const std::string kSmallGzip(
    "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x73\xce\xcf\x2d\x28\x4a\x2d\x2e\x4e\x4d\x51\xc8\xc9\xcc\x4b\x55\xc8"
    "\xcf\x4b\xe5\xe5\x02\xb3\x4a\xca\xf3\xb9\x00\x6c\xb2\x76\x52\x1e\x00\x00\x00",
    46);
// 2,000 lines "0123456789012345678901234567890123456789\n" (82,000 bytes), gzip -9n: the header, a run of
// one repeated triple, the trailer.
const std::string kBigGzip =
    std::string(
        "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xed\xca\xa9\x0d\x00\x20\x10\x00\x30\xcf\x34\xc7\x77\xc0\xfe"
        "\x8b\xb1\x01\x9e\xa4\xae\xa2\x51\x5b\x1f\x33\xd7\x3e\xf1\x54\x09",
        41) +
    Lines(79, "\x51\x14\x45") + std::string("\xf1\xa7\x78\x01\x7b\xac\xd0\x04\x50\x40\x01\x00", 12);

std::string Redirect(const std::string& location) {
  return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

class FetchSessionTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseSession(); }
  quorvex::testing::RecordingPrompt prompt;
};

TEST_F(FetchSessionTest, TakesTheSettingsInRangeAndRefusesWhileFetchesRunOrWithAnUnusableProxy) {
  SessionConfig config;
  config.timeoutSeconds = 10;
  config.retries = 2;
  ASSERT_TRUE(CreateSession(config));
  auto session = CurrentSession();
  ASSERT_TRUE(session);
  EXPECT_EQ(session->Agent(), "Quorvex Agent");
  EXPECT_EQ(session->ConnectTimeoutMs(), 10000);
  EXPECT_EQ(session->BackoffMs(), 1000);
  EXPECT_EQ(session->Retries(), 2);
  EXPECT_FALSE(session->ViaProxy());
  EXPECT_EQ(session->PageLimit(), 52000u);
  EXPECT_TRUE(prompt.messages.empty());

  // Out-of-range values are brought into range.
  config.timeoutSeconds = -5;
  config.retries = 0;
  config.pageLimit = 100;
  EXPECT_EQ(FetchSession(config).ConnectTimeoutMs(), 0);
  EXPECT_EQ(FetchSession(config).Retries(), 1);
  EXPECT_EQ(FetchSession(config).PageLimit(), kDefaultPageLimit);
  config.pageLimit = 1u << 30;
  EXPECT_EQ(FetchSession(config).PageLimit(), kMaxPageLimit);
  config.pageLimit = 1000000;
  EXPECT_EQ(FetchSession(config).PageLimit(), 1000000u);

  // The proxy's name uses the server text as it is.
  config.viaProxy = true;
  config.proxyServer = "S";
  config.proxyPort = 8080;
  ASSERT_TRUE(CreateSession(config));
  EXPECT_EQ(CurrentSession()->ProxyName(), "http=S:8080");
  config.proxyServer = "http://cache.lan";
  config.proxyPort = 3128;
  ASSERT_TRUE(CreateSession(config));
  EXPECT_EQ(CurrentSession()->ProxyName(), "http=http://cache.lan:3128");
  EXPECT_EQ(CurrentSession()->ProxyServer(), "http://cache.lan");
  EXPECT_EQ(CurrentSession()->ProxyPort(), 3128);

  // A new session is refused while fetches run.
  auto before = CurrentSession();
  EXPECT_FALSE(CreateSession(SessionConfig(), 2));
  EXPECT_EQ(CurrentSession(), before);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], platform::GetString(61498));
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::None);

  // An unusable proxy leaves no session and says why.
  config.proxyServer = "  ";
  EXPECT_FALSE(CreateSession(config));
  EXPECT_FALSE(CurrentSession());
  config.proxyServer = "proxy";
  config.proxyPort = 70000;
  EXPECT_FALSE(CreateSession(config));
  ASSERT_EQ(prompt.messages.size(), 3u);
  EXPECT_EQ(prompt.messages[1], platform::GetString(61453) + "\n" + platform::GetString(61518));
  EXPECT_EQ(prompt.icons[1], platform::PromptIcon::Exclamation);
}

TEST(PageBuffer, KeepsTheTextUpToTheLimitWithoutCarriageReturnsHoweverTheBodyIsSplit) {
  const std::string x100 = std::string(99, 'x') + "\n";
  const std::string a51989 = std::string(51989, 'a') + "\n";
  const std::string a51990 = std::string(51990, 'a') + "\n";
  struct Case {
    std::string body;
    std::string text;
    bool cut = false;  // at the limit, rather than complete at a NUL or not complete
    size_t limit = kDefaultPageLimit;
  };
  const Case cases[] = {
      // Every CR goes, every LF stays.
      {"one\r\ntwo\r\n", "one\ntwo\n"},
      {"a\rb\r\rc\n\r", "abc\n"},
      {"no line end", "no line end"},
      {"", ""},
      // A body of exactly the limit yields one byte less.
      {std::string(52000, 'z'), std::string(51999, 'z'), true},
      {std::string(51999, 'z'), std::string(51999, 'z'), true},
      {std::string(51998, 'z'), std::string(51998, 'z')},
      // 519 lines of 100 bytes leave 100 bytes of room; the next read may store 99 of them.
      {Lines(600, x100), Lines(519, x100) + std::string(99, 'x'), true},
      // A line ending at 51,991 bytes leaves 9 bytes of room: the page is complete at that line end.
      {a51990 + "tail\n", a51990, true},
      // One byte earlier there are 10 bytes of room, so the next line is read too, as far as it fits.
      {a51989 + "tail-is-long\n", a51989 + "tail-is-l", true},
      // CRs do not count against the limit: 60,000 bytes, 55,000 of text; 4,727 lines of 11 bytes end
      // at 51,997, where fewer than 10 bytes of room are left.
      {Lines(5000, "0123456789\r\n"), Lines(4727, "0123456789\n"), true},
      // The first NUL ends the text.
      {std::string("\0rest", 5), ""},
      // A raised limit keeps more.
      {Lines(1000, x100), Lines(1000, x100), false, 200000},
      {"0123456789abcdefghij", "0123456789abcde", true, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body.substr(0, 40) + " (" + std::to_string(c.body.size()) + " bytes)");
    PageBuffer whole(c.limit), bytewise(c.limit), pieces(c.limit);
    whole.Append(c.body.data(), c.body.size());
    for (char ch : c.body) bytewise.Append(&ch, 1);
    for (size_t at = 0; at < c.body.size(); at += 777) {
      pieces.Append(c.body.data() + at, std::min<size_t>(777, c.body.size() - at));
    }
    EXPECT_EQ(whole.Text(), c.text);
    EXPECT_EQ(bytewise.Text(), c.text);
    EXPECT_EQ(pieces.Text(), c.text);
    EXPECT_EQ(whole.WasCut(), c.cut);
  }
  EXPECT_EQ(PageBuffer(kMaxPageLimit * 4).Limit(), kMaxPageLimit);
  EXPECT_EQ(PageBuffer(0).Limit(), 16u);

  // Append tells what it took: a long line is cut one byte short of the limit, and after a NUL nothing
  // more is taken.
  PageBuffer cut;
  const std::string body(60000, 'y');
  EXPECT_EQ(cut.Append(body.data(), body.size()), 51999u);
  EXPECT_TRUE(cut.IsComplete());
  EXPECT_EQ(cut.Append("more", 4), 0u);
  EXPECT_EQ(cut.TakeText(), std::string(51999, 'y'));
  EXPECT_EQ(cut.Text(), "");
  PageBuffer nul;
  EXPECT_EQ(nul.Append("abc\ndef\0ghi\njkl\n", 16), 8u);
  EXPECT_TRUE(nul.IsComplete());
  EXPECT_EQ(nul.Text(), "abc\ndef");
}

TEST(Dispatcher, RunsClosuresOnceInPostOrderAndDropsThoseOfDestroyedTargets) {
  Dispatcher dispatcher;
  std::vector<int> order;
  const auto drainer = std::this_thread::get_id();
  bool sameThread = true;
  std::thread poster([&] {
    for (int i = 0; i < 3; ++i) {
      dispatcher.Post([&, i] {
        order.push_back(i);
        sameThread = sameThread && std::this_thread::get_id() == drainer;
      });
    }
  });
  poster.join();
  EXPECT_EQ(dispatcher.PendingCount(), 3u);
  EXPECT_EQ(dispatcher.RunPending(), 3u);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(sameThread);
  EXPECT_EQ(dispatcher.RunPending(), 0u);
  EXPECT_EQ(dispatcher.WaitAndRun(10ms), 0u);

  // A closure posted while running waits for the next round.
  int second = 0;
  dispatcher.Post([&] { dispatcher.Post([&] { ++second; }); });
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(second, 1);

  // Every post from many threads runs once and wakes the drainer.
  int count = 0;
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([&] {
      for (int i = 0; i < 500; ++i) dispatcher.Post([&] { ++count; });
    });
  }
  size_t ran = 0;
  while (ran < 2000) ran += dispatcher.WaitAndRun(1000ms);
  for (auto& poster : posters) poster.join();
  EXPECT_EQ(dispatcher.RunPending(), 0u);
  EXPECT_EQ(count, 2000);

  std::atomic<int> wakeUps{0};
  dispatcher.SetWakeUp([&] { ++wakeUps; });
  dispatcher.Post([] {});
  std::thread([&] { dispatcher.Post([] {}); }).join();
  EXPECT_EQ(wakeUps.load(), 2);
  dispatcher.SetWakeUp(nullptr);
  dispatcher.Post([] {});
  EXPECT_EQ(wakeUps.load(), 2);
  EXPECT_EQ(dispatcher.RunPending(), 3u);

  // A notification for a destroyed target is dropped and frees what it carries.
  auto window = std::make_shared<int>(0);  // a window's count of calls
  auto payload = std::make_shared<int>(7);
  std::weak_ptr<int> watch = payload;
  dispatcher.PostTo(std::weak_ptr<int>(window), [payload](int& calls) { calls += *payload; });
  payload.reset();
  EXPECT_EQ(dispatcher.RunPending(), 1u);
  EXPECT_EQ(*window, 7);
  EXPECT_TRUE(watch.expired());

  payload = std::make_shared<int>(1);
  watch = payload;
  dispatcher.PostTo(std::weak_ptr<int>(window), [payload](int& calls) { calls += *payload; });
  payload.reset();
  std::weak_ptr<int> gone = window;
  window.reset();
  EXPECT_FALSE(watch.expired());
  dispatcher.RunPending();
  EXPECT_TRUE(gone.expired());
  EXPECT_TRUE(watch.expired());
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

  // Starts a job for url with a new target, which hands every DataArriving job to onData.
  std::shared_ptr<WDFetchJob> Start(const std::string& url, std::function<void(WDFetchJob&)> onData = nullptr) {
    target = std::make_shared<RecordingTarget>();
    target->onData = std::move(onData);
    EXPECT_TRUE(CreateSession(config));
    auto job = std::make_shared<WDFetchJob>(url, target);
    EXPECT_TRUE(StartWorker(job, dispatcher));
    return job;
  }

  // Runs notifications until the job has come back (or a generous deadline passes).
  std::shared_ptr<WDFetchJob> Fetch(const std::string& url, std::function<void(WDFetchJob&)> onData = nullptr) {
    auto job = Start(url, std::move(onData));
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

  // DataArriving comes again only when asked for.
  server.Route("/slow",
               {.parts = {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\none\n", "two\n", "three\n"}, .pauseMs = 200});
  EXPECT_EQ(Fetch(server.Url("/slow"))->Text(), "one\ntwo\nthree\n");
  EXPECT_EQ(target->Count(Notification::DataArriving), 1u);
  Fetch(server.Url("/slow"), [](WDFetchJob& j) { j.RequestNotify(); });
  EXPECT_GE(target->Count(Notification::DataArriving), 2u);
  EXPECT_EQ(target->codes.back(), Notification::FetchFinished);

  // A stop while the body arrives ends the fetch without text. The wake-up runs on the worker as it tells
  // of the first chunk, before the second comes.
  dispatcher->SetWakeUp([] { SetStopFlag(true); });
  server.Serve("/chunks",
               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nfirst\r\n6\r\nsecond\r\n0\r\n\r\n");
  job = Fetch(server.Url("/chunks"));
  EXPECT_EQ(job->Result(), FetchResultStopped);
  EXPECT_FALSE(job->HasText());
}

TEST_F(FetchWorkerTest, BodiesBecomeTextAsAPageIsStored) {
  const std::string gzip = "Content-Encoding: gzip\r\n";
  PageBuffer bomb;  // what the compressed body holds, cut at the limit
  const std::string plain = Lines(2000, "0123456789012345678901234567890123456789\n");
  bomb.Append(plain.data(), plain.size());
  ASSERT_EQ(bomb.Text().size(), 51999u);
  const std::tuple<std::string, std::string, std::string> cases[] = {
      // Carriage returns are dropped and a NUL ends the text.
      {"/crlf", HttpTestServer::Response("a\r\nb\rc\r\n\r\n"), "a\nbc\n\n"},
      {"/nul", HttpTestServer::Response(std::string("abc\ndef\0ghi\njkl\n", 16)), "abc\ndef"},
      // A compressed body is decoded before the limit counts; one cut at the limit counts as read.
      {"/gz", HttpTestServer::Response(kSmallGzip, gzip), "Compressed line one\nline two\n"},
      {"/bomb", HttpTestServer::Response(kBigGzip, gzip), bomb.Text()},
      // Redirects are followed.
      {"/old", Redirect("/new"), "landed\n"},
  };
  server.Serve("/new", HttpTestServer::Response("landed\n"));
  for (const auto& [path, response, text] : cases) {
    server.Serve(path, response);
    auto job = Fetch(server.Url(path));
    EXPECT_EQ(job->Result(), FetchResultOk) << path;
    EXPECT_EQ(job->Text(), text) << path;
  }
  EXPECT_EQ(server.GetCount("/new"), 1u);

  config.pageLimit = 300000;
  const std::string body = Lines(2000, std::string(99, 'b') + "\n");
  server.Serve("/big", HttpTestServer::Response(body));
  EXPECT_EQ(Fetch(server.Url("/big"))->Text(), body);
}

TEST_F(FetchWorkerTest, FailedFetchesKeepNoTextAndSayWhy) {
  server.Serve("/moved", "HTTP/1.1 301 Moved\r\nLocation: /down\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  server.Serve("/down", HttpTestServer::Response("<h1>Down for maintenance</h1>\n", "", "503 Service Unavailable"));
  server.Serve("/teapot", "HTTP/1.1 418\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
  server.Serve("/sneaky", Redirect("file:///etc/hostname"));
  server.Serve("/short", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial\n");
  const std::tuple<std::string, int32_t, std::string> cases[] = {
      // An error status names the status: of the page reached after a redirect, and without a phrase.
      {server.Url("/missing"), FetchResultFailed, "HTTP 404 Not Found"},
      {server.Url("/moved"), FetchResultFailed, "HTTP 503 Service Unavailable"},
      {server.Url("/teapot"), FetchResultFailed, "HTTP 418"},
      // Redirects never lead to local files.
      {server.Url("/sneaky"), FetchResultFailed, ""},
      // A connection closed inside the body is a read error.
      {server.Url("/short"), FetchResultStopped, ""},
      {"https://127.0.0.1:" + std::to_string(server.Port()) + "/", FetchResultFailed, ""},
  };
  for (const auto& [url, result, error] : cases) {
    auto job = Fetch(url);
    EXPECT_EQ(job->Result(), result) << url;
    EXPECT_FALSE(job->HasText()) << url;
    if (error.empty()) {
      EXPECT_NE(job->ErrorText(), "") << url;
    } else {
      EXPECT_EQ(job->ErrorText(), error) << url;
    }
  }
}

TEST_F(FetchWorkerTest, SilentTricklingAndEndlessServersAreGivenUp) {
  using Clock = std::chrono::steady_clock;
  config.timeoutSeconds = 2;
  const std::string stalled = platform::FillPlaceholders(platform::GetString(platform::ids::kFetchStalled), {"2"});
  server.Route("/silent", HttpRoute{{}, 0, 0, true});
  HttpRoute trickle{.parts = std::vector<std::string>(31, "x"), .pauseMs = 2000};  // a byte every 2 s, for a minute
  trickle.parts[0] = "HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n";
  server.Route("/trickle", trickle);
  // A failed open and a failed read: the periodic pass tries them again, unlike an overdue fetch.
  for (const auto& [path, result] :
       {std::pair<std::string, int32_t>{"/silent", FetchResultFailed}, {"/trickle", FetchResultStopped}}) {
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
  HttpRoute endless{.parts = std::vector<std::string>(200, std::string(100, 'y') + "\n"), .pauseMs = 200};
  endless.parts[0] = "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n";
  server.Route("/endless", endless);
  auto job = Fetch(server.Url("/endless"));
  EXPECT_EQ(job->Result(), FetchResultTimedOut);
  EXPECT_EQ(job->ErrorText(), platform::FillPlaceholders(platform::GetString(platform::ids::kFetchTooLong), {"3"}));
}

// A listener whose accept queue is full: the kernel ignores further connection requests, so the connection
// times out (a refused one: see the check command's tests).
TEST_F(FetchWorkerTest, UnansweredConnectionFailsAndSaysWhy) {
  sockaddr_in address{};
  int listener = testing::BindLoopback(address);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(listen(listener, 0), 0);
  std::vector<int> queued;
  for (int i = 0; i < 2; ++i) {
    queued.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
    connect(queued.back(), reinterpret_cast<sockaddr*>(&address), sizeof(address));
  }
  config.timeoutSeconds = 1;
  auto job = Fetch("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
  EXPECT_EQ(job->Result(), FetchResultFailed);
  EXPECT_NE(job->ErrorText(), "");
  for (int queuedFd : queued) close(queuedFd);
  close(listener);
}

TEST_F(FetchWorkerTest, LocalFilesAreReadWithoutNetwork) {
  testing::TempFolder dir;
  const std::string file = dir.Write("my page.html", "one\r\ntwo\n");
  EXPECT_EQ(Fetch(file)->Text(), "one\ntwo\n");
  EXPECT_EQ(Fetch("file://" + dir.Path() + "/my%20page.html")->Text(), "one\ntwo\n");

  // A FIFO named as a page fails at once instead of holding the worker.
  ASSERT_EQ(mkfifo((dir / "fifo.html").c_str(), 0600), 0);
  for (const std::string& url : {dir / "absent.html", "file://" + dir.Path() + "/absent.html", dir.Path(),
                                 "file://elsewhere" + file, dir / "fifo.html"}) {
    auto job = Fetch(url);
    EXPECT_EQ(job->Result(), FetchResultFailed) << url;
    EXPECT_FALSE(job->HasText()) << url;
    EXPECT_NE(job->ErrorText(), "") << url;
  }
  EXPECT_EQ(server.ConnectionCount(), 0u);
  // A stop ends the read of a file too.
  SetStopFlag(true);
  EXPECT_EQ(FetchWorker::Run(std::make_shared<WDFetchJob>(file, target), dispatcher), FetchResultStopped);
}

TEST_F(FetchWorkerTest, JobsEndCleanlyWithoutSessionTargetOrManager) {
  // Without a session the fetch fails.
  CloseSession();
  auto job = std::make_shared<WDFetchJob>(server.Url("/page"), target);
  EXPECT_EQ(FetchWorker::Run(job, dispatcher), FetchResultFailed);
  EXPECT_EQ(dispatcher->RunPending(), 1u);
  EXPECT_EQ(target->finished, job);
  EXPECT_EQ(server.ConnectionCount(), 0u);

  // The job of a destroyed target is not handed back, and is freed.
  server.Route("/late", HttpRoute{{HttpTestServer::Response("late\n")}, 300});
  job = Start(server.Url("/late"));
  target.reset();
  ASSERT_TRUE(FetchWorker::WaitForAll(60s));
  dispatcher->RunPending();
  EXPECT_FALSE(job->IsFinished());
  EXPECT_EQ(job.use_count(), 1);

  // A given-up job keeps its result and outlives its manager.
  server.Route("/silent", HttpRoute{{}, 0, 0, true});
  job = Start(server.Url("/silent"));
  // A job has one worker, and a worker needs a dispatcher.
  EXPECT_FALSE(StartWorker(job, dispatcher));
  EXPECT_FALSE(StartWorker(std::make_shared<WDFetchJob>(server.Url("/"), target), nullptr));
  std::weak_ptr<WDFetchJob> watch = job;
  EXPECT_TRUE(job->GiveUp());
  EXPECT_FALSE(job->GiveUp());
  EXPECT_EQ(job->Result(), FetchResultTimedOut);
  job.reset();  // the manager retires the job; the worker still holds it, and ends the fetch itself
  ASSERT_TRUE(FetchWorker::WaitForAll(60s));
  dispatcher->RunPending();
  EXPECT_EQ(target->Count(Notification::FetchFinished), 0u);
  EXPECT_TRUE(watch.expired());
}

}  // namespace
}  // namespace quorvex::engine
