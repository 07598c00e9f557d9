// The desktop shell: command line, tray menu, agent state, window placement.
#include <QtTest>

#include "engine/fetch_worker.h"
#include "engine/qvx_doc.h"
#include "gui/shell/command_line.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/main_frame.h"
#include "gui/shell/qt_prompt.h"
#include "gui/shell/tray_menu.h"
#include "gui_test_support.h"
#include "model/alert.h"
#include "model/document_hooks.h"
#include "platform/command_ids.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"

using namespace quorvex;
using namespace quorvex::gui;

class ShellTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void CommandLine_data();
  void CommandLine();
  void CommandLineArguments();
  void TrayMenu();
  void AgentState();
  void Placement();
};

void ShellTest::CommandLine_data() {
  QTest::addColumn<QString>("raw");
  QTest::addColumn<bool>("hidden");
  QTest::addColumn<QString>("container");
  QTest::addColumn<QString>("work");
  QTest::addColumn<bool>("splash");
  QTest::newRow("hide inside a word") << "/hideous" << true << ""
                                      << "" << false;
  QTest::newRow("container then hide") << "/cC:\\Data\\Set.BCN/hide" << true << "c:\\data\\set.bcn"
                                       << "" << false;
  QTest::newRow("container without .bcn") << "/cC:\\Data\\set.txt" << false << ""
                                          << "" << true;
  QTest::newRow("value kept as it stands") << "/c my.bcn /wA.DAT" << false << " my.bcn "
                                           << "a.dat" << false;
  QTest::newRow("work file without .dat") << "/wcatalog.txt" << false << ""
                                          << "" << true;
  QTest::newRow("first /c counts") << "/cx.txt /cy.bcn" << false << ""
                                   << "" << true;
}

void ShellTest::CommandLine() {
  QFETCH(QString, raw);
  QFETCH(bool, hidden);
  QFETCH(QString, container);
  QFETCH(QString, work);
  QFETCH(bool, splash);
  StartOptions options;
  ParseSlashOptions(raw.toStdString(), options);
  QCOMPARE(options.hiddenStart, hidden);
  QCOMPARE(QString::fromStdString(options.containerFile), container);
  QCOMPARE(QString::fromStdString(options.workFile), work);
  QCOMPARE(options.ShowSplash(), splash);
}

void ShellTest::CommandLineArguments() {
  test::TestHome home;
  QFile existing(home.Path(QStringLiteral("hideout.bcn")));
  QVERIFY(existing.open(QIODevice::WriteOnly));
  existing.close();

  // A path that exists is a file to import, never slash options, though it holds "/hide" and "/c".
  StartOptions options = ParseArguments({existing.fileName().toStdString(), "/cNew.BCN", "/hide"});
  QVERIFY(options.hiddenStart);
  QCOMPARE(options.containerFile, std::string("new.bcn"));
  QCOMPARE(options.containerAsGiven, std::string("New.BCN"));
  QCOMPARE(options.importFiles, std::vector<std::string>{existing.fileName().toStdString()});

  options = ParseArguments({"--catalog", "/tmp/My.dat", "--hide", "page.bcn"});
  QCOMPARE(options.workFile, std::string("/tmp/My.dat"));
  QVERIFY(options.hiddenStart && !options.ShowSplash());
  QCOMPARE(options.importFiles, std::vector<std::string>{"page.bcn"});
  QVERIFY(options.error.empty());
  QVERIFY(!ParseArguments({"--catalog"}).error.empty());
  QVERIFY(!ParseArguments({"--bogus"}).error.empty());

  // On a case-sensitive file system the name as given is used when only it exists.
  const std::string given = home.PathBytes(QStringLiteral("Mixed.bcn"));
  QFile mixed(QString::fromStdString(given));
  QVERIFY(mixed.open(QIODevice::WriteOnly));
  mixed.close();
  const std::string lowered = home.PathBytes(QStringLiteral("mixed.bcn"));
  QCOMPARE(StartOptions::ExistingCase(lowered, given), given);
  QCOMPARE(StartOptions::ExistingCase(lowered, "/nowhere/Mixed.bcn"), lowered);
}

void ShellTest::TrayMenu() {
  test::TestHome home;
  settings::AppContext context;
  engine::WDQvxDoc doc;
  doc.OnNewDocument(home.PathBytes(QStringLiteral("catalog.dat")));
  QMenu menu;
  QVERIFY(!BuildTrayMenu(menu, nullptr));
  QVERIFY(menu.actions().isEmpty());

  const int64_t now = time(nullptr);
  model::WDValue* price = test::AddBeacon(doc, "Price", "http://shop.example/item", "Price:{?}</td>");
  price->GetHistory().AddRecord(model::WDHistoryRecord("12.50\tEUR per piece", now));
  model::WDValue* crc = test::AddBeacon(doc, "News", "http://news.example/");
  crc->GetHistory().AddRecord(model::WDHistoryRecord("#CRC#12345", now));
  model::WDValue* off = test::AddBeacon(doc, "Off", "http://off.example/", "x{?}y");
  off->SetEnabled(false);

  QVERIFY(BuildTrayMenu(menu, &doc));
  const QList<QAction*> actions = menu.actions();
  // Refresh, check alerts, separator, three entries, separator, show, exit.
  QCOMPARE(actions.size(), 9);
  QCOMPARE(CommandOf(actions[0]), platform::cmd::kRefreshAll);
  QCOMPARE(actions[0]->text(), Text(platform::ids::kTrayRefreshAll));
  QCOMPARE(CommandOf(actions[1]), platform::cmd::kCheckAllAlerts);
  QCOMPARE(actions[3]->text(), QStringLiteral("12.50 EUR per p\tPrice"));
  QCOMPARE(TrayEntryLabel("a\r\nb\tc", "N"), QStringLiteral("ab c\tN"));
  QCOMPARE(CommandOf(actions[3]), platform::cmd::kFirstTrayEntry);
  QCOMPARE(actions[4]->text(), QStringLiteral("- CRC -\tNews"));
  QCOMPARE(CommandOf(actions[5]), platform::cmd::kFirstTrayEntry + 2);
  QVERIFY(actions[3]->isEnabled() && actions[4]->isEnabled());
  QVERIFY(!actions[5]->isEnabled());  // monitoring off
  QCOMPARE(menu.defaultAction(), actions[7]);
  QCOMPARE(CommandOf(actions[7]), platform::cmd::kShowWindow);
  QCOMPARE(CommandOf(actions[8]), platform::cmd::kExit);
  QVERIFY(actions[8]->isEnabled());

  // Exit is greyed while a beacon is being refreshed.
  QVERIFY(price->TryLock());
  BuildTrayMenu(menu, &doc);
  QVERIFY(!menu.actions().last()->isEnabled());
  price->Unlock();

  // Beyond the last entry id one item leads to the window instead of dead entries.
  for (int i = 3; i < kMaxTrayEntries + 5; ++i)
    test::AddBeacon(doc, "B" + std::to_string(i), "http://b.example/" + std::to_string(i));
  BuildTrayMenu(menu, &doc);
  const QList<QAction*> many = menu.actions();
  QCOMPARE(CommandOf(many[3 + kMaxTrayEntries - 1]), platform::cmd::kLastTrayEntry);
  QCOMPARE(CommandOf(many[3 + kMaxTrayEntries]), platform::cmd::kShowWindow);
  QCOMPARE(many[3 + kMaxTrayEntries]->text(), Text(platform::ids::kTrayMoreBeacons, {"5"}));
}

void ShellTest::AgentState() {
  test::TestHome home;
  settings::AppContext context;
  context.Settings().m_bSoundEnable = 0;
  QCOMPARE(settings::LoadLanguage(context.Settings().WorkDirectory(), settings::kEnglishFileName),
           settings::LanguageResult::kOk);
  engine::WDQvxDoc doc;
  model::SetActiveDocument(&doc);
  doc.OnNewDocument(home.PathBytes(QStringLiteral("catalog.dat")));
  QFile page(home.Path(QStringLiteral("page.html")));
  QVERIFY(page.open(QIODevice::WriteOnly));
  page.write("<p>Price: 7</p>");
  page.close();
  model::WDValue* beacon = test::AddBeacon(doc, "Price", "file://" + page.fileName().toStdString(), "Price: {?}<");

  {
    CMainFrame frame(context, doc);
    frame.Create(false);
    // Menus from the language file: the context menus show their first command bold.
    QMenu& beaconMenu = frame.ContextMenu(ContextMenuKind::Beacon);
    QVERIFY(!beaconMenu.isEmpty());
    QCOMPARE(CommandOf(beaconMenu.defaultAction()), platform::cmd::kShowBeacon);
    QVERIFY(!frame.Actions().Of(platform::cmd::kStop).isEmpty());
    QVERIFY(!frame.Actions().Of(platform::cmd::kStop).front()->isEnabled());
    CSystemTray& tray = frame.Tray();
    QVERIFY(!tray.IsCycling());
    QCOMPARE(tray.CurrentIconId(), res::kTrayIdle);
    QCOMPARE(tray.CurrentTip(), Text(platform::ids::kTrayIdle));
    QCOMPARE(frame.StatusText(), Text(platform::ids::kStatusReady));

    // A listed fetch: working. The manager tells the frame itself.
    QVERIFY(doc.StartPageFetch(beacon->GetPage(), 1));
    QVERIFY(tray.IsCycling());
    QCOMPARE(tray.SequenceFirst(), res::kTrayIdle);
    QCOMPARE(tray.SequenceLast(), res::kTrayWorkingLast);
    QCOMPARE(tray.StepMs(), kWorkingStepMs);
    QCOMPARE(tray.CurrentTip(), Text(platform::ids::kTrayWorking));
    QCOMPARE(frame.StatusText(), Text(platform::ids::kTrayWorking));
    QVERIFY(frame.Actions().Of(platform::cmd::kStop).front()->isEnabled());

    // The fetch ends: idle again, the first icon back.
    QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(10)));
    doc.GetDispatcher()->RunPending();
    QCOMPARE(doc.IsBusy(), size_t{0});
    QVERIFY(!tray.IsCycling());
    QCOMPARE(tray.CurrentIconId(), res::kTrayIdle);

    // An event that holds: the alert sequence, fast.
    auto event = std::make_unique<model::WDEventMessager>();
    event->m_condition.m_nOperator = model::kOpGreater;
    event->m_condition.m_strOperand = "5";
    beacon->GetAlert().AddEvent(std::move(event));
    frame.UpdateAgentState();
    QVERIFY(tray.IsCycling());
    QCOMPARE(tray.SequenceFirst(), res::kTrayAlertFirst);
    QCOMPARE(tray.SequenceLast(), res::kTrayAlertLast);
    QCOMPARE(tray.StepMs(), kAlertStepMs);
    QCOMPARE(tray.CurrentTip(), Text(platform::ids::kTrayAlert));
    QVERIFY(frame.CloseFrame(false));
  }
  model::SetActiveDocument(nullptr);
}

void ShellTest::Placement() {
  test::TestHome home;
  settings::AppContext context;
  settings::WDSettings& s = context.Settings();
  engine::WDQvxDoc doc;
  doc.OnNewDocument(home.PathBytes(QStringLiteral("catalog.dat")));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  {
    CMainFrame frame(context, doc);
    frame.Create(false);
    frame.show();
    frame.resize(500, 300);
    frame.move(screen.left() + 40, screen.top() + 30);
    QVERIFY(frame.CloseFrame(false));
  }
  QCOMPARE(s.m_nXSize, 500);
  QCOMPARE(s.m_nYSize, 300);
  QCOMPARE(s.m_nXTopPos.value_or(-1), 40);
  {
    // Dragged off the screen: the saved placement stays.
    CMainFrame frame(context, doc);
    frame.Create(false);
    frame.show();
    frame.move(screen.right() + 500, screen.top() + 30);
    QVERIFY(frame.CloseFrame(false));
  }
  QCOMPARE(s.m_nXTopPos.value_or(-1), 40);
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
