#include "engine/qvx_doc.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/archive_bytes.h"
#include "support/recording_prompt.h"
#include "support/rich_catalog.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace quorvex::engine {
namespace {

class CatalogDocument : public ::testing::Test {
 protected:
  model::WDValue* AddBeacon(const std::string& name, const std::string& url, const std::string& pattern = "") {
    model::WDValue* value = doc.NewBeacon();
    EXPECT_TRUE(value->SetProperties(name, url, pattern, "", ""));
    doc.GetRoot()->AddChild(value);
    return value;
  }

  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  const std::string path = dir / "maindata.dat";
  WDQvxDoc doc;
};

TEST_F(CatalogDocument, MissingFileStartsAnEmptyCatalogWhosePagesComeAndGo) {
  ASSERT_TRUE(doc.OnNewDocument(path));
  ASSERT_EQ(doc.GetRoots().size(), 1u);
  EXPECT_EQ(doc.GetRoot()->GetName(), "Catalog");
  EXPECT_EQ(doc.GetRoot()->GetDescription(), "The main beacons' catalog");
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 0u);
  EXPECT_FALSE(doc.IsModified());

  // Addresses differing in case share one page.
  model::WDValue* a = AddBeacon("a", "http://Example.com/Page");
  model::WDValue* b = AddBeacon("b", "http://example.com/page");
  EXPECT_EQ(a->GetPage(), b->GetPage());
  EXPECT_EQ(doc.GetPages().size(), 1u);
  EXPECT_EQ(doc.FindPage("HTTP://EXAMPLE.COM/PAGE", false), a->GetPage());
  EXPECT_EQ(doc.FindPage("http://other/", false), nullptr);

  // Checking the alerts says when nothing fired.
  EXPECT_EQ(doc.CheckAllAlerts(), 0);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], platform::GetString(platform::ids::kMsgNoAlertFired));
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::Information);

  // A deleted beacon leaves the tree; its page goes with the last one.
  ASSERT_TRUE(doc.DeleteBeacon(a));
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 1u);
  EXPECT_EQ(doc.AllBeacons().size(), 1u);
  EXPECT_EQ(doc.GetPages().size(), 1u);
  ASSERT_TRUE(doc.DeleteBeacon(b));
  EXPECT_TRUE(doc.GetPages().empty());
}

TEST_F(CatalogDocument, BrokenOrCutFileIsReportedAndNeverOverwritten) {
  const std::string bytes = testing::WriteContents(testing::MakeRichCatalog(3));
  for (const auto& [content, reason] : {std::pair<std::string, std::string>{"\x01\x02\x03 this is not a catalog", ""},
                                        {bytes.substr(0, bytes.size() - 1), "\nend of file"}}) {
    prompt.messages.clear();
    testing::WriteFileBytes(path, content);
    EXPECT_FALSE(doc.OnNewDocument(path));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].rfind(platform::GetString(platform::ids::kMsgCantOpenFile) + "\n" + path + reason, 0),
              0u)
        << prompt.messages[0];
    // An empty catalog to show, never saved over the file.
    ASSERT_NE(doc.GetRoot(), nullptr);
    EXPECT_TRUE(doc.AllBeacons().empty());
    AddBeacon("x", "http://example.com/");
    EXPECT_FALSE(doc.Save());
    EXPECT_TRUE(testing::ReadFileBytes(path) == content);
  }
}

TEST_F(CatalogDocument, MovingABeaconAsksAboutTheOthersAndDropsEmptyPages) {
  doc.OnNewDocument(path);
  model::WDValue* a = AddBeacon("a", "http://one/");
  model::WDValue* b = AddBeacon("b", "http://one/");
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

  model::WDValue* c = AddBeacon("c", "http://four/");
  ASSERT_TRUE(b->AttachToPage("http://four/"));  // a stays behind on "three": question answered yes
  EXPECT_EQ(prompt.questions.size(), 2u);
  EXPECT_EQ(a->GetPage(), c->GetPage());
  EXPECT_EQ(doc.GetPages().size(), 1u);
}

TEST_F(CatalogDocument, RepairFlattensAnOlderRootAndPlacesOrphans) {
  doc.OnNewDocument(path);
  model::WDValue* a = AddBeacon("a", "http://one/", "x{?}y");
  model::WDValue* b = AddBeacon("b", "http://two/");
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

TEST_F(CatalogDocument, OpeningAndSavingKeepsEveryByte) {
  const std::string bytes = testing::WriteContents(testing::MakeRichCatalog(50));
  testing::WriteFileBytes(path, bytes);
  ASSERT_TRUE(doc.OnNewDocument(path));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.AllBeacons().size(), 6u);
  ASSERT_TRUE(doc.Save());
  EXPECT_TRUE(testing::ReadFileBytes(path) == bytes);

  // An older file is marked modified and saved in the current layout.
  testing::WriteFileBytes(path, testing::OlderGenerationCatalog());
  ASSERT_TRUE(doc.OnNewDocument(path));
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(app.Settings().m_bOldFormat, 1);
  ASSERT_EQ(doc.AllBeacons().size(), 1u);
  EXPECT_EQ(doc.AllBeacons()[0]->GetURL(), "http://old.example/");
  EXPECT_EQ(doc.m_strNote, "old note");
  ASSERT_TRUE(doc.SaveModified(true));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(app.Settings().m_bOldFormat, 0);
  EXPECT_FALSE(model::IsOldLayout(testing::ReadFileBytes(path)));
  ASSERT_TRUE(doc.OnNewDocument(path));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.AllBeacons()[0]->GetAlert().GetEventCount(), 2u);
}

// A folder class of a later version that the catalog file cannot store.
class UnstorableGroup : public model::WDGroup {};

TEST_F(CatalogDocument, CatalogThatCannotBeWrittenLeavesTheFileAlone) {
  ASSERT_TRUE(doc.OnNewDocument(path));
  AddBeacon("a", "http://one/");
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
