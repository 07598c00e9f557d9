#include "gui/views/bcn_list_view.h"

#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include "engine/fetch_manager.h"
#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/views/bcn_list_model.h"
#include "gui/views/tree_view.h"
#include "model/group.h"
#include "model/value.h"
#include "platform/command_ids.h"
#include "platform/string_ids.h"
#include "platform/user_prompt.h"
#include "settings/language_file.h"

namespace quorvex::gui {
namespace {

using namespace platform::cmd;

// Where the pointer holds a dragged row's picture.
constexpr QPoint kDragHotSpot(15, 15);

// The commands that change or copy the beacon, refused while it is being refreshed.
bool NeedsIdleBeacon(uint16_t command) {
  return command == kDeleteItem || command == kDuplicate || command == kExportContainer;
}

}  // namespace

WDBcnListView::WDBcnListView(CMainFrame& frame, QWidget* parent)
    : CListViewEx(parent),
      m_frame(frame),
      m_pModel(new BcnListModel(
          [&doc = frame.Document()](const std::string& address) {
            return doc.GetFetchManager().IsUrlInProgress(address);
          },
          this)),
      m_pProxy(new BcnSortProxy(this)) {
  m_pProxy->setSourceModel(m_pModel);
  setModel(m_pProxy);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::MoveAction);
  // Unsorted until a title is clicked, and back to the folder's order on a third click.
  header()->setSortIndicatorClearable(true);
  header()->setSortIndicator(-1, Qt::AscendingOrder);
  setSortingEnabled(true);

  // Every beacon pointer is gone with the old catalog; the tree fills itself again, after which
  // the rows are taken anew (queued, since the tree may hear of the reload after this view).
  connect(&frame, &CMainFrame::CatalogReloaded, this, [this] {
    m_pModel->SetBeacons({});
    QMetaObject::invokeMethod(
        this, [this] { Refresh(false, {}); }, Qt::QueuedConnection);
  });
}

void WDBcnListView::MakeColumns() {
  if (m_bInitialised) return;
  m_pModel->SetTitles(ParseColumnTitles(Text(platform::ids::kFolderListColumns)));
  SetColumnLayout(std::vector<int>(std::begin(kBcnColumnWidths), std::end(kBcnColumnWidths)));
  m_bInitialised = true;
}

void WDBcnListView::OnInitialUpdate() {
  MakeColumns();
  m_bUpdated = true;
  Refresh(false, {});
  if (WDTreeView* tree = CatalogTree(m_frame)) tree->setFocus();
}

void WDBcnListView::showEvent(QShowEvent* event) {
  CListViewEx::showEvent(event);
  if (!m_bUpdated) OnInitialUpdate();
}

bool WDBcnListView::OnNotify(TabNotify code, const NotifyParam& param) {
  MakeColumns();
  switch (code) {
    case TabNotify::BeaconInserted:
      if (auto* beacon = dynamic_cast<model::WDValue*>(param.item)) InsertRow(beacon);
      return true;
    case TabNotify::ItemDeleting:
      DeleteRow(param.item);
      return true;
    case TabNotify::PageFetch:
      UpdateRowsForAddress(param.address);
      return true;
    default:
      return OnListNotify(code, param);
  }
}

bool WDBcnListView::Refresh(bool noRebuild, const NotifyParam& /*param*/) {
  model::WDValue* selected = GetSelectedBeacon();
  WDTreeView* tree = CatalogTree(m_frame);
  model::WDItem* folder = tree ? tree->GetSelectedItem() : nullptr;
  if (!folder) folder = m_frame.Document().GetRoot();
  if (noRebuild || !folder || !folder->IsGroup()) {
    m_pModel->SetBeacons({});
    return false;
  }
  model::WDItem* current = tree ? tree->GetCurrentItem() : nullptr;
  auto* group = static_cast<model::WDGroup*>(current && current->IsGroup() ? current : folder);
  std::vector<model::WDValue*> beacons;
  for (model::WDItem* child : group->m_children) {
    if (auto* beacon = dynamic_cast<model::WDValue*>(child)) beacons.push_back(beacon);
  }
  m_pModel->SetBeacons(beacons);
  // The row chosen before stays chosen when its beacon is still listed (compared, never read).
  if (selected) SelectBeacon(selected);
  return true;
}

int WDBcnListView::InsertRow(model::WDValue* beacon) {
  if (!beacon) return -1;
  const int row = m_pModel->FindRow(beacon);
  return row >= 0 ? row : m_pModel->InsertRow(beacon);
}

void WDBcnListView::DeleteRow(model::WDItem* item) {
  m_pModel->DeleteRow(item);
}

void WDBcnListView::UpdateRowsForAddress(const std::string& address) {
  m_pModel->UpdateRowsForAddress(address);
}

model::WDValue* WDBcnListView::GetSelectedBeacon() const {
  const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
  if (rows.isEmpty()) return nullptr;
  return m_pModel->BeaconAt(m_pProxy->mapToSource(rows.front()).row());
}

bool WDBcnListView::SelectBeacon(model::WDValue* beacon) {
  const int row = m_pModel->FindRow(beacon);
  if (row < 0) return false;
  setCurrentIndex(m_pProxy->mapFromSource(m_pModel->index(row, 0)));
  return true;
}

bool WDBcnListView::TakesCommand(uint16_t command) const {
  return (command >= kShowBeacon && command <= kExportHistory) || command == kDuplicate || command == kShowChanges ||
         command == kPrint || command == kPrintPreview;
}

CommandState WDBcnListView::QueryCommand(uint16_t command) {
  if (command == kPrint || command == kPrintPreview) return {m_pModel->rowCount() > 0, false};
  model::WDValue* beacon = GetSelectedBeacon();
  WDTreeView* tree = CatalogTree(m_frame);
  if (!beacon || !tree || !TakesCommand(command)) return {};
  if (NeedsIdleBeacon(command) && !beacon->CanRemove(false)) return {};
  const bool result = tree->DoCommand(beacon, command, true);
  if (command == kMonitoring) return {true, result};
  return {result, false};
}

bool WDBcnListView::RunCommand(uint16_t command) {
  if (!QueryCommand(command).enabled) return false;
  if (command == kPrint) return PrintWithDialog();
  if (command == kPrintPreview) {
    PrintPreview();
    return true;
  }
  return CatalogTree(m_frame)->DoCommand(GetSelectedBeacon(), command, false);
}

void WDBcnListView::keyPressEvent(QKeyEvent* event) {
  uint16_t command = 0;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      command = kShowBeacon;
      break;
    case Qt::Key_Insert:
      command = kNewBeacon;
      break;
    case Qt::Key_Delete:
      command = kDeleteItem;
      break;
    default:
      CListViewEx::keyPressEvent(event);
      return;
  }
  event->accept();
  m_frame.OnCommand(command);
}

void WDBcnListView::mouseDoubleClickEvent(QMouseEvent* event) {
  CListViewEx::mouseDoubleClickEvent(event);
  if (!indexAt(event->position().toPoint()).isValid()) return;
  model::WDValue* beacon = GetSelectedBeacon();
  WDTreeView* tree = CatalogTree(m_frame);
  if (beacon && tree && beacon->CanRemove(false)) tree->DoCommand(beacon, kShowBeacon, false);
}

void WDBcnListView::contextMenuEvent(QContextMenuEvent* event) {
  const QModelIndex at = indexAt(event->pos());
  if (!at.isValid()) return;
  setCurrentIndex(at);
  QMenu& menu = m_frame.ContextMenu(ContextMenuKind::Beacon);
  if (menu.isEmpty()) {
    platform::Prompt().ShowMessage(settings::ResourceText(settings::kResBadLanguageFile),
                                   platform::PromptIcon::Exclamation);
    return;
  }
  menu.exec(event->globalPos());
}

void WDBcnListView::startDrag(Qt::DropActions /*supportedActions*/) {
  model::WDValue* beacon = GetSelectedBeacon();
  if (!beacon || !CatalogTree(m_frame)) return;
  const QModelIndex current = currentIndex();
  QRect rowRect = visualRect(current.siblingAtColumn(0));
  rowRect.setLeft(0);
  rowRect.setRight(std::min(viewport()->width(), header()->length()) - 1);

  WDTreeView::SetDraggedItem(beacon);
  auto* mime = new QMimeData;
  mime->setData(QString::fromLatin1(kItemMimeType), QByteArray::fromStdString(beacon->GetName()));
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->setPixmap(viewport()->grab(rowRect));
  drag->setHotSpot(kDragHotSpot);
  drag->exec(Qt::MoveAction);
  // A drop elsewhere leaves the beacon where it was.
  if (WDTreeView::DraggedItem() == beacon) WDTreeView::SetDraggedItem(nullptr);
}

}  // namespace quorvex::gui
