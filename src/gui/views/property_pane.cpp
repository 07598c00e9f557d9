#include "gui/views/property_pane.h"

#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/views/tree_view.h"
#include "model/item.h"
#include "model/value.h"

namespace quorvex::gui {

PropertyPane::PropertyPane(CMainFrame& frame, QWidget* parent) : QWidget(parent), m_frame(frame) {}

bool PropertyPane::OnNotify(TabNotify code, const NotifyParam& param) {
  // A fetch of another page leaves the shown beacon, and any edit in progress, alone.
  const model::WDValue* beacon = CurrentBeacon();
  const bool otherPage =
      code == TabNotify::PageFetch && !param.address.empty() && (!beacon || beacon->GetURL() != param.address);
  return FollowPaneStep(code, !otherPage && IsOnActiveTab(this),
                        [this, &param](bool save) { return UpdatePane(save, param); });
}

WDTreeView* PropertyPane::Tree() const {
  return CatalogTree(m_frame);
}

model::WDItem* PropertyPane::CurrentItem() const {
  WDTreeView* tree = Tree();
  return tree ? tree->GetCurrentItem() : nullptr;
}

model::WDValue* PropertyPane::CurrentBeacon() const {
  model::WDItem* item = CurrentItem();
  return item && !item->IsGroup() ? static_cast<model::WDValue*>(item) : nullptr;
}

void PropertyPane::BeaconChanged(model::WDValue& beacon, bool stateChanged) {
  m_frame.Document().SetModifiedFlag(true);
  if (!stateChanged) return;
  if (WDTreeView* tree = Tree()) tree->UpdateIcons(beacon.GetURL());
  m_frame.UpdateAgentState();
}

QString TextWithoutMnemonic(uint16_t id) {
  QString text = Text(id);
  text.replace(QLatin1String("&&"), QLatin1String("\x01")).remove(QLatin1Char('&'));
  return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

}  // namespace quorvex::gui
