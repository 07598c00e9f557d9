#include "exchange/container_writer.h"

#include <gtest/gtest.h>

#include <string>

#include "exchange/container_reader.h"
#include "support/temp_folder.h"
#include "text/time_format.h"

namespace quorvex::exchange {
namespace {

ContainerBeacon RoundTrip(const ContainerBeacon& beacon) {
  ContainerReadResult result = ContainerReader::ReadText(FormatContainer(beacon, "01.02.24 10:00"), "x.bcn");
  EXPECT_TRUE(result.ok()) << result.reason;
  return result.beacons.empty() ? ContainerBeacon{} : result.beacons.front();
}

TEST(ContainerWriter, WritesTheTenLinesExactly) {
  ContainerBeacon beacon;
  beacon.name = "Gold price";
  beacon.url = "http://example.com/gold?a=1&b=\"2\"";
  beacon.pattern = "<td>\t{?}\n</td>";
  beacon.kind = kContainerKindNumber;
  beacon.unit = "USD";
  beacon.atStart = false;
  beacon.interval = 6;
  beacon.intervalUnit = 1;
  beacon.description = "first\nsecond\tcolumn";
  EXPECT_EQ(FormatContainer(beacon, "01.02.24 10:00"),
            "The Quorvex container was created 01.02.24 10:00\n"
            "\n"
            "[Gold price]\n"
            "URL=\"http://example.com/gold?a=1&b=\"2\"\"\n"
            "SearchPattern=\"<td>\\t{?}\\n</td>\"\n"
            "ValType=3\n"
            "MeasurementUnit=\"USD\"\n"
            "Interval=6\n"
            "IntervalUnit=1\n"
            "Description=\"first\\nsecond\tcolumn\"\n");

  // The file holds the same bytes, dated in the given format; an older, longer file is replaced whole.
  testing::TempFolder dir;
  const std::string path = dir.Write("out.bcn", std::string(500, 'o'));
  std::string error;
  ASSERT_TRUE(WriteContainerFile(path, beacon, "%Y", 0, &error)) << error;
  EXPECT_EQ(testing::ReadFileBytes(path), FormatContainer(beacon, text::FormatLocalTime(0, "%Y")));
  EXPECT_FALSE(WriteContainerFile(dir / "no/such/folder/x.bcn", beacon, "%Y", 0, &error));
  EXPECT_NE(error.find("cannot create"), std::string::npos);
  EXPECT_FALSE(WriteContainerFile(dir / "", beacon, "%Y", 0, &error));
  EXPECT_EQ(ContainerReader::ReadFile(dir / "").error, ContainerError::kCannotOpen);  // a folder

  beacon.atStart = true;
  EXPECT_NE(FormatContainer(beacon, "d").find("\nInterval=0\nIntervalUnit=1\n"), std::string::npos);
}

TEST(ContainerWriter, KeepsTheFileImportable) {
  ContainerBeacon beacon;
  beacon.url = "http://a/\r\nValType=1";
  beacon.unit = "k\ng";
  beacon.name = std::string(60, 'n');
  // Escapes and references already in a pattern come back decoded.
  beacon.pattern = "a\\nb\\tc&#065;{?}";
  ContainerBeacon back = RoundTrip(beacon);
  EXPECT_EQ(back.name, std::string(kShortcutNameMaxBytes, 'n'));
  EXPECT_EQ(back.url, "http://a/ValType=1");
  EXPECT_EQ(back.unit, "kg");
  EXPECT_EQ(back.kind, kContainerKindText);
  EXPECT_EQ(back.pattern, "a\nb\tcA{?}");

  beacon.name = "two\nlines";
  EXPECT_EQ(RoundTrip(beacon).name, "two lines");
  beacon.name = "";
  EXPECT_EQ(RoundTrip(beacon).name, " ");
}

}  // namespace
}  // namespace quorvex::exchange
