// quorvex-cli import: container, Internet shortcut and Glimmer files into the catalog.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "exchange/document_exchange.h"

namespace quorvex::cli {
namespace {

class ImportCommand : public Command {
 public:
  std::string Name() const override { return "import"; }
  std::string Summary() const override { return "import beacons from container (.bcn), shortcut (.url) or .gm files"; }
  std::string Help() const override {
    return "Usage: quorvex-cli import FILE... [--folder A/B] [--ask] [--yes] [--catalog FILE]\n"
           "Adds the beacons of each file to the catalog, at the end of the root folder or of --folder\n"
           "(made when missing). A .url file gives one beacon watching the whole page; a .gm file one\n"
           "beacon per marked value. --ask asks before each file, as when a file is handed to the\n"
           "program; the answer is yes only with --yes. The exit status is 2 when any file failed; the\n"
           "beacons of the other files are kept.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"catalog", "folder"}, {"yes", "ask"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Positionals().empty()) return UsageError(io, Name(), "give at least one FILE");

    CatalogSession session(io, CatalogAccess::Change);
    if (!session.Open(parser)) return kExitFailed;
    model::WDGroup* folder = session.FindFolder(parser.Get("folder"), true);
    bool failed = false;
    for (const std::string& path : parser.Positionals()) {
      std::vector<model::WDValue*> made;
      if (exchange::ImportContainer(session.Doc(), path, parser.Has("ask"), folder, &made) != exchange::kImportDone) {
        failed = true;
        continue;
      }
      exchange::RememberContainerPlace(path);
      io.out << Show(path) << ": " << made.size() << (made.size() == 1 ? " beacon" : " beacons") << "\n";
      for (const model::WDValue* value : made) io.out << "  added " << Show(session.PathOf(value)) << "\n";
    }
    if (!session.Save()) return kExitFailed;
    return failed ? kExitFailed : kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(ImportCommand);

}  // namespace
}  // namespace quorvex::cli
