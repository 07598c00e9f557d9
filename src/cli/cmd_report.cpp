// quorvex-cli report: the HTML catalog report.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "exchange/document_exchange.h"
#include "settings/open_target.h"

namespace quorvex::cli {
namespace {

class ReportCommand : public Command {
 public:
  std::string Name() const override { return "report"; }
  std::string Summary() const override { return "write the HTML catalog report"; }
  std::string Help() const override {
    return "Usage: quorvex-cli report [--template FILE] [--out FILE] [--open] [--catalog FILE]\n"
           "Lists every enabled beacon with its newest value, its change and the date of its newest sample.\n"
           "The template (catblank.htm of the program folder unless given) is copied through, with\n"
           "<!Quorvex [CATALOGTABLE ...]> replaced by the table and <!Quorvex [DATE_NOW]> by today's date.\n"
           "The report goes to catreport.htm (in WorkDir when set, else beside the default catalog)\n"
           "unless --out is given; --open shows it in the browser.\n";
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"catalog", "template", "out"}, {"yes", "open"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (!parser.Positionals().empty()) {
      return UsageError(io, Name(), "unexpected argument '" + parser.Positionals()[0] + "'");
    }
    CatalogSession session(io);
    if (!session.Open(parser)) return kExitFailed;
    const std::string templatePath = parser.Get("template", exchange::DefaultReportTemplate());
    const std::string reportPath = parser.Get("out", exchange::DefaultReportPath());
    if (!exchange::MakeCatalogReport(session.Doc(), templatePath, reportPath)) return kExitFailed;
    io.out << "report written to " << Show(reportPath) << "\n";
    if (parser.Has("open") && !settings::OpenTarget(reportPath)) return kExitFailed;
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(ReportCommand);

}  // namespace
}  // namespace quorvex::cli
