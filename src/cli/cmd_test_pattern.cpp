// quorvex-cli test-pattern: applies a search pattern to a page fetched from its address, or read from a
// file or standard input, the way a beacon applies it to a fetched page.
#include <fstream>

#include "cli/beacon_text.h"
#include "cli/command.h"
#include "cli/page_source.h"
#include "cli/pass_report.h"
#include "text/code_page.h"
#include "text/pattern_matcher.h"

namespace quorvex::cli {
namespace {

// A pattern is a line or a few; a bigger file is not a pattern file.
constexpr size_t kMaxPatternFileBytes = size_t{1} << 20;
constexpr size_t kReadBlockBytes = 64 * 1024;

// Reads the pattern file at path (a pipe too, as from a shell's process substitution); false when it
// cannot be read or holds more than kMaxPatternFileBytes.
bool ReadPatternFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.clear();
  char block[kReadBlockBytes];
  while (in.read(block, sizeof block) || in.gcount() > 0) {
    out.append(block, static_cast<size_t>(in.gcount()));
    if (out.size() > kMaxPatternFileBytes) return false;
  }
  return !in.bad();
}

class TestPatternCommand : public Command {
 public:
  std::string Name() const override { return "test-pattern"; }
  std::string Summary() const override { return "Apply a search pattern to a page file and print the value"; }
  std::string Help() const override {
    return "Usage: quorvex-cli test-pattern [--pattern TEXT | --pattern-file FILE] [--charset 0-3] [--position] "
           "SOURCE\n"
           "Applies a search pattern to the page in SOURCE and prints the value it locates. SOURCE is a page\n"
           "address (anything with \"://\", such as http://example.com/ or file:///tmp/page.html), fetched\n"
           "exactly as the monitor fetches it (CONNECTION settings: proxy, time-out, retries, page limit);\n"
           "or a file, or - for standard input, prepared the same way. Either way CR bytes are dropped, the\n"
           "text is cut at CONNECTION.PageLimit bytes (52,000 unless raised) and converted from its\n"
           "character set to Windows-1251.\n"
           "  --pattern TEXT       the search pattern; an empty pattern prints the page checksum (#CRC#...)\n"
           "  --pattern-file FILE  read the pattern from FILE, byte for byte (a trailing newline is kept;\n"
           "                       blanks at the ends of the pattern's text pieces are ignored anyway)\n"
           "  --charset N          the page's character set: 0 Win (Windows-1251, default), 1 Koi8 (KOI8-R),\n"
           "                       2 Alt (CP866), 3 Mac (Mac Cyrillic); the labels are accepted too\n"
           "  --position           also print 'line L, column C' (0-based) of the value in the page\n"
           "The value is printed as text (Windows-1251 shown as UTF-8, control characters escaped as \\n,\n"
           "\\t, \\xHH), then a newline. When the pattern does not match, the\n"
           "result code (999 not found, 1000 ambiguous, 1001 malformed) and its message go to standard\n"
           "error, with a hint when the page was cut at the limit. Exit status: 0 value found, 1 usage\n"
           "error, 2 no match, or the page could not be read or fetched.\n";
  }

  int Run(const std::vector<std::string>& args, CommandIo& io) override {
    ArgParser parser(args, {"pattern", "pattern-file", "charset"}, {"position"});
    if (!parser.Ok()) return Usage(io, parser.Error());
    if (parser.Positionals().size() != 1) return Usage(io, "give exactly one SOURCE (a file or -)");
    if (parser.Has("pattern") == parser.Has("pattern-file")) return Usage(io, "give --pattern or --pattern-file");
    int32_t charset = text::CharsetWin;
    if (parser.Has("charset")) {
      charset = ParseCharset(parser.Get("charset"));
      if (charset < 0) return Usage(io, "--charset takes 0 to 3 (Win, Koi8, Alt, Mac)");
    }

    std::string pattern = parser.Get("pattern");
    if (parser.Has("pattern-file") && !ReadPatternFile(parser.Get("pattern-file"), pattern)) {
      io.err << "quorvex-cli: test-pattern: cannot read pattern file '" << Show(parser.Get("pattern-file"))
             << "' (at most " << kMaxPatternFileBytes << " bytes)\n";
      return kExitFailed;
    }
    PageSource source;
    if (!LoadPageSource(parser.Positionals()[0], charset, Name(), io, source)) return kExitFailed;
    const std::string& page = source.text;
    text::WDPatternMatcher matcher(page.data(), page.size(), pattern);
    if (int32_t result = matcher.Extract(); result != text::MatchOk) {
      io.err << result << ": " << ShowLines(text::WDPatternMatcher::ErrorMessage(result)) << "\n";
      if (source.cut) io.err << "Note: " << PageCutHint(source.limit) << "\n";
      return kExitFailed;
    }
    io.out << Show(matcher.GetValue()) << "\n";
    if (parser.Has("position")) {
      text::TextPosition position = matcher.GetValuePosition();
      io.out << "line " << position.line << ", column " << position.column << "\n";
    }
    return kExitOk;
  }

 private:
  int Usage(CommandIo& io, const std::string& problem) {
    io.err << "quorvex-cli: test-pattern: " << problem << "\n"
           << "Usage: quorvex-cli test-pattern [--pattern TEXT | --pattern-file FILE] [--charset 0-3] [--position] "
              "SOURCE\n";
    return kExitUsage;
  }
};

QUORVEX_REGISTER_COMMAND(TestPatternCommand);

}  // namespace
}  // namespace quorvex::cli
