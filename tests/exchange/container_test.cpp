// Container files: reading them, and writing them so that they read back.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "exchange/container_reader.h"
#include "exchange/container_writer.h"
#include "support/temp_folder.h"
#include "text/time_format.h"

namespace quorvex::exchange {
namespace {

ContainerBeacon ReadOne(const std::string& text, const std::string& fileName = "beacon.bcn") {
  ContainerReadResult result = ContainerReader::ReadText(text, fileName);
  EXPECT_TRUE(result.ok()) << result.reason;
  EXPECT_EQ(result.beacons.size(), 1u);
  return result.beacons.empty() ? ContainerBeacon{} : result.beacons.front();
}

TEST(ContainerReader, InternetShortcutIsAChecksumBeaconNamedAfterTheFile) {
  ContainerBeacon expected;  // the default schedule
  expected.name = "News page";
  expected.url = "http://example.com/news.htm";
  expected.kind = kContainerKindChecksum;
  EXPECT_EQ(
      ReadOne("[InternetShortcut]\r\nURL=http://example.com/news.htm\r\nIconIndex=0\r\n", "/home/u/News page.url"),
      expected);

  // The extension is found in any case; the name is cut to 49 bytes, never inside a UTF-8 letter.
  std::string longName = std::string(48, 'n') + "\xD0\x96" + "tail";
  ContainerBeacon cut = ReadOne("[InternetShortcut]\nURL=http://a/\n", "/tmp/" + longName + ".URL");
  EXPECT_EQ(cut.name, std::string(48, 'n'));
}

TEST(ContainerReader, KeyLinesAreCleanedAndApplied) {
  using namespace std::string_literals;
  using Field = std::string ContainerBeacon::*;
  const Field name = &ContainerBeacon::name, url = &ContainerBeacon::url, pattern = &ContainerBeacon::pattern,
              unit = &ContainerBeacon::unit, description = &ContainerBeacon::description;
  const std::string base = "[B]\nURL=http://a/\n";
  const std::tuple<std::string, Field, std::string> cases[] = {
      // "[" + 49 bytes + "]" + LF is 52 bytes: a section; at 53 bytes the earlier section's name stays.
      {"[" + std::string(49, 'a') + "]\nURL=http://a/\n", name, std::string(49, 'a')},
      {"[first]\n[" + std::string(50, 'a') + "]\nURL=http://a/\n", name, "first"},
      // At the end of the file, without LF, a 50-byte name fits.
      {"URL=x\n[zz]\nURL=http://a/\n[" + std::string(50, 'b') + "]", name, std::string(50, 'b')},
      // No ']': the name runs to the end of the line, LF included.
      {"[open name\nURL=http://a/\n", name, "open name\n"},
      // A second section renames the one beacon.
      {"[one]\nURL=http://a/\n[two]\nURL=http://b/\n", name, "two"},
      // Host and path give two slashes; URL clears a path given before it, a path after it is appended.
      {"[B]\nHost=example.com\nPath=/x.htm\n", url, "http://example.com//x.htm"},
      {"[B]\nPath=/old\nURL=http://a/b\n", url, "http://a/b"},
      {"[B]\nURL=http://a/b\nPath=?q=1\n", url, "http://a/b?q=1"},
      // Values are trimmed and unquoted.
      {"[B]\nURL =   \"http://a/b c\"   \n", url, "http://a/b c"},
      {base + "SearchPattern=  \" lead and trail \" \n", pattern, " lead and trail "},
      {base + "MeasurementUnit=\"\n", unit, ""},  // a lone quote is an empty value
      {base + "Description=\"say \"hi\"\"\n", description, "say \"hi\""},
      // An opening quote without a closing one is dropped alone; a closing one alone stays.
      {"[B]\nURL=\"http://a/\n", url, "http://a/"},
      {base + "Description=x\"\n", description, "x\""},
      {base + "Description=\"\"\n", description, ""},
      // Keys are found in any case and spacing.
      {base + "Search Pattern=one{?}two\n", pattern, "one{?}two"},
      {base + "SEARCHPATTERN=one{?}two\n", pattern, "one{?}two"},
      {"[B]\n\"u r l\"=http://a/\n", url, "http://a/"},
      // Unknown keys are ignored; the last of repeated keys counts.
      {base + "Colour=red\nURL=http://b/\n", url, "http://b/"},
      // A NUL ends its line; a lone CR is kept inside a value.
      {base + "Description=one\0two\n"s, description, "one"},
      {base + "SearchPattern=a\rb{?}\n", pattern, "a\rb{?}"},
      // References are decoded in the pattern; escapes in the pattern and the description.
      {base + "SearchPattern=\"&#060;b&#062;{?}\"\n", pattern, "<b>{?}"},
      {base + "Description=l1\\nl2\\tx\n", description, "l1\nl2\tx"},
  };
  for (const auto& [text, field, expected] : cases) EXPECT_EQ(ReadOne(text).*field, expected) << text;
}

TEST(ContainerReader, RefusesFilesThatAreNoContainers) {
  auto refused = [](const std::string& text) {
    ContainerReadResult result = ContainerReader::ReadText(text, "c.bcn");
    EXPECT_EQ(result.error, ContainerError::kNotAContainer) << text;
    EXPECT_TRUE(result.beacons.empty());
    return result.reason;
  };
  EXPECT_EQ(refused("URL=http://a/\nSearchPattern=x\n"), "the file has no section line");
  EXPECT_EQ(refused(""), "the file has no section line");
  EXPECT_EQ(refused("[B]\nType=FtpDocument\nURL=http://a/\n"), "the file's type is not HttpDocument");
  // The type stops reading: a later section and address do not help.
  refused("[B]\nURL=http://a/\ntype=x\n[C]\nURL=http://b/\n");
  EXPECT_EQ(refused("[B]\nSearchPattern=x\nPath=/x\n"), "the file gives no page address");
  EXPECT_EQ(refused("[B]\nURL=\"\"\n"), "the file gives no page address");
  // Keys before the first section are not read; an empty name is no section.
  refused("URL=http://a/\n[B]\n");
  refused("[]\nURL=http://a/\n");

  EXPECT_TRUE(ContainerReader::ReadText("[B]\ntype = \"HTTPDOCUMENT\"\nURL=http://a/\n", "c.bcn").ok());
}

TEST(ContainerReader, LongLinesAreReadInPiecesOf999Bytes) {
  // The key line keeps its first 999 bytes; the rest is a line of its own.
  std::string head = "SearchPattern=\"";
  std::string line = head + std::string(1200, 'x') + "\"\n";
  ContainerBeacon beacon = ReadOne("[B]\nURL=http://a/\n" + line);
  EXPECT_EQ(beacon.pattern, std::string(kContainerPieceBytes - head.size(), 'x'));

  // A piece that holds '=' is a key line, even as the tail of a longer line.
  std::string filler = "Description=\"" + std::string(kContainerPieceBytes - 13, 'd');
  beacon = ReadOne("[B]\nURL=http://a/\n" + filler + "URL=http://tail/\n");
  EXPECT_EQ(beacon.url, "http://tail/");
  EXPECT_EQ(beacon.description, std::string(kContainerPieceBytes - 13, 'd'));

  // A 998-byte line and its CR LF make one piece: CR LF counts as one byte.
  std::string exact = "Description=" + std::string(kContainerPieceBytes - 13, 'e');
  beacon = ReadOne("[B]\r\nURL=http://a/\r\n" + exact + "\r\nValType=3\r\n");
  EXPECT_EQ(beacon.description, std::string(kContainerPieceBytes - 13, 'e'));
  EXPECT_EQ(beacon.kind, kContainerKindNumber);
}

TEST(ContainerReader, PatternEscapesAndReferencesAreDecoded) {
  EXPECT_EQ(ContainerReader::DecodePattern("a\\nb\\tc"), "a\nb\tc");
  EXPECT_EQ(ContainerReader::DecodePattern("&#060;b&#062;{?}&#060;/b&#062;"), "<b>{?}</b>");
  EXPECT_EQ(ContainerReader::DecodePattern("x&#000;y&#256;z"), "xyz");
  EXPECT_EQ(ContainerReader::DecodePattern("&#65x;"), "A");  // read as atoi reads
  EXPECT_EQ(ContainerReader::DecodePattern("&#038;#065;"), "A");
  // Decoding stops at the first "&#" that is no six-byte reference up to 256.
  EXPECT_EQ(ContainerReader::DecodePattern("&#300;&#065;"), "&#300;&#065;");
  EXPECT_EQ(ContainerReader::DecodePattern("&#65&#066;"), "&#65&#066;");
  EXPECT_EQ(ContainerReader::DecodePattern("a&#06"), "a&#06");
  // Escapes are decoded before references, so an encoded backslash stays a backslash.
  EXPECT_EQ(ContainerReader::DecodePattern("&#092;n"), "\\n");
}

TEST(ContainerReader, KindAndScheduleFromTheFile) {
  const std::string base = "[B]\nURL=http://a/\n";
  EXPECT_EQ(ReadOne(base).kind, kContainerKindChecksum);
  EXPECT_EQ(ReadOne(base + "SearchPattern=a{?}\n").kind, kContainerKindText);
  EXPECT_EQ(ReadOne(base + "SearchPattern=a{?}\nMeasurementUnit=kg\n").kind, kContainerKindNumber);
  EXPECT_EQ(ReadOne(base + "SearchPattern=a{?}\nValType=4\n").kind, kContainerKindChecksum);
  // ValType cannot make a folder or a plain item: the kind is derived instead.
  EXPECT_EQ(ReadOne(base + "SearchPattern=a{?}\nValType=1\n").kind, kContainerKindText);
  EXPECT_EQ(ReadOne(base + "ValType=zero\n").kind, kContainerKindChecksum);

  // Schedule keys, too, are found in any case and spacing.
  ContainerBeacon periodic = ReadOne(base + "\tInterVal\t=15\nINTERVAL UNIT=0\n");
  EXPECT_FALSE(periodic.atStart);
  EXPECT_EQ(periodic.interval, 15);
  EXPECT_EQ(periodic.intervalUnit, kContainerUnitMinutes);
  ContainerBeacon atStart = ReadOne(base + "Interval=0\nIntervalUnit=4\n");
  EXPECT_TRUE(atStart.atStart);
  EXPECT_EQ(atStart.interval, 1);
  EXPECT_EQ(atStart.intervalUnit, kContainerUnitDays);
  // A count below 1 would make the page due at every tick; an unknown unit likewise.
  EXPECT_TRUE(ReadOne(base + "Interval=-5\nIntervalUnit=1\n").atStart);
  ContainerBeacon badUnit = ReadOne(base + "Interval=2\nIntervalUnit=9\n");
  EXPECT_FALSE(badUnit.atStart);
  EXPECT_EQ(badUnit.intervalUnit, kContainerUnitDays);
  EXPECT_EQ(ReadOne(base + "Interval=99999999999999\nIntervalUnit=0\n").interval, 2147483647);
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
  ContainerBeacon back = ReadOne(FormatContainer(beacon, "d"));
  EXPECT_EQ(back.name, std::string(kShortcutNameMaxBytes, 'n'));
  EXPECT_EQ(back.url, "http://a/ValType=1");
  EXPECT_EQ(back.unit, "kg");
  EXPECT_EQ(back.kind, kContainerKindText);
  EXPECT_EQ(back.pattern, "a\nb\tcA{?}");

  beacon.name = "two\nlines";
  EXPECT_EQ(ReadOne(FormatContainer(beacon, "d")).name, "two lines");
  beacon.name = "";
  EXPECT_EQ(ReadOne(FormatContainer(beacon, "d")).name, " ");
}

}  // namespace
}  // namespace quorvex::exchange
