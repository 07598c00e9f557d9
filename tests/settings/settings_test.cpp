#include "settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/ini_store.h"
#include "support/recording_prompt.h"
#include "support/temp_folder.h"

namespace quorvex::settings {
namespace {

using testing::ReadFileBytes;
using testing::ScopedEnv;
using testing::TempFolder;
using testing::WriteFileBytes;

// A settings file in a temporary folder, with a PATH that holds a fake xdg-open.
struct SettingsFixture {
  TempFolder dir;
  std::string ini = dir / "Quorvex.ini";
  std::string xdg_open = dir / "bin/xdg-open";
  ScopedEnv path{"PATH", dir / "bin"};
  SettingsFixture() {
    std::filesystem::create_directories(dir / "bin");
    WriteFileBytes(xdg_open, "#!/bin/sh\n");
    ::chmod(xdg_open.c_str(), 0755);
  }
};

std::string FontHex(const LogFont& font) {
  return platform::IniStore::ToHex(font.ToBytes());
}

TEST(Settings, MissingFileGivesEveryDefaultAndFindsTheBrowser) {
  SettingsFixture f;
  WDSettings settings(f.ini);
  {
    ScopedEnv no_path("PATH", "/nonexistent");  // the unset browser is looked for and not found
    EXPECT_FALSE(settings.Load()) << "no fonts stored: a first start";
  }
  EXPECT_FALSE(std::filesystem::exists(f.ini)) << "loading writes nothing";

  // Stored as the program does at exit, with the window centred on a 1024x768 screen. A font is a 60-byte
  // record: height, width, escapement, orientation, weight (little-endian), italic, underline, strike-out,
  // charset, two precisions, quality, pitch, then the face name and NULs.
  settings.SetFrameRect(settings.GetFrameRect(1024, 768));
  ASSERT_TRUE(settings.Save()) << settings.LastError();
  EXPECT_EQ(ReadFileBytes(f.ini),
            "[INTERFACE]\nHistoryDeepth=-1\nHideAllMessages=0\nSavePrompt=0\nSoundEnable=1\nRunMinimize=0\n"
            "ToolBarVisible=1\nStatusBarVisible=1\nBrowser=\n\n"
            "[COMMON]\nAutoFreshing=1\nContainerPlace=\nDataFilePath=\nThreadsAtTheTime=0\nLangFileName=\nWorkDir=\n"
            "Snapshots=10\nSnapshotSpace=200\n\n"
            "[CONNECTION]\nTimeOut=10\nRetries=2\nViaProxy=0\nProxyServer=http://localhost\nProxyPort=80\n"
            "PageLimit=52000\n\n"
            "[EMAIL]\nEmail=\nSMTPServ=\nIncludeChanges=0\n\n"
            "[FrameRect]\nX_Size=640\nY_Size=395\nX_TopPos=192\nY_TopPos=186\nX_SplitterPos=202\n\n"
            "[RData]\n"
            "Data1=16000000000000000000000000000000BC0200000100000000000100"
            "56657264616E6100000000000000000000000000000000000000000000000000\n"
            "Data2=0E000000000000000000000000000000BC0200000000000000000100"
            "56657264616E6100000000000000000000000000000000000000000000000000\n"
            "Data3=0E000000000000000000000000000000900100000000000000000100"
            "56657264616E6100000000000000000000000000000000000000000000000000\n"
            "Data4=0D000000000000000000000000000000900100000100000000000100"
            "56657264616E6100000000000000000000000000000000000000000000000000\n");

  // The browser is looked for only when it holds the unset mark.
  WriteFileBytes(f.ini, "[INTERFACE]\nBrowser=???\n");
  settings.Load();
  EXPECT_EQ(settings.m_strBrowser, f.xdg_open);
  WriteFileBytes(f.ini, "[INTERFACE]\nBrowser=\n");
  settings.Load();
  EXPECT_EQ(settings.m_strBrowser, "") << "an empty browser stays empty";
}

TEST(Settings, EverySettingSurvivesTheFile) {
  SettingsFixture f;
  const std::string hostile = std::string(" \t=;#[x]\\ \xCF\xF0\n\0end ", 18);
  WDSettings settings(f.ini);
  settings.Load();
  int n = 0;
  for (const auto& [name, value] : settings.ListValues()) {
    ++n;
    std::string text = value;
    if (name.rfind("RData.", 0) == 0) {
      LogFont font = LogFont::Default(5 - (name.back() - '0'));
      font.lfHeight = -(10 + n);
      font.SetFaceName("Face " + name);
      text = FontHex(font);
    } else if (name == "CONNECTION.PageLimit") {
      text = std::to_string(kMinPageLimit + n);
    } else if (!value.empty() && (std::isdigit(static_cast<unsigned char>(value[0])) || value[0] == '-')) {
      text = std::to_string(1000 + n);
    } else if (name.find("TopPos") != std::string::npos) {
      text = "-" + std::to_string(n);
    } else {
      text = name + hostile;
    }
    std::string error;
    ASSERT_EQ(settings.SetValue(name, text, &error), WDSettings::SetResult::Ok) << name << ": " << error;
  }
  EXPECT_EQ(n, 34);
  ASSERT_TRUE(settings.Save()) << settings.LastError();
  WDSettings again(f.ini);
  EXPECT_TRUE(again.Load());
  EXPECT_EQ(again.ListValues(), settings.ListValues());
  EXPECT_EQ(again.m_strBrowser, "INTERFACE.Browser" + hostile) << "an explicit browser stays";
}

TEST(Settings, SavingKeepsUnknownKeysAndSkipsUnchangedFiles) {
  SettingsFixture f;
  WriteFileBytes(f.ini,
                 "[INTERFACE]\nFutureOption=kept \\x20\nSoundEnable=0\n[Plugins]\nName=x\n[common]\nWorkDir=/opt/q\n");
  WDSettings settings(f.ini);
  settings.Load();
  EXPECT_EQ(settings.m_bSoundEnable, 0);
  EXPECT_EQ(settings.m_strWorkDir, "/opt/q");
  ASSERT_TRUE(settings.Save()) << settings.LastError();
  platform::IniStore written;
  ASSERT_EQ(written.LoadFile(f.ini), platform::IniStore::LoadResult::Ok);
  EXPECT_EQ(written.GetString("INTERFACE", "FutureOption", ""), "kept  ");
  EXPECT_EQ(written.GetString("Plugins", "Name", ""), "x");
  EXPECT_EQ(written.Sections().front().name, "INTERFACE");

  // A second name for the file shows whether it was replaced.
  std::filesystem::create_hard_link(f.ini, f.dir / "link.ini");
  WDSettings unchanged(f.ini);
  unchanged.Load();
  ASSERT_TRUE(unchanged.Save());
  EXPECT_EQ(std::filesystem::hard_link_count(f.ini), 2u) << "nothing changed, so nothing is written";
  unchanged.m_nRetries = 5;
  ASSERT_TRUE(unchanged.Save());
  EXPECT_EQ(std::filesystem::hard_link_count(f.ini), 1u);
}

TEST(Settings, FontsAreTakenUpToTheFirstBadOne) {
  SettingsFixture f;
  LogFont stored[5];
  for (int n = 1; n <= 4; ++n) {
    stored[n] = LogFont::Default(n);
    stored[n].lfHeight = 30 + n;
    stored[n].SetFaceName("DejaVu Sans");
  }
  auto write = [&](const std::string& data3) {
    WriteFileBytes(f.ini, "[RData]\nData1=" + FontHex(stored[1]) + "\nData2=" + FontHex(stored[2]) + "\n" + data3 +
                              "Data4=" + FontHex(stored[4]) + "\n");
  };

  write("Data3=" + FontHex(stored[3]) + "\n");
  WDSettings all(f.ini);
  EXPECT_TRUE(all.Load());
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(all.Font(n), stored[n]) << n;
  EXPECT_EQ(all.Font(3).FaceName(), "DejaVu Sans");

  // The height is the record's first 4 bytes, the weight bytes 16 to 19, the face name bytes 28 to 59.
  const std::string hex = FontHex(stored[3]);
  const std::string bad_data3[] = {
      "",                                                                 // missing
      "Data3=" + hex + "00\n",                                            // 61 bytes
      "Data3=" + hex.substr(2) + "\n",                                    // 59 bytes
      "Data3=G" + hex.substr(1) + "\n",                                   // not hex
      "Data3=" + hex.substr(0, 32) + "88130000" + hex.substr(40) + "\n",  // weight 5000
      "Data3=C063FFFF" + hex.substr(8) + "\n",                            // height -40000
      "Data3=" + hex.substr(0, 56) + std::string(64, '4') + "\n",         // face name without NUL
  };
  for (const std::string& data3 : bad_data3) {
    write(data3);
    WDSettings settings(f.ini);
    EXPECT_FALSE(settings.Load()) << data3;
    EXPECT_EQ(settings.Font(1), stored[1]) << "fonts before the bad one keep their stored value";
    EXPECT_EQ(settings.Font(2), stored[2]);
    EXPECT_EQ(settings.Font(3), LogFont::Default(3)) << "the bad one and the ones after it take defaults";
    EXPECT_EQ(settings.Font(4), LogFont::Default(4));
  }
}

TEST(Settings, BrokenFilesAreReportedOnceAndNeverOverwritten) {
  SettingsFixture f;
  testing::RecordingPrompt prompt;
  const std::string garbage = "[INTERFACE]\nSoundEnable=0\nthis line is not a setting\n";
  WriteFileBytes(f.ini, garbage);
  WDSettings settings(f.ini);
  settings.Load();
  EXPECT_EQ(settings.m_bSoundEnable, 1) << "defaults, not half a file";
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.icons[0], platform::PromptIcon::Exclamation);
  EXPECT_NE(prompt.messages[0].find("line 3"), std::string::npos) << prompt.messages[0];
  EXPECT_NE(prompt.messages[0].find(f.ini + ".bad"), std::string::npos) << prompt.messages[0];
  EXPECT_EQ(ReadFileBytes(f.ini + ".bad"), garbage) << "the broken file is kept as it was";
  ASSERT_TRUE(settings.Save()) << settings.LastError();
  settings.Load();
  EXPECT_EQ(prompt.messages.size(), 1u) << "reported once";

  // A second broken file does not overwrite the first one set aside.
  WriteFileBytes(f.ini, "broken again");
  settings.Load();
  EXPECT_EQ(ReadFileBytes(f.ini + ".bad"), garbage);
  EXPECT_EQ(ReadFileBytes(f.ini + ".bad.2"), "broken again");

  // A file that cannot be read (here a folder in the way) is reported and left alone.
  std::filesystem::create_directories(f.ini);
  settings.Load();
  ASSERT_EQ(prompt.messages.size(), 3u);
  EXPECT_EQ(prompt.icons[2], platform::PromptIcon::Exclamation);
  EXPECT_FALSE(settings.Save());
  EXPECT_NE(settings.LastError().find("not overwritten"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(f.ini));
}

TEST(Settings, AutostartEntryIsCopiedFromTheTemplateAndRemoved) {
  SettingsFixture f;
  ScopedEnv config("XDG_CONFIG_HOME", f.dir / "config");
  const std::string entry = f.dir / "config/autostart/Quorvex Agent.desktop";
  EXPECT_EQ(WDSettings::AutostartEntryPath(), entry);
  WDSettings settings(f.ini);
  // Operation 0 asks whether the entry is there; 1 makes it (state true) or removes it.
  auto shortcut = [&](int operation, bool state) -> std::string {
    if (!settings.StartupShortcut(operation, state)) return "failed";
    return operation == 1 ? "done" : state ? "there" : "absent";
  };
  EXPECT_EQ(shortcut(0, true), "absent");
  EXPECT_EQ(shortcut(2, true), "failed");

  // The installed template (the resources folder of this build).
  ASSERT_EQ(shortcut(1, true), "done") << settings.LastError();
  const std::string installed = ReadFileBytes(settings.WorkDirectory() + "/Quorvex Agent.desktop");
  EXPECT_EQ(ReadFileBytes(entry), installed);
  EXPECT_EQ(installed.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_NE(installed.find("\nExec=quorvex /hide\n"), std::string::npos);
  EXPECT_NE(installed.find("\nType=Application\n"), std::string::npos);
  EXPECT_EQ(shortcut(0, false), "there");
  EXPECT_EQ(shortcut(1, false), "done");
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_EQ(shortcut(1, false), "done") << "removing an absent entry is no failure";
  EXPECT_EQ(shortcut(0, true), "absent");

  // A template in WorkDir, longer than the 1024 bytes the old copy took, is copied whole.
  settings.m_strWorkDir = f.dir / "work";
  const std::string big = "[Desktop Entry]\nComment=" + std::string(3000, 'x') + "\n";
  f.dir.Write("work/Quorvex Agent.desktop", big);
  ASSERT_EQ(shortcut(1, true), "done") << settings.LastError();
  EXPECT_EQ(ReadFileBytes(entry), big);

  std::filesystem::remove(settings.m_strWorkDir + "/Quorvex Agent.desktop");
  std::filesystem::remove(entry);
  EXPECT_EQ(shortcut(1, true), "failed");
  EXPECT_NE(settings.LastError().find("template"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(Settings, ValuesByNameRefuseWhatCannotBeStored) {
  WDSettings settings;
  std::string value;
  EXPECT_TRUE(settings.GetValue("connection.timeout", value));
  EXPECT_EQ(value, "10");
  EXPECT_FALSE(settings.GetValue("CONNECTION.Nope", value));
  EXPECT_FALSE(settings.GetValue("TimeOut", value));
  EXPECT_EQ(settings.SetValue("CONNECTION.Nope", "1"), WDSettings::SetResult::UnknownKey);
  EXPECT_EQ(settings.SetValue("CONNECTION.TimeOut", "ten"), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.SetValue("CONNECTION.TimeOut", ""), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.SetValue("RData.Data1", "00"), WDSettings::SetResult::BadValue);
  LogFont heavy = LogFont::Default(1);
  heavy.lfWeight = 1001;
  EXPECT_EQ(settings.SetValue("RData.Data1", FontHex(heavy)), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.m_Font1, LogFont::Default(1));
  EXPECT_EQ(settings.m_nTimeOut, 10);
  EXPECT_EQ(settings.SetValue("FrameRect.X_TopPos", "17"), WDSettings::SetResult::Ok);
  EXPECT_EQ(settings.GetFrameRect(100, 100).X_TopPos, 17);
  EXPECT_EQ(settings.SetValue("FrameRect.X_TopPos", ""), WDSettings::SetResult::Ok);
  EXPECT_EQ(settings.GetFrameRect(1000, 100).X_TopPos, (1000 - 640) / 2);
  // The page limit keeps to the range a fetch can use.
  EXPECT_EQ(settings.SetValue("CONNECTION.PageLimit", "51999"), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.SetValue("CONNECTION.PageLimit", "16777217"), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.SetValue("COMMON.Snapshots", "-1"), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.SetValue("COMMON.SnapshotSpace", "1048577"), WDSettings::SetResult::BadValue);
  EXPECT_EQ(settings.m_nPageLimit, kMinPageLimit);
  EXPECT_EQ(settings.SetValue("connection.pagelimit", "16777216"), WDSettings::SetResult::Ok);
  EXPECT_EQ(settings.m_nPageLimit, kMaxPageLimit);
}

}  // namespace
}  // namespace quorvex::settings
