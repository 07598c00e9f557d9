#include "gui/textview/beacon_view.h"

#include "gui/shell/gui_text.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/views/link_tab.h"
#include "gui/views/sample_chooser.h"
#include "model/history.h"
#include "model/history_record.h"
#include "model/value.h"

namespace quorvex::gui {

WDBeaconView::WDBeaconView(CMainFrame& frame, Role role, QWidget* parent) : WDTextView(frame, parent), m_role(role) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // The beacon tab's value reads as a text; the history pane follows its strip's wrap flag.
  setLineWrapMode(role == Role::HistoryValue ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
}

void WDBeaconView::SetDisplayFlags(bool showTags, bool wrap) {
  m_bShowTags = showTags;
  m_bWrap = wrap;
  if (m_role == Role::HistoryValue) setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  if (m_role != Role::TestValue) Load({}, false);
}

void WDBeaconView::SetValueText(const std::string& text) {
  // Display texts of samples come with CR LF line ends; the pane's lines need none.
  std::string lines = text;
  std::erase(lines, '\r');
  setPlainText(FromBytes(lines));
}

bool WDBeaconView::OnNotify(TabNotify code, const NotifyParam& param) {
  switch (code) {
    case TabNotify::Reload:
    case TabNotify::SelectionApplied:
      m_nChosen = -1;
      if (m_role == Role::TestValue) {
        clear();
      } else {
        Load(param, false);
      }
      return true;
    case TabNotify::Changed:
    case TabNotify::PageFetch:
    case TabNotify::FetchFailed:
      if (m_role == Role::TestValue || !IsOnActiveTab(this)) return false;
      Load(param, code == TabNotify::Changed && param.sender);
      return true;
    default:
      return false;
  }
}

void WDBeaconView::showEvent(QShowEvent* event) {
  WDTextView::showEvent(event);
  if (m_role != Role::TestValue) Load({}, false);
}

void WDBeaconView::Load(const NotifyParam& param, bool chosen) {
  const model::WDValue* beacon = CurrentBeacon(Frame());
  if (!beacon) {
    clear();
    return;
  }
  const model::WDHistory& history = beacon->GetHistory();
  if (chosen && m_role == Role::HistoryValue) {
    const auto* chooser = dynamic_cast<const SampleChooser*>(param.sender);
    const model::WDHistoryRecord* record = chooser ? chooser->GetSelectedRecord() : nullptr;
    m_nChosen = -1;
    for (int i = 0; record && i < history.GetCount(); ++i) {
      if (history.GetAt(i) == record) m_nChosen = i;
    }
  }
  const model::WDHistoryRecord* record = m_nChosen >= 0 ? history.GetAt(m_nChosen) : history.GetLast();
  if (!record) {
    clear();
    return;
  }
  SetValueText(m_role == Role::BeaconValue ? beacon->GetLastText(!m_bShowTags, 0) : record->GetText(!m_bShowTags, 0));
}

}  // namespace quorvex::gui
