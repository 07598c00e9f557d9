#pragma once
// The --catalog FILE option that every command working on a catalog accepts, and the catalog path it
// leads to. A command lists kCatalogOption among its valued options and asks ResolveCatalogPath.
#include <string>

#include "cli/command.h"

namespace quorvex::cli {

inline constexpr char kCatalogOption[] = "catalog";

// The catalog file for a command: the --catalog value when given, which then also becomes the
// catalog of the running application context (so its format generation is detected); else the
// context's catalog (set by a --catalog before the command name, or the default of the settings).
// Call on the thread that runs the command.
std::string ResolveCatalogPath(const std::string& catalogOption);
std::string ResolveCatalogPath(const ArgParser& args);

}  // namespace quorvex::cli
