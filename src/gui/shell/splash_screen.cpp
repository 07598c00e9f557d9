#include "gui/shell/splash_screen.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include "gui/shell/icons.h"
#include "gui/shell/version.h"

namespace quorvex::gui {
namespace {

constexpr QSize kPictureSize(400, 260);
// Where the version line stands on the picture.
constexpr QPoint kVersionAt(20, 210);
constexpr int kVersionPixels = 12;

}  // namespace

QPixmap SplashPicture() {
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(kPictureSize * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(QColor(0x1d, 0x2b, 0x3a));
  QSvgRenderer renderer(QString::fromLatin1(icon::kSplashPath));
  if (renderer.isValid()) {
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(kPictureSize)));
  }
  return pixmap;
}

WDSplash::WDSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(SplashPicture()) {
  setObjectName(QStringLiteral("Splash"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kPictureSize + QSize(2 * kFrame, 2 * kFrame));
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &QWidget::close);
  qApp->installEventFilter(this);
}

WDSplash::~WDSplash() {
  qApp->removeEventFilter(this);
}

void WDSplash::ShowCentred() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  show();
  timer_.start(kShowMs);
}

void WDSplash::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.drawPixmap(kFrame, kFrame, picture_);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(kVersionPixels);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(kVersionAt + QPoint(kFrame, kFrame), VersionLine(false));
}

bool WDSplash::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
      close();
      return true;
    default:
      return QWidget::eventFilter(watched, event);
  }
}

}  // namespace quorvex::gui
