// The alert windows: their texts as shown, the count, the menu's commands, the cascade.
#include "gui/views/alert_window.h"

#include "gui/shell/alert_host.h"
#include "gui_test_support.h"
#include "model/alert.h"
#include "platform/command_ids.h"

namespace quorvex::gui {

class AlertWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void Layout();
  void Windows();
};

void AlertWindowTest::Layout() {
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

void AlertWindowTest::Windows() {
  test::FrameFixture fixture;
  QtAlertWindows alerts;
  CMainFrame& frame = fixture.MakeFrame();
  alerts.Attach(&frame);
  model::WDValue* beacon = test::AddBeacon(fixture.doc, "Price", "https://shop.example/", "<b>{?}</b>");
  beacon->GetHistory().AddRecord(model::WDHistoryRecord("7", 1000));
  auto event = std::make_unique<model::WDEventMessager>();
  event->m_condition.m_nOperator = model::kOpGreater;
  event->m_condition.m_strOperand = "5";
  event->m_actMessage.m_bEnabled = 1;
  model::WDAlertMessage& action = beacon->GetAlert().AddEvent(std::move(event)).m_actMessage;
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

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::AlertWindowTest)
#include "alert_window_test.moc"
