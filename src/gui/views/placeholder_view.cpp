#include "gui/views/placeholder_view.h"

#include <QPainter>

#include "gui/views/view_ids.h"

namespace quorvex::gui {

PlaceholderView::PlaceholderView(int objectId, QWidget* parent) : QWidget(parent), m_nObjectId(objectId) {
  setObjectName(QStringLiteral("view%1").arg(objectId));
  setProperty(view_ids::kObjectIdProperty, objectId);
}

bool PlaceholderView::OnNotify(TabNotify code, const NotifyParam& param) {
  m_lastCode = code;
  m_lastParam = param;
  ++m_nNotifyCount;
  return true;
}

void PlaceholderView::paintEvent(QPaintEvent* /*event*/) {
  // A shade off the window colour, so that the panes of a layout can be told apart.
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window).darker(104));
}

}  // namespace quorvex::gui
