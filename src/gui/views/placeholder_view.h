#pragma once
// A stand-in for a view that is not built yet: an empty pane that takes part in the notification
// protocol and remembers what it was told, so that the layout can be tried and tested before the
// real views exist.
#include <QWidget>
#include <optional>

#include "gui/views/view_notify.h"

namespace quorvex::gui {

class PlaceholderView : public QWidget, public NotifyReceiver {
  Q_OBJECT

 public:
  // objectName becomes "view<objectId>"; the id is also kept in view_ids::kObjectIdProperty.
  explicit PlaceholderView(int objectId, QWidget* parent = nullptr);

  int ObjectId() const { return m_nObjectId; }

  // Records the notification; always true.
  bool OnNotify(TabNotify code, const NotifyParam& param) override;

  // The last notification (none before the first) and how many arrived. The item pointer of the
  // remembered parameter is only an identity: it may dangle.
  std::optional<TabNotify> LastCode() const { return m_lastCode; }
  const NotifyParam& LastParam() const { return m_lastParam; }
  int NotifyCount() const { return m_nNotifyCount; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int m_nObjectId;
  std::optional<TabNotify> m_lastCode;
  NotifyParam m_lastParam;
  int m_nNotifyCount = 0;
};

}  // namespace quorvex::gui
