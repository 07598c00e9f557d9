#include "gui/shell/language_page.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/shell/gui_text.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "platform/user_prompt.h"
#include "settings/language_folder.h"
#include "settings/settings.h"

namespace quorvex::gui {

CLanguagePage::CLanguagePage(const std::string& selectedName, const std::string& workDir, bool firstStart,
                             QWidget* parent)
    : QWidget(parent), selected_(selectedName), firstStart_(firstStart) {
  setObjectName(QStringLiteral("LanguagePage"));
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget;
  list_->setObjectName(QStringLiteral("LanguageList"));
  current_ = new QLabel;
  current_->setObjectName(QStringLiteral("CurrentLanguage"));
  layout->addWidget(list_);
  layout->addWidget(current_);

  const settings::LanguageScan scan = settings::ScanLanguageFolder(workDir, selectedName);
  for (const settings::LanguageChoice& choice : scan.files) list_->addItem(FromBytes(choice.listText));
  if (scan.selectedFound) {
    current_->setText(Text(platform::ids::kCurrentLanguage) + FromBytes(scan.selectedDisplayName));
  }
  selected_ = scan.selectedName;
  usable_ = !selected_.empty();
  SelectRowOf(selected_);
  // English taken in place of a missing choice is named too, so the label never hides what OK stores.
  std::string file, display;
  if (!scan.selectedFound && list_->currentItem() &&
      settings::ParseLanguageEntry(ToBytes(list_->currentItem()->text()), file, display)) {
    current_->setText(Prefix() + FromBytes(display));
  }
  connect(list_, &QListWidget::itemSelectionChanged, this, &CLanguagePage::OnSelectionChanged);
}

void CLanguagePage::SelectRowOf(const std::string& fileName) {
  const QSignalBlocker block(list_);
  list_->clearSelection();
  for (int row = 0; row < list_->count(); ++row) {
    std::string file, display;
    if (settings::ParseLanguageEntry(ToBytes(list_->item(row)->text()), file, display) &&
        QString::fromStdString(file).compare(QString::fromStdString(fileName), Qt::CaseInsensitive) == 0) {
      list_->setCurrentRow(row);
      return;
    }
  }
}

QString CLanguagePage::Prefix() const {
  return firstStart_ ? QString::fromLatin1(settings::kFirstStartPrefix) : Text(platform::ids::kCurrentLanguage);
}

void CLanguagePage::OnSelectionChanged() {
  const QList<QListWidgetItem*> items = list_->selectedItems();
  if (items.isEmpty()) return;
  std::string file, display;
  if (!settings::ParseLanguageEntry(ToBytes(items.front()->text()), file, display)) return;
  if (file == selected_) return;
  if (!firstStart_ && !platform::Prompt().AskYesNo(platform::GetString(platform::ids::kAskChangeLanguage),
                                                   platform::PromptIcon::Stop)) {
    // The list keeps showing what stays chosen.
    SelectRowOf(selected_);
    return;
  }
  current_->setText(Prefix() + FromBytes(display));
  selected_ = file;
}

bool SelectLanguage(settings::WDSettings& s, QWidget* parent) {
  QDialog sheet(parent);
  sheet.setObjectName(QStringLiteral("LanguageSelection"));
  sheet.setWindowTitle(QString::fromLatin1(kLanguageSelectionTitle));
  auto* layout = new QVBoxLayout(&sheet);
  auto* tabs = new QTabWidget;
  auto* page = new CLanguagePage(s.m_strLangFileName, s.WorkDirectory(), true);
  tabs->addTab(page, QString::fromLatin1(kLanguagePageCaption));
  layout->addWidget(tabs);
  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(Text(platform::ids::kOk), QDialogButtonBox::AcceptRole);
  buttons->addButton(Text(platform::ids::kCancel), QDialogButtonBox::RejectRole);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
  layout->addWidget(buttons);
  ok->setDefault(true);
  if (!page->Usable()) {
    platform::Prompt().ShowMessage(settings::kNoEnglishMessage, platform::PromptIcon::Stop);
    return false;
  }
  if (sheet.exec() != QDialog::Accepted) return false;
  s.m_strLangFileName = page->SelectedName();
  return true;
}

}  // namespace quorvex::gui
