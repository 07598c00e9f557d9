// The windows and dialogs of one beacon: the alert window (its texts as shown, the count, the menu's
// commands, the cascade), the alert event editor and the history export.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "gui/shell/alert_host.h"
#include "gui/views/alert_window.h"
#include "gui/views/event_editor.h"
#include "gui/views/history_export_dialog.h"
#include "gui_test_support.h"
#include "platform/paths.h"
#include "platform/string_table.h"

namespace quorvex::gui {

class ItemDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void AlertTexts();
  void AlertWindows();
  void EventEditor();
  void HistoryExport();
};

void ItemDialogsTest::AlertTexts() {
  platform::AlertWindowContent content;
  content.name = std::string(40, 'n');
  content.description = "\n\nthe value is greater than 100 and more";
  content.text = "tab\there";
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
}

void ItemDialogsTest::AlertWindows() {
  test::FrameFixture fixture;
  QtAlertWindows alerts;
  alerts.Attach(&fixture.MakeFrame());
  model::WDValue* beacon = test::AddBeacon(fixture.doc, "Price", "https://shop.example/", "<b>{?}</b>");
  beacon->GetHistory().AddRecord(model::WDHistoryRecord("7", 1000));
  model::WDAlertMessage& action = test::AddEvent(*beacon, model::kOpGreater, "5").m_actMessage;
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
}

void ItemDialogsTest::EventEditor() {
  test::FrameFixture fixture;
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
  QCOMPARE(fixture.prompt.messages.back(), platform::GetString(platform::ids::kMsgFieldEmpty));
  fixture.prompt.SetNextAnswer(true);
  sum.accept();
  QCOMPARE(sum.result(), int(QDialog::Accepted));
}

void ItemDialogsTest::HistoryExport() {
  test::FrameFixture fixture;
  model::WDValue value;
  value.SetName("Rate");
  value.SetKind(model::kKindNumber);
  value.GetHistory().AddRecord(model::WDHistoryRecord("1.5", 86400));
  value.GetHistory().AddRecord(model::WDHistoryRecord("2.5", 2 * 86400));
  HistoryExportDialog dialog(value);
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
  QCOMPARE(fixture.prompt.messages.size(), size_t{1});
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::ItemDialogsTest)
#include "item_dialogs_test.moc"
