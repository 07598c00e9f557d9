#include "gui/views/link_control.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/views/link_tab.h"
#include "platform/string_ids.h"

namespace quorvex::gui {

WDLEControl::WDLEControl(CMainFrame& frame, QWidget* parent)
    : QWidget(parent), m_frame(frame), m_pTest(new QPushButton(this)) {
  m_pTest->setObjectName(QStringLiteral("testButton"));
  m_pTest->setIcon(Icon(QString::fromLatin1(icon::kTestPattern)));
  m_pTest->setText(PromptPart(platform::ids::kTestPattern));
  m_pTest->setToolTip(TipPart(platform::ids::kTestPattern));
  m_pTest->setMinimumSize(50, 27);
  m_pTest->setEnabled(false);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(m_pTest);
  layout->addStretch(1);
  connect(m_pTest, &QPushButton::clicked, this, [this] { RunPatternTest(m_frame); });
}

bool WDLEControl::OnNotify(TabNotify /*code*/, const NotifyParam& /*param*/) {
  return false;
}

}  // namespace quorvex::gui
