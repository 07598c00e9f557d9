// quorvex-cli changes: what changed on a beacon's page, from the page's snapshots.
#include <unistd.h>

#include <iostream>
#include <string>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "engine/snapshot_store.h"
#include "model/val_page.h"
#include "text/text_diff.h"

namespace quorvex::cli {
namespace {

// ANSI colours of a terminal.
constexpr char kRed[] = "\033[31m";
constexpr char kGreen[] = "\033[32m";
constexpr char kCyan[] = "\033[36m";
constexpr char kBold[] = "\033[1m";
constexpr char kReset[] = "\033[0m";

bool ParseIndex(const std::string& text, size_t& index) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  index = std::stoul(text);
  return true;
}

std::string Label(size_t index, const engine::SnapshotInfo& info) {
  return "#" + std::to_string(index) + " " + TimeText(info.time) + " (" + std::to_string(info.textBytes) + " bytes)";
}

class ChangesCommand : public Command {
 public:
  std::string Name() const override { return "changes"; }
  std::string Summary() const override { return "show what changed on a beacon's page"; }
  std::string Help() const override {
    return "Usage: quorvex-cli changes BEACON [--raw] [--from N] [--to M] [--catalog FILE]\n"
           "       quorvex-cli changes BEACON --list [--catalog FILE]\n"
           "Prints a unified diff of the newest change of the beacon's page, or from snapshot N to snapshot M\n"
           "counted back from the newest (0 the newest, 1 the one before; --from 1 --to 0 unless given).\n"
           "--list lists the page's snapshots with their numbers, times and sizes. A snapshot of the page\n"
           "text is kept after every fetch that found it changed: COMMON.Snapshots per page (0: none) and\n"
           "COMMON.SnapshotSpace MB in all, the oldest going first. The texts are compared as text only\n"
           "(tags removed, blanks folded), so changes of the markup alone do not show; --raw compares the page\n"
           "text as it is. Coloured on a terminal.\n"
           "Exit status: 0 shown, 1 usage error, 2 catalog failure, unknown beacon, or no such snapshots.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"catalog", "from", "to"}, {"yes", "raw", "list"});
    if (!parser.Ok()) return UsageError(io, Name(), parser.Error());
    if (parser.Positionals().size() != 1) return UsageError(io, Name(), "give one BEACON");
    size_t from = 1, to = 0;
    if ((parser.Has("from") && !ParseIndex(parser.Get("from"), from)) ||
        (parser.Has("to") && !ParseIndex(parser.Get("to"), to))) {
      return UsageError(io, Name(), "--from and --to take a snapshot number (0 is the newest)");
    }
    CatalogSession session(io);
    model::WDValue* value = session.OpenBeacon(parser, parser.Positionals()[0]);
    if (!value) return kExitFailed;
    if (!value->GetPage()) {
      io.err << "quorvex-cli changes: " << Show(value->GetName()) << " has no page\n";
      return kExitFailed;
    }
    const std::string url = value->GetPage()->GetURL();
    const engine::SnapshotStore store;
    const std::vector<engine::SnapshotInfo> list = store.List(url);
    if (parser.Has("list")) {
      for (size_t i = 0; i < list.size(); ++i) {
        io.out << i << "  " << TimeText(list[i].time) << "  " << list[i].textBytes << " bytes\n";
      }
      if (list.empty()) io.out << "No snapshots of " << Show(url) << "\n";
      return kExitOk;
    }
    const auto pair = store.ReadPair(url, from, to);
    if (!pair) {
      io.err << "quorvex-cli changes: " << Show(url) << " has " << list.size() << " snapshot"
             << (list.size() == 1 ? "" : "s") << " (0 to " << (list.empty() ? 0 : list.size() - 1) << "): snapshots "
             << from << " and " << to << " cannot be compared\n";
      return kExitFailed;
    }
    const bool colour = &io.out == &std::cout && isatty(STDOUT_FILENO);
    auto paint = [colour](const char* code, const std::string& text) { return colour ? code + text + kReset : text; };
    const text::DiffForm form = parser.Has("raw") ? text::DiffForm::Raw : text::DiffForm::TextOnly;
    const auto hunks = text::DiffTexts(pair->olderText, pair->newerText, form);
    io.out << paint(kBold, "--- " + Label(from, pair->older)) << "\n"
           << paint(kBold, "+++ " + Label(to, pair->newer)) << "\n";
    for (const text::DiffHunk& hunk : hunks) {
      io.out << paint(kCyan, "@@ -" + std::to_string(hunk.oldStart) + "," + std::to_string(hunk.oldCount) + " +" +
                                 std::to_string(hunk.newStart) + "," + std::to_string(hunk.newCount) + " @@")
             << "\n";
      for (const text::DiffLine& line : hunk.lines) {
        const std::string shown = ShowLines(line.text);
        switch (line.kind) {
          case text::DiffKind::Added:
            io.out << paint(kGreen, "+" + shown) << "\n";
            break;
          case text::DiffKind::Removed:
            io.out << paint(kRed, "-" + shown) << "\n";
            break;
          case text::DiffKind::Same:
            io.out << " " << shown << "\n";
            break;
        }
      }
    }
    if (hunks.empty()) {
      io.out << (form == text::DiffForm::Raw ? "No difference\n"
                                             : "No difference in the text (--raw compares the markup too)\n");
    }
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(ChangesCommand);

}  // namespace
}  // namespace quorvex::cli
