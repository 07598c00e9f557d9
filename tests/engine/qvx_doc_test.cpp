#include "engine/qvx_doc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/archive_bytes.h"
#include "support/recording_prompt.h"
#include "support/rich_catalog.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace quorvex::engine {
namespace {

model::WDValue* AddBeacon(WDQvxDoc& doc, const std::string& name, const std::string& url,
                          const std::string& pattern = "") {
  model::WDValue* value = doc.NewBeacon();
  EXPECT_TRUE(value->SetProperties(name, url, pattern, "", ""));
  doc.GetRoot()->AddChild(value);
  return value;
}

TEST(CatalogDocument, MissingFileStartsAnEmptyCatalog) {
  testing::TestApp app;
  testing::TempFolder dir;
  WDQvxDoc doc;
  ASSERT_TRUE(doc.OnNewDocument(dir / "maindata.dat"));
  ASSERT_EQ(doc.GetRoots().size(), 1u);
  EXPECT_EQ(doc.GetRoot()->GetName(), "Catalog");
  EXPECT_EQ(doc.GetRoot()->GetDescription(), "The main beacons' catalog");
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 0u);
  EXPECT_FALSE(doc.IsModified());
}

TEST(CatalogDocument, BrokenFileIsReportedAndNeverOverwritten) {
  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  const std::string path = dir / "maindata.dat";
  const std::string garbage = "\x01\x02\x03 this is not a catalog";
  std::ofstream(path, std::ios::binary) << garbage;
  WDQvxDoc doc;
  EXPECT_FALSE(doc.OnNewDocument(path));
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].rfind(platform::GetString(platform::ids::kMsgCantOpenFile), 0), 0u);
  AddBeacon(doc, "x", "http://example.com/");
  EXPECT_FALSE(doc.Save());
  std::ifstream in(path, std::ios::binary);
  std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, garbage);
}

TEST(CatalogDocument, AddressesDifferingInCaseShareOnePage) {
  testing::TestApp app;
  testing::TempFolder dir;
  WDQvxDoc doc;
  doc.OnNewDocument(dir / "maindata.dat");
  model::WDValue* a = AddBeacon(doc, "a", "http://Example.com/Page");
  model::WDValue* b = AddBeacon(doc, "b", "http://example.com/page");
  EXPECT_EQ(a->GetPage(), b->GetPage());
  EXPECT_EQ(doc.GetPages().size(), 1u);
  EXPECT_EQ(doc.FindPage("HTTP://EXAMPLE.COM/PAGE", false), a->GetPage());
  EXPECT_EQ(doc.FindPage("http://other/", false), nullptr);
}

TEST(CatalogDocument, MovingABeaconAsksAboutTheOthersAndDropsEmptyPages) {
  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  WDQvxDoc doc;
  doc.OnNewDocument(dir / "maindata.dat");
  model::WDValue* a = AddBeacon(doc, "a", "http://one/");
  model::WDValue* b = AddBeacon(doc, "b", "http://one/");
  a->GetPage()->m_freq.m_bAtStartOnly = 0;
  a->GetPage()->m_freq.m_nCount = 7;

  prompt.answer = false;
  ASSERT_TRUE(a->AttachToPage("http://two/"));
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_NE(a->GetPage(), b->GetPage());
  EXPECT_EQ(a->GetPage()->m_freq.m_nCount, 7);  // the schedule travels with the beacon
  EXPECT_EQ(doc.GetPages().size(), 2u);

  prompt.answer = true;
  ASSERT_TRUE(a->AttachToPage("http://three/"));  // "two" is left empty and deleted, no question
  EXPECT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(doc.GetPages().size(), 2u);
  ASSERT_TRUE(b->AttachToPage("http://three/"));
  EXPECT_EQ(doc.GetPages().size(), 1u);
  EXPECT_EQ(a->GetPage(), b->GetPage());

  model::WDValue* c = AddBeacon(doc, "c", "http://four/");
  ASSERT_TRUE(b->AttachToPage("http://four/"));  // a stays behind on "three": question answered yes
  EXPECT_EQ(prompt.questions.size(), 2u);
  EXPECT_EQ(a->GetPage(), c->GetPage());
  EXPECT_EQ(doc.GetPages().size(), 1u);
}

TEST(CatalogDocument, RepairFlattensAnOlderRootAndPlacesOrphans) {
  testing::TestApp app;
  testing::TempFolder dir;
  WDQvxDoc doc;
  doc.OnNewDocument(dir / "maindata.dat");
  model::WDValue* a = AddBeacon(doc, "a", "http://one/", "x{?}y");
  model::WDValue* b = AddBeacon(doc, "b", "http://two/");
  auto* folder = static_cast<model::WDGroup*>(doc.GetRoot()->AddChild(new model::WDGroup("old", "")));
  doc.GetRoot()->RemoveChild(a);
  folder->AddChild(a);
  doc.GetRoot()->RemoveChild(b);  // an orphan
  b->SetKind(model::kKindText);
  doc.Repair();
  EXPECT_TRUE(doc.GetRoot()->Contains(b));
  EXPECT_EQ(doc.GetRoot()->GetChild(doc.GetRoot()->GetChildCount() - 1), b);
  EXPECT_EQ(b->GetKind(), model::kKindChecksum);  // empty pattern
  EXPECT_EQ(folder->GetChild(0), a);

  doc.GetRoot()->SetName("Beacons");
  doc.Repair();
  EXPECT_EQ(doc.GetRoot()->GetName(), "Catalog");
  ASSERT_EQ(doc.GetRoot()->GetChildCount(), 2u);  // flat, page by page
  EXPECT_EQ(doc.GetRoot()->GetChild(0), a);
  EXPECT_EQ(doc.GetRoot()->GetChild(1), b);
}

TEST(CatalogDocument, DeleteBeaconRemovesItFromTreeAndPage) {
  testing::TestApp app;
  testing::TempFolder dir;
  WDQvxDoc doc;
  doc.OnNewDocument(dir / "maindata.dat");
  model::WDValue* a = AddBeacon(doc, "a", "http://one/");
  AddBeacon(doc, "b", "http://one/");
  ASSERT_TRUE(doc.DeleteBeacon(a));
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 1u);
  EXPECT_EQ(doc.AllBeacons().size(), 1u);
  ASSERT_TRUE(doc.DeleteBeacon(doc.AllBeacons()[0]));
  EXPECT_TRUE(doc.GetPages().empty());
}

TEST(CatalogDocument, CheckAllAlertsSaysWhenNothingFired) {
  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  WDQvxDoc doc;
  doc.OnNewDocument(dir / "maindata.dat");
  AddBeacon(doc, "a", "http://one/");
  EXPECT_EQ(doc.CheckAllAlerts(), 0);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], platform::GetString(platform::ids::kMsgNoAlertFired));
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::Information);
}

TEST(CatalogDocument, OpeningAndSavingKeepsEveryByte) {
  testing::TestApp app;
  testing::TempFolder dir;
  const std::string path = dir / "maindata.dat";
  const std::string bytes = testing::WriteContents(testing::MakeRichCatalog(50));
  testing::WriteFileBytes(path, bytes);
  WDQvxDoc doc;
  ASSERT_TRUE(doc.OnNewDocument(path));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.AllBeacons().size(), 6u);
  ASSERT_TRUE(doc.Save());
  EXPECT_TRUE(testing::ReadFileBytes(path) == bytes);
}

TEST(CatalogDocument, OlderFileIsMarkedModifiedAndSavedInTheCurrentLayout) {
  testing::TestApp app;
  testing::TempFolder dir;
  const std::string path = dir / "maindata.dat";
  testing::WriteFileBytes(path, testing::OlderGenerationCatalog());
  {
    WDQvxDoc doc;
    ASSERT_TRUE(doc.OnNewDocument(path));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(app.Settings().m_bOldFormat, 1);
    ASSERT_EQ(doc.AllBeacons().size(), 1u);
    EXPECT_EQ(doc.AllBeacons()[0]->GetURL(), "http://old.example/");
    EXPECT_EQ(doc.m_strNote, "old note");
    ASSERT_TRUE(doc.SaveModified(true));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(app.Settings().m_bOldFormat, 0);
  }
  const std::string saved = testing::ReadFileBytes(path);
  EXPECT_FALSE(model::IsOldLayout(saved));
  WDQvxDoc doc;
  ASSERT_TRUE(doc.OnNewDocument(path));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.AllBeacons()[0]->GetAlert().GetEventCount(), 2u);
}

TEST(CatalogDocument, CutFileIsReportedWithItsReason) {
  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  const std::string path = dir / "maindata.dat";
  const std::string bytes = testing::WriteContents(testing::MakeRichCatalog(3));
  const std::string cut = bytes.substr(0, bytes.size() - 1);
  testing::WriteFileBytes(path, cut);
  WDQvxDoc doc;
  EXPECT_FALSE(doc.OnNewDocument(path));
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(
      prompt.messages[0].rfind(platform::GetString(platform::ids::kMsgCantOpenFile) + "\n" + path + "\nend of file", 0),
      0u)
      << prompt.messages[0];
  ASSERT_NE(doc.GetRoot(), nullptr);  // an empty catalog to show, never saved over the file
  EXPECT_TRUE(doc.AllBeacons().empty());
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(testing::ReadFileBytes(path) == cut);
}

// A folder class of a later version that the catalog file cannot store.
class UnstorableGroup : public model::WDGroup {};

TEST(CatalogDocument, CatalogThatCannotBeWrittenLeavesTheFileAlone) {
  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  const std::string path = dir / "maindata.dat";
  WDQvxDoc doc;
  ASSERT_TRUE(doc.OnNewDocument(path));
  AddBeacon(doc, "a", "http://one/");
  ASSERT_TRUE(doc.Save());
  const std::string saved = testing::ReadFileBytes(path);
  doc.GetRoot()->AddChild(new UnstorableGroup);
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(doc.IsModified());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].rfind(platform::GetString(platform::ids::kMsgCantOpenFile), 0), 0u);
  EXPECT_TRUE(testing::ReadFileBytes(path) == saved);
}

}  // namespace
}  // namespace quorvex::engine
