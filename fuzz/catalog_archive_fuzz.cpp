// Reads arbitrary bytes as a catalog file. A catalog that loads must be walkable as the views walk
// it, must write, and what it writes must load again and write the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/catalog_archive.h"
#include "model/value.h"

using quorvex::model::CatalogContents;
using quorvex::model::WDGroup;
using quorvex::model::WDItem;
using quorvex::model::WDValue;

namespace {

// Touches every item as the tree view and the commands do: folders by their kind, beacons through
// their page and history. Returns the number of beacons met.
size_t Walk(const WDGroup& group, int depth) {
  if (depth > 1000) std::abort();  // the reader bounds nesting far below this
  size_t beacons = 0;
  for (size_t i = 0; i < group.GetChildCount(); ++i) {
    const WDItem* child = group.GetChild(i);
    if (!child) std::abort();
    if (child->IsGroup()) {
      beacons += Walk(static_cast<const WDGroup&>(*child), depth + 1);
      continue;
    }
    const auto& value = static_cast<const WDValue&>(*child);
    if (!value.GetPage()) std::abort();
    (void)value.GetLastSampleTime();
    (void)value.GetURL().size();
    ++beacons;
  }
  return beacons;
}

void Check(const CatalogContents& catalog) {
  for (const auto& root : catalog.roots) Walk(*root, 0);
  for (const auto& page : catalog.pages) {
    for (size_t i = 0; i < page->GetValueCount(); ++i) {
      WDValue* value = page->GetValue(i);
      if (value->GetPage() != page.get() || value->IsGroup()) std::abort();
      for (size_t e = 0; e < value->GetAlert().GetEventCount(); ++e) {
        if (value->GetAlert().GetEvent(e).m_condition.m_pValue != value) std::abort();
      }
      // The repair after loading asks the tree for every beacon.
      for (const auto& root : catalog.roots) (void)root->Contains(value);
    }
  }
}

std::string Write(const CatalogContents& c) {
  return quorvex::model::WriteCatalog(c.version, c.pages, c.roots, c.note);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CatalogContents catalog;
  const auto result = quorvex::model::ReadCatalog(bytes, catalog);
  if (!result.ok) {
    if (result.message.empty() || !catalog.pages.empty() || !catalog.roots.empty()) std::abort();
    return 0;
  }
  Check(catalog);
  const std::string first = Write(catalog);
  CatalogContents again;
  const auto reread = quorvex::model::ReadCatalog(first, again);
  if (!reread.ok || reread.oldLayout) std::abort();
  Check(again);
  if (Write(again) != first) std::abort();
  return 0;
}
