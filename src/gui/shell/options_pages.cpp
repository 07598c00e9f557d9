#include "gui/shell/options_pages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/shell/gui_text.h"
#include "platform/string_ids.h"
#include "platform/user_prompt.h"
#include "settings/settings.h"

namespace quorvex::gui {
namespace {

using namespace platform::ids;

QCheckBox* NewCheck(const char* name, uint16_t label, bool checked) {
  auto* box = new QCheckBox(Text(label));
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  return box;
}

QLineEdit* NewEdit(const char* name, const QString& text, int width = 0) {
  auto* edit = new QLineEdit(text);
  edit->setObjectName(QString::fromLatin1(name));
  if (width > 0) edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * width + 16);
  return edit;
}

}  // namespace

bool ReadInteger(QLineEdit* edit, bool ranged, int least, int greatest, int& value) {
  bool ok = false;
  const int read = edit->text().trimmed().toInt(&ok);
  if (ok && (!ranged || (read >= least && read <= greatest))) {
    value = read;
    return true;
  }
  // Text that is no number at all is told as such, whatever the range.
  const std::string message = ok ? ToBytes(Text(kMsgIntegerRange, {std::to_string(least), std::to_string(greatest)}))
                                 : ToBytes(Text(kMsgIntegerNeeded));
  platform::Prompt().ShowMessage(message, platform::PromptIcon::Exclamation);
  edit->setFocus();
  edit->selectAll();
  return false;
}

CInterfacePage::CInterfacePage(const settings::WDSettings& s, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("InterfacePage"));
  auto* group = new QGroupBox(Text(kInterfaceGroup));
  auto* checks = new QVBoxLayout(group);
  runMinimize_ = NewCheck("RunMinimize", kRunMinimized, s.m_bRunMinimize != 0);
  savePrompt_ = NewCheck("SavePrompt", kSavePrompt, s.m_bSavePrompt != 0);
  hideAllMessages_ = NewCheck("HideAllMessages", kHideAllMessages, s.m_bHideAllMessages != 0);
  soundEnable_ = NewCheck("SoundEnable", kSoundEnable, s.m_bSoundEnable != 0);
  for (QCheckBox* box : {runMinimize_, savePrompt_, hideAllMessages_, soundEnable_}) checks->addWidget(box);

  browser_ = NewEdit("Browser", FromBytes(s.m_strBrowser));
  auto* browse = new QToolButton;
  browse->setObjectName(QStringLiteral("BrowseButton"));
  browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  browse->setToolTip(Text(kChooseBrowser));
  connect(browse, &QToolButton::clicked, this, &CInterfacePage::Browse);
  auto* browserRow = new QHBoxLayout;
  browserRow->addWidget(browser_);
  browserRow->addWidget(browse);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(new QLabel(Text(kBrowserLabel)));
  layout->addLayout(browserRow);
  layout->addStretch();
}

void CInterfacePage::Browse() {
  // Any executable file will do: programs here carry no ".exe".
  QFileDialog dialog(this, Text(kChooseBrowser), QFileInfo(browser_->text()).absolutePath());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
  dialog.setNameFilter(Text(kProgramsFilter) + QStringLiteral(" (*)"));
  if (!browser_->text().isEmpty()) dialog.selectFile(browser_->text());
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    browser_->setText(dialog.selectedFiles().front());
  }
}

void CInterfacePage::Store(settings::WDSettings& s) const {
  s.m_bRunMinimize = runMinimize_->isChecked() ? 1 : 0;
  s.m_bSavePrompt = savePrompt_->isChecked() ? 1 : 0;
  s.m_bHideAllMessages = hideAllMessages_->isChecked() ? 1 : 0;
  s.m_bSoundEnable = soundEnable_->isChecked() ? 1 : 0;
  s.m_strBrowser = ToBytes(browser_->text());
}

CCommonPage::CCommonPage(const settings::WDSettings& s, bool startWithSession, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("CommonPage"));
  refreshByHand_ = NewCheck("RefreshByHand", kRefreshByHand, s.m_bAutoFreshing == 0);
  limitPages_ = new QRadioButton(Text(kLimitPages));
  limitPages_->setObjectName(QStringLiteral("LimitPages"));
  unlimitedPages_ = new QRadioButton(Text(kUnlimitedPages));
  unlimitedPages_->setObjectName(QStringLiteral("UnlimitedPages"));
  pagesAtTheTime_ = NewEdit("PagesAtTheTime", QString::number(s.m_nThreadsAtTheTime), 5);
  (s.m_nThreadsAtTheTime == 0 ? unlimitedPages_ : limitPages_)->setChecked(true);
  startWithSession_ = NewCheck("StartWithSession", kStartWithSession, startWithSession);

  auto* group = new QGroupBox(Text(kRefreshGroup));
  auto* grid = new QGridLayout(group);
  grid->addWidget(limitPages_, 0, 0);
  grid->addWidget(pagesAtTheTime_, 0, 1);
  grid->addWidget(new QLabel(Text(kPagesAtTheTime)), 0, 2);
  grid->addWidget(unlimitedPages_, 1, 0, 1, 3);
  grid->setColumnStretch(3, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(refreshByHand_);
  layout->addWidget(group);
  layout->addWidget(startWithSession_);
  layout->addStretch();

  // Choosing how many pages at a time means refreshing by the schedule again.
  connect(limitPages_, &QRadioButton::clicked, this, [this] {
    refreshByHand_->setChecked(false);
    ShowLimit();
  });
  connect(unlimitedPages_, &QRadioButton::clicked, this, [this] {
    refreshByHand_->setChecked(false);
    pagesAtTheTime_->setText(QStringLiteral("0"));
    ShowLimit();
  });
  connect(pagesAtTheTime_, &QLineEdit::textEdited, this, [this] { refreshByHand_->setChecked(false); });
  ShowLimit();
}

void CCommonPage::ShowLimit() {
  pagesAtTheTime_->setEnabled(limitPages_->isChecked());
}

bool CCommonPage::Validate() const {
  int pages = 0;
  return ReadInteger(pagesAtTheTime_, false, 0, 0, pages);
}

void CCommonPage::Store(settings::WDSettings& s) const {
  int pages = 0;
  ReadInteger(pagesAtTheTime_, false, 0, 0, pages);
  s.m_bAutoFreshing = refreshByHand_->isChecked() ? 0 : 1;
  s.m_nThreadsAtTheTime = pages;
}

CConnectionPage::CConnectionPage(const settings::WDSettings& s, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ConnectionPage"));
  timeOut_ = NewEdit("TimeOut", QString::number(s.m_nTimeOut), 5);
  retries_ = NewEdit("Retries", QString::number(s.m_nRetries), 5);
  viaProxy_ = NewCheck("ViaProxy", kViaProxy, s.m_bViaProxy != 0);
  proxyServer_ = NewEdit("ProxyServer", FromBytes(s.m_strProxyServer));
  proxyPort_ = NewEdit("ProxyPort", QString::number(s.m_nProxyPort), 6);

  auto* group = new QGroupBox(Text(kConnectionGroup));
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(Text(kTimeOutLabel)), 0, 0);
  grid->addWidget(timeOut_, 0, 1);
  grid->addWidget(new QLabel(Text(kSecondsUnit)), 0, 2);
  grid->addWidget(new QLabel(Text(kRetriesLabel)), 1, 0);
  grid->addWidget(retries_, 1, 1);
  grid->setColumnStretch(3, 1);

  auto* proxy = new QGridLayout;
  proxy->addWidget(viaProxy_, 0, 0, 1, 4);
  proxy->addWidget(new QLabel(Text(kProxyServer)), 1, 0);
  proxy->addWidget(proxyServer_, 1, 1);
  proxy->addWidget(new QLabel(Text(kProxyPort)), 1, 2);
  proxy->addWidget(proxyPort_, 1, 3);
  proxy->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(proxy);
  layout->addStretch();
  connect(viaProxy_, &QCheckBox::toggled, this, &CConnectionPage::ShowProxy);
  ShowProxy();
}

void CConnectionPage::ShowProxy() {
  proxyServer_->setEnabled(viaProxy_->isChecked());
  proxyPort_->setEnabled(viaProxy_->isChecked());
}

bool CConnectionPage::Validate() const {
  int value = 0;
  if (!ReadInteger(timeOut_, true, kMinTimeOut, kMaxTimeOut, value)) return false;
  if (!ReadInteger(retries_, true, kMinRetries, kMaxRetries, value)) return false;
  // A proxy port the session cannot use would leave the program without a connection.
  return ReadInteger(proxyPort_, viaProxy_->isChecked(), kMinPort, kMaxPort, value);
}

void CConnectionPage::Store(settings::WDSettings& s) const {
  int value = 0;
  if (ReadInteger(timeOut_, true, kMinTimeOut, kMaxTimeOut, value)) s.m_nTimeOut = value;
  if (ReadInteger(retries_, true, kMinRetries, kMaxRetries, value)) s.m_nRetries = value;
  s.m_bViaProxy = viaProxy_->isChecked() ? 1 : 0;
  s.m_strProxyServer = ToBytes(proxyServer_->text());
  if (ReadInteger(proxyPort_, false, 0, 0, value)) s.m_nProxyPort = value;
}

}  // namespace quorvex::gui
