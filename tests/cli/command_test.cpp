#include "cli/command.h"

#include <gtest/gtest.h>

#include "support/cli_runner.h"

namespace quorvex::cli {
namespace {

TEST(Cli, HelpAndUsageErrors) {
  auto help = testing::RunCliCommand({"--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("Usage: quorvex-cli"), std::string::npos);
  EXPECT_EQ(testing::RunCliCommand({}).status, kExitUsage);
  EXPECT_EQ(testing::RunCliCommand({"no-such-command"}).status, kExitUsage);
}

TEST(Cli, ArgParserSplitsOptionsFlagsAndPositionals) {
  ArgParser args({"--pattern", "a{?}b", "--position", "-", "--x=1", "--", "--literal"}, {"pattern", "x"}, {"position"});
  ASSERT_TRUE(args.Ok()) << args.Error();
  EXPECT_EQ(args.Get("pattern"), "a{?}b");
  EXPECT_TRUE(args.Has("position"));
  EXPECT_EQ(args.Get("x"), "1");
  EXPECT_EQ(args.Positionals(), (std::vector<std::string>{"-", "--literal"}));
  EXPECT_FALSE(ArgParser({"--nope"}, {}, {}).Ok());
  EXPECT_FALSE(ArgParser({"--pattern"}, {"pattern"}, {}).Ok());
}

}  // namespace
}  // namespace quorvex::cli
