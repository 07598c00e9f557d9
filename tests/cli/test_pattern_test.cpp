// test-pattern and suggest-pattern on files and standard input.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quorvex::cli {
namespace {

using quorvex::testing::Ended;
using quorvex::testing::Holds;
using quorvex::testing::RunCliCommand;

class PatternCommands : public ::testing::Test {
 protected:
  testing::TempFolder dir;
};

TEST_F(PatternCommands, TestPatternPrintsTheValueOfFilesAndStandardInput) {
  const std::string page = dir.Write("page.html", "<html>\r\n<td>Price: 12.5 </td>\r\n</html>\r\n");
  auto run = RunCliCommand({"test-pattern", "--pattern", "Price:{?}</td>", page});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "12.5 \n");
  // The CRs are gone before the position is counted.
  run = RunCliCommand({"test-pattern", "--position", "--pattern", "Price:{?}</td>", page});
  EXPECT_EQ(run.out, "12.5 \nline 1, column 11\n");

  run = RunCliCommand({"test-pattern", "--pattern", "", "-"}, "abc");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "#CRC#2105851804\n");
  // The pattern file's trailing newline is kept but, being blank, does no harm.
  const std::string pattern = dir.Write("pattern.txt", "<b>\n{?}</b>\n");
  run = RunCliCommand({"test-pattern", "--pattern-file", pattern, "-"}, "x <b>\n 7</b> y");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "7\n");
  // A KOI8-R page becomes Windows-1251 before the pattern runs; the value reaches the terminal as
  // UTF-8, its control characters escaped.
  const std::string koi8 = dir.Write("koi8.html", "<i>\xF7\xC5\xD2\xD3\xC9\xD1\x1B[2J</i>");
  for (const char* charset : {"1", "koi8"}) {
    run = RunCliCommand({"test-pattern", "--charset", charset, "--pattern", "<i>{?}</i>", koi8});
    EXPECT_EQ(run.out, "\xD0\x92\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8\xD1\x8F\\x1b[2J\n");  // "Версия\x1b[2J"
  }
}

// Standard input that never ends, as from `yes`.
class EndlessLines : public std::streambuf {
 protected:
  int_type underflow() override {
    setg(line_, line_, line_ + 2);
    return traits_type::to_int_type(line_[0]);
  }

 private:
  char line_[2] = {'y', '\n'};
};

TEST_F(PatternCommands, FailuresExitWithStatusTwoUsageErrorsWithOneAndEndlessSourcesStop) {
  const std::string page = dir.Write("page.html", "a1b a2b");
  auto run = RunCliCommand({"test-pattern", "--pattern", "a{?}b", page});
  EXPECT_TRUE(Ended(run, kExitFailed, "No part of the pattern is unique"));
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("1000: ", 0), 0u) << run.err;
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "zz{?}", page}).err.rfind("999: ", 0), 0u);
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "{?}b", page}).err.rfind("1001: ", 0), 0u);
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern", "a", dir / "missing"}).status, kExitFailed);
  EXPECT_EQ(RunCliCommand({"test-pattern", "--pattern-file", dir / "missing", page}).status, kExitFailed);
  EXPECT_EQ(RunCliCommand({"suggest-pattern", "--value", "5", dir / "missing"}).status, kExitFailed);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {"test-pattern", page},
           {"test-pattern", "--pattern", "a"},
           {"test-pattern", "--pattern", "a", page, page},
           {"test-pattern", "--pattern", "a", "--pattern-file", page, page},
           {"test-pattern", "--pattern", "a", "--charset", "4", page},
           {"test-pattern", "--pattern", "a", "--bogus", page},
           // A value the page lacks, or a place it lacks, is a usage error too.
           {"suggest-pattern", "--value", "6", page},
           {"suggest-pattern", "--line", "0", "--column", "1", "--value", "6", page},
           {"suggest-pattern", "--line", "5", "--column", "0", "--length", "1", page},
           {"suggest-pattern", "--length", "1", page},
           {"suggest-pattern", "--value", "5"},
       }) {
    EXPECT_TRUE(Ended(RunCliCommand(args), kExitUsage, "Usage: quorvex-cli " + args[0])) << args.size();
  }
  run = RunCliCommand({"test-pattern", "--help"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_TRUE(Holds(run.out, "--pattern-file"));

  // Endless sources stop at the page limit.
  EndlessLines lines;
  std::istream in(&lines);
  std::ostringstream out;
  std::ostringstream err;
  CommandIo io{in, out, err};
  EXPECT_EQ(RunCli({"test-pattern", "--pattern", "zz{?}", "-"}, io), kExitFailed);
  EXPECT_TRUE(Holds(err.str(), "cut at 52000 bytes"));
  // The first NUL ends a page, so a link to /dev/zero is an empty page at once.
  std::filesystem::create_symlink("/dev/zero", dir / "zero");
  run = RunCliCommand({"test-pattern", "--pattern", "", dir / "zero"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, RunCliCommand({"test-pattern", "--pattern", "", "-"}, "").out);
  EXPECT_TRUE(Ended(RunCliCommand({"test-pattern", "--pattern-file", dir / "zero", "-"}, ""), kExitFailed,
                    "cannot read pattern file"));
}

TEST_F(PatternCommands, SuggestPatternWritesAPatternThatTestPatternAccepts) {
  // CRs are dropped as for a fetched page, so line 2 is the second row.
  const std::string page = dir.Write("page.html",
                                     "<table>\r\n<tr><td>Nuts</td><td>3.50</td></tr>\r\n"
                                     "<tr><td>Bolts</td><td>3.50</td></tr>\r\n</table>\r\n<p>Total: 7.00 EUR</p>\r\n");
  auto run = RunCliCommand({"suggest-pattern", "--value", "7.00", page});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  std::string pattern = run.out.substr(0, run.out.size() - 1);
  run = RunCliCommand({"test-pattern", "--pattern", pattern, page});
  EXPECT_EQ(run.out, "7.00 \n") << pattern;

  // A value that occurs twice needs its place; the places are listed.
  EXPECT_TRUE(Ended(RunCliCommand({"suggest-pattern", "--value", "3.50", page}), kExitUsage, "--line 2 --column 22"));
  for (const std::string option : {"--length", "--value"}) {
    run = RunCliCommand(
        {"suggest-pattern", "--line", "2", "--column", "22", option, option == "--length" ? "4" : "3.50", page});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(
        RunCliCommand({"test-pattern", "--position", "--pattern", run.out.substr(0, run.out.size() - 1), page}).out,
        "3.50\nline 2, column 22\n")
        << run.out;
  }

  // Nothing can come before a value at the very start of the page.
  run = RunCliCommand({"suggest-pattern", "--value", "42", "-"}, "42 apples");
  EXPECT_TRUE(Ended(run, kExitFailed, "no search pattern"));
  EXPECT_EQ(run.out, "");

  run = RunCliCommand({"suggest-pattern", "--line", "0", "--column", "7", "--length", "1", "-"}, "Price: 5\n");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Price:{?}\n");
}

}  // namespace
}  // namespace quorvex::cli
