#include "exchange/html_sanitizer.h"

#include <gtest/gtest.h>

namespace quorvex::exchange {
namespace {

TEST(HtmlSanitizer, KeepsOrdinaryMarkup) {
  const std::string page =
      "<p class=x>Price <b>12</b> &amp; more <a href=\"http://site.example/a?b=1\" title='q \"x\"'>link</a></p>"
      "<table border=1><tr><td>1</td></tr></table><br/><img src=\"/i.png\" alt>";
  EXPECT_EQ(SanitizeHtml(page),
            "<p class=\"x\">Price <b>12</b> &amp; more <a href=\"http://site.example/a?b=1\" title='q \"x\"'>link</a>"
            "</p><table border=\"1\"><tr><td>1</td></tr></table><br><img src=\"/i.png\" alt>");
  EXPECT_EQ(SanitizeHtml("a < b and 3<4"), "a &lt; b and 3&lt;4");
}

TEST(HtmlSanitizer, RemovesScriptElements) {
  EXPECT_EQ(SanitizeHtml("a<script>alert(1)</script>b"), "ab");
  EXPECT_EQ(SanitizeHtml("a<SCRIPT type=text/javascript>x</ScRiPt >b"), "ab");
  EXPECT_EQ(SanitizeHtml("a<script src=//evil.example/x.js></script>b"), "ab");
  EXPECT_EQ(SanitizeHtml("a<script>never closed"), "a");
  EXPECT_EQ(SanitizeHtml("<svg><script>x</script></svg>"), "<svg></svg>");
  // Cutting an element out must not join the text around it into a new one.
  EXPECT_EQ(SanitizeHtml("<scr<script>x</script>ipt>alert(1)</script>"), "<scr<script>xipt>alert(1)");
  EXPECT_EQ(SanitizeHtml("a</script>b"), "ab");
}

TEST(HtmlSanitizer, RemovesEventHandlersAndScriptAddresses) {
  EXPECT_EQ(SanitizeHtml("<img src=x.png onerror=alert(1) ONLOAD=\"y()\" alt=z>"), "<img src=\"x.png\" alt=\"z\">");
  EXPECT_EQ(SanitizeHtml("<body/onload=alert(1)>"), "<body>");
  EXPECT_EQ(SanitizeHtml("<a href=\"javascript:alert(1)\">x</a>"), "<a>x</a>");
  EXPECT_EQ(SanitizeHtml("<a href=' JaVaScRiPt:alert(1)'>x</a>"), "<a>x</a>");
  EXPECT_EQ(SanitizeHtml("<a href=\"java\tscript:x\">x</a>"), "<a>x</a>");
  EXPECT_EQ(SanitizeHtml("<a href=\"&#106;avascript&colon;x\">x</a>"), "<a>x</a>");
  EXPECT_EQ(SanitizeHtml("<a href=\"&#x6A;avascript&#58x\">x</a>"), "<a>x</a>");
  EXPECT_EQ(SanitizeHtml("<a href=vbscript:msgbox>x</a>"), "<a>x</a>");
  EXPECT_EQ(SanitizeHtml("<form action=javascript:x><button formaction=javascript:y>b</button></form>"),
            "<form><button>b</button></form>");
  EXPECT_EQ(SanitizeHtml("<iframe srcdoc=\"&lt;script&gt;x&lt;/script&gt;\"></iframe>"), "<iframe></iframe>");
  EXPECT_EQ(SanitizeHtml("<svg><animate attributeName=href values=\"x;javascript:alert(1)\"/></svg>"),
            "<svg><animate attributeName=\"href\"></svg>");
  // An address that merely mentions the word stays.
  EXPECT_EQ(SanitizeHtml("<a href=\"http://a/javascript-guide\">x</a>"), "<a href=\"http://a/javascript-guide\">x</a>");
}

TEST(HtmlSanitizer, RawTextAndCommentsCannotHideMarkup) {
  // In a style element a browser ends the text at </style>; the tag after it is checked too.
  EXPECT_EQ(SanitizeHtml("<style>p{}</style><img src=x onerror=y>"), "<style>p{}</style><img src=\"x\">");
  EXPECT_EQ(SanitizeHtml("<style><a title='</style><script>alert(1)</script>'>"), "<style>&lt;a title='</style>'>");
  // Inside SVG a style element holds markup; escaped, it stays text.
  EXPECT_EQ(SanitizeHtml("<svg><style><img src=x onerror=alert(1)></style></svg>"),
            "<svg><style>&lt;img src=x onerror=alert(1)></style></svg>");
  EXPECT_EQ(SanitizeHtml("<textarea>open"), "<textarea>open</textarea>");
  EXPECT_EQ(SanitizeHtml("a<!-- <script>x</script> -->b<!DOCTYPE html>c<?xml x?>d</ >e"), "abcde");
  EXPECT_EQ(SanitizeHtml("a<!-- never closed <img src=x onerror=y>"), "a");
  EXPECT_EQ(SanitizeHtml("<plaintext>rest"), "rest");
}

TEST(HtmlSanitizer, CutOffTagsAreDropped) {
  EXPECT_EQ(SanitizeHtml("ok <a href=\"http://a/"), "ok ");
  EXPECT_EQ(SanitizeHtml("ok <img src=x"), "ok ");
  EXPECT_EQ(SanitizeHtml("ok <"), "ok &lt;");
  EXPECT_EQ(SanitizeHtml("ok </b"), "ok ");
}

TEST(HtmlSanitizer, QuotesAreChosenSoValuesStayWhole) {
  EXPECT_EQ(SanitizeHtml("<a title=a\"b>x</a>"), "<a title='a\"b'>x</a>");
  EXPECT_EQ(SanitizeHtml("<a title=a\"b'c>x</a>"), "<a title=\"a&quot;b'c\">x</a>");
  EXPECT_EQ(SanitizeHtml("<a =x>y</a>"), "<a>y</a>");
  EXPECT_EQ(SanitizeHtml("<a b /=c=>y</a>"), "<a b>y</a>");
}

}  // namespace
}  // namespace quorvex::exchange
