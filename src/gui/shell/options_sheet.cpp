#include "gui/shell/options_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/fetch_session.h"
#include "gui/shell/email_page.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/language_page.h"
#include "gui/shell/options_pages.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/language_folder.h"
#include "settings/settings.h"

namespace quorvex::gui {

using namespace platform::ids;

COptionsSheet::COptionsSheet(settings::WDSettings& s, bool firstStart, std::function<size_t()> listedJobs,
                             QWidget* parent)
    : QDialog(parent),
      s_(s),
      firstStart_(firstStart),
      listedJobs_(std::move(listedJobs)),
      langFileName_(s.m_strLangFileName),
      viaProxy_(s.m_bViaProxy != 0),
      proxyServer_(s.m_strProxyServer),
      proxyPort_(s.m_nProxyPort) {
  setObjectName(QStringLiteral("OptionsSheet"));
  setWindowTitle(Text(kOptionsTitle));
  // A failed query counts as no entry.
  if (!s.StartupShortcut(0, startWithSession_)) startWithSession_ = false;

  pages_ = new QTabWidget;
  pages_->setObjectName(QStringLiteral("OptionsPages"));
  interface_ = new CInterfacePage(s);
  common_ = new CCommonPage(s, startWithSession_);
  connection_ = new CConnectionPage(s);
  email_ = new WDSetEmail(s);
  pages_->addTab(interface_, Text(kInterfacePage));
  pages_->addTab(common_, Text(kCommonPage));
  pages_->addTab(connection_, Text(kConnectionPage));
  pages_->addTab(email_, Text(kEmailPage));
  if (!firstStart) {
    language_ = new CLanguagePage(s.m_strLangFileName, s.WorkDirectory(), false);
    pages_->addTab(language_, Text(kLanguagePage));
  }

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(Text(kOk), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("OkButton"));
  buttons->addButton(Text(kCancel), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelButton"));
  connect(buttons, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addWidget(buttons);
  // Only once inside the dialog does the button become its default, not the first button of a page.
  ok->setDefault(true);
  // Every page's label shows: no scrolling tab bar.
  pages_->setUsesScrollButtons(false);
}

bool COptionsSheet::Usable() const {
  return !language_ || language_->Usable();
}

void COptionsSheet::accept() {
  if (!common_->Validate()) {
    pages_->setCurrentWidget(common_);
    return;
  }
  if (!connection_->Validate()) {
    pages_->setCurrentWidget(connection_);
    return;
  }
  Store();
  QDialog::accept();
}

void COptionsSheet::Store() {
  if (language_) {
    s_.m_strLangFileName = language_->SelectedName();
    if (s_.m_strLangFileName != langFileName_) {
      platform::Prompt().ShowMessage(platform::GetString(kMsgNextStart), platform::PromptIcon::Information);
    }
  }
  common_->Store(s_);
  if (common_->StartWithSession() != startWithSession_) {
    bool state = common_->StartWithSession();
    if (!s_.StartupShortcut(1, state)) {
      platform::Prompt().ShowMessage(ToBytes(Text(kMsgFileNotFound, {settings::kAutostartEntryName})) + "\n" +
                                         platform::GetString(kMsgInstallationDamaged),
                                     platform::PromptIcon::Exclamation);
    }
  }
  interface_->Store(s_);
  connection_->Store(s_);
  email_->Store(s_);
  const bool proxyChanged =
      (s_.m_bViaProxy != 0) != viaProxy_ || s_.m_strProxyServer != proxyServer_ || s_.m_nProxyPort != proxyPort_;
  if (proxyChanged && !firstStart_) {
    engine::CreateSession(engine::SessionConfigFromSettings(s_), listedJobs_ ? listedJobs_() : 0);
  }
}

bool EditOptions(settings::WDSettings& s, bool firstStart, std::function<size_t()> listedJobs, QWidget* parent) {
  COptionsSheet sheet(s, firstStart, std::move(listedJobs), parent);
  if (!sheet.Usable()) {
    platform::Prompt().ShowMessage(settings::kNoEnglishMessage, platform::PromptIcon::Stop);
    return false;
  }
  return sheet.exec() == QDialog::Accepted;
}

}  // namespace quorvex::gui
