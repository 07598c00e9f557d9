#pragma once
// The text panes of the main window (page source, value, note, pattern) share this view: a plain text
// editor that takes the find command (57636) and the clipboard commands of the menus when it has the
// focus, offers them with printing in its context menu, and reports key releases (the link tab enables
// its test button on them). UI thread only.
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextDocument>
#include <cstdint>

#include "gui/textview/find_dialog.h"
#include "gui/views/command_target.h"

class QPrinter;

namespace quorvex::gui {

class CMainFrame;

class WDTextView : public QPlainTextEdit, public CommandTarget {
  Q_OBJECT

 public:
  // frame must outlive the view.
  explicit WDTextView(CMainFrame& frame, QWidget* parent = nullptr);
  ~WDTextView() override;

  CMainFrame& Frame() const { return m_frame; }
  bool HasText() const { return !document()->isEmpty(); }

  // Looks for text from the cursor (forward: after the selection; backward: before it) and selects
  // the match. With wrap the search goes on from the other end. False, and the selection unchanged,
  // when there is no match.
  bool FindText(const QString& text, bool backward, bool matchCase, bool wrap);
  // Shows the find dialog (one per view, not modal), filled with the selected text.
  void ShowFindDialog();
  FindDialog* GetFindDialog() const { return m_pFindDialog; }

  // Prints the whole text on printer, with the view's font.
  void PrintTo(QPrinter* printer) const;
  // The print dialog, then printing; the preview window. Both modal.
  void Print();
  void PrintPreview();

  // CommandTarget: find always; copy with a selection; cut and paste unless read-only.
  bool TakesCommand(uint16_t command) const override;
  CommandState QueryCommand(uint16_t command) override;
  bool RunCommand(uint16_t command) override;

 signals:
  void KeyReleased();

 protected:
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Adds the view's own entries to its context menu (after the common ones).
  virtual void AddContextEntries(QMenu& menu);

 private:
  CMainFrame& m_frame;
  QPointer<FindDialog> m_pFindDialog;
};

}  // namespace quorvex::gui
