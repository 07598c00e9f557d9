#include "model/catalog_archive.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/value.h"
#include "support/archive_bytes.h"
#include "support/rich_catalog.h"

namespace quorvex::model {
namespace {

using testing::ArchiveBytes;
using testing::CatalogDifference;
using testing::MakeRichCatalog;
using testing::WriteContents;

std::unique_ptr<WDGroup> MainRoot() {
  return std::make_unique<WDGroup>("Catalog", "The main beacons' catalog");
}

// Bytes of the current generation must be what expected is written as; every field must come back
// from them, and writing what was read must give the very same bytes.
void ExpectReadsBackAs(const std::string& bytes, const CatalogContents& expected, CatalogContents& read) {
  EXPECT_EQ(WriteContents(expected), bytes);
  const CatalogReadResult result = ReadCatalog(bytes, read);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_FALSE(result.oldLayout);
  EXPECT_EQ(CatalogDifference(expected, read), "");
  EXPECT_TRUE(WriteContents(read) == bytes);
}

// ---- exact bytes

TEST(CatalogArchive, EmptyCatalogsAreExactlyTheDocumentedBytes) {
  ArchiveBytes expected;
  expected.Header().Word(0).Word(1).NewClass("WDGroup");
  expected.Item("Catalog", "The main beacons' catalog", kKindGroup).Word(0).Str("");
  ASSERT_EQ(expected.size(), 13u + 2 + 2 + 13 + 2 + 4 + 8 + 26 + 4 + 4 + 2 + 1);
  CatalogContents c;
  c.roots.push_back(MainRoot());
  CatalogContents read;
  ExpectReadsBackAs(expected.str(), c, read);

  // Long strings take the longer prefixes.
  const std::string name(254, 'n');
  const std::string description(255, 'd');
  c.roots[0] = std::make_unique<WDGroup>(name, description);
  c.note = std::string(0xFFFE, 'z');
  ArchiveBytes long_strings;
  long_strings.Header().Word(0).Word(1).NewClass("WDGroup");
  long_strings.Word(0).Dword(1).Byte(0xFE).Raw(name).Raw(std::string("\xFF\xFF\x00", 3)).Raw(description);
  long_strings.Word(kKindGroup).Word(1).Dword(0).Word(0);
  long_strings.Raw(std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)).Raw(c.note);
  ExpectReadsBackAs(long_strings.str(), c, read);
}

TEST(CatalogArchive, SecondBeaconIsIntroducedByTheClassNumberOfWDValue) {
  CatalogContents c;
  c.pages.push_back(testing::MakeTestPage("http://a/", 0, 0x01020304, 1, kUnitDays, 1, 0));
  WDValPage& page = *c.pages[0];
  c.roots.push_back(MainRoot());
  c.roots[0]->AddChild(&testing::AddTestBeacon(page, "A", kKindText, "x", ""));
  c.roots[0]->AddChild(&testing::AddTestBeacon(page, "B", kKindText, "x", ""));

  const std::string pattern = WDPatternString::Scramble("x");
  ArchiveBytes expected;
  expected.Header().Word(1);
  expected.NewClass("WDValPage").Page("http://a/", 0x01020304).Word(2);  // class 1, page 2
  expected.NewClass("WDValue").Item("A", "", kKindText).ValueHead("", pattern).Word(0).NoAlertEvents();  // 3, 4
  expected.Word(0x8003).Item("B", "", kKindText).ValueHead("", pattern).Word(0).NoAlertEvents();         // object 5
  expected.Word(1).NewClass("WDGroup").Item("Catalog", "The main beacons' catalog", kKindGroup);         // 6, 7
  expected.Word(2).Word(4).Word(5).Str("");
  // The folder's beacons are read as references to the page's, not as copies.
  CatalogContents read;
  ExpectReadsBackAs(expected.str(), c, read);

  // A damaged kind turns neither a beacon into a folder nor a folder into anything else.
  page.GetValue(1)->SetKind(kKindGroup);
  c.roots[0]->m_nKind = kKindNumber;
  ASSERT_TRUE(ReadCatalog(WriteContents(c), read).ok);
  EXPECT_FALSE(read.pages[0]->GetValue(1)->IsGroup());
  ASSERT_TRUE(read.roots[0]->IsGroup());
  EXPECT_EQ(read.roots[0]->GetChild(1), read.pages[0]->GetValue(1));
}

// ---- older generation

TEST(CatalogArchive, OlderGenerationLoadsWithDefaultsAndIsWrittenBackCurrent) {
  // What the older file holds; every field it lacks takes its default.
  CatalogContents expected;
  expected.note = "old note";
  // The marker byte in front of the address is dropped.
  expected.pages.push_back(testing::MakeTestPage("http://old.example/", 0, 1500000000, 1, kUnitDays, 1, 0));
  WDValue& value = testing::AddTestBeacon(*expected.pages[0], "Old price", kKindNumber, "Price:{?}</td>", "RUB");
  value.SetDescription("from 2003");
  value.GetHistory().AppendLoaded(WDHistoryRecord("12.50", 1400000000));
  value.GetHistory().AppendLoaded(WDHistoryRecord("13.00", 1400003600));
  auto add_event = [&](int32_t mode, int32_t op, const std::string& operand, const std::string& text, int32_t sound) {
    auto event = std::make_unique<WDEventMessager>();
    event->m_nMode = mode;
    event->m_condition.m_nOperator = op;
    event->m_condition.m_strOperand = operand;
    event->m_actMessage.m_bEnabled = mode == 0 ? 1 : 0;  // mode 0: the message was on; any other mode: off
    event->m_actMessage.m_strText = text;
    event->m_actMessage.m_bSound = sound;
    value.GetAlert().AddEvent(std::move(event));
  };
  add_event(0, kOpGreater, "100", "Too dear", 0);
  add_event(1, kOpNotEqual, "", "Changed", 1);
  expected.roots.push_back(MainRoot());
  expected.roots[0]->AddChild(&value);

  const std::string old_file = testing::OlderGenerationCatalog();
  CatalogContents read;
  const CatalogReadResult result = ReadCatalog(old_file, read);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_TRUE(result.oldLayout);
  EXPECT_EQ(CatalogDifference(expected, read), "");

  // Written back in the current generation: the header and every reserved field are added, and
  // the events get their full form. Reading that gives the same catalog, and writes the same bytes.
  const std::string current = WriteContents(read);
  EXPECT_EQ(current.substr(0, 13), ArchiveBytes().Header().str());
  const size_t added = 13 + 13 /* page */ + 4 + 4 /* items */ + 4 /* value */ + 8 /* alert */ + 2 * 60 /* events */;
  EXPECT_EQ(current.size(), old_file.size() - 1 /* the marker */ + added);
  CatalogContents again;
  ExpectReadsBackAs(current, read, again);
}

// ---- round trips

TEST(CatalogArchive, RichCatalogKeepsEveryFieldWithNumbersPast0x7FFE) {
  // N samples on the first beacon number every later class and object above 0x7FFE, and make the
  // file large enough for the reader to offer the bytes it has read back a few times.
  constexpr uint32_t N = 120000;
  const CatalogContents original = MakeRichCatalog(N);
  const std::string bytes = WriteContents(original);
  // Classes numbered below 0x7FFF keep the WORD tag even for objects numbered above it (the second
  // beacon, object N + 9); a class numbered above it (the events, class N + 6) takes the escape.
  const std::string stock = "\xcd\xe0\xeb\xe8\xf7\xe8\xe5";
  EXPECT_NE(bytes.find(ArchiveBytes().Word(0x8003).Item("Stock", stock, kKindText, true, 0).str()), std::string::npos);
  EXPECT_NE(bytes.find(ArchiveBytes().Word(0x7FFF).Dword(0x80000000u | (N + 6)).Dword(3).Dword(kOpNotEqual).str()),
            std::string::npos);
  // The tree: the root folder (class N + 31), the others by escape, and the references to the
  // beacons: by WORD below 0x7FFF, by escape above.
  const uint32_t folder = 0x80000000u | (N + 31);
  ArchiveBytes tail;
  tail.Word(1).NewClass("WDGroup").Item("Catalog", "The main beacons' catalog", kKindGroup).Word(5);
  tail.Word(0x7FFF).Dword(folder).Item("Shops", "Online shops", kKindGroup).Word(2);
  tail.Word(0x7FFF).Dword(folder).Item("Europe", "", kKindGroup).Word(2);
  tail.Word(0x7FFF).Dword(folder).Item("Germany", "de", kKindGroup, true, 1, 0).Word(1).Word(4);
  tail.Word(0x7FFF).Dword(N + 19).Word(0x7FFF).Dword(N + 9).Word(0x7FFF).Dword(N + 14);
  tail.Word(0x7FFF).Dword(folder).Item("Empty", "", kKindGroup).Word(0);
  tail.Word(0x7FFF).Dword(N + 23).Word(0x7FFF).Dword(N + 26).Str(original.note);
  EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail.str());

  std::string spoiled = bytes;
  size_t calls = 0;
  CatalogContents read;
  const CatalogReadResult result = ReadCatalog(spoiled, read, [&](size_t offset) {
    ASSERT_LE(offset, spoiled.size());
    spoiled.replace(0, offset, offset, '\0');  // a reader that looked back would notice
    ++calls;
  });
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_GE(calls, 2u);
  EXPECT_EQ(CatalogDifference(original, read), "");
  EXPECT_TRUE(WriteContents(read) == bytes);

  // The comparison looks into every action.
  read.pages[0]->GetValue(0)->GetAlert().GetEvent(1).m_actExec.m_strings[7] = "changed";
  EXPECT_NE(CatalogDifference(original, read).find("changed"), std::string::npos);
}

// ---- hostile input

TEST(CatalogArchive, TruncationAtEveryByteFailsCleanly) {
  const std::string bytes = WriteContents(MakeRichCatalog(3));
  for (size_t n = 0; n < bytes.size(); ++n) {
    CatalogContents read;
    const CatalogReadResult result = ReadCatalog(bytes.substr(0, n), read);
    ASSERT_FALSE(result.ok) << "cut at " << n;
    ASSERT_FALSE(result.message.empty()) << "cut at " << n;
    ASSERT_TRUE(read.pages.empty() && read.roots.empty() && read.note.empty()) << "cut at " << n;
  }
  CatalogContents read;
  const CatalogReadResult extra = ReadCatalog(bytes + '\0', read);
  EXPECT_FALSE(extra.ok);
  EXPECT_NE(extra.message.find("after the end"), std::string::npos) << extra.message;
}

TEST(CatalogArchive, TreesThatCannotBeLoadedAreRefused) {
  auto expect_refused = [](const CatalogContents& c, const std::string& reason) {
    CatalogContents read;
    const CatalogReadResult result = ReadCatalog(WriteContents(c), read);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find(reason), std::string::npos) << result.message;
    EXPECT_TRUE(read.roots.empty());
  };
  // The beacon's page is not written, so the folder meets the beacon first, as a new object.
  WDValPage outside("http://a/");
  CatalogContents c;
  c.roots.push_back(MainRoot());
  WDGroup* root = c.roots[0].get();
  root->AddChild(&testing::AddTestBeacon(outside, "Lost", kKindText, "x", ""));
  expect_refused(c, "missing from the page list");

  root->m_children.clear();
  auto* a = static_cast<WDGroup*>(root->AddChild(new WDGroup("A", "")));
  auto* b = static_cast<WDGroup*>(root->AddChild(new WDGroup("B", "")));
  b->m_children.push_back(a);  // a second place, written as a reference
  expect_refused(c, "two places");
  b->m_children.clear();
  a->m_children.push_back(root);  // a circle through the root
  expect_refused(c, "");
  a->m_children.clear();
}

TEST(CatalogArchive, ObjectsOfTheWrongClassAreRefused) {
  // A reference in the tree to a sample (object 6), to a page (object 2), a plain item, a page in a
  // page's beacon list, and a beacon owned by two pages.
  const std::string pattern = WDPatternString::Scramble("x");
  auto catalog = [&](const ArchiveBytes& tree) {
    ArchiveBytes f;
    f.Header().Word(1).NewClass("WDValPage").Page("http://a/", 0).Word(1);
    f.NewClass("WDValue").Item("A", "", kKindText).ValueHead("", pattern);
    f.Word(1).NewClass("WDHistoryRecord").Dword(5).Str("s").NoAlertEvents();
    f.Word(1).NewClass("WDGroup").Item("Catalog", "", kKindGroup);  // class 7, object 8
    f.Raw(tree.str()).Str("");
    return f.str();
  };
  CatalogContents read;
  ASSERT_TRUE(ReadCatalog(catalog(ArchiveBytes().Word(1).Word(4)), read).ok);
  for (uint16_t reference : {6, 2, 8, 3, 9}) {
    const CatalogReadResult result = ReadCatalog(catalog(ArchiveBytes().Word(1).Word(reference)), read);
    EXPECT_FALSE(result.ok) << reference;
  }
  const CatalogReadResult plain =
      ReadCatalog(catalog(ArchiveBytes().Word(1).NewClass("WDItem").Item("plain", "", kKindPlain)), read);
  EXPECT_FALSE(plain.ok);
  EXPECT_NE(plain.message.find("neither folder nor beacon"), std::string::npos) << plain.message;

  ArchiveBytes page_in_page;
  page_in_page.Header().Word(1).NewClass("WDValPage").Page("http://a/", 0).Word(1).Word(0x8001);
  EXPECT_FALSE(ReadCatalog(page_in_page.Page("http://b/", 0).Word(0).str() + std::string(5, '\0'), read).ok);

  ArchiveBytes shared;
  shared.Header().Word(2).NewClass("WDValPage").Page("http://a/", 0).Word(1);
  shared.NewClass("WDValue").Item("A", "", kKindText).ValueHead("", pattern).Word(0).NoAlertEvents();
  shared.Word(0x8001).Page("http://b/", 0).Word(1).Word(4).Word(0).Str("");
  const CatalogReadResult twice = ReadCatalog(shared.str(), read);
  EXPECT_FALSE(twice.ok);
  EXPECT_TRUE(read.pages.empty());
}

}  // namespace
}  // namespace quorvex::model
