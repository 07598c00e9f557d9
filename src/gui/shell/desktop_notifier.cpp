#include "gui/shell/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "gui/shell/gui_text.h"
#include "platform/command_ids.h"

namespace quorvex::gui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kShowAction = QStringLiteral("default");
constexpr int kCapabilitiesTimeoutMs = 1000;

}  // namespace

DesktopNotifier::DesktopNotifier(std::function<void(const std::string& name)> show, QObject* parent)
    : QObject(parent), m_show(std::move(show)) {}

bool DesktopNotifier::ServiceRunning() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

void DesktopNotifier::Notify(const platform::AlertWindowContent& content) {
  if (!ServiceRunning()) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!m_bListening) {
    // QtDBus connects signals by signature only.
    m_bListening = bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                               SLOT(OnActionInvoked(uint, QString)));
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  QString body = FromBytes(content.description);
  if (!content.lastText.empty()) body += QLatin1Char('\n') + FromBytes(content.lastText);
  // A service that reads markup in the body would take a "<" of a value for the start of a tag.
  if (m_nMarkup < 0) {
    const QDBusMessage reply =
        bus.call(QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")),
                 QDBus::Block, kCapabilitiesTimeoutMs);
    m_nMarkup = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                reply.arguments().front().toStringList().contains(QStringLiteral("body-markup"));
  }
  if (m_nMarkup == 1) body = body.toHtmlEscaped();
  call << QStringLiteral("Quorvex") << 0u << QStringLiteral("quorvex") << FromBytes(content.name) << body
       << QStringList{kShowAction, PromptPart(platform::cmd::kShowBeacon)} << QVariantMap() << -1;
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, name = content.name](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) m_beacons.insert(reply.value(), name);
    w->deleteLater();
  });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& key) {
  const auto it = m_beacons.constFind(id);
  if (it == m_beacons.constEnd() || key != kShowAction) return;
  if (m_show) m_show(*it);
}

}  // namespace quorvex::gui
