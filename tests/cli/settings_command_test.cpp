#include <gtest/gtest.h>

#include <sstream>

#include "cli/catalog_option.h"
#include "platform/ini_store.h"
#include "settings/app_context.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quorvex::cli {
namespace {

using quorvex::testing::RunCliCommand;
using quorvex::testing::ScopedEnv;
using quorvex::testing::TempFolder;

TEST(SettingsCommand, ListsGetsAndSetsEverySetting) {
  TempFolder dir;
  ScopedEnv config("QUORVEX_CONFIG_DIR", dir.Path());

  auto list = RunCliCommand({"settings"});
  ASSERT_EQ(list.status, kExitOk) << list.err;
  std::istringstream lines(list.out);
  std::string line;
  std::vector<std::string> names;
  while (std::getline(lines, line)) names.push_back(line.substr(0, line.find('=')));
  ASSERT_EQ(names.size(), 34u) << list.out;
  EXPECT_EQ(names.front(), "INTERFACE.HistoryDeepth");
  EXPECT_EQ(names.back(), "RData.Data4");
  EXPECT_NE(list.out.find("\nCONNECTION.ProxyServer=http://localhost\n"), std::string::npos);

  const std::string value = " a=b;c\tline\nnext ";
  auto set = RunCliCommand({"settings", "email.smtpserv", value});
  ASSERT_EQ(set.status, kExitOk) << set.err;
  auto get = RunCliCommand({"settings", "EMAIL.SMTPServ"});
  EXPECT_EQ(get.status, kExitOk);
  EXPECT_EQ(get.out, value + "\n");
  list = RunCliCommand({"settings"});
  EXPECT_NE(list.out.find("\nEMAIL.SMTPServ=\\x20a=b;c\\tline\\nnext\\x20\n"), std::string::npos) << list.out;
  platform::IniStore file;
  ASSERT_EQ(file.LoadFile(dir / "Quorvex.ini"), platform::IniStore::LoadResult::Ok);
  EXPECT_EQ(file.GetString("EMAIL", "SMTPServ", ""), value);

  EXPECT_EQ(RunCliCommand({"settings", "EMAIL.Nope"}).status, kExitFailed);
  EXPECT_EQ(RunCliCommand({"settings", "EMAIL.Nope", "x"}).status, kExitFailed);
  auto bad = RunCliCommand({"settings", "CONNECTION.ProxyPort", "eighty"});
  EXPECT_EQ(bad.status, kExitFailed);
  EXPECT_NE(bad.err.find("whole number"), std::string::npos);
  EXPECT_EQ(RunCliCommand({"settings", "a", "b", "c"}).status, kExitUsage);
  EXPECT_EQ(RunCliCommand({"settings", "--bogus"}).status, kExitUsage);
  EXPECT_EQ(RunCliCommand({"settings", "CONNECTION.ProxyPort"}).out, "80\n");
}

TEST(SettingsCommand, CatalogOptionChoosesTheCatalogOfTheRun) {
  TempFolder dir;
  ScopedEnv config("QUORVEX_CONFIG_DIR", dir.Path());
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

}  // namespace
}  // namespace quorvex::cli
