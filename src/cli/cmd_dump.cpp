// quorvex-cli dump: the whole catalog as JSON for scripts.
#include <nlohmann/json.hpp>
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "model/val_page.h"
#include "text/display.h"

namespace quorvex::cli {
namespace {

using nlohmann::json;

// JSON escapes control characters itself; it only needs valid UTF-8.
std::string Utf8(const std::string& bytes) {
  return text::DisplayText(bytes);
}

json EventJson(const model::WDEventMessager& event) {
  const model::WDAlertEmail& mail = event.m_actEmail;
  json programs = json::array();
  for (int slot = 0; slot < model::WDAlertExec::kSlots; ++slot) programs.push_back(Utf8(event.m_actExec.Program(slot)));
  return {{"operator", OperatorSymbol(event.m_condition.m_nOperator)},
          {"operand", Utf8(event.m_condition.m_strOperand)},
          {"once", event.m_bOnce != 0},
          {"last_alarm", event.m_nLastAlarm},
          {"message",
           {{"enabled", event.m_actMessage.m_bEnabled != 0},
            {"sound", event.m_actMessage.m_bSound != 0},
            {"text", Utf8(event.m_actMessage.m_strText)}}},
          {"email",
           {{"enabled", mail.m_bEnabled != 0},
            {"to", Utf8(mail.m_strTo)},
            {"cc", Utf8(mail.m_strCc)},
            {"bcc", Utf8(mail.m_strBcc)},
            {"subject", Utf8(mail.m_strSubject)},
            {"text", Utf8(mail.m_strText)},
            {"charset", mail.m_nCharset}}},
          {"exec",
           {{"enabled", event.m_actExec.m_bEnabled != 0},
            {"programs", programs},
            {"open_page", event.m_actExec.m_bOpenPage != 0}}}};
}

json BeaconJson(const model::WDValue& value, const std::string& path) {
  json samples = json::array();
  for (int i = 0; i < value.GetHistory().GetCount(); ++i) {
    const model::WDHistoryRecord* record = value.GetHistory().GetAt(i);
    samples.push_back({{"time", record->GetTime()}, {"text", Utf8(record->GetRawText())}});
  }
  json events = json::array();
  for (size_t i = 0; i < value.GetAlert().GetEventCount(); ++i)
    events.push_back(EventJson(value.GetAlert().GetEvent(i)));
  return {{"name", Utf8(value.GetName())},
          {"path", Utf8(path)},
          {"kind", KindName(value.GetKind())},
          {"enabled", value.IsEnabled()},
          {"description", Utf8(value.GetDescription())},
          {"unit", Utf8(value.GetUnit())},
          {"pattern", Utf8(value.GetPattern())},
          {"status", value.m_nStatus},
          {"keep_all", value.GetHistory().IsKeepAll()},
          {"alerts_enabled", value.GetAlert().IsEnabled()},
          {"events", events},
          {"samples", samples}};
}

json FolderJson(const model::WDGroup& group) {
  json children = json::array();
  for (size_t i = 0; i < group.GetChildCount(); ++i) {
    const model::WDItem* child = group.GetChild(i);
    if (child->IsGroup()) {
      children.push_back(FolderJson(static_cast<const model::WDGroup&>(*child)));
    } else {
      children.push_back({{"beacon", Utf8(child->GetName())}});
    }
  }
  return {{"folder", Utf8(group.GetName())}, {"description", Utf8(group.GetDescription())}, {"children", children}};
}

class DumpCommand : public Command {
 public:
  std::string Name() const override { return "dump"; }
  std::string Summary() const override { return "print the whole catalog as JSON"; }
  std::string Help() const override {
    return "Usage: quorvex-cli dump [--json] [--catalog FILE]\n"
           "Prints pages (with their beacons, samples and events) and the folder tree as JSON.\n"
           "Texts are UTF-8; times are seconds since 1970 UTC.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kCatalogValued, {"yes", "json"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (!parser.Positionals().empty()) return UsageError(io, Name(), "unexpected argument");
    CatalogSession session(io);
    if (!session.Open(parser)) return kExitFailed;
    json pages = json::array();
    for (const auto& page : session.Doc().GetPages()) {
      json beacons = json::array();
      for (size_t i = 0; i < page->GetValueCount(); ++i) {
        beacons.push_back(BeaconJson(*page->GetValue(i), session.PathOf(page->GetValue(i))));
      }
      pages.push_back({{"url", Utf8(page->m_strURL)},
                       {"state", page->m_nState},
                       {"charset", page->m_nCharset},
                       {"fetched", page->m_timeFetched},
                       {"schedule",
                        {{"at_start", page->m_freq.m_bAtStartOnly != 0},
                         {"unit", page->m_freq.m_nUnit},
                         {"count", page->m_freq.m_nCount}}},
                       {"beacons", beacons}});
    }
    json folders = json::array();
    for (const auto& root : session.Doc().GetRoots()) folders.push_back(FolderJson(*root));
    json out = {{"catalog", session.App().CatalogPath()},
                {"note", Utf8(session.Doc().m_strNote)},
                {"pages", pages},
                {"folders", folders}};
    io.out << out.dump(2) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(DumpCommand);

}  // namespace
}  // namespace quorvex::cli
