// The desktop shell: command line, tray menu, agent state, window placement, icons; the wave player and
// the alert bell (hostile wave images, the sample formats a device is offered, and the bell's rules:
// switched off, broken file, one at a time); one desktop program per user (hand-over between real
// processes, stale sockets, simultaneous starts, and a kill that still saves the settings).
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <csignal>
#include <future>

#include "engine/fetch_worker.h"
#include "gui/shell/alert_bell.h"
#include "gui/shell/command_line.h"
#include "gui/shell/icons.h"
#include "gui/shell/single_instance.h"
#include "gui/shell/sound.h"
#include "gui/shell/tray_menu.h"
#include "gui_test_support.h"
#include "platform/paths.h"
#include "settings/settings.h"

using namespace quorvex;
using namespace quorvex::gui;

namespace {

const std::string kBellFile = QUORVEX_SOURCE_DIR "/resources/sound/bell.wav";

QByteArray Le(uint32_t value, int bytes) {
  QByteArray out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i) & 0xff);
  return out;
}

QByteArray Chunk(const char* id, const QByteArray& payload) {
  QByteArray out = id + Le(payload.size(), 4) + payload;
  if (payload.size() % 2) out += '\0';
  return out;
}

QByteArray Riff(const QByteArray& chunks) {
  return "RIFF" + Le(chunks.size() + 4, 4) + "WAVE" + chunks;
}

// 8 kHz mono 16-bit PCM.
QByteArray Fmt(int bytes = 16) {
  return Chunk("fmt ", (Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(16000, 4) + Le(2, 2) + Le(16, 2)).left(bytes));
}

const QByteArray kSamples("\x01\x02\x03\x04", 4);

// The desktop program with the test's private folders (inherited from TestHome's environment).
QProcess* StartProgram(QObject* parent, const QStringList& args) {
  auto* process = new QProcess(parent);
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->start(QStringLiteral(QUORVEX_GUI_PATH), args);
  return process;
}

// Whether the icon draws something (not only transparent pixels) at size px.
bool Draws(const QIcon& icon, int size) {
  const QImage image = icon.pixmap(size, size).toImage();
  QImage blank(image.size(), image.format());
  blank.fill(Qt::transparent);
  return !image.isNull() && image != blank;
}

}  // namespace

class ShellTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // First: the bell finds its data folder without XDG_DATA_HOME, as in a plain session.
  void WavesFormatsBellAndSound();
  void CommandLine();
  void AgentStatePlacementAndTrayMenu();
  void Icons();
  void SecondStartsHandOverAndOneOfTwoSurvives();
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
  const std::string given = home.PathBytes(QStringLiteral("Hideout.bcn"));
  QVERIFY(platform::WriteFileAtomically(given, {}));

  // A path that exists is a file to import, never slash options, though it holds "/hide" and "/c".
  StartOptions options = ParseArguments({given, "/cNew.BCN", "/hide"});
  QVERIFY(options.hiddenStart);
  QCOMPARE(options.containerFile, std::string("new.bcn"));
  QCOMPARE(options.containerAsGiven, std::string("New.BCN"));
  QCOMPARE(options.importFiles, std::vector<std::string>{given});

  options = ParseArguments({"--catalog", "/tmp/My.dat", "--hide", "page.bcn"});
  QCOMPARE(options.workFile, std::string("/tmp/My.dat"));
  QVERIFY(options.hiddenStart && !options.ShowSplash());
  QCOMPARE(options.importFiles, std::vector<std::string>{"page.bcn"});
  QVERIFY(options.error.empty());
  QVERIFY(!ParseArguments({"--catalog"}).error.empty());
  QVERIFY(!ParseArguments({"--bogus"}).error.empty());

  // On a case-sensitive file system the name as given is used when only it exists.
  const std::string lowered = home.PathBytes(QStringLiteral("hideout.bcn"));
  QCOMPARE(StartOptions::ExistingCase(lowered, given), given);
  QCOMPARE(StartOptions::ExistingCase(lowered, "/nowhere/Hideout.bcn"), lowered);
}

void ShellTest::AgentStatePlacementAndTrayMenu() {
  test::FrameFixture f;
  const std::string page = f.home.PathBytes(QStringLiteral("page.html"));
  QVERIFY(platform::WriteFileAtomically(page, "<p>Price: 7</p>"));
  model::WDValue* beacon = test::AddBeacon(f.doc, "Price", "file://" + page, "Price: {?}<");
  CMainFrame& frame = f.MakeFrame();

  // Menus from the language file: the context menus show their first command bold.
  QCOMPARE(CommandOf(frame.ContextMenu(ContextMenuKind::Beacon).defaultAction()), platform::cmd::kShowBeacon);
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

  // The tray menu: nothing without a catalog; the entries of the beacons, then those that lead on.
  QMenu menu;
  QVERIFY(!BuildTrayMenu(menu, nullptr));
  QVERIFY(menu.actions().isEmpty());

  const int64_t now = time(nullptr) + 60;  // after the fetched sample
  beacon->GetHistory().AddRecord(model::WDHistoryRecord("12.50\tEUR per piece", now));
  model::WDValue* crc = test::AddBeacon(f.doc, "News", "http://news.example/");
  crc->GetHistory().AddRecord(model::WDHistoryRecord("#CRC#12345", now));
  test::AddBeacon(f.doc, "Off", "http://off.example/", "x{?}y")->SetEnabled(false);

  QVERIFY(BuildTrayMenu(menu, &f.doc));
  const QList<QAction*> actions = menu.actions();
  // Refresh, check alerts, separator, three entries, separator, show, exit.
  using namespace platform::cmd;
  const int commands[] = {kRefreshAll, kCheckAllAlerts, 0,    kFirstTrayEntry, kFirstTrayEntry + 1, kFirstTrayEntry + 2,
                          0,           kShowWindow,     kExit};
  QCOMPARE(actions.size(), 9);
  for (int i = 0; i < 9; ++i) QVERIFY2(CommandOf(actions[i]) == commands[i], qPrintable(QString::number(i)));
  QCOMPARE(actions[3]->text(), QStringLiteral("12.50 EUR per p\tPrice"));
  QCOMPARE(TrayEntryLabel("a\r\nb\tc", "N"), QStringLiteral("ab c\tN"));
  QCOMPARE(actions[4]->text(), QStringLiteral("- CRC -\tNews"));
  QVERIFY(actions[3]->isEnabled() && actions[4]->isEnabled());
  QVERIFY(!actions[5]->isEnabled());  // monitoring off
  QCOMPARE(menu.defaultAction(), actions[7]);
  QVERIFY(actions[8]->isEnabled());

  // Exit is greyed while a beacon is being refreshed.
  QVERIFY(beacon->TryLock());
  BuildTrayMenu(menu, &f.doc);
  QVERIFY(!menu.actions().last()->isEnabled());
  beacon->Unlock();

  // Beyond the last entry id one item leads to the window instead of dead entries.
  for (int i = 3; i < kMaxTrayEntries + 5; ++i)
    test::AddBeacon(f.doc, "B" + std::to_string(i), "http://b.example/" + std::to_string(i));
  BuildTrayMenu(menu, &f.doc);
  const QList<QAction*> many = menu.actions();
  QCOMPARE(CommandOf(many[3 + kMaxTrayEntries - 1]), kLastTrayEntry);
  QCOMPARE(CommandOf(many[3 + kMaxTrayEntries]), kShowWindow);
  QCOMPARE(many[3 + kMaxTrayEntries]->text(), Text(platform::ids::kTrayMoreBeacons, {"5"}));
}

void ShellTest::Icons() {
  const int ids[] = {128, 139, 143, 144, 145, 146, 180, 181, 182, 183, 185, 186, 187, 188, 189, 219, 261, 262};
  for (int id : ids) {
    QVERIFY2(Draws(ResourceIcon(id), 16) && Draws(ResourceIcon(id), 64), qPrintable(QString::number(id)));
  }
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

  // The state icons: the image list's, but the closed folder in place of 128.
  const QList<QIcon> icons = StateIcons();
  QCOMPARE(icons.size(), state_image::kCount);
  QCOMPARE(icons[state_image::kFolderClosed].cacheKey(), Icon(icon::kFolder).cacheKey());
}

void ShellTest::WavesFormatsBellAndSound() {
  // Hostile and odd wave images: the samples found, or none where the image is refused.
  const QByteArray data = Chunk("data", kSamples);
  const struct {
    const char* why;
    QByteArray image, samples;
  } rows[] = {
      {"fmt, data", Riff(Fmt() + data), kSamples},
      {"data before fmt", Riff(data + Fmt()), kSamples},
      {"odd chunk padded", Riff(Chunk("data", "abc") + Fmt()), "abc"},
      {"other chunks skipped", Riff(Chunk("LIST", "xyzzy") + Fmt() + Chunk("fact", "1234") + data), kSamples},
      {"14-byte fmt", Riff(Fmt(14) + data), kSamples},
      {"13-byte fmt", Riff(Fmt(13) + data), {}},
      {"not RIFF", "RIFX" + Riff(Fmt() + data).mid(4), {}},
      {"not WAVE", Riff(Fmt() + data).replace("WAVE", "AVI "), {}},
      {"header cut", QByteArray("RIFF\x04\0\0\0WAV", 11), {}},
      {"no data", Riff(Fmt()), {}},
      {"no fmt", Riff(data), {}},
      {"RIFF ends before data", "RIFF" + Le(4 + Fmt().size(), 4) + "WAVE" + Fmt() + data, {}},
      {"RIFF size past the end", "RIFF" + Le(0xffffffff, 4) + "WAVE" + Fmt(), {}},
      {"data cut", Riff(Fmt() + data).chopped(2), {}},
      {"chunk header cut", Riff(Fmt() + "da"), {}},
      {"chunk size wraps", Riff("junk" + Le(0xfffffff8, 4) + Fmt() + data), {}},
  };
  for (const auto& row : rows) {
    // An exactly sized copy, so that a read past the end is caught by the address sanitizer.
    const auto exact = std::make_unique<char[]>(row.image.size());
    std::copy(row.image.begin(), row.image.end(), exact.get());
    WaveInfo info;
    const bool parsed = WDSound::ParseWave(std::string_view(exact.get(), row.image.size()), info);
    QVERIFY2(parsed == !row.samples.isEmpty(), row.why);
    if (parsed) QVERIFY2(row.image.mid(info.dataOffset, info.dataSize) == row.samples, row.why);
  }

  // Format tag, channels, rate, bytes per second, block size, bits; Unknown: refused.
  const std::pair<WaveInfo, QAudioFormat::SampleFormat> cases[] = {
      {{1, 1, 8000, 0, 1, 8}, QAudioFormat::UInt8},    {{1, 2, 8000, 0, 4, 16}, QAudioFormat::Int16},
      {{1, 1, 8000, 0, 4, 32}, QAudioFormat::Int32},   {{3, 2, 8000, 0, 8, 32}, QAudioFormat::Float},
      {{1, 2, 8000, 0, 4, 0}, QAudioFormat::Int16},    {{1, 1, 8000, 0, 3, 24}, QAudioFormat::Unknown},
      {{3, 1, 8000, 0, 8, 64}, QAudioFormat::Unknown}, {{2, 1, 8000, 0, 256, 4}, QAudioFormat::Unknown},
      {{1, 1, 8000, 0, 4, 16}, QAudioFormat::Unknown}, {{1, 0, 8000, 0, 0, 16}, QAudioFormat::Unknown},
  };
  for (const auto& [info, expected] : cases) {
    QAudioFormat format;
    QCOMPARE(WDSound::ToAudioFormat(info, format), expected != QAudioFormat::Unknown);
    if (expected != QAudioFormat::Unknown) QCOMPARE(format.sampleFormat(), expected);
  }

  // The shipped bell is a format every device takes.
  std::string image;
  QVERIFY(platform::ReadWholeFile(kBellFile, image, nullptr, platform::kMaxWaveFileBytes) == platform::ReadResult::Ok);
  WaveInfo info;
  QAudioFormat format;
  QVERIFY(WDSound::ParseWave(image, info));
  QVERIFY(WDSound::ToAudioFormat(info, format));
  QCOMPARE(format.sampleFormat(), QAudioFormat::Int16);
  QCOMPARE(format.channelCount(), 1);

  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  qputenv("QUORVEX_CONFIG_DIR", dir.path().toUtf8());
  AlertBell bell;
  QVERIFY(!bell.RingBell(kBellFile));  // no settings: no bell

  settings::AppOptions options;
  options.settingsFile = dir.filePath("Quorvex.ini").toStdString();
  settings::AppContext context(options);
  context.Settings().m_bSoundEnable = 0;
  const int opens = WDSound::DeviceOpenCount();
  QVERIFY(!bell.RingBell(kBellFile));
  QCOMPARE(WDSound::DeviceOpenCount(), opens);

  context.Settings().m_bSoundEnable = 1;
  const std::string broken = dir.filePath("broken.wav").toStdString();
  QVERIFY(platform::WriteFileAtomically(broken, "RIFF, but not a wave"));
  QVERIFY(!bell.RingBell(broken));
  QVERIFY(!bell.IsRinging());
  QVERIFY(!bell.RingBell(broken));
  QCOMPARE(WDSound::DeviceOpenCount(), opens + 2);  // each alert tries again
  QCOMPARE(WDSound::LiveCount(), 0);
  {
    WDSound idle;
    QCOMPARE(idle.PlayPosition(), 0u);
  }

  if (QMediaDevices::defaultAudioOutput().isNull()) QSKIP("no audio output");
  QVERIFY(bell.RingBell(kBellFile));
  QVERIFY(!bell.RingBell(kBellFile));
  QCOMPARE(WDSound::LiveCount(), 1);
  QTRY_VERIFY_WITH_TIMEOUT(!bell.IsRinging(), 10000);
  QCOMPARE(WDSound::LiveCount(), 0);
  QVERIFY(bell.RingBell(kBellFile));

  // A tenth of a second of silence, its data chunk ahead of the format.
  WDSound sound;
  const QByteArray silence = Riff(Chunk("data", QByteArray(1600, '\0')) + Fmt());
  QVERIFY(sound.LoadFromMemory(silence.toStdString()));
  QVERIFY(sound.Play(400, false));
  QVERIFY(sound.PlayPosition() >= 400);
  QTRY_COMPARE_WITH_TIMEOUT(sound.PlayPosition(), 0u, 10000);
  QVERIFY(sound.Play(0xffffffff, false));  // clamped to the end
  QTRY_COMPARE_WITH_TIMEOUT(sound.PlayPosition(), 0u, 10000);
  sound.SetEnabled(false);
  QVERIFY(!sound.Play(0, false));
}

void ShellTest::SecondStartsHandOverAndOneOfTwoSurvives() {
  test::TestHome home;
  // A socket file nobody listens on, as a crashed instance leaves it, is cleaned up.
  const QByteArray path = SingleInstance::DefaultServerPath().toLocal8Bit();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  qstrncpy(address.sun_path, path.constData(), sizeof(address.sun_path));
  QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));
  SingleInstance first;
  QStringList received;
  first.SetHandler([&](const std::string& path) { received.append(QString::fromStdString(path)); });
  QCOMPARE(first.Start({}), SingleInstance::Role::Primary);

  const QString container = home.Path(QStringLiteral("Offer.bcn"));
  QScopedPointer<QProcess> second(StartProgram(nullptr, {container}));
  QTRY_COMPARE_WITH_TIMEOUT(received.size(), 1, 20000);
  QCOMPARE(received.front(), container);
  // It may have ended already while the events were processed.
  QVERIFY(second->state() == QProcess::NotRunning || second->waitForFinished(20000));
  QCOMPARE(second->exitStatus(), QProcess::NormalExit);
  QCOMPARE(second->exitCode(), 0);

  // Without a file the second start only brings the first forward; an over-long path is not sent.
  // (The sender blocks until answered, so it runs on a thread of its own here.)
  auto handOver = [](std::string path) {
    return std::async(std::launch::async, [path] {
      std::string why;
      SingleInstance other;
      const SingleInstance::Role role = other.Start(path, &why);
      return role == SingleInstance::Role::HandedOver && (path.size() <= kMaxHandOverPath) == why.empty();
    });
  };
  auto plain = handOver({});
  QTRY_COMPARE(received.size(), 2);
  QVERIFY(plain.get());
  QCOMPARE(received.back(), QString());
  auto tooLong = handOver(std::string(kMaxHandOverPath + 1, 'a'));
  QTRY_COMPARE(received.size(), 3);
  QVERIFY(tooLong.get());
  QCOMPARE(received.back(), QString());

  // Two simultaneous starts in a home of their own, with settings with their fonts (a start past the
  // first-start dialogs).
  test::TestHome own;
  {
    settings::WDSettings stored;
    stored.Load();
    QVERIFY(stored.Save());
  }
  const QStringList args{QStringLiteral("--catalog"), own.Path(QStringLiteral("catalog.dat"))};
  QProcess* a = StartProgram(this, args);
  QProcess* b = StartProgram(this, args);
  QVERIFY(a->waitForStarted() && b->waitForStarted());
  // Exactly one ends (it handed over); the other runs on.
  QTRY_VERIFY_WITH_TIMEOUT((a->state() == QProcess::NotRunning) != (b->state() == QProcess::NotRunning), 30000);
  QTest::qWait(500);
  QProcess* loser = a->state() == QProcess::NotRunning ? a : b;
  QProcess* winner = loser == a ? b : a;
  QCOMPARE(loser->exitCode(), 0);
  QCOMPARE(winner->state(), QProcess::Running);

  // The kill goes the exit command's way: the settings, read at the start, are written again.
  const QString settingsFile = QString::fromLocal8Bit(qgetenv("QUORVEX_CONFIG_DIR")) + QStringLiteral("/Quorvex.ini");
  QVERIFY(QFile::resize(settingsFile, 0));
  ::kill(static_cast<pid_t>(winner->processId()), SIGTERM);
  QVERIFY(winner->waitForFinished(20000));
  QCOMPARE(winner->exitStatus(), QProcess::NormalExit);
  QCOMPARE(winner->exitCode(), 0);
  QVERIFY(QFileInfo(settingsFile).size() > 0);
}

QTEST_MAIN(ShellTest)
#include "shell_test.moc"
