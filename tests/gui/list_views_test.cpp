// The folder list and the time-lines: their models, rows, colours and the notifications they follow.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>
#include <ctime>

#include "gui/shell/main_frame.h"
#include "gui/tabframe/visual_framework.h"
#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/placeholder_view.h"
#include "gui/views/time_line_view.h"
#include "gui/views/tree_view.h"
#include "gui/views/view_ids.h"
#include "gui_test_support.h"
#include "model/val_page.h"
#include "platform/command_ids.h"
#include "settings/app_context.h"
#include "text/time_format.h"

using namespace quorvex;
using namespace quorvex::gui;
namespace vid = quorvex::gui::view_ids;

namespace {

model::WDValue* NumberBeacon(engine::WDQvxDoc& doc, const std::string& name, std::initializer_list<const char*> samples,
                             int64_t first = 1700000000) {
  model::WDValue* beacon = test::AddBeacon(doc, name, "http://" + name + ".example/", "n={?};");
  beacon->SetKind(model::kKindNumber);
  for (const char* sample : samples) beacon->GetHistory().AddRecord(model::WDHistoryRecord(sample, first += 60));
  return beacon;
}

QString Cell(const QAbstractItemModel& list, int row, int column, int role = Qt::DisplayRole) {
  return list.data(list.index(row, column), role).toString();
}

}  // namespace

class ListViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void TextFitsWithDotsAndTitlesNeedTheirComma();
  void FolderListRowsColoursAndUpdates();
  void FolderListCommands();
  void TimeLineNewestFirstAndTellsThePanes();
};

void ListViewsTest::TextFitsWithDotsAndTitlesNeedTheirComma() {
  const QFontMetrics metrics(QApplication::font());
  const QString address = QStringLiteral("http://www.example.com/a/very/long/path/to/a/page/that/goes/on.html");
  QCOMPARE(FitText(address, metrics, metrics.horizontalAdvance(address)), address);
  const int room = metrics.horizontalAdvance(address) / 2;
  const QString fitted = FitText(address, metrics, room);
  QVERIFY(fitted.endsWith(QStringLiteral("...")));
  const QString head = fitted.chopped(3);
  QVERIFY(address.startsWith(head));
  QVERIFY(metrics.horizontalAdvance(fitted) <= room);
  // The longest head that fits: one more character would not.
  QVERIFY(metrics.horizontalAdvance(address.left(head.size() + 1) + QStringLiteral("...")) > room);
  QCOMPARE(FitText(address, metrics, 1), QStringLiteral("..."));

  QCOMPARE(ParseColumnTitles(QStringLiteral("Name,Value,Change")),
           QStringList({QStringLiteral("Name"), QStringLiteral("Value")}));
  QCOMPARE(ParseColumnTitles(QStringLiteral("a,b,c,d,e,f,")).size(), 5);
  QVERIFY(ParseColumnTitles(QString()).isEmpty());
}

void ListViewsTest::FolderListRowsColoursAndUpdates() {
  test::FrameFixture fixture;
  engine::WDQvxDoc& doc = fixture.doc;
  model::WDValue* rise = NumberBeacon(doc, "rise", {"10", "11.5"});
  model::WDValue* fall = NumberBeacon(doc, "fall", {"10", "8.5"});
  model::WDValue* same = NumberBeacon(doc, "same", {"10", "10"});
  model::WDValue* fresh = test::AddBeacon(doc, "fresh", "http://fresh.example/", "x{?}y");
  fresh->GetPage()->m_timeFetched = 1650000000;
  auto* sub = new model::WDGroup("Sub", "");
  doc.GetRoot()->AddChild(sub);
  sub->AddChild(NumberBeacon(doc, "deep", {"1"}));
  doc.GetRoot()->RemoveChild(sub->GetChild(0));

  {
    CMainFrame& frame = fixture.MakeFrame();
    auto* list = qobject_cast<WDBcnListView*>(frame.Views().GetObject(vid::kFolderList));
    QVERIFY(list);
    QAbstractItemModelTester tester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    WDTreeView* tree = CatalogTree(frame);
    QVERIFY(tree->SelectItem(doc.GetRoot()));
    BcnListModel& rows = *list->Model();
    QCOMPARE(rows.rowCount(), 4);  // the sub-folder is not listed
    QCOMPARE(rows.columnCount(), 5);
    QCOMPARE(rows.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Address"));

    const QPalette palette = QGuiApplication::palette();
    QCOMPARE(Cell(rows, 0, kBcnChange), QStringLiteral("+ 1.5"));
    QCOMPARE(rows.data(rows.index(0, kBcnChange), Qt::ForegroundRole).value<QColor>(),
             TintColor(RowTint::Rise, palette));
    QCOMPARE(Cell(rows, 1, kBcnChange), QStringLiteral("- 1.5"));
    QCOMPARE(rows.data(rows.index(1, kBcnChange), Qt::ForegroundRole).value<QColor>(),
             TintColor(RowTint::Fall, palette));
    QCOMPARE(Cell(rows, 2, kBcnChange), QStringLiteral("- "));
    QCOMPARE(rows.data(rows.index(2, kBcnChange), Qt::ForegroundRole).value<QColor>(),
             TintColor(RowTint::Normal, palette));
    QVERIFY(TintColor(RowTint::Rise, palette) != TintColor(RowTint::Fall, palette));
    QCOMPARE(Cell(rows, 3, kBcnDate), QString::fromStdString(text::FormatLocalTime(1650000000, text::DateFormat())));
    QCOMPARE(Cell(rows, 3, kBcnAddress), QStringLiteral("http://fresh.example/"));

    // A fetch notice updates only the rows of its address, without a reset.
    QSignalSpy resets(&rows, &QAbstractItemModel::modelReset);
    QSignalSpy changes(&rows, &QAbstractItemModel::dataChanged);
    same->GetHistory().AddRecord(model::WDHistoryRecord("12", 1800000000));
    same->SetEnabled(false);
    NotifyParam fetched;
    fetched.address = same->GetURL();
    frame.Views().Notify(TabNotify::PageFetch, fetched);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.front().front().value<QModelIndex>().row(), 2);
    QCOMPARE(Cell(rows, 2, kBcnValue), QStringLiteral("12"));
    QCOMPARE(rows.data(rows.index(2, kBcnName), Qt::ForegroundRole).value<QColor>(), TintColor(RowTint::Grey, palette));

    // Sorting by a title leaves the folder's order in the model.
    list->sortByColumn(kBcnName, Qt::AscendingOrder);
    QCOMPARE(Cell(*list->model(), 0, kBcnName), QStringLiteral("fall"));
    QCOMPARE(Cell(rows, 0, kBcnName), QStringLiteral("rise"));

    // Rows come and go with the tree's notices.
    NotifyParam item;
    item.item = fall;
    frame.Views().Notify(TabNotify::ItemDeleting, item);
    QCOMPARE(rows.FindRow(fall), -1);
    QCOMPARE(rows.rowCount(), 3);
    item.item = rise;
    frame.Views().Notify(TabNotify::BeaconInserted, item);
    QCOMPARE(rows.rowCount(), 3);  // listed already
    QVERIFY(tree->SelectItem(sub));
    QCOMPARE(rows.rowCount(), 1);
    QVERIFY(tree->SelectItem(rise));
    QCOMPARE(rows.rowCount(), 0);
    QVERIFY(frame.CloseFrame(false));
  }
}

void ListViewsTest::FolderListCommands() {
  test::FrameFixture fixture;
  engine::WDQvxDoc& doc = fixture.doc;
  model::WDValue* beacon = NumberBeacon(doc, "one", {"1", "2", "3"});
  {
    CMainFrame& frame = fixture.MakeFrame();
    auto* list = qobject_cast<WDBcnListView*>(frame.Views().GetObject(vid::kFolderList));
    QVERIFY(CatalogTree(frame)->SelectItem(doc.GetRoot()));
    using namespace platform::cmd;
    QVERIFY(list->TakesCommand(kDeleteItem) && list->TakesCommand(kDuplicate) && !list->TakesCommand(kNewFolder));
    QVERIFY(!list->QueryCommand(kDeleteItem).enabled);  // no row chosen
    QVERIFY(list->SelectBeacon(beacon));
    QCOMPARE(list->GetSelectedBeacon(), beacon);
    QVERIFY(list->QueryCommand(kDeleteItem).enabled);
    QVERIFY(list->QueryCommand(kShowHistory).enabled);
    QVERIFY(list->QueryCommand(kMonitoring).checked);
    QVERIFY(beacon->TryLock());
    QVERIFY(!list->QueryCommand(kDeleteItem).enabled);
    QVERIFY(!list->QueryCommand(kDuplicate).enabled);
    QVERIFY(list->QueryCommand(kShowBeacon).enabled);
    beacon->Unlock();
    QVERIFY(list->RunCommand(kMonitoring));
    QVERIFY(!beacon->IsEnabled());
    QVERIFY(frame.CloseFrame(false));
  }
}

void ListViewsTest::TimeLineNewestFirstAndTellsThePanes() {
  test::FrameFixture fixture;
  engine::WDQvxDoc& doc = fixture.doc;
  model::WDValue* beacon = NumberBeacon(doc, "price", {"1", "2", "3"}, 1700000000);
  NumberBeacon(doc, "other", {"5"});
  {
    CMainFrame& frame = fixture.MakeFrame();
    auto* line = qobject_cast<WDTimeLineView*>(frame.Views().GetObject(vid::kGraphTimeLine));
    QVERIFY(line);
    QVERIFY(qobject_cast<WDTimeLineView*>(frame.Views().GetObject(vid::kTextTimeLine)));
    QAbstractItemModelTester tester(line->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    WDTreeView* tree = CatalogTree(frame);
    QVERIFY(tree->SelectItem(doc.GetRoot()));
    QCOMPARE(line->model()->rowCount(), 0);

    QVERIFY(tree->SelectItem(beacon));
    const QAbstractItemModel& rows = *line->model();
    QCOMPARE(rows.rowCount(), 3);
    QCOMPARE(Cell(rows, 0, 0), QString::fromStdString(text::FormatLocalTime(1700000180, text::DateTimeFormat())));
    QCOMPARE(Cell(rows, 0, 1), QStringLiteral("3"));
    QCOMPARE(Cell(rows, 2, 1), QStringLiteral("1"));
    QCOMPARE(rows.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));

    // The same beacon again: no rebuild. A new sample: rebuilt.
    const int built = line->RebuildCount();
    frame.Views().Notify(TabNotify::SelectionApplied, {});
    QCOMPARE(line->RebuildCount(), built);

    // Choosing a row tells the panes beside the time-lines which sample it is.
    line->setCurrentIndex(rows.index(1, 0));
    QCOMPARE(line->GetSelectedRecord(), beacon->GetHistory().GetAt(1));
    for (int pane : {vid::kHistoryText, vid::kHistoryGraph}) {
      auto* placeholder = qobject_cast<PlaceholderView*>(frame.Views().GetObject(pane));
      if (!placeholder) continue;  // a real pane
      QCOMPARE(placeholder->LastCode().value_or(TabNotify::Closing), TabNotify::Changed);
      QCOMPARE(placeholder->LastParam().sender, line);
    }
    beacon->GetHistory().AddRecord(model::WDHistoryRecord("4", 1700000900));
    frame.Views().Notify(TabNotify::PageFetch, {});
    QCOMPARE(line->RebuildCount(), built + 1);
    QCOMPARE(rows.rowCount(), 4);
    QCOMPARE(line->GetSelectedRecord(), beacon->GetHistory().GetAt(1));  // still the chosen sample
    QVERIFY(frame.CloseFrame(false));
  }
}

QTEST_MAIN(ListViewsTest)
#include "list_views_test.moc"
