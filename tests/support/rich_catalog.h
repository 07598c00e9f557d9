#pragma once
// Catalogs for archive tests, seeds and benchmarks: one that sets every stored field to something
// other than its default, one of plain size, and a field-by-field comparison of two catalogs.
// Header only and free of GoogleTest, so fuzz targets and benchmarks can use it too.
#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "model/catalog_archive.h"
#include "model/value.h"

namespace quorvex::testing {

inline std::unique_ptr<model::WDValPage> MakeTestPage(const std::string& url, int32_t charset, int64_t fetched,
                                                      int32_t at_start, int32_t unit, int32_t count, int64_t set) {
  auto page = std::make_unique<model::WDValPage>(url);
  page->m_nCharset = charset;
  page->m_timeFetched = fetched;
  page->m_freq.m_bAtStartOnly = at_start;
  page->m_freq.m_nUnit = unit;
  page->m_freq.m_nCount = count;
  page->m_freq.m_timeSet = set;
  return page;
}

inline model::WDValue& AddTestBeacon(model::WDValPage& page, const std::string& name, uint16_t kind,
                                     const std::string& pattern, const std::string& unit) {
  auto value = std::make_unique<model::WDValue>();
  value->SetName(name);
  value->SetKind(kind);
  value->SetPattern(pattern);
  value->m_strUnit = unit;
  model::WDValue& added = *value;
  page.AddValue(std::move(value));
  return added;
}

inline void AddTestSamples(model::WDValue& value, int count, int64_t first_time, const std::string& suffix) {
  for (int i = 0; i < count; ++i) {
    value.GetHistory().AppendLoaded(
        model::WDHistoryRecord(std::to_string(1000 + i % 977) + suffix, first_time + i * 600));
  }
}

// An event with every action on and every field set.
inline model::WDEventMessager& AddFullEvent(model::WDValue& value, int32_t op, const std::string& operand) {
  auto event = std::make_unique<model::WDEventMessager>();
  event->m_nMode = 3;
  event->m_condition.m_nOperator = op;
  event->m_condition.m_strOperand = operand;
  event->m_bOnce = 1;
  event->m_nLastAlarm = 0xDEADBEEFu;
  event->m_actMessage.m_bEnabled = 1;
  event->m_actMessage.m_strText = "Price moved";
  event->m_actMessage.m_bSound = 0;
  model::WDAlertEmail& mail = event->m_actEmail;
  mail.m_bEnabled = 1;
  mail.m_nCharset = 2;
  mail.m_strTo = "a@example.com;b@example.com";
  mail.m_strCc = "c@example.com";
  mail.m_strBcc = "d@example.com";
  mail.m_strSubject = "\xd0\xa6\xd0\xb5\xd0\xbd\xd0\xb0";  // "Цена" in UTF-8
  mail.m_strText = "Line one\r\nline two";
  mail.m_strSpare = "spare";
  model::WDAlertExec& exec = event->m_actExec;
  exec.m_bEnabled = 1;
  exec.m_bOpenPage = 0;
  for (size_t i = 0; i < exec.m_strings.size(); ++i) exec.m_strings[i] = "slot string " + std::to_string(i);
  event->m_actSpare1.m_bEnabled = 1;
  event->m_actSpare2.m_bEnabled = 7;
  return value.GetAlert().AddEvent(std::move(event));
}

// Pages with beacons of every kind, charsets 0 to 3, schedules of four units and once per run,
// keep-two, a disabled beacon, alerts off, events with all actions, addresses with the 0xEA/0xED
// marker bytes, Windows-1251 and UTF-8 texts, and folders three deep. samples: the history length
// of the first beacon.
inline model::CatalogContents MakeRichCatalog(int samples = 3000) {
  model::CatalogContents c;
  c.version = 7;
  c.note = "Shopping list\r\n\xd0\x97\xd0\xb0\xd0\xbc\xd0\xb5\xd1\x82\xd0\xba\xd0\xb0";

  auto shop = MakeTestPage("http://example.com/shop?id=1", 1, 1700000000, 0, model::kUnitMinutes, 30, 1699990000);
  model::WDValue& price = AddTestBeacon(*shop, "Price", model::kKindNumber, "Price:{?}</td>", "USD");
  price.SetDescription("Lowest price of the week");
  AddTestSamples(price, samples, 1690000000, ".50 USD");
  AddFullEvent(price, model::kOpGreaterEqual, "100");
  model::WDEventMessager& change = AddFullEvent(price, model::kOpNotEqual, "");
  change.m_bOnce = 0;
  change.m_nLastAlarm = 12345;
  change.m_actEmail.m_nCharset = 3;
  model::WDValue& stock = AddTestBeacon(*shop, "Stock", model::kKindText, "Stock:{?}<", "");
  stock.SetEnabled(false);
  stock.SetDescription("\xcd\xe0\xeb\xe8\xf7\xe8\xe5");  // "Наличие" in Windows-1251
  stock.GetHistory().SetKeepAll(0);
  AddTestSamples(stock, 2, 1690000100, " left");
  AddFullEvent(stock, model::kOpLess, "sold out").m_nMode = 0;

  // An address beginning with 0xEA (a Cyrillic letter in Windows-1251).
  auto local = MakeTestPage("\xea\xee\xf0\xe7\xe8\xed\xe0.html", 3, 0, 1, model::kUnitDays, 1, 1);
  model::WDValue& whole = AddTestBeacon(*local, "Whole page", model::kKindChecksum, "", "");
  whole.GetAlert().SetEnabled(false);
  whole.GetHistory().AppendLoaded(model::WDHistoryRecord("#CRC#2105851804", 1690000000));
  whole.GetHistory().AppendLoaded(model::WDHistoryRecord("#CRC#17", 4000000000));
  AddFullEvent(whole, model::kOpEqual, "");

  // An address beginning with 0xED, UTF-8 texts, a number beacon without unit.
  auto rates = MakeTestPage("\xed\x95\x9c.example/rates", 2, 1600000000, 0, model::kUnitMonths, 2, 1599999999);
  model::WDValue& rate = AddTestBeacon(*rates, "\xd0\x9a\xd1\x83\xd1\x80\xd1\x81", model::kKindNumber,
                                       "\xd0\x9a\xd1\x83\xd1\x80\xd1\x81 {?}", " ");
  rate.m_wReserved = 5;
  rate.m_wFlag = 0;
  rate.m_nStatus = 1;
  AddTestSamples(rate, 3, 1600000000, "");
  model::WDValue& monthly = AddTestBeacon(*rates, "Monthly", model::kKindText, "<b>{?}</b>", "");
  AddTestSamples(monthly, 1, 1600000000, " <b>bold</b>");

  // Windows-1251 pages (no conversion), every few hours.
  auto news = MakeTestPage("http://example.net/news", 0, 1700000500, 0, model::kUnitHours, 6, 1700000000);
  model::WDValue& headline = AddTestBeacon(*news, "Headline", model::kKindText, "<h1>{?}</h1>", "");
  AddTestSamples(headline, 4, 1700000000, " \xcd\xee\xe2\xee\xf1\xf2\xe8");  // "Новости" in Windows-1251

  auto root = std::make_unique<model::WDGroup>("Catalog", "The main beacons' catalog");
  auto* shops = static_cast<model::WDGroup*>(root->AddChild(new model::WDGroup("Shops", "Online shops")));
  auto* europe = static_cast<model::WDGroup*>(shops->AddChild(new model::WDGroup("Europe", "")));
  auto* germany = static_cast<model::WDGroup*>(europe->AddChild(new model::WDGroup("Germany", "de")));
  germany->m_wFlag = 0;
  germany->AddChild(&price);
  shops->AddChild(&stock);
  europe->AddChild(&rate);
  root->AddChild(&whole);
  root->AddChild(new model::WDGroup("Empty", ""));
  root->AddChild(&monthly);
  root->AddChild(&headline);

  c.pages.push_back(std::move(shop));
  c.pages.push_back(std::move(local));
  c.pages.push_back(std::move(rates));
  c.pages.push_back(std::move(news));
  c.roots.push_back(std::move(root));
  return c;
}

inline std::string WriteContents(const model::CatalogContents& c) {
  return model::WriteCatalog(c.version, c.pages, c.roots, c.note);
}

namespace catalog_dump {

// Beacons of the page list by address, named by their place there.
using Places = std::map<const model::WDItem*, std::string>;

// The place and the fields of an item, on a line the caller ends.
inline void Item(std::ostream& o, const model::WDItem& i, const std::string& w) {
  o << w << ": " << i.m_wReserved << ' ' << i.m_bEnabled << " \"" << i.m_strName << "\" \"" << i.m_strDescription
    << "\" " << i.m_nKind << ' ' << i.m_wFlag;
}

inline void Event(std::ostream& o, const model::WDEventMessager& e, const std::string& w) {
  o << w << ": " << e.m_nMode << ' ' << e.m_bOnce << ' ' << e.m_nLastAlarm << ' ' << e.m_condition.m_nOperator << " \""
    << e.m_condition.m_strOperand << "\"\n";
  o << w << ".message: " << e.m_actMessage.m_bEnabled << " \"" << e.m_actMessage.m_strText << "\" "
    << e.m_actMessage.m_bSound << '\n';
  const model::WDAlertEmail& m = e.m_actEmail;
  o << w << ".email: " << m.m_bEnabled << ' ' << m.m_nCharset << " \"" << m.m_strTo << "\" \"" << m.m_strCc << "\" \""
    << m.m_strBcc << "\" \"" << m.m_strSubject << "\" \"" << m.m_strText << "\" \"" << m.m_strSpare << "\"\n";
  o << w << ".exec: " << e.m_actExec.m_bEnabled << ' ' << e.m_actExec.m_bOpenPage;
  for (const std::string& s : e.m_actExec.m_strings) o << " \"" << s << '"';
  o << '\n' << w << ".spares: " << e.m_actSpare1.m_bEnabled << ' ' << e.m_actSpare2.m_bEnabled << '\n';
}

inline void Value(std::ostream& o, const model::WDValue& v, const std::string& w) {
  const model::WDHistory& h = v.GetHistory();
  const model::WDAlert& a = v.GetAlert();
  Item(o, v, w);
  o << " \"" << v.m_strUnit << "\" \"" << v.GetPatternString().GetStored() << "\" " << v.m_nStatus << ' '
    << h.GetKeepAll() << ' ' << a.m_bEnabled << '\n';
  for (int i = 0; i < h.GetCount(); ++i) {
    o << w << ".sample" << i << ": " << h.GetAt(i)->GetTime() << " \"" << h.GetAt(i)->GetRawText() << "\"\n";
  }
  for (size_t i = 0; i < a.GetEventCount(); ++i) {
    const std::string e = w + ".event" + std::to_string(i);
    Event(o, a.GetEvent(i), e);
    if (a.GetEvent(i).m_condition.m_pValue != &v) o << e << " is not wired to its beacon\n";
  }
}

inline void Group(std::ostream& o, const model::WDGroup& g, const std::string& w, const Places& places) {
  Item(o, g, w);
  o << '\n';
  for (size_t i = 0; i < g.GetChildCount(); ++i) {
    const model::WDItem* child = g.GetChild(i);
    const std::string c = w + "/" + std::to_string(i);
    if (child->IsGroup()) {
      Group(o, static_cast<const model::WDGroup&>(*child), c, places);
      continue;
    }
    // A beacon of the tree is the same beacon of the page list on both sides.
    const auto place = places.find(child);
    o << c << ": " << (place == places.end() ? "not a beacon of the page list" : place->second) << '\n';
  }
}

// Every stored field of a catalog and how its parts are wired, one line per item, sample or action.
inline std::string Dump(const model::CatalogContents& c) {
  std::ostringstream o;
  o << "version " << c.version << " note \"" << c.note << "\"\n";
  Places places;
  for (size_t p = 0; p < c.pages.size(); ++p) {
    const model::WDValPage& page = *c.pages[p];
    const model::WDFreshFreq& f = page.m_freq;
    const std::string w = "page" + std::to_string(p);
    o << w << ": \"" << page.m_strURL << "\" " << page.m_timeFetched << ' ' << page.m_nCharset << ' ' << f.m_timeSet
      << ' ' << f.m_bAtStartOnly << ' ' << f.m_nUnit << ' ' << f.m_nCount << '\n';
    for (size_t v = 0; v < page.GetValueCount(); ++v) {
      const std::string vw = w + ".value" + std::to_string(v);
      Value(o, *page.GetValue(v), vw);
      if (page.GetValue(v)->GetPage() != &page) o << vw << " is not linked to its page\n";
      places[page.GetValue(v)] = vw;
    }
  }
  for (size_t r = 0; r < c.roots.size(); ++r) Group(o, *c.roots[r], "root" + std::to_string(r), places);
  return o.str();
}

}  // namespace catalog_dump

// The line of the first field where two catalogs differ, on both sides, or "" when they are equal.
inline std::string CatalogDifference(const model::CatalogContents& a, const model::CatalogContents& b) {
  const std::string x = catalog_dump::Dump(a);
  const std::string y = catalog_dump::Dump(b);
  if (x == y) return "";
  const size_t at = static_cast<size_t>(std::mismatch(x.begin(), x.end(), y.begin(), y.end()).first - x.begin());
  const size_t start = x.substr(0, at).rfind('\n') + 1;  // 0 when the first line differs
  auto line = [start](const std::string& s) { return s.substr(start, s.find('\n', start) - start); };
  return line(x) + "\n  vs\n" + line(y);
}

}  // namespace quorvex::testing
