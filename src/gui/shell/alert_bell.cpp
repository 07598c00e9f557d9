#include "gui/shell/alert_bell.h"

#include "gui/shell/sound.h"
#include "settings/app_context.h"

namespace quorvex::gui {

AlertBell::AlertBell(QObject* parent) : QObject(parent) {
  m_timer.setInterval(kPollMs);
  connect(&m_timer, &QTimer::timeout, this, &AlertBell::OnPoll);
}

AlertBell::~AlertBell() = default;

bool AlertBell::RingBell(const std::string& path) {
  const settings::WDSettings* settings = settings::GetSettings();
  if (m_pBell || !settings || settings->m_bSoundEnable == 0) return false;
  auto bell = std::make_unique<WDSound>();
  if (!bell->LoadAndPlayFile(path)) return false;
  m_pBell = std::move(bell);
  m_timer.start();
  return true;
}

void AlertBell::OnPoll() {
  if (m_pBell && m_pBell->PlayPosition() != 0) return;
  m_pBell.reset();
  m_timer.stop();
}

}  // namespace quorvex::gui
