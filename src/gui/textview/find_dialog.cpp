#include "gui/textview/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/shell/gui_text.h"
#include "gui/textview/text_view.h"
#include "platform/string_ids.h"

namespace quorvex::gui {

using namespace platform::ids;

FindDialog::FindDialog(WDTextView& view)
    : QDialog(&view, Qt::Tool),
      m_pView(&view),
      m_pText(new QLineEdit(this)),
      m_pMatchCase(new QCheckBox(Text(kFindMatchCase), this)),
      m_pWrap(new QCheckBox(Text(kFindWrap), this)),
      m_pNext(new QPushButton(Text(kFindNext), this)),
      m_pPrevious(new QPushButton(Text(kFindPrevious), this)),
      m_pStatus(new QLabel(this)) {
  setObjectName(QStringLiteral("FindDialog"));
  setWindowTitle(Text(kFindCaption));
  m_pText->setObjectName(QStringLiteral("findText"));
  m_pMatchCase->setObjectName(QStringLiteral("matchCase"));
  m_pWrap->setObjectName(QStringLiteral("wrapAround"));
  m_pWrap->setChecked(true);
  m_pNext->setObjectName(QStringLiteral("findNext"));
  m_pNext->setDefault(true);
  m_pPrevious->setObjectName(QStringLiteral("findPrevious"));
  m_pStatus->setObjectName(QStringLiteral("findStatus"));
  auto* close = new QPushButton(Text(kClose), this);

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(Text(kFindWhat), this), 0, 0);
  layout->addWidget(m_pText, 0, 1);
  layout->addWidget(m_pNext, 0, 2);
  layout->addWidget(m_pMatchCase, 1, 1);
  layout->addWidget(m_pPrevious, 1, 2);
  layout->addWidget(m_pWrap, 2, 1);
  layout->addWidget(close, 2, 2);
  layout->addWidget(m_pStatus, 3, 0, 1, 3);
  layout->setColumnStretch(1, 1);

  auto enable = [this] {
    const bool any = !m_pText->text().isEmpty();
    m_pNext->setEnabled(any);
    m_pPrevious->setEnabled(any);
    m_pStatus->clear();
  };
  connect(m_pText, &QLineEdit::textChanged, this, enable);
  connect(m_pNext, &QPushButton::clicked, this, [this] { Find(false); });
  connect(m_pPrevious, &QPushButton::clicked, this, [this] { Find(true); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  enable();
}

void FindDialog::SetText(const QString& text) {
  m_pText->setText(text);
  m_pText->selectAll();
}

bool FindDialog::Find(bool backward) {
  if (!m_pView) return false;
  const bool found = m_pView->FindText(m_pText->text(), backward, m_pMatchCase->isChecked(), m_pWrap->isChecked());
  m_pStatus->setText(found ? QString() : Text(kFindNotFound, {ToBytes(m_pText->text())}));
  return found;
}

QString FindDialog::Status() const {
  return m_pStatus->text();
}

}  // namespace quorvex::gui
