// The desktop shell: command line, tray menu, agent state, window placement, icons.
#include <QDir>

#include "engine/fetch_worker.h"
#include "gui/shell/command_line.h"
#include "gui/shell/icons.h"
#include "gui/shell/tray_menu.h"
#include "gui_test_support.h"

using namespace quorvex;
using namespace quorvex::gui;

namespace {

// Whether the icon draws something (not only transparent pixels) at size px.
bool Draws(const QIcon& icon, int size) {
  const QImage image = icon.pixmap(size, size).toImage();
  if (image.isNull()) return false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) != 0) return true;
  return false;
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void CommandLine();
  void TrayMenu();
  void AgentStateAndPlacement();
  void Icons();
};

void ShellTest::CommandLine() {
  const struct {
    const char* why;
    const char* raw;
    bool hidden;
    const char* container;
    const char* work;
    bool splash;
  } rows[] = {
      {"hide inside a word", "/hideous", true, "", "", false},
      {"container then hide", "/cC:\\Data\\Set.BCN/hide", true, "c:\\data\\set.bcn", "", false},
      {"container without .bcn", "/cC:\\Data\\set.txt", false, "", "", true},
      {"value kept as it stands", "/c my.bcn /wA.DAT", false, " my.bcn ", "a.dat", false},
      {"work file without .dat", "/wcatalog.txt", false, "", "", true},
      {"first /c counts", "/cx.txt /cy.bcn", false, "", "", true},
  };
  for (const auto& row : rows) {
    StartOptions options;
    ParseSlashOptions(row.raw, options);
    QVERIFY2(options.hiddenStart == row.hidden && options.ShowSplash() == row.splash, row.why);
    QVERIFY2(options.containerFile == row.container && options.workFile == row.work, row.why);
  }

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
  test::FrameFixture f;
  QMenu menu;
  QVERIFY(!BuildTrayMenu(menu, nullptr));
  QVERIFY(menu.actions().isEmpty());

  const int64_t now = time(nullptr);
  model::WDValue* price = test::AddBeacon(f.doc, "Price", "http://shop.example/item", "Price:{?}</td>");
  price->GetHistory().AddRecord(model::WDHistoryRecord("12.50\tEUR per piece", now));
  model::WDValue* crc = test::AddBeacon(f.doc, "News", "http://news.example/");
  crc->GetHistory().AddRecord(model::WDHistoryRecord("#CRC#12345", now));
  test::AddBeacon(f.doc, "Off", "http://off.example/", "x{?}y")->SetEnabled(false);

  QVERIFY(BuildTrayMenu(menu, &f.doc));
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
  BuildTrayMenu(menu, &f.doc);
  QVERIFY(!menu.actions().last()->isEnabled());
  price->Unlock();

  // Beyond the last entry id one item leads to the window instead of dead entries.
  for (int i = 3; i < kMaxTrayEntries + 5; ++i)
    test::AddBeacon(f.doc, "B" + std::to_string(i), "http://b.example/" + std::to_string(i));
  BuildTrayMenu(menu, &f.doc);
  const QList<QAction*> many = menu.actions();
  QCOMPARE(CommandOf(many[3 + kMaxTrayEntries - 1]), platform::cmd::kLastTrayEntry);
  QCOMPARE(CommandOf(many[3 + kMaxTrayEntries]), platform::cmd::kShowWindow);
  QCOMPARE(many[3 + kMaxTrayEntries]->text(), Text(platform::ids::kTrayMoreBeacons, {"5"}));
}

void ShellTest::AgentStateAndPlacement() {
  test::FrameFixture f;
  QFile page(f.home.Path(QStringLiteral("page.html")));
  QVERIFY(page.open(QIODevice::WriteOnly));
  page.write("<p>Price: 7</p>");
  page.close();
  model::WDValue* beacon = test::AddBeacon(f.doc, "Price", "file://" + page.fileName().toStdString(), "Price: {?}<");
  CMainFrame& frame = f.MakeFrame();

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
  QVERIFY(f.doc.StartPageFetch(beacon->GetPage(), 1));
  QVERIFY(tray.IsCycling());
  QCOMPARE(tray.SequenceFirst(), res::kTrayIdle);
  QCOMPARE(tray.SequenceLast(), res::kTrayWorkingLast);
  QCOMPARE(tray.StepMs(), kWorkingStepMs);
  QCOMPARE(tray.CurrentTip(), Text(platform::ids::kTrayWorking));
  QCOMPARE(frame.StatusText(), Text(platform::ids::kTrayWorking));
  QVERIFY(frame.Actions().Of(platform::cmd::kStop).front()->isEnabled());

  // The fetch ends: idle again, the first icon back.
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(10)));
  f.doc.GetDispatcher()->RunPending();
  QCOMPARE(f.doc.IsBusy(), size_t{0});
  QVERIFY(!tray.IsCycling());
  QCOMPARE(tray.CurrentIconId(), res::kTrayIdle);

  // An event that holds: the alert sequence, fast.
  test::AddEvent(*beacon, model::kOpGreater, "5");
  frame.UpdateAgentState();
  QVERIFY(tray.IsCycling());
  QCOMPARE(tray.SequenceFirst(), res::kTrayAlertFirst);
  QCOMPARE(tray.SequenceLast(), res::kTrayAlertLast);
  QCOMPARE(tray.StepMs(), kAlertStepMs);
  QCOMPARE(tray.CurrentTip(), Text(platform::ids::kTrayAlert));

  // Closing saves the placement; a window dragged off the screen keeps the saved one.
  settings::WDSettings& s = f.context.Settings();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  frame.show();
  frame.resize(500, 300);
  frame.move(screen.left() + 40, screen.top() + 30);
  QVERIFY(frame.CloseFrame(false));
  QCOMPARE(s.m_nXSize, 500);
  QCOMPARE(s.m_nYSize, 300);
  QCOMPARE(s.m_nXTopPos.value_or(-1), 40);
  CMainFrame& again = f.MakeFrame();
  again.show();
  again.move(screen.right() + 500, screen.top() + 30);
  QVERIFY(again.CloseFrame(false));
  QCOMPARE(s.m_nXTopPos.value_or(-1), 40);
}

void ShellTest::Icons() {
  const int ids[] = {128, 139, 143, 144, 145, 146, 180, 181, 182, 183, 185, 186, 187, 188, 189, 219, 261, 262};
  for (int id : ids) {
    QVERIFY2(Draws(ResourceIcon(id), 16) && Draws(ResourceIcon(id), 64), qPrintable(QString::number(id)));
  }
  const char* names[] = {icon::kApp,         icon::kBeacon,      icon::kBeaconDue,    icon::kBeaconOff,
                         icon::kBeaconAlert, icon::kBeaconError, icon::kBeaconFetch2, icon::kBeaconFetch3,
                         icon::kFolder,      icon::kFolderOpen,  icon::kTrayIdle,     icon::kNewBeacon,
                         icon::kNewFolder,   icon::kRefreshAll,  icon::kRefreshNow,   icon::kStop,
                         icon::kSave,        icon::kImport,      icon::kExport,       icon::kReport,
                         icon::kDelete,      icon::kOptions,     icon::kHelp,         icon::kAbout,
                         icon::kWrapLines,   icon::kHtmlTags};
  for (const char* name : names) QVERIFY2(Draws(Icon(QString::fromLatin1(name)), 16), name);
  QVERIFY(QFile::exists(QString::fromLatin1(icon::kSplashPath)));
  const QStringList files = QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")});
  QVERIFY(files.size() >= 33);
  for (const QString& file : files) {
    const QString name = file.chopped(4);
    QVERIFY2(Draws(Icon(name), 16) && Draws(Icon(name), 64), qPrintable(name));
  }

  // Unknown names and ids give no icon.
  QTest::ignoreMessage(QtWarningMsg, "quorvex: no icon named \"no-such-icon\"");
  QVERIFY(Icon(QStringLiteral("no-such-icon")).isNull());
  QVERIFY(ResourceIcon(184).isNull());
  QVERIFY(ResourceIcon(0).isNull());

  // The state icons follow the image list's order.
  const QList<QIcon> icons = StateIcons();
  QCOMPARE(icons.size(), state_image::kCount);
  QCOMPARE(icons[state_image::kFolderClosed].cacheKey(), Icon(icon::kFolder).cacheKey());
  QCOMPARE(icons[state_image::kFolderOpen].cacheKey(), ResourceIcon(219).cacheKey());
  QCOMPARE(icons[state_image::kAlert].cacheKey(), ResourceIcon(145).cacheKey());
  QCOMPARE(icons[0].cacheKey(), icons[state_image::kNormal].cacheKey());
  QCOMPARE(icons[state_image::kFetch3].cacheKey(), ResourceIcon(262).cacheKey());
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
