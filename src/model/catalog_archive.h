#pragma once
// The catalog file: the document's part of the archive (header, pages, folders, note) over the
// object stream. Reading never leaves half-built objects behind: on failure out is left empty.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/group.h"
#include "model/val_page.h"

namespace quorvex::model {

struct CatalogContents {
  int32_t version = 1;  // the number at the head of the file
  std::vector<std::unique_ptr<WDValPage>> pages;
  std::vector<std::unique_ptr<WDGroup>> roots;
  std::string note;
};

struct CatalogReadResult {
  bool ok = false;
  bool oldLayout = false;  // the file had no header (older generation)
  std::string message;     // what was wrong, for the user
};

// True when a file beginning with these bytes is of the older generation (no header): its third and
// fourth bytes are both 0xFF (a count followed by a new-class tag).
bool IsOldLayout(const std::string& bytes);

// Reads a whole catalog file.
CatalogReadResult ReadCatalog(const std::string& bytes, CatalogContents& out);
// Writes a catalog in the current generation. On failure (an object of a class that cannot be
// stored, more objects than the format can number) the result is empty, which no catalog file ever
// is, and error (when given) says why: never save a partial catalog.
std::string WriteCatalog(int32_t version, const std::vector<std::unique_ptr<WDValPage>>& pages,
                         const std::vector<std::unique_ptr<WDGroup>>& roots, const std::string& note,
                         std::string* error = nullptr);

}  // namespace quorvex::model
