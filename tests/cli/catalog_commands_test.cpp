#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/command.h"
#include "exchange/container_reader.h"
#include "model/catalog_archive.h"
#include "platform/string_table.h"
#include "support/cli_runner.h"
#include "support/rich_catalog.h"
#include "support/temp_folder.h"
#include "text/display.h"

namespace quorvex::cli {
namespace {

using quorvex::testing::CliResult;
using quorvex::testing::Ended;
using quorvex::testing::Holds;
using quorvex::testing::ReadFileBytes;
using quorvex::testing::ScopedEnv;
using quorvex::testing::TempFolder;
using quorvex::testing::WriteFileBytes;

class CatalogCommands : public ::testing::Test {
 protected:
  CatalogCommands()
      : config_("QUORVEX_CONFIG_DIR", dir_.Path()), tz_("TZ", std::string("UTC")), path_(dir_ / "data/maindata.dat") {
    tzset();
  }
  ~CatalogCommands() override { tzset(); }

  // Runs a command on the test's catalog.
  CliResult Run(std::vector<std::string> args) {
    args.push_back("--catalog");
    args.push_back(path_);
    return quorvex::testing::RunCliCommand(args);
  }
  void ExpectOk(const std::vector<std::string>& args) {
    const CliResult r = Run(args);
    EXPECT_EQ(r.status, kExitOk) << args[0] << ": " << r.err;
  }
  // The catalog file as it is on disk now.
  model::CatalogContents Load() {
    model::CatalogContents c;
    const model::CatalogReadResult result = model::ReadCatalog(ReadFileBytes(path_), c);
    EXPECT_TRUE(result.ok) << result.message;
    return c;
  }
  void WriteRichCatalog() {
    std::filesystem::create_directories(dir_ / "data");
    WriteFileBytes(path_, quorvex::testing::WriteContents(quorvex::testing::MakeRichCatalog(3)));
  }
  static const model::WDValue* Beacon(const model::CatalogContents& c, const std::string& name) {
    for (const auto& page : c.pages) {
      for (size_t i = 0; i < page->GetValueCount(); ++i) {
        if (page->GetValue(i)->GetName() == name) return page->GetValue(i);
      }
    }
    return nullptr;
  }

  TempFolder dir_;
  ScopedEnv config_;
  ScopedEnv tz_;
  std::string path_;
};

TEST_F(CatalogCommands, AddCreatesBeaconsOfEveryKindFoldersAndSchedulesShownAsEscapedUtf8) {
  ExpectOk({"add", "--name", "Price", "--url", "http://shop/", "--pattern", "Price:{?}<", "--unit", "USD", "--every",
            "30", "minutes", "--folder", "Shops/Europe"});
  ExpectOk({"add", "--name", "Title", "--url", "http://shop/", "--pattern", "<title>{?}<", "--at-start"});
  ExpectOk({"add", "--name", "Whole", "--url", "http://other/", "--every", "2 hours", "--folder", "Shops"});
  const CliResult count = Run({"add", "--name", "Count", "--url", "http://x/", "--type", "number", "--pattern",
                               "n={?};", "--folder", "Shops/Europe", "--description", "items"});
  EXPECT_EQ(count.status, kExitOk) << count.err;
  EXPECT_EQ(count.out, "added Shops/Europe/Count\n");

  const model::CatalogContents c = Load();
  ASSERT_EQ(c.pages.size(), 3u);  // the two beacons of http://shop/ share its page
  const model::WDValue* price = Beacon(c, "Price");
  const model::WDValue* title = Beacon(c, "Title");
  const model::WDValue* whole = Beacon(c, "Whole");
  const model::WDValue* counter = Beacon(c, "Count");
  ASSERT_TRUE(price && title && whole && counter);
  EXPECT_EQ(price->GetPage(), title->GetPage());
  EXPECT_EQ(price->GetKind(), model::kKindNumber);
  EXPECT_EQ(price->GetUnit(), "USD");
  EXPECT_EQ(price->GetPattern(), "Price:{?}<");
  EXPECT_EQ(title->GetKind(), model::kKindText);
  EXPECT_EQ(whole->GetKind(), model::kKindChecksum);
  EXPECT_EQ(whole->GetPattern(), "");
  EXPECT_EQ(counter->GetKind(), model::kKindNumber);
  EXPECT_EQ(counter->GetUnit(), " ");
  EXPECT_EQ(counter->GetDescription(), "items");
  // The schedule belongs to the page: the later --at-start on http://shop/ wins.
  EXPECT_EQ(price->GetPage()->m_freq.m_bAtStartOnly, 1);
  EXPECT_EQ(whole->GetPage()->m_freq.m_bAtStartOnly, 0);
  EXPECT_EQ(whole->GetPage()->m_freq.m_nUnit, model::kUnitHours);
  EXPECT_EQ(whole->GetPage()->m_freq.m_nCount, 2);

  // Europe is made once; the beacons follow the folders in the order they came.
  EXPECT_EQ(Run({"list"}).out,
            "[Catalog]\n  [Shops]\n    [Europe]\n      #1 Price  [due]    -   never  http://shop/\n"
            "      #2 Count  [due]    -   never  http://x/\n    #3 Whole  [due]  - CRC -  -   never  http://other/\n"
            "  #4 Title  [due]    -   never  http://shop/\n");

  ExpectOk({"add", "--name", "Minutely", "--url", "http://m/", "--every", "5", "minute"});
  EXPECT_EQ(Beacon(Load(), "Minutely")->GetPage()->m_freq.m_nUnit, model::kUnitMinutes);

  // A stored name may hold escape sequences and line breaks: neither reaches the terminal raw.
  ExpectOk({"add", "--name", "Evil\x1b]0;owned\x07\n#2 Fake\xc2\x9b", "--url", "http://x/"});
  const CliResult list = Run({"list"});
  EXPECT_TRUE(Holds(list.out, "#6 Evil\\x1b]0;owned\\x07\\n#2 Fake\\u009b  ["));
  EXPECT_EQ(list.out.find('\x1b'), std::string::npos);

  // The Russian language file is Windows-1251; its messages reach the terminal as UTF-8.
  ASSERT_EQ(quorvex::testing::RunCliCommand({"settings", "COMMON.LangFileName", "russian.lng"}).status, kExitOk);
  const CliResult russian = quorvex::testing::RunCliCommand({"mail-test", "--to", "ann@example.com"});
  platform::SetStringSource(nullptr);
  EXPECT_EQ(russian.status, kExitFailed);
  EXPECT_TRUE(text::IsValidUtf8(russian.err)) << russian.err;
  EXPECT_TRUE(Holds(russian.err, "\xd0"));  // Cyrillic letters
}

TEST_F(CatalogCommands, ListAndShowPrintBeaconsFoundByNamePathAndNumber) {
  WriteRichCatalog();
  const CliResult r = Run({"list"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(
      r.out,
      "[Catalog]\n"
      "  [Shops]\n"
      "    [Europe]\n"
      "      [Germany]\n"
      "        #1 Price  [ALERT]  1002.50 USD  + 1  2023-07-22 04:46:40  http://example.com/shop?id=1\n"
      "      #2 \xd0\x9a\xd1\x83\xd1\x80\xd1\x81  [error]  1002  + 1  2020-09-13 12:46:40  \xed\x95\x9c.example/rates\n"
      "    #3 Stock  [off]  1001 left  -   2023-07-22 04:38:20  http://example.com/shop?id=1\n"
      "  #4 Whole page  [ok]  - CRC -  ***   2096-10-02 07:06:40  "
      "\xd0\xba\xd0\xbe\xd1\x80\xd0\xb7\xd0\xb8\xd0\xbd\xd0\xb0.html\n"
      "  [Empty]\n"
      "  #5 Monthly  [due]  1000 bold  ***   2020-09-13 12:26:40  \xed\x95\x9c.example/rates\n"
      "  #6 Headline  [due]  1003 \xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe\xd1\x81\xd1\x82\xd0\xb8  ***   2023-11-14 22:43:20  "
      "http://example.net/news\n");

  const CliResult price = Run({"show", "Price"});
  ASSERT_EQ(price.status, kExitOk) << price.err;
  for (const char* expected :
       {"folder path: Shops/Europe/Germany/Price\n", "kind:        number\n", "unit:        USD\n",
        "pattern:     Price:{?}</td>\n", "address:     http://example.com/shop?id=1\n", "charset:     Koi8\n",
        "schedule:    every 30 minutes\n", "enabled:     yes\n", "history:     keep all, 3 samples\n",
        "description: Lowest price of the week\n", "alerts:      on, 2 events\n", "(once)\n",
        "    message: Price moved\n",
        "    e-mail to a@example.com;b@example.com subject \xd0\xa6\xd0\xb5\xd0\xbd\xd0\xb0\n",
        "    open: slot string 1 slot string 6 slot string 11\n"}) {
    EXPECT_TRUE(Holds(price.out, expected));
  }
  const CliResult stock = Run({"show", "#3"});
  EXPECT_TRUE(Holds(stock.out, "name:        Stock\n"));
  EXPECT_TRUE(Holds(stock.out, "enabled:     no\n"));
  EXPECT_TRUE(Holds(stock.out, "history:     keep two, 2 samples\n"));
  // Windows-1251 is shown as UTF-8.
  EXPECT_TRUE(Holds(stock.out, "description: \xd0\x9d\xd0\xb0\xd0\xbb\xd0\xb8\xd1\x87\xd0\xb8\xd0\xb5\n"));
  EXPECT_TRUE(Holds(Run({"show", "Whole page"}).out, "alerts:      off, 1 events\n"));

  auto name_of = [&](const std::string& which) {
    const CliResult r = Run({"show", which});
    EXPECT_EQ(r.status, kExitOk) << which << ": " << r.err;
    return r.out.substr(0, r.out.find('\n'));
  };
  EXPECT_EQ(name_of("Stock"), "name:        Stock");
  EXPECT_EQ(name_of("Shops/Stock"), "name:        Stock");
  EXPECT_EQ(name_of("Shops/Europe/Germany/Price"), "name:        Price");

  ExpectOk({"add", "--name", "Price", "--url", "http://other/", "--folder", "Other"});
  const CliResult ambiguous = Run({"show", "Price"});
  EXPECT_TRUE(Ended(ambiguous, kExitFailed, "'Price' names 2 beacons"));
  EXPECT_TRUE(Holds(ambiguous.err, "#1  Shops/Europe/Germany/Price"));
  EXPECT_TRUE(Holds(ambiguous.err, "#7  Other/Price"));
  EXPECT_EQ(name_of("Other/Price"), "name:        Price");
}

TEST_F(CatalogCommands, SetChangesFieldsAndMovesBeaconsBetweenPages) {
  ExpectOk({"add", "--name", "A", "--url", "http://one/", "--pattern", "a{?}b"});
  ExpectOk({"add", "--name", "B", "--url", "http://one/", "--pattern", "a{?}b"});
  ExpectOk({"add", "--name", "C", "--url", "http://one/", "--pattern", "a{?}b"});

  ExpectOk({"set", "A", "--name", "Alpha", "--disable", "--keep-two", "--charset", "2", "--every", "3", "weeks"});
  model::CatalogContents c = Load();
  const model::WDValue* alpha = Beacon(c, "Alpha");
  ASSERT_NE(alpha, nullptr);
  EXPECT_EQ(Beacon(c, "A"), nullptr);
  EXPECT_FALSE(alpha->IsEnabled());
  EXPECT_FALSE(alpha->GetHistory().IsKeepAll());
  EXPECT_EQ(alpha->GetPage()->m_nCharset, 2);
  EXPECT_EQ(alpha->GetPage()->m_freq.m_nUnit, model::kUnitWeeks);
  EXPECT_EQ(alpha->GetPage()->m_freq.m_nCount, 3);

  // A new address without --yes: the others stay behind on the old page.
  ASSERT_TRUE(Ended(Run({"set", "Alpha", "--url", "http://two/", "--enable", "--keep-all"}), kExitOk,
                    "[no: give --yes to answer yes]"));
  c = Load();
  ASSERT_EQ(c.pages.size(), 2u);
  EXPECT_EQ(Beacon(c, "Alpha")->GetURL(), "http://two/");
  EXPECT_EQ(Beacon(c, "Alpha")->GetPage()->m_freq.m_nUnit, model::kUnitWeeks);  // the schedule moves along
  EXPECT_TRUE(Beacon(c, "Alpha")->IsEnabled());
  EXPECT_TRUE(Beacon(c, "Alpha")->GetHistory().IsKeepAll());
  EXPECT_EQ(Beacon(c, "B")->GetURL(), "http://one/");

  // With --yes the others follow, and the old page goes.
  ASSERT_TRUE(Ended(Run({"set", "B", "--url", "http://three/", "--yes"}), kExitOk, "[yes]"));
  c = Load();
  ASSERT_EQ(c.pages.size(), 2u);
  EXPECT_EQ(Beacon(c, "B")->GetURL(), "http://three/");
  EXPECT_EQ(Beacon(c, "C")->GetURL(), "http://three/");

  ExpectOk({"set", "C", "--type", "checksum"});
  EXPECT_EQ(Beacon(Load(), "C")->GetKind(), model::kKindChecksum);
  EXPECT_EQ(Beacon(Load(), "C")->GetPattern(), "");
}

TEST_F(CatalogCommands, EventsAndAlertsAreSetAndRemoveDeletesTheBeacon) {
  ExpectOk({"add", "--name", "P", "--url", "http://one/", "--pattern", "a{?}b", "--unit", "kg", "--folder", "F"});
  ExpectOk({"add", "--name", "Q", "--url", "http://two/"});
  CliResult r = Run({"event",     "add",         "P",         "--op",           ">=",         "--operand",
                     "100",       "--once",      "--message", "heavy",          "--no-sound", "--mail-to",
                     "a@x;b@x",   "--mail-cc",   "c@x",       "--mail-bcc",     "d@x",        "--mail-subject",
                     "Weight",    "--mail-text", "see",       "--mail-charset", "1",          "--exec",
                     "/bin/true", "--exec",      "notes.txt", "--no-open-page"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_TRUE(Holds(r.out, "1: >= 100  once\n"));
  ExpectOk({"event", "add", "P", "--op", "#", "--no-message"});

  r = Run({"event", "list", "P"});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out,
            "alerts on, 2 events\n"
            "1: >= 100  once\n"
            "   message (no sound): heavy\n"
            "   e-mail to: a@x;b@x  cc: c@x  bcc: d@x  subject: Weight  charset: 1\n"
            "   open: '/bin/true' 'notes.txt'\n"
            "2: # (previous sample)\n");
  // The one field the list leaves out.
  EXPECT_EQ(Beacon(Load(), "P")->GetAlert().GetEvent(0).m_actEmail.m_strText, "see");

  ExpectOk({"event", "remove", "P", "1"});
  EXPECT_EQ(Run({"event", "list", "P"}).out, "alerts on, 1 events\n1: # (previous sample)\n");

  ExpectOk({"alerts", "off", "P"});
  EXPECT_FALSE(Beacon(Load(), "P")->GetAlert().IsEnabled());
  const CliResult on = Run({"alerts", "on", "F/P"});
  EXPECT_EQ(on.status, kExitOk);
  EXPECT_EQ(on.out, "alerts on for F/P\n");
  EXPECT_TRUE(Beacon(Load(), "P")->GetAlert().IsEnabled());

  const CliResult removed = Run({"remove", "#1"});
  ASSERT_EQ(removed.status, kExitOk) << removed.err;
  EXPECT_EQ(removed.out, "removed P\n");
  model::CatalogContents c = Load();
  EXPECT_EQ(Beacon(c, "P"), nullptr);
  ASSERT_EQ(c.pages.size(), 1u);  // its page went with it
  ASSERT_EQ(c.roots[0]->GetChildCount(), 2u);
  EXPECT_EQ(static_cast<const model::WDGroup*>(c.roots[0]->GetChild(0))->GetChildCount(), 0u);
}

TEST_F(CatalogCommands, HistoryAndDumpExportWhatIsStored) {
  WriteRichCatalog();
  CliResult r = Run({"history", "Price"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "2023-07-22 04:46:40  1002.50 USD\n"
            "2023-07-22 04:36:40  1001.50 USD\n"
            "2023-07-22 04:26:40  1000.50 USD\n");

  const std::string file = dir_ / "price.sdf";
  r = Run({"history", "Price", "--export", file});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "exported 3 samples to " + file + "\n");
  EXPECT_EQ(ReadFileBytes(file),
            "22.07.23,04:46,1002.50 USD;\r\n22.07.23,04:36,1001.50 USD;\r\n22.07.23,04:26,1000.50 USD;\r\n");

  ExpectOk({"history", "Price", "--export", file, "--combine", "--field-sep", "\t", "--record-sep", "|"});
  EXPECT_EQ(ReadFileBytes(file),
            "22.07.23 04:46\t1002.50 USD|\r\n22.07.23 04:36\t1001.50 USD|\r\n22.07.23 04:26\t1000.50 USD|\r\n");
  ExpectOk({"history", "Price", "--export", file, "--date-only"});
  EXPECT_EQ(ReadFileBytes(file), "22.07.23 ,1002.50 USD;\r\n22.07.23 ,1001.50 USD;\r\n22.07.23 ,1000.50 USD;\r\n");
  ExpectOk({"history", "Stock", "--export", file});  // texts are quoted
  EXPECT_EQ(ReadFileBytes(file), "22.07.23,04:38,\"1001 left\";\r\n22.07.23,04:28,\"1000 left\";\r\n");

  r = Run({"dump", "--json"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(j.is_discarded()) << r.out.substr(0, 200);
  EXPECT_EQ(j["catalog"], path_);
  EXPECT_EQ(j["note"], "Shopping list\r\n\xd0\x97\xd0\xb0\xd0\xbc\xd0\xb5\xd1\x82\xd0\xba\xd0\xb0");
  ASSERT_EQ(j["pages"].size(), 4u);
  nlohmann::json& shop = j["pages"][0];
  ASSERT_EQ(shop["beacons"].size(), 2u);
  nlohmann::json& price = shop["beacons"][0];
  EXPECT_EQ(price["events"][0], nlohmann::json::parse(R"({"operator": ">=", "operand": "100", "once": true,
      "last_alarm": 3735928559, "message": {"enabled": true, "sound": false, "text": "Price moved"},
      "email": {"enabled": true, "to": "a@example.com;b@example.com", "cc": "c@example.com", "bcc": "d@example.com",
                "subject": "Цена", "text": "Line one\r\nline two", "charset": 2},
      "exec": {"enabled": true, "open_page": false, "programs": ["slot string 1", "slot string 6", "slot string 11"]}})"));
  EXPECT_EQ(price["events"].size(), 2u);
  price.erase("events");
  EXPECT_EQ(price, nlohmann::json::parse(R"({"name": "Price", "path": "Shops/Europe/Germany/Price", "kind": "number",
      "unit": "USD", "pattern": "Price:{?}</td>", "description": "Lowest price of the week", "enabled": true,
      "keep_all": true, "alerts_enabled": true, "status": 0, "samples": [{"text": "1000.50 USD", "time": 1690000000},
      {"text": "1001.50 USD", "time": 1690000600}, {"text": "1002.50 USD", "time": 1690001200}]})"));
  EXPECT_EQ(shop["beacons"][1]["enabled"], false);
  EXPECT_EQ(shop["beacons"][1]["description"], "\xd0\x9d\xd0\xb0\xd0\xbb\xd0\xb8\xd1\x87\xd0\xb8\xd0\xb5");
  shop.erase("beacons");
  EXPECT_EQ(shop, nlohmann::json::parse(R"({"url": "http://example.com/shop?id=1", "charset": 1, "fetched": 1700000000,
      "state": 0, "schedule": {"at_start": false, "unit": 0, "count": 30}})"));
  EXPECT_EQ(j["pages"][1]["beacons"][0]["kind"], "checksum");
  EXPECT_EQ(j["pages"][1]["beacons"][0]["alerts_enabled"], false);
  EXPECT_EQ(j["pages"][3]["charset"], 0);
  EXPECT_EQ(j["pages"][3]["beacons"][0]["samples"][0]["text"],
            "1000 \xd0\x9d\xd0\xbe\xd0\xb2\xd0\xbe\xd1\x81\xd1\x82\xd0\xb8");
  EXPECT_EQ(j["folders"], nlohmann::json::parse(R"([{"folder": "Catalog", "description": "The main beacons' catalog",
      "children": [{"folder": "Shops", "description": "Online shops", "children": [{"folder": "Europe",
          "description": "", "children": [{"folder": "Germany", "description": "de", "children": [{"beacon": "Price"}]},
          {"beacon": "Курс"}]}, {"beacon": "Stock"}]}, {"beacon": "Whole page"},
          {"folder": "Empty", "description": "", "children": []}, {"beacon": "Monthly"}, {"beacon": "Headline"}]}])"));
}

TEST_F(CatalogCommands, ExportImportAndReport) {
  ExpectOk({"add", "--name", "Gold", "--url", "http://rates.example/gold", "--pattern", "Gold\t{?}\n", "--unit", "USD",
            "--every", "6", "hours"});

  ExpectOk({"export", "Gold", dir_ / "gold.bcn"});
  exchange::ContainerReadResult read = exchange::ContainerReader::ReadFile(dir_ / "gold.bcn");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.beacons[0].pattern, "Gold\t{?}\n");
  EXPECT_EQ(read.beacons[0].interval, 6);

  WriteFileBytes(dir_ / "News page.url", "[InternetShortcut]\r\nURL=http://news.example/\r\n");
  ASSERT_EQ(::mkfifo((dir_ / "pipe.bcn").c_str(), 0600), 0);  // refused at once, never waited on
  auto imported = Run(
      {"import", "--folder", "In", dir_ / "gold.bcn", dir_ / "News page.url", dir_ / "none.bcn", dir_ / "pipe.bcn"});
  EXPECT_TRUE(Ended(imported, kExitFailed, "pipe.bcn: not a regular file"));  // two of four files cannot be read
  EXPECT_TRUE(Holds(imported.err, "none.bcn"));
  EXPECT_TRUE(Holds(imported.out, "  added In/Gold\n"));
  EXPECT_TRUE(Holds(imported.out, "  added In/News page\n"));
  EXPECT_TRUE(Holds(Run({"list"}).out, "News page"));

  // Asked, the answer is no unless --yes.
  auto asked = Run({"import", "--ask", dir_ / "gold.bcn"});
  EXPECT_EQ(asked.status, kExitOk);
  EXPECT_TRUE(Holds(asked.out, ": 0 beacons"));
  asked = Run({"import", "--ask", "--yes", dir_ / "gold.bcn"});
  EXPECT_TRUE(Holds(asked.out, ": 1 beacon\n"));
  // A local file as page address is asked about even without --ask.
  WriteFileBytes(dir_ / "local.bcn", "[Local]\nURL=file:///etc/hostname\n");
  asked = Run({"import", dir_ / "local.bcn"});
  EXPECT_TRUE(Holds(asked.err, "/etc/hostname"));
  EXPECT_TRUE(Holds(asked.out, ": 0 beacons"));
  asked = Run({"import", "--yes", dir_ / "local.bcn"});
  EXPECT_TRUE(Holds(asked.out, "  added Local\n"));

  WriteFileBytes(dir_ / "t.htm", "<h1><!Quorvex [DATE_NOW]></h1>\n<!Quorvex [CATALOGTABLE]>\n");
  ExpectOk({"report", "--template", dir_ / "t.htm", "--out", dir_ / "r.htm"});
  EXPECT_TRUE(Holds(ReadFileBytes(dir_ / "r.htm"), "<a href=\"http://news.example/\">News page</a>"));
}

TEST_F(CatalogCommands, RefusedCommandsAndBrokenCatalogsSayWhyAndChangeNothing) {
  WriteRichCatalog();
  const std::string before = ReadFileBytes(path_);
  // Wrong arguments are usage errors, told in the command's name.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"add", "--name", "x"},
           {"add", "--url", "http://x/"},
           {"add", "--name", "x", "--url", "http://x/", "--every", "5", "parsecs"},
           {"add", "--name", "x", "--url", "http://x/", "--every", "0", "days"},
           {"add", "--name", "x", "--url", "http://x/", "--every", "1", "days", "--at-start"},
           {"add", "--name", "x", "--url", "http://x/", "--type", "folder"},
           {"add", "--name", "x", "--url", "http://x/", "--type", "text"},
           {"add", "--name", "x", "--url", "http://x/", "--bogus"},
           {"add", "--name", "x", "--url", "http://x/", "stray"},
           {"add", "--name", "x", "--url", "http://x/", "--every", "5", ""},
           {"add", "--name", "x", "--url", "http://x/", "--every", "5 "},
           {"set"},
           {"set", "Price", "Stock"},
           {"set", "Price", "--charset", "9"},
           {"set", "Price", "--enable", "--disable"},
           {"set", "Price", "--keep-all", "--keep-two"},
           {"set", "Price", "--type", "group"},
           {"set", "Price", "--every", "often"},
           {"set", "Price", "--url", ""},
           {"event"},
           {"event", "add"},
           {"event", "rename", "Price"},
           {"event", "add", "Price", "--op", "=="},
           {"event", "add", "Price"},
           {"event", "add", "Price", "--op", "=", "--mail-charset", "7"},
           {"event", "add", "Price", "--op", "=", "--exec", "a", "--exec", "b", "--exec", "c", "--exec", "d"},
           {"event", "remove", "Price"},
           {"event", "list", "Price", "1"},
           {"list", "extra"},
           {"show"},
           {"show", "a", "b"},
           {"alerts", "maybe", "Price"},
           {"alerts", "on"},
           {"remove"},
           {"history"},
           {"history", "Price", "--field-sep", ",,"},
           {"dump", "extra"},
           {"export", "Price"},
           {"import"},
           {"check", "--all", "Price"},
           {"run", "--interval", "0"},
           {"run", "extra"}}) {
    EXPECT_TRUE(Ended(Run(args), kExitUsage, "quorvex-cli " + args[0] + ": ")) << args.back();
  }
  // Missing beacons and unreadable files are failures.
  const std::string missing = dir_ / "missing/x";
  for (const auto& [args, err] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"show", "Nothing"}, "no beacon named 'Nothing'"},
           {{"show", "#99"}, "no beacon #99"},
           {{"show", "#0"}, "no beacon #0"},
           // A number beyond any count is no beacon either (show, set and remove share the lookup).
           {{"show", "#99999999999999999999"}, "no beacon #99999999999999999999"},
           {{"set", "Nobody", "--disable"}, "no beacon named 'Nobody'"},
           {{"set", "Whole page", "--type", "text"}, "a text or number beacon needs a pattern"},
           {{"event", "remove", "Price", "5"}, "no event 5"},
           {{"event", "remove", "Price", "0"}, "no event 0"},
           {{"event", "remove", "Price", "99999999999999999999"}, "no event 99999999999999999999"},
           {{"remove", "Nothing"}, "no beacon named 'Nothing'"},
           {{"history", "Price", "--export", missing}, missing},
           {{"export", "Nothing", dir_ / "x.bcn"}, "no beacon named 'Nothing'"},
           {{"report", "--template", missing, "--out", dir_ / "r.htm"}, missing},
           {{"check", "Nobody"}, "no beacon named 'Nobody'"}}) {
    EXPECT_TRUE(Ended(Run(args), kExitFailed, err)) << args[0];
  }
  EXPECT_TRUE(ReadFileBytes(path_) == before);

  // A broken catalog is a failure and stays untouched.
  const std::string cut = before.substr(0, before.size() / 2);
  WriteFileBytes(path_, cut);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"list"}, {"add", "--name", "x", "--url", "http://x/"}, {"alerts", "off", "Price"}, {"dump"}}) {
    EXPECT_TRUE(Ended(Run(args), kExitFailed, "end of file")) << args[0];
  }
  EXPECT_TRUE(ReadFileBytes(path_) == cut);
}

}  // namespace
}  // namespace quorvex::cli
