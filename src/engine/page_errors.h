#pragma once
// Why each page's last fetch failed, kept beside the catalog in "<catalog>.errors": the catalog file's
// format has no place for it, and a later process (list, show, the desktop program after the agent)
// should still be able to say it. Losing this file loses only the reasons, never catalog data.
// Format: one line per failed page, its address, a tab, the reason; backslash, tab and line feed
// written as \\, \t and \n. UI thread.
#include <memory>
#include <string>
#include <vector>

#include "model/val_page.h"

namespace quorvex::engine {

std::string PageErrorsPath(const std::string& catalogPath);
// Writes the reasons of pages (the file is removed when none failed). Failures are ignored.
void StorePageErrors(const std::string& catalogPath, const std::vector<std::unique_ptr<model::WDValPage>>& pages);
// Gives every page whose address is listed its reason; a missing or broken file gives none.
void LoadPageErrors(const std::string& catalogPath, const std::vector<std::unique_ptr<model::WDValPage>>& pages);

}  // namespace quorvex::engine
