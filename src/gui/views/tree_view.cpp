#include "gui/views/tree_view.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "engine/qvx_doc.h"
#include "exchange/document_exchange.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/catalog_tree_model.h"
#include "gui/views/changes_view.h"
#include "gui/views/history_export_dialog.h"
#include "gui/views/view_ids.h"
#include "platform/command_ids.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/app_context.h"
#include "settings/language_file.h"
#include "settings/open_target.h"

namespace quorvex::gui {

using namespace platform::cmd;
namespace tabs = view_ids;

namespace {

model::WDItem* g_dragged = nullptr;

// The state image of an item as the catalog gives it (a closed folder for folders).
int GetStateImage(model::WDItem* item) {
  if (item->IsGroup()) return state_image::kFolderClosed;
  const int state = static_cast<model::WDValue*>(item)->GetState(false);
  return state == model::kStateNormal ? state_image::kNormal : state;
}

model::WDValue* AsBeacon(model::WDItem* item) {
  return item && !item->IsGroup() ? static_cast<model::WDValue*>(item) : nullptr;
}

bool HasHistoryTabs(const model::WDValue* value) {
  return value->GetHistory().GetCount() >= kMinHistorySamples;
}

// The tree under the filter box: it adds to QTreeView the background mark, the Delete key and the end
// of in-place editing, which the catalog tree needs to know even when the edit was cancelled.
class CatalogFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (filterRegularExpression().pattern().isEmpty()) return true;
    // Folders show only for the matches inside them (recursive filtering brings them back).
    const QModelIndex index = sourceModel()->index(row, 0, parent);
    if (sourceModel()->data(index, CatalogTreeModel::FilterTextRole).toString().isEmpty()) return false;
    return QSortFilterProxyModel::filterAcceptsRow(row, parent);
  }
};

}  // namespace

class CatalogTreeWidget : public QTreeView {
 public:
  explicit CatalogTreeWidget(WDTreeView& owner) : QTreeView(&owner), m_owner(owner) {
    setObjectName(QStringLiteral("CatalogTree"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDragDropOverwriteMode(true);
    setAutoExpandDelay(kAutoExpandMs);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setIconSize(QSize(16, 16));
  }

  // A picture behind the items, when the theme allows one.
  bool m_bBackground = true;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Delete && state() != QAbstractItemView::EditingState) {
      m_owner.DoCommand(m_owner.GetContextItem(), kDeleteItem, false);
      return;
    }
    QTreeView::keyPressEvent(event);
  }

  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    model::WDItem* item = m_owner.ItemAt(currentIndex());
    QTreeView::closeEditor(editor, hint);
    if (item) m_owner.OnEndEdit(item);
  }

  void startDrag(Qt::DropActions actions) override {
    QTreeView::startDrag(actions);
    WDTreeView::SetDraggedItem(nullptr);
  }

  void scrollContentsBy(int dx, int dy) override {
    QTreeView::scrollContentsBy(dx, dy);
    // The mark stays in its corner: a scrolled copy of it would smear.
    if (m_bBackground) viewport()->update();
  }

  void paintEvent(QPaintEvent* event) override {
    if (m_bBackground) {
      QPainter painter(viewport());
      const int side = std::min(kMarkSize, std::min(viewport()->width(), viewport()->height()) / 2);
      if (side > 16) {
        painter.setOpacity(kMarkOpacity);
        const QRect place(viewport()->width() - side - kMarkMargin, viewport()->height() - side - kMarkMargin, side,
                          side);
        Icon(QString::fromLatin1(icon::kApp)).paint(&painter, place);
      }
    }
    QTreeView::paintEvent(event);
  }

 private:
  static constexpr int kAutoExpandMs = 2000;
  static constexpr int kMarkSize = 120;
  static constexpr int kMarkMargin = 12;
  static constexpr double kMarkOpacity = 0.07;
  WDTreeView& m_owner;
};

// Hands the engine's fetch notifications to the tree while it lives.
class TreeFetchTarget : public engine::FetchTarget {
 public:
  explicit TreeFetchTarget(WDTreeView* view) : m_view(view) {}
  void OnFetchNotification(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job) override {
    if (m_view) m_view->OnFetch(code, job);
  }

 private:
  QPointer<WDTreeView> m_view;
};

WDTreeView::WDTreeView(CMainFrame& frame, QWidget* parent)
    : QWidget(parent),
      m_frame(frame),
      m_doc(frame.Document()),
      m_pModel(new CatalogTreeModel(this)),
      m_pProxy(new CatalogFilter(this)),
      m_pFilter(new QLineEdit(this)),
      m_pTree(new CatalogTreeWidget(*this)) {
  setObjectName(QStringLiteral("view%1").arg(view_ids::kCatalogTree));
  m_pFilter->setObjectName(QStringLiteral("CatalogFilter"));
  m_pFilter->setPlaceholderText(Text(platform::ids::kTreeFilterHint));
  m_pFilter->setClearButtonEnabled(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(m_pFilter);
  layout->addWidget(m_pTree);

  m_pProxy->setSourceModel(m_pModel);
  m_pProxy->setRecursiveFilteringEnabled(true);
  m_pProxy->setFilterRole(CatalogTreeModel::FilterTextRole);
  m_pProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
  m_pTree->setModel(m_pProxy);
  m_pTree->m_bBackground = !IsHighContrast(palette());

  m_pModel->m_onRename = [this](model::WDItem* item, const QString& text) { OnRenamed(item, text); };
  m_pModel->SetDropHandler([this](model::WDItem* target) { return DropItem(g_dragged, target); });
  connect(m_pTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { OnSelectionChanged(current); });
  connect(m_pTree, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    if (m_pProxy->hasChildren(index)) m_pModel->SetStateImage(m_pProxy->mapToSource(index), state_image::kFolderOpen);
  });
  connect(m_pTree, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
    m_pModel->SetStateImage(m_pProxy->mapToSource(index), state_image::kFolderClosed);
  });
  connect(m_pTree, &QWidget::customContextMenuRequested, this, &WDTreeView::ShowContextMenu);
  connect(m_pFilter, &QLineEdit::textChanged, this, &WDTreeView::ApplyFilter);
  connect(&frame, &CMainFrame::AnimationStep, this, &WDTreeView::OnAnimationStep);
  connect(&frame, &CMainFrame::CatalogReloaded, this, &WDTreeView::OnInitialUpdate);
  // Beacons fall due as time passes, without a fetch to tell of it.
  connect(&frame.RefreshTimer(), &QTimer::timeout, this, [this] { UpdateIcons(); });

  m_target = std::make_shared<TreeFetchTarget>(this);
  m_doc.SetFetchTarget(m_target);
}

WDTreeView::~WDTreeView() {
  if (g_dragged && m_pModel->IndexOf(g_dragged).isValid()) g_dragged = nullptr;
}

QTreeView* WDTreeView::Tree() const {
  return m_pTree;
}

bool WDTreeView::IsHighContrast(const QPalette& palette) {
  // High-contrast themes paint pure black on pure white (or the reverse) with no softer shades.
  const QColor base = palette.color(QPalette::Base);
  const QColor text = palette.color(QPalette::Text);
  const QColor mid = palette.color(QPalette::Mid);
  const bool extremes = (base == Qt::white && text == Qt::black) || (base == Qt::black && text == Qt::white);
  return extremes && (mid == Qt::black || mid == Qt::white);
}

void WDTreeView::OnInitialUpdate() {
  m_bFilling = true;
  m_fetching.clear();
  m_pCurrent = nullptr;
  m_pContext = nullptr;
  m_nLastTabMask = 0;
  m_pModel->Clear();
  model::WDGroup* root = m_doc.GetRoot();
  if (root) {
    m_pModel->Insert(root, {}, [this](model::WDItem* item) { return ImageFor(item); });
    m_pCurrent = m_pContext = root;
    const QModelIndex index = ViewIndex(root);
    m_pTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_pTree->expand(index);
    ShowItem(root);
  }
  m_bFilling = false;
  NotifyTabs(TabNotify::SelectionApplied);
}

int WDTreeView::ImageFor(model::WDItem* item) const {
  if (m_fetching.contains(item)) return m_nFetchFrame;
  return GetStateImage(item);
}

QModelIndex WDTreeView::ViewIndex(model::WDItem* item) const {
  return m_pProxy->mapFromSource(m_pModel->IndexOf(item));
}

model::WDItem* WDTreeView::ItemAt(const QModelIndex& viewIndex) const {
  return m_pModel->ItemOf(m_pProxy->mapToSource(viewIndex));
}

model::WDItem* WDTreeView::GetSelectedItem() const {
  return ItemAt(m_pTree->currentIndex());
}

model::WDGroup* WDTreeView::GetSelectedFolder() const {
  model::WDItem* item = GetSelectedItem();
  if (!item) return m_doc.GetRoot();
  return item->IsGroup() ? static_cast<model::WDGroup*>(item) : ParentOf(item);
}

model::WDGroup* WDTreeView::ParentOf(const model::WDItem* item) const {
  const QModelIndex parent = m_pModel->IndexOf(item).parent();
  return static_cast<model::WDGroup*>(m_pModel->ItemOf(parent));
}

bool WDTreeView::SelectItem(model::WDItem* item) {
  if (!m_pModel->IndexOf(item).isValid()) return false;
  if (!ViewIndex(item).isValid()) m_pFilter->clear();
  const QModelIndex index = ViewIndex(item);
  m_pTree->scrollTo(index);
  m_pTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  return true;
}

void WDTreeView::OnSelectionChanged(const QModelIndex& current) {
  model::WDItem* item = ItemAt(current);
  // A filter that hides the selection leaves the shown item as it is.
  if (m_bFilling || !item) return;
  const bool hadFocus = m_pTree->hasFocus();
  m_pContext = item;
  NotifyTabs(TabNotify::SelectionChanging);
  ShowItem(item);
  m_pCurrent = item;
  NotifyTabs(TabNotify::SelectionApplied);
  if (hadFocus) m_pTree->setFocus();
  m_frame.UpdateCommandStates();
}

uint32_t WDTreeView::GetAvailableTabs(model::WDItem* item) {
  if (!item) return 0;
  if (item->IsGroup()) return 1u << tabs::kTabFolderList | 1u << tabs::kTabNote;
  const auto* value = static_cast<model::WDValue*>(item);
  const bool number = value->GetKind() == model::kKindNumber;
  uint32_t mask = 1u << tabs::kTabNote | 1u << tabs::kTabControl | 1u << tabs::kTabLink;
  mask |= 1u << (number ? tabs::kTabBeaconGraph : tabs::kTabBeaconText);
  if (HasHistoryTabs(value)) mask |= 1u << (number ? tabs::kTabHistoryGraph : tabs::kTabHistoryText);
  return mask;
}

bool WDTreeView::AdjustTab(model::WDItem* item, int& tab) {
  if (!item) return false;
  if (item->IsGroup()) {
    if (tab != tabs::kTabNote) tab = tabs::kTabFolderList;
    return true;
  }
  const auto* value = static_cast<model::WDValue*>(item);
  const int n = value->GetKind() == model::kKindNumber ? 1 : 0;
  bool allowed = true;
  if (tab == tabs::kTabHistoryText || tab == tabs::kTabHistoryGraph) {
    if (HasHistoryTabs(value)) {
      tab = tabs::kTabHistoryText + n;
    } else {
      tab = tabs::kTabBeaconText;
      allowed = false;
    }
  }
  if (tab == tabs::kTabBeaconText || tab == tabs::kTabBeaconGraph) tab = tabs::kTabBeaconText + n;
  return allowed;
}

void WDTreeView::SetTabCaption(model::WDItem* item) {
  if (TTabWnd* tabWnd = m_frame.Views().TabWindow()) tabWnd->SetCaption(item ? FromBytes(item->GetName()) : QString());
}

void WDTreeView::ShowItem(model::WDItem* item) {
  TTabWnd* tabWnd = m_frame.Views().TabWindow();
  if (!tabWnd || !item) return;
  const uint32_t mask = GetAvailableTabs(item);
  SetTabCaption(item);
  const QScopedValueRollback showing(m_bShowingItem, true);
  if (m_nLastTabMask != 0 && m_nLastTabMask == mask) return;
  const int active = tabWnd->ActiveTab();
  int target = active;
  if (item->IsGroup()) {
    target = tabs::kTabFolderList;
  } else {
    if (target == tabs::kTabFolderList) target = tabs::kTabBeaconText;
    AdjustTab(item, target);
  }
  // The note tab is allowed for every item, so it can stay active while the others change.
  if (target != active) tabWnd->SetActiveTab(tabs::kTabNote);
  for (int tab : {tabs::kTabFolderList, tabs::kTabBeaconText, tabs::kTabHistoryText, tabs::kTabControl, tabs::kTabLink,
                  tabs::kTabBeaconGraph, tabs::kTabHistoryGraph}) {
    tabWnd->EnableTab(tab, (mask >> tab & 1u) != 0);
  }
  m_nLastTabMask = mask;
  if (target != active) tabWnd->SetActiveTab(target);
}

void WDTreeView::OnActiveTabChanged() {
  if (!m_bShowingItem) NotifyTabs(TabNotify::Store);
}

bool WDTreeView::AddItem(model::WDItem* item, model::WDGroup* parent) {
  if (!parent) parent = GetSelectedFolder();
  const QModelIndex parentIndex = m_pModel->IndexOf(parent);
  if (!item || !parent || !parentIndex.isValid() || m_pModel->IndexOf(item).isValid()) return false;
  parent->AddChild(item);
  m_pModel->Insert(item, parentIndex, [this](model::WDItem* it) { return ImageFor(it); });
  // A folder that was empty when it opened shows open once it holds something.
  if (m_pTree->isExpanded(ViewIndex(parent))) m_pModel->SetStateImage(parentIndex, state_image::kFolderOpen);
  if (parent == GetSelectedItem() && !item->IsGroup()) {
    NotifyParam param;
    param.item = item;
    NotifyTabs(TabNotify::BeaconInserted, param);
  }
  return true;
}

bool WDTreeView::InsertNewItem(model::WDItem* item, model::WDGroup* folder) {
  return AddItem(item, folder);
}

void WDTreeView::UpdateIcons(const std::string& url) {
  if (url.empty()) {
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
      for (int row = 0; row < m_pModel->rowCount(parent); ++row) {
        const QModelIndex index = m_pModel->index(row, 0, parent);
        model::WDItem* item = m_pModel->ItemOf(index);
        if (item->IsGroup()) {
          walk(index);
        } else {
          m_pModel->SetStateImage(index, ImageFor(item));
        }
      }
    };
    walk({});
    return;
  }
  model::WDValPage* page = m_doc.FindPage(url, false);
  if (!page) return;
  const bool fetching = m_doc.GetFetchManager().IsUrlInProgress(url);
  for (size_t i = 0; i < page->GetValueCount(); ++i) {
    model::WDValue* value = page->GetValue(i);
    if (fetching) {
      m_fetching.insert(value);
    } else {
      m_fetching.remove(value);
    }
    m_pModel->SetStateImage(m_pModel->IndexOf(value), ImageFor(value));
  }
}

void WDTreeView::OnFetch(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job) {
  if (!job) return;
  const std::string url = job->Url();
  model::WDValue* selected = AsBeacon(GetSelectedItem());
  if (code == engine::Notification::DataArriving) {
    if (selected && selected->GetURL() == url) NotifyTabs(TabNotify::DataArriving);
    job->RequestNotify();
    return;
  }
  if (url.empty()) return;
  const int result = code == engine::Notification::FetchFinished ? job->Result() : 0;
  if (code == engine::Notification::FetchFinished) m_doc.FinishJob(job);
  UpdateIcons(url);
  NotifyParam param;
  param.address = url;
  NotifyTabs(TabNotify::PageFetch, param);
  selected = AsBeacon(GetSelectedItem());
  if (result != 0 && selected && selected->GetURL() == url) {
    NotifyParam failed;
    failed.result = result;
    NotifyTabs(TabNotify::FetchFailed, failed);
  }
}

void WDTreeView::OnAnimationStep(int n) {
  m_nFetchFrame = n + state_image::kNormal;
  if (m_nFetchFrame > state_image::kFetch3) m_nFetchFrame = state_image::kFetch2;
  for (model::WDItem* item : std::as_const(m_fetching)) {
    m_pModel->SetStateImage(m_pModel->IndexOf(item), m_nFetchFrame);
  }
}

void WDTreeView::OnClosing() {
  NotifyTabs(TabNotify::Closing);
}

void WDTreeView::NotifyTabs(TabNotify code, const NotifyParam& param) {
  m_frame.Views().Notify(code, param);
}

bool WDTreeView::IsItemCommand(uint16_t command) {
  return (command >= kShowBeacon && command <= kExportHistory) || command == kNewFolder || command == kDuplicate ||
         command == kShowChanges || command == kClearHistory;
}

CommandState WDTreeView::QueryCommand(uint16_t command) {
  CommandState state;
  if (command == kNewFolder) {
    state.enabled = m_pContext != nullptr;
  } else if (command == kDuplicate) {
    state.enabled = AsBeacon(GetSelectedItem()) != nullptr;
  } else if (command == kMonitoring) {
    state.enabled = AsBeacon(m_pContext) != nullptr;
    state.checked = DoCommand(m_pContext, command, true);
  } else {
    state.enabled = DoCommand(m_pContext, command, true);
  }
  return state;
}

bool WDTreeView::RunCommand(uint16_t command) {
  if (command == kNewFolder) {
    NewFolder();
    return true;
  }
  if (command == kDuplicate) return Duplicate();
  return DoCommand(m_pContext, command, false);
}

bool WDTreeView::DoCommand(model::WDItem* item, uint16_t command, bool queryOnly) {
  if (!item) return false;
  if (command == kDeleteItem) {
    if (queryOnly) {
      return !item->IsGroup() || static_cast<model::WDGroup*>(item)->GetChildCount() == 0;
    }
    return DeleteTreeItem(item);
  }
  model::WDValue* value = AsBeacon(item);
  if (!value) return false;
  if (command >= kShowBeacon && command <= kShowLink) {
    static constexpr int kTabOfCommand[] = {tabs::kTabBeaconText, tabs::kTabNote, tabs::kTabControl,
                                            tabs::kTabHistoryText, tabs::kTabLink};
    int tab = kTabOfCommand[command - kShowBeacon];
    if (!AdjustTab(item, tab)) return false;
    if (queryOnly) return (GetAvailableTabs(item) >> tab & 1u) != 0;
    SelectItem(item);
    if (TTabWnd* tabWnd = m_frame.Views().TabWindow()) tabWnd->SetActiveTab(tab);
    return true;
  }
  switch (command) {
    case kOpenInBrowser:
      if (queryOnly) return !value->GetURL().empty();
      return settings::OpenTarget(value->GetURL());
    case kExportContainer:
      if (!queryOnly) ExportContainer(value);
      return true;
    case kMonitoring: {
      if (queryOnly) return value->IsEnabled();
      value->SetEnabled(!value->IsEnabled());
      m_pModel->SetStateImage(m_pModel->IndexOf(value), ImageFor(value));
      NotifyParam param;
      param.address = value->GetURL();
      NotifyTabs(TabNotify::PageFetch, param);
      m_doc.SetModifiedFlag(true);
      m_frame.UpdateAgentState();
      return true;
    }
    case kRefreshNow:
      // A pattern still being edited on the Link tab is what the user means to fetch with.
      if (!queryOnly && value == m_pCurrent) NotifyTabs(TabNotify::Store);
      return value->RequestRefresh(queryOnly);
    case kExportHistory:
      if (queryOnly) return HasHistoryTabs(value);
      ExportHistory(*value, this);
      return true;
    case kShowChanges:
      if (!queryOnly) ShowChanges(m_frame, *value);
      return true;
    case kClearHistory:
      if (queryOnly) return value->GetHistory().GetCount() > 0;
      return ClearHistory(*value);
    default:
      return false;
  }
}

bool WDTreeView::ClearHistory(model::WDValue& value) {
  if (!platform::Prompt().AskYesNo(platform::GetString(platform::ids::kAskClearHistory), platform::PromptIcon::Stop)) {
    return false;
  }
  value.GetHistory().Clear();
  // With fewer samples than the history tabs need, they go.
  if (&value == m_pCurrent) ShowItem(&value);
  m_pModel->SetStateImage(m_pModel->IndexOf(&value), ImageFor(&value));
  m_doc.SetModifiedFlag(true);
  m_frame.UpdateAgentState();
  NotifyTabs(TabNotify::Changed);
  return true;
}

bool WDTreeView::DeleteTreeItem(model::WDItem* item) {
  const QModelIndex index = m_pModel->IndexOf(item);
  if (!index.isValid() || !index.parent().isValid()) return false;
  model::WDGroup* parent = ParentOf(item);
  model::WDValue* value = AsBeacon(item);
  if (value) {
    if (!platform::Prompt().AskYesNo(platform::GetString(platform::ids::kAskDeleteBeacon),
                                     platform::PromptIcon::Stop)) {
      return false;
    }
    // A beacon being fetched stays: its page would be gone when the fetch comes back.
    if (!value->CanRemove(true)) return false;
    NotifyParam param;
    param.item = item;
    NotifyTabs(TabNotify::ItemDeleting, param);
  } else if (static_cast<model::WDGroup*>(item)->GetChildCount() != 0) {
    return false;
  }
  // The selection moves on first, so that no view is left showing the item.
  if (GetSelectedItem() == item || m_pCurrent == item) {
    const QModelIndex view = ViewIndex(item);
    QModelIndex next = m_pTree->indexBelow(view);
    if (!next.isValid()) next = m_pTree->indexAbove(view);
    if (next.isValid()) SelectItem(ItemAt(next));
  }
  m_fetching.remove(item);
  if (m_pContext == item) m_pContext = GetSelectedItem();
  if (value) {
    if (!m_doc.DeleteBeacon(value)) return false;
    m_pModel->Remove(m_pModel->IndexOf(item));
  } else {
    if (!parent || !parent->RemoveChild(item)) return false;
    m_pModel->Remove(m_pModel->IndexOf(item));
    delete item;
  }
  if (m_pCurrent == item) m_pCurrent = GetSelectedItem();
  if (parent && parent->GetChildCount() == 0) {
    m_pModel->SetStateImage(m_pModel->IndexOf(parent), state_image::kFolderClosed);
  }
  m_doc.SetModifiedFlag(true);
  return true;
}

void WDTreeView::NewFolder() {
  model::WDGroup* folder = nullptr;
  if (m_pContext && m_pContext->IsGroup()) {
    folder = static_cast<model::WDGroup*>(m_pContext);
  } else {
    // A beacon holds no folders: the new one goes beside it.
    folder = m_pContext ? ParentOf(m_pContext) : m_doc.GetRoot();
  }
  if (!folder) return;
  auto* group = new model::WDGroup();
  if (!AddItem(group, folder)) {
    delete group;
    return;
  }
  m_bNewFolderPending = true;
  m_pFilter->clear();
  const QModelIndex index = ViewIndex(group);
  m_pTree->expand(index.parent());
  m_pTree->scrollTo(index);
  m_pTree->setCurrentIndex(index);
  m_pTree->edit(index);
}

bool WDTreeView::Duplicate() {
  model::WDValue* value = AsBeacon(GetSelectedItem());
  model::WDGroup* folder = value ? ParentOf(value) : nullptr;
  if (!folder) return false;
  model::WDValue* copy = exchange::DuplicateBeacon(m_doc, *value);
  if (!copy) return false;
  AddItem(copy, folder);
  m_doc.SetModifiedFlag(true);
  NotifyTabs(TabNotify::Changed);
  return true;
}

void WDTreeView::ExportContainer(model::WDValue* value) {
  const settings::WDSettings* s = settings::GetSettings();
  const std::string name = value->GetName() + ".bcn";
  const QString start = FromBytes(s ? platform::JoinPath(s->m_strContainerPlace, name) : name);
  QFileDialog dialog(this, QString(), start, QStringLiteral("Quorvex Files(*.bcn)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("bcn"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  exchange::ExportContainer(ToBytes(dialog.selectedFiles().front()), *value);
}

void WDTreeView::OnRenamed(model::WDItem* item, const QString& text) {
  const QModelIndex index = m_pModel->IndexOf(item);
  // The catalog's root keeps its name; an empty text keeps the old one.
  if (!index.isValid() || !index.parent().isValid() || text.isEmpty()) return;
  item->SetName(ToBytes(text));
  m_pModel->SetText(index, text);
  m_pModel->SortChildren(index.parent());
  if (item == m_pCurrent) SetTabCaption(item);
  m_doc.SetModifiedFlag(true);
}

void WDTreeView::OnEndEdit(model::WDItem* item) {
  const QModelIndex index = m_pModel->IndexOf(item);
  if (!index.isValid() || !index.parent().isValid()) return;
  model::WDGroup* parent = ParentOf(item);
  if (item->GetName().empty() && item->IsGroup()) {
    // A new folder whose naming was cancelled goes again.
    const bool wasCurrent = m_pCurrent == item;
    if (parent && parent->RemoveChild(item)) {
      if (m_pContext == item) m_pContext = parent;
      m_pModel->Remove(index);
      delete item;
      if (wasCurrent) SelectItem(parent);
    }
  }
  if (parent) {
    const QModelIndex parentIndex = m_pModel->IndexOf(parent);
    m_pModel->SetStateImage(parentIndex,
                            parent->GetChildCount() != 0 ? state_image::kFolderOpen : state_image::kFolderClosed);
  }
  m_bNewFolderPending = false;
  NotifyTabs(TabNotify::Changed);
}

bool WDTreeView::DropItem(model::WDItem* source, model::WDItem* target) {
  SetDraggedItem(nullptr);
  if (!source || !target || source == target || !target->IsGroup()) return false;
  if (source->IsGroup() && static_cast<model::WDGroup*>(source)->Contains(target)) return false;
  const QModelIndex sourceIndex = m_pModel->IndexOf(source);
  const QModelIndex targetIndex = m_pModel->IndexOf(target);
  if (!sourceIndex.isValid() || !sourceIndex.parent().isValid() || !targetIndex.isValid()) return false;
  auto* folder = static_cast<model::WDGroup*>(target);
  m_pTree->expand(ViewIndex(target));
  m_pModel->SetStateImage(targetIndex, state_image::kFolderOpen);
  model::WDGroup* oldParent = ParentOf(source);
  if (oldParent == folder || !oldParent) return false;
  // A beacon being fetched refuses to leave its folder; then nothing moves.
  if (!oldParent->RemoveChild(source)) return false;
  folder->AddChild(source);
  m_pModel->Move(sourceIndex, targetIndex);
  m_pModel->SetStateImage(m_pModel->IndexOf(oldParent),
                          oldParent->GetChildCount() != 0 ? state_image::kFolderOpen : state_image::kFolderClosed);
  m_pModel->SortChildren(m_pModel->IndexOf(target));
  SelectItem(source);
  NotifyTabs(TabNotify::Changed);
  m_doc.SetModifiedFlag(true);
  return true;
}

model::WDItem* WDTreeView::DraggedItem() {
  return g_dragged;
}

void WDTreeView::SetDraggedItem(model::WDItem* item) {
  g_dragged = item;
}

void WDTreeView::ShowContextMenu(const QPoint& pos) {
  model::WDItem* item = ItemAt(m_pTree->indexAt(pos));
  if (!item) return;
  m_pContext = item;
  QMenu& menu = m_frame.ContextMenu(item->IsGroup() ? ContextMenuKind::Folder : ContextMenuKind::Beacon);
  if (menu.isEmpty()) {
    platform::Prompt().ShowMessage(settings::ResourceText(settings::kResBadLanguageFile),
                                   platform::PromptIcon::Exclamation);
    return;
  }
  m_pTree->setFocus();
  menu.exec(m_pTree->viewport()->mapToGlobal(pos));
}

void WDTreeView::ApplyFilter(const QString& text) {
  m_pProxy->setFilterFixedString(text);
  if (!text.isEmpty()) m_pTree->expandAll();
  // The shown item stays selected when it is still visible.
  if (m_pCurrent) {
    const QModelIndex index = ViewIndex(m_pCurrent);
    if (index.isValid()) {
      QSignalBlocker block(m_pTree->selectionModel());
      m_pTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
      m_pTree->scrollTo(index);
    }
  }
}

WDTreeView* CatalogTree(const CMainFrame& frame) {
  const TVisualFramework* views = frame.FindViews();
  return views ? qobject_cast<WDTreeView*>(views->GetObject(view_ids::kCatalogTree)) : nullptr;
}

}  // namespace quorvex::gui
