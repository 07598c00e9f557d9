#include "gui/shell/wd_app.h"

#include <QApplication>

namespace quorvex::gui {

int RunApplication(int argc, char** argv) {
  QApplication app(argc, argv);
  return 0;
}

}  // namespace quorvex::gui
