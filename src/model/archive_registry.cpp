#include "model/archive_registry.h"

#include "model/archive_format.h"

namespace quorvex::model {

bool ArchiveRegistry::Add(ArchiveClass entry) {
  if (entry.name.empty() || entry.name.size() > kMaxClassNameLength) return false;
  if (!entry.type) return false;
  if (!entry.by_value && (!entry.create || !entry.store || !entry.load)) return false;
  if (by_name_.count(entry.name) || by_type_.count(std::type_index(*entry.type))) return false;
  classes_.push_back(std::make_unique<ArchiveClass>(std::move(entry)));
  const ArchiveClass* added = classes_.back().get();
  by_name_.emplace(added->name, added);
  by_type_.emplace(std::type_index(*added->type), added);
  return true;
}

const ArchiveClass* ArchiveRegistry::FindByName(std::string_view name) const {
  auto it = by_name_.find(std::string(name));
  return it == by_name_.end() ? nullptr : it->second;
}

const ArchiveClass* ArchiveRegistry::FindByType(const std::type_info& type) const {
  auto it = by_type_.find(std::type_index(type));
  return it == by_type_.end() ? nullptr : it->second;
}

}  // namespace quorvex::model
