// quorvex-cli run: the headless agent, the monitor without a window.
#include <chrono>
#include <ostream>
#include <sstream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "cli/console_frame.h"
#include "cli/pass_report.h"
#include "cli/stop_signals.h"
#include "engine/fetch_session.h"
#include "engine/refresh_agent.h"
#include "platform/clock.h"

namespace quorvex::cli {
namespace {

// How long the first signal waits for the running fetches to stop before saving anyway.
constexpr std::chrono::seconds kStopWait{10};

bool ParsePositive(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoll(text);
  return value > 0;
}

class RunCommand : public Command {
 public:
  std::string Name() const override { return "run"; }
  std::string Summary() const override { return "run the monitor without a window until stopped"; }
  std::string Help() const override {
    return "Usage: quorvex-cli run [--catalog FILE] [--interval SECONDS]\n"
           "Runs the monitor as the hidden agent does, until SIGINT or SIGTERM: a refresh pass at start and\n"
           "then every minute (--interval) fetches the due pages when COMMON.AutoFreshing is 1 and the\n"
           "machine is on a network (local files always), at most COMMON.ThreadsAtTheTime at once; a fetch\n"
           "running for over 300 seconds is given up. Values are recorded and alert events evaluated: alert\n"
           "windows become lines on standard output, programs and e-mail run as configured. The catalog is\n"
           "saved after every pass that changed it. A signal stops the running fetches and saves; a second\n"
           "signal saves without waiting for the fetches. Exit status: 0 stopped and saved, 1 usage error,\n"
           "2 the catalog could not be read or saved, or no connection could be set up.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    // --overdue and --ticks shorten the agent's rules for tests; they are not advertised.
    ArgParser parser(args, {"catalog", "interval", "overdue", "ticks"}, {"yes"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (!parser.Positionals().empty()) return UsageError(io, Name(), "run takes no arguments");
    engine::AgentOptions options;
    int64_t overdue = engine::kOverdueSeconds;
    if (parser.Has("interval") && !ParsePositive(parser.Get("interval"), options.intervalSeconds)) {
      return UsageError(io, Name(), "--interval takes a number of seconds (1 or more)");
    }
    if (parser.Has("overdue") && !ParsePositive(parser.Get("overdue"), overdue)) {
      return UsageError(io, Name(), "--overdue takes a number of seconds (1 or more)");
    }
    if (parser.Has("ticks") && !ParsePositive(parser.Get("ticks"), options.maxTicks)) {
      return UsageError(io, Name(), "--ticks takes a count (1 or more)");
    }

    CatalogSession session(io, CatalogAccess::Own);
    if (!session.Open(parser)) return kExitFailed;
    engine::WDQvxDoc& doc = session.Doc();
    doc.SetOverdueLimit(overdue);
    const settings::WDSettings& settings = session.App().Settings();
    if (!engine::CreateSession(engine::SessionConfigFromSettings(settings))) return kExitFailed;
    const size_t pageLimit = engine::CurrentSession()->PageLimit();
    if (settings.m_bAutoFreshing == 0) {
      io.err << "quorvex-cli run: COMMON.AutoFreshing is 0, so no page is fetched until it is set to 1\n";
    }

    ConsoleFrame frame(io.out, true);
    StopSignals signals;
    io.out << TimeText(platform::Now()) << "  watching " << doc.GetPages().size() << " pages of " << Show(doc.GetPath())
           << ", a pass every " << options.intervalSeconds << " s" << std::endl;
    auto onPass = [&](const std::vector<engine::PageReport>& reports) {
      std::ostringstream details;
      const PassCounts counts = PrintPassDetails(details, session, reports, pageLimit, overdue, "    ");
      io.out << TimeText(platform::Now()) << "  checked " << counts.pages << " pages: " << counts.changed
             << " changed, " << counts.failed << " failed\n"
             << details.str() << std::flush;
    };
    engine::RefreshAgent agent(doc, options);
    agent.SetOwner(&session.Owner());
    agent.Run([] { return StopSignals::Count() > 0; }, onPass);
    const bool saved = agent.Shutdown(
        kStopWait, [] { return StopSignals::Count() > 1; }, onPass);
    io.out << TimeText(platform::Now()) << "  stopped; " << (saved ? "catalog saved" : "the catalog was NOT saved")
           << std::endl;
    return saved ? kExitOk : kExitFailed;
  }
};

QUORVEX_REGISTER_COMMAND(RunCommand);

}  // namespace
}  // namespace quorvex::cli
