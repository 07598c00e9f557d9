#include <gtest/gtest.h>
#include <sys/stat.h>

#include "exchange/container_reader.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quorvex::cli {
namespace {

using quorvex::testing::Holds;
using quorvex::testing::RunCliCommand;
using quorvex::testing::TempFolder;

TEST(ExchangeCommands, ExportImportAndReport) {
  TempFolder dir;
  const std::string catalog = dir / "cat.dat";
  auto add = RunCliCommand({"add", "--catalog", catalog, "--name", "Gold", "--url", "http://rates.example/gold",
                            "--pattern", "Gold\t{?}\n", "--unit", "USD", "--every", "6", "hours"});
  ASSERT_EQ(add.status, kExitOk) << add.err;

  auto exported = RunCliCommand({"export", "--catalog", catalog, "Gold", dir / "gold.bcn"});
  ASSERT_EQ(exported.status, kExitOk) << exported.err;
  exchange::ContainerReadResult read = exchange::ContainerReader::ReadFile(dir / "gold.bcn");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.beacons[0].pattern, "Gold\t{?}\n");
  EXPECT_EQ(read.beacons[0].interval, 6);
  EXPECT_EQ(RunCliCommand({"export", "--catalog", catalog, "Nothing", dir / "x.bcn"}).status, kExitFailed);
  EXPECT_EQ(RunCliCommand({"export", "--catalog", catalog, "Gold"}).status, kExitUsage);

  testing::WriteFileBytes(dir / "News page.url", "[InternetShortcut]\r\nURL=http://news.example/\r\n");
  ASSERT_EQ(::mkfifo((dir / "pipe.bcn").c_str(), 0600), 0);  // refused at once, never waited on
  auto imported = RunCliCommand({"import", "--catalog", catalog, "--folder", "In", dir / "gold.bcn",
                                 dir / "News page.url", dir / "none.bcn", dir / "pipe.bcn"});
  EXPECT_EQ(imported.status, kExitFailed);  // two of four files cannot be read
  EXPECT_TRUE(Holds(imported.out, "  added In/Gold\n"));
  EXPECT_TRUE(Holds(imported.out, "  added In/News page\n"));
  EXPECT_TRUE(Holds(imported.err, "none.bcn"));
  EXPECT_TRUE(Holds(imported.err, "pipe.bcn: not a regular file"));
  auto list = RunCliCommand({"list", "--catalog", catalog});
  EXPECT_TRUE(Holds(list.out, "News page"));

  // Asked, the answer is no unless --yes.
  auto asked = RunCliCommand({"import", "--catalog", catalog, "--ask", dir / "gold.bcn"});
  EXPECT_EQ(asked.status, kExitOk);
  EXPECT_TRUE(Holds(asked.out, ": 0 beacons"));
  asked = RunCliCommand({"import", "--catalog", catalog, "--ask", "--yes", dir / "gold.bcn"});
  EXPECT_TRUE(Holds(asked.out, ": 1 beacon\n"));
  EXPECT_EQ(RunCliCommand({"import", "--catalog", catalog}).status, kExitUsage);
  // A local file as page address is asked about even without --ask.
  testing::WriteFileBytes(dir / "local.bcn", "[Local]\nURL=file:///etc/hostname\n");
  asked = RunCliCommand({"import", "--catalog", catalog, dir / "local.bcn"});
  EXPECT_TRUE(Holds(asked.err, "/etc/hostname"));
  EXPECT_TRUE(Holds(asked.out, ": 0 beacons"));
  asked = RunCliCommand({"import", "--catalog", catalog, "--yes", dir / "local.bcn"});
  EXPECT_TRUE(Holds(asked.out, "  added Local\n"));

  testing::WriteFileBytes(dir / "t.htm", "<h1><!Quorvex [DATE_NOW]></h1>\n<!Quorvex [CATALOGTABLE]>\n");
  auto report = RunCliCommand({"report", "--catalog", catalog, "--template", dir / "t.htm", "--out", dir / "r.htm"});
  ASSERT_EQ(report.status, kExitOk) << report.err;
  const std::string html = testing::ReadFileBytes(dir / "r.htm");
  EXPECT_TRUE(Holds(html, "<a href=\"http://news.example/\">News page</a>"));
  EXPECT_EQ(
      RunCliCommand({"report", "--catalog", catalog, "--template", dir / "none.htm", "--out", dir / "r.htm"}).status,
      kExitFailed);
}

}  // namespace
}  // namespace quorvex::cli
