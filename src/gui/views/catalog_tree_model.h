#pragma once
// The catalog as the tree shows it: a node per folder and beacon, with the node's text and state
// image (icons.h, state_image). The nodes mirror the catalog's folders but keep an order of their
// own (a rename or a drop sorts a folder's nodes by text, the stored order stays), and the state
// image is the cache the tree paints from: it changes only when the tree sets it (a fetch started or
// finished, a setting changed), never by asking the beacons while painting.
//
// The model never changes the catalog; the tree view does, and then tells the model. UI thread only.
#include <QAbstractItemModel>
#include <QHash>
#include <functional>
#include <memory>
#include <vector>

namespace quorvex::model {
class WDGroup;
class WDItem;
}  // namespace quorvex::model

namespace quorvex::gui {

class CatalogTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Role {
    ItemRole = Qt::UserRole + 1,  // the WDItem* as quintptr
    StateImageRole,               // int, a state_image index
    FilterTextRole,               // a beacon's name and address; empty for folders
  };
  // Called for a drop of a dragged catalog item onto target; returns whether it moved.
  using DropHandler = std::function<bool(model::WDItem* target)>;

  explicit CatalogTreeModel(QObject* parent = nullptr);
  ~CatalogTreeModel() override;

  // Drops every node.
  void Clear();
  // Adds item (a folder with all its contents) as the last child of parent (invalid: top level), with
  // the state images stateOf gives. Returns the new node's index.
  QModelIndex Insert(model::WDItem* item, const QModelIndex& parent, const std::function<int(model::WDItem*)>& stateOf);
  // Removes the node and its branch (the catalog is not touched).
  void Remove(const QModelIndex& index);
  // Moves the node (with its branch) to the end of newParent's children.
  QModelIndex Move(const QModelIndex& index, const QModelIndex& newParent);
  // Sorts the children of parent by text, letter case ignored.
  void SortChildren(const QModelIndex& parent);

  QModelIndex IndexOf(const model::WDItem* item) const;
  model::WDItem* ItemOf(const QModelIndex& index) const;
  int StateImage(const QModelIndex& index) const;
  void SetStateImage(const QModelIndex& index, int image);
  void SetText(const QModelIndex& index, const QString& text);
  void SetDropHandler(DropHandler handler) { m_drop = std::move(handler); }
  // Called with the item and the text when the user finished renaming it in place.
  std::function<void(model::WDItem*, const QString&)> m_onRename;

  // QAbstractItemModel
  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

 private:
  struct Node;
  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOfNode(const Node* node) const;
  void Forget(Node* node);
  static void Renumber(Node* parent, size_t from);

  std::unique_ptr<Node> m_root;  // invisible: its children are the top level
  QHash<const model::WDItem*, Node*> m_byItem;
  DropHandler m_drop;
};

}  // namespace quorvex::gui
