// The property panes on real widgets: the history strip and the screen pane, the control pane's alert
// event rows, loading, enabling rules, immediate changes and store.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "gui/shell/font_dialog.h"
#include "gui/textview/beacon_view.h"
#include "gui/views/control_tab.h"
#include "gui/views/hist_control.h"
#include "gui/views/screen_tab.h"
#include "gui_test_support.h"
#include "model/val_page.h"
#include "platform/string_table.h"
#include "text/time_format.h"

namespace quorvex::gui {
namespace {

namespace ids = platform::ids;
namespace vid = view_ids;

std::string Str(uint16_t id) {
  return platform::GetString(id);
}

}  // namespace

class PanesTest : public QObject {
  Q_OBJECT

 private slots:
  void PanesLoadAndStore();
};

void PanesTest::PanesLoadAndStore() {
  // A number beacon N (unit EUR, four samples, two events with alerts off) and a text beacon T.
  test::FrameFixture p;
  model::WDValue* n = test::AddNumber(p.doc, "N", "https://n.example/", {"0", "2", "4", "6"}, 1000, 1);
  n->SetUnit("EUR");
  test::AddEvent(*n, model::kOpNotEqual, {});
  test::AddEvent(*n, model::kOpGreaterEqual, "10").m_actMessage.m_strText = "high\nnow";
  n->GetAlert().SetEnabled(false);
  model::WDValue* t = test::AddBeacon(p.doc, "T", "https://t.example/", "<i>{?}</i>");
  for (int i = 0; i < 3; ++i)
    t->GetHistory().AddRecord(model::WDHistoryRecord("<b>" + std::to_string(i) + "</b>", 2000 + i));
  CMainFrame& frame = p.MakeFrame();
  TTabWnd* tabs = frame.Views().TabWindow();
  const auto show = [&](model::WDItem* item, int tab) {
    QVERIFY(p.tree->SelectItem(item));
    tabs->SetActiveTab(tab);
  };

  // The history strip of a text beacon: its display toggles, and the newest sample beside it.
  show(t, vid::kTabHistoryText);
  auto* strip = test::View<WDHistControl>(frame, vid::kTextHistControl);
  QVERIFY(!strip->TagsButton()->isHidden());
  QSignalSpy flags(strip, &WDHistControl::DisplayFlagsChanged);
  strip->TagsButton()->click();
  QVERIFY(strip->ShowTags() && strip->TagsButton()->isChecked() && !strip->WrapLines());
  QCOMPARE(flags.count(), 1);
  QCOMPARE(test::View<WDBeaconView>(frame, vid::kHistoryText)->toPlainText(), QStringLiteral("<b>2</b>"));

  // Clearing asks 61461; Yes empties the history and the tree takes the history tab away.
  strip->ClearButton()->click();
  QCOMPARE(p.prompt.questions, std::vector<std::string>{Str(ids::kAskClearHistory)});
  QCOMPARE(t->GetHistory().GetCount(), 3);
  p.prompt.SetNextAnswer(true);
  strip->ClearButton()->click();
  QCOMPARE(t->GetHistory().GetCount(), 0);
  QVERIFY(!tabs->IsTabEnabled(vid::kTabHistoryText));

  // Numbers: no toggles on the graph's strip; the screen pane shows name, value, change and time.
  show(n, vid::kTabHistoryGraph);
  auto* graphStrip = test::View<WDHistControl>(frame, vid::kGraphHistControl);
  QVERIFY(graphStrip->TagsButton()->isHidden() && graphStrip->WrapButton()->isHidden());
  tabs->SetActiveTab(vid::kTabBeaconGraph);
  auto* screen = test::View<WDScreenTab>(frame, vid::kGraphScreen);
  QCOMPARE(screen->NameLabel()->text(), QStringLiteral("N"));
  QCOMPARE(screen->NameLabel()->font(), FontOf(p.context.Settings().Font(1)));
  QCOMPARE(screen->ValueLabel()->text(), QStringLiteral("6 EUR"));
  QCOMPARE(screen->ChangeLabel()->text(), QStringLiteral("+2"));
  QVERIFY(screen->TimeLabel()->text().startsWith(
      QString::fromStdString(text::FormatLocalTime(1003, text::DateTimeFormat()))));

  // The control pane lists the events; the alerts box is enabled with events and follows its tick.
  auto* control = test::View<WDControlTab>(frame, vid::kControl);
  show(n, vid::kTabControl);
  QListWidget* list = control->EventList();
  QCOMPARE(list->count(), 2);
  QCOMPARE(list->item(0)->text(), Text(ids::kValueColumn) + QStringLiteral(" # ") + Text(ids::kAnyChange) +
                                      QStringLiteral("  : <") + Text(ids::kNoMessageText) + QStringLiteral(" >"));
  QCOMPARE(list->item(1)->text(), Text(ids::kValueColumn) + QStringLiteral(" >=10  : <high now >"));
  QVERIFY(control->AlertsBox()->isEnabled());
  QVERIFY(!control->AlertsBox()->isChecked());
  control->AlertsBox()->click();
  QVERIFY(n->GetAlert().IsEnabled());

  // Delete asks 61502; No keeps the event, Yes removes it; the last one takes the alerts box along.
  QVERIFY(!control->DeleteButton()->isEnabled());  // no row chosen
  list->setCurrentRow(0);
  QVERIFY(control->DeleteButton()->isEnabled());
  control->DeleteButton()->click();
  QCOMPARE(p.prompt.questions.back(), Str(ids::kAskDeleteEvent));
  QCOMPARE(n->GetAlert().GetEventCount(), size_t{2});
  p.prompt.SetNextAnswer(true);
  control->DeleteButton()->click();
  QCOMPARE(n->GetAlert().GetEventCount(), size_t{1});
  QCOMPARE(list->count(), 1);
  list->setCurrentRow(0);
  p.prompt.SetNextAnswer(true);
  control->DeleteButton()->click();
  QCOMPARE(list->count(), 0);
  QVERIFY(!control->AlertsBox()->isEnabled());
  QVERIFY(!control->DeleteButton()->isEnabled());
  QCOMPARE(control->TypeList()->currentIndex(), 1);
  QVERIFY(control->UnitText()->isEnabled());
  QCOMPARE(control->UnitText()->text(), QStringLiteral("EUR"));

  // Text instead of number: the unit edit goes; the next selection stores kind 2 without a unit.
  control->TypeList()->setCurrentIndex(0);
  QVERIFY(!control->UnitText()->isEnabled());
  QCOMPARE(n->GetKind(), model::kKindNumber);  // not before the store
  p.doc.SetModifiedFlag(false);
  QVERIFY(p.tree->SelectItem(t));
  QCOMPARE(n->GetKind(), model::kKindText);
  QCOMPARE(n->GetUnit(), std::string());
  QVERIFY(p.doc.IsModified());
  // No events: the alerts box is off and disabled.
  QVERIFY(!control->AlertsBox()->isEnabled() && !control->AlertsBox()->isChecked());

  // A period count that is no whole number: 61719, and nothing of that store is written.
  control->PeriodCount()->setText(QStringLiteral("1.5"));
  control->TypeList()->setCurrentIndex(2);
  control->KeepHistoryBox()->setChecked(false);
  frame.Views().Notify(TabNotify::Store, {});
  QCOMPARE(p.prompt.messages, std::vector<std::string>{Str(ids::kMsgPositiveInteger)});
  QCOMPARE(t->GetKind(), model::kKindText);
  QVERIFY(t->GetHistory().IsKeepAll());
  control->PeriodCount()->setText(QStringLiteral("12"));
  frame.Views().Notify(TabNotify::Store, {});
  QCOMPARE(t->GetKind(), model::kKindChecksum);
  QCOMPARE(t->GetPage()->m_freq.m_nCount, 12);
  QVERIFY(!t->GetHistory().IsKeepAll());

  // Monitoring off: no schedule. On: the whole schedule is enabled at once, "once per run" or not,
  // until the next load.
  t->SetEnabled(false);
  t->GetPage()->m_freq.m_bAtStartOnly = 1;
  frame.Views().Notify(TabNotify::Reload, {});
  for (QWidget* w :
       std::initializer_list<QWidget*>{control->PeriodCount(), control->PeriodUnitList(), control->AtStartBox()}) {
    QVERIFY(!w->isEnabled());
  }
  p.doc.SetModifiedFlag(false);
  control->MonitoringBox()->click();
  QVERIFY(t->IsEnabled());
  QVERIFY(p.doc.IsModified());
  QVERIFY(control->PeriodCount()->isEnabled());
  QVERIFY(control->PeriodUnitList()->isEnabled());
  QVERIFY(control->AtStartBox()->isEnabled());
  frame.Views().Notify(TabNotify::Reload, {});
  QVERIFY(!control->PeriodCount()->isEnabled());
  QVERIFY(!control->PeriodUnitList()->isEnabled());
  control->AtStartBox()->click();
  QVERIFY(control->PeriodCount()->isEnabled());
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::PanesTest)
#include "panes_test.moc"
