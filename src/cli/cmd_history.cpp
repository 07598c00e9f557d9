// quorvex-cli history: a beacon's samples, newest first, or their export as delimited text.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"

namespace quorvex::cli {
namespace {

class HistoryCommand : public Command {
 public:
  std::string Name() const override { return "history"; }
  std::string Summary() const override { return "list or export a beacon's samples"; }
  std::string Help() const override {
    return "Usage: quorvex-cli history BEACON [--catalog FILE]\n"
           "       quorvex-cli history BEACON --export FILE [--field-sep C] [--record-sep C] [--date-only]\n"
           "                           [--combine]\n"
           "Lists the samples newest first. --export writes them as delimited text (fields ',' and records\n"
           "';' unless given; --combine puts date and time in one field; texts are quoted, numbers not).\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"catalog", "export", "field-sep", "record-sep"}, {"yes", "date-only", "combine"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Positionals().size() != 1) return UsageError(io, Name(), "give one BEACON");
    const std::string field_sep = parser.Get("field-sep", ",");
    const std::string record_sep = parser.Get("record-sep", ";");
    if (field_sep.size() != 1 || record_sep.size() != 1) {
      return UsageError(io, Name(), "the separators are one character each");
    }
    CatalogSession session(io);
    model::WDValue* value = session.OpenBeacon(parser, parser.Positionals()[0]);
    if (!value) return kExitFailed;
    const model::WDHistory& history = value->GetHistory();
    if (!parser.Has("export")) {
      for (int i = history.GetCount(); i-- > 0;) {
        const model::WDHistoryRecord* record = history.GetAt(i);
        io.out << TimeText(record->GetTime()) << "  " << Show(record->GetText(true, 0)) << "\n";
      }
      return kExitOk;
    }
    const bool date_only = parser.Has("date-only");
    const std::string text = history.BuildExportText(date_only, !parser.Has("combine"), field_sep, record_sep,
                                                     value->GetKind() != model::kKindNumber);
    std::string error;
    if (!platform::WriteFileAtomically(parser.Get("export"), text, &error)) {
      io.err << Message(platform::ids::kMsgCantOpenFile) << "\n"
             << Show(parser.Get("export")) << ": " << ShowLines(error) << "\n";
      return kExitFailed;
    }
    io.out << "exported " << history.GetCount() << " samples to " << Show(parser.Get("export")) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(HistoryCommand);

}  // namespace
}  // namespace quorvex::cli
