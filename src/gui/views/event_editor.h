#pragma once
// The editor of one alert event: its condition (operator and operand), "alarm once", and its three
// actions (alert window, e-mail, programs) on tabs whose icons show which actions are on. It works
// on copies: the event changes only when the dialog ends with OK.
#include <QDialog>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace quorvex::model {
class WDEventMessager;
class WDValue;
}  // namespace quorvex::model

namespace quorvex::gui {

class WDEventEditor : public QDialog {
  Q_OBJECT

 public:
  // Shows a copy of event, an event of beacon (whose kind decides the operators).
  WDEventEditor(const model::WDEventMessager& event, const model::WDValue& beacon, QWidget* parent = nullptr);

  // Copies the controls into event (the parts the editor shows; the rest stays).
  void CopyOut(model::WDEventMessager& event) const;

  QComboBox* Operators() const { return m_pOperator; }
  QLineEdit* Operand() const { return m_pOperand; }
  QTabWidget* Pages() const { return m_pTabs; }
  QCheckBox* ActionBox(int page) const { return m_pEnabled[page]; }
  QLineEdit* MailField(int index) const { return m_pMail[index]; }
  QComboBox* MailCharset() const { return m_pCharset; }

  // The action pages.
  static constexpr int kMessagePage = 0;
  static constexpr int kMailPage = 1;
  static constexpr int kProgramsPage = 2;

 public Q_SLOTS:
  // OK: an empty operand is accepted only after the user confirms it.
  void accept() override;

 private:
  QWidget* MakeMessagePage(const model::WDEventMessager& event);
  QWidget* MakeMailPage(const model::WDEventMessager& event);
  QWidget* MakeProgramsPage(const model::WDEventMessager& event);
  // The enabled box of page governs the page's other controls and its tab icon.
  void ApplyEnabled(int page);

  QLineEdit* m_pOperand;
  QComboBox* m_pOperator;
  QCheckBox* m_pOnce;
  QTabWidget* m_pTabs;
  std::array<QCheckBox*, 3> m_pEnabled{};
  std::array<QList<QWidget*>, 3> m_governed;
  QPlainTextEdit* m_pMessage = nullptr;
  QCheckBox* m_pSound = nullptr;
  std::array<QLineEdit*, 4> m_pMail{};  // To, Cc, Bcc, subject
  QPlainTextEdit* m_pMailText = nullptr;
  QComboBox* m_pCharset = nullptr;
  std::array<QLineEdit*, 3> m_pProgram{};
  QCheckBox* m_pOpenPage = nullptr;
};

// Edits event of beacon in the editor; true when the user confirmed with OK (the event then holds the
// edit).
bool EditEvent(model::WDEventMessager& event, const model::WDValue& beacon, QWidget* parent);

}  // namespace quorvex::gui
