// The settings dialogs, page by page, through their real widgets: the Options sheet's rules and OK
// sequence, the Language page, the E-mail page's test message, the font dialog and the first start.
#include "engine/fetch_session.h"
#include "gui/shell/email_page.h"
#include "gui/shell/first_start.h"
#include "gui/shell/font_dialog.h"
#include "gui/shell/language_page.h"
#include "gui/shell/options_sheet.h"
#include "gui_test_support.h"
#include "platform/string_table.h"
#include "support/scripted_smtp_server.h"

using namespace quorvex;
using namespace quorvex::gui;
using test::Find;

namespace {

void SetText(const QWidget& dialog, const char* name, const QString& text) {
  QLineEdit* edit = Find<QLineEdit>(dialog, name);
  edit->clear();
  QTest::keyClicks(edit, text);
}

void ClickOk(const QWidget& dialog) {
  QTest::mouseClick(Find<QPushButton>(dialog, "OkButton"), Qt::LeftButton);
}

// Opens the Options sheet, lets edit work on it and clicks OK; whether OK closed it.
bool RunSheet(settings::WDSettings& s, const std::function<void(COptionsSheet&)>& edit) {
  COptionsSheet sheet(s, false);
  sheet.show();
  edit(sheet);
  ClickOk(sheet);
  return sheet.result() == QDialog::Accepted && !sheet.isVisible();
}

// English texts and scripted answers in a private home; the sound on, as stored by default.
struct Dialogs : test::FrameFixture {
  Dialogs() {
    s.m_strLangFileName = settings::kEnglishFileName;
    s.m_bSoundEnable = 1;
  }
  settings::WDSettings& s = context.Settings();
};

}  // namespace

class SettingsDialogsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void OptionsSheetPages();
  void EmailTestMessage();
  void FirstStartAndFontDialog();
};

void SettingsDialogsTest::OptionsSheetPages() {
  Dialogs d;
  settings::WDSettings& s = d.s;
  s.m_nThreadsAtTheTime = 3;
  s.m_bAutoFreshing = 0;
  QVERIFY(RunSheet(s, [](COptionsSheet& sheet) {
    auto* limit = Find<QRadioButton>(sheet, "LimitPages");
    auto* edit = Find<QLineEdit>(sheet, "PagesAtTheTime");
    auto* byHand = Find<QCheckBox>(sheet, "RefreshByHand");
    QVERIFY(limit->isChecked() && edit->isEnabled() && byHand->isChecked());
    // Typing a number means refreshing by the schedule again.
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClicks(edit, QStringLiteral("0"));
    QVERIFY(!byHand->isChecked());
    byHand->setChecked(true);
    Find<QRadioButton>(sheet, "UnlimitedPages")->click();
    QVERIFY(!byHand->isChecked() && !edit->isEnabled());
    QCOMPARE(edit->text(), QStringLiteral("0"));
    limit->click();
    QVERIFY(edit->isEnabled());
    Find<QRadioButton>(sheet, "UnlimitedPages")->click();
    Find<QCheckBox>(sheet, "SoundEnable")->setChecked(false);
  }));
  QCOMPARE(s.m_nThreadsAtTheTime, 0);
  QCOMPARE(s.m_bAutoFreshing, 1);
  QCOMPARE(s.m_bSoundEnable, 0);
  {
    COptionsSheet sheet(s, false);
    sheet.show();
    QVERIFY(Find<QRadioButton>(sheet, "UnlimitedPages")->isChecked());
    QVERIFY(!Find<QLineEdit>(sheet, "PagesAtTheTime")->isEnabled());
    // Cancel changes nothing.
    Find<QCheckBox>(sheet, "SoundEnable")->setChecked(true);
    QTest::mouseClick(Find<QPushButton>(sheet, "CancelButton"), Qt::LeftButton);
  }
  QCOMPARE(s.m_bSoundEnable, 0);

  // The autostart entry follows the tick both ways.
  const QString entry = QString::fromStdString(settings::WDSettings::AutostartEntryPath());
  for (const bool start : {true, false}) {
    QVERIFY(RunSheet(s, [start](COptionsSheet& sheet) {
      QCOMPARE(Find<QCheckBox>(sheet, "StartWithSession")->isChecked(), !start);
      Find<QCheckBox>(sheet, "StartWithSession")->setChecked(start);
    }));
    QCOMPARE(QFile::exists(entry), start);
  }
  QVERIFY(d.prompt.messages.empty());

  // The connection page: the proxy fields follow the tick; values out of range or not numbers keep
  // the sheet open on their page.
  QVERIFY(engine::CreateSession(engine::SessionConfigFromSettings(s)));
  QVERIFY(RunSheet(s, [&d](COptionsSheet& sheet) {
    QVERIFY(!Find<QLineEdit>(sheet, "ProxyPort")->isEnabled());
    Find<QCheckBox>(sheet, "ViaProxy")->click();
    QVERIFY(Find<QLineEdit>(sheet, "ProxyPort")->isEnabled());
    Find<QCheckBox>(sheet, "ViaProxy")->click();
    QVERIFY(!Find<QLineEdit>(sheet, "ProxyServer")->isEnabled());

    SetText(sheet, "TimeOut", QStringLiteral("41"));
    ClickOk(sheet);
    SetText(sheet, "TimeOut", QStringLiteral("40"));
    SetText(sheet, "Retries", QStringLiteral("two"));
    ClickOk(sheet);
    QVERIFY(sheet.isVisible());
    QCOMPARE(sheet.Pages()->currentWidget()->objectName(), QStringLiteral("ConnectionPage"));
    QCOMPARE(d.prompt.messages,
             (std::vector<std::string>{"Please enter an integer between 1 and 40.", "Please enter an integer."}));
    SetText(sheet, "Retries", QStringLiteral("10"));
  }));
  QCOMPARE(s.m_nTimeOut, 40);
  QCOMPARE(s.m_nRetries, 10);

  // Only the proxy settings make a new session.
  const auto before = engine::CurrentSession();
  QVERIFY(RunSheet(s, [](COptionsSheet& sheet) { SetText(sheet, "Email", QStringLiteral("me@example.org")); }));
  QCOMPARE(s.m_strEmail, std::string("me@example.org"));
  QVERIFY(engine::CurrentSession() == before);
  QVERIFY(RunSheet(s, [](COptionsSheet& sheet) { Find<QCheckBox>(sheet, "ViaProxy")->setChecked(true); }));
  const auto proxied = engine::CurrentSession();
  QVERIFY(proxied && proxied != before && proxied->ViaProxy());
  QVERIFY(RunSheet(s, [](COptionsSheet& sheet) { SetText(sheet, "ProxyPort", QStringLiteral("3128")); }));
  QVERIFY(engine::CurrentSession() != proxied);
  QCOMPARE(engine::CurrentSession()->ProxyPort(), uint16_t{3128});

  // The language page asks before it changes the language, which takes effect at the next start.
  d.prompt.messages.clear();
  auto pick = [](COptionsSheet& sheet, const QString& file) {
    auto* list = Find<QListWidget>(sheet, "LanguageList");
    const auto found = list->findItems(QStringLiteral("[%1]").arg(file), Qt::MatchEndsWith);
    QCOMPARE(found.size(), 1);
    list->setCurrentItem(found.front());
  };
  QVERIFY(RunSheet(s, [&](COptionsSheet& sheet) {
    QCOMPARE(Find<QLabel>(sheet, "CurrentLanguage")->text(), QStringLiteral("Current language: English"));
    pick(sheet, QStringLiteral("russian.lng"));  // asked, answered No: stays English
    pick(sheet, QStringLiteral("english.lng"));  // the same again: not asked
    QCOMPARE(d.prompt.questions.size(), size_t{1});
  }));
  QCOMPARE(s.m_strLangFileName, std::string("english.lng"));
  QVERIFY(d.prompt.messages.empty());
  QVERIFY(RunSheet(s, [&](COptionsSheet& sheet) {
    d.prompt.SetNextAnswer(true);
    pick(sheet, QStringLiteral("russian.lng"));
    std::string file, display;
    QVERIFY(settings::ParseLanguageEntry(ToBytes(Find<QListWidget>(sheet, "LanguageList")->currentItem()->text()), file,
                                         display));
    QCOMPARE(Find<QLabel>(sheet, "CurrentLanguage")->text(),
             Text(platform::ids::kCurrentLanguage) + FromBytes(display));
  }));
  QCOMPARE(s.m_strLangFileName, std::string("russian.lng"));
  QCOMPARE(d.prompt.messages, std::vector<std::string>{platform::GetString(platform::ids::kMsgNextStart)});
  QVERIFY(!COptionsSheet(s, true).findChild<QListWidget*>(QStringLiteral("LanguageList")));

  // No language file to fall back on: said, and the sheets do not open.
  s.m_strWorkDir = d.home.PathBytes(QStringLiteral("empty"));
  QVERIFY(!EditOptions(s, false));
  QVERIFY(!SelectLanguage(s));
  QCOMPARE(d.prompt.messages.back(), std::string(settings::kNoEnglishMessage));
  QCOMPARE(d.prompt.messages.size(), size_t{3});

  // Without the template the entry cannot be made: said, and the other settings still apply.
  COptionsSheet first(s, true);
  first.show();
  Find<QCheckBox>(first, "StartWithSession")->setChecked(true);
  Find<QCheckBox>(first, "SavePrompt")->setChecked(true);
  ClickOk(first);
  QCOMPARE(d.prompt.messages.size(), size_t{4});
  QVERIFY(d.prompt.messages.back().find("Quorvex Agent.desktop") != std::string::npos);
  QCOMPARE(s.m_bSavePrompt, 1);
}

void SettingsDialogsTest::EmailTestMessage() {
  Dialogs d;
  testing::SmtpScript script;
  testing::LoopbackServer server(testing::SmtpDialogue(script));
  COptionsSheet sheet(d.s, false);
  sheet.show();
  SetText(sheet, "Email", QStringLiteral("watcher@example.org"));
  SetText(sheet, "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(server.Port()));
  auto* send = Find<QPushButton>(sheet, "SendTestMail");
  QSignalSpy finished(Find<WDSetEmail>(sheet, "EmailPage"), &WDSetEmail::TestFinished);
  send->click();
  QVERIFY(!send->isEnabled());
  QVERIFY(finished.wait(15000));
  QCOMPARE(finished.front().front().toBool(), true);
  QVERIFY(send->isEnabled());
  const std::string received = server.Received();
  QVERIFY(received.find("RCPT TO: <watcher@example.org>") != std::string::npos);
  QVERIFY(received.find("This is a test message of the alert e-mail.") != std::string::npos);
  QCOMPARE(d.prompt.messages.size(), size_t{1});
  QVERIFY(d.prompt.messages[0].find(platform::GetString(platform::ids::kMsgMailSent)) != std::string::npos);
  // Only what was entered is used: the settings change with OK, not with the test.
  QVERIFY(d.s.m_strEmail.empty());

  // A refusing server's reply is shown; closing the sheet while a test runs drops its result.
  testing::SmtpScript refusing;
  refusing.mail = "550 sender refused\r\n";
  testing::LoopbackServer refuser(testing::SmtpDialogue(refusing));
  SetText(sheet, "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(refuser.Port()));
  send->click();
  QVERIFY(finished.wait(15000));
  QCOMPARE(finished.back().front().toBool(), false);
  QVERIFY(d.prompt.messages.back().find("550") != std::string::npos);
  {
    testing::LoopbackServer slow(testing::SmtpDialogue(script));
    auto closing = std::make_unique<COptionsSheet>(d.s, false);
    closing->show();
    SetText(*closing, "Email", QStringLiteral("watcher@example.org"));
    SetText(*closing, "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(slow.Port()));
    Find<QPushButton>(*closing, "SendTestMail")->click();
    closing.reset();
    slow.Received();
    QTest::qWait(200);
  }
  QCOMPARE(d.prompt.messages.size(), size_t{2});
}

void SettingsDialogsTest::FirstStartAndFontDialog() {
  Dialogs d;
  settings::WDSettings& s = d.s;
  QVERIFY(!d.context.SettingsComplete());
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
      Find<QCheckBox>(*modal, "HideAllMessages")->setChecked(true);
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

  // The font dialog alone: the four slots, a size changed at once, a style, and reset.
  CFontDialog dialog(s, true);
  dialog.show();
  auto* slotList = Find<QListWidget>(dialog, "FontSlots");
  QCOMPARE(slotList->count(), 4);
  QCOMPARE(slotList->currentRow(), 0);
  // A face not installed here stays as stored while other values change.
  auto* size = Find<QLineEdit>(dialog, "FontSize");
  QCOMPARE(size->text(), QStringLiteral("22"));
  SetText(dialog, "FontSize", QStringLiteral("30"));
  Q_EMIT size->editingFinished();
  QCOMPARE(s.m_Font1.lfHeight, 30);

  // Style value 7001: weight 700, italic.
  slotList->setCurrentRow(2);
  auto* face = Find<QComboBox>(dialog, "FontFace");
  auto* style = Find<QComboBox>(dialog, "FontStyle");
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

  QTest::mouseClick(Find<QPushButton>(dialog, "FontResetAll"), Qt::LeftButton);
  for (int n = 1; n <= 4; ++n) QVERIFY(s.Font(n) == settings::LogFont::Default(n));
  QCOMPARE(slotList->currentRow(), 2);
}

QTEST_MAIN(SettingsDialogsTest)
#include "settings_dialogs_test.moc"
