#include "gui/views/event_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "model/alert.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "text/code_page.h"

namespace quorvex::gui {

namespace ids = platform::ids;

namespace {

// The operators in list order; the list index is the operator code.
constexpr uint16_t kOperatorTexts[] = {ids::kOperatorEqual, ids::kOperatorNotEqual,     ids::kOperatorGreater,
                                       ids::kOperatorLess,  ids::kOperatorGreaterEqual, ids::kOperatorLessEqual};
constexpr int kTextOperators = 2;

QString TrimmedRight(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1).isSpace()) --end;
  return text.left(end);
}

}  // namespace

WDEventEditor::WDEventEditor(const model::WDEventMessager& event, const model::WDValue& beacon, QWidget* parent)
    : QDialog(parent),
      m_pOperand(new QLineEdit(FromBytes(event.m_condition.m_strOperand))),
      m_pOperator(new QComboBox),
      m_pOnce(new QCheckBox(Text(ids::kAlarmOnce))),
      m_pTabs(new QTabWidget) {
  setObjectName(QStringLiteral("EventEditor"));
  setWindowTitle(Text(ids::kEventEditorCaption));
  const int operators = beacon.GetKind() == model::kKindNumber ? 6 : kTextOperators;
  for (int i = 0; i < operators; ++i) m_pOperator->addItem(Text(kOperatorTexts[i]));
  m_pOperator->setCurrentIndex(event.m_condition.m_nOperator < operators ? event.m_condition.m_nOperator : 0);
  // A checksum has no value to compare with: only "changed" makes sense.
  m_pOperand->setEnabled(beacon.GetKind() != model::kKindChecksum);
  m_pOnce->setChecked(event.m_bOnce != 0);

  auto* name = new QLineEdit(FromBytes(beacon.GetName()));
  name->setReadOnly(true);
  auto* condition = new QGroupBox(Text(ids::kConditionGroup));
  auto* form = new QFormLayout(condition);
  form->addRow(Text(ids::kEventBeaconLabel), name);
  auto* test = new QHBoxLayout;
  test->addWidget(m_pOperator);
  test->addWidget(m_pOperand, 1);
  form->addRow(Text(ids::kEventConditionLabel), test);
  form->addRow(m_pOnce);

  m_pTabs->setIconSize(QSize(13, 13));
  m_pTabs->addTab(MakeMessagePage(event), Text(ids::kAlertWindowPage));
  m_pTabs->addTab(MakeMailPage(event), Text(ids::kEmailPage));
  m_pTabs->addTab(MakeProgramsPage(event), Text(ids::kProgramsPage));
  for (int page = 0; page < 3; ++page) {
    ApplyEnabled(page);
    connect(m_pEnabled[page], &QCheckBox::toggled, this, [this, page] { ApplyEnabled(page); });
  }

  auto* buttons = new QDialogButtonBox;
  buttons->addButton(Text(ids::kOk), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(Text(ids::kCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &WDEventEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(condition);
  layout->addWidget(m_pTabs, 1);
  layout->addWidget(buttons);
  resize(480, 420);
}

QWidget* WDEventEditor::MakeMessagePage(const model::WDEventMessager& event) {
  auto* page = new QWidget;
  m_pEnabled[kMessagePage] = new QCheckBox(Text(ids::kActionEnabled));
  m_pEnabled[kMessagePage]->setChecked(event.m_actMessage.m_bEnabled != 0);
  m_pMessage = new QPlainTextEdit(FromBytes(event.m_actMessage.m_strText));
  m_pSound = new QCheckBox(Text(ids::kAlertSound));
  m_pSound->setChecked(event.m_actMessage.m_bSound != 0);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(m_pEnabled[kMessagePage]);
  layout->addWidget(new QLabel(Text(ids::kAlertMessageLabel)));
  layout->addWidget(m_pMessage, 1);
  layout->addWidget(m_pSound);
  m_governed[kMessagePage] = {m_pMessage, m_pSound};
  return page;
}

QWidget* WDEventEditor::MakeMailPage(const model::WDEventMessager& event) {
  const model::WDAlertEmail& mail = event.m_actEmail;
  auto* page = new QWidget;
  m_pEnabled[kMailPage] = new QCheckBox(Text(ids::kActionEnabled));
  m_pEnabled[kMailPage]->setChecked(mail.m_bEnabled != 0);
  const std::string* fields[] = {&mail.m_strTo, &mail.m_strCc, &mail.m_strBcc, &mail.m_strSubject};
  constexpr uint16_t kLabels[] = {ids::kMailTo, ids::kMailCc, ids::kMailBcc, ids::kMailSubject};
  auto* form = new QFormLayout;
  for (int i = 0; i < 4; ++i) {
    m_pMail[i] = new QLineEdit(FromBytes(*fields[i]));
    form->addRow(Text(kLabels[i]), m_pMail[i]);
    m_governed[kMailPage].append(m_pMail[i]);
  }
  m_pMailText = new QPlainTextEdit(FromBytes(mail.m_strText));
  form->addRow(Text(ids::kMailText), m_pMailText);
  m_pCharset = new QComboBox;
  for (int32_t code = 0; code < text::kCharsetCount; ++code) {
    m_pCharset->addItem(QString::fromLatin1(text::CodePageLabel(code)));
  }
  m_pCharset->setCurrentIndex(mail.m_nCharset >= 0 && mail.m_nCharset < text::kCharsetCount ? mail.m_nCharset : -1);
  m_pCharset->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  form->addRow(QString(), m_pCharset);
  m_governed[kMailPage].append({m_pMailText, m_pCharset});
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(m_pEnabled[kMailPage]);
  layout->addLayout(form, 1);
  return page;
}

QWidget* WDEventEditor::MakeProgramsPage(const model::WDEventMessager& event) {
  const model::WDAlertExec& exec = event.m_actExec;
  auto* page = new QWidget;
  m_pEnabled[kProgramsPage] = new QCheckBox(Text(ids::kActionEnabled));
  m_pEnabled[kProgramsPage]->setChecked(exec.m_bEnabled != 0);
  auto* form = new QFormLayout;
  for (int slot = 0; slot < 3; ++slot) {
    m_pProgram[slot] = new QLineEdit(FromBytes(exec.Program(slot)));
    auto* browse = new QToolButton;
    browse->setText(QStringLiteral("..."));
    connect(browse, &QToolButton::clicked, this, [this, slot] {
      const QString file = QFileDialog::getOpenFileName(this, QString(), m_pProgram[slot]->text());
      if (!file.isEmpty()) m_pProgram[slot]->setText(file);
    });
    auto* row = new QHBoxLayout;
    row->addWidget(m_pProgram[slot], 1);
    row->addWidget(browse);
    form->addRow(Text(ids::kProgramSlot) + QStringLiteral(" %1:").arg(slot + 1), row);
    m_governed[kProgramsPage].append({m_pProgram[slot], browse});
  }
  m_pOpenPage = new QCheckBox(Text(ids::kOpenPageToo));
  m_pOpenPage->setChecked(exec.m_bOpenPage != 0);
  m_governed[kProgramsPage].append(m_pOpenPage);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(m_pEnabled[kProgramsPage]);
  layout->addLayout(form);
  layout->addWidget(m_pOpenPage);
  layout->addStretch(1);
  return page;
}

void WDEventEditor::ApplyEnabled(int page) {
  const bool on = m_pEnabled[page]->isChecked();
  for (QWidget* widget : m_governed[page]) widget->setEnabled(on);
  m_pTabs->setTabIcon(page, Icon(QString::fromLatin1(on ? icon::kActionOn : icon::kActionOff)));
}

void WDEventEditor::accept() {
  m_pOperand->setText(TrimmedRight(m_pOperand->text()));
  if (m_pOperand->text().isEmpty() &&
      !platform::Prompt().AskYesNo(platform::GetString(ids::kAskEmptyOperand), platform::PromptIcon::Question)) {
    platform::Prompt().ShowMessage(platform::GetString(ids::kMsgFieldEmpty), platform::PromptIcon::Exclamation);
    m_pOperand->setFocus();
    return;
  }
  QDialog::accept();
}

void WDEventEditor::CopyOut(model::WDEventMessager& event) const {
  event.m_condition.m_strOperand = ToBytes(m_pOperand->text());
  event.m_condition.m_nOperator = m_pOperator->currentIndex() < 0 ? 0 : m_pOperator->currentIndex();
  event.m_bOnce = m_pOnce->isChecked() ? 1 : 0;
  model::WDAlertMessage& message = event.m_actMessage;
  message.m_bEnabled = m_pEnabled[kMessagePage]->isChecked() ? 1 : 0;
  message.m_strText = ToBytes(m_pMessage->toPlainText());
  message.m_bSound = m_pSound->isChecked() ? 1 : 0;
  model::WDAlertEmail& mail = event.m_actEmail;
  mail.m_bEnabled = m_pEnabled[kMailPage]->isChecked() ? 1 : 0;
  std::string* fields[] = {&mail.m_strTo, &mail.m_strCc, &mail.m_strBcc, &mail.m_strSubject};
  for (int i = 0; i < 4; ++i) *fields[i] = ToBytes(m_pMail[i]->text());
  mail.m_strText = ToBytes(m_pMailText->toPlainText());
  mail.m_nCharset = m_pCharset->currentIndex();
  model::WDAlertExec& exec = event.m_actExec;
  exec.m_bEnabled = m_pEnabled[kProgramsPage]->isChecked() ? 1 : 0;
  for (int slot = 0; slot < 3; ++slot) exec.Program(slot) = ToBytes(m_pProgram[slot]->text());
  exec.m_bOpenPage = m_pOpenPage->isChecked() ? 1 : 0;
}

bool EditEvent(model::WDEventMessager& event, const model::WDValue& beacon, QWidget* parent) {
  WDEventEditor editor(event, beacon, parent);
  if (editor.exec() != QDialog::Accepted) return false;
  editor.CopyOut(event);
  return true;
}

}  // namespace quorvex::gui
