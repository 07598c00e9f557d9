#pragma once
// The application context for a test: settings from the test's isolated home, the start time now.
#include "settings/app_context.h"

namespace quorvex::testing {

class TestApp {
 public:
  settings::WDSettings& Settings() { return context_.Settings(); }
  settings::AppContext& Context() { return context_; }

 private:
  settings::AppContext context_;
};

}  // namespace quorvex::testing
