#pragma once
// The application context for a test: settings of its own (a fresh file in a temporary folder, so
// no test sees what another saved), the start time now.
#include "settings/app_context.h"
#include "support/temp_folder.h"

namespace quorvex::testing {

class TestApp {
 public:
  TestApp() : context_(settings::AppOptions{"", folder_ / "Quorvex.ini"}) {}
  settings::WDSettings& Settings() { return context_.Settings(); }
  settings::AppContext& Context() { return context_; }

 private:
  TempFolder folder_;
  settings::AppContext context_;
};

}  // namespace quorvex::testing
