#include "gui/views/new_beacon_wizard.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <utility>

#include "engine/dispatcher.h"
#include "engine/fetch_job.h"
#include "engine/fetch_worker.h"
#include "engine/qvx_doc.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/main_frame.h"
#include "gui/views/tree_view.h"
#include "model/group.h"
#include "model/value.h"
#include "platform/command_ids.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/open_target.h"
#include "text/pattern_matcher.h"
#include "text/url.h"

namespace quorvex::gui {
namespace {

namespace ids = platform::ids;

// The picture at the wizard's left.
constexpr int kPictureSize = 64;
// The pages' area, so that no page changes the dialog's size.
constexpr int kPageWidth = 380;
constexpr int kPageHeight = 220;
// The pattern help, under the work folder.
constexpr char kPatternHelpFile[] = "help/bcn_fmt.htm";

QLabel* WrappedLabel(const QString& text) {
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  return label;
}

}  // namespace

WizardPage::WizardPage(WDWizard& wizard) : m_wizard(wizard) {}

// ---- WDWizard

WDWizard::WDWizard(const QString& caption, QWidget* parent)
    : QDialog(parent),
      m_pNext(new QPushButton(Text(ids::kWizardFinish))),
      m_pCancel(new QPushButton(Text(ids::kCancel))),
      m_pBack(new QPushButton(Text(ids::kWizardBack))),
      m_pStack(new QStackedWidget),
      m_strCaption(caption) {
  setObjectName(QStringLiteral("Wizard"));
  setWindowTitle(caption);
  setWindowIcon(Icon(QString::fromLatin1(icon::kApp)));
  m_pNext->setObjectName(QStringLiteral("Next"));
  m_pCancel->setObjectName(QStringLiteral("Cancel"));
  m_pBack->setObjectName(QStringLiteral("Back"));
  m_pBack->setEnabled(false);
  m_pNext->setDefault(true);
  m_pStack->setMinimumSize(kPageWidth, kPageHeight);

  auto* picture = new QLabel;
  picture->setPixmap(Icon(QString::fromLatin1(icon::kNewBeacon)).pixmap(kPictureSize, kPictureSize));
  picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  picture->setContentsMargins(4, 8, 12, 0);
  auto* top = new QHBoxLayout;
  top->addWidget(picture);
  top->addWidget(m_pStack, 1);

  auto* rule = new QFrame;
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(m_pBack);
  buttons->addWidget(m_pNext);
  buttons->addSpacing(8);
  buttons->addWidget(m_pCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(rule);
  layout->addLayout(buttons);

  connect(m_pNext, &QPushButton::clicked, this, &WDWizard::OnNext);
  connect(m_pBack, &QPushButton::clicked, this, &WDWizard::OnBack);
  connect(m_pCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void WDWizard::AddPage(const QString& title, WizardPage* page) {
  m_pages.push_back(page);
  m_titles.push_back(title);
  m_pStack->addWidget(page);
  // Tab goes through the page first, then to the buttons (the end of the dialog's focus chain).
  QWidget* last = previousInFocusChain();
  if (last != m_pCancel) {
    setTabOrder(last, m_pBack);
    setTabOrder(m_pBack, m_pNext);
    setTabOrder(m_pNext, m_pCancel);
  }
  m_pNext->setText(Text(m_pages.size() < 2 ? ids::kWizardFinish : ids::kWizardNext));
}

void WDWizard::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_nCurrent < 0 && !m_pages.isEmpty()) SetActivePage(0);
}

bool WDWizard::SetActivePage(int index) {
  if (index < 0 || index >= m_pages.size()) return false;
  if (m_nCurrent >= 0 && !m_pages[m_nCurrent]->Validate()) return false;
  m_nCurrent = index;
  m_pStack->setCurrentWidget(m_pages[index]);
  setWindowTitle(m_titles[index]);
  m_pages[index]->OnShow();
  return true;
}

void WDWizard::EnableNext(bool enable) {
  m_pNext->setEnabled(enable);
}

void WDWizard::OnNext() {
  if (m_nCurrent < 0) return;
  if (IsLast(m_nCurrent)) {
    for (WizardPage* page : m_pages) {
      if (!page->Validate()) return;
    }
    accept();
    return;
  }
  if (!SetActivePage(m_nCurrent + 1)) return;
  if (IsLast(m_nCurrent)) m_pNext->setText(Text(ids::kWizardFinish));
  m_pBack->setEnabled(true);
}

void WDWizard::OnBack() {
  if (m_nCurrent <= 0) return;
  const bool wasLast = IsLast(m_nCurrent);
  if (!SetActivePage(m_nCurrent - 1)) return;
  if (wasLast) m_pNext->setText(Text(ids::kWizardNext));
  if (m_nCurrent == 0) m_pBack->setEnabled(false);
}

// ---- page 1

WizardNamePage::WizardNamePage(WDWizard& wizard)
    : WizardPage(wizard),
      m_pKinds(new QButtonGroup(this)),
      m_pKeepHistory(new QCheckBox(Text(ids::kKeepHistory))),
      m_pName(new QLineEdit),
      m_pUnit(new QLineEdit) {
  m_pName->setObjectName(QStringLiteral("Name"));
  m_pName->setMaxLength(kMaxBeaconNameLength);
  m_pUnit->setObjectName(QStringLiteral("Unit"));
  m_pKeepHistory->setObjectName(QStringLiteral("KeepHistory"));
  m_pKeepHistory->setChecked(m_bKeepHistory);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(Text(ids::kWizardName)));
  layout->addWidget(m_pName);
  layout->addSpacing(6);
  layout->addWidget(new QLabel(Text(ids::kWizardKind)));
  int kind = 0;
  for (uint16_t id : {ids::kKindText, ids::kKindNumber, ids::kKindChecksum}) {
    auto* radio = new QRadioButton(Text(id));
    radio->setObjectName(QStringLiteral("Kind%1").arg(kind));
    m_pKinds->addButton(radio, kind++);
    layout->addWidget(radio);
  }
  m_pKinds->button(m_nKind)->setChecked(true);
  auto* unitRow = new QHBoxLayout;
  auto* unitLabel = new QLabel(Text(ids::kUnitLabel));
  unitLabel->setBuddy(m_pUnit);
  unitRow->addWidget(unitLabel);
  unitRow->addWidget(m_pUnit, 1);
  layout->addLayout(unitRow);
  layout->addSpacing(6);
  layout->addWidget(m_pKeepHistory);
  layout->addStretch(1);

  connect(m_pName, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
  connect(m_pKinds, &QButtonGroup::idClicked, this, [this] { UpdateControls(); });
}

void WizardNamePage::UpdateControls() {
  m_pUnit->setEnabled(m_pKinds->checkedId() == 1);
  m_wizard.EnableNext(!m_pName->text().isEmpty());
}

void WizardNamePage::OnShow() {
  UpdateControls();
  m_pName->setFocus();
}

bool WizardNamePage::Validate() {
  if (m_pName->text().size() > kMaxBeaconNameLength) {
    m_pName->setFocus();
    return false;
  }
  m_strName = ToBytes(m_pName->text());
  m_strUnit = ToBytes(m_pUnit->text());
  m_nKind = m_pKinds->checkedId();
  m_bKeepHistory = m_pKeepHistory->isChecked();
  return true;
}

// ---- page 3

WizardDescriptionPage::WizardDescriptionPage(WDWizard& wizard, const WizardNamePage& namePage)
    : WizardPage(wizard),
      m_namePage(namePage),
      m_pDescription(new QPlainTextEdit),
      m_pHint(WrappedLabel(Text(ids::kWizardPatternHint))),
      m_pHelp(new QPushButton(Text(ids::kWizardPatternHelp))) {
  m_pDescription->setObjectName(QStringLiteral("Description"));
  m_pDescription->setTabChangesFocus(true);
  m_pHint->setObjectName(QStringLiteral("PatternHint"));
  m_pHelp->setObjectName(QStringLiteral("PatternHelp"));
  m_pHelp->setAutoDefault(false);

  auto* heading = new QLabel(Text(ids::kWizardDescribeHeading));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  auto* helpRow = new QHBoxLayout;
  helpRow->addWidget(m_pHint, 1);
  helpRow->addWidget(m_pHelp, 0, Qt::AlignTop);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(heading);
  layout->addSpacing(4);
  layout->addWidget(new QLabel(Text(ids::kWizardDescription)));
  layout->addWidget(m_pDescription, 1);
  layout->addLayout(helpRow);

  connect(m_pHelp, &QPushButton::clicked, this, [] {
    if (const settings::WDSettings* s = settings::GetSettings()) {
      settings::OpenTarget(platform::JoinPath(s->WorkDirectory(), kPatternHelpFile));
    }
  });
}

void WizardDescriptionPage::OnShow() {
  // A page checksum needs no pattern.
  const bool checksum = m_namePage.m_nKind == 2;
  m_pHint->setText(checksum ? QString() : Text(ids::kWizardPatternHint));
  m_pHelp->setEnabled(!checksum);
  m_wizard.EnableNext(true);
  m_pDescription->setFocus();
}

bool WizardDescriptionPage::Validate() {
  m_strDescription = ToBytes(m_pDescription->toPlainText());
  return true;
}

void WizardDescriptionPage::SetDescription(const std::string& text) {
  m_strDescription = text;
  m_pDescription->setPlainText(FromBytes(text));
}

// ---- page 2

// Hands the worker's notifications to the page while it exists.
class WizardAddressPage::Target : public engine::FetchTarget {
 public:
  explicit Target(WizardAddressPage* page) : m_page(page) {}
  void OnFetchNotification(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job) override {
    if (m_page) m_page->OnFetch(code, job);
  }

 private:
  QPointer<WizardAddressPage> m_page;
};

WizardAddressPage::WizardAddressPage(WDWizard& wizard, std::shared_ptr<engine::Dispatcher> dispatcher,
                                     WizardDescriptionPage& describePage)
    : WizardPage(wizard),
      m_dispatcher(std::move(dispatcher)),
      m_describePage(describePage),
      m_target(std::make_shared<Target>(this)),
      m_pAddress(new QLineEdit),
      m_pFetch(new QPushButton(Text(ids::kWizardFetch))),
      m_pStatus(WrappedLabel(Text(ids::kWizardFetchHint))) {
  m_pAddress->setObjectName(QStringLiteral("Address"));
  m_pFetch->setObjectName(QStringLiteral("Fetch"));
  m_pFetch->setEnabled(false);
  m_pFetch->setAutoDefault(false);
  m_pStatus->setObjectName(QStringLiteral("FetchStatus"));

  auto* fetchRow = new QHBoxLayout;
  fetchRow->addWidget(m_pStatus, 1);
  fetchRow->addWidget(m_pFetch, 0, Qt::AlignTop);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(Text(ids::kWizardAddress)));
  layout->addWidget(m_pAddress);
  layout->addSpacing(6);
  layout->addLayout(fetchRow);
  layout->addStretch(1);

  connect(m_pAddress, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
  connect(m_pFetch, &QPushButton::clicked, this, [this] { StartFetch(); });
}

WizardAddressPage::~WizardAddressPage() {
  // Ends the worker's fetch soon; its notification would find no target anyway.
  if (m_job) m_job->GiveUp(engine::FetchResultStopped);
}

void WizardAddressPage::UpdateControls() {
  // While the title is fetched the address stays as it is and nothing else starts.
  const bool ready = !m_job && !m_pAddress->text().isEmpty();
  m_wizard.EnableNext(ready);
  m_pFetch->setEnabled(ready);
}

void WizardAddressPage::OnShow() {
  UpdateControls();
  m_pAddress->setFocus();
}

bool WizardAddressPage::Validate() {
  m_strAddress = ToBytes(m_pAddress->text().trimmed());
  return true;
}

void WizardAddressPage::StartFetch() {
  m_wizard.EnableNext(false);
  const std::string address = ToBytes(m_pAddress->text().trimmed());
  text::ParsedUrl parsed;
  if (!text::ParseUrl(address, parsed)) {
    m_pStatus->setText(Text(ids::kMsgBadAddress));
    return;
  }
  engine::SetStopFlag(false);
  auto job = std::make_shared<engine::WDFetchJob>(address, m_target);
  if (!engine::StartWorker(job, m_dispatcher)) {
    m_pStatus->setText(Text(ids::kWizardFetchFailed));
    UpdateControls();
    return;
  }
  m_job = std::move(job);
  m_pStatus->setText(Text(ids::kMsgFetching));
  m_pFetch->setEnabled(false);
  m_pAddress->setEnabled(false);
}

void WizardAddressPage::OnFetch(engine::Notification code, const std::shared_ptr<engine::WDFetchJob>& job) {
  if (code != engine::Notification::FetchFinished || !job || job != m_job) return;
  m_job.reset();
  if (job->Result() != engine::FetchResultOk) {
    m_pStatus->setText(Text(ids::kWizardFetchFailed));
  } else {
    m_pStatus->setText(Text(ids::kWizardFetchDone));
    text::WDPatternMatcher matcher(job->Text().c_str(), job->Text().size(), kTitlePattern);
    matcher.Extract();
    m_describePage.SetDescription(matcher.GetValue());
  }
  m_pAddress->setEnabled(true);
  if (isVisible()) {
    UpdateControls();
    // Disabling the address during the fetch sent the focus on to the buttons.
    m_pAddress->setFocus();
  } else {
    m_pFetch->setEnabled(!m_pAddress->text().isEmpty());
  }
}

// ---- the catalog's wizard

NewBeaconWizard::NewBeaconWizard(std::shared_ptr<engine::Dispatcher> dispatcher, QWidget* parent)
    : WDWizard(Text(ids::kWizardTitle) + QStringLiteral(": ") + Text(ids::kWizardStep) + QStringLiteral(" 1:3"),
               parent),
      m_pNamePage(new WizardNamePage(*this)),
      m_pDescribePage(new WizardDescriptionPage(*this, *m_pNamePage)),
      m_pAddressPage(new WizardAddressPage(*this, std::move(dispatcher), *m_pDescribePage)) {
  const QString prefix = Text(ids::kWizardTitle) + QStringLiteral(": ") + Text(ids::kWizardStep) + QLatin1Char(' ');
  AddPage(prefix + QStringLiteral("1:3"), m_pNamePage);
  AddPage(prefix + QStringLiteral("2:3"), m_pAddressPage);
  AddPage(prefix + QStringLiteral("3:3"), m_pDescribePage);
}

NewBeaconAnswers NewBeaconWizard::Answers() const {
  NewBeaconAnswers answers;
  answers.kind = m_pNamePage->m_nKind;
  answers.keepHistory = m_pNamePage->m_bKeepHistory;
  answers.name = m_pNamePage->m_strName;
  answers.unit = m_pNamePage->m_strUnit;
  answers.address = m_pAddressPage->m_strAddress;
  answers.description = m_pDescribePage->m_strDescription;
  return answers;
}

model::WDValue* AddNewBeacon(CMainFrame& frame, const NewBeaconAnswers& answers) {
  engine::WDQvxDoc& doc = frame.Document();
  model::WDValue* value = doc.NewBeacon();
  // The kind first: it decides whether the unit is kept.
  value->SetKind(static_cast<uint16_t>(answers.kind + model::kKindText));
  value->SetProperties(answers.name, answers.address, {}, answers.description, answers.unit);
  value->GetHistory().SetKeepAll(answers.keepHistory ? 1 : 0);
  WDTreeView* tree = CatalogTree(frame);
  if (tree && tree->InsertNewItem(value, tree->GetSelectedFolder())) {
    tree->SelectItem(value);
    using namespace platform::cmd;
    tree->DoCommand(value, value->GetKind() == model::kKindChecksum ? kShowControl : kShowLink, false);
  } else if (model::WDGroup* root = doc.GetRoot()) {
    root->AddChild(value);
  }
  doc.SetModifiedFlag(true);
  return value;
}

bool RunNewBeaconWizard(CMainFrame& frame) {
  NewBeaconWizard wizard(frame.Document().GetDispatcher(), &frame);
  if (wizard.exec() != QDialog::Accepted) return false;
  AddNewBeacon(frame, wizard.Answers());
  return true;
}

}  // namespace quorvex::gui
