// The desktop program.
#include "gui/shell/wd_app.h"

int main(int argc, char** argv) {
  return quorvex::gui::RunApplication(argc, argv);
}
