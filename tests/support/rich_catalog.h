#pragma once
// Catalogs for archive tests, seeds and benchmarks: one that sets every stored field to something
// other than its default, one of plain size, and a field-by-field comparison of two catalogs.
// Header only and free of GoogleTest, so fuzz targets and benchmarks can use it too.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
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

// A catalog of plain size: `beacons` beacons with `samples` samples each, ten beacons to a page;
// every sample is a number followed by suffix.
inline model::CatalogContents MakeSizedCatalog(int beacons, int samples, const std::string& suffix = ".50 USD") {
  model::CatalogContents c;
  auto root = std::make_unique<model::WDGroup>("Catalog", "The main beacons' catalog");
  model::WDGroup* folder = root.get();
  for (int b = 0; b < beacons; ++b) {
    if (b % 10 == 0) {
      c.pages.push_back(std::make_unique<model::WDValPage>("http://example.com/page" + std::to_string(b / 10)));
      folder = static_cast<model::WDGroup*>(root->AddChild(new model::WDGroup("Folder " + std::to_string(b), "")));
    }
    model::WDValue& value =
        AddTestBeacon(*c.pages.back(), "Beacon " + std::to_string(b), model::kKindNumber, "Price:{?}</td>", "USD");
    AddTestSamples(value, samples, 1700000000, suffix);
    folder->AddChild(&value);
  }
  c.roots.push_back(std::move(root));
  return c;
}

inline std::string WriteContents(const model::CatalogContents& c) {
  return model::WriteCatalog(c.version, c.pages, c.roots, c.note);
}

namespace catalog_diff {

inline std::string Quote(const std::string& s) {
  return "\"" + (s.size() > 60 ? s.substr(0, 60) + "..." : s) + "\"";
}

template <class T>
bool Differ(std::string& out, const std::string& where, const T& a, const T& b) {
  if (a == b) return false;
  if constexpr (std::is_same_v<T, std::string>) {
    out = where + ": " + Quote(a) + " vs " + Quote(b);
  } else {
    out = where + ": " + std::to_string(a) + " vs " + std::to_string(b);
  }
  return true;
}

inline std::string Item(const model::WDItem& a, const model::WDItem& b, const std::string& w) {
  std::string d;
  Differ(d, w + ".reserved", a.m_wReserved, b.m_wReserved) || Differ(d, w + ".enabled", a.m_bEnabled, b.m_bEnabled) ||
      Differ(d, w + ".name", a.m_strName, b.m_strName) ||
      Differ(d, w + ".description", a.m_strDescription, b.m_strDescription) ||
      Differ(d, w + ".kind", a.m_nKind, b.m_nKind) || Differ(d, w + ".flag", a.m_wFlag, b.m_wFlag);
  return d;
}

inline std::string Event(const model::WDEventMessager& a, const model::WDEventMessager& b, const std::string& w) {
  std::string d;
  if (Differ(d, w + ".mode", a.m_nMode, b.m_nMode) || Differ(d, w + ".once", a.m_bOnce, b.m_bOnce) ||
      Differ(d, w + ".lastAlarm", a.m_nLastAlarm, b.m_nLastAlarm) ||
      Differ(d, w + ".operator", a.m_condition.m_nOperator, b.m_condition.m_nOperator) ||
      Differ(d, w + ".operand", a.m_condition.m_strOperand, b.m_condition.m_strOperand) ||
      Differ(d, w + ".message.enabled", a.m_actMessage.m_bEnabled, b.m_actMessage.m_bEnabled) ||
      Differ(d, w + ".message.text", a.m_actMessage.m_strText, b.m_actMessage.m_strText) ||
      Differ(d, w + ".message.sound", a.m_actMessage.m_bSound, b.m_actMessage.m_bSound) ||
      Differ(d, w + ".email.enabled", a.m_actEmail.m_bEnabled, b.m_actEmail.m_bEnabled) ||
      Differ(d, w + ".email.charset", a.m_actEmail.m_nCharset, b.m_actEmail.m_nCharset) ||
      Differ(d, w + ".email.to", a.m_actEmail.m_strTo, b.m_actEmail.m_strTo) ||
      Differ(d, w + ".email.cc", a.m_actEmail.m_strCc, b.m_actEmail.m_strCc) ||
      Differ(d, w + ".email.bcc", a.m_actEmail.m_strBcc, b.m_actEmail.m_strBcc) ||
      Differ(d, w + ".email.subject", a.m_actEmail.m_strSubject, b.m_actEmail.m_strSubject) ||
      Differ(d, w + ".email.text", a.m_actEmail.m_strText, b.m_actEmail.m_strText) ||
      Differ(d, w + ".email.spare", a.m_actEmail.m_strSpare, b.m_actEmail.m_strSpare) ||
      Differ(d, w + ".exec.enabled", a.m_actExec.m_bEnabled, b.m_actExec.m_bEnabled) ||
      Differ(d, w + ".exec.openPage", a.m_actExec.m_bOpenPage, b.m_actExec.m_bOpenPage) ||
      Differ(d, w + ".spare1", a.m_actSpare1.m_bEnabled, b.m_actSpare1.m_bEnabled) ||
      Differ(d, w + ".spare2", a.m_actSpare2.m_bEnabled, b.m_actSpare2.m_bEnabled)) {
    return d;
  }
  for (size_t i = 0; i < a.m_actExec.m_strings.size(); ++i) {
    if (Differ(d, w + ".exec.string" + std::to_string(i), a.m_actExec.m_strings[i], b.m_actExec.m_strings[i])) {
      return d;
    }
  }
  return d;
}

inline std::string Value(const model::WDValue& a, const model::WDValue& b, const std::string& w) {
  std::string d = Item(a, b, w);
  if (!d.empty()) return d;
  const model::WDHistory& ha = a.GetHistory();
  const model::WDHistory& hb = b.GetHistory();
  const model::WDAlert& aa = a.GetAlert();
  const model::WDAlert& ab = b.GetAlert();
  if (Differ(d, w + ".unit", a.m_strUnit, b.m_strUnit) ||
      Differ(d, w + ".pattern", a.GetPatternString().GetStored(), b.GetPatternString().GetStored()) ||
      Differ(d, w + ".status", a.m_nStatus, b.m_nStatus) ||
      Differ(d, w + ".keepAll", ha.GetKeepAll(), hb.GetKeepAll()) ||
      Differ(d, w + ".samples", ha.GetCount(), hb.GetCount()) ||
      Differ(d, w + ".alert.enabled", aa.m_bEnabled, ab.m_bEnabled) ||
      Differ(d, w + ".events", aa.GetEventCount(), ab.GetEventCount())) {
    return d;
  }
  for (int i = 0; i < ha.GetCount(); ++i) {
    const std::string s = w + ".sample" + std::to_string(i);
    if (Differ(d, s + ".time", ha.GetAt(i)->GetTime(), hb.GetAt(i)->GetTime()) ||
        Differ(d, s + ".text", ha.GetAt(i)->GetRawText(), hb.GetAt(i)->GetRawText())) {
      return d;
    }
  }
  for (size_t i = 0; i < aa.GetEventCount(); ++i) {
    d = Event(aa.GetEvent(i), ab.GetEvent(i), w + ".event" + std::to_string(i));
    if (!d.empty()) return d;
    if (aa.GetEvent(i).m_condition.m_pValue != &a || ab.GetEvent(i).m_condition.m_pValue != &b) {
      return w + ".event" + std::to_string(i) + " is not wired to its beacon";
    }
  }
  return d;
}

using Places = std::map<const model::WDItem*, std::string>;

inline std::string Group(const model::WDGroup& a, const model::WDGroup& b, const std::string& w, const Places& pa,
                         const Places& pb) {
  std::string d = Item(a, b, w);
  if (!d.empty() || Differ(d, w + ".children", a.GetChildCount(), b.GetChildCount())) return d;
  for (size_t i = 0; i < a.GetChildCount(); ++i) {
    const model::WDItem* ca = a.GetChild(i);
    const model::WDItem* cb = b.GetChild(i);
    const std::string c = w + "/" + std::to_string(i);
    if (Differ(d, c + ".isGroup", ca->IsGroup(), cb->IsGroup())) return d;
    if (ca->IsGroup()) {
      d = Group(static_cast<const model::WDGroup&>(*ca), static_cast<const model::WDGroup&>(*cb), c, pa, pb);
      if (!d.empty()) return d;
      continue;
    }
    // A beacon of the tree is the same beacon of the page list on both sides.
    const auto ia = pa.find(ca);
    const auto ib = pb.find(cb);
    if (ia == pa.end() || ib == pb.end()) return c + " is not a beacon of the page list";
    if (Differ(d, c + ".place", ia->second, ib->second)) return d;
  }
  return d;
}

}  // namespace catalog_diff

// The first difference between two catalogs, field by field, or "" when they are equal.
inline std::string CatalogDifference(const model::CatalogContents& a, const model::CatalogContents& b) {
  using namespace catalog_diff;
  std::string d;
  if (Differ(d, "version", a.version, b.version) || Differ(d, "note", a.note, b.note) ||
      Differ(d, "pages", a.pages.size(), b.pages.size()) || Differ(d, "roots", a.roots.size(), b.roots.size())) {
    return d;
  }
  Places pa, pb;
  for (size_t p = 0; p < a.pages.size(); ++p) {
    const model::WDValPage& x = *a.pages[p];
    const model::WDValPage& y = *b.pages[p];
    const std::string w = "page" + std::to_string(p);
    if (Differ(d, w + ".url", x.m_strURL, y.m_strURL) || Differ(d, w + ".fetched", x.m_timeFetched, y.m_timeFetched) ||
        Differ(d, w + ".charset", x.m_nCharset, y.m_nCharset) ||
        Differ(d, w + ".timeSet", x.m_freq.m_timeSet, y.m_freq.m_timeSet) ||
        Differ(d, w + ".atStart", x.m_freq.m_bAtStartOnly, y.m_freq.m_bAtStartOnly) ||
        Differ(d, w + ".unit", x.m_freq.m_nUnit, y.m_freq.m_nUnit) ||
        Differ(d, w + ".count", x.m_freq.m_nCount, y.m_freq.m_nCount) ||
        Differ(d, w + ".values", x.GetValueCount(), y.GetValueCount())) {
      return d;
    }
    for (size_t v = 0; v < x.GetValueCount(); ++v) {
      const std::string vw = w + ".value" + std::to_string(v);
      d = Value(*x.GetValue(v), *y.GetValue(v), vw);
      if (!d.empty()) return d;
      if (x.GetValue(v)->GetPage() != &x || y.GetValue(v)->GetPage() != &y) return vw + " is not linked to its page";
      pa[x.GetValue(v)] = vw;
      pb[y.GetValue(v)] = vw;
    }
  }
  for (size_t r = 0; r < a.roots.size(); ++r) {
    d = Group(*a.roots[r], *b.roots[r], "root" + std::to_string(r), pa, pb);
    if (!d.empty()) return d;
  }
  return d;
}

}  // namespace quorvex::testing
