#pragma once
// The alert window that an event's message action opens: a frameless balloon of our own drawing with
// the beacon's name as its title, the condition that held, the user's message, the beacon's newest
// value and, when alerts tell changes, the first line the page's newest change added. Its pointer
// aims at the notification area in the bottom-right corner.
//
// A left click closes it; the top kDragHeight pixels drag it; the right button shows the language
// file's alert menu, whose commands the window's owner (QtAlertWindows) carries out.
#include <QPainterPath>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/alert_windows.h"

class QMenu;

namespace quorvex::gui {

// The texts of an alert window, wrapped and cut as the window shows them.
struct AlertLayout {
  QString title;  // the name, at most kTitleChars
  QStringList description;
  QStringList message;
  QStringList lastText;
  QString change;
  int lastTextHeight = 0;  // min(lines, kMaxLastLines) x kLineHeight + 22

  static constexpr int kTitleChars = 35;
  static constexpr int kMaxLines = 100;
  static constexpr int kMaxLastLines = 15;
  static constexpr int kLineHeight = 14;
  static AlertLayout From(const platform::AlertWindowContent& content);
};

class AlertBalloon : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kDragHeight = 29;
  static constexpr int kWidth = 260;

  explicit AlertBalloon(const platform::AlertWindowContent& content);

  const AlertLayout& Layout() const { return m_layout; }
  // The menu shown on the right button; the chosen command goes to onCommand.
  QMenu* m_pMenu = nullptr;
  std::function<void(QMenu&)> m_onMenuShow;
  std::function<void(uint16_t command)> m_onCommand;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPainterPath Outline() const;
  int ContentHeight() const;

  AlertLayout m_layout;
  bool m_bTranslucent;
  bool m_bDragged = false;
};

}  // namespace quorvex::gui
