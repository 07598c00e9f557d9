#pragma once
// The find dialog of a text pane: a text, next and previous, match case and wrap around. Not modal; it
// searches the view it was made for and tells in a line of its own when the text is not there.
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvex::gui {

class WDTextView;

class FindDialog : public QDialog {
  Q_OBJECT

 public:
  // Child objectNames: "findText", "matchCase", "wrapAround", "findNext", "findPrevious", "findStatus".
  explicit FindDialog(WDTextView& view);

  void SetText(const QString& text);
  // Searches once in the given direction with the dialog's options; false when nothing was found.
  bool Find(bool backward);

  QLineEdit* TextBox() const { return m_pText; }
  QCheckBox* MatchCaseBox() const { return m_pMatchCase; }
  QCheckBox* WrapBox() const { return m_pWrap; }
  QString Status() const;

 private:
  QPointer<WDTextView> m_pView;
  QLineEdit* m_pText;
  QCheckBox* m_pMatchCase;
  QCheckBox* m_pWrap;
  QPushButton* m_pNext;
  QPushButton* m_pPrevious;
  QLabel* m_pStatus;
};

}  // namespace quorvex::gui
