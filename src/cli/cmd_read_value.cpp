// quorvex-cli read-value TEXT: how the history reads one sample text.
#include <cstdio>
#include <ostream>

#include "cli/command.h"
#include "text/value_text.h"

namespace quorvex::cli {
namespace {

class ReadValueCommand : public Command {
 public:
  std::string Name() const override { return "read-value"; }
  std::string Summary() const override { return "Show how a sample text is read (type and number)"; }
  std::string Help() const override {
    return "Usage: quorvex-cli read-value TEXT\n"
           "Reads TEXT as the history reads a sample and prints 'type=T number=N':\n"
           "T is 2 for text, 3 for a number, 4 for a page checksum (\"#CRC#...\");\n"
           "N is the number (0 for text and checksums).\n"
           "Use '--' before a TEXT that begins with '--'.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {}, {});
    if (!parser.Ok()) {
      io.err << "quorvex-cli read-value: " << parser.Error() << "\n" << Help();
      return kExitUsage;
    }
    if (parser.Positionals().size() != 1) {
      io.err << "quorvex-cli read-value: expected exactly one TEXT\n" << Help();
      return kExitUsage;
    }
    text::ParsedValue value = text::ParseValueFull(parser.Positionals()[0]);
    char number[64];
    std::snprintf(number, sizeof number, "%.15g", value.number);
    io.out << "type=" << value.type << " number=" << number << "\n";
    return kExitOk;
  }
};

QUORVEX_REGISTER_COMMAND(ReadValueCommand);

}  // namespace
}  // namespace quorvex::cli
