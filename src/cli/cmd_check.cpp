// quorvex-cli check: one refresh pass on demand, with a summary of what it found.
#include <unistd.h>

#include <chrono>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/catalog_session.h"
#include "cli/console_frame.h"
#include "cli/pass_report.h"
#include "cli/stop_signals.h"
#include "engine/fetch_pass.h"
#include "engine/fetch_session.h"
#include "model/alert_email.h"
#include "model/val_page.h"

namespace quorvex::cli {
namespace {

class CheckCommand : public Command {
 public:
  std::string Name() const override { return "check"; }
  std::string Summary() const override { return "fetch the due pages (or all) once and record their values"; }
  std::string Help() const override {
    return "Usage: quorvex-cli check [--all] [--catalog FILE] [BEACON...]\n"
           "Fetches the pages that are due now; with --all every page (the refresh-all command); with BEACON\n"
           "names (name, folder path or #N as 'list' shows them) the pages of those beacons. At most\n"
           "COMMON.ThreadsAtTheTime pages (" +
           std::to_string(engine::kMaxSimultaneousFetches) +
           " with 0) are fetched at once, the others as fetches finish.\n"
           "Every beacon of a fetched page records its value and evaluates its alert events: alert windows\n"
           "are printed with the summary, programs and e-mail run as configured. The catalog is saved when\n"
           "it changed. The summary lists the values that changed, the failures with their reasons, and the\n"
           "alerts. On a terminal a progress line shows the pages done and failed. SIGINT or SIGTERM stops\n"
           "the fetches and keeps what was read.\n"
           "Exit status: 0 every page read, 1 usage error, 2 catalog or connection failure, 3 a page could\n"
           "not be fetched or a beacon's pattern found nothing.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, kCatalogValued, {"yes", "all"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Has("all") && !parser.Positionals().empty()) {
      return UsageError(io, Name(), "give --all or BEACON names, not both");
    }
    CatalogSession session(io, CatalogAccess::Change);
    if (!session.Open(parser)) return kExitFailed;
    engine::WDQvxDoc& doc = session.Doc();

    std::vector<model::WDValPage*> pages;
    if (!parser.Positionals().empty()) {
      for (const std::string& which : parser.Positionals()) {
        std::string error;
        model::WDValue* value = session.FindBeacon(which, error);
        if (!value) {
          io.err << error << "\n";
          return kExitFailed;
        }
        if (!value->IsEnabled()) io.err << "quorvex-cli check: '" << which << "' is disabled and is not fetched\n";
        if (value->GetPage()) pages.push_back(value->GetPage());
      }
    } else {
      for (const auto& page : doc.GetPages()) {
        if (parser.Has("all") || page->IsDue()) pages.push_back(page.get());
      }
    }

    const settings::WDSettings& settings = session.App().Settings();
    if (!engine::CreateSession(engine::SessionConfigFromSettings(settings))) return kExitFailed;
    const size_t pageLimit = engine::CurrentSession()->PageLimit();

    ConsoleFrame frame(io.out, false);
    StopSignals signals;
    engine::PassOptions options;
    options.stopRequested = [] { return StopSignals::Count() > 0; };
    const bool tty = &io.out == &std::cout && isatty(STDOUT_FILENO);
    if (tty) {
      options.progress = [&io](const engine::PassProgress& p) {
        io.out << "\r\033[Kchecking: " << p.done << "/" << p.total << " pages done, " << p.failed << " failed"
               << std::flush;
      };
    }
    const std::vector<engine::PageReport> reports = engine::RunPass(doc, pages, options);
    if (tty) io.out << "\r\033[K" << std::flush;
    // Alert mail is this command's last word: it may take its whole delivery limit.
    doc.FinishMail(model::MailDeliveryLimit(model::MailRelayFromSettings()) + std::chrono::seconds(1));

    std::ostringstream details;
    const PassCounts counts = PrintPassDetails(details, session, reports, pageLimit, doc.GetOverdueLimit());
    io.out << "Checked " << counts.pages << (counts.pages == 1 ? " page" : " pages") << ": " << counts.changed
           << " changed, " << counts.failed << " failed, " << frame.Alerts().size()
           << (frame.Alerts().size() == 1 ? " alert" : " alerts") << (StopSignals::Count() > 0 ? " (stopped)" : "")
           << "\n"
           << details.str();
    for (const std::string& alert : frame.Alerts()) io.out << "alert    " << alert << "\n";
    if (!session.Save()) return kExitFailed;
    return counts.failed > 0 ? kExitPageFailed : kExitOk;
  }
};

QUORVEX_REGISTER_COMMAND(CheckCommand);

}  // namespace
}  // namespace quorvex::cli
