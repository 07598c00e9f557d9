// quorvex-cli add / set: creating and editing a beacon as the desktop panes do.
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_session.h"
#include "model/val_page.h"

namespace quorvex::cli {
namespace {

const std::set<std::string> kEditValued = {"catalog", "name",  "url",     "pattern",     "type",
                                           "unit",    "every", "charset", "description", "folder"};
const std::set<std::string> kEditFlags = {"yes", "at-start", "enable", "disable", "keep-all", "keep-two"};

const char* kScheduleHelp =
    "  --every N UNIT      refresh every N minutes|hours|days|weeks|months\n"
    "  --at-start          refresh once per run of the agent or program\n";

// "--every 5 minutes" arrives as the value "5" and a positional "minutes": join them.
bool TakeSchedule(const ArgParser& parser, std::vector<std::string>& positionals, model::WDFreshFreq& freq, bool& given,
                  std::string& error) {
  given = false;
  if (parser.Has("at-start") && parser.Has("every")) {
    error = "give either --every or --at-start";
    return false;
  }
  if (parser.Has("at-start")) {
    freq.m_bAtStartOnly = 1;
    given = true;
    return true;
  }
  if (!parser.Has("every")) return true;
  std::string text = parser.Get("every");
  if (text.find(' ') == std::string::npos) {
    for (auto it = positionals.begin(); it != positionals.end(); ++it) {
      model::WDFreshFreq probe;
      if (ParseSchedule("1 " + *it, probe)) {
        text += " " + *it;
        positionals.erase(it);
        break;
      }
    }
  }
  if (!ParseSchedule(text, freq)) {
    error = "--every wants a count and a unit, as in --every 30 minutes";
    return false;
  }
  given = true;
  return true;
}

// The options of add and set, parsed; error holds the first usage error.
struct EditRequest {
  explicit EditRequest(const std::vector<std::string>& args)
      : parser(args, kEditValued, kEditFlags), rest(parser.Positionals()) {
    if (!parser.Ok()) {
      error = parser.Error();
      return;
    }
    TakeSchedule(parser, rest, freq, schedule_given, error);
  }

  ArgParser parser;
  std::vector<std::string> rest;
  model::WDFreshFreq freq;
  bool schedule_given = false;
  std::string error;
};

// The kind for the given options: --type wins; otherwise as the catalog derives it.
int ChooseKind(const ArgParser& parser, const std::string& pattern, const std::string& unit, std::string& error) {
  if (parser.Has("type")) {
    const int kind = KindFromName(parser.Get("type"));
    if (kind < 0) error = "--type is text, number or checksum";
    return kind;
  }
  if (pattern.empty()) return model::kKindChecksum;
  return unit.empty() ? model::kKindText : model::kKindNumber;
}

bool ParseCharset(const ArgParser& parser, int& charset) {
  const std::string text = parser.Get("charset");
  if (text.size() != 1 || text[0] < '0' || text[0] > '3') return false;
  charset = text[0] - '0';
  return true;
}

class AddCommand : public Command {
 public:
  std::string Name() const override { return "add"; }
  std::string Summary() const override { return "create a beacon"; }
  std::string Help() const override {
    return std::string(
               "Usage: quorvex-cli add --name N --url U [--pattern P] [--type text|number|checksum] [--unit U]\n"
               "                       [--every N UNIT | --at-start] [--folder A/B] [--description D]\n"
               "                       [--catalog FILE] [--yes]\n"
               "An empty pattern watches the whole page by its checksum. The folder is made when missing.\n") +
           kScheduleHelp;
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    EditRequest edit(args);
    if (!edit.error.empty()) return UsageError(io, Name(), edit.error);
    const ArgParser& parser = edit.parser;
    const std::vector<std::string>& rest = edit.rest;
    const model::WDFreshFreq& freq = edit.freq;
    const bool schedule_given = edit.schedule_given;
    std::string error;
    if (!rest.empty()) return UsageError(io, Name(), "unexpected argument '" + rest[0] + "'");
    if (!parser.Has("name") || !parser.Has("url") || parser.Get("url").empty()) {
      return UsageError(io, Name(), "--name and --url are needed");
    }
    std::string pattern = parser.Get("pattern");
    const std::string unit = parser.Get("unit");
    const int kind = ChooseKind(parser, pattern, unit, error);
    if (kind < 0) return UsageError(io, Name(), error);
    if (kind == model::kKindChecksum) pattern.clear();
    if (kind != model::kKindChecksum && pattern.empty()) {
      return UsageError(io, Name(), "a text or number beacon needs a --pattern");
    }

    CatalogSession session(io, CatalogAccess::Change);
    if (!session.Open(parser)) return kExitFailed;
    model::WDValue* value = session.Doc().NewBeacon();
    value->SetKind(static_cast<uint16_t>(kind));
    if (!value->SetProperties(parser.Get("name"), parser.Get("url"), pattern, parser.Get("description"), unit)) {
      io.err << "the beacon could not be filed under its address\n";
      return kExitFailed;
    }
    if (schedule_given) value->GetPage()->m_freq.CopyFrom(freq);
    model::WDGroup* folder = session.FindFolder(parser.Get("folder"), true);
    folder->AddChild(value);
    if (!session.Save()) return kExitFailed;
    io.out << "added " << Show(session.PathOf(value)) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(AddCommand);

class SetCommand : public Command {
 public:
  std::string Name() const override { return "set"; }
  std::string Summary() const override { return "change the fields of a beacon"; }
  std::string Help() const override {
    return std::string(
               "Usage: quorvex-cli set BEACON [--name N] [--url U] [--pattern P] [--type text|number|checksum]\n"
               "                       [--unit U] [--every N UNIT | --at-start] [--enable | --disable]\n"
               "                       [--keep-all | --keep-two] [--charset 0-3] [--description D]\n"
               "                       [--catalog FILE] [--yes]\n"
               "A new address moves the beacon to that page; when other beacons share the old page, the\n"
               "question whether they move too is answered by --yes (no without it).\n"
               "Charsets: 0 Win (Windows-1251), 1 Koi8, 2 Alt (CP866), 3 Mac. Schedules belong to the page.\n") +
           kScheduleHelp;
  }
  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    EditRequest edit(args);
    if (!edit.error.empty()) return UsageError(io, Name(), edit.error);
    const ArgParser& parser = edit.parser;
    const std::vector<std::string>& rest = edit.rest;
    const model::WDFreshFreq& freq = edit.freq;
    const bool schedule_given = edit.schedule_given;
    std::string error;
    if (rest.size() != 1) return UsageError(io, Name(), "give one BEACON");
    if (parser.Has("enable") && parser.Has("disable")) return UsageError(io, Name(), "--enable or --disable");
    if (parser.Has("keep-all") && parser.Has("keep-two")) return UsageError(io, Name(), "--keep-all or --keep-two");
    int charset = 0;
    if (parser.Has("charset") && !ParseCharset(parser, charset)) return UsageError(io, Name(), "--charset is 0 to 3");
    if (parser.Has("type") && KindFromName(parser.Get("type")) < 0) {
      return UsageError(io, Name(), "--type is text, number or checksum");
    }
    if (parser.Has("url") && parser.Get("url").empty()) return UsageError(io, Name(), "--url needs an address");

    CatalogSession session(io, CatalogAccess::Change);
    model::WDValue* value = session.OpenBeacon(parser, rest[0]);
    if (!value) return kExitFailed;
    if (parser.Has("name")) value->SetName(parser.Get("name"));
    if (parser.Has("description")) value->SetDescription(parser.Get("description"));
    if (parser.Has("pattern")) value->SetPattern(parser.Get("pattern"));
    if (parser.Has("type")) value->SetKind(static_cast<uint16_t>(KindFromName(parser.Get("type"))));
    if (value->GetKind() == model::kKindChecksum) value->SetPattern("");
    if (value->GetKind() != model::kKindChecksum && value->GetPattern().empty()) {
      io.err << "a text or number beacon needs a pattern\n";
      return kExitFailed;
    }
    value->SetUnit(parser.Has("unit") ? parser.Get("unit") : value->GetUnit());
    if (parser.Has("enable") || parser.Has("disable")) value->SetEnabled(parser.Has("enable"));
    if (parser.Has("keep-all") || parser.Has("keep-two")) value->GetHistory().SetKeepAll(parser.Has("keep-all"));
    if (parser.Has("url") && parser.Get("url") != value->GetURL()) {
      if (!value->AttachToPage(parser.Get("url"))) {
        io.err << "the beacon could not be moved to that address\n";
        return kExitFailed;
      }
    }
    if (parser.Has("charset")) value->SetCharset(charset);
    if (schedule_given && !value->SetFrequency(freq)) {
      io.err << "the schedule could not be changed while the beacon is busy\n";
      return kExitFailed;
    }
    session.Doc().SetModifiedFlag(true);
    if (!session.Save()) return kExitFailed;
    io.out << "changed " << Show(session.PathOf(value)) << "\n";
    return kExitOk;
  }
};
QUORVEX_REGISTER_COMMAND(SetCommand);

}  // namespace
}  // namespace quorvex::cli
