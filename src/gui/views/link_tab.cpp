#include "gui/views/link_tab.h"

#include <QPushButton>

#include "engine/fetch_session.h"
#include "engine/page_buffer.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/textview/beacon_view.h"
#include "gui/textview/pattern_edit.h"
#include "gui/textview/source_view.h"
#include "gui/views/link_address.h"
#include "gui/views/link_control.h"
#include "gui/views/pattern_trial.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"
#include "model/value.h"
#include "platform/user_prompt.h"
#include "text/pattern_matcher.h"

namespace quorvex::gui {

namespace {

template <typename T>
T* Pane(const TVisualFramework* views, int id) {
  return views ? dynamic_cast<T*>(views->GetObject(id)) : nullptr;
}

}  // namespace

LinkPanes FindLinkPanes(const CMainFrame& frame) {
  const TVisualFramework* views = frame.FindViews();
  LinkPanes panes;
  panes.address = Pane<WDLEAddress>(views, view_ids::kLinkAddress);
  panes.source = Pane<WDSourceView>(views, view_ids::kLinkSource);
  panes.pattern = Pane<WDPatternEdit>(views, view_ids::kLinkPattern);
  panes.value = Pane<WDBeaconView>(views, view_ids::kLinkValue);
  panes.control = Pane<WDLEControl>(views, view_ids::kLinkControl);
  return panes;
}

model::WDValue* CurrentBeacon(const CMainFrame& frame) {
  WDTreeView* tree = frame.FindViews() ? CatalogTree(frame) : nullptr;
  model::WDItem* item = tree ? tree->GetCurrentItem() : nullptr;
  return item && !item->IsGroup() ? static_cast<model::WDValue*>(item) : nullptr;
}

size_t CurrentPageLimit() {
  const std::shared_ptr<const engine::FetchSession> session = engine::CurrentSession();
  return session ? session->PageLimit() : engine::kDefaultPageLimit;
}

bool CanTestPattern(const CMainFrame& frame) {
  const LinkPanes panes = FindLinkPanes(frame);
  const model::WDValue* beacon = CurrentBeacon(frame);
  return beacon && beacon->GetKind() != model::kKindChecksum && panes.source && panes.source->HoldsPage() &&
         panes.source->HasText() && panes.pattern && panes.pattern->HoldsPattern();
}

void UpdateTestButton(const CMainFrame& frame) {
  if (WDLEControl* control = FindLinkPanes(frame).control) control->TestButton()->setEnabled(CanTestPattern(frame));
}

int32_t RunPatternTest(const CMainFrame& frame) {
  const LinkPanes panes = FindLinkPanes(frame);
  if (!panes.source || !panes.pattern) return -1;
  if (panes.value) panes.value->clear();
  const PatternTrial trial = TryPattern(panes.source->PageBytes(), panes.pattern->StoredPattern(), CurrentPageLimit());
  if (trial.result != text::MatchOk) {
    platform::Prompt().ShowMessage(text::WDPatternMatcher::ErrorMessage(trial.result), platform::PromptIcon::None);
    return trial.result;
  }
  if (panes.value) {
    panes.value->SetValueText(trial.value);
    panes.value->repaint();
  }
  if (trial.located) panes.source->SelectPageBytes(trial.offset, trial.firstLineLength);
  panes.source->setFocus();
  return trial.result;
}

}  // namespace quorvex::gui
