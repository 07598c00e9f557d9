// The property panes on real widgets: the control pane's loading, enabling rules, immediate changes and
// store, the alert event rows, the history strip and the screen pane.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "gui/shell/font_dialog.h"
#include "gui/shell/gui_text.h"
#include "gui/tabframe/tab_wnd.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/textview/beacon_view.h"
#include "gui/views/control_tab.h"
#include "gui/views/hist_control.h"
#include "gui/views/screen_tab.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"
#include "gui_test_support.h"
#include "model/alert.h"
#include "model/history.h"
#include "model/val_page.h"
#include "platform/string_ids.h"
#include "platform/string_table.h"
#include "text/time_format.h"

namespace quorvex::gui {
namespace {

namespace ids = platform::ids;

// A catalog of a number beacon N (unit EUR, four samples) and a text beacon T, with the main window.
struct Panes : test::FrameFixture {
  Panes() {
    n = test::AddBeacon(doc, "N", "https://n.example/", "<b>{?}</b>");
    n->SetKind(model::kKindNumber);
    n->SetUnit("EUR");
    for (int i = 0; i < 4; ++i) n->GetHistory().AddRecord(model::WDHistoryRecord(std::to_string(i * 2), 1000 + i));
    t = test::AddBeacon(doc, "T", "https://t.example/", "<i>{?}</i>");
    MakeFrame();
    tree = CatalogTree(*frame);
    control = qobject_cast<WDControlTab*>(frame->Views().GetObject(view_ids::kControl));
  }
  void Show(model::WDItem* item, int tab) {
    QVERIFY(tree->SelectItem(item));
    frame->Views().TabWindow()->SetActiveTab(tab);
  }
  model::WDValue *n = nullptr, *t = nullptr;
  WDTreeView* tree = nullptr;
  WDControlTab* control = nullptr;
};

std::string Str(uint16_t id) {
  return platform::GetString(id);
}

}  // namespace

class PanesTest : public QObject {
  Q_OBJECT

 private slots:
  void ControlPaneLoadsAndStores();
  void ScheduleEnabling();
  void EventRowsAndDelete();
  void HistoryStripAndScreen();
};

void PanesTest::ControlPaneLoadsAndStores() {
  Panes p;
  QVERIFY(p.control);
  p.Show(p.n, view_ids::kTabControl);
  // No events: alerts box off and disabled, Delete disabled.
  QVERIFY(!p.control->AlertsBox()->isEnabled());
  QVERIFY(!p.control->AlertsBox()->isChecked());
  QVERIFY(!p.control->DeleteButton()->isEnabled());
  QCOMPARE(p.control->TypeList()->currentIndex(), 1);
  QVERIFY(p.control->UnitText()->isEnabled());
  QCOMPARE(p.control->UnitText()->text(), QStringLiteral("EUR"));

  // Text instead of number: the unit edit goes; the next selection stores kind 2 without a unit.
  p.control->TypeList()->setCurrentIndex(0);
  QVERIFY(!p.control->UnitText()->isEnabled());
  QCOMPARE(p.n->GetKind(), model::kKindNumber);  // not before the store
  p.doc.SetModifiedFlag(false);
  QVERIFY(p.tree->SelectItem(p.t));
  QCOMPARE(p.n->GetKind(), model::kKindText);
  QCOMPARE(p.n->GetUnit(), std::string());
  QVERIFY(p.doc.IsModified());

  // A period count that is no whole number: 61719, and nothing of that store is written.
  p.control->PeriodCount()->setText(QStringLiteral("1.5"));
  p.control->TypeList()->setCurrentIndex(2);
  p.control->KeepHistoryBox()->setChecked(false);
  p.frame->Views().Notify(TabNotify::Store, {});
  QCOMPARE(p.prompt.messages, std::vector<std::string>{Str(ids::kMsgPositiveInteger)});
  QCOMPARE(p.t->GetKind(), model::kKindText);
  QVERIFY(p.t->GetHistory().IsKeepAll());
  p.control->PeriodCount()->setText(QStringLiteral("12"));
  p.frame->Views().Notify(TabNotify::Store, {});
  QCOMPARE(p.t->GetKind(), model::kKindChecksum);
  QCOMPARE(p.t->GetPage()->m_freq.m_nCount, 12);
  QVERIFY(!p.t->GetHistory().IsKeepAll());
}

void PanesTest::ScheduleEnabling() {
  Panes p;
  p.t->SetEnabled(false);
  p.t->GetPage()->m_freq.m_bAtStartOnly = 1;
  p.Show(p.t, view_ids::kTabControl);
  for (QWidget* w :
       {static_cast<QWidget*>(p.control->PeriodCount()), static_cast<QWidget*>(p.control->PeriodUnitList()),
        static_cast<QWidget*>(p.control->AtStartBox())}) {
    QVERIFY(!w->isEnabled());
  }
  // Monitoring on: the whole schedule is enabled at once, "once per run" or not, until the next load.
  p.doc.SetModifiedFlag(false);
  p.control->MonitoringBox()->click();
  QVERIFY(p.t->IsEnabled());
  QVERIFY(p.doc.IsModified());
  QVERIFY(p.control->PeriodCount()->isEnabled());
  QVERIFY(p.control->PeriodUnitList()->isEnabled());
  QVERIFY(p.control->AtStartBox()->isEnabled());
  p.frame->Views().Notify(TabNotify::Reload, {});
  QVERIFY(!p.control->PeriodCount()->isEnabled());
  QVERIFY(!p.control->PeriodUnitList()->isEnabled());
  p.control->AtStartBox()->click();
  QVERIFY(p.control->PeriodCount()->isEnabled());
}

void PanesTest::EventRowsAndDelete() {
  Panes p;
  auto event = std::make_unique<model::WDEventMessager>();
  model::WDEventMessager& anyChange = p.n->GetAlert().AddEvent(std::move(event));
  anyChange.m_condition.m_nOperator = model::kOpNotEqual;
  auto second = std::make_unique<model::WDEventMessager>();
  second->m_condition.m_nOperator = model::kOpGreaterEqual;
  second->m_condition.m_strOperand = "10";
  second->m_actMessage.m_strText = "high\nnow";
  p.n->GetAlert().AddEvent(std::move(second));
  p.n->GetAlert().SetEnabled(false);
  p.Show(p.n, view_ids::kTabControl);

  QListWidget* list = p.control->EventList();
  QCOMPARE(list->count(), 2);
  QCOMPARE(list->item(0)->text(), Text(ids::kValueColumn) + QStringLiteral(" # ") + Text(ids::kAnyChange) +
                                      QStringLiteral("  : <") + Text(ids::kNoMessageText) + QStringLiteral(" >"));
  QCOMPARE(list->item(1)->text(), Text(ids::kValueColumn) + QStringLiteral(" >=10  : <high now >"));
  QVERIFY(p.control->AlertsBox()->isEnabled());
  QVERIFY(!p.control->AlertsBox()->isChecked());
  p.control->AlertsBox()->click();
  QVERIFY(p.n->GetAlert().IsEnabled());

  // Delete asks 61502; No keeps the event, Yes removes it; the last one takes the alerts box along.
  list->setCurrentRow(0);
  QVERIFY(p.control->DeleteButton()->isEnabled());
  p.control->DeleteButton()->click();
  QCOMPARE(p.prompt.questions, std::vector<std::string>{Str(ids::kAskDeleteEvent)});
  QCOMPARE(p.n->GetAlert().GetEventCount(), size_t{2});
  p.prompt.SetNextAnswer(true);
  p.control->DeleteButton()->click();
  QCOMPARE(p.n->GetAlert().GetEventCount(), size_t{1});
  QCOMPARE(list->count(), 1);
  list->setCurrentRow(0);
  p.prompt.SetNextAnswer(true);
  p.control->DeleteButton()->click();
  QCOMPARE(list->count(), 0);
  QVERIFY(!p.control->AlertsBox()->isEnabled());
  QVERIFY(!p.control->DeleteButton()->isEnabled());
}

void PanesTest::HistoryStripAndScreen() {
  Panes p;
  for (int i = 0; i < 3; ++i)
    p.t->GetHistory().AddRecord(model::WDHistoryRecord("<b>" + std::to_string(i) + "</b>", 2000 + i));
  p.Show(p.t, view_ids::kTabHistoryText);
  auto* strip = qobject_cast<WDHistControl*>(p.frame->Views().GetObject(view_ids::kTextHistControl));
  QVERIFY(strip);
  QVERIFY(!strip->TagsButton()->isHidden());
  QSignalSpy flags(strip, &WDHistControl::DisplayFlagsChanged);
  strip->TagsButton()->click();
  QVERIFY(strip->ShowTags() && strip->TagsButton()->isChecked() && !strip->WrapLines());
  QCOMPARE(flags.count(), 1);
  auto* sample = qobject_cast<WDBeaconView*>(p.frame->Views().GetObject(view_ids::kHistoryText));
  QVERIFY(sample);
  QCOMPARE(sample->toPlainText(), QStringLiteral("<b>2</b>"));

  // Clearing asks 61461; Yes empties the history and the tree takes the history tab away.
  strip->ClearButton()->click();
  QCOMPARE(p.prompt.questions, std::vector<std::string>{Str(ids::kAskClearHistory)});
  QCOMPARE(p.t->GetHistory().GetCount(), 3);
  p.prompt.SetNextAnswer(true);
  strip->ClearButton()->click();
  QCOMPARE(p.t->GetHistory().GetCount(), 0);
  QVERIFY(!p.frame->Views().TabWindow()->IsTabEnabled(view_ids::kTabHistoryText));

  // Numbers: no toggles on the graph's strip; the screen pane shows name, value, change and time.
  p.Show(p.n, view_ids::kTabHistoryGraph);
  auto* graphStrip = qobject_cast<WDHistControl*>(p.frame->Views().GetObject(view_ids::kGraphHistControl));
  QVERIFY(graphStrip->TagsButton()->isHidden() && graphStrip->WrapButton()->isHidden());
  p.frame->Views().TabWindow()->SetActiveTab(view_ids::kTabBeaconGraph);
  auto* screen = qobject_cast<WDScreenTab*>(p.frame->Views().GetObject(view_ids::kGraphScreen));
  QVERIFY(screen);
  QCOMPARE(screen->NameLabel()->text(), QStringLiteral("N"));
  QCOMPARE(screen->NameLabel()->font(), FontOf(p.context.Settings().Font(1)));
  QCOMPARE(screen->ValueLabel()->text(), QStringLiteral("6 EUR"));
  QCOMPARE(screen->ChangeLabel()->text(), QStringLiteral("+2"));
  QVERIFY(screen->TimeLabel()->text().startsWith(
      QString::fromStdString(text::FormatLocalTime(1003, text::DateTimeFormat()))));
}

}  // namespace quorvex::gui

QTEST_MAIN(quorvex::gui::PanesTest)
#include "panes_test.moc"
