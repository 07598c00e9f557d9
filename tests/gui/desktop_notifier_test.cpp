// Desktop notifications reach a real notification daemon (dunst) on a private session bus with its own
// X display; the user's session bus is never touched.
#include "gui/shell/desktop_notifier.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace quorvex::gui {
namespace {

QString g_busFolder;  // holds the private bus's socket, named in the environment before Qt starts
// Generous: a first start may build font caches, and the machine may be loaded.
constexpr int kPatience = 60000;

// A child of this test, ended however the test ends.
struct Child {
  QProcess process;
  ~Child() {
    process.terminate();
    if (!process.waitForFinished(5000)) process.kill();
    process.waitForFinished(5000);
  }
};

QString FirstLine(QProcess& process) {
  QByteArray out;
  const QDeadlineTimer deadline(kPatience);
  while (!out.contains('\n') && process.waitForReadyRead(int(deadline.remainingTime())))
    out += process.readAllStandardOutput();
  return QString::fromLocal8Bit(out).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// Runs a tool with blank-separated arguments to its end; its output.
QString Run(const QString& program, const char* words) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, QString::fromLatin1(words).split(QLatin1Char(' ')));
  process.waitForFinished(kPatience);
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

void Write(const QString& path, const QString& text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(text.toUtf8());
}

}  // namespace

class DesktopNotifierTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void notifiesDunst() {
    QHash<QString, QString> tools;
    for (const char* name : {"Xvfb", "dbus-daemon", "dunst", "dunstctl", "dbus-send", "touch"}) {
      tools[QLatin1String(name)] = QStandardPaths::findExecutable(QLatin1String(name));
      if (tools[QLatin1String(name)].isEmpty())
        QSKIP(qPrintable(QStringLiteral("%1 is not installed (scripts/install-deps installs it)").arg(name)));
    }
    const QString dunstctl = tools[QStringLiteral("dunstctl")];
    const QDir dir(g_busFolder);

    Child display;
    display.process.setStandardErrorFile(QProcess::nullDevice());
    display.process.start(tools[QStringLiteral("Xvfb")], QStringLiteral("-displayfd 1 -nolisten tcp").split(' '));
    const QString displayNumber = FirstLine(display.process);
    QVERIFY2(!displayNumber.isEmpty(), "Xvfb found no display");

    // The bus can start a notification service on demand; that service only leaves a mark, which a call
    // sent without a running service would leave.
    const QString marker = dir.filePath(QStringLiteral("activated"));
    QVERIFY(dir.mkpath(QStringLiteral("services")));
    Write(dir.filePath(QStringLiteral("services/notifications.service")),
          QStringLiteral("[D-BUS Service]\nName=org.freedesktop.Notifications\nExec='%1' '%2'\n")
              .arg(tools[QStringLiteral("touch")], marker));
    Write(dir.filePath(QStringLiteral("bus.conf")),
          QStringLiteral("<busconfig><type>session</type><listen>unix:path=%1</listen><servicedir>%2</servicedir>"
                         "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                         "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
              .arg(dir.filePath(QStringLiteral("bus")), dir.filePath(QStringLiteral("services"))));
    Child bus;
    bus.process.setStandardErrorFile(QProcess::nullDevice());
    bus.process.start(tools[QStringLiteral("dbus-daemon")],
                      {QStringLiteral("--config-file=") + dir.filePath(QStringLiteral("bus.conf")),
                       QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    QVERIFY(FirstLine(bus.process).startsWith(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS")));
    QVERIFY(QDBusConnection::sessionBus().isConnected());

    std::string shown;
    DesktopNotifier notifier([&shown](const std::string& name) { shown = name; });
    const platform::AlertWindowContent content{"The page changed", {}, "42 items", "Dunst beacon", {}};

    // No service: nothing goes out on the bus and nothing is reported.
    static int messages = 0;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) { ++messages; });
    QVERIFY(!DesktopNotifier::ServiceRunning());
    notifier.Notify(content);
    QTest::qWait(1000);
    QVERIFY(!DesktopNotifier::ServiceRunning());
    qInstallMessageHandler(previous);
    QCOMPARE(messages, 0);
    QVERIFY(!QFile::exists(marker));

    Write(dir.filePath(QStringLiteral("dunstrc")), QStringLiteral("[urgency_normal]\ntimeout = 0\n"));
    Child dunst;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + displayNumber);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    dunst.process.setProcessEnvironment(environment);
    dunst.process.start(tools[QStringLiteral("dunst")],
                        {QStringLiteral("-config"), dir.filePath(QStringLiteral("dunstrc"))});
    QByteArray dunstLog;
    const auto log = [&] { return (dunstLog += dunst.process.readAllStandardError()).constData(); };
    QTRY_VERIFY2_WITH_TIMEOUT(DesktopNotifier::ServiceRunning(), log(), kPatience);

    notifier.Notify(content);
    QTRY_COMPARE_WITH_TIMEOUT(Run(dunstctl, "count displayed"), QStringLiteral("1"), kPatience);
    // The notification's default action shows its beacon.
    QCOMPARE(Run(dunstctl, "action 0"), QString());
    QTRY_VERIFY2_WITH_TIMEOUT(shown == content.name, log(), kPatience);

    QCOMPARE(Run(dunstctl, "close-all"), QString());
    const QString history = Run(dunstctl, "history");
    QVERIFY2(history.contains(QStringLiteral("\"Dunst beacon\"")), qPrintable(history));
    QVERIFY2(history.contains(QStringLiteral("\"The page changed\\n42 items\"")), qPrintable(history));
    QCOMPARE(Run(dunstctl, "count history"), QStringLiteral("1"));
    QVERIFY(!QFile::exists(marker));
  }
};

}  // namespace quorvex::gui

int main(int argc, char** argv) {
  // Named before anything in Qt can open the user's session bus; the test starts the bus itself.
  QTemporaryDir busFolder;
  quorvex::gui::g_busFolder = busFolder.path();
  qputenv("DBUS_SESSION_BUS_ADDRESS",
          "unix:path=" + QDir(busFolder.path()).filePath(QStringLiteral("bus")).toLocal8Bit());
  QApplication app(argc, argv);
  quorvex::gui::DesktopNotifierTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "desktop_notifier_test.moc"
