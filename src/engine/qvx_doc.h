#pragma once
// The one catalog document: owns the pages (one per distinct address), the folder tree and, later,
// the fetch manager. Opens and saves the catalog file and repairs the tree after loading.
// UI thread only.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/catalog_archive.h"
#include "model/document_hooks.h"
#include "model/group.h"
#include "model/val_page.h"
#include "model/value.h"

namespace quorvex::engine {

class WDQvxDoc : public model::DocumentHooks {
 public:
  WDQvxDoc();
  ~WDQvxDoc() override;
  WDQvxDoc(const WDQvxDoc&) = delete;
  WDQvxDoc& operator=(const WDQvxDoc&) = delete;

  // Opens the catalog file at path. A missing file starts a new empty catalog (saved on the first
  // save). An unreadable or broken file is reported (61451 and the reason) and false is returned;
  // the document then refuses to save over that file.
  bool OnNewDocument(const std::string& path);
  // Writes the catalog (temporary file + rename). On failure: 61451, nothing written, still modified.
  bool Save();
  // Closing: saves silently when hidden or without SavePrompt, else asks (61454). False: keep open.
  bool SaveModified(bool runningHidden);

  // The root and load fix-up: the "Catalog" root, the rename of an older root, values linked to
  // their pages, kinds re-derived, every value placed in the tree.
  void Repair();

  model::WDGroup* GetRoot() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  const std::vector<std::unique_ptr<model::WDValPage>>& GetPages() const { return pages_; }
  const std::vector<std::unique_ptr<model::WDGroup>>& GetRoots() const { return roots_; }

  // The page of url (letter case ignored, searched from the end); with create, a missing one is made.
  model::WDValPage* FindPage(const std::string& url, bool create);
  // Creates a new value on the page of url and returns it (the caller files it in the tree).
  model::WDValue* NewBeacon();

  // Beacon iteration over all pages.
  void ResetIteration();
  model::WDValue* NextBeacon();
  model::WDValue* CurrentBeacon() const;
  // All values of all pages in page order.
  std::vector<model::WDValue*> AllBeacons() const;

  // Check all alerts: mode 0 for every beacon; when none fired, 61471 (information). Returns the count.
  int CheckAllAlerts();
  bool IsAnyBeaconBusy() const;
  int CountActiveEvents() const;
  // Removes a value from the tree and destroys it; a page left empty is deleted.
  bool DeleteBeacon(model::WDValue* value);

  bool IsModified() const { return modified_; }
  const std::string& GetPath() const { return path_; }
  std::string m_strNote;

  // DocumentHooks
  void SetModifiedFlag(bool modified = true) override { modified_ = modified; }
  bool MoveBeacon(const std::string& url, model::WDValue& value) override;
  bool RequestRefresh(model::WDValue& value) override;

 private:
  void RemovePageIfEmpty(model::WDValPage* page);

  std::vector<std::unique_ptr<model::WDValPage>> pages_;
  std::vector<std::unique_ptr<model::WDGroup>> roots_;
  // Values made by NewBeacon wait here until MoveBeacon gives them a page.
  std::vector<std::unique_ptr<model::WDValue>> unplaced_;
  int32_t version_ = 1;
  int cursor_page_ = 0;
  int cursor_beacon_ = -1;
  bool modified_ = false;
  bool old_layout_ = false;
  bool load_failed_ = false;
  std::string path_;
};

}  // namespace quorvex::engine
