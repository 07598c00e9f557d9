#include "settings/settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <variant>

#include "platform/paths.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"

namespace quorvex::settings {
namespace {

constexpr char kInterface[] = "INTERFACE";
constexpr char kCommon[] = "COMMON";
constexpr char kConnection[] = "CONNECTION";
constexpr char kEmail[] = "EMAIL";
constexpr char kFrameRect[] = "FrameRect";
constexpr char kRData[] = "RData";

using Member = std::variant<int32_t WDSettings::*, std::string WDSettings::*, std::optional<int32_t> WDSettings::*,
                            LogFont WDSettings::*>;

struct Key {
  const char* section;
  const char* name;
  Member member;
};

// Every stored setting, in the order in which the sections and their keys are read and written.
const Key kKeys[] = {
    {kInterface, "HistoryDeepth", &WDSettings::m_nHistoryDeepth},
    {kInterface, "HideAllMessages", &WDSettings::m_bHideAllMessages},
    {kInterface, "SavePrompt", &WDSettings::m_bSavePrompt},
    {kInterface, "SoundEnable", &WDSettings::m_bSoundEnable},
    {kInterface, "RunMinimize", &WDSettings::m_bRunMinimize},
    {kInterface, "ToolBarVisible", &WDSettings::m_bToolBarVisible},
    {kInterface, "StatusBarVisible", &WDSettings::m_bStatusBarVisible},
    {kInterface, "Browser", &WDSettings::m_strBrowser},
    {kCommon, "AutoFreshing", &WDSettings::m_bAutoFreshing},
    {kCommon, "ContainerPlace", &WDSettings::m_strContainerPlace},
    {kCommon, "DataFilePath", &WDSettings::m_strDataFilePath},
    {kCommon, "ThreadsAtTheTime", &WDSettings::m_nThreadsAtTheTime},
    {kCommon, "LangFileName", &WDSettings::m_strLangFileName},
    {kCommon, "WorkDir", &WDSettings::m_strWorkDir},
    {kCommon, "Snapshots", &WDSettings::m_nSnapshots},
    {kCommon, "SnapshotSpace", &WDSettings::m_nSnapshotSpace},
    {kConnection, "TimeOut", &WDSettings::m_nTimeOut},
    {kConnection, "Retries", &WDSettings::m_nRetries},
    {kConnection, "ViaProxy", &WDSettings::m_bViaProxy},
    {kConnection, "ProxyServer", &WDSettings::m_strProxyServer},
    {kConnection, "ProxyPort", &WDSettings::m_nProxyPort},
    {kConnection, "PageLimit", &WDSettings::m_nPageLimit},
    {kEmail, "Email", &WDSettings::m_strEmail},
    {kEmail, "SMTPServ", &WDSettings::m_strSMTPServ},
    {kEmail, "IncludeChanges", &WDSettings::m_bIncludeChanges},
    {kFrameRect, "X_Size", &WDSettings::m_nXSize},
    {kFrameRect, "Y_Size", &WDSettings::m_nYSize},
    {kFrameRect, "X_TopPos", &WDSettings::m_nXTopPos},
    {kFrameRect, "Y_TopPos", &WDSettings::m_nYTopPos},
    {kFrameRect, "X_SplitterPos", &WDSettings::m_nXSplitterPos},
    {kRData, "Data1", &WDSettings::m_Font1},
    {kRData, "Data2", &WDSettings::m_Font2},
    {kRData, "Data3", &WDSettings::m_Font3},
    {kRData, "Data4", &WDSettings::m_Font4},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool IsKnown(std::string_view section, std::string_view key) {
  for (const Key& k : kKeys)
    if (SameName(k.section, section) && SameName(k.name, key)) return true;
  return false;
}

const Key* FindKey(std::string_view full_name) {
  size_t dot = full_name.find('.');
  if (dot == std::string_view::npos) return nullptr;
  for (const Key& k : kKeys)
    if (SameName(k.section, full_name.substr(0, dot)) && SameName(k.name, full_name.substr(dot + 1))) return &k;
  return nullptr;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

}  // namespace

WDSettings::WDSettings(std::string iniPath) : m_strIniPath(std::move(iniPath)) {}

WDSettings::~WDSettings() = default;

std::string WDSettings::FilePath() const {
  return m_strIniPath.empty() ? platform::JoinPath(platform::ConfigDir(), kSettingsFileName) : m_strIniPath;
}

LogFont& WDSettings::Font(int n) {
  switch (n) {
    case 2:
      return m_Font2;
    case 3:
      return m_Font3;
    case 4:
      return m_Font4;
    default:
      return m_Font1;
  }
}

const LogFont& WDSettings::Font(int n) const {
  return const_cast<WDSettings*>(this)->Font(n);
}

void WDSettings::SetAsideMalformed(const std::string& path, const std::string& reason) {
  std::string aside = path + ".bad";
  for (int n = 2; FileExists(aside) && n < 1000; ++n) aside = path + ".bad." + std::to_string(n);
  std::string why = "no free name beside it";
  if (!FileExists(aside)) {
    if (std::rename(path.c_str(), aside.c_str()) == 0) {
      platform::Prompt().ShowMessage(
          platform::FillPlaceholders(platform::GetString(kIdSettingsFileSetAside), {path, reason, aside}),
          platform::PromptIcon::Exclamation);
      return;
    }
    why = std::strerror(errno);
  }
  m_bSaveBlocked = true;
  platform::Prompt().ShowMessage(platform::FillPlaceholders(platform::GetString(kIdSettingsFileUnreadable),
                                                            {path, reason + "; it could not be set aside: " + why}),
                                 platform::PromptIcon::Exclamation);
}

bool WDSettings::Load() {
  const std::string path = FilePath();
  const WDSettings defaults;
  m_bSaveBlocked = false;
  m_strLoadedText.clear();
  m_store = platform::IniStore();
  std::string text;
  std::string error;
  switch (platform::ReadWholeFile(path, text, &error, platform::kMaxSettingsFileBytes)) {
    case platform::ReadResult::Missing:
      break;
    case platform::ReadResult::Failed:
      m_bSaveBlocked = true;
      platform::Prompt().ShowMessage(
          platform::FillPlaceholders(platform::GetString(kIdSettingsFileUnreadable), {path, error}),
          platform::PromptIcon::Exclamation);
      break;
    case platform::ReadResult::Ok:
      if (m_store.Parse(text, &error))
        m_strLoadedText = std::move(text);
      else
        SetAsideMalformed(path, error);
      break;
  }

  for (const Key& key : kKeys) {
    if (auto* number = std::get_if<int32_t WDSettings::*>(&key.member)) {
      this->*(*number) = m_store.GetInt(key.section, key.name, defaults.*(*number));
    } else if (auto* text = std::get_if<std::string WDSettings::*>(&key.member)) {
      this->*(*text) = m_store.GetString(key.section, key.name, defaults.*(*text));
    } else if (auto* optional = std::get_if<std::optional<int32_t> WDSettings::*>(&key.member)) {
      this->*(*optional) = std::nullopt;
      if (m_store.GetString(key.section, key.name)) {
        int32_t value;
        if (platform::IniStore::ParseInt(*m_store.GetString(key.section, key.name), value)) this->*(*optional) = value;
      }
    }
  }

  // Fonts: the first one that is missing or unusable ends the reading; it and the ones after it take
  // their defaults, so no unusable record ever reaches a window.
  bool all_fonts = true;
  for (int n = 1; n <= 4; ++n) {
    LogFont font;
    auto bytes = all_fonts ? m_store.GetHex(kRData, "Data" + std::to_string(n)) : std::nullopt;
    if (!bytes || !LogFont::FromBytes(*bytes, font) || !font.IsUsable()) {
      all_fonts = false;
      font = LogFont::Default(n);
    }
    Font(n) = font;
    m_LoadedFonts[n - 1] = font;
  }

  if (m_strBrowser == kUnsetBrowser) m_strBrowser = platform::FindOnPath("xdg-open");
  m_bFontsComplete = all_fonts;
  return all_fonts;
}

platform::IniStore WDSettings::BuildStore() const {
  bool fonts_unchanged = true;
  for (int n = 1; n <= 4; ++n) fonts_unchanged = fonts_unchanged && Font(n) == m_LoadedFonts[n - 1];
  const bool leave_fonts = m_bKeepFirstStart && !m_bFontsComplete && fonts_unchanged;
  platform::IniStore store;
  for (const Key& key : kKeys) {
    if (leave_fonts && std::holds_alternative<LogFont WDSettings::*>(key.member)) {
      if (auto stored = m_store.GetString(key.section, key.name)) store.SetString(key.section, key.name, *stored);
      continue;
    }
    if (auto* number = std::get_if<int32_t WDSettings::*>(&key.member)) {
      store.SetInt(key.section, key.name, this->*(*number));
    } else if (auto* text = std::get_if<std::string WDSettings::*>(&key.member)) {
      store.SetString(key.section, key.name, this->*(*text));
    } else if (auto* optional = std::get_if<std::optional<int32_t> WDSettings::*>(&key.member)) {
      if (this->*(*optional)) store.SetInt(key.section, key.name, *(this->*(*optional)));
    } else if (auto* font = std::get_if<LogFont WDSettings::*>(&key.member)) {
      store.SetHex(key.section, key.name, (this->*(*font)).ToBytes());
    }
  }
  for (const auto& section : m_store.Sections())
    for (const auto& [name, value] : section.entries)
      if (!IsKnown(section.name, name)) store.SetString(section.name, name, value);
  return store;
}

bool WDSettings::Save() {
  const std::string path = FilePath();
  if (m_bSaveBlocked) {
    m_strLastError = "the settings file " + path + " could not be read at start, so it is not overwritten";
    return false;
  }
  platform::IniStore store = BuildStore();
  std::string text = store.ToText();
  if (!m_strLoadedText.empty() && text == m_strLoadedText && FileExists(path)) return true;
  size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !platform::MakeFolders(path.substr(0, slash), &m_strLastError))
    return false;
  if (!platform::WriteFileAtomically(path, text, &m_strLastError)) return false;
  m_store = std::move(store);
  m_strLoadedText = std::move(text);
  m_strLastError.clear();
  return true;
}

void WDSettings::DetectOldFormat(const std::string& catalogPath) {
  m_bOldFormat = 0;
  std::string head;
  if (platform::ReadFileStart(catalogPath, head, nullptr, 4) != platform::ReadResult::Ok || head.size() < 4) return;
  if (static_cast<unsigned char>(head[2]) + static_cast<unsigned char>(head[3]) == 510) m_bOldFormat = 1;
}

std::string WDSettings::WorkDirectory() const {
  return m_strWorkDir.empty() ? platform::InstalledDataDir() : m_strWorkDir;
}

std::string WDSettings::CatalogPath(const std::string& catalogOverride) const {
  if (!catalogOverride.empty()) return catalogOverride;
  if (!m_strWorkDir.empty()) return platform::JoinPath(m_strWorkDir, kCatalogFileName);
  return platform::JoinPath(platform::DataDir(), kCatalogFileName);
}

std::string WDSettings::AutostartEntryPath() {
  return platform::JoinPath(platform::AutostartDir(), kAutostartEntryName);
}

bool WDSettings::StartupShortcut(int operation, bool& state) {
  if (operation != 0 && operation != 1) return false;
  const std::string entry = AutostartEntryPath();
  if (operation == 0) {
    state = ::access(entry.c_str(), R_OK) == 0;
    return true;
  }
  if (!state) {
    if (std::remove(entry.c_str()) != 0 && errno != ENOENT) {
      m_strLastError = "cannot remove " + entry + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }
  std::string bytes;
  const std::string source = platform::JoinPath(WorkDirectory(), kAutostartEntryName);
  switch (platform::ReadWholeFile(source, bytes, &m_strLastError, platform::kMaxTemplateFileBytes)) {
    case platform::ReadResult::Ok:
      break;
    case platform::ReadResult::Missing:
      m_strLastError = "the autostart template " + source + " is missing";
      return false;
    case platform::ReadResult::Failed:
      return false;
  }
  return platform::MakeFolders(platform::AutostartDir(), &m_strLastError) &&
         platform::WriteFileAtomically(entry, bytes, &m_strLastError);
}

WDFrameRect WDSettings::GetFrameRect(int screenWidth, int screenHeight) const {
  WDFrameRect rect;
  rect.X_Size = m_nXSize;
  rect.Y_Size = m_nYSize;
  rect.X_TopPos = m_nXTopPos ? *m_nXTopPos : (screenWidth - m_nXSize) / 2;
  rect.Y_TopPos = m_nYTopPos ? *m_nYTopPos : (screenHeight - m_nYSize) / 2;
  rect.X_SplitterPos = m_nXSplitterPos;
  return rect;
}

void WDSettings::SetFrameRect(const WDFrameRect& rect) {
  m_nXSize = rect.X_Size;
  m_nYSize = rect.Y_Size;
  m_nXTopPos = rect.X_TopPos;
  m_nYTopPos = rect.Y_TopPos;
  m_nXSplitterPos = rect.X_SplitterPos;
}

std::vector<std::pair<std::string, std::string>> WDSettings::ListValues() const {
  std::vector<std::pair<std::string, std::string>> values;
  for (const Key& key : kKeys) {
    std::string name = std::string(key.section) + "." + key.name;
    std::string value;
    GetValue(name, value);
    values.emplace_back(std::move(name), std::move(value));
  }
  return values;
}

bool WDSettings::GetValue(std::string_view name, std::string& value) const {
  const Key* key = FindKey(name);
  if (!key) return false;
  if (auto* number = std::get_if<int32_t WDSettings::*>(&key->member)) {
    value = std::to_string(this->*(*number));
  } else if (auto* text = std::get_if<std::string WDSettings::*>(&key->member)) {
    value = this->*(*text);
  } else if (auto* optional = std::get_if<std::optional<int32_t> WDSettings::*>(&key->member)) {
    value = this->*(*optional) ? std::to_string(*(this->*(*optional))) : std::string();
  } else if (auto* font = std::get_if<LogFont WDSettings::*>(&key->member)) {
    value = platform::IniStore::ToHex((this->*(*font)).ToBytes());
  }
  return true;
}

WDSettings::SetResult WDSettings::SetValue(std::string_view name, std::string_view value, std::string* error) {
  const Key* key = FindKey(name);
  auto bad = [&](const std::string& reason) {
    if (error) *error = reason;
    return SetResult::BadValue;
  };
  if (!key) {
    if (error) *error = "unknown setting " + std::string(name);
    return SetResult::UnknownKey;
  }
  if (auto* number = std::get_if<int32_t WDSettings::*>(&key->member)) {
    int32_t parsed;
    if (!platform::IniStore::ParseInt(value, parsed))
      return bad("expected a whole number from -2147483648 to 4294967295");
    if (*number == &WDSettings::m_nPageLimit && (parsed < kMinPageLimit || parsed > kMaxPageLimit))
      return bad("expected a number of bytes from " + std::to_string(kMinPageLimit) + " to " +
                 std::to_string(kMaxPageLimit));
    if (*number == &WDSettings::m_nSnapshots && (parsed < 0 || parsed > kMaxSnapshots))
      return bad("expected a number of snapshots from 0 to " + std::to_string(kMaxSnapshots));
    if (*number == &WDSettings::m_nSnapshotSpace && (parsed < 0 || parsed > kMaxSnapshotSpace))
      return bad("expected a number of MB from 0 to " + std::to_string(kMaxSnapshotSpace));
    this->*(*number) = parsed;
  } else if (auto* text = std::get_if<std::string WDSettings::*>(&key->member)) {
    this->*(*text) = std::string(value);
  } else if (auto* optional = std::get_if<std::optional<int32_t> WDSettings::*>(&key->member)) {
    int32_t parsed;
    if (value.empty()) {
      this->*(*optional) = std::nullopt;
    } else if (platform::IniStore::ParseInt(value, parsed)) {
      this->*(*optional) = parsed;
    } else {
      return bad("expected a whole number, or nothing for a centred window");
    }
  } else if (auto* font = std::get_if<LogFont WDSettings::*>(&key->member)) {
    std::string bytes;
    LogFont parsed;
    if (!platform::IniStore::ParseHex(value, bytes) || !LogFont::FromBytes(bytes, parsed))
      return bad("expected 120 hex digits (a 60-byte font record)");
    if (!parsed.IsUsable()) return bad("the font record is not usable (size, weight or face name out of range)");
    this->*(*font) = parsed;
  }
  return SetResult::Ok;
}

}  // namespace quorvex::settings
