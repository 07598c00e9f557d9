#include "cli/catalog_option.h"

#include "settings/app_context.h"

namespace quorvex::cli {

std::string ResolveCatalogPath(const std::string& catalogOption) {
  settings::AppContext* context = settings::GetAppContext();
  if (!context) return settings::WDSettings().CatalogPath(catalogOption);
  if (!catalogOption.empty()) context->SetCatalogPath(catalogOption);
  return context->CatalogPath();
}

std::string ResolveCatalogPath(const ArgParser& args) {
  return ResolveCatalogPath(args.Get(kCatalogOption));
}

}  // namespace quorvex::cli
