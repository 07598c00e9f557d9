#include "gui/views/hist_control.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/tree_view.h"
#include "model/history.h"
#include "model/value.h"
#include "platform/command_ids.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"

namespace quorvex::gui {

namespace ids = platform::ids;

namespace {

QToolButton* StripButton(const char* iconName, const QString& text, const QString& tip) {
  auto* button = new QToolButton;
  button->setIcon(Icon(QString::fromLatin1(iconName)));
  button->setText(text);
  button->setToolTip(tip);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::StrongFocus);
  button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  return button;
}

}  // namespace

WDHistControl::WDHistControl(CMainFrame& frame, QWidget* parent)
    : PropertyPane(frame, parent),
      m_pClear(StripButton(icon::kDelete, Text(ids::kClearHistory), TextWithoutMnemonic(ids::kClearHistory))),
      m_pExport(StripButton(icon::kExport, Text(ids::kExportButton), TextWithoutMnemonic(ids::kExportHistoryTitle))),
      m_pChanges(
          StripButton(icon::kReport, TipPart(platform::cmd::kShowChanges), PromptPart(platform::cmd::kShowChanges))),
      m_pWrap(StripButton(icon::kWrapLines, {}, TextWithoutMnemonic(ids::kHistoryToggleSecondTip))),
      m_pTags(StripButton(icon::kHtmlTags, {}, TextWithoutMnemonic(ids::kHistoryToggleFirstTip))) {
  m_pWrap->setCheckable(true);
  m_pTags->setCheckable(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(3, 1, 3, 1);
  layout->setSpacing(2);
  layout->addWidget(m_pClear);
  layout->addWidget(m_pExport);
  layout->addWidget(m_pChanges);
  layout->addSpacing(12);
  layout->addWidget(m_pWrap);
  layout->addWidget(m_pTags);
  layout->addStretch(1);
  connect(m_pClear, &QToolButton::clicked, this, &WDHistControl::ClearHistory);
  connect(m_pExport, &QToolButton::clicked, this, &WDHistControl::ExportHistory);
  connect(m_pChanges, &QToolButton::clicked, this, &WDHistControl::ShowChanges);
  connect(m_pWrap, &QToolButton::clicked, this, [this] { OnToggle(kToggleWrap); });
  connect(m_pTags, &QToolButton::clicked, this, [this] { OnToggle(kToggleTags); });
}

bool WDHistControl::UpdatePane(bool, const NotifyParam&) {
  model::WDItem* item = CurrentItem();
  if (!item) return false;
  if (item->IsGroup()) return true;
  const bool toggles = item->GetKind() != model::kKindNumber;
  m_pWrap->setVisible(toggles);
  m_pTags->setVisible(toggles);
  return true;
}

void WDHistControl::ClearHistory() {
  model::WDValue* beacon = CurrentBeacon();
  if (WDTreeView* tree = Tree(); tree && beacon) tree->ClearHistory(*beacon);
}

void WDHistControl::ShowChanges() {
  if (WDTreeView* tree = Tree()) tree->DoCommand(CurrentItem(), platform::cmd::kShowChanges, false);
}

void WDHistControl::ExportHistory() {
  if (WDTreeView* tree = Tree()) tree->DoCommand(CurrentItem(), platform::cmd::kExportHistory, false);
}

void WDHistControl::OnToggle(int command) {
  if (command == kToggleTags) m_nShowTags = !m_nShowTags;
  if (command == kToggleWrap) m_nWrap = !m_nWrap;
  m_pTags->setChecked(ShowTags());
  m_pWrap->setChecked(WrapLines());
  emit DisplayFlagsChanged(ShowTags(), WrapLines());
  Frame().Views().Notify(TabNotify::Changed, {});
}

}  // namespace quorvex::gui
