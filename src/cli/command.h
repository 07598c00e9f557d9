#pragma once
// The frame of quorvex-cli: each command is a small class over core calls that registers itself
// by name. Commands write to the given streams so tests run them in-process.
#include <iosfwd>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quorvex::cli {

// Exit statuses shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitFailed = 2;
constexpr int kExitPageFailed = 3;

struct CommandIo {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

class Command {
 public:
  virtual ~Command() = default;
  virtual std::string Name() const = 0;
  // One line for the tool's --help.
  virtual std::string Summary() const = 0;
  // The whole --help text of the command (usage line first).
  virtual std::string Help() const = 0;
  // args excludes the command name. "--help" is handled before Run is called.
  virtual int Run(const std::vector<std::string>& args, CommandIo& io) = 0;
};

void RegisterCommand(std::unique_ptr<Command> command);

template <class T>
struct CommandRegistrar {
  CommandRegistrar() { RegisterCommand(std::make_unique<T>()); }
};

#define QUORVEX_REGISTER_COMMAND(Class) static ::quorvex::cli::CommandRegistrar<Class> g_register_##Class

// Runs the tool: args excludes the program name. "--catalog FILE" may come before the command name.
// Unless an application context exists already, one lives for the command's run (loading the
// settings before and saving them after it).
int RunCli(const std::vector<std::string>& args, CommandIo& io);

// Options of one command line: "--name value" for valued options (repeatable), "--name" for flags,
// everything else positional; "--" ends the options; "-" is positional (standard input).
class ArgParser {
 public:
  ArgParser(const std::vector<std::string>& args, const std::set<std::string>& valued,
            const std::set<std::string>& flags);

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  bool Has(const std::string& name) const { return values_.count(name) > 0; }
  std::string Get(const std::string& name, const std::string& fallback = "") const;
  const std::vector<std::string>& GetAll(const std::string& name) const;
  const std::vector<std::string>& Positionals() const { return positionals_; }

 private:
  std::map<std::string, std::vector<std::string>> values_;
  std::vector<std::string> positionals_;
  std::string error_;
};

}  // namespace quorvex::cli
