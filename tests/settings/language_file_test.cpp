#include "settings/language_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "support/temp_folder.h"

namespace quorvex::settings {
namespace {

using namespace std::string_literals;

// A menu written out as "Title[id label|-|...]Title[...]" so whole menus compare at once.
std::string Describe(const MenuModel* menu) {
  if (!menu) return "(none)";
  std::string out;
  for (const auto& dropDown : menu->DropDowns()) {
    out += dropDown.title + "[";
    for (size_t i = 0; i < dropDown.items.size(); ++i) {
      const auto& item = dropDown.items[i];
      if (i) out += "|";
      out += item.IsSeparator() ? "-" : std::to_string(item.command) + " " + item.label;
    }
    out += "]";
  }
  return out;
}

std::string Text(const LanguageFile& file, uint16_t id) {
  std::string text;
  return file.Lookup(id, text) ? text : "(missing)";
}

const char kTree[] =
    "START MENU TREE\n1 : Folder;\n32815 : New folder;\n0 : -;\n32783 : Delete\\tDel;\nEND MENU TREE\n";
const char kMainFrame[] =
    "START MENU MAINFRAME\n1 : &File;\n57603 : &Save\\tCtrl+S;\n2 : &Help;\n57664 : &About;\nEND MENU MAINFRAME\n";
const char kStrings[] = "START STRINGTABLE\n1000 : \"OK\";\n61451 : \"Can't open\\nthe file\";\nEND STRINGTABLE\n";

TEST(LanguageFile, SectionsInAnyOrderBuildTheSameLanguage) {
  LanguageFile forward;
  LanguageFile backward;
  ASSERT_EQ(forward.Parse(std::string("LANG : \"Test\";\n") + kTree + kMainFrame + kStrings), LanguageResult::kOk);
  ASSERT_EQ(backward.Parse(std::string(kStrings) + kMainFrame + kTree), LanguageResult::kOk);
  for (const LanguageFile* file : {&forward, &backward}) {
    EXPECT_EQ(Describe(file->TreeMenu()), "Folder[32815 New folder|-|32783 Delete\tDel]");
    EXPECT_EQ(Describe(file->MainMenu()), "&File[57603 &Save\tCtrl+S]&Help[57664 &About]");
    EXPECT_EQ(file->PopupMenu(), nullptr);
    EXPECT_EQ(file->AlertMenu(), nullptr);
    EXPECT_EQ(Text(*file, 1000), "OK");
    EXPECT_EQ(Text(*file, 61451), "Can't open\nthe file");
    EXPECT_EQ(file->Ids(), (std::vector<uint16_t>{1000, 61451}));
  }
  EXPECT_EQ(forward.TreeMenu()->DefaultCommand(), 32815);
  EXPECT_EQ(forward.TreeMenu()->Commands(), (std::vector<uint16_t>{32815, 32783}));
}

TEST(LanguageFile, LaterTextOfTheSameIdWinsIdsWrapTo16BitsAndOtherLinesAreIgnored) {
  LanguageFile file;
  ASSERT_EQ(file.Parse("START STRINGTABLE\n7 : \"first\";\n7 : \"second\";\n65543 : \"wrapped\";\n"
                       "-1 : \"minus one\";\n  +8  :   \"spaced\";\n9:\"tight\";\nEND STRINGTABLE\n"),
            LanguageResult::kOk);
  EXPECT_EQ(Text(file, 7), "wrapped");  // 65543 is 7 in 16 bits, and it came last
  EXPECT_EQ(Text(file, 65535), "minus one");
  EXPECT_EQ(Text(file, 8), "spaced");
  EXPECT_EQ(Text(file, 9), "tight");

  // Entries outside sections and lines that are no entries are ignored.
  ASSERT_EQ(file.Parse("100 : Orphan;\n1 : Title;\nnot an entry\n; 5 : comment\n"
                       "START STRINGTABLE\nx5 : \"no\";\n5 \"no colon\";\n6 : ;\n"
                       "END STRINGTABLE\n200 : \"after\";\n"),
            LanguageResult::kOk);
  EXPECT_TRUE(file.HasStringTable());
  EXPECT_TRUE(file.Ids().empty());
  EXPECT_EQ(file.MainMenu(), nullptr);
  // A section with an unknown name builds nothing, not even from command lines.
  ASSERT_EQ(file.Parse("START MENU OTHER\n100 : Lost;\nEND MENU OTHER\n"), LanguageResult::kOk);
  EXPECT_EQ(file.PopupMenu(), nullptr);
}

TEST(LanguageFile, MissingEndLines) {
  LanguageFile file;
  // A string table without its END line is never installed; nor is a context menu, though the
  // drop-down it was filling is closed by the next section.
  ASSERT_EQ(file.Parse("START STRINGTABLE\n1 : \"one\";\n"), LanguageResult::kOk);
  EXPECT_FALSE(file.HasStringTable());
  std::string text = "unchanged";
  EXPECT_FALSE(file.Lookup(1, text));
  // Installed, a file without texts leaves every text to the built-in English ones.
  platform::SetStringSource(&file);
  EXPECT_EQ(platform::GetString(1000), "OK");
  platform::SetStringSource(nullptr);
  ASSERT_EQ(file.Parse("START MENU POPUP\n1 : Beacon;\n100 : Open;\n"
                       "START MENU ALERT\n1 : Alert;\n101 : Close;\nEND MENU ALERT\n"),
            LanguageResult::kOk);
  EXPECT_EQ(file.PopupMenu(), nullptr);
  EXPECT_EQ(Describe(file.AlertMenu()), "Alert[101 Close]");
  // The menu bar is built in place: what was closed before the next section stays.
  ASSERT_EQ(file.Parse("START MENU MAINFRAME\n1 : A;\n100 : a;\n2 : B;\n101 : b;\n"
                       "START MENU MAINFRAME\n3 : C;\n102 : c;\nEND MENU MAINFRAME\n"),
            LanguageResult::kOk);
  EXPECT_EQ(Describe(file.MainMenu()), "A[100 a]B[101 b]C[102 c]");
  // An END line naming another menu files the section under that name.
  ASSERT_EQ(file.Parse("START MENU ALERT\n1 : X;\n100 : x;\nEND MENU TREE\nEND MENU POPUP\n"), LanguageResult::kOk);
  EXPECT_EQ(Describe(file.TreeMenu()), "X[100 x]");
  EXPECT_EQ(file.PopupMenu(), nullptr);
  EXPECT_EQ(file.AlertMenu(), nullptr);
  // A second table replaces the first; a stray END keeps the installed one.
  ASSERT_EQ(file.Parse("START STRINGTABLE\n1 : \"one\";\nEND STRINGTABLE\nEND STRINGTABLE\n"
                       "START STRINGTABLE\n2 : \"two\";\nEND STRINGTABLE\n"),
            LanguageResult::kOk);
  EXPECT_EQ(file.Ids(), std::vector<uint16_t>{2});
}

TEST(LanguageFile, OverlongLinesAreCutAndACrcLineEndsTheContent) {
  LanguageFile file;
  // The rest of the long line holds an END keyword and an entry; neither may act.
  std::string content = "START STRINGTABLE\n1 : \"" + std::string(240, 'a') + "END STRINGTABLE 2 : \"b\";\n" +
                        "3 : \"" + std::string(300, 'x') + "\";\nEND STRINGTABLE\n";
  ASSERT_EQ(file.Parse(content), LanguageResult::kOk);
  EXPECT_EQ(file.Ids(), (std::vector<uint16_t>{1, 3}));
  std::string text;
  ASSERT_TRUE(file.RawText(1, text));
  EXPECT_EQ(text, std::string(240, 'a') + "END");  // 249 characters kept, then one cut off each end
  ASSERT_TRUE(file.RawText(3, text));
  EXPECT_EQ(text.size(), kMaxLineChars - 6);  // "3 : " and the two characters cut
  // A line of exactly 248 characters keeps its line end; the next line is read normally.
  size_t pos = 0;
  std::string fits(248, 'y');
  EXPECT_EQ(NextLanguageLine(fits + "\nnext\n", pos), fits + "\n");
  EXPECT_EQ(NextLanguageLine(fits + "\nnext\n", pos), "next\n");

  // A CRC line ends the content.
  ASSERT_EQ(file.Parse("START STRINGTABLE\n1 : \"one\";\nCRC# 12345\nEND STRINGTABLE\n"), LanguageResult::kOk);
  EXPECT_FALSE(file.HasStringTable());
  ASSERT_EQ(file.Parse(std::string(kStrings) + "CRC#\n" + kTree), LanguageResult::kOk);
  EXPECT_EQ(Text(file, 1000), "OK");
  EXPECT_EQ(file.TreeMenu(), nullptr);
  // Keywords count anywhere in a line, so a text holding one acts as that keyword.
  ASSERT_EQ(file.Parse("START STRINGTABLE\n1 : \"one\";\n2 : \"a CRC# here\";\nEND STRINGTABLE\n"),
            LanguageResult::kOk);
  EXPECT_FALSE(file.HasStringTable());
}

TEST(LanguageFile, LineEndsNulBytesTabsAndEscapes) {
  LanguageFile unix;
  LanguageFile dos;
  std::string text = std::string("LANG : \"T\";\n") + kMainFrame + kStrings;
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  ASSERT_EQ(unix.Parse(text), LanguageResult::kOk);
  ASSERT_EQ(dos.Parse(crlf), LanguageResult::kOk);
  EXPECT_EQ(Describe(dos.MainMenu()), Describe(unix.MainMenu()));
  EXPECT_EQ(Text(dos, 61451), Text(unix, 61451));
  // Without the ";" the line end is part of the text: a label keeps it, a quoted text loses its
  // last character instead of the quote. Labels take "\t" and "%" as tabs; texts only "\r" and "\n".
  LanguageFile file;
  ASSERT_EQ(file.Parse("START MENU POPUP\n1 : Beacon\r\n100 : Open\nEND MENU POPUP\n"
                       "START MENU ALERT\n1 : Items;\n100 : &Save\\tCtrl+S;\n101 : &Save%Ctrl+S;\n0 : x;\n"
                       "END MENU ALERT\nSTART STRINGTABLE\n1 : \"line\\r\\nbreak\\tno tab\";\n2 : \"back\\\\nslash\";\n"
                       "5 : \"five\"\r\n6 : \"\";\n7 : \";\n8 : \"ei\0ght\";\nEND STRINGTABLE\n"s),
            LanguageResult::kOk);
  EXPECT_EQ(Describe(file.PopupMenu()), "Beacon\n[100 Open\n]");
  EXPECT_EQ(Describe(file.AlertMenu()), "Items[100 &Save\tCtrl+S|101 &Save\tCtrl+S|-]");
  EXPECT_EQ(Text(file, 1), "line\r\nbreak\\tno tab");
  EXPECT_EQ(Text(file, 2), "back\\\nslash");
  EXPECT_EQ(Text(file, 5), "five\"");
  EXPECT_EQ(Text(file, 6), "");
  EXPECT_EQ(Text(file, 7), "");
  EXPECT_EQ(Text(file, 8), "e");  // the NUL ends the line before the ";"
  std::string raw;
  ASSERT_TRUE(file.RawText(1, raw));
  EXPECT_EQ(raw, "line\\r\\nbreak\\tno tab");
}

TEST(LanguageFile, CommandBeforeAnyDropDownIsABadFile) {
  LanguageFile file;
  ASSERT_EQ(file.Parse(kStrings), LanguageResult::kOk);
  // A separator before the first drop-down is ignored; a command there breaks the file.
  EXPECT_EQ(file.Parse(std::string(kStrings) + "START MENU TREE\n0 : -;\n32815 : New folder;\nEND MENU TREE\n"),
            LanguageResult::kBadFile);
  EXPECT_EQ(file.ErrorLine(), 7u);
  EXPECT_EQ(file.ErrorText(), "32815 : New folder;\n");
  EXPECT_FALSE(file.HasStringTable());  // a failed read leaves nothing behind
  EXPECT_EQ(ResourceText(static_cast<uint16_t>(LanguageResult::kBadFile)), "Bad language file");
  EXPECT_EQ(ResourceText(kResCantOpenLanguageFile), "Can't open language file");
  EXPECT_EQ(ResourceText(kResMissingStringKey), "The string key does not exist");
}

TEST(LanguageFile, LoadReportsFilesThatCannotBeRead) {
  testing::TempFolder dir;
  LanguageFile file;
  EXPECT_EQ(file.Load(dir / "missing.lng"), LanguageResult::kCantOpen);
  EXPECT_FALSE(file.ErrorText().empty());
  EXPECT_EQ(file.Load(dir.Path()), LanguageResult::kCantOpen);
  // Huge files are refused before they cost memory (endless ones: see the ReadWholeFile test).
  auto huge =
      dir.Write("huge.lng", std::string("LANG : \"Huge\";\n") + std::string(platform::kMaxLanguageFileBytes, ';'));
  EXPECT_EQ(file.Load(huge), LanguageResult::kCantOpen);
  EXPECT_NE(file.ErrorText().find("larger"), std::string::npos) << file.ErrorText();
}

TEST(LanguageFile, HeaderGivesTheDisplayName) {
  std::string name;
  EXPECT_TRUE(ParseLanguageHeader("LANG : \"English\";\n", name));
  EXPECT_EQ(name, "English");
  EXPECT_TRUE(ParseLanguageHeader("LANG:  'Deutsch'; trailing", name));
  EXPECT_EQ(name, "Deutsch");
  EXPECT_TRUE(ParseLanguageHeader("LANG : x;", name));  // too short to hold a name
  EXPECT_EQ(name, "");
  EXPECT_TRUE(ParseLanguageHeader("LANG : \"" + std::string(27, 'n') + "\";", name));
  EXPECT_FALSE(ParseLanguageHeader("LANG : \"" + std::string(28, 'n') + "\";", name));
  EXPECT_FALSE(ParseLanguageHeader("LANG : \"English\"\n", name));  // no ";"
  EXPECT_FALSE(ParseLanguageHeader(" LANG : \"English\";", name));
  EXPECT_FALSE(ParseLanguageHeader("LANG = \"English\";", name));
  EXPECT_FALSE(ParseLanguageHeader("LANG : ;", name));
}

}  // namespace
}  // namespace quorvex::settings
