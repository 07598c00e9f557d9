#pragma once
// A folder of the catalog tree. A group owns its sub-groups; it only refers to values, which
// their page records own.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "model/item.h"

namespace quorvex::model {

class WDGroup : public WDItem {
 public:
  WDGroup();
  WDGroup(const std::string& name, const std::string& description);
  // Destroys every child group (recursively); child values stay alive. Children are not looked at,
  // so values may already be gone.
  ~WDGroup() override;

  // Appends item unless it is already a child; returns item. A group added here becomes owned by this
  // group. Marks the document modified on append.
  WDItem* AddChild(WDItem* item);
  // Removes the first reference to item without destroying it: a removed group passes to the caller,
  // who adds it elsewhere or deletes it. A value being refreshed refuses (message 61470) and false is
  // returned; so is an item that is not a direct child.
  bool RemoveChild(WDItem* item);
  // True when item is a child or, recursively, inside a child group.
  bool Contains(const WDItem* item) const;
  size_t GetChildCount() const { return m_children.size(); }
  WDItem* GetChild(size_t index) const { return index < m_children.size() ? m_children[index] : nullptr; }
  // all: empty the folder; child groups are destroyed with it (nothing else owns them), values only
  // lose the reference. !all: remove every child that is not a group, through RemoveChild.
  void Clear(bool all);
  void Store(ArchiveWriter& out) const;
  void Load(ArchiveReader& in);

  // In display order; not owning.
  std::vector<WDItem*> m_children;

 private:
  // The sub-groups, owned; values are owned by their pages.
  std::vector<std::unique_ptr<WDGroup>> m_ownedGroups;
  // Objects a broken file placed where they do not belong, kept until the failed load is discarded.
  std::vector<std::unique_ptr<WDItem>> m_rejected;
};

}  // namespace quorvex::model
