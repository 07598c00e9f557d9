#include "text/pattern_suggest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "text/page_text.h"
#include "text/pattern_matcher.h"

namespace quorvex::text {
namespace {

// The pages mark the value with these bytes; Unmark removes them and says where the value was.
constexpr char kOpen = '\x01';
constexpr char kClose = '\x02';

std::string Mark(const std::string& value) {
  return kOpen + value + kClose;
}

struct Marked {
  std::string text;
  size_t offset = 0;
  std::string value;
};

Marked Unmark(const std::string& page) {
  const size_t open = page.find(kOpen), close = page.find(kClose);
  const std::string value = page.substr(open + 1, close - open - 1);
  return {page.substr(0, open) + value + page.substr(close + 1), open, value};
}

// A small deterministic source of numbers for the pages.
struct Dice {
  uint32_t state;
  uint32_t Next(uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  }
  std::string Price() { return std::to_string(Next(2000) + 1) + "." + std::to_string(10 + Next(90)); }
  std::string Count() { return std::to_string(Next(Next(3) == 0 ? 100000 : 500)); }
  std::string Date() {
    char text[16];
    std::snprintf(text, sizeof text, "2024-%02u-%02u", Next(12) + 1, Next(28) + 1);
    return text;
  }
  std::string Version() {
    return std::to_string(Next(9) + 1) + "." + std::to_string(Next(20)) + "." + std::to_string(Next(30));
  }
};

const std::vector<std::string> kItems = {"Widget", "Gadget", "Sprocket", "Flange", "Gizmo", "Doohickey", "Bracket"};
const std::vector<std::string> kStatuses = {"in stock", "sold out", "backorder", "discontinued", "preorder"};
const std::vector<std::string> kHeadlines = {"Council approves new budget", "Storm closes coastal roads",
                                             "Local team wins the cup",     "Library opens late on Fridays",
                                             "Bridge repairs finish early", "Market hall reopens",
                                             "Trains delayed by snow"};
const std::vector<std::string> kComponents = {"API", "Website", "Database", "Search", "Mail relay", "CDN"};
const std::vector<std::string> kHealth = {"Operational", "Degraded", "Partial outage", "Major outage", "Maintenance"};

// A product table: a price, a status or a count in the row of one item; rows change order later.
std::string ProductTable(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 7919 + state * 104729 + 1)};
  const int rows = 4 + variant % 4;
  const int item = (variant * 3) % rows;
  const int column = variant % 3;  // 0 price, 1 status, 2 count
  std::vector<int> order(rows);
  for (int i = 0; i < rows; ++i) order[i] = i;
  if (state == 1) std::rotate(order.begin(), order.begin() + 1 + variant % (rows - 1), order.end());
  const bool classes = variant % 2 == 0;
  std::string page =
      "<html><head><title>Shop prices</title></head><body>\n<h1>Our products</h1>\n<p>Updated: " + dice.Date() + " " +
      std::to_string(dice.Next(24)) + ":" + std::to_string(10 + dice.Next(50)) +
      "</p>\n<table class=\"products\">\n<tr><th>Item</th><th>Status</th><th>Price</th><th>Stock</th></tr>\n";
  for (int i : order) {
    std::string cells[3] = {dice.Price(), kStatuses[(i + state * (1 + variant % 3)) % kStatuses.size()], dice.Count()};
    if (i == item) cells[column] = Mark(cells[column]);
    page += classes ? "  <tr id=\"row-" + std::to_string(i + 1) + "\">\n    <td class=\"name\">" + kItems[i] +
                          "</td>\n    <td class=\"status\">" + cells[1] + "</td>\n    <td class=\"price\">$" +
                          cells[0] + "</td>\n    <td class=\"stock\">" + cells[2] + "</td>\n  </tr>\n"
                    : "<tr><td>" + kItems[i] + "</td><td>" + cells[1] + "</td><td>" + cells[0] + " EUR</td><td>" +
                          cells[2] + "</td></tr>\n";
  }
  return page + "</table>\n<p>" + dice.Count() + " customers online</p>\n</body></html>\n";
}

// A news list: the first headline; later a new story arrives on top.
std::string NewsList(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 31 + state * 977 + 5)};
  const bool articles = variant % 2 == 1;
  std::string page = "<!DOCTYPE html>\n<html><body>\n<div id=\"header\"><a href=\"/\">Town Gazette</a> &middot; " +
                     dice.Date() + "</div>\n<h2>Latest news</h2>\n" + (articles ? "" : "<ul class=\"stories\">\n");
  for (int i = 0; i < 5; ++i) {
    const std::string& headline = kHeadlines[(i + 7 - state + variant) % kHeadlines.size()];
    const std::string id = std::to_string(1000 + dice.Next(9000));
    const std::string text = i == 0 ? Mark(headline) : headline;
    page += articles ? "<article class=\"story\"><h3><a href=\"/news/" + id + "\">" + text + "</a></h3><time>" +
                           dice.Date() + "</time><p>" + dice.Count() + " comments</p></article>\n"
                     : "  <li><a href=\"/news/" + id + ".html\">" + text + "</a> <span class=\"date\">Jan " +
                           std::to_string(1 + dice.Next(28)) + "</span></li>\n";
  }
  return page + (articles ? "" : "</ul>\n") + "<footer>Page served in " + dice.Count() + " ms</footer></body></html>\n";
}

// A project page: the latest version, in prose, in a table or in a badge.
std::string ReleasePage(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 131 + state * 7 + 11)};
  const std::string version = Mark(dice.Version());
  std::string page = "<html><head><title>frobnicate</title></head><body>\n<h1>frobnicate</h1>\n<p>A tool that " +
                     std::string(state ? "frobnicates quickly" : "frobnicates") + ".</p>\n";
  switch (variant % 3) {
    case 0:
      page += "<p>The latest release is <b>" + version + "</b>, published " + dice.Date() + ".</p>\n";
      break;
    case 1:
      page += "<table><tr><td>Version</td><td>" + version + "</td></tr><tr><td>Released</td><td>" + dice.Date() +
              "</td></tr><tr><td>Downloads</td><td>" + dice.Count() + "</td></tr></table>\n";
      break;
    default:
      page += "<div class=\"badges\"><span class=\"badge build\">build " + dice.Count() +
              "</span><span class=\"badge version\">v" + version + "</span></div>\n";
  }
  page += "<h2>Older releases</h2>\n<ul>\n";
  for (int i = 0; i < 3 + variant % 3; ++i) page += "<li>" + dice.Version() + " (" + dice.Date() + ")</li>\n";
  return page + "</ul>\n</body></html>\n";
}

// Statistics in a definition list: one of the counts or the build status.
std::string StatsList(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 17 + state * 3331 + 2)};
  const char* labels[] = {"Downloads", "Stars", "Forks", "Build", "Open issues"};
  const char* builds[] = {"passing", "failing", "running"};
  std::string page = "<html><body><h1>Repository</h1>\n<dl class=\"stats\">\n";
  for (int i = 0; i < 5; ++i) {
    std::string value = i == 3 ? builds[(variant + state) % 3] : dice.Count();
    if (i == variant % 5) value = Mark(value);
    page += "  <dt>" + std::string(labels[i]) + "</dt>\n  <dd>" + value + "</dd>\n";
  }
  return page + "</dl>\n<p>Last commit " + std::to_string(dice.Next(59) + 1) + " minutes ago</p></body></html>\n";
}

// JSON text, pretty or compact: a status, a count, a version, a price inside an array.
std::string JsonDocument(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 71 + state * 5 + 3)};
  const bool pretty = variant % 2 == 0;
  const std::string nl = pretty ? "\n" : "";
  const std::string in = pretty ? "  " : "";
  const int pick = variant % 4;
  auto field = [&](const std::string& key, const std::string& value, int index) {
    return in + "\"" + key + "\": " + (pick == index ? Mark(value) : value);
  };
  std::string page = "{" + nl + field("service", "\"billing\"", -1) + "," + nl + in + "\"status\": \"" +
                     (pick == 0 ? Mark(state ? "degraded" : "running") : "ok") + "\"," + nl +
                     field("requests", dice.Count(), 1) + "," + nl +
                     field("version", "\"" + dice.Version() + "\"", -1) + "," + nl +
                     field("started", "\"" + dice.Date() + "T10:" + std::to_string(10 + dice.Next(50)) + ":00Z\"", -1) +
                     "," + nl + in + "\"items\": [" + nl;
  for (int i = 0; i < 4; ++i) {
    const int id = state ? 3 - i : i;
    std::string price = dice.Price();
    if (pick == 2 && id == 1) price = Mark(price);
    page += in + in + "{\"sku\": \"" + kItems[id] + "\", \"price\": " + price + ", \"qty\": " + dice.Count() + "}" +
            (i < 3 ? "," : "") + nl;
  }
  page += in + "]," + nl + field("uptime_seconds", dice.Count(), 3) + nl + "}" + nl;
  return page;
}

// Counters whose label follows the value.
std::string Counters(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 13 + state * 101 + 9)};
  const char* words[] = {"comments", "likes", "shares", "views"};
  std::string page =
      "<html><body><div class=\"post\"><h1>A post</h1><p>Posted " + dice.Date() + "</p>\n<div class=\"meta\">";
  for (int i = 0; i < 4; ++i) {
    std::string count = dice.Count();
    if (i == variant % 4) count = Mark(count);
    page += "<span class=\"n\">" + count + "</span> " + words[i] + (i < 3 ? " &middot; " : "");
  }
  return page + "</div></div></body></html>\n";
}

// A status page: the state of one component among several alike.
std::string StatusPage(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 19 + state * 3 + 4)};
  std::string page = "<html><body><h1>System status</h1><p class=\"checked\">Checked " + dice.Date() +
                     " 12:" + std::to_string(10 + dice.Next(49)) + " UTC</p>\n";
  for (size_t i = 0; i < kComponents.size(); ++i) {
    std::string health = kHealth[(i + state * (variant + 1)) % kHealth.size()];
    if (i == static_cast<size_t>(variant) % kComponents.size()) health = Mark(health);
    page += "<div class=\"component\"><span class=\"name\">" + kComponents[i] + "</span> <span class=\"state\">" +
            health + "</span> <small>" + dice.Count() + " ms</small></div>\n";
  }
  return page + "</body></html>\n";
}

// Plain text, as a build log or a status file.
std::string PlainText(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 23 + state * 11 + 6)};
  const std::string results[] = {"success", "failure", "unstable"};
  std::string fields[4] = {dice.Count(), results[(variant + state) % 3], dice.Count(), dice.Version()};
  fields[variant % 4] = Mark(fields[variant % 4]);
  return "Build #" + dice.Count() + " of project frob\nStarted: " + dice.Date() +
         " 03:" + std::to_string(10 + dice.Next(50)) + "\nDuration: " + fields[0] + " s\nResult: " + fields[1] +
         "\nTests: " + fields[2] + " passed, " + std::to_string(dice.Next(5)) + " skipped\nArtifact version " +
         fields[3] + "\n";
}

// An exchange-rate table with a header row; later the rates move and the rows are sorted anew.
std::string Rates(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 29 + state * 13 + 8)};
  const char* codes[] = {"USD", "EUR", "GBP", "JPY", "CHF"};
  std::vector<int> order = {0, 1, 2, 3, 4};
  if (state) std::reverse(order.begin(), order.end());
  std::string page = "<table id=\"rates\"><thead><tr><th>Code</th><th>Rate</th><th>Change</th></tr></thead><tbody>\n";
  for (int i : order) {
    std::string rate = dice.Price();
    std::string change = (dice.Next(2) ? "+" : "-") + std::to_string(dice.Next(99)) + "%";
    if (i == variant % 5) (variant % 2 ? change : rate) = Mark(variant % 2 ? change : rate);
    page += "<tr><td>" + std::string(codes[i]) + "</td><td>" + rate + "</td><td>" + change + "</td></tr>\n";
  }
  return "<html><body><h2>Rates on " + dice.Date() + "</h2>" + page + "</tbody></table></body></html>\n";
}

// An issue tracker: the count in the summary line, or the title of the newest issue.
std::string Tracker(int variant, int state) {
  Dice dice{static_cast<uint32_t>(variant * 37 + state * 17 + 10)};
  const bool count = variant % 2 == 0;
  std::string page = "<html><body><h1>Issues</h1><div class=\"summary\"><b>" +
                     (count ? Mark(dice.Count()) : dice.Count()) + "</b> open, <b>" + dice.Count() +
                     "</b> closed</div>\n<table class=\"issues\">\n";
  for (int i = 0; i < 4; ++i) {
    const std::string& title = kHeadlines[(i + variant + state * 3) % kHeadlines.size()];
    page += "<tr><td class=\"id\">#" + std::to_string(500 + dice.Next(400)) + "</td><td class=\"title\">" +
            (!count && i == 0 ? Mark(title) : title) + "</td><td class=\"age\">" + std::to_string(1 + dice.Next(9)) +
            " days ago</td></tr>\n";
  }
  return page + "</table></body></html>\n";
}

// A name, a page and the same page later.
using PagePair = std::tuple<std::string, std::string, std::string>;

// Doc pages the machine's packages ship, later with every number in them changed and a notice on top.
// The values: the page title, and the first number standing alone in the text (a version).
void AddDocPages(std::vector<PagePair>& pairs) {
  for (const char* root : {"/usr/share/doc/libffi8/html", "/usr/share/doc/python3-public/html"}) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(root, ec)) {
      if (entry.path().extension() == ".html" && entry.file_size() < 40000) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    files.resize(std::min<size_t>(files.size(), 5));
    for (const auto& file : files) {
      std::ifstream in(file, std::ios::binary);
      const std::string text = PreparePageText(std::string(std::istreambuf_iterator<char>(in), {}));
      for (const char* value : {"<title>([^<]*)</title>", " ([0-9][0-9.]*)[ <]"}) {
        std::smatch match;
        if (!std::regex_search(text, match, std::regex(value))) continue;
        const size_t at = match.position(1), length = match.length(1);
        const std::string before = text.substr(0, at) + Mark(match.str(1)) + text.substr(at + length);
        std::string after;
        for (char c : before)
          after += c == '9' ? "10" : std::string(1, isdigit(static_cast<unsigned char>(c)) ? c + 1 : c);
        const size_t body = after.find("<body");
        if (body != std::string::npos) after.insert(after.find('>', body) + 1, "\n<p>Notice: updated 3 days ago</p>\n");
        pairs.push_back({file.filename().string() + "@" + std::to_string(at), before, after});
      }
    }
  }
}

// Suggests a pattern on the first state of each page and runs it as a beacon would on both.
TEST(PatternSuggest, PatternsKeepFindingTheValueAfterThePageChanges) {
  // Each family gives a page in two states, with the same value marked in both.
  const std::pair<std::string, std::string (*)(int variant, int state)> families[] = {
      {"table", ProductTable}, {"news", NewsList},     {"release", ReleasePage}, {"stats", StatsList},
      {"json", JsonDocument},  {"counters", Counters}, {"status", StatusPage},   {"text", PlainText},
      {"rates", Rates},        {"tracker", Tracker}};
  std::vector<PagePair> pairs;
  for (const auto& [name, family] : families) {
    for (int variant = 0; variant < 6; ++variant) {
      pairs.push_back({name + "#" + std::to_string(variant), family(variant, 0), family(variant, 1)});
    }
  }
  AddDocPages(pairs);
  int held = 0;
  std::vector<size_t> lengths;
  std::string misses;
  for (const auto& [name, before, after] : pairs) {
    const Marked first = Unmark(before), second = Unmark(after);
    const std::string page = PreparePageText(first.text), later = PreparePageText(second.text);
    const PatternSuggestion s = SuggestPattern(page, first.offset, first.value.size());
    if (!s.Ok()) {
      misses += "  " + name + ": no pattern\n";
      continue;
    }
    lengths.push_back(s.pattern.size());
    auto extract = [&](const std::string& text) {
      WDPatternMatcher matcher(text.data(), text.size(), s.pattern);
      std::string value =
          matcher.Extract() == MatchOk ? matcher.GetValue() : "<" + std::to_string(matcher.GetErrorCode()) + ">";
      while (!value.empty() && std::string_view(" \t\n").find(value.back()) != std::string_view::npos) value.pop_back();
      return value;
    };
    // On the page it was made for the pattern must be exact.
    EXPECT_EQ(extract(page), first.value) << name << ": " << s.pattern;
    const std::string found = extract(later);
    held += found == second.value;
    if (found != second.value)
      misses += "  " + name + ": " + s.pattern + " gave '" + found + "' for '" + second.value + "'\n";
  }
  std::sort(lengths.begin(), lengths.end());
  const size_t median = lengths.empty() ? 0 : lengths[lengths.size() / 2];
  const int total = static_cast<int>(pairs.size());
  std::printf("pattern suggestion: %d pages, %zu patterns, %d held after the change (%.0f%%), median length %zu\n%s",
              total, lengths.size(), held, 100.0 * held / total, median, misses.c_str());
  EXPECT_GE(total, 60);
  EXPECT_GE(held * 100, total * 80) << misses;
}

}  // namespace
}  // namespace quorvex::text
