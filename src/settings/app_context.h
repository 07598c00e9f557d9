#pragma once
// The application context: what the whole running program shares. The desktop program and the
// command-line tool each create one at start and destroy it at exit. It owns the one settings object
// (loaded on creation, saved on destruction), remembers when the program started, and knows which
// catalog file this run uses.
//
// GetAppContext() and GetSettings() return the newest living context (null when there is none). A
// context created while another lives hides it until destroyed; destroy them in reverse order.
// Thread: create, use and destroy on the UI thread; the start time may be read from any thread.
#include <cstdint>
#include <string>

#include "settings/settings.h"

namespace quorvex::settings {

struct AppOptions {
  // The catalog file given on the command line ("/w" or --catalog); empty for the default.
  std::string catalogOverride;
  // The settings file; empty for platform::ConfigDir()/Quorvex.ini.
  std::string settingsFile;
  // A program without the first-start dialogs (the command-line tool) sets this: see
  // WDSettings::KeepFirstStart.
  bool keepFirstStart = false;
};

class AppContext {
 public:
  // Loads the settings (reporting a broken settings file through platform::Prompt()), resolves the
  // catalog path and detects its format generation. The start time is platform::Now() at this moment.
  explicit AppContext(const AppOptions& options = {});
  // Saves the settings; a failure is reported through platform::Prompt(), never silently dropped.
  ~AppContext();
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  WDSettings& Settings() { return m_settings; }
  const WDSettings& Settings() const { return m_settings; }

  // Seconds since 1970 UTC at which the program started.
  int64_t GetStartTime() const { return m_nStartTime; }

  // The catalog file of this run.
  const std::string& CatalogPath() const { return m_strCatalogPath; }
  // Switches to another catalog file (empty: back to the default of the settings) and detects its
  // format generation again.
  void SetCatalogPath(const std::string& catalogOverride);

  // Whether the settings held all four fonts; false on a first start, when the first-start dialogs
  // are due.
  bool SettingsComplete() const { return m_bSettingsComplete; }

 private:
  WDSettings m_settings;
  int64_t m_nStartTime;
  std::string m_strCatalogPath;
  bool m_bSettingsComplete = false;
  AppContext* m_pPrevious;
};

AppContext* GetAppContext();
WDSettings* GetSettings();

}  // namespace quorvex::settings
