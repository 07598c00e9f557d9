// The language files shipped with the program must answer every text the code asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "platform/command_ids.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "settings/language_file.h"
#include "support/temp_folder.h"

namespace quorvex::settings {
namespace {

using testing::ReadFileBytes;

const std::filesystem::path kSourceDir = QUORVEX_SOURCE_DIR;
const char* const kShipped[] = {"english.lng", "russian.lng"};

LanguageFile LoadShipped(const std::string& name) {
  LanguageFile file;
  EXPECT_EQ(file.Load((kSourceDir / "resources" / "Language" / name).string()), LanguageResult::kOk) << name;
  return file;
}

// The ids named in string_ids.h, and any id that code passes to GetString as a bare number.
std::set<uint16_t> LookedUpIds() {
  std::set<uint16_t> ids;
  std::string header = ReadFileBytes(kSourceDir / "src" / "platform" / "string_ids.h");
  std::regex named(R"(constexpr\s+uint16_t\s+k\w+\s*=\s*(\d+)\s*;)");
  for (std::sregex_iterator it(header.begin(), header.end(), named), end; it != end; ++it)
    ids.insert(static_cast<uint16_t>(std::stoi((*it)[1])));
  std::regex literal(R"(GetString\(\s*(\d+)\s*\))");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kSourceDir / "src")) {
    auto extension = entry.path().extension();
    if (extension != ".h" && extension != ".cpp") continue;
    std::string code = ReadFileBytes(entry.path());
    for (std::sregex_iterator it(code.begin(), code.end(), literal), end; it != end; ++it)
      ids.insert(static_cast<uint16_t>(std::stoi((*it)[1])));
  }
  return ids;
}

// How many printf-style placeholders FillPlaceholders would fill in text.
size_t PlaceholderCount(const std::string& text) {
  std::string filled = platform::FillPlaceholders(text, {"\x01", "\x01", "\x01", "\x01", "\x01"});
  return static_cast<size_t>(std::count(filled.begin(), filled.end(), '\x01'));
}

std::string FormatTime(const std::string& format) {
  std::tm time{};
  ::strptime("2000-12-24 10:35", "%Y-%m-%d %H:%M", &time);
  char out[128] = "";
  std::strftime(out, sizeof out, format.c_str(), &time);
  return out;
}

TEST(ShippedLanguages, EachFileHasEveryTextMenuPromptAndDateFormat) {
  std::set<uint16_t> ids = LookedUpIds();
  ASSERT_GT(ids.size(), 150u);
  for (const char* name : kShipped) {
    LanguageFile file = LoadShipped(name);
    for (uint16_t id : ids) {
      std::string text;
      EXPECT_TRUE(file.Lookup(id, text) && !text.empty()) << name << " lacks " << id;
    }

    // Every menu command has a prompt and a tool tip.
    std::vector<uint16_t> commands(std::begin(platform::cmd::kWithPrompt), std::end(platform::cmd::kWithPrompt));
    for (const MenuModel* menu : {file.MainMenu(), file.PopupMenu(), file.AlertMenu(), file.TreeMenu()}) {
      ASSERT_NE(menu, nullptr) << name;
      EXPECT_NE(menu->DefaultCommand(), 0) << name;
      for (uint16_t id : menu->Commands())
        if (platform::cmd::HasPrompt(id)) commands.push_back(id);
    }
    for (uint16_t id : commands) {
      std::string text;
      ASSERT_TRUE(file.Lookup(id, text)) << name << " has no prompt for command " << id;
      size_t lineFeed = text.find('\n');
      ASSERT_NE(lineFeed, std::string::npos) << name << " " << id;
      EXPECT_GT(lineFeed, 0u) << name << " " << id;
      EXPECT_LE(text.size() - lineFeed - 1, 79u) << name << " " << id << ": tool tip too long";
    }

    // The date format starts with its eight-character date part.
    std::string format;
    ASSERT_TRUE(file.Lookup(platform::ids::kDateTimeFormat, format));
    ASSERT_GT(format.size(), 8u);
    std::string date = FormatTime(format.substr(0, 8));
    std::string time = FormatTime(format.substr(format.find_first_not_of(' ', 8)));
    EXPECT_NE(date.find("24"), std::string::npos) << name;
    EXPECT_EQ(date.find("35"), std::string::npos) << name;
    EXPECT_NE(time.find("35"), std::string::npos) << name;
    EXPECT_EQ(time.find("24"), std::string::npos) << name;
  }
}

TEST(ShippedLanguages, TranslationsMatchTheEnglishFileWhichIsBuiltIn) {
  LanguageFile english = LoadShipped("english.lng");
  LanguageFile russian = LoadShipped("russian.lng");
  EXPECT_EQ(english.Ids(), russian.Ids());
  for (auto menu :
       {&LanguageFile::MainMenu, &LanguageFile::PopupMenu, &LanguageFile::AlertMenu, &LanguageFile::TreeMenu})
    EXPECT_EQ((english.*menu)()->Commands(), (russian.*menu)()->Commands());
  const std::map<uint16_t, size_t> kArguments = {{61508, 1}, {61541, 1}, {61542, 1}, {61700, 3}, {61701, 2}, {61702, 1},
                                                 {61703, 1}, {61705, 1}, {61706, 1}, {61707, 2}, {61720, 1}, {61721, 1},
                                                 {61730, 1}, {61740, 1}, {61741, 2}, {61766, 1}};
  for (uint16_t id : english.Ids()) {
    std::string englishText;
    std::string russianText;
    english.Lookup(id, englishText);
    russian.Lookup(id, russianText);
    // The built-in texts are english.lng as this build compiled it in.
    std::string builtIn;
    ASSERT_TRUE(platform::BuiltinString(id, builtIn)) << id;
    EXPECT_EQ(builtIn, englishText) << id;
    if (id == platform::ids::kDateTimeFormat) continue;  // a strftime format, checked above
    auto arguments = kArguments.find(id);
    EXPECT_EQ(PlaceholderCount(englishText), arguments == kArguments.end() ? 0 : arguments->second) << id;
    EXPECT_EQ(PlaceholderCount(russianText), PlaceholderCount(englishText)) << id;
  }
  // The header names the language; Russian in Windows-1251, as language files are single-byte.
  const std::pair<const char*, const char*> headers[] = {{"english.lng", "English"},
                                                         {"russian.lng", "\xD0\xF3\xF1\xF1\xEA\xE8\xE9"}};
  for (const auto& [file, expected] : headers) {
    std::string name;
    size_t pos = 0;
    ASSERT_TRUE(
        ParseLanguageHeader(NextLanguageLine(ReadFileBytes(kSourceDir / "resources/Language" / file), pos), name));
    EXPECT_EQ(name, expected);
  }
}

}  // namespace
}  // namespace quorvex::settings
