// quorvex-cli list / show / remove: reading and removing beacons of the catalog.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "model/beacon_row.h"
#include "model/val_page.h"
#include "text/code_page.h"
#include "text/value_text.h"

namespace quorvex::cli {
namespace {

const char* StateWord(int state) {
  switch (state) {
    case model::kStateDue:
      return "due";
    case model::kStateDisabled:
      return "off";
    case model::kStateAlert:
      return "ALERT";
    case model::kStateError:
      return "error";
    default:
      return "ok";
  }
}

void PrintTree(const model::WDGroup& group, int depth, int& number, std::ostream& out) {
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  for (size_t i = 0; i < group.GetChildCount(); ++i) {
    model::WDItem* child = group.GetChild(i);
    if (child->IsGroup()) {
      out << indent << "[" << Show(child->GetName()) << "]\n";
      PrintTree(static_cast<const model::WDGroup&>(*child), depth + 1, number, out);
      continue;
    }
    auto& value = static_cast<model::WDValue&>(*child);
    const model::BeaconRow row = model::MakeBeaconRow(value);
    std::string shown = Show(row.value);
    if (shown.size() > 40) shown = Show(text::Shorten(row.value, 40));
    out << indent << "#" << ++number << " " << Show(value.GetName()) << "  [" << StateWord(row.state) << "]  " << shown
        << "  " << row.change << "  " << (row.never_sampled ? "never" : TimeText(row.time)) << "  "
        << Show(row.address);
    // Kept beside the catalog until the page is read again.
    const model::WDValPage* page = value.GetPage();
    if (page && !page->GetErrorText().empty()) out << "  (last fetch failed: " << Show(page->GetErrorText()) << ")";
    out << "\n";
  }
}

class ListCommand : public Command {
 public:
  std::string Name() const override { return "list"; }
  std::string Summary() const override { return "show the catalog tree with every beacon's state and value"; }
  std::string Help() const override {
    return "Usage: quorvex-cli list [--catalog FILE]\n"
           "Prints the folders (in brackets, indented) and the beacons with their number (#N, usable\n"
           "wherever a BEACON is asked for), state, value, change, time of the last sample and address.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kCatalogValued, kCatalogFlags);
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (!parser.Positionals().empty()) return UsageError(io, Name(), "unexpected argument");
    CatalogSession session(io);
    if (!session.Open(parser)) return kExitFailed;
    const model::WDGroup* root = session.Doc().GetRoot();
    io.out << "[" << Show(root->GetName()) << "]\n";
    int number = 0;
    PrintTree(*root, 1, number, io.out);
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(ListCommand);

class ShowCommand : public Command {
 public:
  std::string Name() const override { return "show"; }
  std::string Summary() const override { return "print every field of one beacon"; }
  std::string Help() const override {
    return "Usage: quorvex-cli show BEACON [--catalog FILE]\n"
           "BEACON is a name, a folder path \"A/B/Name\", or #N from 'list'.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kCatalogValued, kCatalogFlags);
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Positionals().size() != 1) return UsageError(io, Name(), "give one BEACON");
    CatalogSession session(io);
    model::WDValue* value = session.OpenBeacon(parser, parser.Positionals()[0]);
    if (!value) return kExitFailed;
    std::ostream& out = io.out;
    out << "name:        " << Show(value->GetName()) << "\n"
        << "folder path: " << Show(session.PathOf(value)) << "\n"
        << "kind:        " << KindName(value->GetKind()) << "\n"
        << "unit:        " << Show(value->GetUnit()) << "\n"
        << "pattern:     " << Show(value->GetPattern()) << "\n"
        << "address:     " << Show(value->GetURL()) << "\n"
        << "charset:     " << text::CodePageLabel(value->GetCharset()) << "\n"
        << "schedule:    " << ScheduleText(value->GetPage()->m_freq) << "\n"
        << "enabled:     " << (value->IsEnabled() ? "yes" : "no") << "\n"
        << "history:     " << (value->GetHistory().IsKeepAll() ? "keep all" : "keep two") << ", "
        << value->GetHistory().GetCount() << " samples\n"
        << "status:      " << Show(value->GetStatusText()) << "\n"
        << (value->GetPage() && !value->GetPage()->GetErrorText().empty()
                ? "last fetch:  failed: " + Show(value->GetPage()->GetErrorText()) + "\n"
                : std::string())
        << "description: " << Show(value->GetDescription()) << "\n"
        << "alerts:      " << (value->GetAlert().IsEnabled() ? "on" : "off") << ", "
        << value->GetAlert().GetEventCount() << " events\n";
    for (size_t i = 0; i < value->GetAlert().GetEventCount(); ++i) {
      const model::WDEventMessager& event = value->GetAlert().GetEvent(i);
      out << "  event " << i + 1 << ": " << Show(event.m_condition.Describe()) << (event.m_bOnce ? " (once)" : "")
          << "\n";
      if (event.m_actMessage.m_bEnabled) {
        out << "    message" << (event.m_actMessage.m_bSound ? " with sound" : "") << ": "
            << Show(event.m_actMessage.m_strText) << "\n";
      }
      if (event.m_actEmail.m_bEnabled) {
        out << "    e-mail to " << Show(event.m_actEmail.m_strTo) << " subject " << Show(event.m_actEmail.m_strSubject)
            << "\n";
      }
      if (event.m_actExec.m_bEnabled) {
        out << "    open:";
        const model::WDAlertExec& exec = event.m_actExec;
        for (int slot = 0; slot < model::WDAlertExec::kSlots; ++slot) {
          if (!exec.Program(slot).empty()) out << " " << Show(exec.Program(slot));
        }
        out << (exec.m_bOpenPage ? " (and the page)" : "") << "\n";
      }
    }
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(ShowCommand);

class RemoveCommand : public Command {
 public:
  std::string Name() const override { return "remove"; }
  std::string Summary() const override { return "delete a beacon with its history"; }
  std::string Help() const override { return "Usage: quorvex-cli remove BEACON [--catalog FILE]\n"; }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kCatalogValued, kCatalogFlags);
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Positionals().size() != 1) return UsageError(io, Name(), "give one BEACON");
    CatalogSession session(io, CatalogAccess::Change);
    model::WDValue* value = session.OpenBeacon(parser, parser.Positionals()[0]);
    if (!value) return kExitFailed;
    const std::string name = Show(value->GetName());
    if (!session.Doc().DeleteBeacon(value) || !session.Save()) return kExitFailed;
    io.out << "removed " << name << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(RemoveCommand);

}  // namespace
}  // namespace quorvex::cli
