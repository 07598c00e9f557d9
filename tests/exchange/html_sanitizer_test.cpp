#include "exchange/html_sanitizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "exchange/catalog_report.h"
#include "support/temp_folder.h"

namespace quorvex::exchange {
namespace {

TEST(HtmlSanitizer, KeepsPlainFormattingAndTheBytesOfEitherEncoding) {
  const std::string page =
      "<p class=x>Price <b>12</b> &amp; more <a href=\"http://site.example/a?b=1\" title='q \"x\"'>link</a></p>"
      "<table border=1><tr><td colspan=2>1</td></tr></table><br/><img src=\"/i.png\" alt>"
      "<font color=red size=2>f</font><pre>\n\nx</pre><span style=\"color: rgb(1, 2, 3); font-weight:bold\">s</span>";
  EXPECT_EQ(SanitizeHtml(page),
            "<p class=\"x\">Price <b>12</b> &amp; more <a href=\"http://site.example/a?b=1\" title=\"q &quot;x&quot;\">"
            "link</a></p><table border=\"1\"><tbody><tr><td colspan=\"2\">1</td></tr></tbody></table><br>"
            "<img src=\"/i.png\" alt><font color=\"red\" size=\"2\">f</font><pre>\n\nx</pre>"
            "<span style=\"color: rgb(1, 2, 3); font-weight:bold\">s</span>");
  // Text is escaped anew; unknown but harmless elements give up their tags and keep their text.
  EXPECT_EQ(SanitizeHtml("a < b and 3<4 &lt;i&gt; &quot;"), "a &lt; b and 3&lt;4 &lt;i&gt; \"");
  EXPECT_EQ(SanitizeHtml("<custom-tag x=1><label>L</label><textarea><b>t</b></textarea></custom-tag>"),
            "L&lt;b&gt;t&lt;/b&gt;");
  // Cut-off and stray tags: what the parser makes of them, closed.
  EXPECT_EQ(SanitizeHtml("ok <b>bold"), "ok <b>bold</b>");
  EXPECT_EQ(SanitizeHtml("ok <a href=\"http://a/"), "ok ");
  EXPECT_EQ(SanitizeHtml("</td><td>x</tr></table>y"), "xy");
  // The bytes of either encoding are kept.
  EXPECT_EQ(SanitizeHtml("<b>\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB0</b>&eacute;&nbsp;"),
            "<b>\xD1\x86\xD0\xB5\xD0\xBD\xD0\xB0</b>\xC3\xA9\xC2\xA0");
  // Windows-1251 bytes are not UTF-8: they come back as they were, references to other letters as numbers.
  EXPECT_EQ(SanitizeHtml("<b title=\"\xF6\xE5\">\xF6\xE5\xED\xE0</b>&eacute;\x98"),
            "<b title=\"\xF6\xE5\">\xF6\xE5\xED\xE0</b>&#233;\x98");
}

// Page texts that would run, load or navigate, and what is left of them. The ones marked "ran-" show in the
// title when they run.
const std::pair<const char*, const char*> kHostile[] = {
    {"a<script>document.title+=' ran-script'</script>b<SCRIPT src=//e/x.js></SCRIPT>c", "abc"},
    {"<scr<script>x</script>ipt>alert(1)</script>", "xipt&gt;alert(1)"},
    {"<img src=x.png onerror=\"document.title+=' ran-img'\" ONLOAD=\"y()\" alt=z>", "<img src=\"x.png\" alt=\"z\">"},
    {"<a href=\"javascript:alert(1)\">1</a><a href=' JaVaScRiPt:x'>2</a><a href=\"java\tscript:x\">3</a>",
     "<a>1</a><a>2</a><a>3</a>"},
    {"<a href=\"&#106;avascript&colon;x\">1</a><a href=\"&#x6A;avascript&#58x\">2</a><a href=vbscript:m>3</a>",
     "<a>1</a><a>2</a><a>3</a>"},
    {"<a href=\"data:text/html,<script>x</script>\">1</a><img src=\"data:image/png;base64,AA\">"
     "<a href=\"//evil.example/x\">2</a><a href=\"file:///etc/passwd\">3</a><a href=mailto:a@b.example>4</a>",
     "<a>1</a><img><a>2</a><a>3</a><a href=\"mailto:a@b.example\">4</a>"},
    {"<iframe src=\"data:text/html,<script>top.x=1</script>\"></iframe><iframe "
     "srcdoc=\"<script>parent.document.title+=' ran-srcdoc'</script>\">f</iframe>",
     ""},
    {"<object data=\"data:text/html,x\"><param name=a value=b>fallback</object><embed src=x.swf>e", "e"},
    {"<meta http-equiv=\"refresh\" content=\"0;url=http://evil.example/\"><base href=\"http://evil.example/\">"
     "<link rel=stylesheet href=x.css><title>t</title>x",
     "x"},
    {"<svg onload=alert(1)><script>x</script><a xlink:href=javascript:x><text>s</text></a></svg>"
     "<math><mtext><table><mglyph><style><img src=x onerror=alert(1)>",
     ""},
    {"<style>@import 'x.css';</style><div style=\"background:url(javascript:x)\">1</div>"
     "<div style=\"width:expression(alert(1))\">2</div><div style=\"color:red;/**/\">3</div>"
     "<div style=\"b\\61 ckground:u\\72l(x)\">4</div>",
     "<div>1</div><div>2</div><div>3</div><div>4</div>"},
    {"<form action=javascript:x><button formaction=javascript:y>b</button><input autofocus onfocus=x>"
     "<select><option>o</select></form>",
     "b"},
    {"<details open ontoggle=\"document.title+=' ran-details'\"><summary>s</summary>d</details><body onload=x><marquee "
     "onstart=x>m</marquee>",
     "<details><summary>s</summary>d</details>m"},
    {"a<!-- <script>x</script> -->b<!DOCTYPE html>c<?xml x?>d<noscript><p title=\"</noscript><img src=x "
     "onerror=alert(1)>\">",
     "abcd"},
    {"<template><img src=x onerror=y></template><video><source onerror=x></video><frameset><frame src=x>", ""},
};

TEST(HtmlSanitizer, DropsWhatRunsLoadsOrNavigates) {
  for (const auto& [input, expected] : kHostile) EXPECT_EQ(SanitizeHtml(input), expected) << input;
}

TEST(HtmlSanitizer, ParsesABoundedPart) {
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<div>";
  std::string out = SanitizeHtml(deep + "x");
  EXPECT_EQ(out.find('x'), std::string::npos);
  EXPECT_EQ(out.size(), kSanitizeMaxTags * (sizeof "<div></div>" - 1));

  std::string text(kSanitizeMaxBytes - 1, 'a');
  EXPECT_EQ(SanitizeHtml(text + "\xD0\xB0tail"), text);  // not cut inside the letter
}

TEST(HtmlSanitizer, SafeAddresses) {
  for (const char* safe :
       {"http://a.example/x", "HTTPS://a", "mailto:x@y", "/root", "page.htm?q=a:b", "#top", "", "x/y:z"}) {
    EXPECT_TRUE(IsSafeAddress(safe)) << safe;
  }
  for (const char* unsafe : {"javascript:x", " java\nscript:x", "\x01javascript:x", "data:text/html,x", "file:///etc",
                             "//host/share", "\\\\host\\share", "vbscript:x", "ftp://a/", "a b:c"}) {
    EXPECT_FALSE(IsSafeAddress(unsafe)) << unsafe;
  }
}

constexpr const char* kChromium = "/usr/bin/chromium";

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

// The report opened in a real browser (headless Chromium): hostile page text placed in it runs
// nothing, loads no other document and does not navigate.
TEST(ReportInBrowser, HostilePageTextRunsNothing) {
  if (!std::filesystem::exists(kChromium)) GTEST_SKIP() << kChromium << " is not installed (Debian package chromium)";
  testing::TempFolder dir;
  const std::string head = "<html><head><meta charset=\"utf-8\"><title>untouched</title></head><body>";

  // Control: the marked texts as they are do run here, so the check below can see it.
  std::string raw = head + "<table>";
  for (const auto& [input, expected] : kHostile) {
    if (std::strstr(input, "ran-")) raw += std::string("<tr><td>") + input + "</td></tr>";
  }
  std::string dom = DumpDom(dir, dir.Write("raw.htm", raw + "</table></body></html>"));
  for (const char* ran : {"ran-script", "ran-img", "ran-details", "ran-srcdoc"}) {
    EXPECT_NE(dom.find(ran), std::string::npos) << ran << "\n" << dom;
  }

  std::vector<ReportRow> rows;
  ReportRow row;
  row.name = "page";
  row.url = "javascript:document.title+=' ran-url'";
  for (const auto& [input, expected] : kHostile) {
    row.valueText = input;
    rows.push_back(row);
  }
  const std::string blank = dir.Write("catblank.htm", head + "\n<!Quorvex [CATALOGTABLE border=1]>\n</body></html>\n");
  const std::string report = dir / "catreport.htm";
  ASSERT_TRUE(
      CatalogReport(rows, ReportTexts{"Name", "Value", "Time", "%Y"}, 1700000000).WriteReport(blank, report).ok());
  dom = DumpDom(dir, report);
  ASSERT_NE(dom.find("<title>untouched</title>"), std::string::npos) << dom;
  std::string body = dom.substr(std::min(dom.find("<body"), dom.size()));
  // The page text is there.
  EXPECT_NE(body.find("<td><details><summary>s</summary>d</details>m</td>"), std::string::npos) << body;
  std::regex active(R"(<(script|iframe|object|embed|meta|base|style|svg|math|form|input|video|noscript)\b)",
                    std::regex::icase);
  std::regex attribute(R"(<[^>]*(\son\w+=|javascript:|data:|url\())", std::regex::icase);
  EXPECT_FALSE(std::regex_search(body, active)) << body;
  EXPECT_FALSE(std::regex_search(body, attribute)) << body;
}

}  // namespace
}  // namespace quorvex::exchange
