#include "gui/textview/note_view.h"

#include "gui/shell/gui_text.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/views/tree_view.h"
#include "model/document_hooks.h"
#include "model/item.h"

namespace quorvex::gui {

WDNoteView::WDNoteView(CMainFrame& frame, QWidget* parent) : WDEditPane(frame, parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

bool WDNoteView::UpdatePane(bool save) {
  WDTreeView* tree = CatalogTree(Frame());
  model::WDItem* item = tree ? tree->GetCurrentItem() : nullptr;
  if (save) {
    if (!item || !document()->isModified()) return item != nullptr;
    const std::string note = ToBytes(toPlainText());
    if (note != item->GetDescription()) {
      item->SetDescription(note);
      model::MarkDocumentModified();
    }
    document()->setModified(false);
    return true;
  }
  setPlainText(item ? FromBytes(item->GetDescription()) : QString());
  setEnabled(item != nullptr);
  document()->setModified(false);
  return item != nullptr;
}

}  // namespace quorvex::gui
