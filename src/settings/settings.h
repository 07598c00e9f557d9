#pragma once
// All user settings of the program. They live in the INI file described in doc/settings-file.md
// (one section per settings group: INTERFACE, COMMON, CONNECTION, EMAIL, FrameRect, RData), are read
// once at start (Load) and written back at exit (Save) by the application context, which owns the one
// WDSettings of the process (settings/app_context.h). Dialogs and commands change the object in memory.
//
// Thread: the UI thread only (the object has no lock). Nothing throws.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ini_store.h"
#include "settings/log_font.h"

namespace quorvex::settings {

inline constexpr char kSettingsFileName[] = "Quorvex.ini";
inline constexpr char kCatalogFileName[] = "maindata.dat";
inline constexpr char kAutostartEntryName[] = "Quorvex Agent.desktop";
inline constexpr char kUnsetBrowser[] = "???";
// The range of CONNECTION.PageLimit: the page buffer of old, up to 16 MiB.
inline constexpr int32_t kMinPageLimit = 52000;
inline constexpr int32_t kMaxPageLimit = 16777216;
// The ranges of COMMON.Snapshots (per page) and COMMON.SnapshotSpace (MB); 0 keeps none.
inline constexpr int32_t kMaxSnapshots = 10000;
inline constexpr int32_t kMaxSnapshotSpace = 1048576;

// Language text ids of the settings store's own messages.
inline constexpr uint16_t kIdSettingsFileSetAside = 61700;
inline constexpr uint16_t kIdSettingsFileUnreadable = 61701;
inline constexpr uint16_t kIdSettingsNotSaved = 61702;

// The main window's placement (FrameRect section). The position is centred on the screen when unset.
struct WDFrameRect {
  int32_t X_Size = 640;
  int32_t Y_Size = 395;
  int32_t X_TopPos = 0;
  int32_t Y_TopPos = 0;
  int32_t X_SplitterPos = 202;
};

class WDSettings {
 public:
  // iniPath: the settings file; empty means platform::ConfigDir()/Quorvex.ini, decided at each use.
  explicit WDSettings(std::string iniPath = {});
  // Does not save: the application context saves at exit, so that a settings object made for a
  // test or a tool never writes by surprise.
  virtual ~WDSettings();

  // Reads every setting, taking the default of each one that is missing or malformed, then reads the
  // fonts and discovers the browser. Returns true only when all four fonts were stored and usable;
  // otherwise the fonts from the first bad one on take their defaults (false means: first start).
  // A settings file that cannot be parsed is reported once through platform::Prompt() and renamed
  // aside (Quorvex.ini.bad, or .bad.2, ...), so the next Save starts afresh without losing it; a file
  // that cannot be read at all, or not be set aside, is left alone and Save refuses to overwrite it.
  bool Load();
  // Writes every setting in the order of the sections, keeping keys of the file that this version does
  // not know. Writes through a temporary file, so a failure leaves the old file whole. Skips the write
  // when the text equals what Load read. On failure returns false; LastError() says why. Call Load
  // first: without it the keys of the file that this version does not know are not kept.
  bool Save();
  const std::string& LastError() const { return m_strLastError; }
  // For a program without the first-start dialogs (the command-line tool): when Load found the fonts
  // incomplete and nobody changed them, Save leaves the stored fonts as they are instead of writing
  // the defaults, so that the desktop program still meets its first start.
  void KeepFirstStart(bool keep) { m_bKeepFirstStart = keep; }
  // The settings file in use.
  std::string FilePath() const;

  // Sets the old-format flag from the first bytes of the catalog file at catalogPath (bytes 2 and 3
  // both 0xFF); a missing or short file clears it.
  void DetectOldFormat(const std::string& catalogPath);

  // The program folder: WorkDir when set, else platform::InstalledDataDir(). WorkDir itself is only
  // ever written back as it was read.
  std::string WorkDirectory() const;
  // The catalog file: catalogOverride when not empty; else WorkDir/maindata.dat when WorkDir is set;
  // else platform::DataDir()/maindata.dat.
  std::string CatalogPath(const std::string& catalogOverride = {}) const;

  // The autostart entry of the agent. operation 0: state = whether the entry exists; returns true.
  // operation 1 with state true: copies the template "Quorvex Agent.desktop" of WorkDirectory() to
  // AutostartEntryPath(); with state false removes the entry. Returns false on failure (also for any
  // other operation).
  bool StartupShortcut(int operation, bool& state);
  static std::string AutostartEntryPath();

  // Font n (1..4); other n give font 1.
  LogFont& Font(int n);
  const LogFont& Font(int n) const;

  WDFrameRect GetFrameRect(int screenWidth, int screenHeight) const;
  void SetFrameRect(const WDFrameRect& rect);

  // Settings by their "SECTION.KEY" names, for tools. Values in text form: integers in decimal,
  // strings as they are, fonts as 120 hex digits, an unset frame position as an empty text.
  std::vector<std::pair<std::string, std::string>> ListValues() const;
  // False for a name that is not a setting (names compare without regard to case).
  bool GetValue(std::string_view name, std::string& value) const;
  enum class SetResult { Ok, UnknownKey, BadValue };
  SetResult SetValue(std::string_view name, std::string_view value, std::string* error = nullptr);

  // Fields in the order of the original settings object. Integers keep their stored value as is;
  // flags are 0 or 1 when set by the program.
  std::string m_strSMTPServ;
  std::string m_strEmail;
  // 1: alert mail and alert windows tell what changed on the page (its newest snapshots).
  int32_t m_bIncludeChanges = 0;
  int32_t m_nDataVersion = 1;  // catalog file version, set by the catalog document
  std::string m_strBrowser = kUnsetBrowser;
  LogFont m_Font4 = LogFont::Default(4);
  LogFont m_Font3 = LogFont::Default(3);
  LogFont m_Font2 = LogFont::Default(2);
  LogFont m_Font1 = LogFont::Default(1);
  int32_t m_nHistoryDeepth = -1;
  int32_t m_bHideAllMessages = 0;
  int32_t m_bSavePrompt = 0;
  int32_t m_bSoundEnable = 1;
  int32_t m_bRunMinimize = 0;
  int32_t m_bToolBarVisible = 1;
  int32_t m_bStatusBarVisible = 1;
  int32_t m_bOldFormat = 0;  // the catalog file has the older layout; not stored
  std::string m_strWorkDir;
  std::string m_strLangFileName;
  int32_t m_bAutoFreshing = 1;
  int32_t m_nThreadsAtTheTime = 0;
  // Page snapshots (engine/snapshot_store.h): how many per page, and how many MB in all.
  int32_t m_nSnapshots = 10;
  int32_t m_nSnapshotSpace = 200;
  std::string m_strContainerPlace;
  std::string m_strDataFilePath;
  int32_t m_bViaProxy = 0;
  std::string m_strProxyServer = "http://localhost";
  int32_t m_nProxyPort = 80;
  int32_t m_nTimeOut = 10;
  int32_t m_nRetries = 2;
  // Bytes of page text a fetch keeps, within [kMinPageLimit, kMaxPageLimit].
  int32_t m_nPageLimit = kMinPageLimit;
  // FrameRect, read and written here on behalf of the main window.
  int32_t m_nXSize = 640;
  int32_t m_nYSize = 395;
  std::optional<int32_t> m_nXTopPos;
  std::optional<int32_t> m_nYTopPos;
  int32_t m_nXSplitterPos = 202;

 private:
  platform::IniStore BuildStore() const;
  void SetAsideMalformed(const std::string& path, const std::string& reason);

  std::string m_strIniPath;
  platform::IniStore m_store;   // the file as read: keeps keys this version does not know
  std::string m_strLoadedText;  // the file's text as read, when it was read
  bool m_bSaveBlocked = false;  // the file could not be read or set aside: never overwrite it
  bool m_bKeepFirstStart = false;
  bool m_bFontsComplete = false;  // Load found all four fonts
  LogFont m_LoadedFonts[4];       // fonts 1..4 as Load left them
  std::string m_strLastError;
};

}  // namespace quorvex::settings
