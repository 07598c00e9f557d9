#include "settings/app_context.h"

#include "platform/clock.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"

namespace quorvex::settings {
namespace {

AppContext* g_current = nullptr;

}  // namespace

AppContext::AppContext(const AppOptions& options)
    : m_settings(options.settingsFile), m_nStartTime(platform::Now()), m_pPrevious(g_current) {
  m_settings.KeepFirstStart(options.keepFirstStart);
  m_bSettingsComplete = m_settings.Load();
  SetCatalogPath(options.catalogOverride);
  g_current = this;
}

AppContext::~AppContext() {
  if (g_current == this) g_current = m_pPrevious;
  if (!m_settings.Save()) {
    platform::Prompt().ShowMessage(
        platform::FillPlaceholders(platform::GetString(kIdSettingsNotSaved), {m_settings.LastError()}),
        platform::PromptIcon::Exclamation);
  }
}

void AppContext::SetCatalogPath(const std::string& catalogOverride) {
  m_strCatalogPath = m_settings.CatalogPath(catalogOverride);
  m_settings.DetectOldFormat(m_strCatalogPath);
}

AppContext* GetAppContext() {
  return g_current;
}

WDSettings* GetSettings() {
  AppContext* context = GetAppContext();
  return context ? &context->Settings() : nullptr;
}

}  // namespace quorvex::settings
