#pragma once
// The About box: the splash picture, the version line and the credits.
#include <QDialog>

namespace quorvex::gui {

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace quorvex::gui
