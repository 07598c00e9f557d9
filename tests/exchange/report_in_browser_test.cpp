// The report opened in a real browser (headless Chromium): hostile page text placed in it runs
// nothing, loads no other document and does not navigate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "exchange/catalog_report.h"
#include "support/temp_folder.h"

namespace quorvex::exchange {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

// Each would add " ran-..." to the title or open navigated.htm if it got through.
const char* const kHostile[] = {
    "<script>document.title+=' ran-script'</script>",
    "<img src=nothing.png onerror=\"document.title+=' ran-img'\">",
    "<details open ontoggle=\"document.title+=' ran-details'\">d</details>",
    "<iframe srcdoc=\"<script>parent.document.title+=' ran-srcdoc'</script>\"></iframe>",
    "<svg onload=\"document.title+=' ran-svg'\"><script>document.title+=' ran-svgscript'</script></svg>",
    "<input autofocus onfocus=\"document.title+=' ran-focus'\">",
    "<noscript><p title=\"</noscript><img src=nothing.png onerror=document.title+='ran-noscript'>\"></noscript>",
    "<a href=\"&#106;avascript:document.title+=' ran-ref'\">r</a><a href=\" javascript:x\">j</a>",
    "<iframe src=\"data:text/html,<script>top.location='navigated.htm'</script>\"></iframe>",
    "<object data=\"navigated.htm\"></object><embed src=\"navigated.htm\">",
    "<meta http-equiv=\"refresh\" content=\"0;url=navigated.htm\">",
    "<base href=\"http://evil.invalid/\"><a href=\"x.htm\">b</a>",
    "<div style=\"background:url(navigated.htm)\">s</div><style>@import url(navigated.htm);</style>",
    "<form action=\"navigated.htm\"><button formaction=\"javascript:x\">f</button></form>",
    "<video><source onerror=\"document.title+=' ran-video'\"></video>",
    "<math><mtext><table><mglyph><style><img src=nothing.png onerror=\"document.title+=' ran-mxss'\">",
};

constexpr const char* kTemplate =
    "<html><head><meta charset=\"utf-8\"><title>untouched</title></head><body>\n"
    "<!Quorvex [CATALOGTABLE border=1]>\n"
    "</body></html>\n";

// The DOM Chromium holds once the page has loaded and its timers have run; empty on failure.
// timeout runs it in a process group of its own, so its helpers end with it on a time-out.
std::string DumpDom(const testing::TempFolder& dir, const std::string& page) {
  const std::string command =
      std::string("timeout -s KILL 120 ") + kChromium +
      " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
      " --disable-component-update --disable-sync --virtual-time-budget=3000 --dump-dom --user-data-dir=" +
      (dir / "profile") + " file://" + page + " >" + (dir / "dom.txt") + " 2>/dev/null";
  const bool ran = std::system(command.c_str()) == 0;
  std::filesystem::remove_all(dir / "profile");
  return ran ? testing::ReadFileBytes(dir / "dom.txt") : std::string();
}

TEST(ReportInBrowser, HostilePageTextRunsNothing) {
  if (!std::filesystem::exists(kChromium)) GTEST_SKIP() << kChromium << " is not installed (Debian package chromium)";
  testing::TempFolder dir;
  dir.Write("navigated.htm", "<html><head><title>navigated</title></head><body>NAVIGATED</body></html>");

  // Control: the snippets as they are do run here, so the check below can see it.
  std::string raw = "<html><head><meta charset=\"utf-8\"><title>untouched</title></head><body><table>";
  for (int i = 0; i < 8; ++i) raw += std::string("<tr><td>") + kHostile[i] + "</td></tr>";
  std::string dom = DumpDom(dir, dir.Write("raw.htm", raw + "</table></body></html>"));
  for (const char* ran : {"ran-script", "ran-img", "ran-details", "ran-srcdoc"}) {
    EXPECT_NE(dom.find(ran), std::string::npos) << ran << "\n" << dom;
  }

  std::vector<ReportRow> rows;
  ReportRow row;
  row.name = "page";
  row.url = "javascript:document.title+=' ran-url'";
  row.kind = kContainerKindText;
  for (const char* snippet : kHostile) {
    row.valueText = snippet;
    rows.push_back(row);
  }
  std::string report = dir / "catreport.htm";
  ASSERT_TRUE(CatalogReport(rows, ReportTexts{"Name", "Value", "Time", "%Y"}, 1700000000)
                  .WriteReport(dir.Write("catblank.htm", kTemplate), report)
                  .ok());
  dom = DumpDom(dir, report);
  ASSERT_NE(dom.find("<title>untouched</title>"), std::string::npos) << dom;
  EXPECT_EQ(dom.find("NAVIGATED"), std::string::npos);
  std::string body = dom.substr(std::min(dom.find("<body"), dom.size()));
  EXPECT_NE(body.find("<td><details>d</details></td>"), std::string::npos) << body;  // the page text is there
  std::regex active(R"(<(script|iframe|object|embed|meta|base|style|svg|math|form|input|video|noscript)\b)",
                    std::regex::icase);
  std::regex attribute(R"(<[^>]*(\son\w+=|javascript:|data:|url\())", std::regex::icase);
  EXPECT_FALSE(std::regex_search(body, active)) << body;
  EXPECT_FALSE(std::regex_search(body, attribute)) << body;
}

}  // namespace
}  // namespace quorvex::exchange
