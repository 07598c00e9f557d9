#pragma once
// The tool strip of the history tabs (objects 9 and 12): clear the history (asks 61461), export it,
// and two display toggles for the history views beside it, shown for text and checksum beacons only.
//
// The strip holds the two display flags; a toggle flips one, says so (DisplayFlagsChanged), and
// sends 1226 (no parameter) to the views of the tab window, which show the sample again with
// the flags. Load and store (PropertyPane) only show or hide the toggles. UI thread only.
#include "gui/views/property_pane.h"

class QToolButton;

namespace quorvex::gui {

class WDHistControl : public PropertyPane {
  Q_OBJECT

 public:
  // The commands of the toggles: 116 flips the second flag (wrap), 117 the first (tags).
  static constexpr int kToggleWrap = 116;
  static constexpr int kToggleTags = 117;

  explicit WDHistControl(CMainFrame& frame, QWidget* parent = nullptr);

  bool UpdatePane(bool save, const NotifyParam& param) override;

  // Asks 61461, then empties the current beacon's history.
  void ClearHistory();
  // The tree's export-history command for the current beacon.
  void ExportHistory();
  // Opens the Changes window of the beacon's page.
  void ShowChanges();
  // Flips the flag of a toggle command (kToggleWrap, kToggleTags) and tells the views.
  void OnToggle(int command);

  // The display flags: HTML tags shown (first flag), long lines wrapped (second flag).
  bool ShowTags() const { return m_nShowTags != 0; }
  bool WrapLines() const { return m_nWrap != 0; }

  QToolButton* ClearButton() const { return m_pClear; }
  QToolButton* ExportButton() const { return m_pExport; }
  QToolButton* WrapButton() const { return m_pWrap; }
  QToolButton* TagsButton() const { return m_pTags; }

 Q_SIGNALS:
  void DisplayFlagsChanged(bool showTags, bool wrap);

 private:
  int m_nShowTags = 0;
  int m_nWrap = 0;
  QToolButton* m_pClear;
  QToolButton* m_pExport;
  QToolButton* m_pChanges;
  QToolButton* m_pWrap;
  QToolButton* m_pTags;
};

}  // namespace quorvex::gui
