#pragma once
// The application context for a test: settings from a settings folder of its own (so that what one
// test saves on its way out never reaches the next one in the same process), the start time now.
#include "settings/app_context.h"
#include "support/temp_folder.h"

namespace quorvex::testing {

class TestApp {
 public:
  settings::WDSettings& Settings() { return context_.Settings(); }
  settings::AppContext& Context() { return context_; }

 private:
  TempFolder config_folder_;
  ScopedEnv config_{"QUORVEX_CONFIG_DIR", config_folder_.Path()};
  settings::AppContext context_;
};

}  // namespace quorvex::testing
