#include "model/catalog_archive.h"

#include <gtest/gtest.h>

#include <functional>
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

// Reads a current-generation file written from expected: every field must come back, and writing
// what was read must give the very same bytes.
void ExpectReadsBackAs(const std::string& bytes, const CatalogContents& expected, CatalogContents& read) {
  const CatalogReadResult result = ReadCatalog(bytes, read);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_FALSE(result.oldLayout);
  EXPECT_EQ(CatalogDifference(expected, read), "");
  EXPECT_TRUE(WriteContents(read) == bytes);
}

// ---- exact bytes

TEST(CatalogArchive, EmptyCatalogIsExactlyTheDocumentedBytes) {
  ArchiveBytes expected;
  expected.Header().Word(0).Word(1).NewClass("WDGroup");
  expected.Item("Catalog", "The main beacons' catalog", kKindGroup).Word(0).Str("");
  ASSERT_EQ(expected.size(), 13u + 2 + 2 + 13 + 2 + 4 + 8 + 26 + 4 + 4 + 2 + 1);
  CatalogContents c;
  c.roots.push_back(MainRoot());
  EXPECT_EQ(WriteContents(c), expected.str());
  CatalogContents read;
  ExpectReadsBackAs(expected.str(), c, read);
}

TEST(CatalogArchive, SecondBeaconIsIntroducedByTheClassNumberOfWDValue) {
  CatalogContents c;
  c.pages.push_back(std::make_unique<WDValPage>("http://a/"));
  WDValPage& page = *c.pages[0];
  page.m_timeFetched = 0x01020304;
  page.m_freq.m_timeSet = 0;
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
  EXPECT_EQ(WriteContents(c), expected.str());
  // The folder's beacons are read as references to the page's, not as copies.
  CatalogContents read;
  ExpectReadsBackAs(expected.str(), c, read);
}

TEST(CatalogArchive, LongStringsTakeTheLongerPrefixes) {
  const std::string name(254, 'n');
  const std::string description(255, 'd');
  CatalogContents c;
  c.roots.push_back(std::make_unique<WDGroup>(name, description));
  c.note = std::string(0xFFFE, 'z');
  const std::string bytes = WriteContents(c);

  ArchiveBytes expected;
  expected.Header().Word(0).Word(1).NewClass("WDGroup");
  expected.Word(0).Dword(1).Byte(0xFE).Raw(name).Raw(std::string("\xFF\xFF\x00", 3)).Raw(description);
  expected.Word(kKindGroup).Word(1).Dword(0).Word(0);
  expected.Raw(std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)).Raw(c.note);
  ASSERT_EQ(bytes.size(), expected.size());
  EXPECT_TRUE(bytes == expected.str());
  CatalogContents read;
  ExpectReadsBackAs(bytes, c, read);
}

// ---- older generation

TEST(CatalogArchive, OlderGenerationLoadsWithDefaultsAndIsWrittenBackCurrent) {
  // What the older file holds; every field it lacks takes its default.
  CatalogContents expected;
  expected.note = "old note";
  expected.pages.push_back(std::make_unique<WDValPage>("http://old.example/"));  // the marker byte is dropped
  expected.pages[0]->m_timeFetched = 1500000000;
  expected.pages[0]->m_freq.m_timeSet = 0;
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
  EXPECT_TRUE(IsOldLayout(old_file));
  CatalogContents read;
  const CatalogReadResult result = ReadCatalog(old_file, read);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_TRUE(result.oldLayout);
  EXPECT_EQ(CatalogDifference(expected, read), "");

  // Written back in the current generation: the header and every reserved field are added, and
  // the events get their full form. Reading that gives the same catalog, and writes the same bytes.
  const std::string current = WriteContents(read);
  EXPECT_FALSE(IsOldLayout(current));
  EXPECT_EQ(current.substr(0, 13), ArchiveBytes().Header().str());
  const size_t added = 13 + 13 /* page */ + 4 + 4 /* items */ + 4 /* value */ + 8 /* alert */ + 2 * 60 /* events */;
  EXPECT_EQ(current.size(), old_file.size() - 1 /* the marker */ + added);
  CatalogContents again;
  ExpectReadsBackAs(current, read, again);
}

// ---- round trips

TEST(CatalogArchive, RichCatalogRoundTripKeepsEveryField) {
  const CatalogContents original = MakeRichCatalog(3000);
  const std::string first = WriteContents(original);
  CatalogContents read;
  ExpectReadsBackAs(first, original, read);
  ASSERT_FALSE(HasFatalFailure());

  // Spot checks that the comparison itself looks where it should.
  EXPECT_EQ(read.version, 7);
  const WDValue& price = *read.pages[0]->GetValue(0);
  EXPECT_EQ(price.GetHistory().GetCount(), 3000);
  EXPECT_EQ(price.GetAlert().GetEvent(0).m_nLastAlarm, 0xDEADBEEFu);
  EXPECT_EQ(price.GetAlert().GetEvent(0).m_actExec.m_strings[14], "slot string 14");
  EXPECT_EQ(read.pages[1]->m_strURL[0], '\xEA');
  EXPECT_EQ(read.pages[1]->GetValue(0)->GetHistory().GetLast()->GetTime(), 4000000000);
  const WDGroup* germany = static_cast<const WDGroup*>(
      static_cast<const WDGroup*>(static_cast<const WDGroup*>(read.roots[0]->GetChild(0))->GetChild(0))->GetChild(0));
  EXPECT_EQ(germany->GetName(), "Germany");
  EXPECT_EQ(germany->GetChild(0), &price);
  CatalogContents other = MakeRichCatalog(3000);
  other.pages[0]->GetValue(0)->GetAlert().GetEvent(1).m_actExec.m_strings[7] = "changed";
  EXPECT_EQ(CatalogDifference(original, other), "page0.value0.event1.exec.string7: \"slot string 7\" vs \"changed\"");
}

TEST(CatalogArchive, MoreThan0x7FFEObjectsUseTheLargeNumberEscape) {
  CatalogContents c;
  auto first_page = std::make_unique<WDValPage>("http://one/");
  WDValue& big = testing::AddTestBeacon(*first_page, "Big", kKindNumber, "{?}", "kg");
  testing::AddTestSamples(big, 40000, 1000000000, "");                                   // objects 6 .. 40005
  auto second_page = std::make_unique<WDValPage>("http://two/");                         // object 40006
  WDValue& small = testing::AddTestBeacon(*second_page, "Small", kKindText, "{?}", "");  // 40007
  testing::AddTestSamples(small, 2, 1000000000, " small");                               // 40008, 40009
  testing::AddFullEvent(small, kOpEqual, "a");                                           // class 40010, object 40011
  testing::AddFullEvent(small, kOpEqual, "b").m_nMode = 0x11223344;                      // object 40012
  auto root = MainRoot();                                                                // class 40013, object 40014
  auto* sub = static_cast<WDGroup*>(root->AddChild(new WDGroup("Sub", "")));             // object 40015
  sub->AddChild(&big);
  sub->AddChild(&small);
  c.pages.push_back(std::move(first_page));
  c.pages.push_back(std::move(second_page));
  c.roots.push_back(std::move(root));
  c.note = "end";

  const std::string bytes = WriteContents(c);
  // Classes numbered below 0x7FFF keep the WORD tag even for objects numbered above it.
  EXPECT_NE(bytes.find(ArchiveBytes().Word(0x8001).Str("http://two/").str()), std::string::npos);
  // A class numbered above it: the escape with the class bit.
  EXPECT_NE(bytes.find(ArchiveBytes().Word(0x7FFF).Dword(0x80000000u | 40010).Dword(0x11223344).str()),
            std::string::npos);
  // The tail: the root folder, its sub-folder by escape, and the references to both beacons.
  ArchiveBytes tail;
  tail.Word(1).NewClass("WDGroup").Item("Catalog", "The main beacons' catalog", kKindGroup).Word(1);
  tail.Word(0x7FFF).Dword(0x80000000u | 40013).Item("Sub", "", kKindGroup);
  tail.Word(2).Word(4).Word(0x7FFF).Dword(40007).Str("end");
  ASSERT_GT(bytes.size(), tail.size());
  EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail.str());

  CatalogContents read;
  ExpectReadsBackAs(bytes, c, read);
  ASSERT_FALSE(HasFatalFailure());
  const WDGroup& read_sub = static_cast<const WDGroup&>(*read.roots[0]->GetChild(0));
  EXPECT_EQ(read_sub.GetChild(1), read.pages[1]->GetValue(0));
}

TEST(CatalogArchive, ReadingMayGiveBackTheBytesAlreadyRead) {
  // Large enough for the reader to offer its bytes back a few times.
  const std::string bytes = WriteContents(testing::MakeSizedCatalog(40, 5000));
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
  EXPECT_EQ(WriteContents(read), bytes);
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
  auto catalog = [&](const std::function<void(ArchiveBytes&)>& tree) {
    ArchiveBytes f;
    f.Header().Word(1).NewClass("WDValPage").Page("http://a/", 0).Word(1);
    f.NewClass("WDValue").Item("A", "", kKindText).ValueHead("", pattern);
    f.Word(1).NewClass("WDHistoryRecord").Dword(5).Str("s").NoAlertEvents();
    f.Word(1).NewClass("WDGroup").Item("Catalog", "", kKindGroup);  // class 7, object 8
    tree(f);
    f.Str("");
    return f.str();
  };
  CatalogContents read;
  ASSERT_TRUE(ReadCatalog(catalog([](ArchiveBytes& f) { f.Word(1).Word(4); }), read).ok);
  for (uint16_t reference : {6, 2, 8, 3, 9}) {
    const CatalogReadResult result = ReadCatalog(catalog([&](ArchiveBytes& f) { f.Word(1).Word(reference); }), read);
    EXPECT_FALSE(result.ok) << reference;
  }
  const CatalogReadResult plain =
      ReadCatalog(catalog([](ArchiveBytes& f) { f.Word(1).NewClass("WDItem").Item("plain", "", kKindPlain); }), read);
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

TEST(CatalogArchive, BeaconStoredAsFolderKindIsNoFolderAfterLoading) {
  auto page = std::make_unique<WDValPage>("http://a/");
  WDValue& value = testing::AddTestBeacon(*page, "Odd", kKindText, "x", "");
  value.SetKind(kKindGroup);
  CatalogContents c;
  c.roots.push_back(MainRoot());
  auto* folder = static_cast<WDGroup*>(c.roots[0]->AddChild(new WDGroup("F", "")));
  folder->m_nKind = kKindNumber;  // a folder stored with a beacon's kind stays a folder
  folder->AddChild(&value);
  c.pages.push_back(std::move(page));

  CatalogContents read;
  ASSERT_TRUE(ReadCatalog(WriteContents(c), read).ok);
  const WDValue* loaded = read.pages[0]->GetValue(0);
  EXPECT_FALSE(loaded->IsGroup());
  const WDItem* read_folder = read.roots[0]->GetChild(0);
  ASSERT_TRUE(read_folder->IsGroup());
  EXPECT_EQ(static_cast<const WDGroup*>(read_folder)->GetChild(0), loaded);
}

// A folder class of a later version that this catalog format cannot store.
class UnstorableGroup : public WDGroup {};

TEST(CatalogArchive, CatalogThatCannotBeStoredGivesNoBytes) {
  CatalogContents c;
  c.roots.push_back(MainRoot());
  c.roots[0]->AddChild(new UnstorableGroup);
  std::string error;
  EXPECT_EQ(WriteCatalog(1, c.pages, c.roots, "", &error), "");
  EXPECT_NE(error.find("no archive class is registered"), std::string::npos) << error;
}

}  // namespace
}  // namespace quorvex::model
