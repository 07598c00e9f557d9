#include "exchange/catalog_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/time_format.h"

namespace quorvex::exchange {
namespace {

constexpr int64_t kNow = 1700000000;      // 14 Nov 2023
constexpr int64_t kSampled = 1600000000;  // 13 Sep 2020
constexpr int64_t kChecked = 1500000000;  // 14 Jul 2017

// The dates as the report writes them: the first 8 bytes of the format.
std::string Day(int64_t seconds) {
  return text::FormatLocalTime(seconds, "%Y-%m-%d");
}

ReportRow Number(const std::string& name, double delta, const std::string& deltaText) {
  return {.name = name,
          .url = "http://rates.example/" + name,
          .kind = kContainerKindNumber,
          .valueText = "12.50",
          .delta = delta,
          .deltaText = deltaText,
          .unit = "EUR",
          .sampleTime = kSampled,
          .checkTime = kChecked};
}

std::string Render(const std::vector<ReportRow>& rows, const std::string& templateText) {
  return CatalogReport(rows, ReportTexts{"Beacon", "Value:", "Time: of:", "%Y-%m-%d %H:%M"}, kNow).Render(templateText);
}

TEST(CatalogReport, TemplateLinesAndDirectives) {
  // A template without directives is copied after an empty line.
  EXPECT_EQ(Render({}, "<html>\r\n<body>x</body>\n</html>"), "\n<html>\n<body>x</body>\n</html>\n");
  EXPECT_EQ(Render({}, ""), "\n");
  EXPECT_EQ(Render({}, "a\n\n"), "\na\n\n");
  // A date directive continues the line.
  EXPECT_EQ(Render({}, "Made on <!Quorvex [DATE_NOW]> by us.\nnext"), "\nMade on \n" + Day(kNow) + " by us.\nnext\n");
  // With nothing after the '>' the date ends without a line break: the next line follows it.
  EXPECT_EQ(Render({}, "<!Quorvex [DATE_NOW]>\n</p>"), "\n\n" + Day(kNow) + "</p>\n");
  // Several directives on one line; blanks between "<!Quorvex" and "[" are allowed.
  EXPECT_EQ(Render({}, "a<!Quorvex [DATE_NOW]>b<!Quorvex   [x DATE_NOW y]>c"),
            "\na\n" + Day(kNow) + "b\n" + Day(kNow) + "c\n");
  // Broken directives drop the rest of the line.
  EXPECT_EQ(Render({}, "a<!Quorvex [DATE_NOW>b\nc"), "\na\nc\n");
  EXPECT_EQ(Render({}, "a<!Quorvex []>b"), "\na\n");
  EXPECT_EQ(Render({}, "a<!Quorvex x[DATE_NOW]>b"), "\na\n");
  // Unknown names write nothing but keep the rest of the line; the keywords are case-sensitive.
  EXPECT_EQ(Render({}, "a<!Quorvex [date_now]>b"), "\na\nb\n");
  // A directive without '>' ends the line after its output.
  EXPECT_EQ(Render({}, "a<!Quorvex [DATE_NOW] b"), "\na\n" + Day(kNow));
  // Names are read up to 254 bytes: a keyword past them is not seen.
  EXPECT_EQ(Render({}, "<!Quorvex [" + std::string(254, 'x') + "DATE_NOW]>z"), "\n\nz\n");
  // The report file has CR LF line ends, never a CR doubled.
  EXPECT_EQ(CatalogReport::ToCrLf("a\nb\r\nc\n"), "a\r\nb\r\nc\r\n");
}

// A directive with both keywords gives the table, then the date.
TEST(CatalogReport, TableShowsChangesOfNumbers) {
  std::vector<ReportRow> rows = {Number("up", 1.5, "1.50"), Number("down", -0.25, "0.25"), Number("same", 0, "0.00")};
  auto row = [](const std::string& name, const std::string& value) {
    return "\t<tr>\n\t\t<td width=200><a href=\"http://rates.example/" + name + "\">" + name +
           "</a></td>\n\t\t<td align=right>" + value + " EUR</td>\n\t\t<td align=center>" + Day(kSampled) +
           "</td>\n\t</tr>\n";
  };
  EXPECT_EQ(Render(rows, "<!Quorvex [CATALOGTABLE border=1 DATE_NOW]>"),
            "\n\n"
            "<table CATALOGTABLE border=1 DATE_NOW>\n"
            "\t<tr>\n"
            "\t\t<th width=200>Beacon</th>\n"
            "\t\t<th>Value</th>\n"
            "\t\t<th>Time of</th>\n"
            "\t</tr>" +
                row("up", "12.50(<font color=blue>+1.50 </font>)") +
                row("down", "12.50(<font color=red>-0.25 </font>)") + row("same", "12.50") + "</table>\n" + Day(kNow));
}

TEST(CatalogReport, RowsForTextAndNeverCheckedBeacons) {
  ReportRow text;
  text.name = "Head<line>";
  text.url = "http://news.example/?a=1&b=\"2\"";
  text.valueText = "<b>Big</b> <a href=\"http://news.example/x\" onclick=\"steal()\">news</a><script>x()</script>";
  text.sampleTime = kSampled;
  ReportRow never;
  never.name = "never";
  never.url = text.url;
  never.checkTime = kChecked;

  const std::string out = Render({text, never}, "<!Quorvex [CATALOGTABLE]>");
  auto has = [&out](const std::string& part) { return out.find(part) != std::string::npos; };
  EXPECT_TRUE(
      has("\t\t<td width=200><a href=\"http://news.example/?a=1&amp;b=&quot;2&quot;\">Head&lt;line&gt;</a>"
          "</td>\n\t\t<td><b>Big</b> <a href=\"http://news.example/x\">news</a></td>\n\t\t<td align=center>" +
          Day(kSampled) + "</td>\n"))
      << out;
  EXPECT_TRUE(has(">never</a></td>\n\t\t<td></td>\n\t\t<td align=center>" + Day(kChecked) + "</td>\n")) << out;
  EXPECT_FALSE(has("script"));

  // A beacon whose address is a script address gets a link without target.
  ReportRow evil = text;
  evil.url = "javascript:alert(1)";
  EXPECT_NE(Render({evil}, "<!Quorvex [CATALOGTABLE]>").find("<a>Head&lt;line&gt;</a>"), std::string::npos);
}

}  // namespace
}  // namespace quorvex::exchange
