// The folder list and the time-lines: their models, rows, colours, commands and the notifications they follow.
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "gui/views/bcn_list_model.h"
#include "gui/views/bcn_list_view.h"
#include "gui/views/time_line_view.h"
#include "gui_test_support.h"
#include "model/val_page.h"
#include "text/time_format.h"

using namespace quorvex;
using namespace quorvex::gui;
namespace vid = quorvex::gui::view_ids;

namespace {

QString Cell(const QAbstractItemModel& list, int row, int column, int role = Qt::DisplayRole) {
  return list.data(list.index(row, column), role).toString();
}

}  // namespace

class ListViewsTest : public QObject {
  Q_OBJECT

 private slots:
  void TextFitsWithDotsAndTitlesNeedTheirComma();
  void FolderListAndTimeLine();
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

void ListViewsTest::FolderListAndTimeLine() {
  test::FrameFixture f;
  engine::WDQvxDoc& doc = f.doc;
  const auto number = [&doc](const std::string& name, std::initializer_list<std::string> samples,
                             model::WDGroup* folder = nullptr) {
    return test::AddNumber(doc, name, "http://" + name + ".example/", samples, 1700000060, 60, folder);
  };
  model::WDValue* rise = number("rise", {"9", "10", "11.5"});
  model::WDValue* fall = number("fall", {"10", "8.5"});
  model::WDValue* same = number("same", {"10", "10"});
  model::WDValue* fresh = test::AddBeacon(doc, "fresh", "http://fresh.example/", "x{?}y");
  fresh->GetPage()->m_timeFetched = 1650000000;
  auto* sub = static_cast<model::WDGroup*>(doc.GetRoot()->AddChild(new model::WDGroup("Sub", "")));
  number("deep", {"1"}, sub);

  CMainFrame& frame = f.MakeFrame();
  auto* list = test::View<WDBcnListView>(frame, vid::kFolderList);
  auto* line = test::View<WDTimeLineView>(frame, vid::kGraphTimeLine);
  test::View<WDTimeLineView>(frame, vid::kTextTimeLine);
  QAbstractItemModelTester listTester(list->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QAbstractItemModelTester lineTester(line->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
  QVERIFY(f.tree->SelectItem(doc.GetRoot()));
  QCOMPARE(line->model()->rowCount(), 0);
  BcnListModel& rows = *list->Model();
  QCOMPARE(rows.rowCount(), 4);  // the sub-folder is not listed
  QCOMPARE(rows.columnCount(), 5);
  QCOMPARE(rows.headerData(4, Qt::Horizontal).toString(), QStringLiteral("Address"));

  const QPalette palette = QGuiApplication::palette();
  const auto changeColour = [&rows](int row) {
    return rows.data(rows.index(row, kBcnChange), Qt::ForegroundRole).value<QColor>();
  };
  QCOMPARE(Cell(rows, 0, kBcnChange), QStringLiteral("+ 1.5"));
  QCOMPARE(changeColour(0), TintColor(RowTint::Rise, palette));
  QCOMPARE(Cell(rows, 1, kBcnChange), QStringLiteral("- 1.5"));
  QCOMPARE(changeColour(1), TintColor(RowTint::Fall, palette));
  QCOMPARE(Cell(rows, 2, kBcnChange), QStringLiteral("- "));
  QCOMPARE(changeColour(2), TintColor(RowTint::Normal, palette));
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

  // Commands act on the chosen row; a beacon being fetched can be shown but not deleted or copied.
  using namespace platform::cmd;
  QVERIFY(list->TakesCommand(kDeleteItem) && list->TakesCommand(kDuplicate) && !list->TakesCommand(kNewFolder));
  QVERIFY(!list->QueryCommand(kDeleteItem).enabled);  // no row chosen
  QVERIFY(list->SelectBeacon(rise));
  QCOMPARE(list->GetSelectedBeacon(), rise);
  QVERIFY(list->QueryCommand(kDeleteItem).enabled);
  QVERIFY(list->QueryCommand(kShowHistory).enabled);
  QVERIFY(list->QueryCommand(kMonitoring).checked);
  QVERIFY(rise->TryLock());
  QVERIFY(!list->QueryCommand(kDeleteItem).enabled);
  QVERIFY(!list->QueryCommand(kDuplicate).enabled);
  QVERIFY(list->QueryCommand(kShowBeacon).enabled);
  rise->Unlock();
  QVERIFY(list->RunCommand(kMonitoring));
  QVERIFY(!rise->IsEnabled());

  // Rows come and go with the tree's notices.
  NotifyParam item;
  item.item = fall;
  frame.Views().Notify(TabNotify::ItemDeleting, item);
  QCOMPARE(rows.FindRow(fall), -1);
  QCOMPARE(rows.rowCount(), 3);
  item.item = rise;
  frame.Views().Notify(TabNotify::BeaconInserted, item);
  QCOMPARE(rows.rowCount(), 3);  // listed already
  QVERIFY(f.tree->SelectItem(sub));
  QCOMPARE(rows.rowCount(), 1);
  QVERIFY(f.tree->SelectItem(rise));
  QCOMPARE(rows.rowCount(), 0);

  // The time-line lists the beacon's samples, newest first.
  const QAbstractItemModel& samples = *line->model();
  QCOMPARE(samples.rowCount(), 3);
  QCOMPARE(Cell(samples, 0, 0), QString::fromStdString(text::FormatLocalTime(1700000180, text::DateTimeFormat())));
  QCOMPARE(Cell(samples, 0, 1), QStringLiteral("11.5"));
  QCOMPARE(Cell(samples, 2, 1), QStringLiteral("9"));
  QCOMPARE(samples.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Time"));

  // The same beacon again: no rebuild. A new sample: rebuilt, and the chosen sample stays chosen.
  const int built = line->RebuildCount();
  frame.Views().Notify(TabNotify::SelectionApplied, {});
  QCOMPARE(line->RebuildCount(), built);
  line->setCurrentIndex(samples.index(1, 0));
  QCOMPARE(line->GetSelectedRecord(), rise->GetHistory().GetAt(1));
  rise->GetHistory().AddRecord(model::WDHistoryRecord("4", 1700000900));
  frame.Views().Notify(TabNotify::PageFetch, {});
  QCOMPARE(line->RebuildCount(), built + 1);
  QCOMPARE(samples.rowCount(), 4);
  QCOMPARE(line->GetSelectedRecord(), rise->GetHistory().GetAt(1));
}

QTEST_MAIN(ListViewsTest)
#include "list_views_test.moc"
