#include "gui/shell/alert_host.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include "gui/shell/gui_text.h"

namespace quorvex::gui {
namespace {

// Closes on a click anywhere, like the balloon it stands in for.
class AlertWindow : public QWidget {
 public:
  AlertWindow() : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("AlertWindow"));
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) close();
  }
};

QLabel* AddLabel(QVBoxLayout* layout, const QString& text, bool bold) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  layout->addWidget(label);
  return label;
}

}  // namespace

QtAlertWindows::QtAlertWindows() : previous_(platform::AlertWindows()) {
  platform::SetAlertWindows(this);
}

QtAlertWindows::~QtAlertWindows() {
  for (const QPointer<QWidget>& window : windows_) delete window.data();
  platform::SetAlertWindows(previous_);
}

int QtAlertWindows::CreateAlertWindow(const std::string& description, const std::string& text,
                                      const std::string& lastText, const std::string& name) {
  auto* window = new AlertWindow;
  auto* layout = new QVBoxLayout(window);
  AddLabel(layout, FromBytes(name), true);
  if (!description.empty()) AddLabel(layout, FromBytes(description), false);
  if (!text.empty()) AddLabel(layout, FromBytes(text), false);
  if (!lastText.empty()) AddLabel(layout, FromBytes(lastText), false);
  window->setMinimumWidth(240);
  window->setMaximumWidth(360);
  const int id = next_++;
  windows_.insert(id, window);
  window->adjustSize();
  // Cascade up from the bottom-right corner of the available area.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    const int step = 24 * static_cast<int>(CountOpenAlertWindows() - 1);
    window->move(area.right() - window->width() - 8 - step, area.bottom() - window->height() - 8 - step);
  }
  window->show();
  return id;
}

bool QtAlertWindows::IsAlertWindowOpen(int window) const {
  auto it = windows_.constFind(window);
  return it != windows_.constEnd() && !it->isNull();
}

void QtAlertWindows::DestroyAlertWindow(int window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  delete it->data();
  windows_.erase(it);
}

int QtAlertWindows::CountOpenAlertWindows() const {
  int open = 0;
  for (const QPointer<QWidget>& window : windows_) open += window.isNull() ? 0 : 1;
  return open;
}

void QtAlertWindows::Beep() {
  QApplication::beep();
}

void QtAlertWindows::AlertArrived() {
  if (onAlert_) onAlert_();
}

}  // namespace quorvex::gui
