#pragma once
// The control pane of a beacon (object 7, tab 4): monitoring on or off, the value type and its
// measurement unit, the refresh schedule, history keeping, and the list of alert events.
//
// Load and store follow PropertyPane. Immediate changes reach the beacon at once: monitoring, history
// keeping (with the type), alerts on or off, and adding, editing and deleting events. The type, the
// unit text and the schedule reach it at the next store (at the latest when the tree's selection
// changes). A period count that is not a whole number is refused with 61719 and nothing of that store
// is written. Enabling rules after a load: the unit text only for a number; the period count and its
// unit only with monitoring on and "once per run" off; "once per run" only with monitoring on; the
// alerts box only with events. Turning monitoring on enables the whole schedule until the next load.
// UI thread only.
#include <QString>
#include <cstdint>

#include "gui/views/property_pane.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quorvex::model {
class WDEventMessager;
}

namespace quorvex::gui {

class WDControlTab : public PropertyPane {
  Q_OBJECT

 public:
  explicit WDControlTab(CMainFrame& frame, QWidget* parent = nullptr);

  bool UpdatePane(bool save, const NotifyParam& param) override;

  // The row text of an event: 61504, the operator's symbol, the operand (61505 when empty), and the
  // message text (61503 when empty) in "  : <...>".
  static QString EventRow(const model::WDEventMessager& event);

  // Add (1041): a new event of the current beacon in the event editor; kept on OK.
  void AddEvent();
  // Double click or Enter on a row: the row's event in the event editor.
  void EditEventAt(int row);
  // Delete (1042): asks 61502, then removes the selected row's event.
  void DeleteEvent();

  // The controls, for tests.
  QComboBox* TypeList() const { return m_pType; }
  QLineEdit* UnitText() const { return m_pUnit; }
  QCheckBox* KeepHistoryBox() const { return m_pKeepHistory; }
  QCheckBox* MonitoringBox() const { return m_pMonitoring; }
  QCheckBox* AtStartBox() const { return m_pAtStart; }
  QLineEdit* PeriodCount() const { return m_pCount; }
  QComboBox* PeriodUnitList() const { return m_pPeriodUnit; }
  QCheckBox* AlertsBox() const { return m_pAlerts; }
  QListWidget* EventList() const { return m_pEvents; }
  QPushButton* AddButton() const { return m_pAdd; }
  QPushButton* DeleteButton() const { return m_pDelete; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Load();
  bool Store();
  void OnMonitoringClicked();
  void OnAtStartClicked();
  void OnKeepHistoryClicked();
  void OnAlertsClicked();
  void FollowSelection();

  QComboBox* m_pType;
  QLineEdit* m_pUnit;
  QCheckBox* m_pKeepHistory;
  QCheckBox* m_pMonitoring;
  QCheckBox* m_pAtStart;
  QLineEdit* m_pCount;
  QComboBox* m_pPeriodUnit;
  QCheckBox* m_pAlerts;
  QListWidget* m_pEvents;
  QPushButton* m_pAdd;
  QPushButton* m_pDelete;
};

}  // namespace quorvex::gui
