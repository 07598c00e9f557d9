#pragma once
// One desktop program per user. The first instance listens on a local socket named after
// "QuorvexTransfer" in the user's runtime folder; a later start connects, asks it to come forward,
// hands a container path over, waits until the first instance has asked about it and imported it,
// and ends. A lock file around "connect, else listen" makes two simultaneous starts end with exactly
// one instance; a socket left by a crashed instance is removed under that lock, never a reason to
// refuse to start.
#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace quorvex::gui {

// The longest container path the hand-over takes (the old transfer block held 1023 bytes).
inline constexpr size_t kMaxHandOverPath = 1023;

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  enum class Role {
    Primary,     // this process listens: it is the one instance
    HandedOver,  // another instance took the request; this process should end
    Failed,      // neither listening nor reaching the other instance (error says why)
  };

  // serverPath: the socket file; empty for DefaultServerPath().
  explicit SingleInstance(QString serverPath = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  // $XDG_RUNTIME_DIR/QuorvexTransfer, or a per-user name in the temporary folder without one.
  static QString DefaultServerPath();

  // Becomes the primary instance, or hands containerPath (may be empty: only come forward) to the
  // running one and waits for its answer. A path over kMaxHandOverPath bytes is not sent (the other
  // instance still comes forward) and error says why.
  Role Start(const std::string& containerPath, std::string* error = nullptr);

  // What the primary does with a request: come forward, then import the path when not empty. Runs on
  // the UI thread; the sender waits until it returns.
  void SetHandler(std::function<void(const std::string& containerPath)> handler) { handler_ = std::move(handler); }

  const QString& ServerPath() const { return path_; }

 private:
  Role HandOver(QLocalSocket& socket, const std::string& containerPath, std::string* error);
  void OnConnection();

  QString path_;
  QLocalServer server_;
  std::function<void(const std::string&)> handler_;
};

}  // namespace quorvex::gui
