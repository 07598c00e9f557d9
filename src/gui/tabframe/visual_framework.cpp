#include "gui/tabframe/visual_framework.h"

#include <utility>

#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/tabframe/splitter_wnd.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/views/placeholder_view.h"
#include "gui/views/view_ids.h"
#include "platform/string_ids.h"

namespace quorvex::gui {

// A pane of the layout: a view, or a splitter with its panes.
struct LayoutNode {
  int id = 0;
  bool split = false;
  Qt::Orientation orientation = Qt::Vertical;
  bool resizable = false;
  int fixedIndex = -1;
  int fixedSize = 0;
  std::vector<LayoutNode> panes;
};

namespace {

using namespace view_ids;

LayoutNode View(int id) {
  LayoutNode node;
  node.id = id;
  return node;
}

LayoutNode Split(int id, Qt::Orientation orientation, bool resizable, int fixedIndex, int fixedSize, LayoutNode first,
                 LayoutNode second) {
  LayoutNode node{id, true, orientation, resizable, fixedIndex, fixedSize, {}};
  node.panes.push_back(std::move(first));
  node.panes.push_back(std::move(second));
  return node;
}

// Rows stack top to bottom, columns run left to right.
LayoutNode Rows(int id, bool resizable, int fixedIndex, int fixedSize, LayoutNode top, LayoutNode bottom) {
  return Split(id, Qt::Vertical, resizable, fixedIndex, fixedSize, std::move(top), std::move(bottom));
}

LayoutNode Columns(int id, bool resizable, int fixedIndex, int fixedSize, LayoutNode left, LayoutNode right) {
  return Split(id, Qt::Horizontal, resizable, fixedIndex, fixedSize, std::move(left), std::move(right));
}

constexpr bool kFixed = false;
constexpr bool kResizable = true;
constexpr int kNoFixedPane = -1;
constexpr int kScreenHeight = 90;
constexpr int kStripHeight = 30;
// Room for a time and a short value in the fonts of today's desktops (161 fitted 8-point fonts).
constexpr int kTimeLineWidth = 210;
constexpr int kPatternWidth = 250;

// The pages of the tab window, in tab order.
std::vector<LayoutNode> TabLayouts() {
  std::vector<LayoutNode> tabs;
  tabs.push_back(View(kFolderList));
  tabs.push_back(Rows(kBeaconTextRows, kFixed, 0, kScreenHeight, View(kBeaconScreen), View(kBeaconText)));
  tabs.push_back(Rows(kBeaconGraphRows, kFixed, 0, kScreenHeight, View(kGraphScreen), View(kBeaconGraph)));
  tabs.push_back(View(kNote));
  tabs.push_back(View(kControl));
  tabs.push_back(Columns(kHistoryTextColumns, kResizable, 0, kTimeLineWidth, View(kTextTimeLine),
                         Rows(kHistoryTextRows, kFixed, 0, kStripHeight, View(kTextHistControl), View(kHistoryText))));
  tabs.push_back(
      Columns(kHistoryGraphColumns, kResizable, 0, kTimeLineWidth, View(kGraphTimeLine),
              Rows(kHistoryGraphRows, kFixed, 0, kStripHeight, View(kGraphHistControl), View(kHistoryGraph))));
  tabs.push_back(Rows(kLinkRows, kResizable, kNoFixedPane, 0,
                      Columns(kLinkUpperColumns, kResizable, 1, kPatternWidth,
                              Rows(kLinkSourceRows, kFixed, 0, kStripHeight, View(kLinkAddress), View(kLinkSource)),
                              View(kLinkPattern)),
                      // The test bar's 40 pixels come from the splitter's own rule for test bars.
                      Rows(kLinkLowerRows, kFixed, kNoFixedPane, 0, View(kLinkValue), View(kLinkControl))));
  return tabs;
}

}  // namespace

TVisualFramework::TVisualFramework(ViewFactory factory) : m_factory(std::move(factory)) {}

WDSplitterWnd* TVisualFramework::Create(QWidget* parent, int leftWidth) {
  if (m_pMainSplitter) return m_pMainSplitter;

  auto* main = new WDSplitterWnd(Qt::Horizontal, true, parent);
  main->setObjectName(QStringLiteral("Splitter"));
  Register(kMainSplitter, main);
  main->addWidget(MakeView(kCatalogTree, main));

  auto* tabs = new TTabWnd(main);
  tabs->setObjectName(QStringLiteral("tabWindow"));
  Register(kTabWindow, tabs);
  main->addWidget(tabs);
  main->SetFixedPane(0, leftWidth);
  m_pTabWnd = tabs;
  m_pMainSplitter = main;

  for (const LayoutNode& page : TabLayouts()) tabs->AddTab(Build(page, tabs), QString());
  tabs->SetActiveTab(kTabFolderList);
  SetTabLabels();
  return main;
}

QWidget* TVisualFramework::Build(const LayoutNode& node, QWidget* parent) {
  if (!node.split) {
    m_viewIds.push_back(node.id);
    return MakeView(node.id, parent);
  }
  auto* splitter = new WDSplitterWnd(node.orientation, node.resizable, parent);
  splitter->setObjectName(QStringLiteral("splitter%1").arg(node.id));
  Register(node.id, splitter);
  for (const LayoutNode& pane : node.panes) splitter->addWidget(Build(pane, splitter));
  if (node.fixedIndex >= 0) splitter->SetFixedPane(node.fixedIndex, node.fixedSize);
  return splitter;
}

QWidget* TVisualFramework::MakeView(int id, QWidget* parent) {
  QWidget* view = m_factory ? m_factory(id, parent) : nullptr;
  if (!view) view = new PlaceholderView(id, parent);
  if (view->objectName().isEmpty()) view->setObjectName(QStringLiteral("view%1").arg(id));
  if (id == kLinkControl) MarkLEControl(view);
  Register(id, view);
  return view;
}

void TVisualFramework::Register(int id, QWidget* object) {
  object->setProperty(kObjectIdProperty, id);
  m_objects[id] = object;
}

QWidget* TVisualFramework::GetObject(int id) const {
  const auto found = m_objects.find(id);
  return found == m_objects.end() ? nullptr : found->second.data();
}

TTabWnd* TVisualFramework::TabWindow() const {
  return m_pTabWnd;
}

WDSplitterWnd* TVisualFramework::MainSplitter() const {
  return m_pMainSplitter;
}

void TVisualFramework::SetTabLabels() {
  if (!m_pTabWnd) return;
  namespace ids = platform::ids;
  static constexpr uint16_t kLabels[kTabCount] = {ids::kTabFolder,  ids::kTabBeacon,  ids::kTabBeacon,  ids::kTabNote,
                                                  ids::kTabControl, ids::kTabHistory, ids::kTabHistory, ids::kTabLink};
  static constexpr const char* kIcons[kTabCount] = {icon::kFolderOpen, icon::kViewText, icon::kViewGraph, icon::kNote,
                                                    icon::kOptions,    icon::kViewText, icon::kViewGraph, icon::kLink};
  for (int tab = 0; tab < kTabCount && tab < m_pTabWnd->TabCount(); ++tab) {
    m_pTabWnd->SetTabLabel(tab, Text(kLabels[tab]));
    m_pTabWnd->SetTabIcon(tab, Icon(QString::fromLatin1(kIcons[tab])));
  }
}

int TVisualFramework::Notify(TabNotify code, const NotifyParam& param) const {
  return NotifyObjects(code, param, m_viewIds);
}

int TVisualFramework::NotifyObjects(TabNotify code, const NotifyParam& param, const std::vector<int>& ids) const {
  int acted = 0;
  // Looked up one by one: a receiver may destroy other views while the notification goes round.
  for (const int id : ids) {
    QWidget* object = GetObject(id);
    auto* receiver = dynamic_cast<NotifyReceiver*>(object);
    if (receiver && receiver->OnNotify(code, param)) ++acted;
  }
  return acted;
}

}  // namespace quorvex::gui
