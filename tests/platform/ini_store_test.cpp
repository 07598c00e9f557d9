#include "platform/ini_store.h"

#include <gtest/gtest.h>

#include <utility>

#include "support/temp_folder.h"

namespace quorvex::platform {
namespace {

std::string AllBytes() {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}

TEST(IniStore, AnyByteStringComesBackUnchanged) {
  const std::vector<std::string> values = {
      "",
      " leading and trailing blanks ",
      "\t\ttabs\t",
      "a=b=c;not a comment # nor this",
      "[not a section]",
      "back\\slash\\",
      "\\x41 is not an escape here",
      "line\nbreaks\r\nand CR",
      std::string("nul\0inside", 10),
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",  // UTF-8 Cyrillic
      "\xCF\xF0\xE8\xE2\xE5\xF2",                          // the same word in Windows-1251
      " ",
      AllBytes(),
  };
  IniStore store;
  for (size_t i = 0; i < values.size(); ++i) ASSERT_TRUE(store.SetString("S", "K" + std::to_string(i), values[i]));
  const std::string text = store.ToText();
  IniStore back;
  std::string error;
  ASSERT_TRUE(back.Parse(text, &error)) << error << "\n" << text;
  EXPECT_TRUE(back == store);
  for (size_t i = 0; i < values.size(); ++i) EXPECT_EQ(back.GetString("S", "K" + std::to_string(i), "?"), values[i]);

  // UTF-8 stays readable in the file; other high bytes are escaped so the file is always UTF-8.
  EXPECT_NE(text.find("K9=\xD0\x9F\xD1\x80"), std::string::npos) << text;
  EXPECT_NE(text.find("K10=\\xCF\\xF0"), std::string::npos) << text;
  EXPECT_NE(text.find("K1=\\x20leading and trailing blanks\\x20\n"), std::string::npos) << text;
}

TEST(IniStore, ReadsHandWrittenFiles) {
  const std::string text =
      "\xEF\xBB\xBF; a comment\r\n# another\n\n  [ Interface ]  \n  Browser =  /usr/bin/firefox  \r\n"
      "Browser=/usr/bin/chromium\n[COMMON]\nWorkDir=\n[interface]\nSoundEnable=0";
  IniStore store;
  std::string error;
  ASSERT_TRUE(store.Parse(text, &error)) << error;
  ASSERT_EQ(store.Sections().size(), 2u);
  EXPECT_EQ(store.Sections()[0].name, "Interface");
  EXPECT_EQ(store.GetString("INTERFACE", "browser", ""), "/usr/bin/chromium") << "the last of two equal keys wins";
  EXPECT_EQ(store.GetInt("INTERFACE", "SoundEnable", 1), 0) << "a repeated section is the same section";
  EXPECT_EQ(store.GetString("COMMON", "WorkDir"), std::optional<std::string>(""));
  EXPECT_EQ(store.GetString("COMMON", "Absent"), std::nullopt);
  EXPECT_EQ(store.GetString("NOSECTION", "WorkDir", "fallback"), "fallback");
}

TEST(IniStore, MalformedTextIsReportedWithItsLine) {
  // The text and the line its error names.
  const std::pair<const char*, const char*> cases[] = {
      {"Key=before any section\n", "line 1"},
      {"[A]\nno equals sign\n", "line 2"},
      {"[A\n", "line 1"},
      {"[A]x\n", "line 1"},
      {"[]\n", "line 1"},
      {"[A]\n=value without key\n", "line 2"},
      {"[A]\nK=bad \\q escape\n", "line 2"},
      {"[A]\n\nK=ends in \\\n", "line 3"},
      {"[A]\nK=\\x4\n", "line 2"},
      {"[A]\nK=\\xZZ\n", "line 2"},
      {"[A]\nK=raw\x01control\n", "line 2"},
      {"[A]\nK=raw\rcarriage return\n", "line 2"},
  };
  for (const auto& [text, line] : cases) {
    IniStore store;
    store.SetString("OLD", "K", "v");
    std::string error;
    EXPECT_FALSE(store.Parse(text, &error)) << text;
    EXPECT_EQ(error.rfind(line, 0), 0u) << text << " -> " << error;
    EXPECT_TRUE(store.Sections().empty()) << "a failed parse leaves the store empty";
  }
}

TEST(IniStore, TypedValuesFollowRegistryMeaning) {
  IniStore store;
  store.SetInt("N", "Minus", -1);
  EXPECT_EQ(store.GetInt("N", "Minus", 7), -1);
  EXPECT_EQ(store.GetInt("N", "Absent", 7), 7);
  // Stored text and the number read from it, with 7 as the fallback.
  const std::pair<const char*, int32_t> numbers[] = {
      {"4294967295", -1}, {"2147483648", INT32_MIN}, {"4294967296", 7}, {"12abc", 7}, {"", 7}, {" 42 ", 42}};
  for (const auto& [text, number] : numbers) {
    store.SetString("N", "K", text);
    EXPECT_EQ(store.GetInt("N", "K", 7), number) << text;
  }

  ASSERT_TRUE(store.SetHex("H", "Bytes", std::string("\x00\xFF\x10", 3)));
  EXPECT_EQ(store.GetString("H", "Bytes", ""), "00FF10");
  // Stored text and the bytes read from it.
  const std::pair<const char*, std::optional<std::string>> hex[] = {
      {"00FF10", std::string("\x00\xFF\x10", 3)}, {"ABC", std::nullopt}, {"zz", std::nullopt}, {"ff", "\xFF"}};
  for (const auto& [text, bytes] : hex) {
    store.SetString("H", "K", text);
    EXPECT_EQ(store.GetHex("H", "K"), bytes) << text;
  }
}

TEST(IniStore, NamesThatCannotBeWrittenAreRefused) {
  IniStore store;
  const std::pair<const char*, const char*> refused[] = {{"", "K"},   {"A]", "K"}, {"A", "K=1"},
                                                         {"A", ";K"}, {"A", " K"}, {"A", "K\n"}};
  for (const auto& [section, key] : refused) EXPECT_FALSE(store.SetString(section, key, "v")) << section << key;
  EXPECT_TRUE(store.Sections().empty());
  EXPECT_TRUE(store.SetString("A", "K", "v"));
  EXPECT_TRUE(store.SetString("a", "k", "w")) << "names compare without case";
  EXPECT_EQ(store.ToText(), "[A]\nK=w\n");
  EXPECT_TRUE(store.Remove("A", "K"));
  EXPECT_FALSE(store.Remove("A", "K"));
}

TEST(IniStore, FilesLoadAndSave) {
  testing::TempFolder dir;
  IniStore store;
  std::string error;
  EXPECT_EQ(store.LoadFile(dir / "none.ini", &error), IniStore::LoadResult::Missing);
  store.SetString("A", "K", "v");
  ASSERT_TRUE(store.SaveFile(dir / "a.ini", &error)) << error;
  IniStore back;
  EXPECT_EQ(back.LoadFile(dir / "a.ini", &error), IniStore::LoadResult::Ok);
  EXPECT_TRUE(back == store);
  testing::WriteFileBytes(dir / "bad.ini", "garbage\n");
  EXPECT_EQ(back.LoadFile(dir / "bad.ini", &error), IniStore::LoadResult::Malformed);
  EXPECT_NE(error.find("bad.ini, line 1"), std::string::npos) << error;
  EXPECT_EQ(back.LoadFile(dir.Path(), &error), IniStore::LoadResult::Unreadable);
}

}  // namespace
}  // namespace quorvex::platform
