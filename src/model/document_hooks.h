#pragma once
// What the catalog model asks of the document that owns it. The model sits below the document,
// so it reaches the document only through this interface, installed by the document while it lives.
#include <string>
#include <vector>

namespace quorvex::model {

class WDValue;

// A line that the newest change of a page added or removed (its text-only form).
struct ChangedLine {
  bool added = false;
  std::string text;
};

class DocumentHooks {
 public:
  virtual ~DocumentHooks() = default;
  virtual void SetModifiedFlag(bool modified = true) = 0;
  // Moves value to the page record of url (created when missing); true on success.
  virtual bool MoveBeacon(const std::string& url, WDValue& value) = 0;
  // Starts a fetch of value's page now; true when one was started or is running.
  virtual bool RequestRefresh(WDValue& value) = 0;
  // The lines that the newest change of the page at url added or removed, in page order; empty when
  // fewer than two snapshots of it are kept. Reads the snapshots: for alerts that were asked to tell it.
  virtual std::vector<ChangedLine> NewestChange(const std::string& /*url*/) { return {}; }
};

// The installed document, or nullptr (tests of the bare model run without one).
DocumentHooks* ActiveDocument();
// Installs (or with nullptr removes) the document. UI thread only.
void SetActiveDocument(DocumentHooks* document);

// Marks the active document modified, when there is one.
void MarkDocumentModified();

}  // namespace quorvex::model
