// quorvex-cli export: one beacon as a container file.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "exchange/document_exchange.h"

namespace quorvex::cli {
namespace {

class ExportCommand : public Command {
 public:
  std::string Name() const override { return "export"; }
  std::string Summary() const override { return "write a beacon as a container file (.bcn)"; }
  std::string Help() const override {
    return "Usage: quorvex-cli export BEACON FILE [--catalog FILE]\n"
           "Writes the beacon (a name, a path A/B/Name or #N from 'list') with its address, pattern, kind,\n"
           "unit, schedule and description to FILE, which another user can import.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"catalog"}, {"yes"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Positionals().size() != 2) return UsageError(io, Name(), "give a BEACON and a FILE");
    CatalogSession session(io);
    model::WDValue* value = session.OpenBeacon(parser, parser.Positionals()[0]);
    if (!value) return kExitFailed;
    if (!exchange::ExportContainer(parser.Positionals()[1], *value)) return kExitFailed;
    io.out << "exported " << Show(session.PathOf(value)) << " to " << Show(parser.Positionals()[1]) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(ExportCommand);

}  // namespace
}  // namespace quorvex::cli
