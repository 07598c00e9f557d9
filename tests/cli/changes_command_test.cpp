// quorvex-cli changes against pages on loopback that change between two check runs, with the
// snapshot folder set by QUORVEX_CACHE_DIR and shared by two catalogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/http_test_server.h"
#include "support/loopback.h"
#include "support/scripted_smtp_server.h"
#include "support/temp_folder.h"

namespace quorvex::cli {
namespace {

using quorvex::testing::Holds;
using quorvex::testing::HttpTestServer;
using quorvex::testing::RunCliCommand;

class ChangesCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ClearProxyEnvironment(); }

  testing::CliResult Cli(const std::string& catalog, std::vector<std::string> args) {
    args.insert(args.begin(), {"--catalog", dir / catalog});
    return RunCliCommand(args);
  }
  void Ok(const std::string& catalog, const std::vector<std::string>& args) {
    const auto run = Cli(catalog, args);
    ASSERT_EQ(run.status, kExitOk) << run.out << run.err;
  }
  size_t Listed(const std::string& catalog, const std::string& beacon) {
    const std::string out = Cli(catalog, {"changes", beacon, "--list"}).out;
    return out.rfind("No snapshots", 0) == 0 ? 0 : std::count(out.begin(), out.end(), '\n');
  }
  static std::string Page(const std::string& cls, const std::string& price) {
    return HttpTestServer::Response("<div class=\"" + cls + "\">\n<p>Tea " + price + "</p>\n<p>Milk 2</p>\n</div>\n");
  }

  testing::TempFolder dir;
  testing::ScopedEnv config{"QUORVEX_CONFIG_DIR", dir.Path()};
  testing::ScopedEnv cache{"QUORVEX_CACHE_DIR", dir / "cache"};
  HttpTestServer server;
};

TEST_F(ChangesCommand, ShowsWhatChangedBetweenTwoChecks) {
  server.Serve("/a", Page("old", "3"));
  server.Serve("/b", HttpTestServer::Response("b\n"));
  server.Serve("/c", HttpTestServer::Response("c\n"));
  for (const char* name : {"a", "b", "c"}) {
    Ok("one.dat", {"add", "--name", name, "--url", server.Url(std::string("/") + name)});
  }
  Ok("one.dat", {"check", "--all"});  // the three pages fetched together
  EXPECT_EQ(Listed("one.dat", "a") + Listed("one.dat", "b") + Listed("one.dat", "c"), 3u);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "cache/snapshots"));
  EXPECT_EQ(Cli("one.dat", {"changes", "a"}).status, kExitFailed);

  // The alert mail and the alert line tell the change when asked to.
  testing::LoopbackServer smtp(testing::SmtpDialogue({}));
  Ok("one.dat", {"settings", "EMAIL.Email", "monitor@example.com"});
  Ok("one.dat", {"settings", "EMAIL.SMTPServ", "127.0.0.1:" + std::to_string(smtp.Port())});
  Ok("one.dat", {"settings", "EMAIL.IncludeChanges", "1"});
  Ok("one.dat", {"event", "add", "a", "--op", "#", "--message", "new", "--mail-to", "ann@example.com"});
  server.Serve("/a", Page("new", "4"));
  const auto check = Cli("one.dat", {"check", "--all"});
  EXPECT_TRUE(Holds(check.out, "; added: Tea 4)"));
  EXPECT_TRUE(Holds(smtp.Received(), "Changes on the page:\r\n- Tea 3\r\n+ Tea 4\r\n"));

  const auto shown = Cli("one.dat", {"changes", "a"});
  EXPECT_EQ(shown.status, kExitOk) << shown.err;
  EXPECT_EQ(shown.out.rfind("--- #1 ", 0), 0u) << shown.out;
  EXPECT_TRUE(Holds(shown.out, "\n@@ -1,2 +1,2 @@\n-Tea 3\n+Tea 4\n Milk 2\n"));
  EXPECT_EQ(shown.out.find('\033'), std::string::npos) << "plain when not on a terminal";
  const auto raw = Cli("one.dat", {"changes", "a", "--raw", "--from", "1", "--to", "0"});
  EXPECT_TRUE(Holds(raw.out, "\n-<div class=\"old\">\n-<p>Tea 3</p>\n+<div class=\"new\">\n+<p>Tea 4</p>\n"));
  EXPECT_EQ(Listed("one.dat", "a"), 2u);
  EXPECT_EQ(Cli("one.dat", {"changes", "a", "--from", "2"}).status, kExitFailed);
  EXPECT_EQ(Cli("one.dat", {"changes", "a", "--to", "x"}).status, kExitUsage);

  // A second catalog watching page b shares its snapshots; an unchanged text adds none.
  Ok("two.dat", {"add", "--name", "b2", "--url", server.Url("/b")});
  Ok("two.dat", {"check", "--all"});
  EXPECT_EQ(Listed("two.dat", "b2"), 1u);
  server.Serve("/b", HttpTestServer::Response("b changed\n"));
  Ok("two.dat", {"check", "--all"});
  EXPECT_EQ(Listed("one.dat", "b"), 2u);
  // Snapshots belong to the address: a beacon moved to page b sees b's.
  Ok("one.dat", {"set", "c", "--url", server.Url("/b")});
  EXPECT_EQ(Listed("one.dat", "c"), 2u);
}

}  // namespace
}  // namespace quorvex::cli
