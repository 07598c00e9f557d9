#include "settings/language_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/string_table.h"
#include "support/temp_folder.h"

namespace quorvex::settings {
namespace {

std::vector<std::string> ListTexts(const LanguageScan& scan) {
  std::vector<std::string> texts;
  for (const auto& file : scan.files) texts.push_back(file.listText);
  return texts;
}

class LanguageFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("Language/English.LNG", "LANG : \"English\";\nSTART STRINGTABLE\n1000 : \"Okay\";\nEND STRINGTABLE\n");
    dir_.Write("Language/german.lng",
               "LANG : \"Deutsch\";\r\nSTART STRINGTABLE\r\n1000 : \"Gut\";\r\nEND STRINGTABLE\r\n");
    dir_.Write("Language/broken.lng", "LANG \"Broken\"\n");
    dir_.Write("Language/unnamed.lng", "");
    dir_.Write("Language/notes.txt", "LANG : \"Not a language\";\n");
    std::filesystem::create_directories(std::filesystem::path(dir_.Path()) / "Language" / "folder.lng");
    std::filesystem::create_symlink(dir_ / "gone.lng", dir_ / "Language/dangling.lng");
    // A FIFO is listed at once, never waited on.
    ASSERT_EQ(::mkfifo((dir_ / "Language/fifo.lng").c_str(), 0600), 0);
  }
  std::string WorkDir() const { return dir_.Path(); }

  testing::TempFolder dir_;
};

TEST_F(LanguageFolderTest, ScanListsEveryLanguageFileWithItsStateAndEntriesSplitBack) {
  LanguageScan scan = ScanLanguageFolder(WorkDir(), "GERMAN.lng");
  EXPECT_EQ(ListTexts(scan),
            (std::vector<std::string>{"broken.lng - Bad laguage file", "dangling.lng - can't open laguage file",
                                      "Deutsch [german.lng]", "English [English.LNG]",
                                      "fifo.lng - can't open laguage file", "unnamed.lng - Bad laguage file"}));
  EXPECT_TRUE(scan.englishPresent);
  EXPECT_TRUE(scan.selectedFound);
  EXPECT_EQ(scan.selectedDisplayName, "Deutsch");
  EXPECT_EQ(scan.selectedName, "GERMAN.lng");

  // A list entry splits back into its file and display parts.
  std::string file;
  std::string display;
  ASSERT_TRUE(ParseLanguageEntry(ListTexts(scan)[2], file, display));
  EXPECT_EQ(file, "german.lng");
  EXPECT_EQ(display, "Deutsch ");
  ASSERT_TRUE(ParseLanguageEntry("A [b] [c]", file, display));
  EXPECT_EQ(file, "b");
  EXPECT_FALSE(ParseLanguageEntry(ListTexts(scan)[0], file, display));
  EXPECT_FALSE(ParseLanguageEntry("odd ] name [x", file, display));
  EXPECT_FALSE(ParseLanguageEntry("empty []", file, display));
}

TEST_F(LanguageFolderTest, UnknownOrBrokenChoiceFallsBackToEnglish) {
  for (const char* selected : {"", "french.lng", "broken.lng", "dangling.lng"}) {
    LanguageScan scan = ScanLanguageFolder(WorkDir(), selected);
    EXPECT_FALSE(scan.selectedFound) << selected;
    EXPECT_EQ(scan.selectedName, kEnglishFileName) << selected;
  }
  std::filesystem::remove(std::filesystem::path(dir_.Path()) / "Language" / "English.LNG");
  LanguageScan scan = ScanLanguageFolder(WorkDir(), "broken.lng");
  EXPECT_FALSE(scan.englishPresent);
  EXPECT_EQ(scan.selectedName, "");  // the caller shows kNoEnglishMessage
  EXPECT_EQ(ScanLanguageFolder(WorkDir(), "german.lng").selectedName, "german.lng");
  // Without a language folder there is no choice at all.
  std::filesystem::remove_all(std::filesystem::path(dir_.Path()) / "Language");
  scan = ScanLanguageFolder(WorkDir(), "english.lng");
  EXPECT_TRUE(scan.files.empty());
  EXPECT_EQ(scan.selectedName, "");
}

TEST_F(LanguageFolderTest, LoadLanguageInstallsTheChosenFile) {
  EXPECT_EQ(LanguageFilePath("/opt/q/", "a.lng"), "/opt/q/Language/a.lng");
  EXPECT_EQ(LanguageFilePath("/opt/q", "a.lng"), "/opt/q/Language/a.lng");
  ASSERT_EQ(LoadLanguage(WorkDir(), "german.lng"), LanguageResult::kOk);
  EXPECT_EQ(platform::GetString(1000), "Gut");
  EXPECT_EQ(platform::GetString(1001), "Cancel");  // missing ids come from the built-in English
  // Failures leave the language installed before.
  EXPECT_EQ(LoadLanguage(WorkDir(), "french.lng"), LanguageResult::kCantOpen);
  EXPECT_EQ(LoadLanguage(WorkDir(), "../Language/german.lng"), LanguageResult::kCantOpen);
  dir_.Write("Language/bad.lng", "START MENU POPUP\n100 : Open;\n");
  EXPECT_EQ(LoadLanguage(WorkDir(), "bad.lng"), LanguageResult::kBadFile);
  EXPECT_EQ(platform::GetString(1000), "Gut");
  ASSERT_NE(InstalledLanguage(), nullptr);
  // No choice means english.lng (file names are case-sensitive here, so make one).
  dir_.Write("Language/english.lng", "START STRINGTABLE\n1000 : \"Fine\";\nEND STRINGTABLE\n");
  ASSERT_EQ(LoadLanguage(WorkDir(), ""), LanguageResult::kOk);
  EXPECT_EQ(platform::GetString(1000), "Fine");
  platform::SetStringSource(nullptr);
}

}  // namespace
}  // namespace quorvex::settings
