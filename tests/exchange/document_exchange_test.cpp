#include "exchange/document_exchange.h"

#include <gtest/gtest.h>

#include "engine/qvx_doc.h"
#include "exchange/container_reader.h"
#include "model/val_page.h"
#include "platform/clock.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/recording_prompt.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace quorvex::exchange {
namespace {

namespace ids = platform::ids;

class DocumentExchange : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(doc.OnNewDocument(dir / "maindata.dat")); }
  void TearDown() override { platform::SetFixedNow(-1); }

  model::WDValue* Add(const std::string& name, const std::string& url, const std::string& pattern, uint16_t kind,
                      const std::string& unit = "") {
    model::WDValue* value = doc.NewBeacon();
    value->SetKind(kind);
    EXPECT_TRUE(value->SetProperties(name, url, pattern, "", unit));
    doc.GetRoot()->AddChild(value);
    return value;
  }

  testing::TestApp app;
  testing::RecordingPrompt prompt;
  testing::TempFolder dir;
  engine::WDQvxDoc doc;
};

TEST_F(DocumentExchange, ExportThenImportKeepsEveryKindAndSchedule) {
  struct Case {
    uint16_t kind;
    std::string pattern;
    std::string unit;
    int32_t atStart, unit_of_time, count;
  };
  const Case cases[] = {
      {model::kKindText, "<h1>\n\t{?}</h1>", "", 0, model::kUnitMinutes, 15},
      {model::kKindNumber, "Rate\t{?}\n", "EUR", 0, model::kUnitHours, 6},
      {model::kKindNumber, "Rate {?}", "", 0, model::kUnitWeeks, 2},                         // unit " "
      {model::kKindNumber, "Rate {?}", "\xD1\x80\xD1\x83\xD0\xB1", 0, model::kUnitDays, 3},  // UTF-8 unit
      {model::kKindChecksum, "", "", 0, model::kUnitMonths, 1},
      {model::kKindText, "a{?}b", "", 1, model::kUnitDays, 1},  // once per run
  };
  testing::TempFolder otherDir;
  engine::WDQvxDoc other;
  ASSERT_TRUE(other.OnNewDocument(otherDir / "maindata.dat"));
  std::vector<model::WDValue*> made;
  int n = 0;
  for (const Case& c : cases) {
    model::SetActiveDocument(&doc);  // other took over when it opened
    const std::string name = "Beacon " + std::to_string(++n);
    model::WDValue* original = Add(name, "http://site" + std::to_string(n) + ".example/p", c.pattern, c.kind, c.unit);
    original->SetDescription("line one\nline\ttwo");
    model::WDFreshFreq freq;
    freq.m_bAtStartOnly = c.atStart;
    freq.m_nUnit = c.unit_of_time;
    freq.m_nCount = c.count;
    ASSERT_TRUE(original->SetFrequency(freq));
    const std::string path = dir / (name + ".bcn");
    ASSERT_TRUE(ExportContainer(path, *original));
    ASSERT_EQ(ImportContainer(other, path, false, nullptr, &made), kImportDone);
    ASSERT_EQ(made.size(), static_cast<size_t>(n));
    EXPECT_EQ(ContainerFromValue(*made.back()), ContainerFromValue(*original)) << name;
    EXPECT_EQ(other.GetRoot()->GetChild(n - 1), made.back());
  }
  EXPECT_EQ(made[2]->GetUnit(), " ");
  EXPECT_TRUE(other.IsModified());
  EXPECT_TRUE(prompt.messages.empty());
  // Export remembers the folder, and says when it cannot write.
  EXPECT_EQ(app.Settings().m_strContainerPlace, dir.Path());
  EXPECT_FALSE(ExportContainer(dir / "missing/B.bcn", *static_cast<model::WDValue*>(doc.GetRoot()->GetChild(0))));
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].rfind(platform::GetString(ids::kMsgCantOpenFile), 0), 0u);
}

TEST_F(DocumentExchange, ImportFailuresAndTheQuestions) {
  EXPECT_EQ(ImportContainer(doc, dir / "missing.bcn", false), kImportFailed);
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].rfind(platform::GetString(ids::kMsgCantOpenFile), 0), 0u);
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::Exclamation);

  std::string path = dir.Write("bad.bcn", "[B]\ntype=other\nURL=http://a/\n");
  EXPECT_EQ(ImportContainer(doc, path, false), kImportFailed);
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[1].rfind(platform::GetString(ids::kMsgNoBeaconInFile), 0), 0u);

  path = dir.Write("good.bcn", "[B]\nURL=http://a/\n");
  prompt.answer = false;
  EXPECT_EQ(ImportContainer(doc, path, true), kImportDone);
  ASSERT_EQ(prompt.questions.size(), 1u);
  EXPECT_EQ(prompt.questions[0], platform::FillPlaceholders(platform::GetString(ids::kAskImportContainer), {path}));
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 0u);
  prompt.answer = true;
  EXPECT_EQ(ImportContainer(doc, path, true), kImportDone);
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 1u);
  EXPECT_EQ(prompt.messages.size(), 2u);

  // A Glimmer file without marker imports nothing, quietly.
  EXPECT_EQ(ImportContainer(doc, dir.Write("none.gm", "[X]\nURL=http://a/\nSearchPattern=a{?}\n"), false), kImportDone);
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 1u);
  EXPECT_EQ(prompt.messages.size(), 2u);

  // A local file as page address asks first, naming the file.
  prompt.answer = false;
  EXPECT_EQ(ImportContainer(doc, dir.Write("local.bcn", "[Notes]\nURL=file:///home/u/secret%20notes.txt\n"), false),
            kImportDone);
  ASSERT_EQ(prompt.questions.size(), 3u);
  EXPECT_EQ(prompt.questions[2],
            platform::FillPlaceholders(platform::GetString(ids::kAskImportLocalFile), {"/home/u/secret notes.txt"}));
  EXPECT_EQ(doc.GetRoot()->GetChildCount(), 1u);

  // A ".gm" file gives one beacon per marker: the i-th marker captures, earlier ones become skips,
  // later ones stay markers. The beacons share one page and go into the folder given.
  prompt.answer = true;
  model::WDGroup* folder = static_cast<model::WDGroup*>(doc.GetRoot()->AddChild(new model::WDGroup("In", "")));
  path = dir.Write("plain.gm", "[X]\nURL=/etc/passwd\nSearchPattern=a{%}b{%}c{%}d\nMeasurementUnit=kg\n");
  std::vector<model::WDValue*> made;
  ASSERT_EQ(ImportContainer(doc, path, false, folder, &made), kImportDone);
  ASSERT_EQ(prompt.questions.size(), 4u);
  EXPECT_NE(prompt.questions[3].find("\n/etc/passwd\n"), std::string::npos) << prompt.questions[3];
  ASSERT_EQ(made.size(), 3u);
  const char* names[] = {"X %0", "X %0 %1", "X %0 %1 %2"};
  const char* patterns[] = {"a{?}b{%}c{%}d", "a{*}b{?}c{%}d", "a{*}b{*}c{?}d"};
  for (size_t i = 0; i < made.size(); ++i) {
    EXPECT_EQ(made[i]->GetName(), names[i]);
    EXPECT_EQ(made[i]->GetPattern(), patterns[i]);
    EXPECT_EQ(made[i]->GetKind(), model::kKindNumber);
    EXPECT_EQ(made[i]->GetUnit(), "kg");
    EXPECT_EQ(folder->GetChild(i), made[i]);
  }
  EXPECT_EQ(made[0]->GetPage()->GetValueCount(), 3u);
}

TEST_F(DocumentExchange, ReportShowsTheCatalog) {
  platform::SetFixedNow(1600000000);
  model::WDValue* up = Add("Up", "http://rates.example/up", "Gold {?} USD", model::kKindNumber, "USD");
  model::WDValue* text = Add("Story", "http://news.example/", "<p>{?}</p>", model::kKindText);
  model::WDValue* never = Add("Never", "http://never.example/", "x{?}", model::kKindText);
  model::WDValue* off = Add("Off", "http://off.example/", "x{?}", model::kKindText);
  off->SetEnabled(false);
  up->Refresh("Gold 12.5 USD");
  platform::SetFixedNow(1600100000);
  up->Refresh("Gold 14 USD");
  text->Refresh("<p>Head: <a href=\"/story\" onclick=\"x()\">Storm</a><script>steal()</script></p>");
  never->GetPage()->m_timeFetched = 1500000000;

  std::string templatePath = dir.Write("catblank.htm", "<!Quorvex [CATALOGTABLE border=1]>\n");
  std::string reportPath = dir / "out/catreport.htm";
  ASSERT_TRUE(MakeCatalogReport(doc, templatePath, reportPath));
  std::string report = testing::ReadFileBytes(reportPath);
  auto has = [&report](const std::string& part) { return report.find(part) != std::string::npos; };
  EXPECT_TRUE(has(">Up</a></td>\r\n\t\t<td align=right>14 (<font color=blue>+1.5 </font>) USD</td>")) << report;
  EXPECT_TRUE(has("<td>Head: <a href=\"http://news.example/story\">Storm</a></td>")) << report;
  EXPECT_FALSE(has("script"));
  EXPECT_FALSE(has("Off"));
  std::vector<ReportRow> rows = ReportRowsOf(doc);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_FALSE(rows[2].sampleTime.has_value());
  EXPECT_EQ(rows[2].checkTime, 1500000000);
  EXPECT_EQ(rows[0].sampleTime, 1600100000);

  EXPECT_FALSE(MakeCatalogReport(doc, dir / "nothing.htm", reportPath));
  ASSERT_EQ(prompt.messages.size(), 1u);
  const std::string expected =
      platform::GetString(ids::kMsgInstallationDamaged) + "\n" + platform::GetString(ids::kMsgCantOpenFile) + "\n";
  EXPECT_EQ(prompt.messages[0].rfind(expected, 0), 0u) << prompt.messages[0];
  // A report that cannot be written says so too.
  EXPECT_FALSE(MakeCatalogReport(doc, templatePath, templatePath + "/catreport.htm"));
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[1].rfind(platform::GetString(ids::kMsgCantOpenFile), 0), 0u);
}

}  // namespace
}  // namespace quorvex::exchange
