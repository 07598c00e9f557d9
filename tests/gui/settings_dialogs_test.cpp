// The settings dialogs, page by page, through their real widgets: the Options sheet's rules and OK
// sequence, the Language page, the E-mail page's test message, the font dialog and the first start.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "engine/fetch_session.h"
#include "gui/shell/email_page.h"
#include "gui/shell/first_start.h"
#include "gui/shell/font_dialog.h"
#include "gui/shell/gui_text.h"
#include "gui/shell/language_page.h"
#include "gui/shell/options_sheet.h"
#include "gui/shell/qt_prompt.h"
#include "gui_test_support.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"
#include "support/scripted_smtp_server.h"

using namespace quorvex;
using namespace quorvex::gui;

namespace {

template <typename T>
T* Child(QWidget* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  if (!child) qFatal("no widget %s", name);
  return child;
}

void SetText(QWidget* sheet, const char* name, const QString& text) {
  QLineEdit* edit = Child<QLineEdit>(sheet, name);
  edit->clear();
  QTest::keyClicks(edit, text);
}

void ClickOk(QWidget* dialog) {
  QTest::mouseClick(Child<QPushButton>(dialog, "OkButton"), Qt::LeftButton);
}

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init();
  void cleanup();
  void InterfaceAndCommonPages();
  void ConnectionPage();
  void AutostartEntryFollowsTheTick();
  void LanguagePage();
  void EmailTestMessage();
  void FontDialog();
  void FirstStartShowsTheThreeDialogsInOrder();

 private:
  std::unique_ptr<test::TestHome> home_;
  std::unique_ptr<settings::AppContext> context_;
  std::unique_ptr<ScriptedPrompt> prompt_;
};

void SettingsDialogsTest::init() {
  home_ = std::make_unique<test::TestHome>();
  context_ = std::make_unique<settings::AppContext>();
  settings::WDSettings& s = context_->Settings();
  QCOMPARE(settings::LoadLanguage(s.WorkDirectory(), settings::kEnglishFileName), settings::LanguageResult::kOk);
  s.m_strLangFileName = settings::kEnglishFileName;
  prompt_ = std::make_unique<ScriptedPrompt>();
}

void SettingsDialogsTest::cleanup() {
  prompt_.reset();
  context_.reset();
  home_.reset();
}

void SettingsDialogsTest::InterfaceAndCommonPages() {
  settings::WDSettings& s = context_->Settings();
  s.m_nThreadsAtTheTime = 3;
  s.m_bAutoFreshing = 0;
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    auto* limit = Child<QRadioButton>(&sheet, "LimitPages");
    auto* edit = Child<QLineEdit>(&sheet, "PagesAtTheTime");
    auto* byHand = Child<QCheckBox>(&sheet, "RefreshByHand");
    QVERIFY(limit->isChecked() && edit->isEnabled() && byHand->isChecked());
    // Typing a number means refreshing by the schedule again.
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QStringLiteral("0"));
    QVERIFY(!byHand->isChecked());
    byHand->setChecked(true);
    Child<QRadioButton>(&sheet, "UnlimitedPages")->click();
    QVERIFY(!byHand->isChecked() && !edit->isEnabled());
    QCOMPARE(edit->text(), QStringLiteral("0"));
    limit->click();
    QVERIFY(edit->isEnabled());
    Child<QRadioButton>(&sheet, "UnlimitedPages")->click();
    Child<QCheckBox>(&sheet, "SoundEnable")->setChecked(false);
    ClickOk(&sheet);
    QCOMPARE(sheet.result(), int{QDialog::Accepted});
  }
  QCOMPARE(s.m_nThreadsAtTheTime, 0);
  QCOMPARE(s.m_bAutoFreshing, 1);
  QCOMPARE(s.m_bSoundEnable, 0);
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    QVERIFY(Child<QRadioButton>(&sheet, "UnlimitedPages")->isChecked());
    QVERIFY(!Child<QLineEdit>(&sheet, "PagesAtTheTime")->isEnabled());
    // Cancel changes nothing.
    Child<QCheckBox>(&sheet, "SoundEnable")->setChecked(true);
    QTest::mouseClick(Child<QPushButton>(&sheet, "CancelButton"), Qt::LeftButton);
  }
  QCOMPARE(s.m_bSoundEnable, 0);
  QVERIFY(prompt_->messages.empty());
}

void SettingsDialogsTest::ConnectionPage() {
  settings::WDSettings& s = context_->Settings();
  QVERIFY(engine::CreateSession(engine::SessionConfigFromSettings(s)));
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    QVERIFY(!Child<QLineEdit>(&sheet, "ProxyPort")->isEnabled());
    Child<QCheckBox>(&sheet, "ViaProxy")->click();
    QVERIFY(Child<QLineEdit>(&sheet, "ProxyPort")->isEnabled());
    Child<QCheckBox>(&sheet, "ViaProxy")->click();
    QVERIFY(!Child<QLineEdit>(&sheet, "ProxyServer")->isEnabled());

    SetText(&sheet, "TimeOut", QStringLiteral("41"));
    ClickOk(&sheet);
    SetText(&sheet, "TimeOut", QStringLiteral("40"));
    SetText(&sheet, "Retries", QStringLiteral("two"));
    ClickOk(&sheet);
    QVERIFY(sheet.isVisible());
    QCOMPARE(sheet.Pages()->currentWidget()->objectName(), QStringLiteral("ConnectionPage"));
    QCOMPARE(prompt_->messages,
             (std::vector<std::string>{"Please enter an integer between 1 and 40.", "Please enter an integer."}));
    SetText(&sheet, "Retries", QStringLiteral("10"));
    ClickOk(&sheet);
    QVERIFY(!sheet.isVisible());
  }
  QCOMPARE(s.m_nTimeOut, 40);
  QCOMPARE(s.m_nRetries, 10);

  // Only the proxy settings make a new session.
  const auto before = engine::CurrentSession();
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    SetText(&sheet, "Email", QStringLiteral("me@example.org"));
    ClickOk(&sheet);
  }
  QCOMPARE(s.m_strEmail, std::string("me@example.org"));
  QVERIFY(engine::CurrentSession() == before);
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    Child<QCheckBox>(&sheet, "ViaProxy")->setChecked(true);
    ClickOk(&sheet);
  }
  const auto proxied = engine::CurrentSession();
  QVERIFY(proxied && proxied != before && proxied->ViaProxy());
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    SetText(&sheet, "ProxyPort", QStringLiteral("3128"));
    ClickOk(&sheet);
  }
  QVERIFY(engine::CurrentSession() != proxied);
  QCOMPARE(engine::CurrentSession()->ProxyPort(), uint16_t{3128});
}

void SettingsDialogsTest::AutostartEntryFollowsTheTick() {
  settings::WDSettings& s = context_->Settings();
  const QString entry = QString::fromStdString(settings::WDSettings::AutostartEntryPath());
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    QVERIFY(!Child<QCheckBox>(&sheet, "StartWithSession")->isChecked());
    Child<QCheckBox>(&sheet, "StartWithSession")->setChecked(true);
    ClickOk(&sheet);
  }
  QVERIFY(QFile::exists(entry));
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    QVERIFY(Child<QCheckBox>(&sheet, "StartWithSession")->isChecked());
    Child<QCheckBox>(&sheet, "StartWithSession")->setChecked(false);
    ClickOk(&sheet);
  }
  QVERIFY(!QFile::exists(entry));
  QVERIFY(prompt_->messages.empty());

  // Without the template the entry cannot be made: said, and the other settings still apply.
  s.m_strWorkDir = home_->PathBytes(QStringLiteral("empty"));
  {
    COptionsSheet sheet(s, true);
    sheet.show();
    Child<QCheckBox>(&sheet, "StartWithSession")->setChecked(true);
    Child<QCheckBox>(&sheet, "SavePrompt")->setChecked(true);
    ClickOk(&sheet);
  }
  QCOMPARE(prompt_->messages.size(), size_t{1});
  QVERIFY(prompt_->messages[0].find("Quorvex Agent.desktop") != std::string::npos);
  QCOMPARE(s.m_bSavePrompt, 1);
}

void SettingsDialogsTest::LanguagePage() {
  settings::WDSettings& s = context_->Settings();
  auto pick = [](QWidget* sheet, const QString& file) {
    auto* list = Child<QListWidget>(sheet, "LanguageList");
    const auto found = list->findItems(QStringLiteral("[%1]").arg(file), Qt::MatchEndsWith);
    QCOMPARE(found.size(), 1);
    list->setCurrentItem(found.front());
  };
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    QCOMPARE(Child<QLabel>(&sheet, "CurrentLanguage")->text(), QStringLiteral("Current language: English"));
    pick(&sheet, QStringLiteral("russian.lng"));  // asked, answered No: stays English
    pick(&sheet, QStringLiteral("english.lng"));  // the same again: not asked
    QCOMPARE(prompt_->questions.size(), size_t{1});
    ClickOk(&sheet);
  }
  QCOMPARE(s.m_strLangFileName, std::string("english.lng"));
  QVERIFY(prompt_->messages.empty());
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    prompt_->SetNextAnswer(true);
    pick(&sheet, QStringLiteral("russian.lng"));
    std::string file, display;
    QVERIFY(settings::ParseLanguageEntry(ToBytes(Child<QListWidget>(&sheet, "LanguageList")->currentItem()->text()),
                                         file, display));
    QCOMPARE(Child<QLabel>(&sheet, "CurrentLanguage")->text(),
             Text(platform::ids::kCurrentLanguage) + FromBytes(display));
    ClickOk(&sheet);
  }
  QCOMPARE(s.m_strLangFileName, std::string("russian.lng"));
  QCOMPARE(prompt_->messages, std::vector<std::string>{platform::GetString(platform::ids::kMsgNextStart)});
  QVERIFY(!COptionsSheet(s, true).findChild<QListWidget*>(QStringLiteral("LanguageList")));

  // No language file to fall back on: said, and the sheets do not open.
  s.m_strWorkDir = home_->PathBytes(QStringLiteral("empty"));
  QVERIFY(!EditOptions(s, false));
  QVERIFY(!SelectLanguage(s));
  QCOMPARE(prompt_->messages.back(), std::string(settings::kNoEnglishMessage));
  QCOMPARE(prompt_->messages.size(), size_t{3});
}

void SettingsDialogsTest::EmailTestMessage() {
  settings::WDSettings& s = context_->Settings();
  testing::SmtpScript script;
  testing::LoopbackServer server(testing::SmtpDialogue(script));
  COptionsSheet sheet(s, false);
  sheet.show();
  SetText(&sheet, "Email", QStringLiteral("watcher@example.org"));
  SetText(&sheet, "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(server.Port()));
  auto* send = Child<QPushButton>(&sheet, "SendTestMail");
  QSignalSpy finished(Child<WDSetEmail>(&sheet, "EmailPage"), &WDSetEmail::TestFinished);
  send->click();
  QVERIFY(!send->isEnabled());
  QVERIFY(finished.wait(15000));
  QCOMPARE(finished.front().front().toBool(), true);
  QVERIFY(send->isEnabled());
  const std::string received = server.Received();
  QVERIFY(received.find("RCPT TO: <watcher@example.org>") != std::string::npos);
  QVERIFY(received.find("This is a test message of the alert e-mail.") != std::string::npos);
  QCOMPARE(prompt_->messages.size(), size_t{1});
  QVERIFY(prompt_->messages[0].find(platform::GetString(platform::ids::kMsgMailSent)) != std::string::npos);
  // Only what was entered is used: the settings change with OK, not with the test.
  QVERIFY(s.m_strEmail.empty());

  // A refusing server's reply is shown; closing the sheet while a test runs drops its result.
  testing::SmtpScript refusing;
  refusing.mail = "550 sender refused\r\n";
  testing::LoopbackServer refuser(testing::SmtpDialogue(refusing));
  SetText(&sheet, "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(refuser.Port()));
  send->click();
  QVERIFY(finished.wait(15000));
  QCOMPARE(finished.back().front().toBool(), false);
  QVERIFY(prompt_->messages.back().find("550") != std::string::npos);
  {
    testing::LoopbackServer slow(testing::SmtpDialogue(script));
    auto closing = std::make_unique<COptionsSheet>(s, false);
    closing->show();
    SetText(closing.get(), "Email", QStringLiteral("watcher@example.org"));
    SetText(closing.get(), "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(slow.Port()));
    Child<QPushButton>(closing.get(), "SendTestMail")->click();
    closing.reset();
    slow.Received();
    QTest::qWait(200);
  }
  QCOMPARE(prompt_->messages.size(), size_t{2});
}

void SettingsDialogsTest::FontDialog() {
  settings::WDSettings& s = context_->Settings();
  CFontDialog dialog(s, true);
  dialog.show();
  QCOMPARE(dialog.windowTitle(), QStringLiteral("Display fonts"));
  auto* slotList = Child<QListWidget>(&dialog, "FontSlots");
  QCOMPARE(slotList->count(), 4);
  QCOMPARE(slotList->item(3)->text(), QStringLiteral("Notes"));
  QCOMPARE(slotList->currentRow(), 0);
  // A face not installed here stays as stored while other values change.
  auto* size = Child<QLineEdit>(&dialog, "FontSize");
  QCOMPARE(size->text(), QStringLiteral("22"));
  SetText(&dialog, "FontSize", QStringLiteral("30"));
  Q_EMIT size->editingFinished();
  QCOMPARE(s.m_Font1.lfHeight, 30);

  // Style value 7001: weight 700, italic.
  slotList->setCurrentRow(2);
  auto* face = Child<QComboBox>(&dialog, "FontFace");
  auto* style = Child<QComboBox>(&dialog, "FontStyle");
  int found = -1;
  for (int i = 0; i < face->count() && found < 0; ++i) {
    face->setCurrentIndex(i);
    found = style->findData(StyleValue(700, true));
  }
  if (found < 0) QSKIP("no bold italic face on this system");
  style->setCurrentIndex(found);
  QCOMPARE(s.m_Font3.lfWeight, 700);
  QCOMPARE(int{s.m_Font3.lfItalic}, 255);
  QCOMPARE(QString::fromStdString(s.m_Font3.FaceName()), face->currentText());

  QTest::mouseClick(Child<QPushButton>(&dialog, "FontResetAll"), Qt::LeftButton);
  for (int n = 1; n <= 4; ++n) QVERIFY(s.Font(n) == settings::LogFont::Default(n));
  QCOMPARE(slotList->currentRow(), 2);
}

void SettingsDialogsTest::FirstStartShowsTheThreeDialogsInOrder() {
  settings::WDSettings& s = context_->Settings();
  QVERIFY(!context_->SettingsComplete());
  s.m_strLangFileName.clear();
  s.m_Font2.lfHeight = 99;
  QStringList shown;
  QTimer answerer;
  connect(&answerer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || (!shown.isEmpty() && shown.back() == modal->objectName())) return;
    shown.append(modal->objectName());
    if (modal->objectName() == QStringLiteral("OptionsSheet")) {
      QVERIFY(!modal->findChild<QWidget*>(QStringLiteral("LanguagePage")));
      Child<QCheckBox>(modal, "HideAllMessages")->setChecked(true);
    }
    QMetaObject::invokeMethod(modal, "accept", Qt::QueuedConnection);
  });
  answerer.start(20);
  QVERIFY(RunFirstStart(s));
  QCOMPARE(shown, (QStringList{QStringLiteral("LanguageSelection"), QStringLiteral("OptionsSheet"),
                               QStringLiteral("FontDialog")}));
  QCOMPARE(s.m_strLangFileName, std::string("english.lng"));
  QCOMPARE(s.m_bHideAllMessages, 1);
  QVERIFY(s.m_Font2 == settings::LogFont::Default(2));
}

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
