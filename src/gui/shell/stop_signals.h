#pragma once
// SIGTERM, SIGINT and SIGHUP turned into a Qt signal on the UI thread, so that a kill ends the
// program the way its exit command does: fetches stopped, catalog and settings saved.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace quorvex::gui {

class StopSignalNotifier : public QObject {
  Q_OBJECT

 public:
  // One object at a time; the previous handlers come back with the destructor.
  explicit StopSignalNotifier(QObject* parent = nullptr);
  ~StopSignalNotifier() override;

 Q_SIGNALS:
  void Received(int signalNumber);

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace quorvex::gui
