#pragma once
// What the catalog commands share: the application context (settings), the document opened from
// --catalog or the default catalog, beacon lookup by name, folder path or "#N", and saving.
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/console_prompt.h"
#include "engine/catalog_lock.h"
#include "engine/qvx_doc.h"
#include "settings/app_context.h"

namespace quorvex::cli {

// Options every catalog command accepts.
inline const std::set<std::string> kCatalogValued = {"catalog"};
inline const std::set<std::string> kCatalogFlags = {"yes"};

// One beacon as `list` numbers it: tree order, depth first, 1-based.
struct BeaconEntry {
  int number = 0;
  std::string path;  // "Folder/Sub/Name" below the root
  int depth = 0;
  model::WDValue* value = nullptr;
};

// How a command uses the catalog: reading the last saved file, changing it under the catalog's lock
// (asking its owner to let go), or keeping it open as its owner (the agent).
enum class CatalogAccess { Read, Change, Own };

class CatalogSession {
 public:
  explicit CatalogSession(CommandIo& io, CatalogAccess access = CatalogAccess::Read) : io_(io), access_(access) {}
  ~CatalogSession();

  // Opens settings and catalog, first taking the lock as the access asks; false (with the reason
  // printed) when the catalog cannot be read or locked.
  bool Open(const ArgParser& args);
  engine::WDQvxDoc& Doc() { return *doc_; }
  // The running application context (RunCli makes one for every command).
  settings::AppContext& App();

  // Open followed by FindBeacon; prints the reason and gives nullptr on failure.
  model::WDValue* OpenBeacon(const ArgParser& args, const std::string& which);

  std::vector<BeaconEntry> Beacons() const;
  // A name, a path "A/B/Name" or "#N". Ambiguous names are an error that lists the candidates.
  model::WDValue* FindBeacon(const std::string& which, std::string& error) const;
  // The folder at path below the root ("" is the root), created when missing with create.
  model::WDGroup* FindFolder(const std::string& path, bool create);
  std::string PathOf(const model::WDValue* value) const;

  // Saves when modified; false (reported) on failure.
  bool Save();
  // The owner's side of the lock (CatalogAccess::Own), for the agent's loop.
  engine::CatalogOwner& Owner() { return owner_; }

 private:
  CommandIo& io_;
  CatalogAccess access_;
  engine::CatalogWriteLock writeLock_;
  engine::CatalogOwner owner_;
  std::unique_ptr<ConsolePrompt> prompt_;
  std::unique_ptr<engine::WDQvxDoc> doc_;
};

// Prints a usage error for a command and returns kExitUsage.
int UsageError(CommandIo& io, const std::string& command, const std::string& message);

}  // namespace quorvex::cli
