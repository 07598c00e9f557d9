#include "gui/shell/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/shell/gui_text.h"
#include "gui/shell/splash_screen.h"
#include "gui/shell/version.h"
#include "platform/string_ids.h"

namespace quorvex::gui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(Text(platform::ids::kAboutCaption));
  auto* layout = new QVBoxLayout(this);
  auto* picture = new QLabel;
  picture->setPixmap(SplashPicture());
  layout->addWidget(picture);
  layout->addWidget(new QLabel(VersionLine(true)));
  auto* credits = new QPlainTextEdit(Text(platform::ids::kAboutCredits));
  credits->setReadOnly(true);
  credits->setMaximumHeight(90);
  layout->addWidget(credits);
  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(Text(platform::ids::kOk), QDialogButtonBox::AcceptRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

}  // namespace quorvex::gui
