#include "cli/catalog_session.h"

#include <charconv>
#include <functional>
#include <ostream>

#include "cli/beacon_text.h"
#include "cli/catalog_option.h"

namespace quorvex::cli {

CatalogSession::~CatalogSession() {
  doc_.reset();
}

bool CatalogSession::Open(const ArgParser& args) {
  prompt_ = std::make_unique<ConsolePrompt>(io_.err, args.Has("yes"));
  const std::string path = ResolveCatalogPath(args);
  std::string error;
  if ((access_ == CatalogAccess::Change && !writeLock_.Acquire(path, &error)) ||
      (access_ == CatalogAccess::Own && !owner_.Open(path, &error))) {
    io_.err << error << "\n";
    return false;
  }
  doc_ = std::make_unique<engine::WDQvxDoc>();
  return doc_->OnNewDocument(path);
}

model::WDValue* CatalogSession::OpenBeacon(const ArgParser& args, const std::string& which) {
  if (!Open(args)) return nullptr;
  std::string error;
  model::WDValue* value = FindBeacon(which, error);
  if (!value) io_.err << error << "\n";
  return value;
}

settings::AppContext& CatalogSession::App() {
  return *settings::GetAppContext();
}

std::vector<BeaconEntry> CatalogSession::Beacons() const {
  std::vector<BeaconEntry> out;
  std::function<void(const model::WDGroup&, const std::string&, int)> walk = [&](const model::WDGroup& group,
                                                                                 const std::string& prefix, int depth) {
    for (size_t i = 0; i < group.GetChildCount(); ++i) {
      model::WDItem* child = group.GetChild(i);
      const std::string path = prefix.empty() ? child->GetName() : prefix + "/" + child->GetName();
      if (child->IsGroup()) {
        walk(static_cast<const model::WDGroup&>(*child), path, depth + 1);
      } else {
        out.push_back({static_cast<int>(out.size()) + 1, path, depth, static_cast<model::WDValue*>(child)});
      }
    }
  };
  if (const model::WDGroup* root = doc_->GetRoot()) walk(*root, "", 0);
  return out;
}

model::WDValue* CatalogSession::FindBeacon(const std::string& which, std::string& error) const {
  const std::vector<BeaconEntry> beacons = Beacons();
  if (which.size() > 1 && which[0] == '#' && which.find_first_not_of("0123456789", 1) == std::string::npos) {
    size_t n = 0;
    const auto [end, failed] = std::from_chars(which.data() + 1, which.data() + which.size(), n);
    if (failed == std::errc() && end == which.data() + which.size() && n >= 1 && n <= beacons.size())
      return beacons[n - 1].value;
    error = "no beacon " + which + " (the catalog lists " + std::to_string(beacons.size()) + ")";
    return nullptr;
  }
  std::vector<const BeaconEntry*> matches;
  for (const auto& entry : beacons) {
    if (entry.path == which) return entry.value;
    if (entry.value->GetName() == which) matches.push_back(&entry);
  }
  if (matches.size() == 1) return matches[0]->value;
  if (matches.empty()) {
    error = "no beacon named '" + Show(which) + "'";
  } else {
    error = "'" + Show(which) + "' names " + std::to_string(matches.size()) + " beacons; give one of:";
    for (const auto* entry : matches) error += "\n  #" + std::to_string(entry->number) + "  " + Show(entry->path);
  }
  return nullptr;
}

model::WDGroup* CatalogSession::FindFolder(const std::string& path, bool create) {
  model::WDGroup* folder = doc_->GetRoot();
  size_t start = 0;
  while (folder && start < path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    model::WDGroup* next = nullptr;
    for (size_t i = 0; i < folder->GetChildCount() && !next; ++i) {
      model::WDItem* child = folder->GetChild(i);
      if (child->IsGroup() && child->GetName() == name) next = static_cast<model::WDGroup*>(child);
    }
    if (!next && create) next = static_cast<model::WDGroup*>(folder->AddChild(new model::WDGroup(name, "")));
    folder = next;
  }
  return folder;
}

std::string CatalogSession::PathOf(const model::WDValue* value) const {
  for (const auto& entry : Beacons()) {
    if (entry.value == value) return entry.path;
  }
  return value->GetName();
}

bool CatalogSession::Save() {
  if (!doc_->IsModified()) return true;
  return doc_->Save();
}

int UsageError(CommandIo& io, const std::string& command, const std::string& message) {
  io.err << "quorvex-cli " << command << ": " << ShowLines(message) << "\nRun 'quorvex-cli " << command
         << " --help' for its options.\n";
  return kExitUsage;
}

}  // namespace quorvex::cli
