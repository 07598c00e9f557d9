#pragma once
// The address strip at the top of the link tab (object 14): the page's character set, the page
// address with a drop-down list of the addresses fetched here (each once), and three buttons: open the
// page in the browser (1008), find in the page source (1021), help on search patterns (1136).
//
// Confirming an address (Enter in the box, or choosing an entry of its list) fetches the page into the
// source pane. Choosing a character set sets the beacon's at once and shows the source again under it.
// Pane protocol (view_notify.h): 1229, 1231, 1233 store (the beacon moves to the page of the typed
// address, and takes the character set); 1230, 1232 load; 1226, 1227, 1234 load while the tab is shown
// and the address box is not being edited. The frame's Copy, Cut and Paste act on the address box
// while it has the focus. UI thread only.
#include <QWidget>
#include <cstdint>

#include "gui/views/command_target.h"
#include "gui/views/view_notify.h"

class QComboBox;
class QToolButton;

namespace quorvex::gui {

class CMainFrame;

// Control ids of the strip.
inline constexpr int kIdAddressBox = 1011;
inline constexpr int kIdCharsetList = 1028;
inline constexpr int kIdOpenPage = 1008;
inline constexpr int kIdFindInSource = 1021;
inline constexpr int kIdPatternHelp = 1136;

class WDLEAddress : public QWidget, public NotifyReceiver, public CommandTarget {
  Q_OBJECT

 public:
  // frame must outlive the strip. Child objectNames: "charsetList", "addressBox", "openPage",
  // "findInSource", "patternHelp".
  explicit WDLEAddress(CMainFrame& frame, QWidget* parent = nullptr);

  bool UpdatePane(bool save);
  bool OnNotify(TabNotify code, const NotifyParam& param) override;

  // What confirming the address does: adds it to the list (once) and fetches it into the source pane.
  // False when nothing was fetched.
  bool ConfirmAddress();
  // What choosing a character set does.
  void ChooseCharset(int32_t charset);
  int32_t SelectedCharset() const;

  QComboBox* AddressBox() const { return m_pAddress; }
  QComboBox* CharsetList() const { return m_pCharset; }
  QToolButton* OpenPageButton() const { return m_pOpen; }

  bool TakesCommand(uint16_t command) const override;
  CommandState QueryCommand(uint16_t command) override;
  bool RunCommand(uint16_t command) override;

 private:
  std::string TypedAddress() const;
  void UpdateButtons();

  CMainFrame& m_frame;
  QComboBox* m_pCharset;
  QComboBox* m_pAddress;
  QToolButton* m_pOpen;
  QToolButton* m_pFind;
  QToolButton* m_pHelp;
};

}  // namespace quorvex::gui
