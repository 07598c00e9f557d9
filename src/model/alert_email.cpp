#include "model/alert_email.h"

#include <chrono>
#include <cmath>
#include <memory>
#include <utility>

#include "mail/smtp_session.h"
#include "model/alert.h"
#include "model/mail_courier.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/app_context.h"
#include "text/code_page.h"
#include "text/value_text.h"

namespace quorvex::model {
namespace {

constexpr unsigned kSmtpPort = 25;
constexpr char kTestSubject[] = "Quorvex test message";
constexpr char kTestText[] = "This is a test message of the alert e-mail.";
// The changed lines a mail quotes at most: a glance at the change, not the page.
constexpr size_t kMailChangeLines = 20;

std::string Converted(std::string text, int charset) {
  text::ConvertFromWindows1251(text, charset);
  return text;
}

}  // namespace

void ComposeAlertMail(const AlertMail& alert, mail::CMultipartMessage& message) {
  const settings::WDSettings* s = settings::GetSettings();
  ComposeAlertMail(alert, s ? s->m_strEmail : std::string(), message);
}

void ComposeAlertMail(const AlertMail& alert, const std::string& sender, mail::CMultipartMessage& message) {
  message.m_strFrom = sender;
  message.m_strSubject = Converted(alert.subject, alert.charset);
  message.m_strBody = Converted(alert.body, alert.charset);
  message.AddRecipientList(alert.to, mail::RecipientTo);
  if (!alert.cc.empty()) message.AddRecipientList(alert.cc, mail::RecipientCc);
  if (!alert.bcc.empty()) message.AddRecipientList(alert.bcc, mail::RecipientBcc);
}

AlertMail TestAlertMail(const std::string& to, const std::string& subject, const std::string& text, int charset) {
  AlertMail alert;
  alert.to = to;
  alert.subject = subject.empty() ? std::string(kTestSubject) : subject;
  alert.body = "- " + platform::GetString(platform::ids::kProgramTitle) + " message -\n" +
               (text.empty() ? std::string(kTestText) : text) + "\n";
  alert.charset = charset;
  return alert;
}

MailRelay MailRelayFromSettings() {
  MailRelay relay;
  if (const settings::WDSettings* s = settings::GetSettings()) {
    relay.server = s->m_strSMTPServ;
    relay.timeoutSeconds = s->m_nTimeOut;
  }
  return relay;
}

namespace {

std::chrono::milliseconds RelayTimeout(const MailRelay& relay) {
  return std::chrono::milliseconds(int64_t{relay.timeoutSeconds} * 1000);
}

// The action's word to the user about one delivery: the status title, then the error or the success.
void ReportMail(const std::string& title, bool sent, const std::string& error) {
  if (!sent) {
    platform::Prompt().ShowMessage(title + "\n" + error, platform::PromptIcon::Exclamation);
    return;
  }
  // A refused recipient is worth knowing even though the others got the message.
  platform::Prompt().ShowMessage(
      title + "\n" + platform::GetString(platform::ids::kMsgMailSent) + (error.empty() ? "" : "\n" + error),
      platform::PromptIcon::Information);
}

}  // namespace

std::chrono::milliseconds MailDeliveryLimit(const MailRelay& relay) {
  // As the session takes its time-out: zero or less means its default.
  const auto timeout = RelayTimeout(relay).count() > 0 ? RelayTimeout(relay) : mail::CSmtpSession::kDefaultTimeout;
  return mail::CSmtpSession::kOverallTimeouts * timeout;
}

bool SendAlertMail(mail::CMultipartMessage& message, const MailRelay& relay, std::string& error,
                   const std::function<void(const std::string&)>& transcript) {
  mail::CSmtpSession session(relay.server, kSmtpPort, RelayTimeout(relay));
  if (transcript) session.SetTranscript(transcript);
  if (!session.Connect() || !session.SendMail(message)) {
    error = session.GetErrorText();
    return false;
  }
  // Delivered, but a refused recipient leaves its reply here.
  if (session.GetErrorText() != "OK") error = session.GetErrorText();
  return true;
}

bool SendAlertMail(mail::CMultipartMessage& message, std::string& error,
                   const std::function<void(const std::string&)>& transcript) {
  return SendAlertMail(message, MailRelayFromSettings(), error, transcript);
}

bool WDAlertEmail::Fire() {
  if (!m_bEnabled) return false;
  if (m_strTo.empty()) {
    platform::Prompt().ShowMessage(platform::GetString(platform::ids::kMsgFieldEmpty),
                                   platform::PromptIcon::Exclamation);
    return false;
  }
  const settings::WDSettings* s = settings::GetSettings();
  if (!s || s->m_strSMTPServ.empty() || s->m_strEmail.empty()) {
    platform::Prompt().ShowMessage(platform::GetString(platform::ids::kMsgMailNotConfigured),
                                   platform::PromptIcon::Exclamation);
    return false;
  }
  AlertMail alert;
  alert.to = m_strTo;  // unchanged: the recipient list splits at ';' itself
  alert.cc = m_strCc;
  alert.bcc = m_strBcc;
  alert.subject = m_strSubject;
  alert.charset = m_nCharset;
  std::string body = "- " + platform::GetString(platform::ids::kProgramTitle) + " message -\n" + m_strText + "\n ";
  if (const WDValue* value = Value()) {
    body += value->GetName() + " : " + value->GetLastText(true, 0);
    const double delta = value->GetLastDelta();
    if (delta != 0) body += std::string("(") + (delta > 0 ? "+" : "-") + text::FormatNumber(std::fabs(delta), 2) + ") ";
  }
  body += "\n-------\n" + (m_pCondition ? m_pCondition->Describe() : std::string());
  const std::vector<ChangedLine> changes = AlertChanges(Value());
  if (!changes.empty()) {
    body += "\n\n" + platform::GetString(platform::ids::kMailChanges) + "\n";
    for (size_t i = 0; i < changes.size() && i < kMailChangeLines; ++i) {
      body += (changes[i].added ? "+ " : "- ") + changes[i].text + "\n";
    }
    if (changes.size() > kMailChangeLines) body += "...\n";
  }
  alert.body = body;

  auto delivery = std::make_unique<MailDelivery>();
  ComposeAlertMail(alert, delivery->message);
  delivery->relay = MailRelayFromSettings();
  const std::string title = platform::GetString(platform::ids::kEmailLabel) + text::Shorten(m_strTo, 30);
  MailDone done = [title](bool sent, const std::string& error) { ReportMail(title, sent, error); };
  if (MailCourier* courier = ActiveMailCourier()) {
    // The result is told when it comes; the action itself has done its part.
    courier->Deliver(std::move(delivery), std::move(done));
    return true;
  }
  std::string error;
  const bool sent = SendAlertMail(delivery->message, delivery->relay, error);
  done(sent, error);
  return sent;
}

}  // namespace quorvex::model
