#pragma once
// The main frame's bell: rings a wave file when an alert becomes active, one bell at a time. A bell that
// cannot ring (sound switched off in the settings, no audio device, a missing or malformed file) is
// skipped silently; the next alert tries again.
//
// Thread: UI thread only.
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

namespace quorvex::gui {

class WDSound;

class AlertBell : public QObject {
  Q_OBJECT

 public:
  explicit AlertBell(QObject* parent = nullptr);
  ~AlertBell() override;

  // Plays the wave file at path once. Does nothing (false) while a bell rings, when there are no settings
  // (settings::GetSettings()) or their m_bSoundEnable is 0, and when the file cannot be played. On
  // success the bell is kept until its sound has ended (checked every kPollMs).
  bool RingBell(const std::string& path);

  bool IsRinging() const { return m_pBell != nullptr; }

  static constexpr int kPollMs = 500;

 private:
  void OnPoll();

  std::unique_ptr<WDSound> m_pBell;
  QTimer m_timer;
};

}  // namespace quorvex::gui
