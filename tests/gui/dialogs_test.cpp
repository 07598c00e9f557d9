// The dialogs on real widgets: those of one beacon (the new-beacon wizard with a title fetch from a loopback
// server, the alert window, the alert event editor, the history export) and the settings dialogs (the
// Options sheet page by page, the E-mail page's test message to a loopback server, fonts, first start).
#include "engine/fetch_session.h"
#include "engine/fetch_worker.h"
#include "gui/shell/alert_host.h"
#include "gui/shell/email_page.h"
#include "gui/shell/first_start.h"
#include "gui/shell/font_dialog.h"
#include "gui/shell/language_page.h"
#include "gui/shell/options_sheet.h"
#include "gui/views/alert_window.h"
#include "gui/views/event_editor.h"
#include "gui/views/history_export_dialog.h"
#include "gui/views/new_beacon_wizard.h"
#include "gui_test_support.h"
#include "platform/paths.h"
#include "platform/string_table.h"
#include "support/http_test_server.h"
#include "support/scripted_smtp_server.h"

namespace quorvex::gui {
namespace {

namespace ids = platform::ids;
using test::Find;

QString Caption(const char* step) {
  return Text(ids::kWizardTitle) + QStringLiteral(": ") + Text(ids::kWizardStep) + QLatin1Char(' ') +
         QLatin1String(step);
}

// Fills the wizard that the new-beacon command opens, and finishes or cancels it.
void AnswerWizard(const QString& name, int kind, const QString& unit, const QString& address, bool finish) {
  QTimer::singleShot(0, [=] {
    auto* wizard = qobject_cast<NewBeaconWizard*>(QApplication::activeModalWidget());
    if (!wizard) qFatal("no wizard");
    if (!finish) {
      QTest::mouseClick(Find<QPushButton>(*wizard, "Cancel"), Qt::LeftButton);
      return;
    }
    Find<QLineEdit>(*wizard, "Name")->setText(name);
    Find<QRadioButton>(*wizard, QStringLiteral("Kind%1").arg(kind).toLatin1().constData())->click();
    Find<QLineEdit>(*wizard, "Unit")->setText(unit);
    Find<QCheckBox>(*wizard, "KeepHistory")->setChecked(false);
    QPushButton* next = Find<QPushButton>(*wizard, "Next");
    next->click();
    Find<QLineEdit>(*wizard, "Address")->setText(address);
    next->click();
    Find<QPlainTextEdit>(*wizard, "Description")->setPlainText(QStringLiteral("made here"));
    next->click();
  });
}

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

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void WizardAlertWindowsEventEditorAndHistoryExport();
  void EmailTestAndOptionsSheetPages();
  void FirstStartAndFontDialog();
};

void DialogsTest::WizardAlertWindowsEventEditorAndHistoryExport() {
  using namespace platform::cmd;
  test::FrameFixture fixture;
  auto* shop = static_cast<model::WDGroup*>(fixture.doc.GetRoot()->AddChild(new model::WDGroup("Shop", "")));
  CMainFrame& frame = fixture.MakeFrame();
  auto wizard = std::make_unique<NewBeaconWizard>(fixture.doc.GetDispatcher());
  QCOMPARE(wizard->windowTitle(), Caption("1:3"));
  wizard->show();
  QCOMPARE(wizard->CurrentIndex(), 0);
  QPushButton* next = wizard->NextButton();
  QPushButton* back = wizard->BackButton();
  QVERIFY(!back->isEnabled());

  // Page 1: Next needs a name, the unit a number, the name at most 45 characters.
  QLineEdit* name = Find<QLineEdit>(*wizard, "Name");
  QLineEdit* unit = Find<QLineEdit>(*wizard, "Unit");
  QVERIFY(!next->isEnabled());
  QTest::keyClicks(name, QStringLiteral("x"));
  QVERIFY(next->isEnabled());
  QTest::keyClicks(name, QString(60, QLatin1Char('y')));
  QCOMPARE(name->text().size(), kMaxBeaconNameLength);
  QVERIFY(!unit->isEnabled());
  Find<QRadioButton>(*wizard, "Kind1")->click();
  QVERIFY(unit->isEnabled());
  Find<QRadioButton>(*wizard, "Kind2")->click();
  QVERIFY(!unit->isEnabled());

  // Page 2: Next and Fetch need an address; one that cannot be split is refused.
  next->click();
  QCOMPARE(wizard->windowTitle(), Caption("2:3"));
  QVERIFY(back->isEnabled());
  QPushButton* fetch = Find<QPushButton>(*wizard, "Fetch");
  QLineEdit* address = Find<QLineEdit>(*wizard, "Address");
  QLabel* status = Find<QLabel>(*wizard, "FetchStatus");
  QVERIFY(!next->isEnabled() && !fetch->isEnabled());
  address->setText(QStringLiteral("http://:0"));
  QVERIFY(next->isEnabled() && fetch->isEnabled());
  fetch->click();
  QCOMPARE(status->text(), Text(ids::kMsgBadAddress));
  QVERIFY(!next->isEnabled());
  address->setText(QStringLiteral("https://example.com/"));
  QVERIFY(next->isEnabled());

  // Page 3: Finish; a page checksum has no pattern hint.
  next->click();
  QCOMPARE(wizard->windowTitle(), Caption("3:3"));
  QCOMPARE(next->text(), Text(ids::kWizardFinish));
  QVERIFY(Find<QLabel>(*wizard, "PatternHint")->text().isEmpty());
  QVERIFY(!Find<QPushButton>(*wizard, "PatternHelp")->isEnabled());

  back->click();
  QCOMPARE(next->text(), Text(ids::kWizardNext));
  back->click();
  QCOMPARE(wizard->windowTitle(), Caption("1:3"));
  QVERIFY(!back->isEnabled());
  Find<QRadioButton>(*wizard, "Kind0")->click();
  next->click();
  next->click();
  QCOMPARE(Find<QLabel>(*wizard, "PatternHint")->text(), Text(ids::kWizardPatternHint));
  QVERIFY(Find<QPushButton>(*wizard, "PatternHelp")->isEnabled());

  // The title of a loopback page becomes the description; a failed fetch leaves it alone.
  back->click();
  testing::HttpTestServer server;
  server.Serve("/quotes", testing::HttpTestServer::Response("<html><head><title>Quotes</title></head></html>"));
  QPlainTextEdit* description = Find<QPlainTextEdit>(*wizard, "Description");
  address->setText(FromBytes(server.Url("/quotes")));
  fetch->click();
  QCOMPARE(status->text(), Text(ids::kMsgFetching));
  QVERIFY(!address->isEnabled() && !next->isEnabled());
  QVERIFY(test::PumpUntil(fixture.doc, [&] { return status->text() == Text(ids::kWizardFetchDone); }));
  QCOMPARE(description->toPlainText(), QStringLiteral("Quotes"));
  QVERIFY(address->isEnabled() && next->isEnabled());
  address->setText(QStringLiteral("http://127.0.0.1:1/"));
  fetch->click();
  QVERIFY(test::PumpUntil(fixture.doc, [&] { return status->text() == Text(ids::kWizardFetchFailed); }));
  QCOMPARE(description->toPlainText(), QStringLiteral("Quotes"));

  // Closed while a fetch runs: the worker gives up long before the server would, and whatever it
  // posted goes nowhere.
  server.Route("/slow", testing::HttpRoute{{}, 0, 0, true});
  address->setText(FromBytes(server.Url("/slow")));
  fetch->click();
  QTRY_COMPARE(server.ConnectionCount(), size_t{2});
  wizard->CancelButton()->click();
  wizard.reset();
  QVERIFY(engine::FetchWorker::WaitForAll(std::chrono::seconds(5)));
  fixture.doc.GetDispatcher()->RunPending();
  QTest::qWait(50);
  QCOMPARE(fixture.doc.GetDispatcher()->PendingCount(), size_t{0});

  // The new-beacon command: cancelled, nothing is filed.
  QVERIFY(fixture.tree->SelectItem(shop));
  fixture.doc.SetModifiedFlag(false);

  AnswerWizard({}, 0, {}, {}, false);
  QVERIFY(!frame.OnCommand(kNewBeacon));
  QCOMPARE(shop->GetChildCount(), size_t{0});
  QVERIFY(!fixture.doc.IsModified());

  // A number keeps its unit and opens on the link tab, in the selected folder.
  AnswerWizard(QStringLiteral("Price"), 1, QStringLiteral("EUR"), QStringLiteral("https://shop.example/"), true);
  QVERIFY(frame.OnCommand(kNewBeacon));
  QCOMPARE(shop->GetChildCount(), size_t{1});
  auto* price = static_cast<model::WDValue*>(shop->GetChild(0));
  QCOMPARE(price->GetName(), std::string("Price"));
  QCOMPARE(price->GetKind(), model::kKindNumber);
  QCOMPARE(price->GetUnit(), std::string("EUR"));
  QCOMPARE(price->GetURL(), std::string("https://shop.example/"));
  QCOMPARE(price->GetDescription(), std::string("made here"));
  QVERIFY(price->GetPattern().empty());
  QCOMPARE(price->GetHistory().GetKeepAll(), 0);
  QCOMPARE(fixture.tree->GetSelectedItem(), price);
  QCOMPARE(fixture.ActiveTab(), view_ids::kTabLink);
  QVERIFY(fixture.doc.IsModified());

  // A page checksum opens on the control tab; it files in the folder of the selected beacon.
  AnswerWizard(QStringLiteral("Page"), 2, QStringLiteral("EUR"), QStringLiteral("https://page.example/"), true);
  QVERIFY(frame.OnCommand(kNewBeacon));
  QCOMPARE(shop->GetChildCount(), size_t{2});
  auto* page = static_cast<model::WDValue*>(shop->GetChild(1));
  QCOMPARE(page->GetKind(), model::kKindChecksum);
  QVERIFY(page->GetUnit().empty());
  QCOMPARE(fixture.tree->GetSelectedItem(), page);
  QCOMPARE(fixture.ActiveTab(), view_ids::kTabControl);

  // An alert window's texts: wrapped and cut as shown.
  platform::AlertWindowContent content{
      "\n\nthe value is greater than 100 and more", "tab\there", {}, std::string(40, 'n'), {}};
  for (int i = 0; i < 20; ++i) content.lastText += "line " + std::to_string(i) + "\n";
  const AlertLayout layout = AlertLayout::From(content);
  QCOMPARE(layout.title, QString(32, QLatin1Char('n')) + QStringLiteral("..."));
  QCOMPARE(layout.description.front(), QStringLiteral("the value is greater "));
  QCOMPARE(layout.message, QStringList{QStringLiteral("tabhere")});
  QCOMPARE(layout.lastTextHeight, 15 * AlertLayout::kLineHeight + 22);

  content.lastText = std::string(300, 'x');
  content.name = std::string(35, 'n');
  const AlertLayout wrapped = AlertLayout::From(content);
  QCOMPARE(wrapped.title.size(), 35);
  QCOMPARE(wrapped.lastText.size(), 12);
  QCOMPARE(wrapped.lastTextHeight, 12 * AlertLayout::kLineHeight + 22);

  // An alert of the new number opens its window.
  QtAlertWindows alerts;
  alerts.Attach(&frame);
  price->GetHistory().AddRecord(model::WDHistoryRecord("7", 1000));
  model::WDAlertMessage& action = test::AddEvent(*price, model::kOpGreater, "5").m_actMessage;
  action.m_bEnabled = 1;
  QVERIFY(action.Fire());
  const int first = action.m_pWindow;
  QCOMPARE(alerts.CountOpenAlertWindows(), 1);
  AlertBalloon* balloon = alerts.Window(first);
  QVERIFY(balloon && balloon->isVisible());
  QCOMPARE(balloon->Layout().title, QStringLiteral("Price"));

  // The menu's sound toggle flips the action's sound and marks the catalog changed.
  fixture.doc.SetModifiedFlag(false);
  alerts.RunCommand(first, platform::cmd::kAlertSound);
  QCOMPARE(action.m_bSound, 0);
  QVERIFY(fixture.doc.IsModified());

  // A second window opens up and left of the first.
  const int second = alerts.CreateAlertWindow("d", "t", "v", "Other");
  QVERIFY(alerts.Window(second)->y() < balloon->y());
  QCOMPARE(alerts.CountOpenAlertWindows(), 2);

  // A click closes through the action, which forgets its window; close-all closes the rest.
  alerts.RunCommand(first, platform::cmd::kCloseAlert);
  QCOMPARE(action.m_pWindow, 0);
  QVERIFY(!alerts.IsAlertWindowOpen(first));
  alerts.RunCommand(second, platform::cmd::kNewFolder);
  QCOMPARE(alerts.CountOpenAlertWindows(), 0);
  alerts.Attach(nullptr);

  // The alert event editor: the operators of the value's kind.
  model::WDValue text, number, checksum;
  number.SetKind(model::kKindNumber);
  checksum.SetKind(model::kKindChecksum);
  model::WDEventMessager event;
  event.m_condition.m_strOperand = "10";
  event.m_condition.m_nOperator = 1;
  event.m_actExec.m_strings[0] = "kept";
  event.m_actExec.Program(0) = "/usr/bin/true";

  QCOMPARE(WDEventEditor(event, text, nullptr).Operators()->count(), 2);
  QCOMPARE(WDEventEditor(event, number, nullptr).Operators()->count(), 6);

  // Switching the e-mail on enables its fields and turns its tab icon at once.
  WDEventEditor editor(event, number, nullptr);
  QVERIFY(!editor.MailField(0)->isEnabled());
  const QImage off = editor.Pages()->tabIcon(WDEventEditor::kMailPage).pixmap(13, 13).toImage();
  editor.ActionBox(WDEventEditor::kMailPage)->setChecked(true);
  QVERIFY(editor.MailField(0)->isEnabled() && editor.MailCharset()->isEnabled());
  QVERIFY(editor.Pages()->tabIcon(WDEventEditor::kMailPage).pixmap(13, 13).toImage() != off);

  // Copy out changes what the editor shows and nothing else.
  editor.Operators()->setCurrentIndex(4);
  editor.MailField(0)->setText(QStringLiteral("me@example.org"));
  editor.CopyOut(event);
  QCOMPARE(event.m_condition.m_nOperator, 4);
  QCOMPARE(event.m_actEmail.m_bEnabled, 1);
  QCOMPARE(event.m_actEmail.m_strTo, std::string("me@example.org"));
  QCOMPARE(event.m_actExec.m_strings[0], std::string("kept"));
  QCOMPARE(event.m_actExec.Program(0), std::string("/usr/bin/true"));

  // A checksum's operand is disabled; OK with it empty asks, and No keeps the dialog open.
  WDEventEditor sum(event, checksum, nullptr);
  QVERIFY(!sum.Operand()->isEnabled());
  sum.Operand()->setText(QStringLiteral("  "));
  fixture.prompt.SetNextAnswer(false);
  sum.accept();
  QCOMPARE(sum.result(), int(QDialog::Rejected));
  QCOMPARE(fixture.prompt.questions.size(), size_t{1});
  QCOMPARE(fixture.prompt.messages.back(), platform::GetString(ids::kMsgFieldEmpty));
  fixture.prompt.SetNextAnswer(true);
  sum.accept();
  QCOMPARE(sum.result(), int(QDialog::Accepted));

  // The history export writes the newest sample first.
  number.SetName("Rate");
  number.GetHistory().AddRecord(model::WDHistoryRecord("1.5", 86400));
  number.GetHistory().AddRecord(model::WDHistoryRecord("2.5", 2 * 86400));
  HistoryExportDialog dialog(number);
  QCOMPARE(dialog.FileEdit()->text(), QStringLiteral("Rate.sdf"));
  dialog.DateOnlyBox()->setChecked(true);
  QVERIFY(!dialog.CombineBox()->isEnabled());
  dialog.FileEdit()->setText(fixture.home.Path(QStringLiteral("rate.sdf")));
  QVERIFY(dialog.Export());
  std::string written;
  QVERIFY(platform::ReadWholeFile(fixture.home.PathBytes(QStringLiteral("rate.sdf")), written, nullptr,
                                  platform::kMaxContainerFileBytes) == platform::ReadResult::Ok);
  QVERIFY(written.find("2.5;\r\n") < written.find("1.5;\r\n"));

  // A file that cannot be made is reported, nothing else happens.
  dialog.FileEdit()->setText(fixture.home.Path(QStringLiteral("missing/folder/rate.sdf")));
  QVERIFY(!dialog.Export());
  QCOMPARE(fixture.prompt.messages.size(), size_t{2});
}

void DialogsTest::EmailTestAndOptionsSheetPages() {
  Dialogs d;
  settings::WDSettings& s = d.s;
  // The E-mail page's test message, to a loopback server.
  testing::LoopbackServer server(testing::SmtpDialogue({}));
  COptionsSheet sheet(s, false);
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
  QVERIFY(s.m_strEmail.empty());

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
    testing::LoopbackServer slow(testing::SmtpDialogue({.replyDelayMs = 300}));
    auto closing = std::make_unique<COptionsSheet>(s, false);
    closing->show();
    SetText(*closing, "Email", QStringLiteral("watcher@example.org"));
    SetText(*closing, "SMTPServ", QStringLiteral("127.0.0.1:%1").arg(slow.Port()));
    Find<QPushButton>(*closing, "SendTestMail")->click();
    closing.reset();
    QVERIFY(slow.Received().find("HELO") != std::string::npos);
    QTest::qWait(200);
  }
  QCOMPARE(d.prompt.messages.size(), size_t{2});
  d.prompt.messages.clear();

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

void DialogsTest::FirstStartAndFontDialog() {
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

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::DialogsTest)
#include "dialogs_test.moc"
