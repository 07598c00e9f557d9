#pragma once
// The splash screen: our picture in a 5-pixel frame with the version line, centred. It closes after
// 1800 ms, or at the first key or mouse-button press anywhere in the program (that press is swallowed).
#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace quorvex::gui {

class WDSplash : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kShowMs = 1800;
  static constexpr int kFrame = 5;

  WDSplash();
  ~WDSplash() override;
  void ShowCentred();

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPixmap picture_;
  QTimer timer_;
};

// The splash picture, also shown by the About box.
QPixmap SplashPicture();

}  // namespace quorvex::gui
