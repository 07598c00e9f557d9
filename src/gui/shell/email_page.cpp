#include "gui/shell/email_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <mutex>

#include "gui/shell/gui_text.h"
#include "mail/multipart_message.h"
#include "model/alert_email.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/settings.h"

namespace quorvex::gui {

using namespace platform::ids;

struct WDSetEmail::Link {
  std::mutex mutex;
  WDSetEmail* page = nullptr;  // null once the page is gone
  bool done = false;
};

WDSetEmail::WDSetEmail(const settings::WDSettings& s, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("EmailPage"));
  email_ = new QLineEdit(FromBytes(s.m_strEmail));
  email_->setObjectName(QStringLiteral("Email"));
  smtpServer_ = new QLineEdit(FromBytes(s.m_strSMTPServ));
  smtpServer_->setObjectName(QStringLiteral("SMTPServ"));
  sendTest_ = new QPushButton(Text(kSendTestMail));
  sendTest_->setObjectName(QStringLiteral("SendTestMail"));

  auto* group = new QGroupBox(Text(kEmailPage));
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(Text(kEmailLabel)), 0, 0);
  grid->addWidget(email_, 0, 1);
  grid->addWidget(new QLabel(Text(kSmtpServer)), 1, 0);
  grid->addWidget(smtpServer_, 1, 1);
  grid->addWidget(sendTest_, 2, 1, Qt::AlignRight);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addStretch();
  connect(sendTest_, &QPushButton::clicked, this, [this, timeOut = s.m_nTimeOut] { SendTestMessage(timeOut); });
}

WDSetEmail::~WDSetEmail() {
  if (!link_) return;
  bool done = false;
  {
    std::lock_guard lock(link_->mutex);
    link_->page = nullptr;
    done = link_->done;
  }
  // The session's own time-outs bound a running send; the page does not wait for them.
  if (done) {
    sender_.join();
  } else {
    sender_.detach();
  }
}

void WDSetEmail::Store(settings::WDSettings& s) const {
  s.m_strEmail = ToBytes(email_->text().trimmed());
  s.m_strSMTPServ = ToBytes(smtpServer_->text().trimmed());
}

void WDSetEmail::SendTestMessage(int timeoutSeconds) {
  const std::string address = ToBytes(email_->text().trimmed());
  const std::string server = ToBytes(smtpServer_->text().trimmed());
  if (address.empty() || server.empty()) {
    platform::Prompt().ShowMessage(platform::GetString(kMsgMailNotConfigured), platform::PromptIcon::Exclamation);
    return;
  }
  if (sender_.joinable()) sender_.join();  // the one before has finished: the button was greyed
  sendTest_->setEnabled(false);
  // Composed here: the message text reads the language, which belongs to the UI thread.
  auto message = std::make_shared<mail::CMultipartMessage>();
  model::ComposeAlertMail(model::TestAlertMail(address), address, *message);
  link_ = std::make_shared<Link>();
  link_->page = this;
  sender_ = std::thread([link = link_, message, server, timeoutSeconds] {
    std::string error;
    const bool sent = model::SendAlertMail(*message, model::MailRelay{server, timeoutSeconds}, error);
    std::lock_guard lock(link->mutex);
    link->done = true;
    // Posted while the page is known to live; a page destroyed before delivery drops the event.
    if (link->page) {
      QMetaObject::invokeMethod(
          link->page, [page = link->page, sent, error] { page->ShowResult(sent, error); }, Qt::QueuedConnection);
    }
  });
}

void WDSetEmail::ShowResult(bool sent, const std::string& error) {
  sendTest_->setEnabled(true);
  const std::string title = platform::GetString(kEmailLabel) + ToBytes(email_->text().trimmed());
  if (sent) {
    const std::string refusal = error.empty() ? std::string() : "\n" + error;
    platform::Prompt().ShowMessage(title + "\n" + platform::GetString(kMsgMailSent) + refusal,
                                   platform::PromptIcon::Information);
  } else {
    platform::Prompt().ShowMessage(title + "\n" + error, platform::PromptIcon::Exclamation);
  }
  Q_EMIT TestFinished(sent);
}

}  // namespace quorvex::gui
