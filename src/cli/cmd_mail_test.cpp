// quorvex-cli mail-test: sends a message exactly as the e-mail alert does, to check the relay.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "model/alert_email.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"

namespace quorvex::cli {
namespace {

class MailTestCommand : public Command {
 public:
  std::string Name() const override { return "mail-test"; }
  std::string Summary() const override { return "send a test message through the configured SMTP relay"; }
  std::string Help() const override {
    return "Usage: quorvex-cli mail-test --to ADDRESS [--subject S] [--text T] [--charset 0-3]\n"
           "Composes a message as an e-mail alert does (sender: setting EMAIL.Email; relay:\n"
           "EMAIL.SMTPServ, \"host\" or \"host:port\") and sends it, printing each command and reply code.\n"
           "Several addresses are separated by ';'.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"to", "subject", "text", "charset"}, {});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (!parser.Positionals().empty()) return UsageError(io, Name(), "unexpected argument");
    if (parser.Get("to").empty()) return UsageError(io, Name(), "--to is needed");
    const std::string charset = parser.Get("charset", "0");
    if (charset.size() != 1 || charset[0] < '0' || charset[0] > '3') {
      return UsageError(io, Name(), "--charset is 0 to 3");
    }
    const settings::WDSettings* s = settings::GetSettings();
    if (!s || s->m_strSMTPServ.empty() || s->m_strEmail.empty()) {
      io.err << Message(platform::ids::kMsgMailNotConfigured) << "\n";
      return kExitFailed;
    }
    const model::AlertMail alert =
        model::TestAlertMail(parser.Get("to"), parser.Get("subject"), parser.Get("text"), charset[0] - '0');
    mail::CMultipartMessage message;
    model::ComposeAlertMail(alert, message);
    io.out << "server " << s->m_strSMTPServ << ", sender " << s->m_strEmail << "\n";
    std::string error;
    const bool sent = model::SendAlertMail(message, model::MailRelayFromSettings(), error,
                                           [&](const std::string& line) { io.out << Show(line) << "\n"; });
    if (!sent || !error.empty()) {
      io.err << ShowLines(error) << "\n";
      return kExitFailed;
    }
    io.out << Message(platform::ids::kMsgMailSent) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(MailTestCommand);

}  // namespace
}  // namespace quorvex::cli
