// check, run, test-pattern and changes against pages served on loopback, run in-process (and as
// separate processes, to share a catalog and to stop with a real signal).
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/qvx_doc.h"
#include "model/item.h"
#include "support/cli_runner.h"
#include "support/http_test_server.h"
#include "support/loopback.h"
#include "support/scripted_smtp_server.h"
#include "support/temp_folder.h"

namespace quorvex::cli {
namespace {

using namespace std::chrono_literals;
using quorvex::testing::Ended;
using quorvex::testing::Holds;
using quorvex::testing::HttpRoute;
using quorvex::testing::HttpTestServer;
using quorvex::testing::RunCliCommand;

class CheckAndRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ClearProxyEnvironment(); }

  // Runs a command on a catalog of the test's folder.
  testing::CliResult Cli(std::vector<std::string> args, const std::string& file = "catalog.dat") {
    args.insert(args.begin(), {"--catalog", dir / file});
    return RunCliCommand(args);
  }
  void Ok(const std::vector<std::string>& args, const std::string& file = "catalog.dat") {
    const auto run = Cli(args, file);
    ASSERT_EQ(run.status, kExitOk) << run.out << run.err;
  }
  void Add(const std::string& name, const std::string& url, const std::string& pattern) {
    Ok({"add", "--name", name, "--url", url, "--pattern", pattern});
  }
  // Starts quorvex-cli with the catalog and args, its output in files named after tag.
  pid_t Spawn(const std::string& tag, std::vector<std::string> args) {
    args.insert(args.begin(), {QUORVEX_CLI_PATH, "--catalog", catalog});
    return testing::SpawnProcess(args, dir / (tag + ".out"), dir / (tag + ".err"));
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
  Ok({"event", "add", "Price", "--op", ">", "--operand", "10", "--message", "too dear"});

  auto run = Cli({"check"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out.rfind("Checked 2 pages: 2 changed, 0 failed, 1 alert\n", 0), 0u) << run.out;
  EXPECT_TRUE(Holds(run.out, "changed  Price: (none) -> 12.5\n"));
  EXPECT_TRUE(Holds(run.out, "alert    Price: too dear (Value is greater than 10; value 12.5)\n"));
  EXPECT_TRUE(Holds(Cli({"history", "Price"}).out, "  12.5\n"));

  // Only the named beacon's page; an unchanged value is no change.
  run = Cli({"check", "Price"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out.rfind("Checked 1 page: 0 changed, 0 failed, 1 alert\n", 0), 0u) << run.out;
  EXPECT_EQ(server.GetCount("/price"), 2u);
  EXPECT_EQ(server.GetCount("/other"), 1u);

  // An error page is a failure, not a change: nothing is recorded and nothing fires.
  Ok({"event", "add", "Other", "--op", "#", "--message", "changed"});
  server.Serve("/other", HttpTestServer::Response("<h1>Down for maintenance</h1>\n", "", "503 Service Unavailable"));
  run = Cli({"check", "Other"});
  EXPECT_EQ(run.status, kExitPageFailed);
  EXPECT_EQ(run.out,
            "Checked 1 page: 0 changed, 1 failed, 0 alerts\nfailed   Other: The page could not be opened. HTTP 503 "
            "Service Unavailable (" +
                server.Url("/other") + ")\n");
  EXPECT_TRUE(Holds(Cli({"show", "Other"}).out, ", 1 samples\n"));
}

TEST_F(CheckAndRun, FailuresGiveExitThreeWithTheirReasons) {
  const std::string deep = std::string(60000, 'x') + "\n<b>7</b>\n";
  server.Serve("/deep", HttpTestServer::Response(deep));
  server.Serve("/ok", HttpTestServer::Response("<b>1</b>\n"));
  // An address on loopback where nothing listens.
  const std::string closed = "http://127.0.0.1:" + std::to_string(testing::ClosedLoopbackPort()) + "/";
  Add("Broken", closed, "");
  Add("Deep", server.Url("/deep"), "<b>{?}</b>");
  Add("Fine", server.Url("/ok"), "<b>{?}</b>");
  // One fetch at a time: the pass queues the rest.
  ASSERT_EQ(RunCliCommand({"settings", "COMMON.ThreadsAtTheTime", "1"}).status, kExitOk);

  auto run = Cli({"check", "--all"});
  EXPECT_EQ(run.status, kExitPageFailed) << run.out << run.err;
  EXPECT_EQ(run.out.rfind("Checked 3 pages: 1 changed, 2 failed, 0 alerts\n", 0), 0u) << run.out;
  // The network's own reason follows the state's text.
  EXPECT_TRUE(Holds(run.out, "failed   Broken: The page could not be opened. Failed to connect to 127.0.0.1"));
  EXPECT_TRUE(Holds(run.out, "Couldn't connect to server (" + closed + ")\n"));
  // A later process still knows why, until the page is read again.
  EXPECT_TRUE(Holds(Cli({"list"}).out, "(last fetch failed: Failed to connect"));
  EXPECT_TRUE(Holds(run.out,
                    "failed   Deep: The search pattern does not match the page. the page was cut at 52000 "
                    "bytes (CONNECTION.PageLimit); raise the limit with 'quorvex-cli settings "
                    "CONNECTION.PageLimit N'"));
  EXPECT_TRUE(Holds(run.out, "changed  Fine: (none) -> 1\n"));

  // The same page through test-pattern says the same; a raised limit reaches the value.
  auto test = RunCliCommand({"test-pattern", "--pattern", "<b>{?}</b>", server.Url("/deep")});
  EXPECT_TRUE(Ended(test, kExitFailed, "999: "));
  EXPECT_TRUE(Holds(test.err, "quorvex-cli settings CONNECTION.PageLimit N"));
  ASSERT_EQ(RunCliCommand({"settings", "CONNECTION.PageLimit", "70000"}).status, kExitOk);
  test = RunCliCommand({"test-pattern", "--pattern", "<b>{?}</b>", server.Url("/deep")});
  EXPECT_EQ(test.status, kExitOk) << test.err;
  EXPECT_EQ(test.out, "7\n");
  run = Cli({"check", "Deep"});
  EXPECT_EQ(run.status, kExitOk) << run.out;
  EXPECT_TRUE(Holds(run.out, "changed  Deep: (none) -> 7\n"));

  // A file address too (file names and standard input: see the pattern command tests); an address that
  // cannot be fetched fails.
  const std::string file = dir.Write("page.html", "<i>\r\nvalue</i>\r\n");
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", "file://" + file}).out, "value\n");
  test = RunCliCommand({"test-pattern", "--pattern", "<i>{?}</i>", closed});
  EXPECT_TRUE(Ended(test, kExitFailed, "cannot fetch"));
  EXPECT_TRUE(Holds(test.err, "(fetch result 1)"));
}

TEST_F(CheckAndRun, RunTicksRecordsFiresAlertsAndSaves) {
  server.Serve("/n", HttpTestServer::Response("<b>5</b>\n"));
  Add("N", server.Url("/n"), "<b>{?}</b>");
  Ok({"event", "add", "N", "--op", "=", "--operand", "5", "--message", "five"});
  auto run = Cli({"run", "--interval", "1", "--ticks", "2"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(Holds(run.out, "  watching 1 pages of " + catalog + ", a pass every 1 s\n"));
  EXPECT_TRUE(Holds(run.out, "  checked 1 pages: 1 changed, 0 failed\n    changed  N: (none) -> 5\n"));
  EXPECT_TRUE(Holds(run.out, "  alert  N: five (Value equals 5; value 5)\n"));
  EXPECT_TRUE(Holds(run.out, "stopped; catalog saved"));
  EXPECT_TRUE(Holds(Cli({"history", "N"}).out, "  5\n"));
}

// The agent owns the catalog: a command's change reaches it and survives its end, and a stop still
// saves what it read.
TEST_F(CheckAndRun, AgentStopsOnSigtermAndKeepsWhatCommandsAdded) {
  server.Serve("/a", HttpTestServer::Response("<b>3</b>\n"));
  server.Serve("/b", HttpTestServer::Response("<b>4</b>\n"));
  server.Route("/hang", HttpRoute{{}, 0, 0, true});
  Add("A", server.Url("/a"), "<b>{?}</b>");
  Add("Hang", server.Url("/hang"), "");

  const pid_t pid = Spawn("agent", {"run", "--interval", "1"});
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
  EXPECT_TRUE(Ended(Cli({"run", "--ticks", "1"}), kExitFailed, "process " + std::to_string(pid)));
  Add("B", server.Url("/b"), "<b>{?}</b>");
  ASSERT_TRUE(waitFor("changed  B: (none) -> 4")) << testing::ReadFileBytes(out);
  // An owner that does not answer: the command changes nothing and says so.
  ASSERT_EQ(kill(pid, SIGSTOP), 0);
  auto frozen = Cli({"add", "--name", "C", "--url", server.Url("/b"), "--pattern", "x{?}"});
  ASSERT_EQ(kill(pid, SIGCONT), 0);
  EXPECT_TRUE(Ended(frozen, kExitFailed, "did not answer; nothing was changed"));

  ASSERT_EQ(kill(pid, SIGTERM), 0);
  EXPECT_EQ(testing::WaitExit(pid), kExitOk) << testing::ReadFileBytes(dir / "agent.err");
  EXPECT_TRUE(Holds(testing::ReadFileBytes(out), "stopped; catalog saved"));

  EXPECT_TRUE(Holds(Cli({"history", "A"}).out, "  3\n"));
  EXPECT_TRUE(Holds(Cli({"history", "B"}).out, "  4\n"));
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
      pids[i] = Spawn("add" + std::to_string(i),
                      {"add", "--name", name, "--url", "http://127.0.0.1:9/x", "--pattern", "x{?}"});
    }
    for (int i = 0; i < 2; ++i)
      ASSERT_EQ(testing::WaitExit(pids[i]), kExitOk)
          << testing::ReadFileBytes(dir / ("add" + std::to_string(i) + ".err"));
  }
  engine::WDQvxDoc doc;
  ASSERT_TRUE(doc.OnNewDocument(catalog));
  EXPECT_EQ(doc.AllBeacons().size(), 1040u);
}

// changes against pages that change between two check runs, with the snapshot folder set by
// QUORVEX_CACHE_DIR and shared by two catalogs.
class ChangesCommand : public CheckAndRun {
 protected:
  size_t Listed(const std::string& beacon, const std::string& file = "catalog.dat") {
    const std::string out = Cli({"changes", beacon, "--list"}, file).out;
    return out.rfind("No snapshots", 0) == 0 ? 0 : std::count(out.begin(), out.end(), '\n');
  }
  static std::string Page(const std::string& cls, const std::string& price) {
    return HttpTestServer::Response("<div class=\"" + cls + "\">\n<p>Tea " + price + "</p>\n<p>Milk 2</p>\n</div>\n");
  }

  testing::ScopedEnv cache{"QUORVEX_CACHE_DIR", dir / "cache"};
};

TEST_F(ChangesCommand, ShowsWhatChangedBetweenTwoChecks) {
  server.Serve("/a", Page("old", "3"));
  server.Serve("/b", HttpTestServer::Response("b\n"));
  server.Serve("/c", HttpTestServer::Response("c\n"));
  for (const char* name : {"a", "b", "c"}) {
    Ok({"add", "--name", name, "--url", server.Url(std::string("/") + name)});
  }
  Ok({"check", "--all"});  // the three pages fetched together
  EXPECT_EQ(Listed("a") + Listed("b") + Listed("c"), 3u);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "cache/snapshots"));
  EXPECT_EQ(Cli({"changes", "a"}).status, kExitFailed);

  // The alert mail and the alert line tell the change when asked to.
  testing::LoopbackServer smtp(testing::SmtpDialogue({}));
  Ok({"settings", "EMAIL.Email", "monitor@example.com"});
  Ok({"settings", "EMAIL.SMTPServ", "127.0.0.1:" + std::to_string(smtp.Port())});
  Ok({"settings", "EMAIL.IncludeChanges", "1"});
  Ok({"event", "add", "a", "--op", "#", "--message", "new", "--mail-to", "ann@example.com"});
  server.Serve("/a", Page("new", "4"));
  const auto check = Cli({"check", "--all"});
  EXPECT_TRUE(Holds(check.out, "; added: Tea 4)"));
  EXPECT_TRUE(Holds(smtp.Received(), "Changes on the page:\r\n- Tea 3\r\n+ Tea 4\r\n"));

  const auto shown = Cli({"changes", "a"});
  EXPECT_EQ(shown.status, kExitOk) << shown.err;
  EXPECT_EQ(shown.out.rfind("--- #1 ", 0), 0u) << shown.out;
  EXPECT_TRUE(Holds(shown.out, "\n@@ -1,2 +1,2 @@\n-Tea 3\n+Tea 4\n Milk 2\n"));
  EXPECT_EQ(shown.out.find('\033'), std::string::npos) << "plain when not on a terminal";
  const auto raw = Cli({"changes", "a", "--raw", "--from", "1", "--to", "0"});
  EXPECT_TRUE(Holds(raw.out, "\n-<div class=\"old\">\n-<p>Tea 3</p>\n+<div class=\"new\">\n+<p>Tea 4</p>\n"));
  EXPECT_EQ(Listed("a"), 2u);
  EXPECT_EQ(Cli({"changes", "a", "--from", "2"}).status, kExitFailed);
  EXPECT_EQ(Cli({"changes", "a", "--to", "x"}).status, kExitUsage);

  // A second catalog watching page b shares its snapshots; an unchanged text adds none.
  Ok({"add", "--name", "b2", "--url", server.Url("/b")}, "two.dat");
  Ok({"check", "--all"}, "two.dat");
  EXPECT_EQ(Listed("b2", "two.dat"), 1u);
  server.Serve("/b", HttpTestServer::Response("b changed\n"));
  Ok({"check", "--all"}, "two.dat");
  EXPECT_EQ(Listed("b"), 2u);
  // Snapshots belong to the address: a beacon moved to page b sees b's.
  Ok({"set", "c", "--url", server.Url("/b")});
  EXPECT_EQ(Listed("c"), 2u);
}

}  // namespace
}  // namespace quorvex::cli
