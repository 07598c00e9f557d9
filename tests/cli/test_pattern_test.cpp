#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/cli_runner.h"

namespace quorvex::cli {
namespace {

class TestPatternCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string templ = (std::filesystem::temp_directory_path() / "quorvex-test-pattern-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    dir_ = templ;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  std::filesystem::path dir_;
};

TEST_F(TestPatternCommand, PrintsTheValueBytesAndItsPosition) {
  std::string page = Write("page.html", "<html>\r\n<td>Price: 12.5 </td>\r\n</html>\r\n");
  auto run = testing::RunCliCommand({"test-pattern", "--pattern", "Price:{?}</td>", page});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "12.5 \n");
  // The CRs are gone before the position is counted.
  run = testing::RunCliCommand({"test-pattern", "--position", "--pattern", "Price:{?}</td>", page});
  EXPECT_EQ(run.out, "12.5 \nline 1, column 11\n");
}

TEST_F(TestPatternCommand, ReadsStandardInputPatternFilesAndCharsets) {
  auto run = testing::RunCliCommand({"test-pattern", "--pattern", "", "-"}, "abc");
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_EQ(run.out, "#CRC#2105851804\n");
  // The pattern file's trailing newline is kept but, being blank, does no harm.
  std::string pattern = Write("pattern.txt", "<b>\n{?}</b>\n");
  run = testing::RunCliCommand({"test-pattern", "--pattern-file", pattern, "-"}, "x <b>\n 7</b> y");
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "7\n");
  // A KOI8-R page becomes Windows-1251 before the pattern runs; the value reaches the terminal as
  // UTF-8, its control characters escaped.
  std::string koi8 = Write("koi8.html", "<i>\xF7\xC5\xD2\xD3\xC9\xD1\x1B[2J</i>");
  run = testing::RunCliCommand({"test-pattern", "--charset", "1", "--pattern", "<i>{?}</i>", koi8});
  EXPECT_EQ(run.out, "\xD0\x92\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8\xD1\x8F\\x1b[2J\n");  // "Версия\x1b[2J"
  run = testing::RunCliCommand({"test-pattern", "--charset", "koi8", "--pattern", "<i>{?}</i>", koi8});
  EXPECT_EQ(run.out, "\xD0\x92\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8\xD1\x8F\\x1b[2J\n");
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

TEST_F(TestPatternCommand, EndlessSourcesStopAtThePageLimit) {
  EndlessLines lines;
  std::istream in(&lines);
  std::ostringstream out;
  std::ostringstream err;
  CommandIo io{in, out, err};
  EXPECT_EQ(RunCli({"test-pattern", "--pattern", "zz{?}", "-"}, io), kExitFailed);
  EXPECT_NE(err.str().find("cut at 52000 bytes"), std::string::npos) << err.str();
  // The first NUL ends a page, so a link to /dev/zero is an empty page at once.
  std::filesystem::create_symlink("/dev/zero", dir_ / "zero");
  auto run = testing::RunCliCommand({"test-pattern", "--pattern", "", (dir_ / "zero").string()});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, testing::RunCliCommand({"test-pattern", "--pattern", "", "-"}, "").out);
  run = testing::RunCliCommand({"test-pattern", "--pattern-file", (dir_ / "zero").string(), "-"}, "");
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_NE(run.err.find("cannot read pattern file"), std::string::npos);
}

TEST_F(TestPatternCommand, MatchFailuresExitWithStatusTwo) {
  std::string page = Write("page.html", "a1b a2b");
  auto run = testing::RunCliCommand({"test-pattern", "--pattern", "a{?}b", page});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("1000: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find("No part of the pattern is unique"), std::string::npos);
  EXPECT_EQ(testing::RunCliCommand({"test-pattern", "--pattern", "zz{?}", page}).err.rfind("999: ", 0), 0u);
  EXPECT_EQ(testing::RunCliCommand({"test-pattern", "--pattern", "{?}b", page}).err.rfind("1001: ", 0), 0u);
  EXPECT_EQ(testing::RunCliCommand({"test-pattern", "--pattern", "a", (dir_ / "missing").string()}).status,
            kExitFailed);
  EXPECT_EQ(testing::RunCliCommand({"test-pattern", "--pattern-file", (dir_ / "missing").string(), page}).status,
            kExitFailed);
}

TEST_F(TestPatternCommand, UsageErrors) {
  std::string page = Write("page.html", "a1b");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"test-pattern", page},
           {"test-pattern", "--pattern", "a"},
           {"test-pattern", "--pattern", "a", page, page},
           {"test-pattern", "--pattern", "a", "--pattern-file", page, page},
           {"test-pattern", "--pattern", "a", "--charset", "4", page},
           {"test-pattern", "--pattern", "a", "--bogus", page},
       }) {
    auto run = testing::RunCliCommand(args);
    EXPECT_EQ(run.status, kExitUsage) << args.size();
    EXPECT_NE(run.err.find("Usage:"), std::string::npos);
  }
  auto help = testing::RunCliCommand({"test-pattern", "--help"});
  EXPECT_EQ(help.status, kExitOk);
  EXPECT_NE(help.out.find("--pattern-file"), std::string::npos);
}

}  // namespace
}  // namespace quorvex::cli
