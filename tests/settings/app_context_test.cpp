#include "settings/app_context.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clock.h"
#include "support/recording_prompt.h"
#include "support/temp_folder.h"

namespace quorvex::settings {
namespace {

using testing::ReadFileBytes;
using testing::ScopedEnv;
using testing::TempFolder;
using testing::WriteFileBytes;

struct FixedClock {
  explicit FixedClock(int64_t now) { platform::SetFixedNow(now); }
  ~FixedClock() { platform::SetFixedNow(-1); }
};

TEST(AppContext, OwnsTheSettingsWhileItLivesAndSavesOrReportsAtTheEnd) {
  TempFolder dir;
  ScopedEnv config("QUORVEX_CONFIG_DIR", dir / "config");
  FixedClock clock(1700000000);
  testing::RecordingPrompt prompt;
  EXPECT_EQ(GetAppContext(), nullptr);
  EXPECT_EQ(GetSettings(), nullptr);
  {
    AppContext context;
    ASSERT_EQ(GetAppContext(), &context);
    ASSERT_EQ(GetSettings(), &context.Settings());
    EXPECT_EQ(context.GetStartTime(), 1700000000);
    EXPECT_FALSE(context.SettingsComplete()) << "a fresh user: first start";
    EXPECT_EQ(context.Settings().FilePath(), dir / "config/Quorvex.ini");
    context.Settings().m_strEmail = "me@example.org";
    {
      // Its settings cannot be saved (a file stands where their folder should be): reported at its end.
      WriteFileBytes(dir / "file", "");
      AppContext inner(AppOptions{"", dir / "file/other.ini"});
      EXPECT_EQ(GetSettings(), &inner.Settings());
    }
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.icons[0], platform::PromptIcon::Exclamation);
    EXPECT_NE(prompt.messages[0].find("could not be saved"), std::string::npos) << prompt.messages[0];
    EXPECT_EQ(GetAppContext(), &context) << "the outer context is current again";
  }
  EXPECT_EQ(GetAppContext(), nullptr);
  AppContext again;
  EXPECT_EQ(again.Settings().m_strEmail, "me@example.org");
  EXPECT_TRUE(again.SettingsComplete()) << "the fonts were written at the end of the first run";

  // A tool without the first-start dialogs leaves the first start to the desktop program.
  const AppOptions tool{"", dir / "tool.ini", true};
  { AppContext context(tool); }
  ASSERT_TRUE(std::filesystem::exists(dir / "tool.ini"));
  EXPECT_EQ(ReadFileBytes(dir / "tool.ini").find("Data1="), std::string::npos);
  {
    AppContext context(tool);
    EXPECT_FALSE(context.SettingsComplete());
    context.Settings().m_Font2.lfHeight = 99;  // a font set on purpose is written
  }
  AppContext desktop(AppOptions{"", dir / "tool.ini"});
  EXPECT_TRUE(desktop.SettingsComplete());
  EXPECT_EQ(desktop.Settings().m_Font2.lfHeight, 99);
}

TEST(AppContext, OldFormatIsReadFromTheCatalogActuallyUsed) {
  TempFolder dir;
  ScopedEnv config("QUORVEX_CONFIG_DIR", dir.Path());
  WriteFileBytes(dir / "Quorvex.ini", "[COMMON]\nWorkDir=" + dir / "work" + "\n");
  dir.Write("work/maindata.dat", std::string("\x05\x00\xFF\xFF\x00", 5));
  WriteFileBytes(dir / "current.dat", std::string("\x01\x00\x00\x00\x00", 5));

  AppContext by_work_dir;
  EXPECT_EQ(by_work_dir.CatalogPath(), dir / "work/maindata.dat");
  EXPECT_EQ(by_work_dir.Settings().m_bOldFormat, 1);

  AppContext by_option(AppOptions{dir / "current.dat", ""});
  EXPECT_EQ(by_option.CatalogPath(), dir / "current.dat");
  EXPECT_EQ(by_option.Settings().m_bOldFormat, 0) << "the file in WorkDir is not the catalog in use";
  by_option.SetCatalogPath("");
  EXPECT_EQ(by_option.CatalogPath(), dir / "work/maindata.dat");
  EXPECT_EQ(by_option.Settings().m_bOldFormat, 1);
  // A catalog too short to tell, or none at all, is of the current format.
  WriteFileBytes(dir / "short.dat", std::string("\xFF\xFF\xFF", 3));
  by_option.SetCatalogPath(dir / "short.dat");
  EXPECT_EQ(by_option.Settings().m_bOldFormat, 0);
  by_option.SetCatalogPath("");
  by_option.SetCatalogPath(dir / "missing.dat");
  EXPECT_EQ(by_option.Settings().m_bOldFormat, 0);
}

}  // namespace
}  // namespace quorvex::settings
