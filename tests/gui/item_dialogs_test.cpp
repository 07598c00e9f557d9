// The dialogs of one beacon: the alert event editor and the history export.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "gui/shell/qt_prompt.h"
#include "gui/views/event_editor.h"
#include "gui/views/history_export_dialog.h"
#include "gui_test_support.h"
#include "model/alert.h"
#include "platform/paths.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "settings/app_context.h"
#include "settings/language_folder.h"

namespace quorvex::gui {

class ItemDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { settings::LoadLanguage(context_.Settings().WorkDirectory(), settings::kEnglishFileName); }
  void EventEditor();
  void HistoryExport();

 private:
  test::TestHome home_;
  settings::AppContext context_;
};

void ItemDialogsTest::EventEditor() {
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
  ScriptedPrompt prompt;
  WDEventEditor sum(event, checksum, nullptr);
  QVERIFY(!sum.Operand()->isEnabled());
  sum.Operand()->setText(QStringLiteral("  "));
  prompt.SetNextAnswer(false);
  sum.accept();
  QCOMPARE(sum.result(), int(QDialog::Rejected));
  QCOMPARE(prompt.questions.size(), size_t{1});
  QCOMPARE(prompt.messages.back(), platform::GetString(platform::ids::kMsgFieldEmpty));
  prompt.SetNextAnswer(true);
  sum.accept();
  QCOMPARE(sum.result(), int(QDialog::Accepted));
}

void ItemDialogsTest::HistoryExport() {
  model::WDValue value;
  value.SetName("Rate");
  value.SetKind(model::kKindNumber);
  value.GetHistory().AddRecord(model::WDHistoryRecord("1.5", 86400));
  value.GetHistory().AddRecord(model::WDHistoryRecord("2.5", 2 * 86400));
  HistoryExportDialog dialog(value);
  QCOMPARE(dialog.FileEdit()->text(), QStringLiteral("Rate.sdf"));
  dialog.DateOnlyBox()->setChecked(true);
  QVERIFY(!dialog.CombineBox()->isEnabled());
  dialog.FileEdit()->setText(home_.Path(QStringLiteral("rate.sdf")));
  QVERIFY(dialog.Export());
  std::string written;
  QVERIFY(platform::ReadWholeFile(home_.PathBytes(QStringLiteral("rate.sdf")), written, nullptr,
                                  platform::kMaxContainerFileBytes) == platform::ReadResult::Ok);
  QVERIFY(written.find("2.5;\r\n") < written.find("1.5;\r\n"));

  // A file that cannot be made is reported, nothing else happens.
  ScriptedPrompt prompt;
  dialog.FileEdit()->setText(home_.Path(QStringLiteral("missing/folder/rate.sdf")));
  QVERIFY(!dialog.Export());
  QCOMPARE(prompt.messages.size(), size_t{1});
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::ItemDialogsTest)
#include "item_dialogs_test.moc"
