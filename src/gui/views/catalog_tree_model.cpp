#include "gui/views/catalog_tree_model.h"

#include <QIcon>
#include <QMimeData>
#include <algorithm>

#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/views/tree_view.h"
#include "model/group.h"
#include "model/value.h"

namespace quorvex::gui {

struct CatalogTreeModel::Node {
  model::WDItem* item = nullptr;
  Node* parent = nullptr;
  int row = 0;
  int image = state_image::kNormal;
  QString text;
  std::vector<std::unique_ptr<Node>> children;
};

CatalogTreeModel::CatalogTreeModel(QObject* parent) : QAbstractItemModel(parent), m_root(std::make_unique<Node>()) {}

CatalogTreeModel::~CatalogTreeModel() = default;

void CatalogTreeModel::Clear() {
  beginResetModel();
  m_root->children.clear();
  m_byItem.clear();
  endResetModel();
}

CatalogTreeModel::Node* CatalogTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_root.get();
}

QModelIndex CatalogTreeModel::IndexOfNode(const Node* node) const {
  if (!node || node == m_root.get()) return {};
  return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex CatalogTreeModel::IndexOf(const model::WDItem* item) const {
  return IndexOfNode(m_byItem.value(item, nullptr));
}

model::WDItem* CatalogTreeModel::ItemOf(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->item : nullptr;
}

int CatalogTreeModel::StateImage(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->image : 0;
}

void CatalogTreeModel::SetStateImage(const QModelIndex& index, int image) {
  Node* node = index.isValid() ? NodeOf(index) : nullptr;
  if (!node || node->image == image) return;
  node->image = image;
  Q_EMIT dataChanged(index, index, {Qt::DecorationRole, StateImageRole});
}

void CatalogTreeModel::SetText(const QModelIndex& index, const QString& text) {
  if (!index.isValid()) return;
  NodeOf(index)->text = text;
  Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, FilterTextRole});
}

void CatalogTreeModel::Renumber(Node* parent, size_t from) {
  for (size_t i = from; i < parent->children.size(); ++i) parent->children[i]->row = static_cast<int>(i);
}

QModelIndex CatalogTreeModel::Insert(model::WDItem* item, const QModelIndex& parent,
                                     const std::function<int(model::WDItem*)>& stateOf) {
  Node* into = NodeOf(parent);
  // Built first and published in one step: a folder of thousands is one insertion for the views.
  std::function<std::unique_ptr<Node>(model::WDItem*, Node*)> build = [&](model::WDItem* it, Node* up) {
    auto node = std::make_unique<Node>();
    node->item = it;
    node->parent = up;
    node->text = FromBytes(it->GetName());
    node->image = stateOf(it);
    if (it->IsGroup()) {
      auto* group = static_cast<model::WDGroup*>(it);
      for (size_t i = 0; i < group->GetChildCount(); ++i) {
        model::WDItem* child = group->GetChild(i);
        if (!child || m_byItem.contains(child)) continue;
        node->children.push_back(build(child, node.get()));
        node->children.back()->row = static_cast<int>(node->children.size() - 1);
      }
    }
    m_byItem.insert(it, node.get());
    return node;
  };
  const int row = static_cast<int>(into->children.size());
  beginInsertRows(parent, row, row);
  into->children.push_back(build(item, into));
  into->children.back()->row = row;
  endInsertRows();
  return IndexOfNode(into->children.back().get());
}

void CatalogTreeModel::Forget(Node* node) {
  m_byItem.remove(node->item);
  for (auto& child : node->children) Forget(child.get());
}

void CatalogTreeModel::Remove(const QModelIndex& index) {
  if (!index.isValid()) return;
  Node* node = NodeOf(index);
  Node* up = node->parent;
  const int row = node->row;
  beginRemoveRows(IndexOfNode(up), row, row);
  Forget(node);
  up->children.erase(up->children.begin() + row);
  Renumber(up, row);
  endRemoveRows();
}

QModelIndex CatalogTreeModel::Move(const QModelIndex& index, const QModelIndex& newParent) {
  Node* node = NodeOf(index);
  Node* to = NodeOf(newParent);
  Node* from = node->parent;
  const int row = node->row;
  const int dest = static_cast<int>(to->children.size());
  if (!index.isValid() || from == to) return index;
  beginMoveRows(IndexOfNode(from), row, row, newParent, dest);
  std::unique_ptr<Node> moved = std::move(from->children[row]);
  from->children.erase(from->children.begin() + row);
  Renumber(from, row);
  moved->parent = to;
  moved->row = static_cast<int>(to->children.size());
  to->children.push_back(std::move(moved));
  endMoveRows();
  return IndexOfNode(node);
}

void CatalogTreeModel::SortChildren(const QModelIndex& parent) {
  Node* node = NodeOf(parent);
  const QList<QPersistentModelIndex> parents{QPersistentModelIndex(parent)};
  Q_EMIT layoutAboutToBeChanged(parents);
  const QModelIndexList before = persistentIndexList();
  std::vector<Node*> old;
  for (const QModelIndex& index : before) old.push_back(NodeOf(index));
  std::stable_sort(node->children.begin(), node->children.end(), [](const auto& a, const auto& b) {
    return QString::compare(a->text, b->text, Qt::CaseInsensitive) < 0;
  });
  Renumber(node, 0);
  QModelIndexList after;
  for (int i = 0; i < before.size(); ++i) after.append(before[i].isValid() ? IndexOfNode(old[i]) : QModelIndex());
  changePersistentIndexList(before, after);
  Q_EMIT layoutChanged(parents);
}

QModelIndex CatalogTreeModel::index(int row, int column, const QModelIndex& parent) const {
  const Node* node = NodeOf(parent);
  if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
  return createIndex(row, 0, node->children[row].get());
}

QModelIndex CatalogTreeModel::parent(const QModelIndex& child) const {
  return child.isValid() ? IndexOfNode(NodeOf(child)->parent) : QModelIndex();
}

int CatalogTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return static_cast<int>(NodeOf(parent)->children.size());
}

int CatalogTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant CatalogTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const Node* node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return node->text;
    case Qt::DecorationRole: {
      static const QList<QIcon> icons = StateIcons();
      return node->image > 0 && node->image < icons.size() ? icons[node->image] : QIcon();
    }
    case Qt::ToolTipRole:
      if (!node->item->IsGroup()) return FromBytes(static_cast<model::WDValue*>(node->item)->GetURL());
      return {};
    case ItemRole:
      return QVariant::fromValue(reinterpret_cast<quintptr>(node->item));
    case StateImageRole:
      return node->image;
    case FilterTextRole:
      if (node->item->IsGroup()) return QString();
      return node->text + QLatin1Char('\n') + FromBytes(static_cast<model::WDValue*>(node->item)->GetURL());
    default:
      return {};
  }
}

bool CatalogTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  if (m_onRename) m_onRename(NodeOf(index)->item, value.toString());
  return true;
}

Qt::ItemFlags CatalogTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  const Node* node = NodeOf(index);
  const bool top = node->parent == m_root.get();
  if (!top) flags |= Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
  if (node->item->IsGroup()) flags |= Qt::ItemIsDropEnabled;
  return flags;
}

Qt::DropActions CatalogTreeModel::supportedDropActions() const {
  return Qt::MoveAction;
}

QStringList CatalogTreeModel::mimeTypes() const {
  return {QString::fromLatin1(kItemMimeType)};
}

QMimeData* CatalogTreeModel::mimeData(const QModelIndexList& indexes) const {
  // The item travels as WDTreeView::DraggedItem(); the data only marks a drag of ours.
  if (indexes.isEmpty()) return nullptr;
  WDTreeView::SetDraggedItem(ItemOf(indexes.front()));
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kItemMimeType), QByteArray());
  return data;
}

bool CatalogTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int,
                                       const QModelIndex& parent) const {
  return data && data->hasFormat(QString::fromLatin1(kItemMimeType)) && WDTreeView::DraggedItem() && parent.isValid() &&
         NodeOf(parent)->item->IsGroup();
}

bool CatalogTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                    const QModelIndex& parent) {
  if (!canDropMimeData(data, action, row, column, parent) || !m_drop) {
    WDTreeView::SetDraggedItem(nullptr);
    return false;
  }
  m_drop(NodeOf(parent)->item);
  // The move is done here; a true result would make the view remove the dragged row itself.
  return false;
}

}  // namespace quorvex::gui
