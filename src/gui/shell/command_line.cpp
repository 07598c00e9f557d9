#include "gui/shell/command_line.h"

#include <sys/stat.h>

#include <algorithm>

namespace quorvex::gui {
namespace {

std::string LowerAscii(std::string value) {
  std::transform(value.begin(), value.end(), value.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return value;
}

// The value of a slash option: from after its two characters to the next "/" (or the end).
bool OptionValue(std::string_view raw, std::string_view option, std::string& value) {
  const size_t at = raw.find(option);
  if (at == std::string_view::npos) return false;
  const size_t start = at + option.size();
  const size_t end = raw.find('/', start);
  value = std::string(raw.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
  return true;
}

// Takes the value of option when it holds required; the splash is off once one is taken.
void TakeValue(std::string_view raw, std::string_view option, std::string_view required, std::string& lowered,
               std::string* asGiven, bool& splashFlag) {
  std::string value;
  if (!OptionValue(raw, option, value)) return;
  std::string lower = LowerAscii(value);
  if (lower.find(required) == std::string::npos) return;
  lowered = std::move(lower);
  if (asGiven) *asGiven = std::move(value);
  splashFlag = false;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// A word of slash options: it starts like one and names nothing on disk.
bool IsSlashOptionWord(const std::string& arg) {
  const bool optionLike = arg.rfind("/hide", 0) == 0 || arg.rfind("/c", 0) == 0 || arg.rfind("/w", 0) == 0;
  return optionLike && !PathExists(arg);
}

}  // namespace

void ParseSlashOptions(std::string_view raw, StartOptions& options) {
  if (raw.find("/hide") != std::string_view::npos) options.hiddenStart = true;
  TakeValue(raw, "/c", ".bcn", options.containerFile, &options.containerAsGiven, options.splashFlag);
  TakeValue(raw, "/w", ".dat", options.workFile, &options.workAsGiven, options.splashFlag);
}

StartOptions ParseArguments(const std::vector<std::string>& args) {
  StartOptions options;
  std::string raw;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--hide") {
      options.hiddenStart = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--catalog" || arg.rfind("--catalog=", 0) == 0) {
      std::string file;
      if (arg == "--catalog") {
        if (i + 1 < args.size()) file = args[++i];
      } else {
        file = arg.substr(10);
      }
      if (file.empty()) {
        options.error = "--catalog needs a catalog file";
      } else {
        options.workFile = file;
        options.splashFlag = false;
      }
    } else if (arg.rfind("--", 0) == 0) {
      options.error = "unknown option " + arg;
    } else if (IsSlashOptionWord(arg)) {
      // Joined as written: a value ends at the next option's "/", not with a blank.
      raw += arg;
    } else if (!arg.empty()) {
      options.importFiles.push_back(arg);
    }
  }
  // The slash options are read after --catalog so that "/w" wins only when given.
  const std::string workFile = options.workFile;
  ParseSlashOptions(raw, options);
  if (options.workFile.empty()) options.workFile = options.workAsGiven = workFile;
  return options;
}

std::string StartOptions::ExistingCase(const std::string& lowered, const std::string& asGiven) {
  return PathExists(lowered) || asGiven.empty() || !PathExists(asGiven) ? lowered : asGiven;
}

std::string UsageText() {
  return "Usage: quorvex [--hide] [--catalog FILE] [CONTAINER.bcn ...]\n"
         "       quorvex [/hide] [/cCONTAINER.bcn] [/wCATALOG.dat]\n"
         "Starts the desktop program, or hands the containers over to the one already running.\n"
         "  --hide, /hide      start hidden, as the agent in the notification area\n"
         "  --catalog FILE     use FILE as the catalog (also /wFILE.dat)\n"
         "  CONTAINER.bcn      import a beacon container after asking (also /cFILE.bcn)\n";
}

}  // namespace quorvex::gui
