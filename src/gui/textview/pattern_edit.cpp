#include "gui/textview/pattern_edit.h"

#include <QTextCursor>

#include "gui/shell/gui_text.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/views/link_tab.h"
#include "gui/views/pattern_trial.h"
#include "model/document_hooks.h"
#include "model/value.h"
#include "platform/string_ids.h"

namespace quorvex::gui {

namespace {
// What a checksum beacon's pane shows: two line feeds, a tab and "(any change)".
const QString kChecksumIndent = QStringLiteral("\n\n\t");
}  // namespace

WDPatternEdit::WDPatternEdit(CMainFrame& frame, QWidget* parent) : WDEditPane(frame, parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  connect(this, &QPlainTextEdit::textChanged, this, [this] { UpdateTestButton(Frame()); });
  connect(this, &WDTextView::KeyReleased, this, [this] { UpdateTestButton(Frame()); });
}

bool WDPatternEdit::UpdatePane(bool save) {
  model::WDValue* beacon = CurrentBeacon(Frame());
  const bool checksum = beacon && beacon->GetKind() == model::kKindChecksum;
  if (save) {
    if (!beacon || checksum || !isEnabled()) return false;
    const std::string pattern = StoredPattern();
    if (pattern != beacon->GetPattern()) {
      beacon->SetPattern(pattern);
      model::MarkDocumentModified();
    }
    document()->setModified(false);
    return true;
  }
  {
    const QSignalBlocker quiet(this);
    if (!beacon) {
      clear();
    } else if (checksum) {
      setPlainText(kChecksumIndent + Text(platform::ids::kAnyChange));
    } else {
      setPlainText(FromBytes(beacon->GetPattern()));
    }
  }
  setEnabled(beacon && !checksum);
  document()->setModified(false);
  UpdateTestButton(Frame());
  return beacon != nullptr;
}

std::string WDPatternEdit::StoredPattern() const {
  return StoredPatternForm(ToBytes(toPlainText()));
}

void WDPatternEdit::SetPatternText(const std::string& pattern) {
  QTextCursor cursor(document());
  cursor.select(QTextCursor::Document);
  cursor.insertText(FromBytes(pattern));
  setTextCursor(cursor);
}

}  // namespace quorvex::gui
