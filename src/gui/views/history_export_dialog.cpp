#include "gui/views/history_export_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "gui/shell/gui_text.h"
#include "model/value.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"

namespace quorvex::gui {

namespace ids = platform::ids;

HistoryExportDialog::HistoryExportDialog(const model::WDValue& value, QWidget* parent)
    : QDialog(parent),
      m_value(value),
      m_pFile(new QLineEdit(FromBytes(value.GetName() + ".sdf"))),
      m_pField(new QLineEdit(QStringLiteral(","))),
      m_pRecord(new QLineEdit(QStringLiteral(";"))),
      m_pDateOnly(new QCheckBox(Text(ids::kExportDateOnly))),
      m_pCombine(new QCheckBox(Text(ids::kExportCombineDateTime))) {
  setObjectName(QStringLiteral("HistoryExportDialog"));
  setWindowTitle(Text(ids::kExportHistoryTitle));
  for (QLineEdit* edit : {m_pField, m_pRecord}) {
    edit->setMaxLength(1);
    edit->setMaximumWidth(40);
  }
  auto* browse = new QToolButton;
  browse->setText(QStringLiteral("..."));
  connect(browse, &QToolButton::clicked, this, [this] {
    QFileDialog dialog(this, QString(), m_pFile->text(), QStringLiteral("*.sdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("sdf"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      m_pFile->setText(dialog.selectedFiles().front());
    }
  });
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(m_pFile, 1);
  fileRow->addWidget(browse);

  auto* form = new QFormLayout;
  form->addRow(fileRow);
  form->addRow(Text(ids::kFieldDelimiter), m_pField);
  form->addRow(Text(ids::kRecordDelimiter), m_pRecord);
  form->addRow(m_pDateOnly);
  form->addRow(m_pCombine);
  // Without a time there is nothing to combine.
  connect(m_pDateOnly, &QCheckBox::toggled, m_pCombine, &QWidget::setDisabled);

  auto* buttons = new QDialogButtonBox;
  buttons->addButton(Text(ids::kExportButton), QDialogButtonBox::AcceptRole);
  buttons->addButton(Text(ids::kCancel), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Export()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  setLayout(form);
  resize(420, sizeHint().height());
}

bool HistoryExportDialog::Export() {
  const std::string path = ToBytes(m_pFile->text());
  const std::string text = m_value.GetHistory().BuildExportText(m_pDateOnly->isChecked(), !m_pCombine->isChecked(),
                                                                ToBytes(m_pField->text()), ToBytes(m_pRecord->text()),
                                                                m_value.GetKind() != model::kKindNumber);
  std::string reason;
  if (path.empty() || !platform::WriteFileAtomically(path, text, &reason)) {
    platform::Prompt().ShowMessage(platform::GetString(ids::kMsgCantOpenFile) + "\n" + path +
                                       (reason.empty() ? std::string() : "\n(" + reason + ")"),
                                   platform::PromptIcon::Exclamation);
    return false;
  }
  return true;
}

void ExportHistory(const model::WDValue& value, QWidget* parent) {
  HistoryExportDialog dialog(value, parent);
  dialog.exec();
}

}  // namespace quorvex::gui
