#pragma once
// The E-mail page of the Options sheet: the sender's address and the SMTP relay of alert mail, and
// a button that sends the test message of `quorvex-cli mail-test` with what is entered.
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <string>
#include <thread>

namespace quorvex::settings {
class WDSettings;
}

namespace quorvex::gui {

class WDSetEmail : public QWidget {
  Q_OBJECT

 public:
  explicit WDSetEmail(const settings::WDSettings& s, QWidget* parent = nullptr);
  // A test message still on its way is left to finish alone; its result is dropped.
  ~WDSetEmail() override;
  void Store(settings::WDSettings& s) const;

  // Sends the test message from the entered address to itself through the entered relay, on a
  // thread of its own; the result comes as a message through the core's prompt, and the button is
  // greyed meanwhile. timeoutSeconds: the connect time-out.
  void SendTestMessage(int timeoutSeconds);

 Q_SIGNALS:
  // The test message's outcome has been shown.
  void TestFinished(bool sent);

 private:
  struct Link;  // shared with the sending thread: whether the page still wants the result
  void ShowResult(bool sent, const std::string& error);

  QLineEdit* email_;
  QLineEdit* smtpServer_;
  QPushButton* sendTest_;
  std::shared_ptr<Link> link_;
  std::thread sender_;
};

}  // namespace quorvex::gui
