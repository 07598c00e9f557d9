#include "gui/textview/text_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextCursor>
#include <memory>

#include "gui/shell/gui_text.h"
#include "gui/shell/main_frame.h"
#include "gui/textview/find_dialog.h"
#include "platform/command_ids.h"
#include "platform/string_ids.h"

namespace quorvex::gui {

namespace {

using namespace platform::cmd;

// The label of a command as the main menu shows it (the language file's menu), so the context menu
// reads the same; the tool tip text when the menu lacks it.
QString MenuLabel(CMainFrame& frame, uint16_t command) {
  const QList<QAction*>& actions = frame.Actions().Of(command);
  for (const QAction* action : actions) {
    if (!action->text().isEmpty()) return action->text();
  }
  return TipPart(command);
}

}  // namespace

WDTextView::WDTextView(CMainFrame& frame, QWidget* parent) : QPlainTextEdit(parent), m_frame(frame) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
}

WDTextView::~WDTextView() {
  delete m_pFindDialog.data();
}

bool WDTextView::FindText(const QString& text, bool backward, bool matchCase, bool wrap) {
  if (text.isEmpty()) return false;
  QTextDocument::FindFlags flags;
  if (backward) flags |= QTextDocument::FindBackward;
  if (matchCase) flags |= QTextDocument::FindCaseSensitively;
  QTextCursor found = document()->find(text, textCursor(), flags);
  if (found.isNull() && wrap) {
    QTextCursor from(document());
    if (backward) from.movePosition(QTextCursor::End);
    found = document()->find(text, from, flags);
  }
  if (found.isNull()) return false;
  setTextCursor(found);
  ensureCursorVisible();
  return true;
}

void WDTextView::ShowFindDialog() {
  if (!m_pFindDialog) m_pFindDialog = new FindDialog(*this);
  const QString selected = textCursor().selectedText();
  // A selection over several lines is no search text (it holds paragraph separators).
  if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator)) m_pFindDialog->SetText(selected);
  m_pFindDialog->show();
  m_pFindDialog->raise();
  m_pFindDialog->activateWindow();
}

void WDTextView::PrintTo(QPrinter* printer) const {
  // A copy, so that the printer's page size never re-lays out the text on the screen.
  std::unique_ptr<QTextDocument> copy(document()->clone());
  copy->setDefaultFont(font());
  copy->print(printer);
}

void WDTextView::Print() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(Text(platform::ids::kPrint).remove(QStringLiteral("...")));
  if (dialog.exec() == QDialog::Accepted) PrintTo(&printer);
}

void WDTextView::PrintPreview() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog preview(&printer, this);
  preview.setWindowTitle(Text(platform::ids::kPrintPreview).remove(QStringLiteral("...")));
  connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintTo(p); });
  preview.exec();
}

bool WDTextView::TakesCommand(uint16_t command) const {
  return command == kEditFind || command == kEditCopy || command == kEditCut || command == kEditPaste;
}

CommandState WDTextView::QueryCommand(uint16_t command) {
  const bool selection = textCursor().hasSelection();
  switch (command) {
    case kEditFind:
      return {HasText(), false};
    case kEditCopy:
      return {selection, false};
    case kEditCut:
      return {selection && !isReadOnly() && isEnabled(), false};
    case kEditPaste:
      return {canPaste() && !isReadOnly() && isEnabled(), false};
    default:
      return {};
  }
}

bool WDTextView::RunCommand(uint16_t command) {
  if (!QueryCommand(command).enabled) return false;
  switch (command) {
    case kEditFind:
      ShowFindDialog();
      return true;
    case kEditCopy:
      copy();
      return true;
    case kEditCut:
      cut();
      return true;
    case kEditPaste:
      paste();
      return true;
    default:
      return false;
  }
}

void WDTextView::keyReleaseEvent(QKeyEvent* event) {
  QPlainTextEdit::keyReleaseEvent(event);
  emit KeyReleased();
}

void WDTextView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  for (uint16_t command : {kEditCut, kEditCopy, kEditPaste}) {
    if (command != kEditCopy && isReadOnly()) continue;
    QAction* action = menu.addAction(MenuLabel(m_frame, command), this, [this, command] { RunCommand(command); });
    action->setEnabled(QueryCommand(command).enabled);
  }
  menu.addAction(Text(platform::ids::kSelectAll), this, &QPlainTextEdit::selectAll)->setEnabled(HasText());
  menu.addSeparator();
  menu.addAction(MenuLabel(m_frame, kEditFind), this, [this] { RunCommand(kEditFind); })->setEnabled(HasText());
  menu.addAction(Text(platform::ids::kPrint), this, &WDTextView::Print)->setEnabled(HasText());
  menu.addAction(Text(platform::ids::kPrintPreview), this, &WDTextView::PrintPreview)->setEnabled(HasText());
  AddContextEntries(menu);
  menu.exec(event->globalPos());
}

void WDTextView::AddContextEntries(QMenu& /*menu*/) {}

}  // namespace quorvex::gui
