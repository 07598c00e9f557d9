#include "model/group.h"

#include <algorithm>

#include "model/document_hooks.h"
#include "model/value.h"

namespace quorvex::model {

WDGroup::WDGroup() {
  m_nKind = kKindGroup;
}

WDGroup::WDGroup(const std::string& name, const std::string& description) {
  m_strName = name;
  m_strDescription = description;
  m_nKind = kKindGroup;
}

WDGroup::~WDGroup() = default;

WDItem* WDGroup::AddChild(WDItem* item) {
  if (!item || std::find(m_children.begin(), m_children.end(), item) != m_children.end()) return item;
  if (auto* group = dynamic_cast<WDGroup*>(item)) m_ownedGroups.emplace_back(group);
  m_children.push_back(item);
  MarkDocumentModified();
  return item;
}

bool WDGroup::RemoveChild(WDItem* item) {
  if (!item) return false;
  if (!item->IsGroup()) {
    auto* value = dynamic_cast<WDValue*>(item);
    if (value && !value->CanRemove(true)) return false;
  }
  auto it = std::find(m_children.begin(), m_children.end(), item);
  if (it == m_children.end()) return false;
  m_children.erase(it);
  auto owned = std::find_if(m_ownedGroups.begin(), m_ownedGroups.end(),
                            [item](const auto& group) { return group.get() == item; });
  if (owned != m_ownedGroups.end()) {
    owned->release();  // the caller takes the group over
    m_ownedGroups.erase(owned);
  }
  MarkDocumentModified();
  return true;
}

bool WDGroup::Contains(const WDItem* item) const {
  for (const WDItem* child : m_children) {
    if (child == item) return true;
    if (child->IsGroup() && static_cast<const WDGroup*>(child)->Contains(item)) return true;
  }
  return false;
}

void WDGroup::Clear(bool all) {
  if (all) {
    // The dropped sub-groups belong to nobody else: destroy them rather than lose them in memory.
    // Values stay alive with their pages.
    m_children.clear();
    m_ownedGroups.clear();
    return;
  }
  std::vector<WDItem*> values;
  for (WDItem* child : m_children) {
    if (!child->IsGroup()) values.push_back(child);
  }
  for (WDItem* value : values) RemoveChild(value);
}

}  // namespace quorvex::model
