#include "settings/language_folder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/paths.h"

namespace quorvex::settings {
namespace {

std::unique_ptr<LanguageFile> g_installed;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  return Lower(a) == Lower(b);
}

LanguageChoice ReadChoice(const std::filesystem::path& path) {
  LanguageChoice choice;
  choice.fileName = path.filename().string();
  std::string head;
  if (platform::ReadFileStart(path.string(), head, nullptr, kMaxHeaderChars + 2) != platform::ReadResult::Ok) {
    choice.listText = choice.fileName + kCantOpenSuffix;
    return choice;
  }
  size_t pos = 0;
  std::string line = NextLanguageLine(head, pos, kMaxHeaderChars);
  choice.usable = ParseLanguageHeader(line, choice.displayName);
  choice.listText =
      choice.usable ? choice.displayName + " [" + choice.fileName + "]" : choice.fileName + kBadFileSuffix;
  return choice;
}

}  // namespace

std::string LanguageFilePath(const std::string& workDir, const std::string& fileName) {
  std::string path = workDir;
  if (!path.empty() && path.back() != '/') path += '/';
  return path + kLanguageFolder + "/" + fileName;
}

LanguageScan ScanLanguageFolder(const std::string& workDir, const std::string& selectedName) {
  LanguageScan scan;
  std::error_code error;
  std::filesystem::directory_iterator it(LanguageFilePath(workDir, ""), error), end;
  for (; !error && it != end; it.increment(error)) {
    const auto& path = it->path();
    if (Lower(path.extension().string()) != ".lng" || it->is_directory(error)) continue;
    LanguageChoice choice = ReadChoice(path);
    if (choice.usable) {
      if (!selectedName.empty() && EqualsIgnoreCase(choice.fileName, selectedName)) {
        scan.selectedFound = true;
        scan.selectedDisplayName = choice.displayName;
      }
      if (EqualsIgnoreCase(choice.fileName, kEnglishFileName)) scan.englishPresent = true;
    }
    scan.files.push_back(std::move(choice));
  }
  std::sort(scan.files.begin(), scan.files.end(),
            [](const LanguageChoice& a, const LanguageChoice& b) { return Lower(a.listText) < Lower(b.listText); });
  if (scan.selectedFound) {
    scan.selectedName = selectedName;
  } else if (scan.englishPresent) {
    scan.selectedName = kEnglishFileName;
  }
  return scan;
}

bool ParseLanguageEntry(const std::string& entry, std::string& fileName, std::string& displayPart) {
  size_t open = entry.find('[');
  size_t close = entry.find(']');
  if (open == std::string::npos || close == std::string::npos) return false;
  // With "]" before "[" the name is empty, and empty names select nothing.
  fileName = close > open ? entry.substr(open + 1, close - open - 1) : std::string();
  displayPart = entry.substr(0, open);
  return !fileName.empty();
}

LanguageResult LoadLanguage(const std::string& workDir, const std::string& fileName) {
  std::string name = fileName.empty() ? kEnglishFileName : fileName;
  if (name.find('/') != std::string::npos || name == "." || name == "..") return LanguageResult::kCantOpen;
  auto language = std::make_unique<LanguageFile>();
  LanguageResult result = language->Load(LanguageFilePath(workDir, name));
  if (result != LanguageResult::kOk) return result;
  platform::SetStringSource(language.get());
  g_installed = std::move(language);
  return result;
}

const LanguageFile* InstalledLanguage() {
  return g_installed.get();
}

}  // namespace quorvex::settings
