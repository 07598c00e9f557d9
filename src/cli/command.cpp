#include "cli/command.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "settings/app_context.h"
#include "settings/language_folder.h"

namespace quorvex::cli {
namespace {

std::map<std::string, std::unique_ptr<Command>>& Registry() {
  static std::map<std::string, std::unique_ptr<Command>> registry;
  return registry;
}

void PrintToolHelp(std::ostream& out) {
  out << "Usage: quorvex-cli [--catalog FILE] COMMAND [OPTIONS]\n"
         "Quorvex watches values on web pages. Commands:\n";
  for (const auto& [name, command] : Registry()) {
    std::string padded = name;
    padded.resize(std::max<size_t>(padded.size(), 16), ' ');
    out << "  " << padded << "  " << command->Summary() << "\n";
  }
  out << "Run 'quorvex-cli COMMAND --help' for the options of a command.\n";
}

}  // namespace

void RegisterCommand(std::unique_ptr<Command> command) {
  std::string name = command->Name();
  Registry()[name] = std::move(command);
}

int RunCli(const std::vector<std::string>& all_args, CommandIo& io) {
  // A --catalog before the command name chooses the catalog for the whole run.
  std::string catalog;
  std::vector<std::string> args = all_args;
  if (!args.empty() && (args[0] == "--catalog" || args[0].rfind("--catalog=", 0) == 0)) {
    if (args[0] == "--catalog" && args.size() < 2) {
      io.err << "quorvex-cli: option --catalog needs a value\n";
      return kExitUsage;
    }
    bool inline_value = args[0] != "--catalog";
    catalog = inline_value ? args[0].substr(10) : args[1];
    args.erase(args.begin(), args.begin() + (inline_value ? 1 : 2));
  }
  if (args.empty()) {
    PrintToolHelp(io.err);
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintToolHelp(io.out);
    return kExitOk;
  }
  auto it = Registry().find(args[0]);
  if (it == Registry().end()) {
    io.err << "quorvex-cli: unknown command '" << args[0] << "'\n";
    PrintToolHelp(io.err);
    return kExitUsage;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  for (const auto& arg : rest) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      io.out << it->second->Help();
      return kExitOk;
    }
  }
  // The tool is the application here: it owns the settings for the command's run unless the caller
  // (a test, the agent) already set up an application context.
  std::optional<settings::AppContext> context;
  if (!settings::GetAppContext()) {
    context.emplace(settings::AppOptions{catalog, {}, true});
    // Messages come in the user's language; without a usable file the built-in English stays.
    settings::LoadLanguage(context->Settings().WorkDirectory(), context->Settings().m_strLangFileName);
  } else if (!catalog.empty()) {
    settings::GetAppContext()->SetCatalogPath(catalog);
  }
  return it->second->Run(rest, io);
}

ArgParser::ArgParser(const std::vector<std::string>& args, const std::set<std::string>& valued,
                     const std::set<std::string>& flags) {
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_done || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      positionals_.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    std::string name = arg.substr(2);
    std::string value;
    bool inline_value = false;
    if (auto eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inline_value = true;
    }
    if (valued.count(name)) {
      if (!inline_value) {
        if (i + 1 >= args.size()) {
          error_ = "option --" + name + " needs a value";
          return;
        }
        value = args[++i];
      }
      values_[name].push_back(value);
    } else if (flags.count(name) && !inline_value) {
      values_[name].push_back("");
    } else {
      error_ = "unknown option --" + name;
      return;
    }
  }
}

std::string ArgParser::Get(const std::string& name, const std::string& fallback) const {
  auto it = values_.find(name);
  return it == values_.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& ArgParser::GetAll(const std::string& name) const {
  static const std::vector<std::string> kNone;
  auto it = values_.find(name);
  return it == values_.end() ? kNone : it->second;
}

}  // namespace quorvex::cli
