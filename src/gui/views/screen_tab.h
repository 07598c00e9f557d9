#pragma once
// The screen pane over a beacon's value (objects 2 and 4, the upper pane of tabs 1 and 2): the
// beacon's name, its newest value, the change from the sample before (numbers), and the time of the
// newest sample with the beacon's state, in the four display fonts of the settings (names, values,
// texts, notes; font dialog). It edits nothing: PropertyPane's loads show the current beacon again,
// with the fonts as the settings hold them then, and stores do nothing. UI thread only.
#include "gui/views/property_pane.h"

class QLabel;

namespace quorvex::gui {

class WDScreenTab : public PropertyPane {
  Q_OBJECT

 public:
  explicit WDScreenTab(CMainFrame& frame, QWidget* parent = nullptr);

  bool UpdatePane(bool save, const NotifyParam& param) override;

  QLabel* NameLabel() const { return m_pName; }
  QLabel* ValueLabel() const { return m_pValue; }
  QLabel* ChangeLabel() const { return m_pChange; }
  QLabel* TimeLabel() const { return m_pTime; }

 private:
  QLabel* m_pName;
  QLabel* m_pValue;
  QLabel* m_pChange;
  QLabel* m_pTime;
};

}  // namespace quorvex::gui
