#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quorvex::cli {
namespace {

class SuggestPatternCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) { return dir_.Write(name, bytes); }

  testing::TempFolder dir_;
};

TEST_F(SuggestPatternCommand, WritesAPatternThatTestPatternAccepts) {
  // CRs are dropped as for a fetched page, so line 2 is the second row.
  const std::string page = Write("page.html",
                                 "<table>\r\n<tr><td>Nuts</td><td>3.50</td></tr>\r\n"
                                 "<tr><td>Bolts</td><td>3.50</td></tr>\r\n</table>\r\n<p>Total: 7.00 EUR</p>\r\n");
  auto run = testing::RunCliCommand({"suggest-pattern", "--value", "7.00", page});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  std::string pattern = run.out.substr(0, run.out.size() - 1);
  run = testing::RunCliCommand({"test-pattern", "--pattern", pattern, page});
  EXPECT_EQ(run.out, "7.00 \n") << pattern;

  // A value that occurs twice needs its place; the places are listed.
  run = testing::RunCliCommand({"suggest-pattern", "--value", "3.50", page});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_NE(run.err.find("--line 2 --column 22"), std::string::npos) << run.err;
  for (const auto& place : {std::vector<std::string>{"--line", "2", "--column", "22", "--length", "4"},
                            std::vector<std::string>{"--line", "2", "--column", "22", "--value", "3.50"}}) {
    std::vector<std::string> args = {"suggest-pattern"};
    args.insert(args.end(), place.begin(), place.end());
    args.push_back(page);
    run = testing::RunCliCommand(args);
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(
        testing::RunCliCommand({"test-pattern", "--position", "--pattern", run.out.substr(0, run.out.size() - 1), page})
            .out,
        "3.50\nline 2, column 22\n")
        << run.out;
  }
}

TEST_F(SuggestPatternCommand, NoPatternAndUsageErrors) {
  // Nothing can come before a value at the very start of the page.
  auto run = testing::RunCliCommand({"suggest-pattern", "--value", "42", "-"}, "42 apples");
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("no search pattern"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "");

  const std::string page = Write("p.txt", "Price: 5\n");
  EXPECT_EQ(testing::RunCliCommand({"suggest-pattern", "--value", "6", page}).status, kExitUsage);
  EXPECT_EQ(testing::RunCliCommand({"suggest-pattern", "--line", "0", "--column", "7", "--value", "6", page}).status,
            kExitUsage);
  EXPECT_EQ(testing::RunCliCommand({"suggest-pattern", "--line", "5", "--column", "0", "--length", "1", page}).status,
            kExitUsage);
  EXPECT_EQ(testing::RunCliCommand({"suggest-pattern", "--length", "1", page}).status, kExitUsage);
  EXPECT_EQ(testing::RunCliCommand({"suggest-pattern", "--value", "5"}).status, kExitUsage);
  EXPECT_EQ(testing::RunCliCommand({"suggest-pattern", "--value", "5", dir_ / "missing"}).status, kExitFailed);
  run = testing::RunCliCommand({"suggest-pattern", "--line", "0", "--column", "7", "--length", "1", page});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Price:{?}\n");
}

}  // namespace
}  // namespace quorvex::cli
