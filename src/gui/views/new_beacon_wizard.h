#pragma once
// The new-beacon wizard: a modal dialog that shows its pages one at a time under a caption of its own,
// with Back, Next (Finish on the last page) and Cancel. The catalog's three pages ask for the name, kind,
// unit and history keeping; the page address, whose title a fetch can take as the description; and the
// description. The pattern is not asked for: the new beacon opens on the tab where it is written.
//
// Leaving a page transfers its controls into its fields first; a page that refuses keeps the wizard on
// it. The title fetch belongs to the address page: it runs on a worker of its own, not listed with the
// fetch manager, and a page closed before the fetch ends gives the job up and never hears of it again.
// UI thread only.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdint>
#include <memory>
#include <string>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace quorvex::engine {
class Dispatcher;
class WDFetchJob;
enum class Notification : int32_t;
}  // namespace quorvex::engine
namespace quorvex::model {
class WDValue;
}

namespace quorvex::gui {

class CMainFrame;
class WDWizard;

// A beacon's name holds at most this many characters.
inline constexpr int kMaxBeaconNameLength = 45;
// What the address page's fetch extracts from the page: its title.
inline constexpr char kTitlePattern[] = "<title>{?}</title>";

// One page of a wizard.
class WizardPage : public QWidget {
  Q_OBJECT

 public:
  explicit WizardPage(WDWizard& wizard);
  // Each time the page becomes the active one.
  virtual void OnShow() {}
  // Transfers the controls into the fields; false keeps the wizard on the page.
  virtual bool Validate() { return true; }

 protected:
  WDWizard& m_wizard;
};

class WDWizard : public QDialog {
  Q_OBJECT

 public:
  // caption is shown when the dialog opens, until the first page is active.
  explicit WDWizard(const QString& caption, QWidget* parent = nullptr);

  // Appends page (the wizard takes it as a child) with the caption shown while it is active.
  void AddPage(const QString& title, WizardPage* page);
  // Leaves the active page (unless it refuses), shows page index and its title. False when it stayed.
  bool SetActivePage(int index);
  // The active page; -1 before the first is shown.
  int CurrentIndex() const { return m_nCurrent; }
  // Pages ask for the Next button as their fields allow.
  void EnableNext(bool enable);

  QPushButton* NextButton() const { return m_pNext; }
  QPushButton* BackButton() const { return m_pBack; }
  QPushButton* CancelButton() const { return m_pCancel; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnNext();
  void OnBack();
  bool IsLast(int index) const { return index == static_cast<int>(m_pages.size()) - 1; }

  QPushButton* m_pNext;
  QPushButton* m_pCancel;
  QPushButton* m_pBack;
  QStackedWidget* m_pStack;
  QVector<WizardPage*> m_pages;
  QStringList m_titles;
  int m_nCurrent = -1;
  QString m_strCaption;
};

// The first page: name, kind, measurement unit, keep history.
class WizardNamePage : public WizardPage {
  Q_OBJECT

 public:
  explicit WizardNamePage(WDWizard& wizard);
  void OnShow() override;
  bool Validate() override;

  // 0 text, 1 number, 2 page checksum.
  int m_nKind = 0;
  bool m_bKeepHistory = true;
  std::string m_strName;
  std::string m_strUnit;

 private:
  void UpdateControls();

  QButtonGroup* m_pKinds;
  QCheckBox* m_pKeepHistory;
  QLineEdit* m_pName;
  QLineEdit* m_pUnit;
};

// The last page: the description.
class WizardDescriptionPage : public WizardPage {
  Q_OBJECT

 public:
  // namePage tells the kind, which decides whether the pattern hint and help apply.
  WizardDescriptionPage(WDWizard& wizard, const WizardNamePage& namePage);
  void OnShow() override;
  bool Validate() override;
  // Puts text into the field and the control.
  void SetDescription(const std::string& text);

  std::string m_strDescription;

 private:
  const WizardNamePage& m_namePage;
  QPlainTextEdit* m_pDescription;
  QLabel* m_pHint;
  QPushButton* m_pHelp;
};

// The second page: the page address, and the fetch that proposes the page's title as the description.
class WizardAddressPage : public WizardPage {
  Q_OBJECT

 public:
  // Fetch notifications come through dispatcher; the title goes to describePage.
  WizardAddressPage(WDWizard& wizard, std::shared_ptr<engine::Dispatcher> dispatcher,
                    WizardDescriptionPage& describePage);
  // Gives a running fetch up.
  ~WizardAddressPage() override;
  void OnShow() override;
  bool Validate() override;
  // Whether a title fetch runs.
  bool IsFetching() const { return m_job != nullptr; }

  std::string m_strAddress;

 private:
  class Target;
  void UpdateControls();
  void StartFetch();
  void OnFetch(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job);

  std::shared_ptr<engine::Dispatcher> m_dispatcher;
  WizardDescriptionPage& m_describePage;
  std::shared_ptr<Target> m_target;
  std::shared_ptr<engine::WDFetchJob> m_job;
  QLineEdit* m_pAddress;
  QPushButton* m_pFetch;
  QLabel* m_pStatus;
};

// The answers of a finished new-beacon wizard.
struct NewBeaconAnswers {
  int kind = 0;  // 0 text, 1 number, 2 page checksum
  bool keepHistory = true;
  std::string name;
  std::string unit;
  std::string address;
  std::string description;
};

// The catalog's new-beacon wizard with its three pages, captioned "<2000>: <2001> 1:3" and so on.
class NewBeaconWizard : public WDWizard {
  Q_OBJECT

 public:
  NewBeaconWizard(std::shared_ptr<engine::Dispatcher> dispatcher, QWidget* parent = nullptr);
  // The pages' fields; read after the wizard was accepted.
  NewBeaconAnswers Answers() const;

 private:
  WizardNamePage* m_pNamePage;
  WizardDescriptionPage* m_pDescribePage;
  WizardAddressPage* m_pAddressPage;
};

// Makes the beacon of answers, files it in the folder selected in the catalog tree (the root without a
// tree), selects it, opens its control tab (page checksum) or link tab (the others), and marks the
// catalog modified. Returns the beacon.
model::WDValue* AddNewBeacon(CMainFrame& frame, const NewBeaconAnswers& answers);
// The new-beacon command: the wizard, then AddNewBeacon. False when it was cancelled.
bool RunNewBeaconWizard(CMainFrame& frame);

}  // namespace quorvex::gui
