#include "gui/views/time_line_view.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <algorithm>

#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"
#include "model/history.h"
#include "model/value.h"
#include "platform/string_ids.h"
#include "text/time_format.h"

namespace quorvex::gui {
namespace {

constexpr Qt::Alignment kTimeLineAlignment[2] = {Qt::AlignLeft, Qt::AlignRight};

}  // namespace

void TimeLineModel::SetHistory(const model::WDHistory* history) {
  beginResetModel();
  m_rows.clear();
  if (history) {
    const std::string format = text::DateTimeFormat();
    m_rows.reserve(history->GetCount());
    for (int index = history->GetCount() - 1; index >= 0; --index) {
      const model::WDHistoryRecord* record = history->GetAt(index);
      m_rows.push_back(
          {FromBytes(text::FormatLocalTime(record->GetTime(), format)), FromBytes(record->GetText(true, 0)), index});
    }
  }
  endResetModel();
}

int TimeLineModel::RecordIndex(int row) const {
  return row >= 0 && row < rowCount() ? m_rows[row].index : -1;
}

int TimeLineModel::RowOfRecord(int index) const {
  // Newest first: the row count less one less the index, when the rows cover it.
  const int row = rowCount() - 1 - index;
  return RecordIndex(row) == index ? row : -1;
}

int TimeLineModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int TimeLineModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant TimeLineModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const Row& row = m_rows[index.row()];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return index.column() == 0 ? row.time : row.value;
    case Qt::TextAlignmentRole:
      return static_cast<int>(kTimeLineAlignment[index.column()] | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      return TintColor(RowTint::Normal, QGuiApplication::palette());
    case kHighlightTextRole:
      return TintColor(RowTint::Highlighted, QGuiApplication::palette());
    case kTintRole:
      return static_cast<int>(RowTint::Normal);
    case kHighlightTintRole:
      return static_cast<int>(RowTint::Highlighted);
    default:
      return {};
  }
}

QVariant TimeLineModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section > 1) return {};
  if (role == Qt::DisplayRole)
    return Text(section == 0 ? platform::ids::kTimeLineTimeColumn : platform::ids::kValueColumn);
  if (role == Qt::TextAlignmentRole) return static_cast<int>(kTimeLineAlignment[section] | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags TimeLineModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

WDTimeLineView::WDTimeLineView(CMainFrame& frame, QWidget* parent)
    : CListViewEx(parent), m_frame(frame), m_pModel(new TimeLineModel(this)) {
  setModel(m_pModel);
  // The value takes what the pane has left: it is the text worth reading.
  header()->setStretchLastSection(true);
  FitColumns();
  m_bInitialised = true;
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &WDTimeLineView::OnSelectionChanged);
  connect(&frame, &CMainFrame::CatalogReloaded, this, [this] {
    m_pModel->SetHistory(nullptr);
    m_shown = {};
    m_nSelectedRow = -1;
    // The tree may have filled itself before this view heard of the reload.
    QMetaObject::invokeMethod(
        this, [this] { Refresh(false, {}); }, Qt::QueuedConnection);
  });
}

void WDTimeLineView::FitColumns() {
  // A wide day and time in the format, so that no time is cut in the fonts of today's desktops.
  constexpr int64_t kWideTime = 977957880;  // 2000-12-27 22:58 UTC
  const QString sample = FromBytes(text::FormatLocalTime(kWideTime, text::DateTimeFormat()));
  const int needed = fontMetrics().horizontalAdvance(sample) + 2 * kColumnInset + 2;
  SetColumnLayout({std::max(kTimeLineTimeWidth, needed), kTimeLineValueWidth});
}

void WDTimeLineView::changeEvent(QEvent* event) {
  CListViewEx::changeEvent(event);
  if (event->type() == QEvent::FontChange) FitColumns();
}

model::WDValue* WDTimeLineView::CurrentBeacon() const {
  WDTreeView* tree = CatalogTree(m_frame);
  return tree ? dynamic_cast<model::WDValue*>(tree->GetCurrentItem()) : nullptr;
}

bool WDTimeLineView::OnNotify(TabNotify code, const NotifyParam& param) {
  if (code == TabNotify::ItemDeleting && param.item && param.item == m_shown.beacon) {
    m_nSelectedRow = -2;
    m_pModel->SetHistory(nullptr);
    m_nSelectedRow = -1;
    m_shown = {};
    return true;
  }
  return OnListNotify(code, param);
}

bool WDTimeLineView::Refresh(bool noRebuild, const NotifyParam& /*param*/) {
  if (noRebuild) return true;
  model::WDValue* beacon = CurrentBeacon();
  Shown now;
  if (beacon) {
    const model::WDHistory& history = beacon->GetHistory();
    now = {beacon, history.GetCount(), history.GetLast() ? history.GetLast()->GetTime() : 0};
  }
  if (now == m_shown) return true;

  // The same beacon with a new sample keeps the chosen sample chosen.
  const int chosenRecord = now.beacon == m_shown.beacon ? m_pModel->RecordIndex(m_nSelectedRow) : -1;
  m_nSelectedRow = -2;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  m_pModel->SetHistory(beacon ? &beacon->GetHistory() : nullptr);
  QGuiApplication::restoreOverrideCursor();
  ++m_nRebuilds;
  m_shown = now;
  const int row = m_pModel->RowOfRecord(chosenRecord);
  if (row >= 0) setCurrentIndex(m_pModel->index(row, 0));
  m_nSelectedRow = row;
  return true;
}

void WDTimeLineView::OnSelectionChanged() {
  if (m_nSelectedRow == -2) return;
  const QModelIndexList rows = selectionModel()->selectedRows();
  const int first = rows.isEmpty() ? -1 : rows.front().row();
  if (first == m_nSelectedRow) return;
  m_nSelectedRow = first;
  NotifyParam param;
  param.sender = this;
  m_frame.Views().NotifyObjects(TabNotify::Changed, param, {view_ids::kHistoryText, view_ids::kHistoryGraph});
}

const model::WDHistoryRecord* WDTimeLineView::GetSelectedRecord() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  model::WDValue* beacon = CurrentBeacon();
  if (rows.isEmpty() || !beacon || beacon != m_shown.beacon) return nullptr;
  return beacon->GetHistory().GetAt(m_pModel->RecordIndex(rows.front().row()));
}

}  // namespace quorvex::gui
