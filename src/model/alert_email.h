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
// The same through the relay of the settings. UI thread.
bool SendAlertMail(mail::CMultipartMessage& message, std::string& error,
                   const std::function<void(const std::string&)>& transcript = {});

}  // namespace quorvex::model
