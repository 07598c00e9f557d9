#include "gui/views/bcn_list_model.h"

#include <QGuiApplication>
#include <cmath>

#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "model/value.h"
#include "text/time_format.h"
#include "text/value_text.h"

namespace quorvex::gui {
namespace {

constexpr Qt::Alignment kBcnAlignment[kBcnColumnCount] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight,
                                                          Qt::AlignHCenter, Qt::AlignLeft};

bool IsNumber(const QVariant& value) {
  const int type = value.typeId();
  return type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int;
}

}  // namespace

QStringList ParseColumnTitles(const QString& text) {
  QStringList titles = text.split(QLatin1Char(','));
  titles.removeLast();  // what follows the last comma (all of it when there is none)
  while (titles.size() > kBcnColumnCount) titles.removeLast();
  return titles;
}

BcnListModel::BcnListModel(FetchProbe isFetching, QObject* parent)
    : QAbstractTableModel(parent), m_isFetching(std::move(isFetching)), m_icons(StateIcons()) {}

void BcnListModel::SetTitles(const QStringList& titles) {
  const int count = static_cast<int>(std::min<qsizetype>(titles.size(), kBcnColumnCount));
  if (count != columnCount()) {
    beginResetModel();
    m_titles = titles.mid(0, count);
    endResetModel();
  } else {
    m_titles = titles.mid(0, count);
    if (count > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, count - 1);
  }
}

void BcnListModel::SetBeacons(const std::vector<model::WDValue*>& beacons) {
  beginResetModel();
  m_rows.clear();
  m_rows.reserve(beacons.size());
  for (model::WDValue* beacon : beacons) {
    if (!beacon) continue;
    Row row;
    row.beacon = beacon;
    Fill(row);
    m_rows.push_back(std::move(row));
  }
  endResetModel();
}

int BcnListModel::InsertRow(model::WDValue* beacon) {
  if (!beacon) return -1;
  const int at = rowCount();
  Row row;
  row.beacon = beacon;
  Fill(row);
  beginInsertRows({}, at, at);
  m_rows.push_back(std::move(row));
  endInsertRows();
  return at;
}

bool BcnListModel::DeleteRow(const model::WDItem* item) {
  const int row = FindRow(item);
  if (row < 0) return false;
  beginRemoveRows({}, row, row);
  m_rows.erase(m_rows.begin() + row);
  endRemoveRows();
  return true;
}

bool BcnListModel::UpdateRow(model::WDValue* beacon, int row) {
  if (row < 0) row = FindRow(beacon);
  if (row < 0 || row >= rowCount() || m_rows[row].beacon != beacon) return false;
  Fill(m_rows[row]);
  if (columnCount() > 0) Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
  return true;
}

int BcnListModel::UpdateRowsForAddress(const std::string& address) {
  int updated = 0;
  for (int row = 0; row < rowCount(); ++row) {
    if (m_rows[row].address == address && UpdateRow(m_rows[row].beacon, row)) ++updated;
  }
  return updated;
}

int BcnListModel::FindRow(const model::WDItem* item) const {
  if (!item) return -1;
  for (size_t row = 0; row < m_rows.size(); ++row) {
    if (m_rows[row].beacon == item) return static_cast<int>(row);
  }
  return -1;
}

model::WDValue* BcnListModel::BeaconAt(int row) const {
  return row >= 0 && row < rowCount() ? m_rows[row].beacon : nullptr;
}

void BcnListModel::Fill(Row& row) const {
  model::WDValue& beacon = *row.beacon;
  const model::BeaconRow texts = model::MakeBeaconRow(beacon);
  row.state = texts.state;
  row.kind = beacon.GetKind();
  row.time = texts.time;
  row.address = texts.address;
  row.texts[kBcnName] = FromBytes(beacon.GetName());
  row.texts[kBcnValue] = FromBytes(texts.value);
  row.texts[kBcnChange] = FromBytes(texts.change);
  row.texts[kBcnDate] = FromBytes(text::FormatLocalTime(texts.time, text::DateFormat()));
  row.texts[kBcnAddress] = FromBytes(texts.address);
  row.textChange = texts.sign == model::ChangeSign::None && texts.change != "- ";
  row.change = texts.sign == model::ChangeSign::None ? 0.0 : beacon.GetLastDelta();

  const bool fetching = m_isFetching && !texts.address.empty() && m_isFetching(texts.address);
  if (fetching) {
    row.text = RowTint::Grey;
    row.highlight = RowTint::Alarm;
  } else if (beacon.IsEnabled()) {
    row.text = RowTint::Normal;
    row.highlight = RowTint::Highlighted;
  } else {
    row.text = RowTint::Grey;
    row.highlight = RowTint::Grey;
  }
  row.changeTint = row.text;
  if (!fetching && texts.sign == model::ChangeSign::Up) row.changeTint = RowTint::Rise;
  if (!fetching && texts.sign == model::ChangeSign::Down) row.changeTint = RowTint::Fall;
}

int BcnListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int BcnListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant BcnListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const Row& row = m_rows[index.row()];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return row.texts[column];
    case Qt::DecorationRole:
      if (column == kBcnName && row.state >= 0 && row.state < m_icons.size()) return m_icons[row.state];
      return {};
    case Qt::TextAlignmentRole:
      return static_cast<int>(kBcnAlignment[column] | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      return TintColor(column == kBcnChange ? row.changeTint : row.text, QGuiApplication::palette());
    case kHighlightTextRole:
      return TintColor(row.highlight, QGuiApplication::palette());
    case kTintRole:
      return static_cast<int>(column == kBcnChange ? row.changeTint : row.text);
    case kHighlightTintRole:
      return static_cast<int>(row.highlight);
    case kSortRole:
      switch (column) {
        case kBcnValue:
          if (row.kind == model::kKindNumber) return text::ParseValue(ToBytes(row.texts[kBcnValue]));
          return row.texts[kBcnValue];
        case kBcnChange:
          return row.textChange ? QVariant(row.texts[kBcnChange]) : QVariant(row.change);
        case kBcnDate:
          return QVariant::fromValue<qlonglong>(row.time);
        default:
          return row.texts[column];
      }
    default:
      return {};
  }
}

QVariant BcnListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return m_titles[section];
  if (role == Qt::TextAlignmentRole) return static_cast<int>(kBcnAlignment[section] | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags BcnListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

BcnSortProxy::BcnSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
  setSortRole(kSortRole);
  setSortLocaleAware(true);
}

bool BcnSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const QVariant a = left.data(kSortRole);
  const QVariant b = right.data(kSortRole);
  const bool numberA = IsNumber(a);
  const bool numberB = IsNumber(b);
  if (numberA && numberB) return a.toDouble() < b.toDouble();
  if (numberA != numberB) return numberA;
  return a.toString().localeAwareCompare(b.toString()) < 0;
}

}  // namespace quorvex::gui
