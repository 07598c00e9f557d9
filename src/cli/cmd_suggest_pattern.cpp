// quorvex-cli suggest-pattern: writes a search pattern that extracts a given value from a page, read
// the way test-pattern reads it.
#include <optional>
#include <string>
#include <vector>

#include "cli/beacon_text.h"
#include "cli/command.h"
#include "cli/page_source.h"
#include "cli/pass_report.h"
#include "text/code_page.h"
#include "text/pattern_suggest.h"

namespace quorvex::cli {
namespace {

// Places listed when a value occurs more than once.
constexpr size_t kShownOccurrences = 5;

constexpr const char* kUsage =
    "Usage: quorvex-cli suggest-pattern (--value TEXT | --line N --column C (--length L | --value TEXT)) "
    "[--charset 0-3] SOURCE\n";

bool ParseCount(const std::string& text, size_t& out) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = std::stoul(text);
  return true;
}

class SuggestPatternCommand : public Command {
 public:
  std::string Name() const override { return "suggest-pattern"; }
  std::string Summary() const override { return "Write a search pattern that extracts a given value from a page"; }
  std::string Help() const override {
    return std::string(kUsage) +
           "Writes a search pattern whose value, on the page in SOURCE, is exactly the given text, and\n"
           "which is built to keep finding the value when the page changes: it holds on to markup, labels,\n"
           "headings and keys, and steps over numbers, dates and other values with {}. SOURCE is read as\n"
           "test-pattern reads it (a page address, a file, or - for standard input; CR bytes dropped, cut\n"
           "at the page limit, converted from --charset).\n"
           "  --value TEXT        the value, byte for byte as it stands in the page; it must occur once\n"
           "                      unless --line and --column say where\n"
           "  --line N            the 0-based line of the value's first byte (as test-pattern --position\n"
           "  --column C          prints it) and its 0-based column in bytes\n"
           "  --length L          the value's length in bytes, when --value is not given\n"
           "  --charset N         the page's character set: 0 Win (default), 1 Koi8, 2 Alt, 3 Mac\n"
           "Blanks at the ends of the value are ignored. The pattern is printed as it is, then a newline;\n"
           "the matcher keeps blanks that follow the value, so its value may end with them. A note on\n"
           "standard error says when the pattern relies on text that may change. Exit status: 0 pattern\n"
           "written, 1 usage error (also a value that is not in the page, or occurs more than once without\n"
           "a place), 2 no pattern extracts exactly that value, or the page could not be read.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"value", "line", "column", "length", "charset"}, {});
    if (!parser.Ok()) return Usage(io, parser.Error());
    if (parser.Positionals().size() != 1) return Usage(io, "give exactly one SOURCE (a file or -)");
    const bool placed = parser.Has("line") || parser.Has("column");
    if (placed && !(parser.Has("line") && parser.Has("column"))) return Usage(io, "give --line and --column together");
    if (parser.Has("value") == parser.Has("length")) return Usage(io, "give --value or --length (not both)");
    if (parser.Has("length") && !placed) return Usage(io, "--length needs --line and --column");
    size_t line = 0;
    size_t column = 0;
    size_t length = 0;
    if (placed && (!ParseCount(parser.Get("line"), line) || !ParseCount(parser.Get("column"), column)))
      return Usage(io, "--line and --column take numbers from 0");
    if (parser.Has("length") && (!ParseCount(parser.Get("length"), length) || length == 0))
      return Usage(io, "--length takes a number from 1");
    int32_t charset = text::CharsetWin;
    if (parser.Has("charset")) {
      charset = ParseCharset(parser.Get("charset"));
      if (charset < 0) return Usage(io, "--charset takes 0 to 3 (Win, Koi8, Alt, Mac)");
    }

    PageSource source;
    if (!LoadPageSource(parser.Positionals()[0], charset, Name(), io, source)) return kExitFailed;
    const std::string& page = source.text;
    const std::string value = parser.Get("value");
    if (parser.Has("value")) length = value.size();
    size_t offset = 0;
    if (placed) {
      std::optional<size_t> at =
          text::OffsetOfPosition(page, text::TextPosition{static_cast<int32_t>(column), static_cast<int32_t>(line)});
      if (!at || length > page.size() - *at) return Usage(io, "the page has no such place");
      offset = *at;
      if (parser.Has("value") && page.compare(offset, length, value) != 0)
        return Usage(io, "the page does not hold the value at that place");
    } else {
      std::vector<size_t> found;
      for (size_t at = page.find(value); at != std::string::npos && !value.empty(); at = page.find(value, at + 1)) {
        found.push_back(at);
      }
      if (found.empty()) return Usage(io, "the page does not hold the value '" + Show(value) + "'");
      if (found.size() > 1) {
        io.err << "quorvex-cli: suggest-pattern: the value occurs " << found.size()
               << " times; say which with --line and --column:\n";
        for (size_t i = 0; i < found.size() && i < kShownOccurrences; ++i) {
          text::TextPosition position = text::PositionOfOffset(page, found[i]);
          io.err << "  --line " << position.line << " --column " << position.column << "\n";
        }
        return kExitUsage;
      }
      offset = found[0];
    }

    const text::PatternSuggestion suggestion = text::SuggestPattern(page, offset, length);
    switch (suggestion.status) {
      case text::SuggestStatus::Ok:
        break;
      case text::SuggestStatus::EmptySelection:
        return Usage(io, "the value is empty or only blanks");
      case text::SuggestStatus::OutsideText:
        return Usage(io, "the value lies past the end of the page text");
      case text::SuggestStatus::NoPattern:
        io.err << "quorvex-cli: suggest-pattern: no search pattern extracts exactly this value: the text next to "
                  "it cannot be told apart from the rest of the page within the pattern language's limits\n";
        if (source.cut) io.err << "Note: " << PageCutHint(source.limit) << "\n";
        return kExitFailed;
    }
    // Literals never hold control bytes other than TAB and LF, so the pattern goes out as it is and can be
    // given back to test-pattern --pattern-file.
    io.out << suggestion.pattern << "\n";
    if (suggestion.strength == text::SuggestStrength::SurvivesNumberChanges) {
      io.err << "Note: the pattern relies on text near the value that may change (names, other values)\n";
    } else if (suggestion.strength == text::SuggestStrength::WorksOnThisPage) {
      io.err << "Note: the pattern relies on numbers or dates near the value; it may fail when they change\n";
    }
    return kExitOk;
  }

 private:
  int Usage(CommandIo& io, const std::string& problem) {
    io.err << "quorvex-cli: suggest-pattern: " << problem << "\n" << kUsage;
    return kExitUsage;
  }
};

QUORVEX_REGISTER_COMMAND(SuggestPatternCommand);

}  // namespace
}  // namespace quorvex::cli
