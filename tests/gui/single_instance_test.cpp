// One desktop program per user: hand-over between real processes, stale sockets, simultaneous starts,
// and a kill that still saves the settings.
#include "gui/shell/single_instance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <future>

#include "gui_test_support.h"
#include "settings/settings.h"

using namespace quorvex;
using namespace quorvex::gui;

namespace {

// The desktop program with the test's private folders (inherited from TestHome's environment).
QProcess* StartProgram(QObject* parent, const QStringList& args) {
  auto* process = new QProcess(parent);
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->start(QStringLiteral(QUORVEX_GUI_PATH), args);
  return process;
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void SecondStartHandsOverAndEnds();
  void StaleSocketIsCleanedUp();
  void SimultaneousStartsLeaveOneThatSavesOnSigterm();
};

void SingleInstanceTest::SecondStartHandsOverAndEnds() {
  test::TestHome home;
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
}

void SingleInstanceTest::StaleSocketIsCleanedUp() {
  test::TestHome home;
  // A socket file nobody listens on, as a crashed instance leaves it.
  const QByteArray path = SingleInstance::DefaultServerPath().toLocal8Bit();
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  qstrncpy(address.sun_path, path.constData(), sizeof(address.sun_path));
  QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  QVERIFY(QFile::exists(QString::fromLocal8Bit(path)));

  SingleInstance instance;
  QCOMPARE(instance.Start({}), SingleInstance::Role::Primary);
}

void SingleInstanceTest::SimultaneousStartsLeaveOneThatSavesOnSigterm() {
  test::TestHome home;
  // Settings with their fonts: a start past the first-start dialogs.
  {
    settings::WDSettings stored;
    stored.Load();
    QVERIFY(stored.Save());
  }
  const QStringList args{QStringLiteral("--catalog"), home.Path(QStringLiteral("catalog.dat"))};
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

  ::kill(static_cast<pid_t>(winner->processId()), SIGTERM);
  QVERIFY(winner->waitForFinished(20000));
  QCOMPARE(winner->exitStatus(), QProcess::NormalExit);
  QCOMPARE(winner->exitCode(), 0);
  // The kill went the exit command's way: settings written.
  QVERIFY(QFile::exists(QString::fromLocal8Bit(qgetenv("QUORVEX_CONFIG_DIR")) + QStringLiteral("/Quorvex.ini")));
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
