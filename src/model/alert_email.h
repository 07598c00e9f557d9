#pragma once
// Alert mail as the e-mail action writes and sends it; also used by the command line's mail test.
#include <chrono>
#include <functional>
#include <string>

#include "mail/multipart_message.h"

namespace quorvex::model {

struct AlertMail {
  std::string to, cc, bcc;  // ';'-separated lists, passed on unchanged
  std::string subject;      // Windows-1251 or UTF-8 text as the user wrote it
  std::string body;
  int charset = 0;  // 0 Windows-1251 (as written), 1 KOI8-R, 2 CP866, 3 Mac Cyrillic
};

// Fills message from mail and the EMAIL settings (sender), converting subject and body into the
// chosen character set.
void ComposeAlertMail(const AlertMail& mail, mail::CMultipartMessage& message);
// The same with the sender given (the Options sheet sends from what is entered, not yet stored).
void ComposeAlertMail(const AlertMail& mail, const std::string& sender, mail::CMultipartMessage& message);

// The test message of `quorvex-cli mail-test` and of the Options sheet's test button: an alert mail to
// `to` whose body is framed like an alert's. Empty subject or text take the standard ones. Reads the
// language (program title): UI thread.
AlertMail TestAlertMail(const std::string& to, const std::string& subject = {}, const std::string& text = {},
                        int charset = 0);

// Where and how patiently mail is sent: the settings' SMTPServ ("host" or "host:port") and CONNECTION
// TimeOut, taken on the UI thread so that a delivery on another thread never reads the settings.
struct MailRelay {
  std::string server;
  int timeoutSeconds = 10;
};
MailRelay MailRelayFromSettings();
// The longest one delivery through relay may take (CSmtpSession's overall limit).
std::chrono::milliseconds MailDeliveryLimit(const MailRelay& relay);

// A composed message and its relay, ready to go on any thread.
struct MailDelivery {
  mail::CMultipartMessage message;
  MailRelay relay;
};

// Sends message through relay. transcript, when given, sees each command and reply code. On failure
// false with the session's error text in error; a message delivered to only some recipients gives true
// with the refusal in error. Any thread; the calling thread waits at most MailDeliveryLimit (name
// lookup aside).
bool SendAlertMail(mail::CMultipartMessage& message, const MailRelay& relay, std::string& error,
                   const std::function<void(const std::string&)>& transcript = {});

}  // namespace quorvex::model
