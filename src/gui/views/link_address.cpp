#include "gui/views/link_address.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "gui/shell/gui_text.h"
#include "gui/shell/icons.h"
#include "gui/shell/main_frame.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/textview/source_view.h"
#include "gui/views/link_tab.h"
#include "model/document_hooks.h"
#include "model/value.h"
#include "platform/command_ids.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "settings/app_context.h"
#include "settings/open_target.h"
#include "settings/settings.h"
#include "text/code_page.h"

namespace quorvex::gui {

using namespace platform::cmd;
using namespace platform::ids;

namespace {

// The strip's buttons are square, as high as the strip allows.
constexpr int kButtonSize = 27;
// The help page on search patterns, below the program folder.
constexpr char kPatternHelpPage[] = "help/bcn_fmt.htm";

QToolButton* MakeButton(QWidget* parent, const char* name, const char* icon, const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(Icon(QString::fromLatin1(icon)));
  button->setToolTip(tip);
  button->setFixedSize(kButtonSize, kButtonSize);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

WDLEAddress::WDLEAddress(CMainFrame& frame, QWidget* parent)
    : QWidget(parent),
      m_frame(frame),
      m_pCharset(new QComboBox(this)),
      m_pAddress(new QComboBox(this)),
      m_pOpen(MakeButton(this, "openPage", icon::kLink, Text(kOpenPageTip))),
      m_pFind(MakeButton(this, "findInSource", icon::kFind, Text(kFindInSourceTip))),
      m_pHelp(MakeButton(this, "patternHelp", icon::kHelp, Text(kPatternHelpTip))) {
  m_pCharset->setObjectName(QStringLiteral("charsetList"));
  m_pCharset->setToolTip(Text(kCharsetTip));
  for (int32_t charset = 0; charset < text::kCharsetCount; ++charset) {
    m_pCharset->addItem(QString::fromLatin1(text::CodePageLabel(charset).data()));
  }
  m_pAddress->setObjectName(QStringLiteral("addressBox"));
  m_pAddress->setEditable(true);
  m_pAddress->setInsertPolicy(QComboBox::NoInsert);
  m_pAddress->setToolTip(Text(kAddressTip));
  m_pAddress->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(2, 1, 2, 1);
  layout->setSpacing(3);
  layout->addWidget(m_pCharset);
  layout->addWidget(m_pAddress, 1);
  layout->addWidget(m_pOpen);
  layout->addWidget(m_pFind);
  layout->addWidget(m_pHelp);

  connect(m_pAddress->lineEdit(), &QLineEdit::returnPressed, this, &WDLEAddress::ConfirmAddress);
  connect(m_pAddress, &QComboBox::activated, this, [this] { ConfirmAddress(); });
  connect(m_pAddress, &QComboBox::editTextChanged, this, &WDLEAddress::UpdateButtons);
  connect(m_pCharset, &QComboBox::activated, this, [this](int index) { ChooseCharset(index); });
  connect(m_pOpen, &QToolButton::clicked, this, [this] {
    const std::string url = TypedAddress();
    if (!url.empty()) settings::OpenTarget(url);
  });
  connect(m_pFind, &QToolButton::clicked, this, [this] {
    if (WDSourceView* source = FindLinkPanes(m_frame).source) {
      source->setFocus();
      source->RunCommand(kEditFind);
    }
  });
  connect(m_pHelp, &QToolButton::clicked, this, [this] {
    settings::OpenTarget(platform::JoinPath(m_frame.App().Settings().WorkDirectory(), kPatternHelpPage));
  });
  UpdateButtons();
}

std::string WDLEAddress::TypedAddress() const {
  return ToBytes(m_pAddress->currentText().trimmed());
}

void WDLEAddress::UpdateButtons() {
  m_pOpen->setEnabled(!TypedAddress().empty());
}

int32_t WDLEAddress::SelectedCharset() const {
  return std::max(0, m_pCharset->currentIndex());
}

bool WDLEAddress::UpdatePane(bool save) {
  model::WDValue* beacon = CurrentBeacon(m_frame);
  if (save) {
    if (!beacon) return false;
    const std::string url = TypedAddress();
    if (!url.empty() && url != beacon->GetURL()) beacon->AttachToPage(url);
    if (SelectedCharset() != beacon->GetCharset()) {
      beacon->SetCharset(SelectedCharset());
      model::MarkDocumentModified();
    }
    return true;
  }
  setEnabled(beacon != nullptr);
  m_pAddress->setEditText(beacon ? FromBytes(beacon->GetURL()) : QString());
  m_pCharset->setCurrentIndex(beacon ? std::clamp(beacon->GetCharset(), 0, text::kCharsetCount - 1) : 0);
  UpdateButtons();
  return beacon != nullptr;
}

bool WDLEAddress::OnNotify(TabNotify code, const NotifyParam& /*param*/) {
  // An address being typed is never replaced by a reload.
  return FollowPaneStep(code, IsOnActiveTab(this) && !m_pAddress->hasFocus(),
                        [this](bool save) { return UpdatePane(save); });
}

bool WDLEAddress::ConfirmAddress() {
  const QString typed = m_pAddress->currentText().trimmed();
  WDSourceView* source = FindLinkPanes(m_frame).source;
  if (typed.isEmpty() || !source) return false;
  if (!source->StartFetch(ToBytes(typed))) return false;
  if (m_pAddress->findText(typed) < 0) m_pAddress->addItem(typed);
  m_pAddress->setEditText(typed);
  UpdateTestButton(m_frame);
  return true;
}

void WDLEAddress::ChooseCharset(int32_t charset) {
  m_pCharset->setCurrentIndex(charset);
  if (model::WDValue* beacon = CurrentBeacon(m_frame); beacon && beacon->GetCharset() != charset) {
    beacon->SetCharset(charset);
    model::MarkDocumentModified();
  }
  if (WDSourceView* source = FindLinkPanes(m_frame).source) {
    source->SetCharset(charset);
    source->setFocus();
  }
}

bool WDLEAddress::TakesCommand(uint16_t command) const {
  return command == kEditCopy || command == kEditCut || command == kEditPaste;
}

CommandState WDLEAddress::QueryCommand(uint16_t command) {
  const QLineEdit* edit = m_pAddress->lineEdit();
  switch (command) {
    case kEditCopy:
    case kEditCut:
      return {edit->hasSelectedText(), false};
    case kEditPaste:
      return {isEnabled(), false};
    default:
      return {};
  }
}

bool WDLEAddress::RunCommand(uint16_t command) {
  if (!QueryCommand(command).enabled) return false;
  QLineEdit* edit = m_pAddress->lineEdit();
  if (command == kEditCopy) edit->copy();
  if (command == kEditCut) edit->cut();
  if (command == kEditPaste) edit->paste();
  return true;
}

}  // namespace quorvex::gui
