// check, run and test-pattern against pages served on loopback, run in-process (and once as a
// separate process, to stop it with a real signal).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/qvx_doc.h"
#include "model/item.h"
#include "support/cli_runner.h"
#include "support/http_test_server.h"
#include "support/no_proxy.h"
#include "support/temp_folder.h"

extern char** environ;

namespace quorvex::cli {
namespace {

using namespace std::chrono_literals;
using quorvex::testing::HttpRoute;
using quorvex::testing::HttpTestServer;
using quorvex::testing::RunCliCommand;

// An address on loopback where nothing listens.
std::string ClosedPortUrl() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
}

class CheckAndRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ClearProxyEnvironment(); }

  testing::CliResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--catalog", catalog});
    return RunCliCommand(args);
  }
  void Add(const std::string& name, const std::string& url, const std::string& pattern) {
    auto run = Cli({"add", "--name", name, "--url", url, "--pattern", pattern});
    ASSERT_EQ(run.status, kExitOk) << run.err;
  }
  size_t RequestsFor(const std::string& path) const {
    size_t n = 0;
    for (const std::string& head : server.Requests()) n += head.rfind("GET " + path + " ", 0) == 0;
    return n;
  }

  testing::TempFolder dir;
  testing::ScopedEnv config{"QUORVEX_CONFIG_DIR", dir.Path()};
  HttpTestServer server;
  const std::string catalog = dir / "catalog.dat";
};

TEST_F(CheckAndRun, CheckRecordsTheDuePagesAndSavesTheCatalog) {
  server.Serve("/price", HttpTestServer::Response("<td>Price: <b>12.5</b></td>\n"));
  server.Serve("/other", HttpTestServer::Response("other\n"));
  Add("Price", server.Url("/price"), "<b>{?}</b>");
  Add("Other", server.Url("/other"), "");
  ASSERT_EQ(Cli({"event", "add", "Price", "--op", ">", "--operand", "10", "--message", "too dear"}).status, kExitOk);

  auto run = Cli({"check"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out.rfind("Checked 2 pages: 2 changed, 0 failed, 1 alert\n", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("changed  Price: (none) -> 12.5\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("alert    Price: too dear (Value is greater than 10; value 12.5)\n"), std::string::npos)
      << run.out;
  auto history = Cli({"history", "Price"});
  EXPECT_NE(history.out.find("  12.5\n"), std::string::npos) << history.out;

  // Only the named beacon's page; an unchanged value is no change.
  run = Cli({"check", "Price"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out.rfind("Checked 1 page: 0 changed, 0 failed, 1 alert\n", 0), 0u) << run.out;
  EXPECT_EQ(RequestsFor("/price"), 2u);
  EXPECT_EQ(RequestsFor("/other"), 1u);

  EXPECT_EQ(Cli({"check", "Nobody"}).status, kExitFailed);
  EXPECT_EQ(Cli({"check", "--all", "Price"}).status, kExitUsage);
}

TEST_F(CheckAndRun, FailuresGiveExitThreeWithTheirReasons) {
  const std::string deep = std::string(60000, 'x') + "\n<b>7</b>\n";
  server.Serve("/deep", HttpTestServer::Response(deep));
  server.Serve("/ok", HttpTestServer::Response("<b>1</b>\n"));
  const std::string closed = ClosedPortUrl();
  Add("Broken", closed, "");
  Add("Deep", server.Url("/deep"), "<b>{?}</b>");
  Add("Fine", server.Url("/ok"), "<b>{?}</b>");
  // One fetch at a time: the pass queues the rest.
  ASSERT_EQ(RunCliCommand({"settings", "COMMON.ThreadsAtTheTime", "1"}).status, kExitOk);

  auto run = Cli({"check", "--all"});
  EXPECT_EQ(run.status, kExitPageFailed) << run.out << run.err;
  EXPECT_EQ(run.out.rfind("Checked 3 pages: 1 changed, 2 failed, 0 alerts\n", 0), 0u) << run.out;
  // The network's own reason follows the state's text.
  EXPECT_NE(run.out.find("failed   Broken: The page could not be opened. Failed to connect to 127.0.0.1"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Couldn't connect to server (" + closed + ")\n"), std::string::npos) << run.out;
  // A later process still knows why, until the page is read again.
  EXPECT_NE(Cli({"list"}).out.find("(last fetch failed: Failed to connect"), std::string::npos);
  EXPECT_NE(run.out.find("failed   Deep: The search pattern does not match the page. the page was cut at 52000 "
                         "bytes (CONNECTION.PageLimit); raise the limit with 'quorvex-cli settings "
                         "CONNECTION.PageLimit N'"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("changed  Fine: (none) -> 1\n"), std::string::npos) << run.out;

  // The same page through test-pattern says the same; a raised limit reaches the value.
  auto test = RunCliCommand({"test-pattern", "--pattern", "<b>{?}</b>", server.Url("/deep")});
  EXPECT_EQ(test.status, kExitFailed);
  EXPECT_NE(test.err.find("999: "), std::string::npos) << test.err;
  EXPECT_NE(test.err.find("quorvex-cli settings CONNECTION.PageLimit N"), std::string::npos) << test.err;
  ASSERT_EQ(RunCliCommand({"settings", "CONNECTION.PageLimit", "70000"}).status, kExitOk);
  test = RunCliCommand({"test-pattern", "--pattern", "<b>{?}</b>", server.Url("/deep")});
  EXPECT_EQ(test.status, kExitOk) << test.err;
  EXPECT_EQ(test.out, "7\n");
  run = Cli({"check", "Deep"});
  EXPECT_EQ(run.status, kExitOk) << run.out;
  EXPECT_NE(run.out.find("changed  Deep: (none) -> 7\n"), std::string::npos) << run.out;
}

TEST_F(CheckAndRun, ErrorPageIsAFailureNotAChange) {
  server.Serve("/shop", HttpTestServer::Response("all good\n"));
  Add("Shop", server.Url("/shop"), "");
  ASSERT_EQ(Cli({"event", "add", "Shop", "--op", "#", "--message", "changed"}).status, kExitOk);
  ASSERT_EQ(Cli({"check", "--all"}).status, kExitOk);

  server.Serve("/shop", HttpTestServer::Response("<h1>Down for maintenance</h1>\n", "", "503 Service Unavailable"));
  auto run = Cli({"check", "--all"});
  EXPECT_EQ(run.status, kExitPageFailed);
  EXPECT_EQ(run.out,
            "Checked 1 page: 0 changed, 1 failed, 0 alerts\nfailed   Shop: The page could not be opened. HTTP 503 "
            "Service Unavailable (" +
                server.Url("/shop") + ")\n");
  EXPECT_NE(Cli({"show", "Shop"}).out.find(", 1 samples\n"), std::string::npos);
}

TEST_F(CheckAndRun, TestPatternFetchesAddressesAndReadsFiles) {
  server.Serve("/p", HttpTestServer::Response("<i>\r\nvalue</i>\r\n"));
  auto run = RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", server.Url("/p")});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "value\n");
  // The agent text of every fetch.
  ASSERT_FALSE(server.Requests().empty());
  EXPECT_NE(server.Requests().back().find("User-Agent: Quorvex Agent\r\n"), std::string::npos);

  const std::string file = dir / "page.html";
  testing::WriteFileBytes(file, "<i>\r\nvalue</i>\r\n");
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", "file://" + file}).out, "value\n");
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", file}).out, "value\n");
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", "-"}, "<i>v</i>").out, "v\n");

  run = RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", ClosedPortUrl()});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("cannot fetch"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("(fetch result 1)"), std::string::npos) << run.err;
}

TEST_F(CheckAndRun, RunTicksRecordsFiresAlertsAndSaves) {
  server.Serve("/n", HttpTestServer::Response("<b>5</b>\n"));
  Add("N", server.Url("/n"), "<b>{?}</b>");
  ASSERT_EQ(Cli({"event", "add", "N", "--op", "=", "--operand", "5", "--message", "five"}).status, kExitOk);
  auto run = Cli({"run", "--interval", "1", "--ticks", "2"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_NE(run.out.find("  watching 1 pages of " + catalog + ", a pass every 1 s\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  checked 1 pages: 1 changed, 0 failed\n    changed  N: (none) -> 5\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("  alert  N: five (Value equals 5; value 5)\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("stopped; catalog saved"), std::string::npos) << run.out;
  EXPECT_NE(Cli({"history", "N"}).out.find("  5\n"), std::string::npos);

  EXPECT_EQ(Cli({"run", "--interval", "0"}).status, kExitUsage);
  EXPECT_EQ(Cli({"run", "extra"}).status, kExitUsage);
}

// Starts quorvex-cli with args (the catalog option first), its output in files named after tag.
pid_t SpawnCli(const std::filesystem::path& dir, const std::string& tag, std::vector<std::string> args) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (dir / (tag + ".out")).c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (dir / (tag + ".err")).c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  args.insert(args.begin(), QUORVEX_CLI_PATH);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status of pid, or -1 when it did not end normally.
int WaitExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// The agent owns the catalog: a command's change reaches it and survives its end, and a stop still
// saves what it read.
TEST_F(CheckAndRun, AgentStopsOnSigtermAndKeepsWhatCommandsAdded) {
  server.Serve("/a", HttpTestServer::Response("<b>3</b>\n"));
  server.Serve("/b", HttpTestServer::Response("<b>4</b>\n"));
  server.Route("/hang", HttpRoute{{}, 0, 0, true});
  Add("A", server.Url("/a"), "<b>{?}</b>");
  Add("Hang", server.Url("/hang"), "");

  const pid_t pid = SpawnCli(dir.Path(), "agent", {"--catalog", catalog, "run", "--interval", "1"});
  ASSERT_GT(pid, 0);
  const std::string out = dir / "agent.out";
  auto waitFor = [&](const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (testing::ReadFileBytes(out).find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(50ms);
    }
    return testing::ReadFileBytes(out).find(text) != std::string::npos;
  };
  // Wait until the readable page is in and the other hangs.
  ASSERT_TRUE(waitFor("changed  A: (none) -> 3"))
      << testing::ReadFileBytes(out) << testing::ReadFileBytes(dir / "agent.err");

  // A second owner is refused; a command gets the catalog from the agent, which then samples the new beacon.
  auto second = Cli({"run", "--ticks", "1"});
  EXPECT_EQ(second.status, kExitFailed);
  EXPECT_NE(second.err.find("process " + std::to_string(pid)), std::string::npos) << second.err;
  Add("B", server.Url("/b"), "<b>{?}</b>");
  ASSERT_TRUE(waitFor("changed  B: (none) -> 4")) << testing::ReadFileBytes(out);
  // An owner that does not answer: the command changes nothing and says so.
  ASSERT_EQ(kill(pid, SIGSTOP), 0);
  auto frozen = Cli({"add", "--name", "C", "--url", server.Url("/b"), "--pattern", "x{?}"});
  ASSERT_EQ(kill(pid, SIGCONT), 0);
  EXPECT_EQ(frozen.status, kExitFailed);
  EXPECT_NE(frozen.err.find("did not answer; nothing was changed"), std::string::npos) << frozen.err;

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  EXPECT_EQ(WaitExit(pid), kExitOk) << testing::ReadFileBytes(dir / "agent.err");
  EXPECT_NE(testing::ReadFileBytes(out).find("stopped; catalog saved"), std::string::npos)
      << testing::ReadFileBytes(out);

  EXPECT_NE(Cli({"history", "A"}).out.find("  3\n"), std::string::npos);
  EXPECT_NE(Cli({"history", "B"}).out.find("  4\n"), std::string::npos);
  EXPECT_EQ(Cli({"list"}).out.find(" C "), std::string::npos);
  // The fetch cut short by the stop is no failure of its page.
  EXPECT_EQ(testing::ReadFileBytes(out).find("failed   "), std::string::npos) << testing::ReadFileBytes(out);
}

// Two commands at once on a large catalog: the lock serialises them and neither change is lost.
TEST_F(CheckAndRun, SimultaneousAddsBothSurvive) {
  {
    engine::WDQvxDoc doc;
    ASSERT_TRUE(doc.OnNewDocument(catalog));
    for (int i = 0; i < 1000; ++i) {
      model::WDValue* value = doc.NewBeacon();
      value->SetKind(model::kKindChecksum);
      value->SetProperties("b" + std::to_string(i), "http://127.0.0.1:9/" + std::to_string(i), "", "", "");
      doc.GetRoot()->AddChild(value);
    }
    ASSERT_TRUE(doc.Save());
  }
  for (int run = 0; run < 20; ++run) {
    pid_t pids[2];
    for (int i = 0; i < 2; ++i) {
      const std::string name = "new" + std::to_string(run) + "_" + std::to_string(i);
      pids[i] =
          SpawnCli(dir.Path(), "add" + std::to_string(i),
                   {"--catalog", catalog, "add", "--name", name, "--url", "http://127.0.0.1:9/x", "--pattern", "x{?}"});
    }
    for (int i = 0; i < 2; ++i)
      ASSERT_EQ(WaitExit(pids[i]), kExitOk) << testing::ReadFileBytes(dir / ("add" + std::to_string(i) + ".err"));
  }
  engine::WDQvxDoc doc;
  ASSERT_TRUE(doc.OnNewDocument(catalog));
  EXPECT_EQ(doc.AllBeacons().size(), 1040u);
}

}  // namespace
}  // namespace quorvex::cli
