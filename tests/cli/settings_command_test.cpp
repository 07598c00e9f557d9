// The command line itself: help, usage, option parsing, settings, the catalog option and mail-test.
#include <gtest/gtest.h>

#include <algorithm>

#include "cli/catalog_option.h"
#include "cli/command.h"
#include "platform/ini_store.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "settings/app_context.h"
#include "support/cli_runner.h"
#include "support/scripted_smtp_server.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace quorvex::cli {
namespace {

using quorvex::testing::Ended;
using quorvex::testing::Holds;
using quorvex::testing::RunCliCommand;
using quorvex::testing::ScopedEnv;
using quorvex::testing::TempFolder;

TEST(Cli, HelpUsageErrorsAndArguments) {
  auto help = RunCliCommand({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_TRUE(Holds(help.out, "Usage: quorvex-cli"));
  EXPECT_EQ(RunCliCommand({}).status, kExitUsage);
  EXPECT_EQ(RunCliCommand({"no-such-command"}).status, kExitUsage);

  // The parser splits options, flags and positionals.
  ArgParser args({"--pattern", "a{?}b", "--position", "-", "--x=1", "--", "--literal"}, {"pattern", "x"}, {"position"});
  ASSERT_TRUE(args.Ok()) << args.Error();
  EXPECT_EQ(args.Get("pattern"), "a{?}b");
  EXPECT_TRUE(args.Has("position"));
  EXPECT_EQ(args.Get("x"), "1");
  EXPECT_EQ(args.Positionals(), (std::vector<std::string>{"-", "--literal"}));
  EXPECT_FALSE(ArgParser({"--nope"}, {}, {}).Ok());
  EXPECT_FALSE(ArgParser({"--pattern"}, {"pattern"}, {}).Ok());
}

TEST(SettingsCommand, ListsGetsAndSetsEverySettingAndTheCatalogOfTheRun) {
  TempFolder dir;
  ScopedEnv config("QUORVEX_CONFIG_DIR", dir.Path());

  auto list = RunCliCommand({"settings"});
  ASSERT_EQ(list.status, kExitOk) << list.err;
  // One line a setting, from the first to the last.
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 34) << list.out;
  EXPECT_EQ(list.out.rfind("INTERFACE.HistoryDeepth=", 0), 0u);
  EXPECT_EQ(list.out.rfind("\nRData.Data4="), list.out.rfind('\n', list.out.size() - 2));
  EXPECT_TRUE(Holds(list.out, "\nCONNECTION.ProxyServer=http://localhost\n"));

  const std::string value = " a=b;c\tline\nnext ";
  auto set = RunCliCommand({"settings", "email.smtpserv", value});
  ASSERT_EQ(set.status, kExitOk) << set.err;
  auto get = RunCliCommand({"settings", "EMAIL.SMTPServ"});
  EXPECT_EQ(get.status, kExitOk);
  EXPECT_EQ(get.out, value + "\n");
  list = RunCliCommand({"settings"});
  EXPECT_TRUE(Holds(list.out, "\nEMAIL.SMTPServ=\\x20a=b;c\\tline\\nnext\\x20\n"));
  platform::IniStore file;
  ASSERT_EQ(file.LoadFile(dir / "Quorvex.ini"), platform::IniStore::LoadResult::Ok);
  EXPECT_EQ(file.GetString("EMAIL", "SMTPServ", ""), value);

  EXPECT_EQ(RunCliCommand({"settings", "EMAIL.Nope"}).status, kExitFailed);
  EXPECT_EQ(RunCliCommand({"settings", "EMAIL.Nope", "x"}).status, kExitFailed);
  EXPECT_TRUE(Ended(RunCliCommand({"settings", "CONNECTION.ProxyPort", "eighty"}), kExitFailed, "whole number"));
  EXPECT_EQ(RunCliCommand({"settings", "a", "b", "c"}).status, kExitUsage);
  EXPECT_EQ(RunCliCommand({"settings", "--bogus"}).status, kExitUsage);
  EXPECT_EQ(RunCliCommand({"settings", "CONNECTION.ProxyPort"}).out, "80\n");

  // The catalog option chooses the catalog of the run.
  ScopedEnv data("XDG_DATA_HOME", dir / "data");
  settings::AppContext context;
  EXPECT_EQ(ResolveCatalogPath(std::string()), dir / "data/Quorvex/maindata.dat");

  ASSERT_EQ(RunCliCommand({"--catalog", dir / "global.dat", "settings", "COMMON.WorkDir"}).status, kExitOk);
  EXPECT_EQ(context.CatalogPath(), dir / "global.dat");
  EXPECT_EQ(ResolveCatalogPath(ArgParser({}, {kCatalogOption}, {})), dir / "global.dat");

  ArgParser args({"--catalog", dir / "mine.dat"}, {kCatalogOption}, {});
  EXPECT_EQ(ResolveCatalogPath(args), dir / "mine.dat");
  EXPECT_EQ(context.CatalogPath(), dir / "mine.dat");
  EXPECT_EQ(RunCliCommand({"--catalog"}).status, kExitUsage);
}

TEST(MailTestCommand, ShowsTheDialogueAndTheResultOrTheFailure) {
  testing::TestApp app;
  app.Settings().m_strEmail = "monitor@example.com";
  testing::LoopbackServer server(testing::SmtpDialogue({}));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  auto result = RunCliCommand({"mail-test", "--to", "ann@example.com", "--subject", "Hello"});
  EXPECT_EQ(result.status, kExitOk) << result.err;
  EXPECT_TRUE(Holds(result.out, ">> MAIL From: <monitor@example.com>"));
  EXPECT_TRUE(Holds(result.out, "<< 354"));
  EXPECT_TRUE(Holds(result.out, platform::GetString(platform::ids::kMsgMailSent)));
  EXPECT_TRUE(Holds(server.Received(), "Subject: Hello"));

  app.Settings().m_strSMTPServ = "";
  EXPECT_EQ(RunCliCommand({"mail-test"}).status, kExitUsage);
  EXPECT_TRUE(Ended(RunCliCommand({"mail-test", "--to", "ann@example.com"}), kExitFailed,
                    platform::GetString(platform::ids::kMsgMailNotConfigured)));

  testing::LoopbackServer refusing(testing::SmtpDialogue({.rcpt = {{"ann@example.com", "550 no such user\r\n"}}}));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(refusing.Port());
  EXPECT_TRUE(Ended(RunCliCommand({"mail-test", "--to", "ann@example.com"}), kExitFailed, "550"));
}

}  // namespace
}  // namespace quorvex::cli
