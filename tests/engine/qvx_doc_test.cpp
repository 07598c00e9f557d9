// The catalog document: its file, its pages, its mail deliveries, and its refresh pass against a real HTTP
// server on loopback (the online check, which pages are fetched when, how many at once, and how jobs are given
// up and retired).
#include "engine/qvx_doc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "engine/fetch_session.h"
#include "engine/fetch_worker.h"
#include "engine/mail_deliveries.h"
#include "engine/online_check.h"
#include "model/alert.h"
#include "model/history_record.h"
#include "platform/agent_state.h"
#include "platform/clock.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "support/archive_bytes.h"
#include "support/http_test_server.h"
#include "support/loopback.h"
#include "support/recording_prompt.h"
#include "support/rich_catalog.h"
#include "support/scripted_smtp_server.h"
#include "support/temp_folder.h"
#include "support/test_app.h"

namespace quorvex::engine {
namespace {

using namespace std::chrono_literals;
using quorvex::testing::HttpRoute;
using quorvex::testing::HttpTestServer;

class CatalogDocument : public ::testing::Test {
 protected:
  model::WDValue* AddBeacon(const std::string& name, const std::string& url, const std::string& pattern = "") {
    model::WDValue* value = doc.NewBeacon();
    EXPECT_TRUE(value->SetProperties(name, url, pattern, "", ""));
    doc.GetRoot()->AddChild(value);
    return value;
  }

  testing::TempFolder dir;
  testing::ScopedEnv config{"QUORVEX_CONFIG_DIR", dir.Path()};
  testing::TestApp app;
  testing::RecordingPrompt prompt;
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

// A folder class of a later version that the catalog file cannot store.
class UnstorableGroup : public model::WDGroup {};

TEST_F(CatalogDocument, OpeningAndSavingKeepsEveryByteAndAFailedSaveKeepsTheFile) {
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

  // A catalog that cannot be written leaves the file alone.
  const std::string saved = testing::ReadFileBytes(path);
  doc.GetRoot()->AddChild(new UnstorableGroup);
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(doc.IsModified());
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0].rfind(platform::GetString(platform::ids::kMsgCantOpenFile), 0), 0u);
  EXPECT_TRUE(testing::ReadFileBytes(path) == saved);
}

// A relay that says nothing until released is set.
testing::LoopbackServer::Script HeldRelay(std::promise<void>& released) {
  return [future = released.get_future().share()](testing::ServerConnection& c) {
    if (future.wait_for(10s) == std::future_status::ready) testing::SmtpDialogue({})(c);
  };
}

// The e-mail action with a document: delivered off the calling thread, its result through the dispatcher.
TEST_F(CatalogDocument, MailActionReturnsAtOnceAndTheResultComesThroughTheDispatcher) {
  model::WDValPage page("http://shop.example.com/");
  page.AddValue(std::make_unique<model::WDValue>());
  model::WDAlertEmail& mail =
      page.GetValue(0)->GetAlert().AddEvent(std::make_unique<model::WDEventMessager>()).m_actEmail;
  mail.m_bEnabled = 1;
  mail.m_strTo = "ann@example.com";
  app.Settings().m_strEmail = "monitor@example.com";
  app.Settings().m_nTimeOut = 5;
  // Drains the dispatcher until a closure ran or a generous deadline passed.
  const auto runUntilSomethingRan = [&] {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (doc.GetDispatcher()->WaitAndRun(100ms) == 0 && std::chrono::steady_clock::now() < deadline) {
    }
  };
  const std::string label = platform::GetString(platform::ids::kEmailLabel) + "ann@example.com\n";

  std::promise<void> released;
  testing::LoopbackServer server(HeldRelay(released));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(server.Port());
  // The relay has not even greeted yet: the action does not wait for it.
  EXPECT_TRUE(mail.Fire());
  EXPECT_EQ(doc.PendingMail(), 1u);
  EXPECT_TRUE(prompt.messages.empty());
  released.set_value();
  runUntilSomethingRan();
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0], label + platform::GetString(platform::ids::kMsgMailSent));
  EXPECT_EQ(doc.PendingMail(), 0u);
  EXPECT_NE(server.Received().find("RCPT TO: <ann@example.com>"), std::string::npos);

  // A delivery still running at the end is given up with a message.
  std::promise<void> late;
  testing::LoopbackServer lateServer(HeldRelay(late));
  app.Settings().m_strSMTPServ = "127.0.0.1:" + std::to_string(lateServer.Port());
  EXPECT_TRUE(mail.Fire());
  EXPECT_EQ(doc.FinishMail(200ms), 1u);
  ASSERT_EQ(prompt.messages.size(), 2u);
  EXPECT_EQ(prompt.messages[1], label + platform::GetString(platform::ids::kMsgMailGivenUp));
  EXPECT_EQ(prompt.icons[1], platform::PromptIcon::Exclamation);
  EXPECT_EQ(doc.PendingMail(), 0u);
  // The late result of the given-up delivery is told nobody.
  late.set_value();
  lateServer.Received();
  runUntilSomethingRan();
  EXPECT_EQ(prompt.messages.size(), 2u);
}

class RecordingTarget : public FetchTarget {
 public:
  void OnFetchNotification(Notification code, const std::shared_ptr<WDFetchJob>&) override { codes.push_back(code); }
  std::vector<Notification> codes;
};

class CountingAgentState : public platform::AgentStateHost {
 public:
  CountingAgentState() { platform::SetAgentState(this); }
  ~CountingAgentState() override { platform::SetAgentState(nullptr); }
  void UpdateAgentState() override { ++calls; }
  int calls = 0;
};

TEST(OnlineCheck, ClassifiesAddresses) {
  using A = NetworkAnswer;
  EXPECT_EQ(ClassifyAddresses({}), A::None);
  EXPECT_EQ(ClassifyAddresses({"127.0.0.1", "127.0.1.1", "::1"}), A::None);
  EXPECT_EQ(ClassifyAddresses({"169.254.3.4"}), A::LinkLocal);
  EXPECT_EQ(ClassifyAddresses({"fe80::1"}), A::LinkLocal);
  EXPECT_EQ(ClassifyAddresses({"192.168.1.20"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"169.254.3.4", "10.0.0.5"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"172.16.0.1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"172.31.255.1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"100.64.0.1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"fd12:3456::1"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"172.32.0.1"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"172.15.0.1"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"192.169.0.1"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"10.1.1.1", "93.184.216.34"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"fe80::1", "2001:db8::7"}), A::Public);
  EXPECT_EQ(ClassifyAddresses({"::ffff:192.168.0.2"}), A::Private);
  EXPECT_EQ(ClassifyAddresses({"not an address", "", "300.1.1.1"}), A::None);

  EXPECT_TRUE(CountsAsOnline(A::Public));
  EXPECT_TRUE(CountsAsOnline(A::Private));
  EXPECT_FALSE(CountsAsOnline(A::LinkLocal));
  EXPECT_FALSE(CountsAsOnline(A::None));
}

TEST(OnlineCheck, AsksOncePerTickAndKeepsTheAnswerUntilInvalidatedOrOfflineWhenItCannot) {
  std::vector<std::string> addresses = {"192.168.1.20"};
  int asked = 0;
  WDOnlineCheck check([&](std::vector<std::string>& out) {
    ++asked;
    out = addresses;
    return true;
  });
  EXPECT_EQ(check.GetState(), WDOnlineCheck::Unknown);
  EXPECT_EQ(check.IsOnline(), 1);
  EXPECT_EQ(check.IsOnline(), 1);
  EXPECT_EQ(asked, 1);
  addresses = {"127.0.0.1", "169.254.0.9"};
  EXPECT_EQ(check.IsOnline(), 1);
  check.Invalidate();
  EXPECT_EQ(check.GetState(), WDOnlineCheck::Unknown);
  EXPECT_EQ(check.IsOnline(), 0);
  EXPECT_EQ(check.GetState(), WDOnlineCheck::Offline);
  EXPECT_EQ(asked, 2);

  // Offline while asking, and when the addresses cannot be listed.
  WDOnlineCheck* self = nullptr;
  int inner = -1;
  WDOnlineCheck reentered([&](std::vector<std::string>& out) {
    inner = self->IsOnline();
    self->Invalidate();  // stays Asking
    out = {"8.8.8.8"};
    return true;
  });
  self = &reentered;
  EXPECT_EQ(reentered.IsOnline(), 1);
  EXPECT_EQ(inner, 0);

  WDOnlineCheck failing([](std::vector<std::string>& out) {
    out = {"8.8.8.8"};
    return false;
  });
  EXPECT_EQ(failing.IsOnline(), 0);
}

WDOnlineCheck FixedNetwork(std::vector<std::string> addresses) {
  return WDOnlineCheck([addresses](std::vector<std::string>& out) {
    out = addresses;
    return true;
  });
}

class RefreshScheduler : public CatalogDocument {
 protected:
  static void SetUpTestSuite() { testing::ClearProxyEnvironment(); }
  void SetUp() override {
    SetStopFlag(false);
    SessionConfig config;
    // Long enough that the hanging servers below hang until a test ends them.
    config.timeoutSeconds = 60;
    config.retries = 1;
    ASSERT_TRUE(CreateSession(config));
    ASSERT_TRUE(doc.OnNewDocument(path));
    doc.OnlineCheck() = FixedNetwork({"203.0.113.9"});
  }
  void TearDown() override {
    SetStopFlag(true);
    EXPECT_TRUE(FetchWorker::WaitForAll(60s));
    doc.GetDispatcher()->RunPending();
    SetStopFlag(false);
    CloseSession();
    platform::SetFixedNow(-1);
  }

  // Serves body at path and adds a beacon on it.
  model::WDValue* AddServed(const std::string& name, const std::string& path, const std::string& body,
                            const std::string& pattern = "") {
    server.Serve(path, HttpTestServer::Response(body));
    return AddBeacon(name, server.Url(path), pattern);
  }

  // Why the document refuses to start a fetch of page (None when it started one).
  StartRefusal Refusal(model::WDValPage* page, int byUser) {
    StartRefusal why = StartRefusal::None;
    doc.StartPageFetch(page, byUser, &why);
    return why;
  }

  // Runs the UI side until no job is listed.
  void Drain() {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (doc.IsBusy() > 0 && std::chrono::steady_clock::now() < deadline) doc.GetDispatcher()->WaitAndRun(100ms);
    ASSERT_EQ(doc.IsBusy(), 0u);
  }

  HttpTestServer server;
};

TEST_F(RefreshScheduler, ThreadLimitStartsTwoOfFiveDuePagesPerTick) {
  app.Settings().m_nThreadsAtTheTime = 2;
  CountingAgentState agent;
  std::vector<model::WDValue*> values;
  for (int i = 1; i <= 5; ++i) {
    values.push_back(AddServed("b" + std::to_string(i), "/p" + std::to_string(i), "page " + std::to_string(i) + "\n"));
  }
  const std::vector<size_t> startedPerTick = {2, 2, 1};
  const std::vector<int> triedPerTick = {5, 3, 1};
  for (size_t tick = 0; tick < startedPerTick.size(); ++tick) {
    EXPECT_EQ(doc.OnTimerTick(), triedPerTick[tick]) << tick;
    EXPECT_EQ(doc.IsBusy(), startedPerTick[tick]) << tick;
    Drain();
  }
  EXPECT_EQ(doc.OnTimerTick(), 0);
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(server.GetCount("/p" + std::to_string(i)), 1u) << i;
  for (model::WDValue* value : values) {
    EXPECT_EQ(value->GetHistory().GetCount(), 1) << value->GetName();
    EXPECT_FALSE(value->IsDue());
  }
  // The agent state hears when work starts and when it all ends, once per tick each.
  EXPECT_EQ(agent.calls, 6);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(RefreshScheduler, AsManyAsPossibleStartsUpToTheCeilingAndTheRestAsSlotsFree) {
  app.Settings().m_nThreadsAtTheTime = 0;
  // Local files: as many connections at once would overrun the test server.
  std::vector<model::WDValue*> values;
  for (size_t i = 0; i < kMaxSimultaneousFetches + 2; ++i) {
    const std::string name = std::to_string(i);
    values.push_back(AddBeacon(name, dir.Write("pages/" + name + ".html", "page\n")));
  }
  // Stop drops the waiting pages with the running fetches.
  EXPECT_EQ(doc.RefreshAll(), static_cast<int>(kMaxSimultaneousFetches));
  EXPECT_EQ(doc.WaitingCount(), 2u);
  EXPECT_TRUE(doc.StopAll());
  EXPECT_EQ(doc.WaitingCount(), 0u);
  Drain();
  EXPECT_EQ(values.back()->GetHistory().GetCount(), 0);

  EXPECT_EQ(doc.RefreshAll(), static_cast<int>(kMaxSimultaneousFetches));
  EXPECT_EQ(doc.IsBusy(), kMaxSimultaneousFetches);
  Drain();
  EXPECT_EQ(doc.WaitingCount(), 0u);
  // Pages read before the stop have two samples by now, the others one.
  for (model::WDValue* value : values) {
    EXPECT_EQ(value->GetPage()->m_nState, FetchResultOk) << value->GetName();
    EXPECT_GE(value->GetHistory().GetCount(), 1) << value->GetName();
  }
}

TEST_F(RefreshScheduler, AutoFreshingOffLeavesTheTickIdleButUserCommandsFetch) {
  app.Settings().m_bAutoFreshing = 0;
  model::WDValue* a = AddServed("a", "/a", "a\n");
  model::WDValue* b = AddServed("b", "/b", "b\n");
  EXPECT_TRUE(a->IsDue());
  EXPECT_EQ(doc.OnTimerTick(), 0);
  EXPECT_EQ(doc.IsBusy(), 0u);
  EXPECT_TRUE(a->RequestRefresh(false));
  Drain();
  EXPECT_EQ(a->GetHistory().GetCount(), 1);
  EXPECT_EQ(doc.RefreshAll(), 2);
  Drain();
  EXPECT_EQ(server.GetCount("/a"), 2u);
  EXPECT_EQ(server.GetCount("/b"), 1u);
  EXPECT_EQ(b->GetHistory().GetCount(), 1);
  // Stop is there only while something runs: a stray stop must not hold back the next pass.
  EXPECT_FALSE(doc.StopAll());
  doc.GetFetchManager().RequestStop();
  EXPECT_FALSE(IsStopFlagSet());

  // Stop ends every running fetch. Until then another page record with the address in other letters is
  // not fetched beside it.
  server.Route("/hang", HttpRoute{{}, 0, 0, true});
  model::WDValue* hang = AddBeacon("hang", server.Url("/hang"));
  EXPECT_EQ(doc.RefreshAll(), 3);
  EXPECT_TRUE(doc.GetFetchManager().IsUrlInProgress(server.Url("/HANG")));
  model::WDValPage stray(server.Url("/Hang"));
  stray.AddValue(std::make_unique<model::WDValue>());
  EXPECT_TRUE(doc.StopAll());
  EXPECT_EQ(Refusal(&stray, 1), StartRefusal::InProgress);
  Drain();
  EXPECT_EQ(hang->GetPage()->m_nState, FetchResultStopped);
  EXPECT_FALSE(IsStopFlagSet());
}

// Once per run is left to the model's tests.
TEST_F(RefreshScheduler, DueRulesIntervalsTimedOutAndDisabledPages) {
  const int64_t start = app.Context().GetStartTime();
  model::WDValue* interval = AddBeacon("interval", server.Url("/y"));
  model::WDValue* timedOut = AddBeacon("timed out", server.Url("/z"));
  model::WDValue* disabled = AddBeacon("disabled", server.Url("/w"));

  // Every 5 minutes: due from newest + 300 s on.
  model::WDValPage* page = interval->GetPage();
  page->m_freq.m_bAtStartOnly = 0;
  page->m_freq.m_nUnit = model::kUnitMinutes;
  page->m_freq.m_nCount = 5;
  platform::SetFixedNow(start + 1000);
  interval->GetHistory().AddRecord(model::WDHistoryRecord("v", start + 701));
  EXPECT_FALSE(interval->IsDue());
  interval->GetHistory().AddRecord(model::WDHistoryRecord("w", start + 700));
  EXPECT_TRUE(interval->IsDue());

  // A page whose last fetch was given up waits for the user.
  timedOut->GetPage()->m_nState = model::kPageOverdue;
  EXPECT_FALSE(timedOut->IsDue());
  disabled->SetEnabled(false);
  EXPECT_FALSE(disabled->IsDue());

  server.Serve("/y", HttpTestServer::Response("y\n"));
  server.Serve("/z", HttpTestServer::Response("z\n"));
  EXPECT_EQ(doc.OnTimerTick(), 1);  // only the interval page
  EXPECT_TRUE(doc.GetFetchManager().IsUrlInProgress(server.Url("/y")));
  Drain();
  EXPECT_EQ(server.GetCount("/z"), 0u);
  EXPECT_EQ(Refusal(disabled->GetPage(), 1), StartRefusal::NoEnabledBeacon);
  EXPECT_TRUE(timedOut->RequestRefresh(false));
  Drain();
  EXPECT_EQ(timedOut->GetPage()->m_nState, model::kPageFetched);
  EXPECT_EQ(timedOut->GetLastText(true, 0).rfind("#CRC#", 0), 0u);
  EXPECT_FALSE(timedOut->IsDue());
}

TEST_F(RefreshScheduler, OfflineThePassFetchesOnlyPagesOnThisMachine) {
  // The network page goes through a proxy on loopback, so that no test traffic leaves the machine.
  SessionConfig config;
  config.viaProxy = true;
  config.proxyServer = "127.0.0.1";
  config.proxyPort = server.Port();
  config.retries = 1;
  ASSERT_TRUE(CreateSession(config));
  const std::string netUrl = "http://192.0.2.77/net";
  server.Serve(netUrl, HttpTestServer::Response("net\n"));
  // The proxy serves the loopback page too.
  server.Serve(server.Url("/here"), HttpTestServer::Response("here\n"));
  doc.OnlineCheck() = FixedNetwork({"127.0.0.1", "169.254.3.4"});
  const std::string file = dir / "page.html";
  testing::WriteFileBytes(file, "<i>local</i>\n");
  model::WDValue* local = AddBeacon("local", "file://" + file, "<i>{?}</i>");
  model::WDValue* here = AddBeacon("here", server.Url("/here"));
  model::WDValue* net = AddBeacon("net", netUrl);
  model::WDValue* secure = AddBeacon("secure", "https://192.0.2.77/");
  EXPECT_EQ(doc.OnTimerTick(), 4);
  EXPECT_EQ(doc.IsBusy(), 2u);
  Drain();
  EXPECT_EQ(local->GetLastText(true, 0), "local");
  EXPECT_EQ(here->GetHistory().GetCount(), 1);
  EXPECT_EQ(net->GetHistory().GetCount(), 0);
  EXPECT_EQ(Refusal(net->GetPage(), 0), StartRefusal::Offline);
  // The user's command does not ask.
  EXPECT_TRUE(doc.StartPageFetch(net->GetPage(), 1));
  Drain();
  EXPECT_EQ(net->GetHistory().GetCount(), 1);
  // With a proxy, a private address counts as online. Secure pages go through the proxy too, as a tunnel.
  doc.OnlineCheck() = FixedNetwork({"192.168.1.20"});
  EXPECT_TRUE(doc.StartPageFetch(net->GetPage(), 0));
  Drain();
  EXPECT_TRUE(doc.StartPageFetch(secure->GetPage(), 0));
  Drain();
  EXPECT_EQ(secure->GetPage()->m_nState, FetchResultFailed);
  ASSERT_EQ(server.Requests().size(), 4u);
  EXPECT_EQ(server.Requests()[3].rfind("CONNECT 192.0.2.77:443 HTTP/1.1\r\n", 0), 0u);
}

TEST_F(RefreshScheduler, OverdueJobIsGivenUpAndStopsThePassUntilAllAreRetired) {
  doc.SetOverdueLimit(5);
  server.Route("/hang1", HttpRoute{{}, 0, 0, true});
  server.Route("/hang2", HttpRoute{{}, 0, 0, true});
  model::WDValue* first = AddBeacon("first", server.Url("/hang1"));
  model::WDValue* second = AddBeacon("second", server.Url("/hang2"));
  model::WDValue* later = AddServed("later", "/later", "later\n");

  const int64_t t0 = platform::Now();
  platform::SetFixedNow(t0);
  ASSERT_TRUE(doc.StartPageFetch(first->GetPage(), 1));
  platform::SetFixedNow(t0 + 3);
  ASSERT_TRUE(doc.StartPageFetch(second->GetPage(), 1));
  std::vector<std::shared_ptr<WDFetchJob>> jobs = doc.GetFetchManager().GetJobs();
  ASSERT_EQ(jobs.size(), 2u);
  std::weak_ptr<WDFetchJob> overdue = jobs[0];
  jobs.clear();

  // Five seconds exactly is not overdue yet.
  platform::SetFixedNow(t0 + 5);
  EXPECT_FALSE(doc.GetFetchManager().AbortOverdue(5));
  // At six seconds the first is given up; nothing new starts in that pass.
  platform::SetFixedNow(t0 + 6);
  EXPECT_EQ(doc.OnTimerTick(), 0);
  EXPECT_TRUE(IsStopFlagSet());
  EXPECT_EQ(overdue.lock()->Result(), FetchResultTimedOut);
  EXPECT_FALSE(doc.GetFetchManager().IsUrlInProgress(server.Url("/later")));
  // A job is given up once.
  EXPECT_FALSE(doc.GetFetchManager().AbortOverdue(5));
  // While the stop is pending no periodic pass runs.
  EXPECT_EQ(doc.OnTimerTick(), 0);

  Drain();
  EXPECT_FALSE(IsStopFlagSet());
  EXPECT_EQ(first->GetPage()->m_nState, FetchResultTimedOut);
  EXPECT_EQ(first->GetPage()->GetErrorText(),
            platform::FillPlaceholders(platform::GetString(platform::ids::kFetchTooLong), {"5"}));
  EXPECT_EQ(second->GetPage()->m_nState, FetchResultStopped);
  EXPECT_FALSE(first->IsDue());
  EXPECT_TRUE(later->IsDue());

  // Retired, the given-up job lives on only as long as its worker.
  EXPECT_TRUE(FetchWorker::WaitForAll(60s));
  EXPECT_TRUE(overdue.expired());
  server.Serve("/hang2", HttpTestServer::Response("now\n"));
  EXPECT_EQ(doc.OnTimerTick(), 2);  // second (failed, so still due) and later
  Drain();
  EXPECT_EQ(later->GetHistory().GetCount(), 1);
  EXPECT_EQ(second->GetHistory().GetCount(), 1);
  EXPECT_EQ(first->GetHistory().GetCount(), 0);
}

TEST_F(RefreshScheduler, FinishedJobOfADeletedPageOrAGoneTargetIsRetired) {
  server.Route("/slow", HttpRoute{{HttpTestServer::Response("slow\n")}, 200});
  model::WDValue* value = AddBeacon("slow", server.Url("/slow"));
  ASSERT_TRUE(doc.StartPageFetch(value->GetPage(), 1));
  std::weak_ptr<WDFetchJob> job = doc.GetFetchManager().GetJobs().at(0);
  ASSERT_TRUE(doc.DeleteBeacon(value));
  EXPECT_TRUE(doc.GetPages().empty());
  Drain();
  EXPECT_FALSE(IsStopFlagSet());
  EXPECT_TRUE(FetchWorker::WaitForAll(60s));
  EXPECT_TRUE(job.expired());

  // So is the job of a target destroyed before its notification.
  value = AddServed("t", "/t", "t\n");
  auto target = std::make_shared<RecordingTarget>();
  doc.SetFetchTarget(target);
  ASSERT_TRUE(doc.StartPageFetch(value->GetPage(), 1));
  // The start is told at once, before any worker could post.
  ASSERT_FALSE(target->codes.empty());
  EXPECT_EQ(target->codes.front(), Notification::FetchStarted);
  job = doc.GetFetchManager().GetJobs().at(0);
  target.reset();
  EXPECT_TRUE(FetchWorker::WaitForAll(60s));
  Drain();
  EXPECT_TRUE(job.expired());
  EXPECT_EQ(value->GetHistory().GetCount(), 0);
  // Without a target nothing starts; the document's own receiver takes over again.
  EXPECT_EQ(Refusal(value->GetPage(), 1), StartRefusal::NoTarget);
  doc.UseOwnReceiver();
  EXPECT_TRUE(doc.StartPageFetch(value->GetPage(), 1));
  Drain();
  EXPECT_EQ(value->GetHistory().GetCount(), 1);
}

}  // namespace
}  // namespace quorvex::engine
