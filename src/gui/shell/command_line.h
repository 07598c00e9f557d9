#pragma once
// The desktop program's command line. The slash options keep their historical parse: "/hide"
// anywhere, "/c" with a container file and "/w" with a catalog file, each value running to the next
// "/" and lower-cased. Because Linux paths are full of slashes, only a word that starts with "/hide",
// "/c" or "/w" and names nothing on disk is read as slash options; any other word is a container to
// import after asking. Beside them: --hide, --catalog FILE, --help.
#include <string>
#include <string_view>
#include <vector>

namespace quorvex::gui {

struct StartOptions {
  bool hiddenStart = false;
  // The "/c" value as parsed (lower-cased); containerAsGiven keeps its letter case, for file systems
  // where the lower-cased name does not exist.
  std::string containerFile;
  std::string containerAsGiven;
  // The "/w" value (lower-cased, and as given), or --catalog.
  std::string workFile;
  std::string workAsGiven;
  // The splash screen's flag: off once "/c" or "/w" took a value. Shown only without a hidden start.
  bool splashFlag = true;
  // Plain file arguments: containers imported after a question.
  std::vector<std::string> importFiles;
  bool help = false;
  // A usage error (an unknown --option, --catalog without a file); empty when the line is fine.
  std::string error;

  bool ShowSplash() const { return splashFlag && !hiddenStart; }
  // The file to use for a slash value: the lower-cased name unless only the name as given exists.
  static std::string ExistingCase(const std::string& lowered, const std::string& asGiven);
};

// The historical parse of the raw argument text (everything after the program name).
void ParseSlashOptions(std::string_view raw, StartOptions& options);

// The whole command line (argv without the program name).
StartOptions ParseArguments(const std::vector<std::string>& args);

// The usage text of --help.
std::string UsageText();

}  // namespace quorvex::gui
