#pragma once
// The application object: reads the command line, hands a container over to a running instance, shows
// the splash screen and creates the main frame with the catalog document.

namespace quorvex::gui {

// The desktop program's main: returns the process exit status.
int RunApplication(int argc, char** argv);

}  // namespace quorvex::gui
