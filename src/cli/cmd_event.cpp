// quorvex-cli event / alerts: the event editor's fields for users without a display.
#include <memory>
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"

namespace quorvex::cli {
namespace {

const std::set<std::string> kEventValued = {"catalog",   "op",           "operand",  "message",
                                            "mail-to",   "mail-cc",      "mail-bcc", "mail-subject",
                                            "mail-text", "mail-charset", "exec"};
const std::set<std::string> kEventFlags = {"yes", "once", "no-sound", "no-open-page", "no-message"};

void PrintEvents(const model::WDValue& value, std::ostream& out) {
  const model::WDAlert& alert = value.GetAlert();
  out << "alerts " << (alert.IsEnabled() ? "on" : "off") << ", " << alert.GetEventCount() << " events\n";
  for (size_t i = 0; i < alert.GetEventCount(); ++i) {
    const model::WDEventMessager& event = alert.GetEvent(i);
    out << i + 1 << ": " << OperatorSymbol(event.m_condition.m_nOperator) << " "
        << (event.m_condition.m_strOperand.empty() ? "(previous sample)" : Show(event.m_condition.m_strOperand))
        << (event.m_bOnce ? "  once" : "") << "\n";
    if (event.m_actMessage.m_bEnabled) {
      out << "   message" << (event.m_actMessage.m_bSound ? "" : " (no sound)") << ": "
          << Show(event.m_actMessage.m_strText) << "\n";
    }
    const model::WDAlertEmail& mail = event.m_actEmail;
    if (mail.m_bEnabled) {
      out << "   e-mail to: " << Show(mail.m_strTo);
      if (!mail.m_strCc.empty()) out << "  cc: " << Show(mail.m_strCc);
      if (!mail.m_strBcc.empty()) out << "  bcc: " << Show(mail.m_strBcc);
      out << "  subject: " << Show(mail.m_strSubject) << "  charset: " << mail.m_nCharset << "\n";
    }
    if (event.m_actExec.m_bEnabled) {
      out << "   open:";
      for (int slot = 0; slot < model::WDAlertExec::kSlots; ++slot) {
        if (!event.m_actExec.Program(slot).empty()) out << " '" << Show(event.m_actExec.Program(slot)) << "'";
      }
      out << (event.m_actExec.m_bOpenPage ? " and the page" : "") << "\n";
    }
  }
}

class EventCommand : public Command {
 public:
  std::string Name() const override { return "event"; }
  std::string Summary() const override { return "list, add or remove a beacon's alert events"; }
  std::string Help() const override {
    return "Usage: quorvex-cli event list BEACON\n"
           "       quorvex-cli event add BEACON --op OP [--operand TEXT] [--once] [--message TEXT] [--no-sound]\n"
           "                 [--no-message] [--mail-to A [--mail-cc A] [--mail-bcc A] [--mail-subject S]\n"
           "                 [--mail-text T] [--mail-charset 0-3]] [--exec PROGRAM ...] [--no-open-page]\n"
           "       quorvex-cli event remove BEACON N\n"
           "OP compares the newest sample with the operand (or, without one, with the previous sample):\n"
           "  '=' contains or equals, '#' differs, '>' '<' '>=' '<=' as numbers (texts: '>' and '<' mean\n"
           "  'does not contain'). --once alarms once while the same text keeps the event true.\n"
           "--exec may be given up to three times; with it the page address is opened too unless\n"
           "--no-open-page. All take --catalog FILE.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kEventValued, kEventFlags);
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    const auto& pos = parser.Positionals();
    if (pos.size() < 2) return UsageError(io, Name(), "give list, add or remove and a BEACON");
    const std::string& verb = pos[0];
    if (verb != "list" && verb != "add" && verb != "remove") return UsageError(io, Name(), "unknown verb " + verb);
    if ((verb == "remove") != (pos.size() == 3) || pos.size() > 3) return UsageError(io, Name(), "wrong arguments");
    int op = -1;
    if (verb == "add") {
      op = OperatorFromSymbol(parser.Get("op"));
      if (op < 0) return UsageError(io, Name(), "--op is one of = # > < >= <=");
      if (parser.GetAll("exec").size() > 3) return UsageError(io, Name(), "at most three --exec");
      const std::string charset = parser.Get("mail-charset", "0");
      if (charset.size() != 1 || charset[0] < '0' || charset[0] > '3') {
        return UsageError(io, Name(), "--mail-charset is 0 to 3");
      }
    }
    CatalogSession session(io, CatalogAccess::Change);
    model::WDValue* value = session.OpenBeacon(parser, pos[1]);
    if (!value) return kExitFailed;
    if (verb == "list") {
      PrintEvents(*value, io.out);
      return kExitOk;
    }
    if (verb == "remove") {
      const std::string& n = pos[2];
      const size_t index =
          n.find_first_not_of("0123456789") == std::string::npos && !n.empty() && n.size() < 6 ? std::stoul(n) : 0;
      if (index < 1 || !value->GetAlert().RemoveEvent(index - 1)) {
        io.err << "no event " << n << " (see 'quorvex-cli event list')\n";
        return kExitFailed;
      }
    } else {
      auto event = std::make_unique<model::WDEventMessager>();
      event->m_condition.m_nOperator = op;
      event->m_condition.m_strOperand = parser.Get("operand");
      event->m_bOnce = parser.Has("once") ? 1 : 0;
      event->m_actMessage.m_bEnabled = parser.Has("no-message") ? 0 : 1;
      event->m_actMessage.m_strText = parser.Get("message");
      event->m_actMessage.m_bSound = parser.Has("no-sound") ? 0 : 1;
      model::WDAlertEmail& mail = event->m_actEmail;
      mail.m_bEnabled = parser.Has("mail-to") ? 1 : 0;
      mail.m_strTo = parser.Get("mail-to");
      mail.m_strCc = parser.Get("mail-cc");
      mail.m_strBcc = parser.Get("mail-bcc");
      mail.m_strSubject = parser.Get("mail-subject");
      mail.m_strText = parser.Get("mail-text");
      mail.m_nCharset = parser.Get("mail-charset", "0")[0] - '0';
      const auto& programs = parser.GetAll("exec");
      event->m_actExec.m_bEnabled = programs.empty() ? 0 : 1;
      for (size_t i = 0; i < programs.size(); ++i) event->m_actExec.Program(static_cast<int>(i)) = programs[i];
      event->m_actExec.m_bOpenPage = parser.Has("no-open-page") ? 0 : 1;
      value->GetAlert().AddEvent(std::move(event));
    }
    session.Doc().SetModifiedFlag(true);
    if (!session.Save()) return kExitFailed;
    PrintEvents(*value, io.out);
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(EventCommand);

class AlertsCommand : public Command {
 public:
  std::string Name() const override { return "alerts"; }
  std::string Summary() const override { return "switch a beacon's alerts on or off"; }
  std::string Help() const override { return "Usage: quorvex-cli alerts on|off BEACON [--catalog FILE]\n"; }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kCatalogValued, kCatalogFlags);
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    const auto& pos = parser.Positionals();
    if (pos.size() != 2 || (pos[0] != "on" && pos[0] != "off")) return UsageError(io, Name(), "give on|off BEACON");
    CatalogSession session(io, CatalogAccess::Change);
    model::WDValue* value = session.OpenBeacon(parser, pos[1]);
    if (!value) return kExitFailed;
    value->GetAlert().SetEnabled(pos[0] == "on");
    session.Doc().SetModifiedFlag(true);
    if (!session.Save()) return kExitFailed;
    io.out << "alerts " << pos[0] << " for " << Show(session.PathOf(value)) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(AlertsCommand);

}  // namespace
}  // namespace quorvex::cli
