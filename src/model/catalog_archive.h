#pragma once
// The catalog file: the document's part of the archive (header, pages, folders, note) over the
// object stream. Reading never leaves half-built objects behind: on failure out is left empty.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
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
bool IsOldLayout(std::string_view bytes);

// Reads a whole catalog file. When release is given, it is called now and then with an offset
// below which the bytes are never read again (see ArchiveReader::SetReleaseHook), so their owner
// can give that memory back while the catalog is built.
CatalogReadResult ReadCatalog(std::string_view bytes, CatalogContents& out,
                              const std::function<void(size_t offset)>& release = {});
// Writes a catalog in the current generation. On failure (an object of a class that cannot be
// stored, more objects than the format can number) the result is empty, which no catalog file ever
// is, and error (when given) says why: never save a partial catalog.
std::string WriteCatalog(int32_t version, const std::vector<std::unique_ptr<WDValPage>>& pages,
                         const std::vector<std::unique_ptr<WDGroup>>& roots, const std::string& note,
                         std::string* error = nullptr);

}  // namespace quorvex::model
